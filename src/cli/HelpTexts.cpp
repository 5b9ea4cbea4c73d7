#include "cli/HelpTexts.h"

#include <iterator>

namespace tolv::cli {
namespace {

struct Row {
    const char* scope; // "" every command, "print", "export lenex"
    const char* word;  // "--to DIR", "--to", "ENTRY"
    const char* text;
};

const Row kRows[] = {
    // The program's own options and those of every command.
    {"", "--home DIR", "作業フォルダ（c:\\tolvsys に当たるフォルダ。既定: $TOLVSYS_HOME）"},
    {"", "--version", "版を表示します"},
    {"", "--help", "この説明を表示します"},
    {"", "ENTRY", "申込ファイル（.zep）のパス"},
    {"", "--master DIR", "登録マスタのフォルダ（既定: dr_tor.ctl の登録ルート）"},
    {"", "--print-log FILE", "印刷ログを書くファイル（既定: 標準出力）"},
    {"", "--pdf FILE", "PDF を書くファイル（印刷モジュール tolvpdf.so を読み込みます）"},
    {"", "--to DIR", "書き出し先のフォルダ（既定: dr_ten.ctl の転送フォルダ）"},
    {"", "--from DIR", "読み込むファイルのあるフォルダ（既定: dr_ten.ctl の転送フォルダ）"},
    {"", "FORMAT", "形式（下の一覧のいずれか）"},

    {"show", "--json", "JSON で出力します（キーはレコードの項目名、選手の番号は n）"},

    {"set-header", "--zigyo T", "大会名（zigyo）"},
    {"set-header", "--basho T", "会場（basho）"},
    {"set-header", "--stbi YYYYMMDD", "大会の初日（stBi）"},
    {"set-header", "--enbi YYYYMMDD", "大会の最終日（enBi）"},
    {"set-header", "--tcod T", "大会コード（tcod）"},
    {"set-header", "--kijunbi YYYYMMDD", "年齢計算基準日（kijunBi）"},
    {"set-header", "--course N", "コース（course、入力画面の長水路・短水路の値）"},
    {"set-header", "--kubun N", "大会の区分（kubun: 0 一般、1 マスターズ、2 身障）"},
    {"set-header", "--botai N", "所属の母体（botai、入力画面の値）"},

    {"demo", "DIR", "書き出すフォルダ（registration、entry/sample.zep、ken.ctl を作ります）"},

    {"add", "--qbango Q", "旧番号（団体コード 5 桁、生年月日 8 桁、性別 1 桁）"},
    {"add", "--lookup", "登録マスタで選手を探し、名前などを埋めます（--master のマスタが要ります）"},
    {"add", "--bango B", "競技者番号"},
    {"add", "--namae T", "名前"},
    {"add", "--kana T", "フリガナ（半角カナ）"},
    {"add", "--event CODE=TIME", "2 桁の種目コードとタイム（例 11=3012、タイム 66 は参加）。繰り返せます"},

    {"check", "KIND", "チェックの種類"},
    {"rewrite", "KIND", "書き換える項目"},
    {"sort", "KIND", "並べ方（club 所属順、sex 性別順）"},
    {"print", "KIND", "印刷する一覧表。団体別の表は先に tolv tally の集計が要ります"},
    {"print", "ENTRY", "申込ファイル（.zep）のパス（address では不要）"},
    {"print", "--from N", "印刷する最初の番号"},
    {"print", "--to N", "印刷する最後の番号"},
    {"print", "--issuer N=TEXT", "領収書の発行者欄 N 行目（1〜4）の文字。繰り返せます"},
    {"print", "--issuer-size N=PT", "領収書の発行者欄 N 行目の文字の大きさ（ポイント）。繰り返せます"},

    {"undo", "--yes", "確かめずに戻します（端末がないときは必要です）"},
    {"undo", "STEP", "戻す段階（tolv backups が示すもの。省略時は最新）"},
    {"undo", "--force", "申込ファイルがバックアップの後に変わっていても戻します"},

    {"merge", "SOURCE", "追加する申込ファイル（.zep/.kek/.tor）かカンマ区切りファイル。並べた順に追加します"},
    {"merge", "--format NAME", "カンマ区切りファイルを読む読込形式の名前（tolv formats list の一覧から）"},
    {"merge", "--prefer-master", "登録マスタにある選手は、マスタの内容で埋めます（--master のマスタが要ります）"},
    {"merge", "--again", "すでに追加したことのある取り込み元も、もう一度追加します"},

    {"formats", "KIND", "list 読込形式の一覧、show 1 つの読込形式の設定"},
    {"formats", "NAME", "表示する読込形式の名前（show のとき）"},

    {"export lenex", "--zip", "zip にまとめた <base>.lxf を書きます"},
    {"export lenex", "--city", "開催都市（Lenex の city。申込ファイルごとに覚えます）"},
    {"export registration-docs", "--print-log FILE", "申請書の団体一覧を印刷した印刷ログを書くファイル（既定: 標準出力）"},
    {"export seiko", "--events CODE,...", "書き出す種目: 2 桁の種目コードか計時コードをカンマ区切りで（省略時は全員）"},
    {"export seiko", "--class-by open|age|grade", "クラスの分け方（open 分けない、age 年齢、grade 学年）"},
    {"export seiko", "--class N:LO-HI", "クラス N（1〜10）の範囲 LO〜HI。繰り返せます"},
    {"import lenex", "FILE", "読み込む Lenex ファイル（.lef か .lxf。相対パスは --from のフォルダでも探します）"},
    {"import lenex", "--header",
     "選手のいる申込ファイルでも、大会名・場所・期日・基準日・水路をLenexファイルの大会で置き換えます"},
    {"import lenex", "--again", "前に取り込んだことのある同じ Lenex ファイルも、もう一度取り込みます"},
    {"import lenex-meet", "FILE", "主催者の Lenex ファイル（大会と種目のある .lef か .lxf。案内・エントリー・結果のどれでも）"},
    {"import lenex-meet", "--header", "選手のいる申込ファイルでも、大会名・場所・期日・基準日・水路をその大会で置き換えます"},
    {"import results1", "--replace", "申込ファイルの選手を Results.Dat の記録で置き換えることに同意します"},
};

std::string nameOf(const std::string& word) { return word.substr(0, word.find(' ')); }

} // namespace

std::string argumentHelp(const std::string& command, const std::string& format, const std::string& word)
{
    const std::string scopes[] = {format.empty() ? std::string() : command + " " + format, command, ""};
    for (const std::string& scope : scopes) {
        if (&scope == &scopes[0] && format.empty()) continue;
        for (const std::string& w : {word, nameOf(word)})
            for (const Row& r : kRows)
                if (scope == r.scope && w == r.word) return r.text;
    }
    return {};
}

} // namespace tolv::cli
