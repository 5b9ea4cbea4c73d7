#include "cli/Cli.h"

#include "cli/Commands.h"
#include "gui/PrintPreview.h"
#include "platform/Error.h"
#include "platform/Printer.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

namespace tolv::cli {
namespace {

const Command kCommands[] = {
    {"new", "new ENTRY", cmdNew},
    {"show", "show ENTRY [--json]", cmdShow},
    {"set-header",
     "set-header ENTRY [--zigyo T] [--basho T] [--stbi YYYYMMDD] [--enbi YYYYMMDD] [--tcod T] "
     "[--kijunbi YYYYMMDD] [--course N] [--kubun N] [--botai N]",
     cmdSetHeader},
    {"demo", "demo DIR", cmdDemo},
    {"add",
     "add ENTRY --qbango Q [--lookup] [--master DIR] [--bango B] [--namae T] [--kana T] [--event CODE=TIME]...",
     cmdAdd},
    {"check", "check number|qbango|birth|kana|grade|age|no-category|four-events|same-time ENTRY [--print-log FILE] [--pdf FILE]", cmdCheck},
    {"rewrite", "rewrite kana|age|grade|grade-company|main|secondary|prefecture|same-time ENTRY", cmdRewrite},
    {"tally", "tally ENTRY [--master DIR]", cmdTally},
    {"sort", "sort club|sex ENTRY", cmdSort},
    {"print",
     "print team-list|events|events-reserve|fee-list|receipts|address|entry-form|individuals|individual-events|"
     "time-list ENTRY [--from N] [--to N] [--issuer N=TEXT] [--issuer-size N=PT] [--print-log FILE] [--pdf FILE]",
     cmdPrint},
    {"export", "export FORMAT ENTRY [--to DIR]", cmdExport},
    {"import", "import FORMAT ENTRY [--from DIR]", cmdImport},
};

void usage(std::ostream& err)
{
    err << "usage: tolv [--home DIR] COMMAND ...\n";
    for (const Command& c : kCommands) err << "  tolv " << c.usage << "\n";
}

} // namespace

bool isFlagOption(const std::string& name)
{
    return name == "--json" || name == "--lookup" || name == "--prefer-master" || name == "--yes" ||
           name == "--help";
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
    if (i >= positional.size()) throw UsageError(std::string("missing ") + what);
    return positional[i];
}

std::optional<long long> Args::number(const std::string& name) const
{
    auto v = option(name);
    if (!v) return std::nullopt;
    try {
        std::size_t used = 0;
        long long n = std::stoll(*v, &used);
        if (used != v->size()) throw UsageError(name + " needs a number: " + *v);
        return n;
    } catch (const std::logic_error&) {
        throw UsageError(name + " needs a number: " + *v);
    }
}

int run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err)
{
    std::size_t i = 0;
    while (i < argv.size() && argv[i].rfind("--", 0) == 0) {
        if (argv[i] == "--home" && i + 1 < argv.size()) {
            setenv("TOLVSYS_HOME", argv[i + 1].c_str(), 1);
            i += 2;
        } else if (argv[i] == "--help") {
            usage(out);
            return 0;
        } else {
            err << "tolv: unknown option " << argv[i] << "\n";
            usage(err);
            return 2;
        }
    }
    if (i >= argv.size()) {
        usage(err);
        return 2;
    }
    const std::string name = argv[i++];
    const Command* cmd = nullptr;
    for (const Command& c : kCommands)
        if (name == c.name) cmd = &c;
    if (!cmd) {
        err << "tolv: unknown command " << name << "\n";
        usage(err);
        return 2;
    }
    Context ctx{{}, out, err};
    try {
        for (; i < argv.size(); ++i) {
            const std::string& a = argv[i];
            if (a.rfind("--", 0) == 0 && a.size() > 2) {
                if (isFlagOption(a)) {
                    ctx.args.options[a];
                } else {
                    if (i + 1 >= argv.size()) throw UsageError(a + " needs a value");
                    ctx.args.options[a].push_back(argv[++i]);
                }
            } else {
                ctx.args.positional.push_back(a);
            }
        }
        return cmd->fn(ctx);
    } catch (const UsageError& e) {
        err << "tolv " << name << ": " << e.what() << "\nusage: tolv " << cmd->usage << "\n";
        return 2;
    } catch (const TolvError& e) {
        err << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        err << e.what() << "\n";
        return 1;
    }
}

int run(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return run(args, std::cout, std::cerr);
}

void withPrinter(Context& ctx, const std::function<void(tolv::Printer&)>& draw)
{
    auto logPath = ctx.args.option("--print-log");
    auto pdfPath = ctx.args.option("--pdf");
    std::ofstream logFile;
    if (logPath) {
        logFile.open(*logPath, std::ios::binary | std::ios::trunc);
        enforce(bool(logFile), "印刷ログを作成できません: " + *logPath);
    }
    if (pdfPath) {
        // Qt is started only here, offscreen, for drawing the PDF.
        tolv::gui::writePdf(*pdfPath, [&](tolv::Printer& pdf) {
            if (!logPath) {
                draw(pdf);
                return;
            }
            PrintLog log(logFile);
            TeePrinter both(pdf, log);
            draw(both);
        });
        return;
    }
    PrintLog log(logPath ? static_cast<std::ostream&>(logFile) : ctx.out);
    draw(log);
}

} // namespace tolv::cli
