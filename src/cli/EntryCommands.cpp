// tolv new / show / set-header: the entry file from the command line.
#include "cli/Commands.h"
#include "cli/Json.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/HeaderEdit.h"

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

std::string headerJson(const EntryHeader& h)
{
    std::vector<std::string> days;
    for (int i = 0; i < kCompetitionDays; ++i) days.push_back(std::to_string(h.day(i)));
    return JsonObject()
        .number("total", h.total())
        .number("course", h.course())
        .text("kijunBi", h.kijunBi())
        .text("zigyo", h.zigyo())
        .text("basho", h.basho())
        .text("stBi", h.stBi())
        .text("enBi", h.enBi())
        .text("tcod", h.tcod())
        .number("kubun", h.kubun())
        .number("botai", h.botai())
        .raw("days", jsonArray(days))
        .str(2);
}

std::string reserveJson(const ReserveEvents& r)
{
    std::vector<std::string> kubun, name, relay;
    for (int i = 0; i < kReserveEvents; ++i) {
        kubun.push_back(jsonString(r.yobiKubun(i)));
        name.push_back(jsonString(r.yobiName(i)));
        relay.push_back(jsonString(r.yobiRelay(i)));
    }
    return JsonObject()
        .raw("yobiKubun", jsonArray(kubun))
        .raw("yobiName", jsonArray(name))
        .raw("yobiRelay", jsonArray(relay))
        .str(2);
}

std::string swimmerJson(int n, const SwimmerRecord& s)
{
    std::vector<std::string> kiro, markA, markB;
    for (int i = 0; i < kEventSlots; ++i) {
        kiro.push_back(std::to_string(s.kiro(i)));
        markA.push_back(jsonString(s.markA(i)));
        markB.push_back(jsonString(s.markB(i)));
    }
    return JsonObject()
        .number("n", n)
        .number("seq", s.seq())
        .text("Bango", s.Bango())
        .text("QBango", s.QBango())
        .text("Namae", s.Namae())
        .text("Kana", s.Kana())
        .text("ken", s.ken())
        .text("kenKana", s.kenKana())
        .text("Shozoku", s.Shozoku())
        .text("ShozokuKana", s.ShozokuKana())
        .text("gakunen", s.gakunen())
        .number("nenrei", s.nenrei())
        .text("sei", s.sei())
        .text("shuFuku", s.shuFuku())
        .raw("kiro", jsonArray(kiro))
        .text("shubetu", s.shubetu())
        .number("torobi", s.torobi())
        .raw("markA", jsonArray(markA))
        .raw("markB", jsonArray(markB))
        .text("card", s.card())
        .text("daishi", s.daishi())
        .str(4);
}

const char* const kCourses[] = {"長水", "短水"};
const char* const kKinds[] = {"一般", "ﾏｽﾀｰ", "身障"};
const char* const kBodies[] = {"団体", "県", "地方", "日本"};

template <std::size_t N>
const char* optionText(const char* const (&names)[N], int i)
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
        if (name.find_first_not_of(' ') == std::string::npos && kubun.find_first_not_of(' ') == std::string::npos)
            continue;
        out << "予備" << (i + 1) << "\t" << eventCode(kFirstReserveSlot + i) << "\t" << kubun << "\t" << name
            << "\t" << (r.isRelay(i) ? "リレー" : "個人") << "\n";
    }
    for (int n = 1; n <= h.total(); ++n) {
        SwimmerRecord s = store.swimmerAt(n);
        out << n << "\t" << s.Bango() << "\t" << s.QBango() << "\t" << s.Namae() << "\t" << s.Kana() << "\t"
            << s.Shozoku() << "\t" << gradeText(s.gakunen(), h.kubun()) << "\t" << s.nenrei() << "\t"
            << sexText(s.sei()) << "\n";
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
    if (*v < 0 || *v >= count)
        throw UsageError(name + " must be 0 … " + std::to_string(count - 1));
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
    if (!ctx.args.flag("--json")) {
        showText(ctx.out, store);
        return 0;
    }
    std::vector<std::string> swimmers;
    for (int n = 1; n <= store.header().total(); ++n) swimmers.push_back(swimmerJson(n, store.swimmerAt(n)));
    ctx.out << JsonObject()
                   .raw("header", headerJson(store.header()))
                   .raw("reserve", reserveJson(store.reserve()))
                   .raw("swimmers", jsonArray(swimmers, true, 2))
                   .str()
            << "\n";
    return 0;
}

int cmdSetHeader(Context& ctx)
{
    const Args& a = ctx.args;
    EntryStore store;
    openEntry(store, a.need(0, "ENTRY"));
    EntryHeader h = store.header();
    if (auto v = a.option("--zigyo")) h.setZigyo(*v);
    if (auto v = a.option("--basho")) h.setBasho(*v);
    if (auto v = a.option("--tcod")) h.setTcod(*v);
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
    store.header() = h;
    store.saveHeader();
    return 0;
}

} // namespace tolv::cli
