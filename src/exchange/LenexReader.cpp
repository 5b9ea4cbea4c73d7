// The reader proper: a Lenex document, scanned (LenexScan.h) and parsed, becomes the swimmer
// records, header and Lenex memory of an entry file.
#include "exchange/LenexReader.h"

#include "exchange/Hepburn.h"
#include "exchange/LenexCodes.h"
#include "exchange/LenexContainer.h"
#include "exchange/LenexMeet.h"
#include "exchange/LenexScan.h"
#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/Utf8.h"
#include "storage/Codes.h"
#include "storage/Backups.h"
#include "storage/EntryStore.h"
#include "storage/HeaderEdit.h"
#include "storage/TextFold.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <set>

namespace tolv::lenex {
namespace {

namespace fs = std::filesystem;

const char* const kFullWidthBlank = "\xE3\x80\x80";

// The Japanese names a reserve event may carry for a swim style ("25mバタフライキック", "25mキック").
std::vector<std::string> japaneseNames(const std::string& stroke, int distance, int relaycount, const std::string& technique)
{
    static const std::map<std::string, std::string> strokes = {
        {"FREE", "自由形"}, {"BACK", "背泳ぎ"}, {"BREAST", "平泳ぎ"}, {"FLY", "バタフライ"}, {"MEDLEY", "個人メドレー"}};
    static const std::map<std::string, std::string> techniques = {{"KICK", "キック"},  {"PULL", "プル"},      {"DIVE", "潜水"},
                                                                  {"GLIDE", "けのび"}, {"START", "スタート"}, {"TURN", "ターン"}};
    std::vector<std::string> out;
    // In 64 bits: a file may carry any distance and relay count.
    const long long total = relaycount > 1 ? static_cast<long long>(distance) * relaycount : distance;
    const std::string metres = std::to_string(total) + "m";
    const std::string tech = techniques.count(technique) ? techniques.at(technique) : technique;
    if (relaycount > 1) {
        out.push_back(metres + (stroke == "MEDLEY" ? "メドレーリレー" : "リレー") + tech);
    } else if (strokes.count(stroke)) {
        out.push_back(metres + strokes.at(stroke) + tech);
        if (!tech.empty()) out.push_back(metres + tech);
    }
    return out;
}

// How an event is named in the lists of what was not taken.
std::string styleText(const std::string& stroke, int distance, int relaycount, const std::string& technique,
                      const std::string& name)
{
    if (stroke == "UNKNOWN" && !name.empty()) return name;
    std::string s =
        relaycount > 1 ? std::to_string(relaycount) + "x" + std::to_string(distance) + "m " : std::to_string(distance) + "m ";
    s += stroke;
    if (!technique.empty()) s += " " + technique;
    return s;
}

std::string yyyymmdd(std::int32_t d) { return std::to_string(d); }

struct EventInfo {
    int slot = -1; // -1: no event of the entry file
    std::string text;
};

class Reader {
public:
    // `xml` is parsed in place: its bytes are changed and must outlive the reading.
    Reader(std::string& xml, const std::string& fileName, const EntryHeader& header, const ReserveEvents& reserve,
           const ImportOptions& options, const LenexMemory& memory, bool meetOnly = false)
        : xml_(xml), fileName_(fileName), header_(header), reserve_(reserve), options_(options), meetOnly_(meetOnly)
    {
        out_.memory = memory;
    }

    ImportResult read();

private:
    [[noreturn]] void failAtLine(int line, const std::string& why) const
    {
        throw TolvError("Lenexファイルを読めません: " + fileName_ + " " + std::to_string(line) + "行目: " + why);
    }
    int lineOf(std::ptrdiff_t offset) const
    {
        return 1 + (offset > 0 && lines_ ? static_cast<int>(lines_->before(static_cast<std::size_t>(offset))) : 0);
    }
    [[noreturn]] void fail(std::ptrdiff_t offset, const std::string& why) const { failAtLine(lineOf(offset), why); }
    [[noreturn]] void fail(const pugi::xml_node& at, const std::string& why) const { fail(at.offset_debug(), why); }

    std::string need(const pugi::xml_node& n, const char* attribute) const
    {
        pugi::xml_attribute a = n.attribute(attribute);
        if (!a) fail(n, std::string(n.name()) + " に " + attribute + " がありません");
        return a.value();
    }

