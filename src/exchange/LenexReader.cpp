#include "exchange/LenexReader.h"

#include "exchange/LenexCodes.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <fstream>
#include <map>
#include <optional>

namespace tolv::lenex {
namespace {

namespace fs = std::filesystem;

// A Lenex file larger than this is no entries or results file of one meet.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

// Freed heap pages handed back to the system (glibc keeps them otherwise).
void releaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// An ENTRY or RESULT without a status, or with the status of an exhibition swim.
bool counts(const pugi::xml_node& n)
{
    const std::string status = n.attribute("status").value();
    return status.empty() || status == "EXH";
}

// Which bytes of a document are line feeds, one bit each, taken before the document is parsed in
// place (the parser overwrites bytes of its buffer), so a fault's line is that of the bytes as read.
class LineFeeds {
public:
    explicit LineFeeds(std::string_view text) : bits_((text.size() + 63) / 64, 0), size_(text.size())
    {
        for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, '\n', text.data() + text.size() - p)));) {
            const auto i = static_cast<std::size_t>(p++ - text.data());
            bits_[i / 64] |= std::uint64_t(1) << (i % 64);
        }
    }
    // Line feeds before byte `offset`.
    std::size_t before(std::size_t offset) const
    {
        offset = std::min(offset, size_);
        std::size_t n = 0;
        for (std::size_t w = 0; w < offset / 64; ++w) n += static_cast<std::size_t>(std::popcount(bits_[w]));
        if (offset % 64 != 0)
            n += static_cast<std::size_t>(std::popcount(bits_[offset / 64] & ((std::uint64_t(1) << (offset % 64)) - 1)));
        return n;
    }

private:
    std::vector<std::uint64_t> bits_;
    std::size_t size_;
};

class Reader {
public:
    // `xml` is parsed in place: its bytes are changed and must outlive the reading.
    Reader(std::string& xml, const std::string& fileName, const EntryHeader& header, const ReserveEvents& reserve)
        : xml_(xml), lines_(xml), fileName_(fileName), header_(header), reserve_(reserve)
    {
    }

    ImportResult read();

private:
    [[noreturn]] void fail(std::ptrdiff_t offset, const std::string& why) const
    {
        int line = 1;
        if (offset > 0) line += static_cast<int>(lines_.before(static_cast<std::size_t>(offset)));
        throw TolvError("Lenexファイルを読めません: " + fileName_ + " " + std::to_string(line) + "行目: " + why);
    }
    [[noreturn]] void fail(const pugi::xml_node& at, const std::string& why) const { fail(at.offset_debug(), why); }

    std::string need(const pugi::xml_node& n, const char* attribute) const
    {
        pugi::xml_attribute a = n.attribute(attribute);
        if (!a) fail(n, std::string(n.name()) + " に " + attribute + " がありません");
        return a.value();
    }

    void readEvents(const pugi::xml_node& meet);
    void readClub(const pugi::xml_node& club);
    SwimmerRecord readAthlete(const pugi::xml_node& athlete, const std::string& team, const std::string& shozoku,
                              const std::string& shozokuKana);
    // The slot of an ENTRY's or RESULT's event; nothing (and counted) when the event is unknown.
    std::optional<int> slotOf(const pugi::xml_node& n);
    // The time of an ENTRY: its entrytime, or 参加 when it has none or "NT".
    std::int32_t entryTime(const pugi::xml_node& entry) const;
    // The swimtime of a RESULT without a status (or EXH); nothing for NT, another status or no time.
    std::optional<std::int32_t> resultTime(const pugi::xml_node& result) const;
    // Entry times, with the fastest result where the entry gave no time.
    std::map<int, std::int32_t> times(const pugi::xml_node& owner);
    std::string carrierOf(const pugi::xml_node& relay, const pugi::xml_node& entryOrResult) const;

    template <typename Set>
    void setText(const pugi::xml_node& at, SwimmerRecord& s, Set set, const std::string& value) const
    {
        try {
            (s.*set)(value);
        } catch (const TolvError& e) {
            fail(at, e.what());
        }
    }

    std::string& xml_;
    LineFeeds lines_;
    std::string fileName_;
    const EntryHeader& header_;
    const ReserveEvents& reserve_;
    std::map<std::string, int> events_;  // eventid -> slot, -1 for an event the entry file has not
    ImportResult out_;
};

