#include "storage/CsvDelimiters.h"

#include "platform/Cp932.h"

namespace tolv {

namespace {

constexpr std::string_view kComma = "，"; // U+FF0C
constexpr std::string_view kQuote = "＂"; // U+FF02

} // namespace

bool holdsCsvDelimiter(std::string_view text) { return text.find_first_of(",\"") != std::string_view::npos; }

std::string csvDelimiterRefusal(const std::string& label)
{
    return label + ": 半角の「,」と「\"」はCSVの区切りに使われるため入力できません（全角の「，」「＂」を使ってください）。";
}

std::string fullWidthDelimiters(std::string_view utf8)
{
    if (!holdsCsvDelimiter(utf8)) return std::string(utf8);
    std::string out;
    out.reserve(utf8.size() + 8);
    for (char c : utf8) {
        if (c == ',') out += kComma;
        else if (c == '"') out += kQuote;
        else out += c;
    }
    return out;
}

void appendFullWidthDelimitersCp932(std::string_view cp932, std::string& out)
{
    static const std::string comma = toCp932(kComma), quote = toCp932(kQuote);
    std::size_t from = 0;
    for (std::size_t at = cp932.find_first_of(",\""); at != std::string_view::npos; at = cp932.find_first_of(",\"", from)) {
        out.append(cp932.data() + from, at - from);
        out += cp932[at] == ',' ? comma : quote;
        from = at + 1;
    }
    out.append(cp932.data() + from, cp932.size() - from);
}

std::string fullWidthQuotes(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '"') out += kQuote;
        else out += c;
    }
    return out;
}

const std::vector<Field>& swimmerTextFields()
{
    using S = SwimmerRecord;
    static const std::vector<Field> fields{S::kBango,   S::kQBango,  S::kNamae,   S::kKana,       S::kKen,
                                           S::kKenKana, S::kShozoku, S::kGakunen, S::kShozokuKana};
    return fields;
}

bool swimmerHoldsCsvDelimiter(const SwimmerRecord& s)
{
    for (const Field& f : swimmerTextFields())
        if (holdsCsvDelimiter(s.raw(f))) return true;
    return false;
}

bool storeDelimitersFullWidth(SwimmerRecord& s)
{
    // On the CP932 bytes: 0x2C and 0x22 are never the second byte of a character, and the other
    // bytes of the field stay as they are.
    static const std::string comma = toCp932(kComma), quote = toCp932(kQuote);
    bool changed = false;
    for (const Field& f : swimmerTextFields()) {
        const std::string bytes = s.textBytes(f.offset, f.size());
        if (!holdsCsvDelimiter(bytes)) continue;
        std::string out;
        for (char c : bytes) out += c == ',' ? comma : c == '"' ? quote : std::string(1, c);
        s.setTextBytes(f, out);
        changed = true;
    }
    return changed;
}

std::string delimiterSwimmerLabel(std::size_t n, const SwimmerRecord& s)
{
    std::string name = fromCp932(s.textBytes(SwimmerRecord::kNamae.offset, SwimmerRecord::kNamae.size()));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return "選手 " + std::to_string(n) + " " + name;
}

std::vector<std::string> storeDelimitersFullWidth(std::vector<SwimmerRecord>& swimmers)
{
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < swimmers.size(); ++i)
        if (storeDelimitersFullWidth(swimmers[i])) changed.push_back(delimiterSwimmerLabel(i + 1, swimmers[i]));
    return changed;
}

std::string delimiterChangeNote(const std::vector<std::string>& labels, bool stored)
{
    if (labels.empty()) return {};
    std::string out = stored ? "半角の「,」「\"」を全角にして取り込んだ選手 " : "半角の「,」「\"」を全角にして書き出した選手 ";
    out += std::to_string(labels.size()) + " 人:";
    for (std::size_t i = 0; i < labels.size() && i < 20; ++i) out += (i ? "、" : " ") + labels[i];
    if (labels.size() > 20) out += " ほか " + std::to_string(labels.size() - 20) + " 人";
    return out;
}

} // namespace tolv