    void readMeet(const pugi::xml_node& meet);
    void readEvents(const pugi::xml_node& meet);
    void takeReserveEvents(const pugi::xml_node& meet);
    struct ClubRead {
        pugi::xml_node node;
        std::string team;
        std::string shozoku;
        std::string shozokuKana;
        std::string label;
    };
    ClubRead readClub(const pugi::xml_node& club);
    void readRelays(const ClubRead& club);
    // Why the entry file cannot hold an athlete (no name, birth date or sex); empty when it can.
    std::string missing(const pugi::xml_node& athlete) const;
    SwimmerRecord readAthlete(const pugi::xml_node& athlete, const std::string& team, const std::string& shozoku,
                              const std::string& shozokuKana, const std::string& clubLabel, bool clubFolded, bool clubCut);
    const EventInfo* eventOf(const pugi::xml_node& n);
    // One time per slot by the rule above; `who` names the athlete or relay in the lists.
    std::map<int, std::int32_t> times(const pugi::xml_node& owner, const std::string& who);
    // The athleteids of the relay's positions for `slot`: those of its results of that slot's
    // events, else those of its entries, in position order.
    std::vector<std::string> positionsOf(const pugi::xml_node& relay, int slot);
    // Text folded into CP932; `folded` set when a character was folded, the line noted for
    // control characters that reached the value.
    std::string fold(const pugi::xml_node& at, const std::string& text, bool& folded);