ImportResult Reader::read()
{
    pugi::xml_document doc;
    // In place: the document's strings point into the bytes read, which are not copied again.
    const pugi::xml_parse_result parsed =
        doc.load_buffer_inplace(xml_.data(), xml_.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) fail(parsed.offset, std::string("XML の誤りです (") + parsed.description() + ")");
    pugi::xml_node lenex = doc.child("LENEX");
    if (!lenex) fail(doc.first_child(), "LENEX 要素がありません");
    pugi::xml_node meets = lenex.child("MEETS");
    if (!meets.child("MEET")) fail(meets ? meets : lenex, "MEET 要素がありません");
    // One record per athlete, allocated once.
    std::size_t athletes = 0;
    for (pugi::xml_node meet : meets.children("MEET"))
        for (pugi::xml_node club : meet.child("CLUBS").children("CLUB"))
            for (pugi::xml_node a : club.child("ATHLETES").children("ATHLETE")) (void)a, ++athletes;
    out_.swimmers.reserve(athletes);
    for (pugi::xml_node meet : meets.children("MEET")) {
        events_.clear();
        readEvents(meet);
        // A club read is taken out of the tree, so the tree shrinks as the records grow; its memory
        // goes back to the system every 2,000 athletes or so.
        pugi::xml_node clubs = meet.child("CLUBS");
        std::size_t trimmedAt = out_.swimmers.size();
        for (pugi::xml_node club = clubs.child("CLUB"); club;) {
            const pugi::xml_node next = club.next_sibling("CLUB");
            readClub(club);
            clubs.remove_child(club);
            if (out_.swimmers.size() - trimmedAt >= 2000) {
                releaseFreedMemory();
                trimmedAt = out_.swimmers.size();
            }
            club = next;
        }
    }
    return std::move(out_);
}

void Reader::readEvents(const pugi::xml_node& meet)
{
    for (pugi::xml_node session : meet.child("SESSIONS").children("SESSION")) {
        for (pugi::xml_node ev : session.child("EVENTS").children("EVENT")) {
            const std::string id = need(ev, "eventid");
            pugi::xml_node style = ev.child("SWIMSTYLE");
            if (!style) fail(ev, "EVENT に SWIMSTYLE がありません");
            const std::string stroke = need(style, "stroke");
            const int distance = style.attribute("distance").as_int(-1);
            const int relaycount = style.attribute("relaycount").as_int(-1);
            if (distance < 0 || relaycount < 1) fail(style, "SWIMSTYLE の distance か relaycount が正しくありません");
            int slot = slotOfStyle(stroke, distance, relaycount).value_or(-1);
            const std::string code = style.attribute("code").value();
            if (slot < 0 && code.size() == 2) {
                const auto reserveSlot = slotOfCode(code);
                if (reserveSlot && *reserveSlot >= kFirstReserveSlot) {
                    const int i = *reserveSlot - kFirstReserveSlot;
                    if (style.attribute("name").value() == reserveStyleName(reserve_, i) &&
                        (relaycount > 1) == reserve_.isRelay(i))
                        slot = *reserveSlot;
                }
            }
            events_[id] = slot;
        }
    }
}

std::optional<int> Reader::slotOf(const pugi::xml_node& n)
{
    auto it = events_.find(need(n, "eventid"));
    if (it == events_.end() || it->second < 0) {
        ++out_.unknownEvents;
        return std::nullopt;
    }
    return it->second;
}

std::int32_t Reader::entryTime(const pugi::xml_node& entry) const
{
    const std::string t = entry.attribute("entrytime").value();
    if (t.empty() || t == "NT") return kMarkEntered;
    const auto v = codedTime(t);
    if (!v) fail(entry, "entrytime が HH:MM:SS.hh（60分未満）ではありません: " + t);
    return *v;
}

std::optional<std::int32_t> Reader::resultTime(const pugi::xml_node& result) const
{
    const std::string t = result.attribute("swimtime").value();
    if (t.empty() || t == "NT" || !counts(result)) return std::nullopt;
    const auto v = codedTime(t);
    if (!v) fail(result, "swimtime が HH:MM:SS.hh（60分未満）ではありません: " + t);
    return *v;
}

std::map<int, std::int32_t> Reader::times(const pugi::xml_node& owner)
{
    std::map<int, std::int32_t> entered;  // slot -> entry time, 参加 for an entry without one
    for (pugi::xml_node e : owner.child("ENTRIES").children("ENTRY")) {
        const std::int32_t v = entryTime(e);  // checked even when the event is unknown
        // A withdrawn, rejected or sick entry is no entry; an exhibition swim is one.
        if (!counts(e)) continue;
        if (auto slot = slotOf(e)) entered.emplace(*slot, v);
    }
    std::map<int, std::int32_t> fastest;
    for (pugi::xml_node r : owner.child("RESULTS").children("RESULT")) {
        const auto v = resultTime(r);
        const auto slot = slotOf(r);
        if (!v || !slot) continue;
        auto [it, added] = fastest.emplace(*slot, *v);
        if (!added && *v < it->second) it->second = *v;
    }
    for (const auto& [slot, v] : fastest) {
        auto it = entered.find(slot);
        if (it == entered.end() || it->second == kMarkEntered) entered[slot] = v;
    }
    return entered;
}

