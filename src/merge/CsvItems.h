#pragma once
// The items of a comma-separated file as the merge reads them: separated by commas or line ends,
// quotes removed ("" inside quotes is one quote, commas and line ends inside quotes belong to the
// item), blanks and tabs around an unquoted item dropped, empty lines skipped. Records are not
// lines: a record is the next n items, whatever lines they lie on. Items stay CP932 bytes.
//
// Parsing is done by libcsv; its record ends are ignored, every field is one item.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolv::merge {

struct CsvItem {
    std::string bytes;
    int line = 0; // 1-based line on which the item ends
};

// Item count of a record: 1 + the commas of the first line (commas inside quotes count too).
int itemCountOfFirstLine(std::string_view bytes);

// Every item of the text, in order.
std::vector<CsvItem> splitCsvItems(std::string_view bytes);

// The file's bytes; TolvError naming the file when it cannot be read.
std::string readSourceBytes(const std::filesystem::path& path);

} // namespace tolv::merge
