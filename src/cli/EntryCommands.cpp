// tolv new / show / set-header: the entry file from the command line.
#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/Error.h"
#include "platform/Utf8.h"
#include "storage/Codes.h"
#include "storage/CsvDelimiters.h"
#include "storage/EntryStore.h"
#include "storage/HeaderEdit.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <ostream>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

void openEntry(EntryStore& store, const std::string& path)
{
    fs::path p(path);
    enforce(!fs::is_directory(p), "申込ファイルではなくフォルダです: " + path);
    if (p.has_parent_path()) enforce(fs::is_directory(p.parent_path()), "フォルダがありません: " + p.parent_path().string());
    store.openEntryFile(p);
}

Json headerJson(const EntryHeader& h)
{
    Json days = Json::array();
    for (int i = 0; i < kCompetitionDays; ++i) days.push_back(h.day(i));
    return Json{{"total", h.total()}, {"course", h.course()}, {"kijunBi", h.kijunBi()},
                {"zigyo", h.zigyo()}, {"basho", h.basho()},   {"stBi", h.stBi()},
                {"enBi", h.enBi()},   {"tcod", h.tcod()},     {"kubun", h.kubun()},
                {"botai", h.botai()}, {"days", days}};
}

Json reserveJson(const ReserveEvents& r)
{
    Json kubun = Json::array(), name = Json::array(), relay = Json::array();
    for (int i = 0; i < kReserveEvents; ++i) {
        kubun.push_back(r.yobiKubun(i));
        name.push_back(r.yobiName(i));
        relay.push_back(r.yobiRelay(i));
    }
    return Json{{"yobiKubun", kubun}, {"yobiName", name}, {"yobiRelay", relay}};
}

// One swimmer's object in the layout writeJson gives it, written straight into a buffer: a
// national file is 100,000 of them, and building each as a value tree first costs several times
// the reading of the file.
class SwimmerJson {
public:
    const std::string& text(int n, const SwimmerRecord& s)
    {
        out_.clear();
        out_ += "{\n";
        number("n", n);
        number("seq", s.seq());
        string("Bango", s.Bango());
        string("QBango", s.QBango());
        string("Namae", s.Namae());
        string("Kana", s.Kana());
        string("ken", s.ken());
        string("kenKana", s.kenKana());
        string("Shozoku", s.Shozoku());
        string("ShozokuKana", s.ShozokuKana());
        string("gakunen", s.gakunen());
        number("nenrei", s.nenrei());
        string("sei", s.sei());
        string("shuFuku", s.shuFuku());
        key("kiro");
        out_ += '[';
        for (int k = 0; k < kEventSlots; ++k) {
            if (k) out_ += ", ";
            out_ += std::to_string(s.kiro(k));
        }
        out_ += "],\n";
        string("shubetu", s.shubetu());
        number("torobi", s.torobi());
        for (const char* name : {"markA", "markB"}) {
            key(name);
            out_ += '[';
            for (int k = 0; k < kEventSlots; ++k) {
                if (k) out_ += ", ";
                quoted(name[4] == 'A' ? s.markA(k) : s.markB(k));
            }
            out_ += "],\n";
        }
        string("card", s.card());
        key("daishi");
        quoted(s.daishi());
        out_ += "\n    }";
        return out_;
    }

private:
    void key(const char* name) { out_.append("      \"").append(name).append("\": "); }
    void number(const char* name, long long v)
    {
        key(name);
        out_.append(std::to_string(v)).append(",\n");
    }
    void string(const char* name, const std::string& v)
    {
        key(name);
        quoted(v);
        out_ += ",\n";
    }
    // JSON string as the library writes it (UTF-8 kept, control characters escaped); text that is
    // not UTF-8 goes through the library, which makes U+FFFD of it.
    void quoted(const std::string& v)
    {
        if (!isValidUtf8(v)) {
            out_ += Json(v).dump(-1, ' ', false, Json::error_handler_t::replace);
            return;
        }
        out_ += '"';
        if (std::none_of(v.begin(), v.end(),
                         [](char c) { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; })) {
            out_.append(v).append(1, '"');
            return;
        }
        for (const char c : v) {
            const auto u = static_cast<unsigned char>(c);
            switch (c) {
            case '"': out_ += "\\\""; break;
            case '\\': out_ += "\\\\"; break;
            case '\b': out_ += "\\b"; break;
            case '\f': out_ += "\\f"; break;
            case '\n': out_ += "\\n"; break;
            case '\r': out_ += "\\r"; break;
            case '\t': out_ += "\\t"; break;
            default:
                if (u < 0x20) {
                    char esc[8];
                    std::snprintf(esc, sizeof esc, "\\u%04x", u);
                    out_ += esc;
                } else {
                    out_ += c;
                }
            }
        }
        out_ += '"';
    }

    std::string out_;
};

// The document is written as it goes, one swimmer object at a time.
void showJson(std::ostream& out, const EntryStore& store)
{
    out << "{\n  \"header\": ";
    writeJson(out, headerJson(store.header()), 2);
    out << ",\n  \"reserve\": ";
    writeJson(out, reserveJson(store.reserve()), 2);
    out << ",\n  \"swimmers\": [";
    const int total = store.header().total();
    SwimmerJson swimmer;
    for (int n = 1; n <= total; ++n) {
        out << (n == 1 ? "\n    " : ",\n    ");
        const std::string& text = swimmer.text(n, store.swimmerAt(n));
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }
    out << (total > 0 ? "\n  ]" : "]") << "\n}\n";
}

