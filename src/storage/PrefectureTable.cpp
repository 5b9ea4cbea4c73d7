#include "storage/PrefectureTable.h"

#include "platform/Cp932.h"
#include "platform/Paths.h"

#include <system_error>

namespace tolv {

namespace {

constexpr std::size_t kReadingBytes = 6;

bool isVoicedMark(unsigned char c) { return c == 0xDE || c == 0xDF; } // ﾞ ﾟ

// Cuts a half-width kana reading to the field, dropping a kana whose voiced mark does not fit.
std::string fitReading(const std::string& utf8)
{
    std::string bytes = toCp932(utf8);
    if (bytes.size() <= kReadingBytes) return utf8;
    std::size_t cut = kReadingBytes;
    while (cut > 0 && isVoicedMark(static_cast<unsigned char>(bytes[cut]))) --cut;
    return fromCp932(bytes.substr(0, cut));
}

std::vector<Prefecture> buildTable()
{
    static const char* const kTable[kPrefectureCount][2] = {
        {"北海道", "ﾎｯｶｲﾄﾞｳ"}, {"青森県", "ｱｵﾓﾘ"},  {"岩手県", "ｲﾜﾃ"},   {"宮城県", "ﾐﾔｷﾞ"},    {"秋田県", "ｱｷﾀ"},
        {"山形県", "ﾔﾏｶﾞﾀ"},   {"福島県", "ﾌｸｼﾏ"},  {"茨城県", "ｲﾊﾞﾗｷ"}, {"栃木県", "ﾄﾁｷﾞ"},    {"群馬県", "ｸﾞﾝﾏ"},
        {"埼玉県", "ｻｲﾀﾏ"},    {"千葉県", "ﾁﾊﾞ"},   {"東京都", "ﾄｳｷｮｳ"}, {"神奈川県", "ｶﾅｶﾞﾜ"}, {"新潟県", "ﾆｲｶﾞﾀ"},
        {"富山県", "ﾄﾔﾏ"},     {"石川県", "ｲｼｶﾜ"},  {"福井県", "ﾌｸｲ"},   {"山梨県", "ﾔﾏﾅｼ"},    {"長野県", "ﾅｶﾞﾉ"},
        {"岐阜県", "ｷﾞﾌ"},     {"静岡県", "ｼｽﾞｵｶ"}, {"愛知県", "ｱｲﾁ"},   {"三重県", "ﾐｴ"},      {"滋賀県", "ｼｶﾞ"},
        {"京都府", "ｷｮｳﾄ"},    {"大阪府", "ｵｵｻｶ"},  {"兵庫県", "ﾋｮｳｺﾞ"}, {"奈良県", "ﾅﾗ"},      {"和歌山県", "ﾜｶﾔﾏ"},
        {"鳥取県", "ﾄｯﾄﾘ"},    {"島根県", "ｼﾏﾈ"},   {"岡山県", "ｵｶﾔﾏ"},  {"広島県", "ﾋﾛｼﾏ"},    {"山口県", "ﾔﾏｸﾞﾁ"},
        {"徳島県", "ﾄｸｼﾏ"},    {"香川県", "ｶｶﾞﾜ"},  {"愛媛県", "ｴﾋﾒ"},   {"高知県", "ｺｳﾁ"},     {"福岡県", "ﾌｸｵｶ"},
        {"佐賀県", "ｻｶﾞ"},     {"長崎県", "ﾅｶﾞｻｷ"}, {"熊本県", "ｸﾏﾓﾄ"},  {"大分県", "ｵｵｲﾀ"},    {"宮崎県", "ﾐﾔｻﾞｷ"},
        {"鹿児島県", "ｶｺﾞｼﾏ"}, {"沖縄県", "ｵｷﾅﾜ"},
    };
    std::vector<Prefecture> out;
    out.reserve(kPrefectureCount);
    for (const auto& row : kTable) out.push_back(Prefecture{row[0], fitReading(row[1]), ""});
    return out;
}

} // namespace

const std::vector<Prefecture>& shippedPrefectures()
{
    static const std::vector<Prefecture> table = buildTable();
    return table;
}

bool installShippedPrefectureTable(const std::filesystem::path& ctlDir)
{
    std::error_code ec;
    if (std::filesystem::exists(findNoCase(ctlDir, "ken.ctl"), ec)) return false;
    writePrefectureTable(ctlDir / "ken.ctl", shippedPrefectures());
    return true;
}

} // namespace tolv