std::string Reader::carrierOf(const pugi::xml_node& relay, const pugi::xml_node& n) const
{
    pugi::xml_node positions = n.child("RELAYPOSITIONS");
    if (!positions) positions = relay.child("RELAYPOSITIONS");
    std::string id;
    int best = 0;
    for (pugi::xml_node p : positions.children("RELAYPOSITION")) {
        const int number = p.attribute("number").as_int(0);
        if (!p.attribute("athleteid") || number < 1) continue;
        if (id.empty() || number < best) {
            id = p.attribute("athleteid").value();
            best = number;
        }
    }
    return id;
}

SwimmerRecord Reader::readAthlete(const pugi::xml_node& a, const std::string& team, const std::string& shozoku,
                                  const std::string& shozokuKana)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    const std::string family = need(a, "lastname");
    const std::string given = a.attribute("firstname").value();
    const std::string gender = need(a, "gender");
    if (gender != "M" && gender != "F") fail(a, "ATHLETE の gender が M でも F でもありません: " + gender);
    const std::string birthText = need(a, "birthdate");
    const std::int32_t birth = dateOfIso(birthText);
    if (birth == 0) fail(a, "birthdate が YYYY-MM-DD の日付ではありません: " + birthText);

    setText(a, s, &SwimmerRecord::setNamae, given.empty() ? family : family + "\xE3\x80\x80" + given);
    const std::string familyKana = a.attribute("lastname.en").value();
    const std::string givenKana = a.attribute("firstname.en").value();
    setText(a, s, &SwimmerRecord::setKana, givenKana.empty() ? familyKana : familyKana + " " + givenKana);
    const std::string license = a.attribute("license").value();
    if (!license.empty()) {
        if (cp932Length(license) <= 7) setText(a, s, &SwimmerRecord::setBango, license);
        else ++out_.licencesDropped;
    }
    s.setQBango(team + std::to_string(birth) + (gender == "M" ? "1" : "5"));
    s.setSei(gender == "M" ? "1" : "2");
    setText(a, s, &SwimmerRecord::setShozoku, shozoku);
    setText(a, s, &SwimmerRecord::setShozokuKana, shozokuKana);
    if (dateNumber(header_.kijunBi()) != 0) {
        s.setNenrei(static_cast<std::int16_t>(ageOn(birth, header_.kijunBi())));
        s.setGakunen(gradeCode(birth, 0, header_.kijunBi(), header_.kubun()));
    }
    for (const auto& [slot, value] : times(a)) {
        s.setKiro(slot, value);
        ++out_.times;
    }
    return s;
}

void Reader::readClub(const pugi::xml_node& club)
{
    const std::string code = club.attribute("code").value();
    const std::string team = (toUtf32(code).size() == 5 && cp932Length(code) == 5) ? code : std::string(5, ' ');
    auto attr = [&](const char* first, const char* second) {
        const std::string v = club.attribute(first).value();
        return v.empty() ? std::string(club.attribute(second).value()) : v;
    };
    const std::string shozoku = attr("shortname", "name");
    const std::string shozokuKana = attr("shortname.en", "name.en");

    const std::size_t first = out_.swimmers.size();
    std::map<std::string, std::size_t> byId;  // athleteid -> index in out_.swimmers
    for (pugi::xml_node a : club.child("ATHLETES").children("ATHLETE")) {
        out_.swimmers.push_back(readAthlete(a, team, shozoku, shozokuKana));
        byId.emplace(a.attribute("athleteid").value(), out_.swimmers.size() - 1);
    }

    for (pugi::xml_node relay : club.child("RELAYS").children("RELAY")) {
        const std::string gender = relay.attribute("gender").value();
        for (const auto& [slot, value] : times(relay)) {
            // The carrier: the first relay position's athlete, else the club's first athlete of the
            // relay's gender (anyone for a mixed relay) whose slot is still empty.
            std::string carrier;
            for (pugi::xml_node n : relay.child("ENTRIES").children("ENTRY"))
                if (carrier.empty()) carrier = carrierOf(relay, n);
            for (pugi::xml_node n : relay.child("RESULTS").children("RESULT"))
                if (carrier.empty()) carrier = carrierOf(relay, n);
            std::optional<std::size_t> at;
            if (auto it = byId.find(carrier); !carrier.empty() && it != byId.end() && out_.swimmers[it->second].kiro(slot) == 0)
                at = it->second;
            const std::string sei = gender == "M" ? "1" : gender == "F" ? "2" : "";
            for (std::size_t i = first; !at && i < out_.swimmers.size(); ++i)
                if (out_.swimmers[i].kiro(slot) == 0 && (sei.empty() || out_.swimmers[i].sei() == sei)) at = i;
            if (!at) {
                ++out_.relaysNotPlaced;
                continue;
            }
            out_.swimmers[*at].setKiro(slot, value);
            ++out_.times;
        }
    }
}