const char* const kCourses[] = {"長水", "短水"};
const char* const kKinds[] = {"一般", "ﾏｽﾀｰ", "身障"};
const char* const kBodies[] = {"団体", "県", "地方", "日本"};

template <std::size_t N> const char* optionText(const char* const (&names)[N], int i)
{
    return i >= 0 && static_cast<std::size_t>(i) < N ? names[i] : "?";
}

void showText(std::ostream& out, EntryStore& store)
{
    const EntryHeader& h = store.header();
    const ReserveEvents& r = store.reserve();
    out << "事業名\t" << h.zigyo() << "\n"
        << "場  所\t" << h.basho() << "\n"
        << "期  日\t" << h.stBi() << " - " << h.enBi() << "\n"
        << "大会番号\t" << h.tcod() << "\n"
        << "基 準 日\t" << h.kijunBi() << "\n"
        << "水路\t" << optionText(kCourses, h.course()) << "\n"
        << "学年\t" << optionText(kKinds, h.kubun()) << "\n"
        << "母体\t" << optionText(kBodies, h.botai()) << "\n"
        << "総数\t" << h.total() << "\n";
    for (int i = 0; i < kReserveEvents; ++i) {
        std::string name = r.yobiName(i), kubun = r.yobiKubun(i);
        if (name.find_first_not_of(' ') == std::string::npos && kubun.find_first_not_of(' ') == std::string::npos) continue;
        out << "予備" << (i + 1) << "\t" << eventCode(kFirstReserveSlot + i) << "\t" << kubun << "\t" << name << "\t"
            << (r.isRelay(i) ? "リレー" : "個人") << "\n";
    }
    for (int n = 1; n <= h.total(); ++n) {
        SwimmerRecord s = store.swimmerAt(n);
        out << n << "\t" << s.Bango() << "\t" << s.QBango() << "\t" << s.Namae() << "\t" << s.Kana() << "\t" << s.Shozoku()
            << "\t" << gradeText(s.gakunen(), h.kubun()) << "\t" << s.nenrei() << "\t" << sexText(s.sei()) << "\n";
        for (int slot = 0; slot < kEventSlots; ++slot) {
            if (s.kiro(slot) == 0) continue;
            std::string name = slot < kFirstReserveSlot ? eventName(slot + 1) : r.yobiName(slot - kFirstReserveSlot);
            out << "\t" << eventCode(slot) << "\t" << name << "\t" << formatTime(s.kiro(slot)) << "\n";
        }
    }
}

int optionIndex(const Args& args, const std::string& name, int count)
{
    auto v = args.number(name);
    if (!v) return -1;
    if (*v < 0 || *v >= count) throw UsageError(name + " must be 0 … " + std::to_string(count - 1));
    return static_cast<int>(*v);
}

} // namespace

int cmdNew(Context& ctx)
{
    EntryStore store;
    openEntry(store, ctx.args.need(0, "ENTRY"));
    ctx.out << store.path().string() << ": " << store.header().total() << " swimmers\n";
    return 0;
}

int cmdShow(Context& ctx)
{
    EntryStore store;
    const std::string& path = ctx.args.need(0, "ENTRY");
    enforce(!fs::is_directory(path), "申込ファイルではなくフォルダです: " + path);
    store.openEntryFile(fs::path(path), EntryStore::Access::Read);
    if (ctx.args.flag("--json")) showJson(ctx.out, store);
    else showText(ctx.out, store);
    return 0;
}

int cmdSetHeader(Context& ctx)
{
    const Args& a = ctx.args;
    EntryStore store;
    openEntry(store, a.need(0, "ENTRY"));
    EntryHeader h = store.header();
    // A text holding a delimiter of the comma-separated exports is refused, as in the window.
    auto text = [&a](const char* name) {
        std::optional<std::string> v = a.option(name);
        if (v && holdsCsvDelimiter(*v)) throw TolvError(csvDelimiterRefusal(name), ErrorKind::BadInput);
        return v;
    };
    if (auto v = text("--zigyo")) h.setZigyo(*v);
    if (auto v = text("--basho")) h.setBasho(*v);
    if (auto v = text("--tcod")) h.setTcod(*v);
    struct DateOption {
        const char* name;
        HeaderDate which;
    } const dates[] = {{"--stbi", HeaderDate::First}, {"--enbi", HeaderDate::Last}, {"--kijunbi", HeaderDate::Reference}};
    for (const auto& d : dates)
        if (auto v = a.option(d.name); v && !setHeaderDate(h, d.which, *v))
            throw UsageError(std::string(d.name) + " needs a date of eight digits YYYYMMDD: " + *v);
    if (int i = optionIndex(a, "--course", 2); i >= 0) h.setCourse(static_cast<std::int16_t>(i));
    if (int i = optionIndex(a, "--kubun", 3); i >= 0) h.setKubun(static_cast<std::int16_t>(i));
    if (int i = optionIndex(a, "--botai", 4); i >= 0) h.setBotai(static_cast<std::int16_t>(i));
    store.writeHeader(h, store.reserve());
    return 0;
}

} // namespace tolv::cli
