#pragma once
// The swimmer a relay line names: the first record, in record order, with the line's key (team code
// and sex, for SWM also the school level). Relay files name their swimmer by such a key, and a scan
// from the first record for every line would make an import grow with lines × swimmers; the index
// is built once and answers each line at once.
#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>

namespace tolv {

class RelayIndex {
public:
    // Records are added in record order; a key keeps the first record added with it.
    void add(std::string key, std::size_t record) { first_.emplace(std::move(key), record); }
    std::optional<std::size_t> find(const std::string& key) const
    {
        auto it = first_.find(key);
        if (it == first_.end()) return std::nullopt;
        return it->second;
    }
    void reserve(std::size_t n) { first_.reserve(n); }

private:
    std::unordered_map<std::string, std::size_t> first_;
};

} // namespace tolv
