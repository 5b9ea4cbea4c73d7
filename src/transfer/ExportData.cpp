#include "transfer/ExportData.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "transfer/CsvLine.h"
#include "transfer/FieldText.h"

#include <cstdio>

namespace tolv::exchange {

EntryData EntryData::read(const EntryStore& store)
{
    enforce(store.isOpen(), "申込ファイルが開かれていません");
    EntryData d;
    d.entryPath = store.path();
    d.header = store.header();
    d.swimmers = store.readAllSwimmers();
    return d;
}

std::string timeOfDayText(const DateTime& when)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", when.hour % 100, when.minute % 100, when.second % 100);
    return buf;
}

std::string swimmerLabel(std::size_t n, const SwimmerRecord& s)
{
    return "選手 " + std::to_string(n) + " " + cleaned(fieldText(s, SwimmerRecord::kNamae));
}

std::string timeField(std::int32_t value, std::size_t width, char pad, std::size_t n, const SwimmerRecord& s, int slot)
{
    std::string digits = std::to_string(value);
    // The label decodes the name: built only for the message.
    if (value < 0 || digits.size() > width)
        throw TolvError(swimmerLabel(n, s) + ": 種目 " + std::to_string(slot + 1) + " のタイム " + digits + " は " +
                        std::to_string(width) + " 桁に収まりません。");
    return padLeft(digits, width, pad);
}

std::string encodeSwimmerLine(const std::string& utf8, const char* file, std::size_t n, const SwimmerRecord& s)
{
    try {
        return toCp932(utf8);
    } catch (const TolvError& e) {
        throw TolvError(std::string(file) + ": " + swimmerLabel(n, s) + ": " + e.what());
    }
}

} // namespace tolv::exchange
