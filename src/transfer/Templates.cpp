#include "transfer/Templates.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "platform/PlainFile.h"
#include "storage/ControlFiles.h"
#include "storage/CsvDelimiters.h"

#include <fstream>
#include <sstream>

namespace tolv::exchange {

namespace fs = std::filesystem;

namespace {
constexpr std::uint64_t kMaxTemplateBytes = 1 << 20;
}

void installDefaultTemplates(const fs::path& ctl)
{
    std::error_code ec;
    fs::create_directories(ctl, ec);
    for (const EmbeddedTemplate& t : embeddedTemplates()) {
        if (fs::exists(findNoCase(ctl, t.name), ec)) continue;
        std::string crlf;
        for (char c : t.utf8) {
            if (c == '\n') crlf += '\r';
            crlf += c;
        }
        replaceFile(ctl / t.name, toCp932(crlf));
    }
}

std::vector<std::string> readTemplate(const fs::path& ctl, const std::string& name, std::size_t count)
{
    const fs::path path = findNoCase(ctl, name);
    // One line of column titles: a file beyond this size, a link, a folder or a FIFO is refused
    // (with the reason) before anything is read.
    const std::optional<std::string> bytes = readPlainFile(path, kMaxTemplateBytes);
    enforce(bytes.has_value(), "テンプレートファイルがありません: " + path.string());
    std::vector<std::string> fields = parseControlFields(fromCp932(*bytes));
    enforce(fields.size() >= count, "テンプレートの項目が足りません: " + path.string() + " (" + std::to_string(fields.size()) +
                                        " 項目、" + std::to_string(count) + " 項目必要です)");
    fields.resize(count);
    return fields;
}

std::string quotedHeader(const std::vector<std::string>& fields)
{
    std::string s;
    // Every field is quoted (so an amount keeps its "1,000"); a double quote inside one would end it
    // early and is written full-width.
    for (std::size_t i = 0; i < fields.size(); ++i) s += (i ? ",\"" : "\"") + fullWidthQuotes(fields[i]) + "\"";
    return s + "\r\n";
}

std::string plainHeader(const std::vector<std::string>& fields, int extraEmpty)
{
    std::string s;
    for (std::size_t i = 0; i < fields.size(); ++i) s += (i ? "," : "") + fields[i];
    for (int i = 0; i < extraEmpty; ++i) s += ",";
    return s + "\r\n";
}

} // namespace tolv::exchange
