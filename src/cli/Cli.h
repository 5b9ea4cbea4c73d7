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
    std::map<std::string, std::vector<std::string>> options;  // "--name" -> values
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

struct Command {
    const char* name;
    const char* usage;
    CommandFn fn;
};

// Runs `tolv [--home DIR] COMMAND ...`: 0 done, 1 failed, 2 usage error.
int run(int argc, char** argv);
int run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

// Options that take no value.
bool isFlagOption(const std::string& name);

// Printing for report commands: --print-log FILE and/or --pdf FILE, default print log on stdout.
} // namespace tolv::cli

namespace tolv {
class Printer;
}

namespace tolv::cli {
// Calls draw with the printer the options ask for.
void withPrinter(Context& ctx, const std::function<void(tolv::Printer&)>& draw);
} // namespace tolv::cli
