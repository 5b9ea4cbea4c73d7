#pragma once
// A small JSON writer for the CLI's --json output (UTF-8 text, escaped).
#include <string>
#include <string_view>
#include <vector>

namespace tolv::cli {

std::string jsonString(std::string_view utf8);

// Builds one object or array; values are inserted already rendered.
class JsonObject {
public:
    JsonObject& raw(const std::string& key, const std::string& rendered);
    JsonObject& text(const std::string& key, std::string_view value) { return raw(key, jsonString(value)); }
    JsonObject& number(const std::string& key, long long value) { return raw(key, std::to_string(value)); }
    std::string str(int indent = 0) const;

private:
    std::vector<std::pair<std::string, std::string>> items_;
};

std::string jsonArray(const std::vector<std::string>& rendered, bool multiline = false, int indent = 0);

} // namespace tolv::cli
