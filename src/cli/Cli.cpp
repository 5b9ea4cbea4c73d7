#include "cli/Cli.h"

#include "cli/Commands.h"
#include "cli/UsageLine.h"
#include "platform/Clock.h"
#include "platform/Error.h"

#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <iostream>

namespace tolv::cli {
namespace {

const Command kCommands[] = {
    {"new", "new ENTRY", cmdNew, "Opens or creates an entry file (a new file is initialised)."},
    {"show", "show ENTRY [--json]", cmdShow, "Prints the header, the reserve events and every swimmer."},
    {"set-header",
     "set-header ENTRY [--zigyo T] [--basho T] [--stbi YYYYMMDD] [--enbi YYYYMMDD] [--tcod T] "
     "[--kijunbi YYYYMMDD] [--course N] [--kubun N] [--botai N]",
     cmdSetHeader, "Edits the header with the entry window's rules."},
    {"demo", "demo DIR", cmdDemo, "Writes the demo registration master and a sample entry file into DIR."},
    {"add",
     "add ENTRY --qbango Q [--lookup] [--master DIR] [--bango B] [--namae T] [--kana T] [--event CODE=TIME]...",
     cmdAdd, "Adds one swimmer as the new-entry run makes it."},
    {"check",
     "check number|qbango|birth|kana|grade|age|no-category|four-events|same-time ENTRY [--print-log FILE] "
     "[--pdf FILE]",
     cmdCheck, "Prints one check list of the entry file."},
    {"rewrite", "rewrite kana|age|grade|grade-company|main|secondary|prefecture|same-time ENTRY", cmdRewrite,
     "Rewrites one field of every swimmer."},
    {"tally", "tally ENTRY [--master DIR]", cmdTally, "Tallies the teams into the team totals file."},
    {"sort", "sort club|sex ENTRY", cmdSort, "Sorts the swimmers."},
    {"print",
     "print team-list|events|events-reserve|fee-list|receipts|address|entry-form|individuals|individual-events|"
     "time-list [ENTRY] [--from N] [--to N] [--issuer N=TEXT]... [--issuer-size N=PT]... [--print-log FILE] "
     "[--pdf FILE]",
     cmdPrint, "Prints one list."},
    {"export", "export FORMAT ENTRY [--to DIR]", cmdExport, "Writes the entry file in a foreign format.",
     exportFormats},
    {"import", "import FORMAT ENTRY [--from DIR]", cmdImport, "Reads a foreign format into the entry file.",
     importFormats},
    {"backups", "backups ENTRY", cmdBackups, "Lists the automatic backups of an entry file as numbered steps, newest first."},
    {"undo", "undo ENTRY [STEP] [--yes] [--force]", cmdUndo,
     "Puts a backup (STEP of tolv backups, default 1: the newest) back in place of the entry file (asks first unless --yes)."},
    {"merge", "merge ENTRY SOURCE... [--format NAME] [--prefer-master] [--master DIR] [--again]", cmdMerge,
     "Appends entry files, or comma-separated files read through a stored reading format, to the entry file."},
    {"formats", "formats list|show [NAME]", cmdFormats, "Lists the stored reading formats or shows one."},
    {"verify", "verify ENTRY", cmdVerify,
     "Checks the structure of an entry file; exit 0 sound, 3 sound with data findings, 1 damaged."},
};

bool startsWith(const std::string& s, const std::string& head) { return s.rfind(head, 0) == 0; }

// One line of help for the options of the safety net and the merge.
const char* optionDescription(const std::string& command, const std::string& option)
{
    if (command == "merge" && option == "--again") return "結合済みのファイルでももう一度結合する";
    if (command == "undo" && option == "--yes") return "確認せずに元に戻す";
    if (command == "undo" && option == "--force") return "最後の一括処理の後に変更された申込ファイルでも元に戻す";
    return nullptr;
}

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
    os << "usage: tolv [--home DIR] COMMAND ...\n";
    for (const Command& c : kCommands) os << "  tolv " << c.usage << "\n";
    os << "tolv COMMAND --help describes one command.\n";
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
    std::string footer;
    bool lenient = false;
    if (cmd.variants) {
        std::vector<Variant> variants = cmd.variants();
        std::optional<std::string> kind = firstPositional(args, line);
        const Variant* chosen = nullptr;
        for (const Variant& v : variants)
            if (kind && *kind == v.name) chosen = &v;
        if (chosen && chosen->options) {
            line.addOptions(chosen->options);
            usage += std::string(" ") + chosen->options;
        } else {
            lenient = true;  // a kind without declared options, or an unknown one the command reports
        }
        footer = "\n" + std::string(line.positionals.empty() ? "KIND" : line.positionals[0].name) + ":\n";
        for (const Variant& v : variants)
            footer += std::string("  ") + v.name + (v.options ? std::string(" ") + v.options : "") + "\n";
    }

    CLI::App app(cmd.about ? cmd.about : "", "tolv " + name);
    app.footer("\nusage: tolv " + usage + footer);
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
        if (const char* d = optionDescription(name, u.name)) o->description(d);
        else if (const char* about = lenexOptionHelp(u.name)) o->description(about);
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
        out << app.help();
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
    if (help->count() > 0 && rest.empty()) {
        listCommands(out);
        return 0;
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
