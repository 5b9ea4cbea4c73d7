#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/HelpTexts.h"
#include "cli/UsageLine.h"
#include "platform/Clock.h"
#include "platform/Error.h"
#include "platform/Version.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <iostream>

namespace tolv::cli {
namespace {

// Each line of help says what the command needs first and where it writes.
const Command kCommands[] = {
    {"new", "new ENTRY", cmdNew, "申込ファイルを開きます。ないときは新しく作って初期化します（ENTRY に書きます）"},
    {"show", "show ENTRY [--json]", cmdShow,
     "ヘッダ、予備種目と全選手を標準出力に表示します（申込ファイルは読むだけです）"},
    {"set-header",
     "set-header ENTRY [--zigyo T] [--basho T] [--stbi YYYYMMDD] [--enbi YYYYMMDD] [--tcod T] "
     "[--kijunbi YYYYMMDD] [--course N] [--kubun N] [--botai N]",
     cmdSetHeader, "ヘッダを入力画面と同じ規則で書き換えます（ENTRY に書きます）"},
    {"demo", "demo DIR", cmdDemo, "デモ用の登録マスタ、見本の申込ファイルと県コード表を DIR に書きます"},
    {"add",
     "add ENTRY --qbango Q [--lookup] [--master DIR] [--bango B] [--namae T] [--kana T] [--event CODE=TIME]...",
     cmdAdd, "新規入力と同じ手順で選手を 1 人追加します（--lookup には登録マスタが要ります。ENTRY に書きます）"},
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
    {"print",
     "print team-list|events|events-reserve|fee-list|receipts|address|entry-form|individuals|individual-events|"
     "time-list [ENTRY] [--from N] [--to N] [--issuer N=TEXT]... [--issuer-size N=PT]... [--print-log FILE] "
     "[--pdf FILE]",
     cmdPrint, "一覧表を 1 つ印刷します（団体別の表は先に tolv tally。既定は印刷ログを標準出力へ）"},
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
     "申込ファイルを調べ、問題を 1 行ずつ表示します（読むだけです。終了コード 0: 正常、3: 正常だがデータに指摘あり、1: 壊れている）"},
};

bool startsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

// The parser's message in Japanese, naming what was wrong; a message of another form is kept.
std::string japanese(const CLI::ParseError& e)
{
    const std::string m = e.what();
    for (const char* head : {"The following argument was not expected: ", "The following arguments were not expected: "})
        if (startsWith(m, head)) return "余分な引数です: " + m.substr(std::string(head).size());
    const std::string required = " is required";
    if (m.size() > required.size() && m.compare(m.size() - required.size(), required.size(), required) == 0)
        return m.substr(0, m.size() - required.size()) + " を指定してください";
    const std::size_t colon = m.find(": ");
    if (colon != std::string::npos) {
        const std::string what = m.substr(0, colon), rest = m.substr(colon + 2);
        const std::string parsing = "Failed parsing ";
        if (startsWith(rest, parsing)) {
            const std::size_t as = rest.rfind(" as a");
            return what + " には整数を指定してください: " +
                   rest.substr(parsing.size(), as == std::string::npos ? std::string::npos : as - parsing.size());
        }
        const std::size_t notIn = rest.find(" not in {");
        if (notIn != std::string::npos && rest.back() == '}') {
            std::string choices = rest.substr(notIn + 9, rest.size() - notIn - 10);
            for (std::size_t c = 0; (c = choices.find(',', c)) != std::string::npos; c += 2) choices.replace(c, 1, ", ");
            return rest.substr(0, notIn) + " は指定できません（" + choices + " のいずれか）";
        }
        if (rest.find(" required ") != std::string::npos && rest.size() > 8 &&
            rest.compare(rest.size() - 8, 8, " missing") == 0)
            return what + " の値がありません";
    }
    return m;
}

void listCommands(std::ostream& os)
{
    os << "usage: tolv [--home DIR] COMMAND ...  ·  tolv --version  ·  tolv help COMMAND\n";
    os << "  --home DIR  " << argumentHelp("", "", "--home DIR") << "\n";
    for (const Command& c : kCommands) os << "  tolv " << c.usage << "\n      " << c.about << "\n";
    os << "tolv help COMMAND（tolv COMMAND --help と同じ）で 1 つのコマンドを説明します。\n";
}

// The help of one command: what it does, its usage line, each argument and option with its line of
// description, and the kinds its first argument takes (the formats of export and import).
std::string helpText(const Command& cmd, const std::string& usage, const UsageLine& line,
                     const std::vector<Variant>& variants, const Variant* chosen)
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
            lenient = true;  // a kind without declared options, or an unknown one the command reports
        }
    }

    CLI::App app(cmd.about ? cmd.about : "", "tolv " + name);
    app.set_help_flag("-h,--help", "prints this help");
    std::vector<std::pair<const UsageOption*, CLI::Option*>> declared;
    std::vector<CLI::Option*> positionals;
    for (const UsagePositional& p : line.positionals) {
        CLI::Option* o = app.add_option(p.name);
        if (!p.choices.empty()) o->description("one of: " + join(p.choices, ", "));
        o->type_name(p.repeat ? "..." : "");
        // A repeated positional takes every remaining argument (CLI11 needs allow_extra_args for that).
        if (p.repeat) o->expected(0, -1)->allow_extra_args(true);
        if (!p.optional) o->required();
        if (!p.choices.empty()) o->check(CLI::IsMember(p.choices));
        positionals.push_back(o);
    }
    for (const UsageOption& u : line.options) {
        CLI::Option* o = nullptr;
        if (u.meta.empty()) {
            o = app.add_flag(u.name);
            if (!u.repeat) o->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        } else {
            o = app.add_option(u.name);
            o->type_name(u.repeat ? u.meta + " ..." : u.meta);
            o->multi_option_policy(u.repeat ? CLI::MultiOptionPolicy::TakeAll : CLI::MultiOptionPolicy::TakeLast);
            if (u.integer) o->check(CLI::TypeValidator<long long>("INTEGER"));
        }
        if (u.required) o->required();
        declared.emplace_back(&u, o);
    }
    std::vector<UsageOption> guessed;  // options of a variant that declares none
    if (lenient) {
        for (const std::string& a : args) {
            if (a == "--") break;
            if (a.rfind("--", 0) != 0 || a.size() <= 2) continue;
            std::string n = a.substr(0, a.find('='));
            if (n == "--help" || line.option(n)) continue;
            bool seen = false;
            for (const UsageOption& g : guessed) seen = seen || g.name == n;
            if (!seen) guessed.push_back(UsageOption{n, isFlagOption(n) ? "" : "VALUE", false, true, false});
        }
        for (const UsageOption& g : guessed) {
            CLI::Option* o = g.meta.empty() ? app.add_flag(g.name) : app.add_option(g.name);
            if (!g.meta.empty()) o->type_name(g.meta)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
            declared.emplace_back(&g, o);
        }
    }

    Context ctx{{}, out, err};
    const std::vector<std::string> given = args;
    try {
        std::reverse(args.begin(), args.end());  // CLI11 takes a vector back to front
        app.parse(args);
        for (CLI::Option* p : positionals)
            for (const std::string& v : p->results()) ctx.args.positional.push_back(v);
        for (const auto& [u, o] : declared) {
            if (o->count() == 0) continue;
            auto& values = ctx.args.options[u->name];
            if (!u->meta.empty()) values = o->results();
        }
        return cmd.fn(ctx);
    } catch (const CLI::CallForHelp&) {
        out << helpText(cmd, usage, line, variants, chosen);
        return 0;
    } catch (const CLI::ExtrasError&) {
        // Named in the order they were given.
        std::vector<std::string> extra = app.remaining(), ordered;
        for (const std::string& a : given)
            if (std::find(extra.begin(), extra.end(), a) != extra.end()) ordered.push_back(a);
        err << "tolv " << name << ": 余分な引数です: " << join(ordered.empty() ? extra : ordered, " ")
            << "\nusage: tolv " << usage << "\n";
        return 2;
    } catch (const CLI::ParseError& e) {
        err << "tolv " << name << ": " << japanese(e) << "\nusage: tolv " << usage << "\n";
        return 2;
    } catch (const UsageError& e) {
        err << "tolv " << name << ": " << e.what() << "\nusage: tolv " << usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

} // namespace

