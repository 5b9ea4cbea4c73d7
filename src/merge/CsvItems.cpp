#include "merge/CsvItems.h"

#include "platform/Error.h"
#include "platform/FileReading.h"

#include <csv.h>

#include <iterator>
#include <memory>

namespace tolv::merge {
namespace {

struct Collector {
    std::vector<CsvItem>* items;
    int line = 1;
};

void onField(void* data, std::size_t len, void* user)
{
    auto* c = static_cast<Collector*>(user);
    c->items->push_back(CsvItem{std::string(static_cast<const char*>(data), len), c->line});
}

void onRecordEnd(int, void*) {}

} // namespace

int itemCountOfFirstLine(std::string_view bytes)
{
    int n = 1;
    for (char c : bytes) {
        if (c == '\r' || c == '\n') break;
        if (c == ',') ++n;
    }
    return n;
}

std::vector<CsvItem> splitCsvItems(std::string_view bytes)
{
    std::vector<CsvItem> items;
    Collector c{&items};
    csv_parser p;
    if (csv_init(&p, 0) != 0) throw TolvError("CSV を読む準備ができません");
    std::unique_ptr<csv_parser, void (*)(csv_parser*)> guard(&p, csv_free);
    // Fed line by line, so every item knows the line it ends on. A CR LF pair counts as one line end.
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = at; // a plain scan: find_first_of tries both characters at every position
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (end < bytes.size()) end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        const std::string_view piece = bytes.substr(at, end - at);
        if (csv_parse(&p, piece.data(), piece.size(), onField, onRecordEnd, &c) != piece.size())
            throw TolvError(std::string("CSV を読めません: ") + csv_strerror(csv_error(&p)));
        ++c.line;
        at = end;
    }
    --c.line;
    csv_fini(&p, onField, onRecordEnd, &c);
    return items;
}

std::string readSourceBytes(const std::filesystem::path& path)
{
    std::error_code ec;
    enforce(std::filesystem::is_regular_file(path, ec), "結合するファイルがありません: " + path.string());
    return readWholeFile(path);
}

} // namespace tolv::merge