    std::string& xml_;
    std::optional<LineFeeds> lines_;
    std::string fileName_;
    EntryHeader header_;
    ReserveEvents reserve_;
    const ImportOptions& options_;
    bool meetOnly_;
    std::map<std::string, EventInfo> events_; // eventid -> event
    std::set<std::string> teamCodes_;         // given to a club of this file
    // team code -> athleteid -> index in out_.swimmers, over every CLUB element of the club
    std::map<std::string, std::map<std::string, std::size_t>> athletesOfTeam_;
    ImportResult out_;
};

std::string Reader::fold(const pugi::xml_node& at, const std::string& text, bool& folded)
{
    FoldedText f = foldToCp932(text);
    folded = folded || f.folded;
    if (f.controls) {
        const int line = lineOf(at.offset_debug());
        if (std::find(out_.controlLines.begin(), out_.controlLines.end(), line) == out_.controlLines.end())
            out_.controlLines.push_back(line);
    }
    return std::move(f.text);
}

ImportResult Reader::read()
{
    enforce(!isUtf16Or32(xml_), "Lenexファイルを読めません: " + fileName_ + " (UTF-8 ではありません)");
    // A file in UTF-8 (what Lenex is, unless it declares Latin-1) holding other bytes is refused
    // at the line of the first: taken as UTF-8 they would become other letters.
    std::string declaration = xml_.substr(0, xml_.find('>') + 1);
    std::transform(declaration.begin(), declaration.end(), declaration.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (declaration.find("iso-8859-1") == std::string::npos && declaration.find("latin1") == std::string::npos)
        if (const std::optional<Utf8Fault> bad = findUtf8Fault(xml_)) failAtLine(bad->line, utf8FaultMessage(xml_, *bad));
    const Scan scan = scanDocument(
        xml_, [&](int line) { failAtLine(line, "要素の入れ子が深すぎます（" + std::to_string(kMaxDepth) + " 段まで）"); });
    out_.controlLines = scan.controlLines;
    const long long total = std::max(0, header_.total());
    enforce(meetOnly_ || total + static_cast<long long>(scan.athletes) <= kMaxSwimmers,
            "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです（現在 " + std::to_string(total) +
                " 人、Lenexファイルに " + std::to_string(scan.athletes) + " 人）: " + fileName_);
    lines_.emplace(xml_);

    pugi::xml_document doc;
    // In place: the document's strings point into the bytes read, which are not copied again.
    const pugi::xml_parse_result parsed =
        doc.load_buffer_inplace(xml_.data(), xml_.size(), pugi::parse_default, pugi::encoding_auto);
    if (!parsed) fail(parsed.offset, std::string("XML の誤りです (") + parsed.description() + ")");
    pugi::xml_node lenex = doc.child("LENEX");
    if (!lenex) fail(doc.first_child(), "LENEX 要素がありません");
    pugi::xml_node meets = lenex.child("MEETS");
    if (!meets.child("MEET")) fail(meets ? meets : lenex, "MEET 要素がありません");

    readMeet(meets.child("MEET"));
    if (meetOnly_) {
        for (pugi::xml_node session : meets.child("MEET").child("SESSIONS").children("SESSION")) {
            ++out_.sessions;
            for (pugi::xml_node ev : session.child("EVENTS").children("EVENT")) {
                if (!ev.attribute("eventid")) fail(ev, "EVENT に eventid がありません");
                ++out_.events;
            }
        }
        if (out_.events == 0) fail(meets.child("MEET"), "MEET に種目（SESSIONS の EVENTS）がありません");
    }
    const MeetInfo& m = out_.meet;
    const bool take = m.firstDay != 0 && (total == 0 || (options_.takeHeader && options_.takeHeader(m)));
    if (take) {
        EntryHeader h = header_;
        bool folded = false;
        const std::string name = fold(meets.child("MEET"), m.name, folded);
        const std::string venue = fold(meets.child("MEET"), m.venue, folded);
        if (!name.empty()) h.setZigyo(name);
        if (cp932Length(name) > 8) out_.headerNotes.push_back("大会名を8バイトで切りました: " + m.name);
        if (!venue.empty()) h.setBasho(venue);
        if (cp932Length(venue) > 12) out_.headerNotes.push_back("場所を12バイトで切りました: " + m.venue);
        setHeaderDate(h, HeaderDate::First, yyyymmdd(m.firstDay));
        setHeaderDate(h, HeaderDate::Last, yyyymmdd(m.lastDay));
        if (m.ageDate != 0) setHeaderDate(h, HeaderDate::Reference, yyyymmdd(m.ageDate));
        if (m.course == "LCM") h.setCourse(0);
        else if (m.course == "SCM") h.setCourse(1);
        else if (!m.course.empty())
            out_.headerNotes.push_back("コース " + m.course + " は長水・短水のどちらでもないので水路はそのままです");
        header_ = h;
        out_.header = h;
        takeReserveEvents(meets.child("MEET"));
        if (!m.city.empty()) out_.memory.city = m.city;
        out_.memory.nation = (m.nation == "JPN" || m.nation.empty()) ? std::string() : m.nation;
    }

    if (meetOnly_) {
        out_.memory.meet = meetElements(meets.child("MEET"));
        out_.memory.meetFile = fs::path(fileName_).filename().string();
        return std::move(out_);
    }
    // One record per athlete and one per relay at most (its team record), allocated once: a record
    // added beyond the room would move every record to a vector twice the size, the old one held
    // while they are copied.
    out_.swimmers.reserve(scan.athletes + scan.relays);
    for (pugi::xml_node meet : meets.children("MEET")) {
        events_.clear();
        athletesOfTeam_.clear();
        readEvents(meet);
        // The athletes of every club first (a relay may name swimmers listed under another CLUB
        // element of the same club), then the relays. An athletes list read is taken out of the
        // tree, so the tree shrinks as the records grow; its memory goes back to the system every
        // 2,000 athletes or so.
        pugi::xml_node clubs = meet.child("CLUBS");
        std::vector<ClubRead> read;
        std::size_t trimmedAt = out_.swimmers.size();
        for (pugi::xml_node club : clubs.children("CLUB")) {
            read.push_back(readClub(club));
            club.remove_child("ATHLETES");
            if (out_.swimmers.size() - trimmedAt >= 2000) {
                releaseFreedMemory();
                trimmedAt = out_.swimmers.size();
            }
        }
        for (const ClubRead& c : read) readRelays(c);
        read.clear();
        meet.remove_child(clubs);
    }
    std::sort(out_.controlLines.begin(), out_.controlLines.end());
    out_.controlLines.erase(std::unique(out_.controlLines.begin(), out_.controlLines.end()), out_.controlLines.end());
    for (const SwimmerRecord& s : out_.swimmers)
        for (int slot = 0; slot < kEventSlots; ++slot) {
            const std::int32_t v = s.kiro(slot);
            if (v == kMarkEntered) ++out_.entered;
            else if (v != 0) ++out_.times;
        }
    out_.unknownEvents = static_cast<int>(out_.notTaken.size());
    return std::move(out_);
}

void Reader::readMeet(const pugi::xml_node& meet)
{
    MeetInfo& m = out_.meet;
    m.name = meet.attribute("name").value();
    m.city = meet.attribute("city").value();
    m.nation = meet.attribute("nation").value();
    m.course = meet.attribute("course").value();
    const std::string facility = meet.child("FACILITY").attribute("name").value();
    const std::string pool = meet.child("POOL").attribute("name").value();
    m.venue = !facility.empty() ? facility : !pool.empty() ? pool : m.city;
    if (m.city.empty()) m.city = meet.child("FACILITY").attribute("city").value();
    for (pugi::xml_node session : meet.child("SESSIONS").children("SESSION")) {
        const std::int32_t d = dateOfIso(session.attribute("date").value());
        if (d == 0) continue;
        if (m.firstDay == 0 || d < m.firstDay) m.firstDay = d;
        if (d > m.lastDay) m.lastDay = d;
        if (m.course.empty()) m.course = session.attribute("course").value();
    }
    // The age date: type DATE (and the federations' own types) that date; YEAR counts years
    // only, so the last day of its year; none: the first session's year, as the format's default.
    pugi::xml_node age = meet.child("AGEDATE");
    const std::int32_t value = dateOfIso(age.attribute("value").value());
    const std::string type = age.attribute("type").value();
    if (age && type == "YEAR") {
        const std::int32_t year = value != 0 ? value / 10000 : m.firstDay / 10000;
        if (year != 0) m.ageDate = year * 10000 + 1231;
    } else if (age && value != 0) {
        m.ageDate = value;
    } else if (m.firstDay != 0) {
        m.ageDate = m.firstDay / 10000 * 10000 + 1231;
    }
}

// The file's reserve events as this program writes them (stroke UNKNOWN, code 80..94, name
// "category name") go into the places of the entry file's reserve events that are empty.
void Reader::takeReserveEvents(const pugi::xml_node& meet)
{
    ReserveEvents r = reserve_;
    bool changed = false;
    for (pugi::xml_node session : meet.child("SESSIONS").children("SESSION"))
        for (pugi::xml_node ev : session.child("EVENTS").children("EVENT")) {
            pugi::xml_node style = ev.child("SWIMSTYLE");
            const std::string code = style.attribute("code").value();
            const std::string name = style.attribute("name").value();
            if (std::string(style.attribute("stroke").value()) != "UNKNOWN" || code.size() != 2 || name.empty()) continue;
            const auto slot = slotOfCode(code);
            if (!slot || *slot < kFirstReserveSlot) continue;
            const int i = *slot - kFirstReserveSlot;
            if (!clean(r.yobiKubun(i)).empty() || !clean(r.yobiName(i)).empty()) continue;
            const std::size_t blank = name.find(' ');
            bool folded = false;
            const std::string kubun = blank == std::string::npos ? std::string() : fold(style, name.substr(0, blank), folded);
            const std::string event = fold(style, blank == std::string::npos ? name : name.substr(blank + 1), folded);
            if (cp932Length(kubun) > 8 || cp932Length(event) > 16) {
                out_.headerNotes.push_back("予備種目の名前が長すぎるので入れていません: " + name);
                continue;
            }
            r.setYobiKubun(i, kubun);
            r.setYobiName(i, event);
            r.setYobiRelay(i, style.attribute("relaycount").as_int(1) > 1 ? "1" : "0");
            changed = true;
        }
    if (!changed) return;
    reserve_ = r;
    out_.reserve = r;
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
            const std::string technique = style.attribute("technique").value();
            const std::string name = style.attribute("name").value();
            // A reserve event as this program writes it (its code and name) first; then the
            // standard events, where only the whole stroke is one (a kick or pull event is another).
            int slot = -1;
            const std::string code = style.attribute("code").value();
            if (code.size() == 2) {
                const auto reserveSlot = slotOfCode(code);
                if (reserveSlot && *reserveSlot >= kFirstReserveSlot) {
                    const int i = *reserveSlot - kFirstReserveSlot;
                    if (name == reserveStyleName(reserve_, i) && (relaycount > 1) == reserve_.isRelay(i)) slot = *reserveSlot;
                }
            }
            if (slot < 0 && technique.empty()) slot = slotOfStyle(stroke, distance, relaycount).value_or(-1);
            if (slot < 0) {
                // A reserve event of the same name (its own, or the Japanese name of the style).
                std::vector<std::string> names = japaneseNames(stroke, distance, relaycount, technique);
                if (!name.empty()) names.insert(names.begin(), name);
                for (int i = 0; i < kReserveEvents && slot < 0; ++i) {
                    if ((relaycount > 1) != reserve_.isRelay(i)) continue;
                    const std::string own = clean(reserve_.yobiName(i));
                    if (own.empty()) continue;
                    for (const std::string& n : names)
                        if (n == own || n == reserveStyleName(reserve_, i)) slot = kFirstReserveSlot + i;
                }
            }
            events_[id] = EventInfo{slot, styleText(stroke, distance, relaycount, technique, name)};
        }
    }
}

const EventInfo* Reader::eventOf(const pugi::xml_node& n)
{
    auto it = events_.find(need(n, "eventid"));
    return it == events_.end() ? nullptr : &it->second;
}

std::map<int, std::int32_t> Reader::times(const pugi::xml_node& owner, const std::string& who)
{
    std::map<int, std::int32_t> entries; // slot -> best entry time, 0 for an entry without one
    std::map<int, std::int32_t> results; // slot -> best result, 0 for a result without a time
    std::set<std::string> listed;
    auto notTaken = [&](const pugi::xml_node& n, const EventInfo* ev) {
        const std::string what = who + ": " + (ev ? ev->text : "eventid " + std::string(n.attribute("eventid").value()));
        if (listed.insert(what).second) out_.notTaken.push_back(what);
    };
    auto better = [](std::map<int, std::int32_t>& best, int slot, std::int32_t v) {
        auto [it, added] = best.emplace(slot, v);
        if (!added && v != 0 && (it->second == 0 || v < it->second)) it->second = v;
    };
    for (pugi::xml_node e : owner.child("ENTRIES").children("ENTRY")) {
        const std::string t = e.attribute("entrytime").value();
        std::int32_t v = 0;
        if (!t.empty() && t != "NT") {
            const auto coded = codedTime(t); // checked even when the event is unknown
            if (!coded) fail(e, "entrytime が HH:MM:SS.hh（60分未満）ではありません: " + t);
            v = *coded;
        }
        const EventInfo* ev = eventOf(e);
        const std::string status = e.attribute("status").value();
        // A withdrawn, rejected or sick entry is no entry; an exhibition swim is one.
        if (!status.empty() && status != "EXH") {
            out_.statuses.push_back(who + ": " + (ev ? ev->text : std::string()) + " " + status);
            continue;
        }
        if (!ev || ev->slot < 0) {
            notTaken(e, ev);
            continue;
        }
        better(entries, ev->slot, v);
    }
    for (pugi::xml_node r : owner.child("RESULTS").children("RESULT")) {
        const std::string t = r.attribute("swimtime").value();
        std::int32_t v = 0;
        if (!t.empty() && t != "NT") {
            const auto coded = codedTime(t);
            if (!coded) fail(r, "swimtime が HH:MM:SS.hh（60分未満）ではありません: " + t);
            v = *coded;
        }
        const EventInfo* ev = eventOf(r);
        if (!ev || ev->slot < 0) {
            notTaken(r, ev);
            continue;
        }
        const std::string status = r.attribute("status").value();
        if (!status.empty() && status != "EXH") {
            out_.statuses.push_back(who + ": " + ev->text + " " + status);
            v = 0; // swum or entered, no time: 参加 where nothing better is known
        }
        better(results, ev->slot, v);
    }
    std::map<int, std::int32_t> out;
    for (const auto& [slot, v] : entries) out[slot] = v;
    for (const auto& [slot, v] : results)
        if (v != 0 || !out.count(slot)) out[slot] = v;
    for (auto& [slot, v] : out)
        if (v == 0) v = kMarkEntered;
    return out;
}

std::vector<std::string> Reader::positionsOf(const pugi::xml_node& relay, int slot)
{
    for (const char* list : {"RESULTS", "ENTRIES"}) {
        for (pugi::xml_node n : relay.child(list).children()) {
            const EventInfo* ev = n.attribute("eventid") ? eventOf(n) : nullptr;
            if (!ev || ev->slot != slot) continue;
            std::vector<std::pair<int, std::string>> positions;
            for (pugi::xml_node p : n.child("RELAYPOSITIONS").children("RELAYPOSITION")) {
                const int number = p.attribute("number").as_int(0);
                if (p.attribute("athleteid") && number >= 1) positions.emplace_back(number, p.attribute("athleteid").value());
            }
            if (positions.empty()) continue;
            std::stable_sort(positions.begin(), positions.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
            std::vector<std::string> ids;
            for (auto& [number, id] : positions) ids.push_back(std::move(id));
            return ids;
        }
    }
    return {};
}

std::string Reader::missing(const pugi::xml_node& a) const
{
    std::vector<std::string> what;
    if (std::string(a.attribute("lastname").value()).find_first_not_of(' ') == std::string::npos) what.push_back("氏名");
    if (dateOfIso(a.attribute("birthdate").value()) == 0) what.push_back("生年月日");
    const std::string gender = a.attribute("gender").value();
    if (gender != "M" && gender != "F") what.push_back("性別");
    std::string out;
    for (const std::string& w : what) out += (out.empty() ? "" : "・") + w;
    return out;
}

SwimmerRecord Reader::readAthlete(const pugi::xml_node& a, const std::string& team, const std::string& shozoku,
                                  const std::string& shozokuKana, const std::string& clubLabel, bool clubFolded, bool clubCut)
{
    SwimmerRecord s = EntryStore::emptySwimmer();
    // The caller has checked the name, birth date and sex (missing()).
    const std::string family = a.attribute("lastname").value();
    // "-" is how a name without a given name is written (the format requires one).
    std::string given = a.attribute("firstname").value();
    if (given == "-") given.clear();
    const std::string gender = a.attribute("gender").value();
    const std::int32_t birth = dateOfIso(a.attribute("birthdate").value());

    const std::string who = (given.empty() ? family : family + " " + given) + "（" + clubLabel + "）";
    bool folded = clubFolded;
    bool cut = clubCut;
    const std::string namae = fold(a, given.empty() ? family : family + kFullWidthBlank + given, folded);
    s.setNamae(namae);
    cut = cut || cp932Length(namae) > 16;

    // The reading: Hepburn as this program writes it goes back to katakana; other text as it is.
    const std::string familyEn = a.attribute("lastname.en").value();
    const std::string givenEn = a.attribute("firstname.en").value();
    std::string familyKana, givenKana;
    std::string kana;
    // Names of more than one word are parted by a full-width blank, which the export parts at first.
    const bool words = familyEn.find(' ') != std::string::npos || givenEn.find(' ') != std::string::npos;
    const std::string between = words ? kFullWidthBlank : " ";
    if (hepburn::toKana(familyEn, familyKana) && (givenEn.empty() || hepburn::toKana(givenEn, givenKana)))
        kana = givenKana.empty() ? familyKana : familyKana + between + givenKana;
    else kana = fold(a, givenEn.empty() ? familyEn : familyEn + between + givenEn, folded);
    s.setKana(kana);
    cut = cut || cp932Length(kana) > 16;

    const std::string license = a.attribute("license").value();
    bool licenceKept = true;
    if (!license.empty()) {
        bool licenceFolded = false;
        const std::string l = fold(a, license, licenceFolded);
        licenceKept = cp932Length(l) <= 7 && !licenceFolded;
        if (licenceKept) s.setBango(l);
        else ++out_.licencesDropped;
    }
    s.setQBango(team + std::to_string(birth) + (gender == "M" ? "1" : "5"));
    // What the record cannot hold (a name cut or folded, a reading of several words, a long
    // licence, a nation) is kept in the Lenex memory for the export.
    const std::string nation = a.attribute("nation").value();
    if (folded || cut || words || !licenceKept || (!nation.empty() && nation != "JPN"))
        out_.memory.athletes.push_back({clean(s.QBango()), clean(s.Namae()), family, given, familyEn, givenEn, license, nation});
    s.setSei(gender == "M" ? "1" : "2");
    s.setShozoku(shozoku);
    s.setShozokuKana(shozokuKana);
    if (dateNumber(header_.kijunBi()) != 0) {
        s.setNenrei(static_cast<std::int16_t>(ageOn(birth, header_.kijunBi())));
        s.setGakunen(gradeCode(birth, 0, header_.kijunBi(), header_.kubun()));
    }
    for (const auto& [slot, value] : times(a, who)) s.setKiro(slot, value);
    if (folded) out_.folded.push_back(who);
    if (cut) out_.cut.push_back(who);
    return s;
}

Reader::ClubRead Reader::readClub(const pugi::xml_node& club)
{
    const std::string code = club.attribute("code").value();
    const std::string nation = club.attribute("nation").value();
    auto attr = [&](const char* first, const char* second) {
        const std::string v = club.attribute(first).value();
        return v.empty() ? std::string(club.attribute(second).value()) : v;
    };
    const std::string fullName = attr("name", "shortname");
    bool folded = false;
    const std::string shozoku = fold(club, attr("shortname", "name"), folded);
    // The club's reading: Hepburn as this program writes it goes back to katakana.
    const std::string clubEn = attr("shortname.en", "name.en");
    std::string shozokuKana;
    if (!hepburn::toKana(clubEn, shozokuKana)) shozokuKana = fold(club, clubEn, folded);
    const bool cut = cp932Length(shozoku) > 12 || cp932Length(shozokuKana) > 6;
    const std::string label = fullName.empty() ? code : fullName;

    // The team code: the club's own code where it is 5 CP932 bytes of printable ASCII and names
    // no other club already; else the code this club was given before, else a new one.
    std::string team;
    bool plain = code.size() == 5;
    for (char c : code) plain = plain && c > 0x20 && c < 0x7F;
    const LenexClub* known = out_.memory.clubOfLenex(code, fullName);
    const LenexClub* holder = plain ? out_.memory.clubOfTeam(code) : nullptr;
    if (known) team = known->teamCode;
    else if (plain && (!holder || holder->name == fullName)) team = code;
    else {
        team = out_.memory.newTeamCode(teamCodes_);
        out_.codedClubs.push_back(label + (code.empty() ? "" : " (" + code + ")") + " → " + team);
    }
    teamCodes_.insert(team);
    // Kept when the code is not the team code, or the nation is not that of a Japanese team.
    if (!known && (team != code || (!nation.empty() && nation != "JPN")))
        out_.memory.clubs.push_back({team, code, nation, fullName});

    std::map<std::string, std::size_t>& byId = athletesOfTeam_[team];
    for (pugi::xml_node a : club.child("ATHLETES").children("ATHLETE")) {
        const std::string why = missing(a);
        if (!why.empty()) {
            // Relay-only or placeholder swimmers: the rest of the file imports without them.
            std::string name = a.attribute("lastname").value();
            const std::string given = a.attribute("firstname").value();
            if (!given.empty()) name += (name.empty() ? "" : " ") + given;
            out_.leftOut.push_back(std::to_string(lineOf(a.offset_debug())) + "行目: " + label + " " +
                                   (name.empty() ? std::string("（氏名なし）") : name) + "（" + why + "がありません）");
            continue;
        }
        out_.swimmers.push_back(readAthlete(a, team, shozoku, shozokuKana, label, folded, cut));
        byId.emplace(a.attribute("athleteid").value(), out_.swimmers.size() - 1);
    }
    return ClubRead{club, team, shozoku, shozokuKana, label};
}

void Reader::readRelays(const ClubRead& club)
{
    const std::map<std::string, std::size_t>& byId = athletesOfTeam_[club.team];
    int relayNumber = 0;
    for (pugi::xml_node relay : club.node.child("RELAYS").children("RELAY")) {
        const std::string gender = relay.attribute("gender").value();
        const std::string who = club.label + " リレー" + std::to_string(++relayNumber);
        std::optional<std::size_t> teamRecord; // the relay team record, made when first needed
        for (const auto& [slot, value] : times(relay, who)) {
            // The time goes to every swimmer of its own event's positions whose slot is still free.
            std::vector<std::size_t> at;
            for (const std::string& id : positionsOf(relay, slot))
                if (auto it = byId.find(id); it != byId.end() && out_.swimmers[it->second].kiro(slot) == 0 &&
                                             std::find(at.begin(), at.end(), it->second) == at.end())
                    at.push_back(it->second);
            if (gender == "X")
                for (std::size_t k : at) out_.memory.mixed.emplace(clean(out_.swimmers[k].QBango()), slot);
            if (at.empty()) {
                if (!teamRecord) {
                    SwimmerRecord r = EntryStore::emptySwimmer();
                    r.setNamae("リレー");
                    r.setQBango(club.team);
                    r.setSei(gender == "M" ? "1" : gender == "F" ? "2" : "3");
                    r.setShozoku(club.shozoku);
                    r.setShozokuKana(club.shozokuKana);
                    out_.swimmers.push_back(r);
                    teamRecord = out_.swimmers.size() - 1;
                    ++out_.relayTeams;
                }
                at.push_back(*teamRecord);
            }
            for (std::size_t k : at) out_.swimmers[k].setKiro(slot, value);
        }
    }
}
} // namespace

ImportResult readLenex(std::string_view xml, const std::string& fileName, const EntryHeader& header, const ReserveEvents& reserve,
                       const ImportOptions& options, const LenexMemory& memory)
{
    std::string buffer(xml);
    return Reader(buffer, fileName, header, reserve, options, memory).read();
}

ImportResult importLenex(EntryStore& store, const fs::path& file, const ImportOptions& options)
{
    ImportResult r;
    long long size = 0;
    std::string digest;
    {
        // The bytes read become the document (an archive's bytes are dropped once its .lef is
        // out); they and the parsed document are gone before the entry file is written.
        std::string xml = readLenexFile(file);
        size = static_cast<long long>(xml.size());
        digest = ContentDigest::of(xml);
        if (const std::optional<MergedSource> before = findMergedSource(store.path(), size, digest)) {
            const std::string question = "このLenexファイルは " + before->stamp + " にこの申込ファイルへ取り込み済みです（" +
                                         before->source + "）。\n" + file.string() + "\n\nもう一度取り込みますか？";
            enforce(options.again && options.again(question),
                    "取り込み済みのLenexファイルなので取り込みませんでした（" + before->stamp + "）: " + file.string());
        }
        if (isLenexArchive(xml)) xml = unpackLenex(xml, file.string());
        r = Reader(xml, file.string(), store.header(), store.reserve(), options, LenexMemory::read(store.path())).read();
    }
    enforce(!r.swimmers.empty(), "Lenexファイルに選手がいません: " + file.string());
    const std::int32_t total = std::max(0, store.header().total());
    for (std::size_t i = 0; i < r.swimmers.size(); ++i) r.swimmers[i].setSeq(total + static_cast<std::int32_t>(i) + 1);
    // The meet's header and reserve events, adopted by the store only once the file holds them.
    const EntryHeader header = r.header ? *r.header : store.header();
    const ReserveEvents reserve = r.reserve ? *r.reserve : store.reserve();
    store.appendSwimmers(r.swimmers, "import lenex", header, reserve);
    // In the merge record, as the merge keeps its sources: the same bytes again are asked about.
    const DateTime t = now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    recordMergedSources(store.path(), {{stamp, size, digest, fs::absolute(file).lexically_normal().string()}});
    r.memory.write(store.path());
    return r;
}

ImportResult readLenexMeet(std::string_view xml, const std::string& fileName, const EntryHeader& header,
                           const ReserveEvents& reserve, const ImportOptions& options, const LenexMemory& memory)
{
    std::string buffer(xml);
    return Reader(buffer, fileName, header, reserve, options, memory, true).read();
}

ImportResult takeLenexMeet(EntryStore& store, const fs::path& file, const ImportOptions& options)
{
    ImportResult r;
    {
        std::string xml = readLenexFile(file);
        if (isLenexArchive(xml)) xml = unpackLenex(xml, file.string());
        r = Reader(xml, file.string(), store.header(), store.reserve(), options, LenexMemory::read(store.path()), true).read();
    }
    if (r.header || r.reserve) {
        if (r.header) r.header->setTotal(store.header().total());
        const EntryHeader header = r.header ? *r.header : store.header();
        const ReserveEvents reserve = r.reserve ? *r.reserve : store.reserve();
        store.writeHeader(header, reserve);
    }
    r.memory.write(store.path());
    return r;
}

} // namespace tolv::lenex