bool isFlagOption(const std::string& name)
{
    return name == "--json" || name == "--lookup" || name == "--prefer-master" || name == "--yes" ||
           name == "--help" || name == "--zip" || name == "--replace" || name == "--again" || name == "--force";
}

bool applyFixedNow(const char* value)
{
    if (!value) return true;
    DateTime t;
    char tail = 0;
    if (std::sscanf(value, "%4d-%2d-%2d %2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour, &t.minute, &t.second,
                    &tail) != 6)
        return false;
    if (std::string(value).size() != 19 || !isValidDate(t.year * 10000 + t.month * 100 + t.day) || t.hour > 23 ||
        t.minute > 59 || t.second > 59 || t.hour < 0 || t.minute < 0 || t.second < 0)
        return false;
    setFixedNow(t);
    return true;
}

std::optional<std::string> Args::option(const std::string& name) const
{
    auto it = options.find(name);
    if (it == options.end() || it->second.empty()) return std::nullopt;
    return it->second.back();
}

std::vector<std::string> Args::all(const std::string& name) const
{
    auto it = options.find(name);
    return it == options.end() ? std::vector<std::string>{} : it->second;
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
        err << "tolv: TOLVSYS_NOW は \"YYYY-MM-DD hh:mm:ss\" の形の日時にしてください: " << std::getenv("TOLVSYS_NOW")
            << "\n";
        return 2;
    }
    CLI::App app("tolvsys: entries to swimming competitions", "tolv");
    std::string home;
    app.add_option("--home", home, "the working tree (default: $TOLVSYS_HOME)")->type_name("DIR");
    app.set_help_flag("");
    CLI::Option* help = app.add_flag("-h,--help");
    help->description("prints the commands");
    CLI::Option* version = app.add_flag("--version");
    app.prefix_command();
    std::vector<std::string> rest;
    try {
        std::vector<std::string> reversed(argv.rbegin(), argv.rend());
        app.parse(reversed);
        rest = app.remaining();
    } catch (const CLI::ParseError& e) {
        err << "tolv: " << japanese(e) << "\n";
        listCommands(err);
        return 2;
    }
    if (version->count() > 0 && rest.empty()) {
        out << "tolv " << programVersion() << "\n";
        return 0;
    }
    if (help->count() > 0 && rest.empty()) {
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
    if (!home.empty()) setenv("TOLVSYS_HOME", home.c_str(), 1);
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
