#include "transfer/ImportSupport.h"

#include "platform/Cp932.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "platform/Prompt.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/Verify.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace tolv {
namespace {

namespace fs = std::filesystem;

// The closing message lists this many skipped lines; the rest are counted.
constexpr std::size_t kListedSkips = 10;

bool isDriveForm(const std::string& s) { return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':'; }

} // namespace

ImportFolder transferImportFolder()
{
    const TenControl ten = loadTenControl(ctlDir());
    return ImportFolder{toHostPath(ten.folder), ten.folder};
}

ImportFolder importFolderAt(const fs::path& host) { return ImportFolder{host, host.string()}; }

void waitForDrive(const ImportFolder& folder, Prompt& prompt)
{
    if (!isDriveForm(folder.shown)) return;
    while (true) {
        std::optional<fs::path> root = driveRoot(folder.shown[0]);
        std::error_code ec;
        if (root && fs::is_directory(*root, ec)) return;
        if (!prompt.ask(folder.shown + " にフロッピーを入れてください。")) throw ImportCancelled();
    }
}

std::optional<std::string> readInputFile(const fs::path& folder, const std::string& name)
{
    return readFileIfPresent(findNoCase(folder, name));
}

std::string nameOnDisk(const fs::path& folder, const std::string& name) { return findNoCase(folder, name).filename().string(); }

std::vector<std::string> splitLines(const std::string& bytes)
{
    std::vector<std::string_view> views = lineViews(bytes);
    return std::vector<std::string>(views.begin(), views.end());
}

std::vector<std::string_view> lineViews(std::string_view text)
{
    std::vector<std::string_view> lines;
    if (std::size_t eof = text.find('\x1a'); eof != std::string_view::npos) text = text.substr(0, eof);
    std::size_t i = 0;
    while (i < text.size()) {
        // A plain scan: find_first_of tries each of its characters at every position.
        std::size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        if (end == text.size()) {
            lines.emplace_back(text.substr(i));
            break;
        }
        lines.emplace_back(text.substr(i, end - i));
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    return lines;
}

void inputFault(const std::string& file, int line, const std::string& what)
{
    throw TolvError(file + " " + std::to_string(line) + " 行目: " + what);
}

std::vector<std::string> csvFields(const std::string& line, const std::string& file, int lineNo)
{
    if (!isValidCp932(line)) inputFault(file, lineNo, "シフトJISの文字ではないバイトがあります");
    // The field reader works on bytes: no CP932 trail byte is a comma, a quote or a line end.
    std::vector<std::string> fields = parseControlFields(line);
    if (fields.empty()) fields.emplace_back();
    return fields;
}

std::vector<std::string> csvFields(const std::string& line, std::size_t least, const std::string& file, int lineNo)
{
    std::vector<std::string> fields = csvFields(line, file, lineNo);
    if (fields.size() < least)
        inputFault(file, lineNo,
                   "項目が " + std::to_string(fields.size()) + " 個しかありません（" + std::to_string(least) +
                       " 個以上必要です）");
    return fields;
}

std::optional<std::int32_t> clockTime(const std::string& minutes, const std::string& seconds, const std::string& hundredths)
{
    auto part = [](const std::string& p) -> std::optional<int> {
        if (p.size() > 2) return std::nullopt;
        int v = 0;
        for (char c : p) {
            if (c == ' ') continue;
            if (c < '0' || c > '9') return std::nullopt;
            v = v * 10 + (c - '0');
        }
        return v;
    };
    auto m = part(minutes), s = part(seconds), h = part(hundredths);
    if (!m || !s || !h) return std::nullopt;
    const std::int32_t v = *m * 10000 + *s * 100 + *h;
    if (!isTimeValue(v)) return std::nullopt;
    return v;
}

std::optional<std::int32_t> clockTime(const std::string& text)
{
    if (text.size() > 8) return std::nullopt;
    const std::string t = std::string(8 - text.size(), ' ') + text;
    if (t.find_first_not_of(' ') != std::string::npos && (t[2] != ':' || t[5] != '.')) return std::nullopt;
    return clockTime(t.substr(0, 2), t.substr(3, 2), t.substr(6, 2));
}

void requireReferenceYear(const std::string& kijunBi)
{
    bool ok = kijunBi.size() >= 4;
    for (std::size_t i = 0; ok && i < 4; ++i) ok = kijunBi[i] >= '0' && kijunBi[i] <= '9';
    enforce(ok, "年齢計算基準日が正しくありません（" + kijunBi + "）。生年の世紀を決められません。");
}

std::string widenRegistrationNumber(const std::string& twelve, const std::string& kijunBi)
{
    std::u32string chars = toUtf32(twelve);
    chars.resize(12, U' ');
    const std::u32string widened = chars.substr(0, 5) + U"00" + chars.substr(5);
    return completeCentury(fromUtf32(widened), kijunBi);
}

void ImportReport::skip(const std::string& file, int line, const std::string& why)
{
    skipped.push_back(file + " " + std::to_string(line) + " 行目: " + why);
}

std::string ImportReport::message() const
{
    std::string m;
    for (const std::string& d : done) m += d + "\n";
    if (!skipped.empty()) {
        m += "読み飛ばした行: " + std::to_string(skipped.size()) + " 行\n";
        for (std::size_t i = 0; i < skipped.size() && i < kListedSkips; ++i) m += "  " + skipped[i] + "\n";
        if (skipped.size() > kListedSkips) m += "  ほか " + std::to_string(skipped.size() - kListedSkips) + " 行\n";
    }
    if (!m.empty()) m.pop_back();
    return m;
}

} // namespace tolv
