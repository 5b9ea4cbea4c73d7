#pragma once
// The tolv command: argument parsing and the command table.
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tolv::cli {

class UsageError : public std::exception {
public:
    explicit UsageError(std::string m) : msg_(std::move(m)) {}
    const char* what() const noexcept override { return msg_.c_str(); }

private:
    std::string msg_;
};

struct Args {
    std::vector<std::string> positional;                     // after the command name
    std::map<std::string, std::vector<std::string>> options; // "--name" -> values
    bool flag(const std::string& name) const { return options.count(name) > 0; }
    std::optional<std::string> option(const std::string& name) const;
    std::vector<std::string> all(const std::string& name) const;
    // Positional i, or a UsageError naming what is missing.
    const std::string& need(std::size_t i, const char* what) const;
    // --name N as an integer (UsageError when not a number).
    std::optional<long long> number(const std::string& name) const;
};

struct Context {
    Args args;
    std::ostream& out;
    std::ostream& err;
};

using CommandFn = int (*)(Context&);

// A variant of a command that takes a kind as its first argument (the formats of export and
// import): its name and the options it adds, written as in a usage line ("[--zip] [--class K]...").
// A variant without declared options (nullptr) accepts any option: `--name VALUE`, or `--name`
// alone for the options isFlagOption names.
struct Variant {
    const char* name;
    const char* options;
    const char* about = nullptr; // one line for --help: what the format writes or reads, what it needs first
};

// One row per command. The usage line declares the command's arguments: bare words are positional
// arguments (`a|b|c` a choice, `NAME...` any number), `--name META` an option with a value
// (`N` or `PT`: an integer), `--name` alone a flag, `[...]` optional, `[...]...` repeatable.
struct Command {
    const char* name;
    const char* usage;
    CommandFn fn;
    const char* about = nullptr;                  // one line for --help
    std::vector<Variant> (*variants)() = nullptr; // kinds named by the first argument
};

// Runs `tolv [--home DIR] COMMAND ...`: 0 done, 1 failed, 2 usage error.
int run(int argc, char** argv);
int run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

// Options that take no value where a variant does not declare its options.
bool isFlagOption(const std::string& name);

// Sets the current date and time from TOLVSYS_NOW ("YYYY-MM-DD hh:mm:ss") when it is set; false when
// it is set but not such a date and time.
bool applyFixedNow(const char* value);

// Printing for report commands: --print-log FILE and/or --pdf FILE, default print log on stdout.
} // namespace tolv::cli

namespace tolv {
class Printer;
}

namespace tolv::cli {
// Calls draw with the printer the options ask for.
void withPrinter(Context& ctx, const std::function<void(tolv::Printer&)>& draw);
} // namespace tolv::cli
