#include "cli/UsageLine.h"

#include "cli/Cli.h"

#include <sstream>

namespace tolv::cli {
namespace {

std::vector<std::string> words(const std::string& s)
{
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

bool isOptionWord(const std::string& w) { return w.rfind("--", 0) == 0; }

std::vector<std::string> split(const std::string& s, char c)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t bar; (bar = s.find(c, start)) != std::string::npos; start = bar + 1)
        out.push_back(s.substr(start, bar - start));
    out.push_back(s.substr(start));
    return out;
}

// Reads groups from words: "[", the words up to "]", and "..." after it, or one bare word (an
// option outside brackets takes the next bare word as its value's name).
void readGroups(UsageLine& line, const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bool optional = false, repeat = false;
        std::string group;
        if (text[i] == '[') {
            std::size_t close = text.find(']', i);
            if (close == std::string::npos) throw std::logic_error("unbalanced usage line: " + text);
            group = text.substr(i + 1, close - i - 1);
            optional = true;
            i = close + 1;
        } else {
            std::size_t end = text.find(' ', i);
            if (end == std::string::npos) end = text.size();
            group = text.substr(i, end - i);
            i = end;
            if (isOptionWord(group)) {
                std::size_t next = text.find_first_not_of(' ', i);
                if (next != std::string::npos && text[next] != '[' && text.compare(next, 2, "--") != 0) {
                    std::size_t end2 = text.find(' ', next);
                    if (end2 == std::string::npos) end2 = text.size();
                    group += " " + text.substr(next, end2 - next);
                    i = end2;
                }
            }
        }
        if (text.compare(i, 3, "...") == 0) {
            repeat = true;
            i += 3;
        }
        std::vector<std::string> w = words(group);
        if (w.empty()) continue;
        if (isOptionWord(w[0])) {
            UsageOption o{w[0], w.size() > 1 ? w[1] : "", !optional, repeat, false};
            o.integer = o.meta == "N" || o.meta == "PT";
            line.options.push_back(o);
            continue;
        }
        UsagePositional p;
        p.optional = optional;
        p.repeat = repeat;
        p.name = w[0];
        if (p.name.size() > 3 && p.name.compare(p.name.size() - 3, 3, "...") == 0) {
            p.name.resize(p.name.size() - 3);
            p.repeat = true;
        }
        if (p.name.find('|') != std::string::npos) {
            p.choices = split(p.name, '|');
            p.name = line.positionals.empty() ? "KIND" : "KIND" + std::to_string(line.positionals.size() + 1);
        }
        line.positionals.push_back(p);
    }
}

} // namespace

UsageLine UsageLine::parse(const std::string& usage)
{
    UsageLine line;
    std::size_t space = usage.find(' ');
    if (space != std::string::npos) readGroups(line, usage.substr(space + 1));
    return line;
}

void UsageLine::addOptions(const std::string& fragment) { readGroups(*this, fragment); }

const UsageOption* UsageLine::option(const std::string& name) const
{
    for (const UsageOption& o : options)
        if (o.name == name) return &o;
    return nullptr;
}

std::string join(const std::vector<std::string>& items, const std::string& separator)
{
    std::string out;
    for (const std::string& s : items) out += (out.empty() ? "" : separator) + s;
    return out;
}

} // namespace tolv::cli