// The file's bytes in one allocation of its size.
std::string readWhole(const fs::path& file)
{
    std::error_code ec;
    enforce(fs::is_regular_file(file, ec), "ファイルがありません: " + file.string());
    const std::uintmax_t size = fs::file_size(file, ec);
    enforce(!ec && size <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + file.string());
    std::ifstream in(file, std::ios::binary);
    enforce(bool(in), "ファイルを開けません: " + file.string());
    std::string all(static_cast<std::size_t>(size), '\0');
    in.read(all.data(), static_cast<std::streamsize>(all.size()));
    all.resize(static_cast<std::size_t>(in.gcount()));
    // A file that grew since its size was taken: the rest as well, within the limit.
    char more[65536];
    while (in && (in.read(more, sizeof more) || in.gcount() > 0)) {
        all.append(more, static_cast<std::size_t>(in.gcount()));
        enforce(all.size() <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + file.string());
    }
    enforce(!in.bad(), "ファイルを読めません: " + file.string());
    return all;
}

bool isZip(std::string_view bytes) { return bytes.size() >= 4 && std::memcmp(bytes.data(), "PK\x03\x04", 4) == 0; }

} // namespace

std::string unpackLenex(std::string_view bytes, const std::string& fileName)
{
    if (!isZip(bytes)) return std::string(bytes);
    const std::string bad = "Lenexファイル（lxf）を開けません: " + fileName;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    enforce(src != nullptr, bad);
    zip_t* archive = zip_open_from_source(src, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (!archive) {
        zip_source_free(src);
        throw TolvError(bad + " (" + zip_error_strerror(&error) + ")");
    }
    std::unique_ptr<zip_t, void (*)(zip_t*)> keep(archive, zip_discard);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            continue;
        std::string name = st.name;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".lef") != 0) continue;
        enforce(st.size <= kMaxFileBytes, "Lenexファイルが大きすぎます: " + fileName);
        zip_file_t* f = zip_fopen_index(archive, static_cast<zip_uint64_t>(i), 0);
        enforce(f != nullptr, bad + " (" + zip_strerror(archive) + ")");
        std::string xml(static_cast<std::size_t>(st.size), '\0');
        const zip_int64_t got = zip_fread(f, xml.data(), st.size);
        zip_fclose(f);
        enforce(got == static_cast<zip_int64_t>(st.size), bad + " (" + st.name + " が壊れています)");
        return xml;
    }
    throw TolvError(bad + " (.lef ファイルが入っていません)");
}

ImportResult readLenex(std::string_view xml, const std::string& fileName, const EntryHeader& header,
                       const ReserveEvents& reserve)
{
    std::string buffer(xml);
    return Reader(buffer, fileName, header, reserve).read();
}

ImportResult importLenex(EntryStore& store, const fs::path& file)
{
    ImportResult r;
    {
        // The bytes read become the document (an archive's bytes are dropped once its .lef is
        // out); they and the parsed document are gone before the entry file is written.
        std::string xml = readWhole(file);
        if (isZip(xml)) xml = unpackLenex(xml, file.string());
        r = Reader(xml, file.string(), store.header(), store.reserve()).read();
    }
    enforce(!r.swimmers.empty(), "Lenexファイルに選手がいません: " + file.string());
    const std::int32_t total = std::max(0, store.header().total());
    for (std::size_t i = 0; i < r.swimmers.size(); ++i) r.swimmers[i].setSeq(total + static_cast<std::int32_t>(i) + 1);
    store.appendSwimmers(r.swimmers, "import lenex");
    return r;
}

std::string describeImport(const ImportResult& r, const fs::path& file)
{
    std::string m = "Lenexファイルから " + std::to_string(r.swimmers.size()) + " 人を追加しました: " + file.string() +
                    "\nタイム " + std::to_string(r.times) + " 件";
    if (r.unknownEvents > 0)
        m += "\nこの申込ファイルにない種目のエントリー・結果 " + std::to_string(r.unknownEvents) + " 件は取り込んでいません";
    if (r.relaysNotPlaced > 0)
        m += "\nクラブに同じ性別の選手がいないリレー " + std::to_string(r.relaysNotPlaced) + " 件は取り込んでいません";
    if (r.licencesDropped > 0)
        m += "\n7文字を超える登録番号 " + std::to_string(r.licencesDropped) + " 件は番号を空けています";
    return m;
}

} // namespace tolv::lenex
