#include "cli/Json.h"

#include <cstdio>

namespace tolv::cli {

std::string jsonString(std::string_view s)
{
    std::string out = "\"";
    for (unsigned char c : s) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::raw(const std::string& key, const std::string& rendered)
{
    items_.emplace_back(key, rendered);
    return *this;
}

std::string JsonObject::str(int indent) const
{
    std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    std::string out = "{\n";
    for (std::size_t i = 0; i < items_.size(); ++i) {
        out += pad + jsonString(items_[i].first) + ": " + items_[i].second;
        out += i + 1 < items_.size() ? ",\n" : "\n";
    }
    return out + std::string(static_cast<std::size_t>(indent), ' ') + "}";
}

std::string jsonArray(const std::vector<std::string>& items, bool multiline, int indent)
{
    if (items.empty()) return "[]";
    std::string out = "[";
    std::string pad(static_cast<std::size_t>(indent + 2), ' ');
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (multiline) out += "\n" + pad;
        out += items[i];
        if (i + 1 < items.size()) out += multiline ? "," : ", ";
    }
    if (multiline) out += "\n" + std::string(static_cast<std::size_t>(indent), ' ');
    return out + "]";
}

} // namespace tolv::cli
