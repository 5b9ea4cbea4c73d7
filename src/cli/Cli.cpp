#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/UsageLine.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/SystemErrors.h"
#include "platform/Utf8.h"
#include "platform/Version.h"

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <iostream>
#include <set>

namespace tolv::cli {
namespace {

// The list names come from the registry of the lists.
const std::string kPrintUsage = printUsage();

// Each line of help says what the command needs first and where it writes.
const Command kCommands[] = {
    {"new", "new ENTRY", cmdNew, "申込ファイルを開きます。ないときは新しく作って初期化します（ENTRY に書きます）"},
    {"show", "show ENTRY [--json]", cmdShow, "ヘッダ、予備種目と全選手を標準出力に表示します（申込ファイルは読むだけです）"},
    {"set-header",
     "set-header ENTRY [--zigyo T] [--basho T] [--stbi YYYYMMDD] [--enbi YYYYMMDD] [--tcod T] "
     "[--kijunbi YYYYMMDD] [--course N] [--kubun N] [--botai N]",
     cmdSetHeader, "ヘッダを入力画面と同じ規則で書き換えます（ENTRY に書きます）"},
    {"demo", "demo DIR", cmdDemo, "デモ用の登録マスタ、見本の申込ファイルと県コード表を DIR に書きます"},
    {"add", "add ENTRY --qbango Q [--lookup] [--master DIR] [--bango B] [--namae T] [--kana T] [--event CODE=TIME]...", cmdAdd,
     "新規入力と同じ手順で選手を 1 人追加します（--lookup には登録マスタが要ります。ENTRY に書きます）"},
    {"check",
     "check number|qbango|birth|kana|grade|age|no-category|four-events|same-time ENTRY [--print-log FILE] "
     "[--pdf FILE]",
     cmdCheck, "チェックリストを 1 つ印刷します（既定は印刷ログを標準出力へ。申込ファイルは読むだけです）"},
    {"rewrite", "rewrite kana|age|grade|grade-company|main|secondary|prefecture|same-time ENTRY", cmdRewrite,
     "全選手の 1 項目を一括で書き換えます（自動バックアップを取ってから ENTRY を置き換えます）"},
    {"tally", "tally ENTRY [--master DIR]", cmdTally,
     "団体別に集計し、申込団体ファイル <base>.zed を ENTRY の隣に書きます（団体名に登録マスタを使います）"},
    {"sort", "sort club|sex ENTRY", cmdSort,
     "選手を所属順か性別順に並べ替えます（自動バックアップを取ってから ENTRY を置き換えます）"},
    {"print", kPrintUsage.c_str(), cmdPrint,
     "一覧表を 1 つ印刷します（団体別の表は先に tolv tally。既定は印刷ログを標準出力へ）"},
    {"export", "export FORMAT ENTRY [--to DIR]", cmdExport,
     "申込ファイルを他の形式で書き出します（既定は dr_ten.ctl の転送フォルダへ。形式ごとの前提は tolv help export）",
     exportFormats},
    {"import", "import FORMAT ENTRY [--from DIR]", cmdImport,
     "他の形式のファイルを申込ファイルに読み込みます（既定は dr_ten.ctl の転送フォルダから。自動バックアップの後に "
     "ENTRY を置き換えます。形式は tolv help import）",
     importFormats},
    {"backups", "backups ENTRY", cmdBackups,
     "申込ファイルの自動バックアップを番号付きの段階として新しい順に表示します（読むだけです）"},
    {"undo", "undo ENTRY [STEP] [--yes] [--force]", cmdUndo,
     "自動バックアップ（STEP は tolv backups の番号、既定 1: 最新）を申込ファイルと .zed に戻します（確かめてから。"
     "--yes で確かめません。置き換えたファイルもバックアップになります）"},
    {"merge", "merge ENTRY SOURCE... [--format NAME] [--prefer-master] [--master DIR] [--again]", cmdMerge,
     "申込ファイルと、読込形式で読むカンマ区切りファイルを ENTRY の後ろに追加します（自動バックアップの後に置き換え"
     "ます。結合済みのファイルは --again のときだけ）"},
    {"formats", "formats list|show [NAME]", cmdFormats,
     "ctl/yomi.dat の読込形式の一覧か、1 つの設定を表示します（読むだけです）"},
    {"verify", "verify ENTRY", cmdVerify,
     "申込ファイルを調べ、問題を 1 行ずつ表示します（読むだけです。終了コード 0: 正常、3: 正常だがデータに指摘あり、1: "
     "壊れている）"},
};

void listCommands(std::ostream& os)
{
    os << "usage: tolv [--home DIR] COMMAND ...  ·  tolv --version  ·  tolv help COMMAND\n";
    os << "  --home DIR  " << argumentHelp("", "", "--home DIR") << "\n";
    for (const Command& c : kCommands) os << "  tolv " << c.usage << "\n      " << c.about << "\n";
    os << "tolv help COMMAND（tolv COMMAND --help と同じ）で 1 つのコマンドを説明します。\n";
}

// The help of one command: what it does, its usage line, each argument and option with its line of
// description, and the kinds its first argument takes (the formats of export and import).
std::string helpText(const Command& cmd, const std::string& usage, const UsageLine& line, const std::vector<Variant>& variants,
                     const Variant* chosen)
{
    const std::string format = chosen ? chosen->name : "";
    std::vector<std::pair<std::string, std::string>> arguments, options;
    for (const UsagePositional& p : line.positionals) {
        std::string text = argumentHelp(cmd.name, format, p.name);
        if (!p.choices.empty()) text += "（" + join(p.choices, ", ") + " のいずれか）";
        arguments.emplace_back(p.name + (p.repeat ? "..." : ""), text);
    }
    for (const UsageOption& o : line.options) {
        const std::string word = o.meta.empty() ? o.name : o.name + " " + o.meta;
        std::string text = argumentHelp(cmd.name, format, word);
        if (!text.empty() && o.repeat && text.find("繰り返せます") == std::string::npos) text += "。繰り返せます";
        options.emplace_back(word, text);
    }
    options.emplace_back("-h, --help", argumentHelp(cmd.name, format, "--help"));
    std::size_t width = 0;
    for (const auto* rows : {&arguments, &options})
        for (const auto& r : *rows) width = std::max(width, r.first.size());
    std::string out = "tolv " + std::string(cmd.name) + (chosen ? " " + format : "") + ": " +
                      (chosen && chosen->about ? chosen->about : cmd.about) + "\n";
    out += "usage: tolv " + usage + "\n";
    auto section = [&](const char* title, const std::vector<std::pair<std::string, std::string>>& rows) {
        if (rows.empty()) return;
        out += std::string("\n") + title + "\n";
        for (const auto& [word, text] : rows)
            out += "  " + (text.empty() ? word : word + std::string(width - word.size() + 2, ' ') + text) + "\n";
    };
    section("引数:", arguments);
    section("オプション:", options);
    if (!variants.empty()) {
        out += "\n" + (line.positionals.empty() ? std::string("KIND") : line.positionals[0].name) + ":\n";
        for (const Variant& v : variants)
            out += std::string("  ") + v.name + (v.options && *v.options ? std::string(" ") + v.options : "") + "\n      " +
                   (v.about ? v.about : "") + "\n";
    }
    return out;
}

const Command* findCommand(const std::string& name)
{
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

// The first positional argument of a command line, skipping the options and their values.
std::optional<std::string> firstPositional(const std::vector<std::string>& args, const UsageLine& line)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") return i + 1 < args.size() ? std::optional(args[i + 1]) : std::nullopt;
        if (a.rfind("-", 0) != 0 || a == "-") return a;
        if (a.find('=') != std::string::npos) continue;
        const UsageOption* o = line.option(a);
        if (o ? !o->meta.empty() : !isFlagOption(a)) ++i;
    }
    return std::nullopt;
}

bool isIntegerText(const std::string& v)
{
    try {
        std::size_t used = 0;
        (void)std::stoll(v, &used);
        return used == v.size();
    } catch (const std::logic_error&) {
        return false;
    }
}

// "-3" is a value or an argument, "-x" an option.
bool looksLikeOption(const std::string& a) { return a.size() > 1 && a[0] == '-' && !isIntegerText(a); }

// -h or --help before "--" asks for the help, whatever else the line holds.
bool wantsHelp(const std::vector<std::string>& args)
{
    for (const std::string& a : args) {
        if (a == "--") return false;
        if (a == "-h" || a == "--help") return true;
    }
    return false;
}

// Reads a command's arguments as its usage line declares them, each mistake told in Japanese.
// Options may come anywhere, with their value after a blank or after "="; a value may start with a
// minus sign ("--to -1"); after "--" every word is an argument. With `lenient`, options the line
// does not declare are taken too: `--name VALUE`, or `--name` alone for the flags isFlagOption
// names.
Args readArguments(const std::vector<std::string>& args, const UsageLine& line, bool lenient)
{
    Args out;
    std::vector<std::string> words, extra;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            words.insert(words.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (!looksLikeOption(a)) {
            words.push_back(a);
            continue;
        }
        const std::size_t eq = a.find('=');
        const std::string optionName = a.substr(0, eq);
        const UsageOption* o = line.option(optionName);
        UsageOption guessed{optionName, isFlagOption(optionName) ? "" : "VALUE", false, true, false};
        if (!o && lenient && optionName.rfind("--", 0) == 0 && optionName.size() > 2) o = &guessed;
        if (!o) {
            extra.push_back(a);
            continue;
        }
        auto& values = out.options[o->name];
        if (o->meta.empty()) {
            if (eq != std::string::npos) throw UsageError(o->name + " は値をとりません: " + a);
            continue;
        }
        std::string value;
        if (eq != std::string::npos) value = a.substr(eq + 1);
        else if (i + 1 < args.size() && !looksLikeOption(args[i + 1]) && args[i + 1] != "--") value = args[++i];
        else throw UsageError(o->name + " の値がありません");
        if (o->integer && !isIntegerText(value)) throw UsageError(o->name + " には整数を指定してください: " + value);
        values.push_back(value);
    }

    std::size_t w = 0;
    for (const UsagePositional& p : line.positionals) {
        const std::size_t take = p.repeat ? words.size() - std::min(w, words.size()) : (w < words.size() ? 1 : 0);
        if (take == 0) {
            if (!p.optional) throw UsageError(p.name + " を指定してください");
            continue;
        }
        for (std::size_t k = 0; k < take; ++k, ++w) {
            const std::string& v = words[w];
            if (!p.choices.empty() && std::find(p.choices.begin(), p.choices.end(), v) == p.choices.end())
                throw UsageError(v + " は指定できません（" + join(p.choices, ", ") + " のいずれか）");
            out.positional.push_back(v);
        }
    }
    for (; w < words.size(); ++w) extra.push_back(words[w]);
    if (!extra.empty()) {
        // Named in the order they were given.
        std::vector<std::string> ordered;
        for (const std::string& a : args)
            if (std::find(extra.begin(), extra.end(), a) != extra.end() &&
                std::find(ordered.begin(), ordered.end(), a) == ordered.end())
                ordered.push_back(a);
        throw UsageError("余分な引数です: " + join(ordered, " "));
    }
    for (const UsageOption& o : line.options)
        if (o.required && !out.options.count(o.name)) throw UsageError(o.name + " を指定してください");
    return out;
}

int runCommand(const Command& cmd, std::vector<std::string> args, std::ostream& out, std::ostream& err)
{
    const std::string name = cmd.name;
    UsageLine line = UsageLine::parse(cmd.usage);
    std::string usage = cmd.usage;
    bool lenient = false;
    std::vector<Variant> variants;
    const Variant* chosen = nullptr;
    if (cmd.variants) {
        variants = cmd.variants();
        std::optional<std::string> kind = firstPositional(args, line);
        for (const Variant& v : variants)
            if (kind && *kind == v.name) chosen = &v;
        if (chosen && chosen->options) {
            line.addOptions(chosen->options);
            if (*chosen->options) usage += std::string(" ") + chosen->options;
        } else {
            lenient = true; // a kind without declared options, or an unknown one the command reports
        }
    }

    Context ctx{{}, out, err};
    try {
        if (wantsHelp(args)) {
            out << helpText(cmd, usage, line, variants, chosen);
            return 0;
        }
        ctx.args = readArguments(args, line, lenient);
        return cmd.fn(ctx);
    } catch (const UsageError& e) {
        err << "tolv " << name << ": " << e.what() << "\nusage: tolv " << usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << userMessage(e) << "\n";
        return 1;
    }
}

} // namespace

