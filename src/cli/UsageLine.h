#pragma once
// Reads the arguments a usage line declares, e.g.
//   "add ENTRY --qbango Q [--lookup] [--from N] [--event CODE=TIME]..."
// Bare words are positional arguments ("a|b|c" a choice, "NAME..." any number), "--name META" an
// option with a value ("N" or "PT": an integer), "--name" alone a flag, "[...]" optional,
// "[...]..." repeatable. The first word is the command's name.
#include <string>
#include <vector>

namespace tolv::cli {

struct UsagePositional {
    std::string name;                 // "ENTRY"; a choice is named by its position ("KIND")
    std::vector<std::string> choices; // "a|b|c"
    bool optional = false;
    bool repeat = false;
};

struct UsageOption {
    std::string name; // "--from"
    std::string meta; // "N"; empty for a flag
    bool required = false;
    bool repeat = false;
    bool integer = false;
};

struct UsageLine {
    std::vector<UsagePositional> positionals;
    std::vector<UsageOption> options;

    static UsageLine parse(const std::string& usage);
    // Adds the options of a fragment without a command name ("[--zip] [--class K]...").
    void addOptions(const std::string& fragment);
    const UsageOption* option(const std::string& name) const;
};

std::string join(const std::vector<std::string>& items, const std::string& separator);

} // namespace tolv::cli
