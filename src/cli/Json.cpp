#include "cli/Json.h"

#include <ostream>
#include <string>

namespace tolv::cli {

namespace {

// Lays a value out into a buffer; scalars go through the library's serializer, one per value written.
class Layout {
public:
    std::string text;

    void write(const Json& v, int indent)
    {
        if (v.is_object()) {
            text += "{\n";
            std::size_t i = 0;
            for (auto it = v.begin(); it != v.end(); ++it, ++i) {
                text.append(static_cast<std::size_t>(indent + 2), ' ');
                serializer_.dump(Json(it.key()), false, false, 0);
                text += ": ";
                write(it.value(), indent + 2);
                text += i + 1 < v.size() ? ",\n" : "\n";
            }
            text.append(static_cast<std::size_t>(indent), ' ');
            text += '}';
        } else if (v.is_array()) {
            if (v.empty()) {
                text += "[]";
                return;
            }
            bool flat = true;
            for (const Json& e : v) flat = flat && !e.is_structured();
            text += '[';
            for (std::size_t i = 0; i < v.size(); ++i) {
                if (!flat) text.append("\n").append(static_cast<std::size_t>(indent + 2), ' ');
                write(v[i], indent + 2);
                if (i + 1 < v.size()) text += flat ? ", " : ",";
            }
            if (!flat) text.append("\n").append(static_cast<std::size_t>(indent), ' ');
            text += ']';
        } else {
            serializer_.dump(v, false, false, 0);
        }
    }

private:
    nlohmann::detail::serializer<Json> serializer_{nlohmann::detail::output_adapter<char>(text), ' ',
                                                   Json::error_handler_t::replace};
};

} // namespace

void writeJson(std::ostream& out, const Json& v, int indent)
{
    Layout layout;
    layout.write(v, indent);
    out.write(layout.text.data(), static_cast<std::streamsize>(layout.text.size()));
}

} // namespace tolv::cli