bool isFlagOption(const std::string& name)
{
    return name == "--json" || name == "--lookup" || name == "--prefer-master" || name == "--yes" || name == "--help" ||
           name == "--zip" || name == "--replace" || name == "--again" || name == "--force";
}

bool applyFixedNow(const char* value)
{
    if (!value) return true;
    DateTime t;
    char tail = 0;
    if (std::sscanf(value, "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second, &tail) != 6)
        return false;
    if (std::string(value).size() != 19 || !isValidDate(t.year * 10000 + t.month * 100 + t.day) || t.hour > 23 || t.minute > 59 ||
        t.second > 59 || t.hour < 0 || t.minute < 0 || t.second < 0)
        return false;
    setFixedNow(t);
    return true;
}

namespace {

// A text option is UTF-8 (the terminal's encoding); its bytes are refused, naming the option,
// before they could become other letters. Folders and files are host paths and taken as they are.
const std::string& checkedText(const std::string& name, const std::string& value)
{
    static const std::set<std::string> paths{"--to", "--from", "--master", "--print-log", "--pdf", "--home"};
    if (!paths.count(name))
        if (const std::optional<Utf8Fault> f = findUtf8Fault(value))
            throw UsageError("引数 " + name + ": " + utf8FaultMessage(value, *f));
    return value;
}

} // namespace

std::optional<std::string> Args::option(const std::string& name) const
{
    auto it = options.find(name);
    if (it == options.end() || it->second.empty()) return std::nullopt;
    return checkedText(name, it->second.back());
}

std::vector<std::string> Args::all(const std::string& name) const
{
    auto it = options.find(name);
    if (it == options.end()) return {};
    for (const std::string& v : it->second) checkedText(name, v);
    return it->second;
}

const std::string& Args::need(std::size_t i, const char* what) const
{
    if (i >= positional.size()) throw UsageError(std::string(what) + " を指定してください");
    return positional[i];
}

std::optional<long long> Args::number(const std::string& name) const
{
    auto v = option(name);
    if (!v) return std::nullopt;
    try {
        std::size_t used = 0;
        long long n = std::stoll(*v, &used);
        if (used != v->size()) throw UsageError(name + " には整数を指定してください: " + *v);
        return n;
    } catch (const std::logic_error&) {
        throw UsageError(name + " には整数を指定してください: " + *v);
    }
}

int run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    if (!applyFixedNow(std::getenv("TOLVSYS_NOW"))) {
        err << "tolv: TOLVSYS_NOW は \"YYYY-MM-DD hh:mm:ss\" の形の日時にしてください: " << std::getenv("TOLVSYS_NOW") << "\n";
        return 2;
    }
    // The program's own options come before the command; everything from the command on is the
    // command's.
    std::string home;
    bool help = false, version = false;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (a == "--home" || a.rfind("--home=", 0) == 0) {
            if (a.size() > 6) home = a.substr(7);
            else if (i + 1 < argv.size() && !looksLikeOption(argv[i + 1])) home = argv[++i];
            else {
                err << "tolv: --home の値がありません\n";
                listCommands(err);
                return 2;
            }
        } else if (a == "-h" || a == "--help") {
            help = true;
        } else if (a == "--version") {
            version = true;
        } else if (looksLikeOption(a)) {
            err << "tolv: 余分な引数です: " << a << "\n";
            listCommands(err);
            return 2;
        } else {
            rest.assign(argv.begin() + static_cast<std::ptrdiff_t>(i), argv.end());
            break;
        }
    }
    if (version && rest.empty()) {
        out << "tolv " << programVersion() << "\n";
        return 0;
    }
    if (help && rest.empty()) {
        listCommands(out);
        return 0;
    }
    // "tolv help COMMAND ..." is "tolv COMMAND ... --help".
    if (!rest.empty() && rest.front() == "help") {
        if (rest.size() == 1) {
            listCommands(out);
            return 0;
        }
        rest.erase(rest.begin());
        rest.push_back("--help");
    }
    if (rest.empty()) {
        listCommands(err);
        return 2;
    }
    if (!home.empty()) setEnvironment("TOLVSYS_HOME", home);
    const Command* cmd = findCommand(rest.front());
    if (!cmd) {
        err << "tolv: コマンド " << rest.front() << " はありません\n";
        listCommands(err);
        return 2;
    }
    rest.erase(rest.begin());
    return runCommand(*cmd, std::move(rest), out, err);
}

int run(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return run(args, std::cout, std::cerr);
}

} // namespace tolv::cli
