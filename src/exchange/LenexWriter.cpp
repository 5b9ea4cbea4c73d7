#include "exchange/LenexWriter.h"

#include "exchange/Hepburn.h"
#include "exchange/LenexCodes.h"
#include "exchange/LenexMeet.h"
#include "exchange/XmlText.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "platform/Version.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <memory>
#include <numeric>
#include <string_view>

namespace tolv::lenex {
namespace {

const char* const kFullWidthBlank = "\xE3\x80\x80"; // U+3000

// Family and given name split at the first separator; the whole text is the family name when
// there is none.
std::pair<std::string, std::string> split(const std::string& name, const std::string& separator)
{
    const std::size_t at = name.find(separator);
    if (at == std::string::npos) return {name, std::string()};
    return {name.substr(0, at), name.substr(at + separator.size())};
}

// The composite number as stored: team code 5, birth date 8, sex digit 1 (CP932 bytes).
std::string qbango(const SwimmerRecord& s) { return std::string(s.raw(SwimmerRecord::kQBango)); }

std::string teamCode(const SwimmerRecord& s) { return clean(fromCp932(cutBytes(qbango(s), SwimmerRecord::kQBangoTeam.count))); }

std::int32_t birthDate(const SwimmerRecord& s)
{
    const std::string d = SwimmerRecord::kQBangoBirth.of(qbango(s));
    return dateOfIso(d.substr(0, 4) + "-" + d.substr(4, 2) + "-" + d.substr(6, 2));
}

// "M" or "F" from the sex code, else from the composite number's sex digit; empty when neither.
std::string athleteGender(const SwimmerRecord& s)
{
    if (s.sei() == "1") return "M";
    if (s.sei() == "2") return "F";
    const char digit = qbango(s)[13];
    if (digit >= '1' && digit <= '9') return digit <= '4' ? "M" : "F";
    return {};
}

// A relay is mixed when its record is a mixed team (sei 3, or no sex at all), its reserve event
// is named mixed, or it came from a mixed Lenex relay; else the record's sex.
std::string relayGender(const SwimmerRecord& s, int slot, const ReserveEvents& reserve, const LenexMemory& memory)
{
    if (slot >= kFirstReserveSlot) {
        const int i = slot - kFirstReserveSlot;
        if ((reserve.yobiKubun(i) + reserve.yobiName(i)).find("混合") != std::string::npos) return "X";
    }
    if (memory.mixed.count({clean(s.QBango()), slot}) || s.sei() == "3") return "X";
    const std::string gender = athleteGender(s);
    return gender.empty() ? "X" : gender;
}

// The competition days from the first to the last day of the header (at most the ten days the
// header holds; just the first when the last is missing or before it).
std::vector<std::string> competitionDays(const EntryHeader& header)
{
    using namespace std::chrono;
    const std::int32_t first = dateNumber(header.stBi());
    const std::int32_t last = dateNumber(header.enBi());
    std::vector<std::string> out{isoDate(first)};
    if (!isValidDate(last) || last <= first) return out;
    sys_days d = sys_days(year_month_day(year(first / 10000), month(unsigned(first / 100 % 100)), day(unsigned(first % 100))));
    while (out.size() < static_cast<std::size_t>(kCompetitionDays)) {
        d += days(1);
        const year_month_day ymd(d);
        const std::int32_t n = int(ymd.year()) * 10000 + int(unsigned(ymd.month())) * 100 + int(unsigned(ymd.day()));
        if (n > last) break;
        out.push_back(isoDate(n));
    }
    return out;
}

// The team code's nation where it is known: the Lenex club's, or JPN for a prefecture's team.
std::string clubNation(const std::string& code, const LenexClub* lenexClub)
{
    if (lenexClub) return lenexClub->nation;
    if (code.size() == 5 && code[0] >= '0' && code[0] <= '4' && code[1] >= '0' && code[1] <= '9') {
        const int prefecture = (code[0] - '0') * 10 + (code[1] - '0');
        if (prefecture >= 1 && prefecture <= 47) return "JPN";
    }
    return {};
}

// Leading metres of a reserve event name ("50m自由形" -> 50), 0 when it names none.
int reserveDistance(const std::string& name)
{
    int d = 0;
    std::size_t i = 0;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && d < 100000) d = d * 10 + (name[i++] - '0');
    return d;
}

bool hasTime(std::int32_t v) { return v != 0; }

// At most `n` characters (the format's limit of a club's short name).
std::string cutCharacters(const std::string& s, std::size_t n)
{
    const std::u32string u = toUtf32(s);
    return u.size() <= n ? s : fromUtf32(std::u32string_view(u).substr(0, n));
}

// Saved text as one string.
class Whole : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

// A club: its team code, name and kana from its first swimmer, its swimmers (indexes) in file order.
struct Club {
    std::string code;
    std::string name;
    std::string kana;
    std::vector<std::uint32_t> members;
};

void save(const pugi::xml_document& doc, pugi::xml_writer& writer)
{
    exchange::requireXmlText(doc);
    doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
}

// The document of the swimmers saved to `writer`; what it holds. Only one club is held as a tree
// at a time: the rest of the document is saved around a marker where the clubs go, each club
// printed at its depth as the whole tree would print it.
ExportSummary writeDocument(const EntryHeader& header, const ReserveEvents& reserve, const std::vector<SwimmerRecord>& swimmers,
                            const ExportOptions& options, pugi::xml_writer& writer)
{
    const LenexMemory& memory = options.memory;
    ExportSummary summary;
    summary.againstMeet = !memory.meet.empty();
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node lenex = doc.append_child("LENEX");
    lenex.append_attribute("version") = "3.0";
    pugi::xml_node constructor = lenex.append_child("CONSTRUCTOR");
    constructor.append_attribute("name") = "tolvsys";
    // Registered to: the organisation set for this installation, else the meet's own name.
    std::string registration = options.settings.registration.empty() ? clean(header.zigyo()) : options.settings.registration;
    if (registration.empty()) registration = "tolvsys";
    constructor.append_attribute("registration") = registration.c_str();
    constructor.append_attribute("version") = programVersion();
    pugi::xml_node contact = constructor.append_child("CONTACT");
    contact.append_attribute("name") = "tolvsys";
    contact.append_attribute("email") = options.settings.email.c_str();

    auto isRelay = [&](int slot) {
        return isRelaySlot(slot, slot >= kFirstReserveSlot ? reserve.yobiRelay(slot - kFirstReserveSlot) : "");
    };
    // The swim style of a slot: the standard one, or what a reserve event's name states.
    auto styleOf = [&](int slot) -> std::optional<SwimStyle> {
        if (slot < kFirstReserveSlot) return styleOfSlot(slot);
        return styleOfReserve(reserve, slot - kFirstReserveSlot);
    };
    auto slotText = [&](int slot) {
        return slot < kFirstReserveSlot ? eventName(slot + 1) : reserveStyleName(reserve, slot - kFirstReserveSlot);
    };

    pugi::xml_node meet;
    std::vector<OrganiserEvent> organiser;
    std::int32_t ageDate = dateNumber(header.kijunBi());
    if (summary.againstMeet) {
        // The organiser's meet as it was taken: its header, sessions and events.
        meet = appendMeet(lenex.append_child("MEETS"), memory.meet);
        enforce(meet && std::string(meet.name()) == "MEET", "取り込んだ大会が壊れています（申込ファイルの .lenex の meet 行）");
        organiser = entryEvents(meet);
        ageDate = meetAgeDate(meet);
    } else {
        const std::string sessionDate = isoDate(dateNumber(header.stBi()));
        enforce(!sessionDate.empty(), "期日（開始日）が日付ではありません: " + clean(header.stBi()));
        enforce(!options.city.empty(), "開催地の市町村名がありません（Lenex の MEET city に必要です）");
        const std::string nation = memory.nation.empty() ? "JPN" : memory.nation;
        meet = lenex.append_child("MEETS").append_child("MEET");
        meet.append_attribute("name") = clean(header.zigyo()).c_str();
        meet.append_attribute("city") = options.city.c_str();
        meet.append_attribute("nation") = nation.c_str();
        meet.append_attribute("course") = header.course() == 0 ? "LCM" : "SCM";
        pugi::xml_node facility = meet.append_child("FACILITY");
        if (!clean(header.basho()).empty()) facility.append_attribute("name") = clean(header.basho()).c_str();
        facility.append_attribute("city") = options.city.c_str();
        facility.append_attribute("nation") = nation.c_str();
        const std::string ageDateText = isoDate(dateNumber(header.kijunBi()));
        if (!ageDateText.empty()) {
            pugi::xml_node age = meet.append_child("AGEDATE");
            age.append_attribute("value") = ageDateText.c_str();
            age.append_attribute("type") = "DATE";
        }
        // One session per competition day; the entry file does not say which day an event is on,
        // so the events are those of the first.
        pugi::xml_node sessions = meet.append_child("SESSIONS");
        pugi::xml_node events;
        int sessionNumber = 0;
        for (const std::string& day : competitionDays(header)) {
            pugi::xml_node session = sessions.append_child("SESSION");
            session.append_attribute("number") = ++sessionNumber;
            session.append_attribute("date") = day.c_str();
            pugi::xml_node e = session.append_child("EVENTS");
            if (!events) events = e;
        }
        // An event for every slot that an entry is written for (an athlete's, or a relay), in slot order.
        std::vector<bool> used(kEventSlots, false);
        for (const SwimmerRecord& s : swimmers) {
            const bool athlete = birthDate(s) != 0 && !athleteGender(s).empty();
            for (int slot = 0; slot < kEventSlots; ++slot)
                if (hasTime(s.kiro(slot)) && (athlete || isRelay(slot))) used[static_cast<std::size_t>(slot)] = true;
        }
        int eventNumber = 0;
        for (int slot = 0; slot < kEventSlots; ++slot) {
            if (!used[static_cast<std::size_t>(slot)]) continue;
            pugi::xml_node ev = events.append_child("EVENT");
            ev.append_attribute("eventid") = slot + 1;
            ev.append_attribute("number") = ++eventNumber;
            pugi::xml_node style = ev.append_child("SWIMSTYLE");
            style.append_attribute("swimstyleid") = slot + 1;
            const std::optional<SwimStyle> st = styleOf(slot);
            if (slot < kFirstReserveSlot && st) {
                style.append_attribute("distance") = st->distance;
                style.append_attribute("relaycount") = st->relaycount;
                style.append_attribute("stroke") = st->stroke.c_str();
            } else {
                // A reserve event: the stroke and technique its name states (a relay by one
                // swimmer's distance), with its code and name, by which it is read back.
                const int i = slot - kFirstReserveSlot;
                const std::string name = reserveStyleName(reserve, i);
                style.append_attribute("distance") = st ? st->distance : reserveDistance(clean(reserve.yobiName(i)));
                style.append_attribute("relaycount") = st ? st->relaycount : reserve.isRelay(i) ? 4 : 1;
                style.append_attribute("stroke") = st ? st->stroke.c_str() : "UNKNOWN";
                if (st && !st->technique.empty()) style.append_attribute("technique") = st->technique.c_str();
                style.append_attribute("code") = eventCode(slot).c_str();
                style.append_attribute("name") = name.c_str();
            }
        }
    }
    // The event an entry goes to: the slot's own, or the one organiser's event it matches (none
    // or several: listed, not entered).
    auto eventFor = [&](int slot, const Entrant& who, const std::string& whoText) -> std::string {
        if (!summary.againstMeet) return std::to_string(slot + 1);
        std::vector<const OrganiserEvent*> found;
        if (const std::optional<SwimStyle> st = styleOf(slot)) found = matchingEvents(organiser, *st, who);
        if (found.size() == 1) return found.front()->eventid;
        std::string why =
            found.empty() ? "大会に合う種目がありません" : "合う種目が " + std::to_string(found.size()) + " 件あります:";
        for (const OrganiserEvent* e : found) why += " eventid " + e->eventid;
        summary.notEntered.push_back(whoText + " " + slotText(slot) + "（" + why + "）");
        return {};
    };
    auto ageOf = [&](std::int32_t birth) { return birth != 0 && ageDate != 0 ? ageOnDate(birth, ageDate) : -1; };

    // Clubs in the order their first swimmer appears.
    std::vector<Club> clubs;
    {
        std::map<std::string, std::size_t> byCode;
        for (std::size_t k = 0; k < swimmers.size(); ++k) {
            const SwimmerRecord& s = swimmers[k];
            const std::string code = teamCode(s);
            // Swimmers without a team code are told apart by their club's name.
            auto [it, added] = byCode.emplace(code.empty() ? "\t" + clean(s.Shozoku()) : code, clubs.size());
            if (added) clubs.push_back(Club{code, clean(s.Shozoku()), clean(s.ShozokuKana()), {}});
            clubs[it->second].members.push_back(static_cast<std::uint32_t>(k));
        }
    }
    summary.clubs = static_cast<int>(clubs.size());

    const char* const kClubsMarker = "<!--clubs-->";
    pugi::xml_node clubsNode = meet.append_child("CLUBS");
    if (!clubs.empty()) clubsNode.append_child(pugi::node_comment).set_value("clubs");
    Whole skeleton;
    save(doc, skeleton);
    doc.reset();
    std::size_t head = skeleton.text.size();
    std::size_t tail = head;
    if (!clubs.empty()) {
        const std::size_t at = skeleton.text.find(kClubsMarker);
        enforce(at != std::string::npos, "Lenex の文書を組み立てられません");
        head = skeleton.text.rfind('\n', at) + 1;
        tail = skeleton.text.find('\n', at) + 1;
    }
    writer.write(skeleton.text.data(), head);

    constexpr unsigned kClubDepth = 4; // LENEX, MEETS, MEET, CLUBS
    // The athletes kept from Lenex files, by composite number and name (the last kept wins).
    std::unordered_map<std::string, const LenexAthlete*> keptAthletes;
    for (const LenexAthlete& a : memory.athletes) keptAthletes[a.qbango + "\t" + a.namae] = &a;
    for (const Club& c : clubs) {
        pugi::xml_document clubDoc;
        pugi::xml_node node = clubDoc.append_child("CLUB");
        const LenexClub* from = c.code.empty() ? nullptr : memory.clubOfTeam(c.code);
        const std::string name = from && !from->name.empty() ? from->name : c.name.empty() ? c.code : c.name;
        const std::string code = from ? from->code : c.code;
        const std::string kanaEn = hepburn::romanise(c.kana);
        if (name.empty()) node.append_attribute("type") = "UNATTACHED";
        else node.append_attribute("name") = name.c_str();
        if (!c.name.empty()) node.append_attribute("shortname") = cutCharacters(c.name, 20).c_str();
        if (!kanaEn.empty()) node.append_attribute("shortname.en") = kanaEn.c_str();
        if (!code.empty()) node.append_attribute("code") = code.c_str();
        const std::string clubNationCode = clubNation(c.code, from);
        if (!clubNationCode.empty()) node.append_attribute("nation") = clubNationCode.c_str();
        pugi::xml_node athletes;
        // Relay teams: the athletes of the club that carry the same relay slot and time, in record
        // order (as many as the relay has swimmers; more start another team); each relay team
        // record is a team of its own.
        struct Member {
            std::uint32_t record;
            int athleteId; // 0: a relay team record
        };
        struct Team {
            int slot;
            std::int32_t time;
            std::vector<Member> members;
        };
        std::vector<Team> teams;
        std::map<std::pair<int, std::int32_t>, std::size_t> openTeam; // slot, time -> last team
        auto carry = [&](std::uint32_t k, int athleteId) {
            const SwimmerRecord& s = swimmers[k];
            for (int slot = 0; slot < kEventSlots; ++slot) {
                if (!isRelay(slot) || !hasTime(s.kiro(slot))) continue;
                const std::size_t legs = static_cast<std::size_t>(std::max(1, styleOf(slot) ? styleOf(slot)->relaycount : 4));
                const auto key = std::pair{slot, s.kiro(slot)};
                auto it = openTeam.find(key);
                if (athleteId == 0 || it == openTeam.end() || teams[it->second].members.size() >= legs) {
                    teams.push_back(Team{slot, s.kiro(slot), {}});
                    if (athleteId > 0) openTeam[key] = teams.size() - 1;
                    it = openTeam.end();
                }
                teams[it == openTeam.end() ? teams.size() - 1 : it->second].members.push_back(Member{k, athleteId});
            }
        };
        std::vector<std::uint32_t> teamRecords;
        for (const std::uint32_t k : c.members) {
            const SwimmerRecord& s = swimmers[k];
            const int n = static_cast<int>(k) + 1;
            const std::int32_t birth = birthDate(s);
            const std::string gender = athleteGender(s);
            if (birth == 0 || gender.empty()) {
                summary.notAthletes.push_back(n);
                teamRecords.push_back(k);
                continue;
            }
            // Athletes are numbered in the order written, which a file read back keeps.
            const int athleteId = ++summary.athletes;
            if (!athletes) athletes = node.prepend_child("ATHLETES");
            pugi::xml_node a = athletes.append_child("ATHLETE");
            a.append_attribute("athleteid") = athleteId;
            // The names as a Lenex file gave them, where the entry file keeps them cut or folded.
            const std::string namae = clean(s.Namae());
            const auto kept = keptAthletes.find(clean(s.QBango()) + "\t" + namae);
            const LenexAthlete* from = kept == keptAthletes.end() ? nullptr : kept->second;
            auto [family, given] =
                namae.find(kFullWidthBlank) != std::string::npos ? split(namae, kFullWidthBlank) : split(namae, " ");
            if (from) {
                family = from->lastname;
                given = from->firstname;
            }
            // The format requires a given name; a name without one has a dash there.
            if (given.empty()) given = "-";
            a.append_attribute("lastname") = family.c_str();
            a.append_attribute("firstname") = given.c_str();
            // The reading in Latin letters, where there is one.
            const std::string kana = clean(s.Kana());
            const std::size_t fullBlank = kana.find(kFullWidthBlank);
            const auto [familyKana, givenKana] = fullBlank < kana.find(' ') ? split(kana, kFullWidthBlank) : split(kana, " ");
            std::string familyEn = hepburn::romanise(familyKana);
            std::string givenEn = hepburn::romanise(givenKana);
            if (from && !from->lastnameEn.empty()) {
                familyEn = from->lastnameEn;
                givenEn = from->firstnameEn;
            }
            if (!familyEn.empty()) a.append_attribute("lastname.en") = familyEn.c_str();
            if (!familyEn.empty() && !givenEn.empty()) a.append_attribute("firstname.en") = givenEn.c_str();
            a.append_attribute("gender") = gender.c_str();
            a.append_attribute("birthdate") = isoDate(birth).c_str();
            std::string license = clean(s.Bango());
            if (from && !from->license.empty() && (license.empty() || from->license.rfind(license, 0) == 0))
                license = from->license;
            if (!license.empty()) a.append_attribute("license") = license.c_str();
            if (from && !from->nation.empty()) a.append_attribute("nation") = from->nation.c_str();
            const Entrant who{gender, {ageOf(birth)}};
            const std::string whoText = std::to_string(n) + " " + namae;
            pugi::xml_node entries;
            for (int slot = 0; slot < kEventSlots; ++slot) {
                if (isRelay(slot) || !hasTime(s.kiro(slot))) continue;
                const std::string eventid = eventFor(slot, who.ages.front() < 0 ? Entrant{gender, {}} : who, whoText);
                if (eventid.empty()) continue;
                if (!entries) entries = a.append_child("ENTRIES");
                pugi::xml_node e = entries.append_child("ENTRY");
                e.append_attribute("eventid") = eventid.c_str();
                e.append_attribute("entrytime") = swimTime(s.kiro(slot)).c_str();
                ++summary.entries;
            }
            carry(k, athleteId);
        }
        for (const std::uint32_t k : teamRecords) carry(k, 0);
        // One RELAY per team, its positions the athletes that carry it; its ages from theirs.
        pugi::xml_node relays;
        int relayCount = 0;
        for (const Team& t : teams) {
            std::string gender;
            std::vector<int> ages;
            bool agesKnown = true;
            for (const Member& m : t.members) {
                const SwimmerRecord& s = swimmers[m.record];
                const std::string g = relayGender(s, t.slot, reserve, memory);
                gender = gender.empty() || gender == g ? g : "X";
                const int age = m.athleteId > 0 ? ageOf(birthDate(s)) : -1;
                agesKnown = agesKnown && age >= 0;
                ages.push_back(age);
            }
            const std::size_t legs = static_cast<std::size_t>(std::max(1, styleOf(t.slot) ? styleOf(t.slot)->relaycount : 4));
            if (!agesKnown || ages.size() != legs) ages.clear();
            const Entrant who{gender, ages};
            const SwimmerRecord& first = swimmers[t.members.front().record];
            const std::string eventid =
                eventFor(t.slot, who, std::to_string(t.members.front().record + 1) + " " + clean(first.Namae()) + " のリレー");
            if (eventid.empty()) continue;
            if (!relays) relays = node.append_child("RELAYS");
            pugi::xml_node r = relays.append_child("RELAY");
            r.append_attribute("number") = ++relayCount;
            r.append_attribute("gender") = gender.c_str();
            // Ages of a whole team of athletes; -1 where the team's ages are not known.
            const bool whole = !ages.empty();
            r.append_attribute("agemax") = whole ? *std::max_element(ages.begin(), ages.end()) : -1;
            r.append_attribute("agemin") = whole ? *std::min_element(ages.begin(), ages.end()) : -1;
            const int total = whole ? std::accumulate(ages.begin(), ages.end(), 0) : -1;
            r.append_attribute("agetotalmax") = total;
            r.append_attribute("agetotalmin") = total;
            pugi::xml_node e = r.append_child("ENTRIES").append_child("ENTRY");
            e.append_attribute("eventid") = eventid.c_str();
            e.append_attribute("entrytime") = swimTime(t.time).c_str();
            pugi::xml_node positions;
            int number = 0;
            for (const Member& m : t.members) {
                if (m.athleteId == 0) continue;
                if (!positions) positions = e.append_child("RELAYPOSITIONS");
                pugi::xml_node p = positions.append_child("RELAYPOSITION");
                p.append_attribute("athleteid") = m.athleteId;
                p.append_attribute("number") = ++number;
            }
            ++summary.relays;
        }
        exchange::requireXmlText(node);
        node.print(writer, "  ", pugi::format_indent, pugi::encoding_utf8, kClubDepth);
    }
    writer.write(skeleton.text.data() + tail, skeleton.text.size() - tail);
    // Swimmers without an athlete, in file order.
    std::sort(summary.notAthletes.begin(), summary.notAthletes.end());
    return summary;
}

// Saved text gathered in pieces of 1 MB: a large document is never copied into one growing block.
class Pieces : public pugi::xml_writer {
public:
    static constexpr std::size_t kPiece = 1 << 20;
    void write(const void* data, std::size_t size) override
    {
        const char* p = static_cast<const char*>(data);
        while (size > 0) {
            if (pieces.empty() || pieces.back().size() == kPiece) pieces.emplace_back().reserve(kPiece);
            const std::size_t n = std::min(size, kPiece - pieces.back().size());
            pieces.back().append(p, n);
            p += n;
            size -= n;
        }
    }
    std::vector<std::string> pieces;
};

// Saved text written on to a file in blocks of 1 MB.
class ToFile : public pugi::xml_writer {
public:
    explicit ToFile(AtomicFile& file) : file_(file) { block_.reserve(kBlock); }
    void write(const void* data, std::size_t size) override
    {
        block_.append(static_cast<const char*>(data), size);
        if (block_.size() >= kBlock) flush();
    }
    void flush()
    {
        file_.write(block_);
        block_.clear();
    }

private:
    static constexpr std::size_t kBlock = 1 << 20;
    AtomicFile& file_;
    std::string block_;
};

// An archive holding `pieces` (one text in order) as its one entry `innerName`, handed to `sink`
// in blocks as it is read back from the archive's memory.
template <typename Sink> void zipPieces(const std::vector<std::string_view>& pieces, const std::string& innerName, Sink&& sink)
{
    std::vector<zip_buffer_fragment_t> fragments;
    for (std::string_view p : pieces)
        if (!p.empty()) fragments.push_back({reinterpret_cast<zip_uint8_t*>(const_cast<char*>(p.data())), p.size()});
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    enforce(buffer != nullptr, std::string("zip を作れません: ") + zip_error_strerror(&error));
    zip_source_keep(buffer); // read back after the archive is closed
    std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> keep(buffer, zip_source_free);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    enforce(archive != nullptr, std::string("zip を作れません: ") + zip_error_strerror(&error));
    zip_source_t* entry =
        zip_source_buffer_fragment(archive, fragments.empty() ? nullptr : fragments.data(), fragments.size(), 0);
    // Deflated at zlib's fastest level: the XML is mostly repeated markup, which that level takes
    // to about an eighth of its size; the default level (a twelfth) costs more than twice the time.
    const zip_int64_t index = entry ? zip_file_add(archive, innerName.c_str(), entry, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        const std::string why = zip_strerror(archive);
        if (entry) zip_source_free(entry);
        zip_discard(archive);
        throw TolvError("zip を作れません: " + why);
    }
    // The entry's time is the program's clock (a fixed time gives the same bytes on every system),
    // in the archive's own local date and time fields.
    const DateTime t = now();
    const auto dosTime = static_cast<zip_uint16_t>((t.hour << 11) | (t.minute << 5) | (t.second / 2));
    const auto dosDate = static_cast<zip_uint16_t>(((std::max(t.year, 1980) - 1980) << 9) | (t.month << 5) | t.day);
    if (zip_file_set_dostime(archive, static_cast<zip_uint64_t>(index), dosTime, dosDate, 0) < 0 ||
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1) < 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        throw TolvError("zip を作れません: " + why);
    }
    if (zip_close(archive) < 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        throw TolvError("zip を作れません: " + why);
    }
    zip_stat_t st;
    enforce(zip_source_stat(buffer, &st) == 0 && zip_source_open(buffer) == 0, "zip を読めません");
    std::string block(std::min<zip_uint64_t>(st.size, 1 << 20), '\0');
    zip_uint64_t done = 0;
    while (done < st.size) {
        const zip_int64_t got = zip_source_read(buffer, block.data(), std::min<zip_uint64_t>(block.size(), st.size - done));
        if (got <= 0) break;
        sink(std::string_view(block.data(), static_cast<std::size_t>(got)));
        done += static_cast<zip_uint64_t>(got);
    }
    zip_source_close(buffer);
    enforce(done == st.size, "zip を読めません");
}

} // namespace

Document writeLenex(const EntryHeader& header, const ReserveEvents& reserve, const std::vector<SwimmerRecord>& swimmers,
                    const ExportOptions& options)
{
    Document out;
    Whole text;
    out.summary = writeDocument(header, reserve, swimmers, options, text);
    out.xml = std::move(text.text);
    return out;
}

std::string zipLenex(const std::string& xml, const std::string& innerName)
{
    std::string bytes;
    zipPieces({std::string_view(xml)}, innerName, [&](std::string_view b) { bytes.append(b); });
    return bytes;
}

std::string rememberedCity(const std::filesystem::path& entryFile) { return LenexMemory::read(entryFile).city; }

bool cityNeeded(const std::filesystem::path& entryFile)
{
    const LenexMemory memory = LenexMemory::read(entryFile);
    return memory.city.empty() && memory.meet.empty();
}

ExportResult exportLenex(const EntryStore& store, const std::filesystem::path& target, bool zip, const std::string& city,
                         const std::filesystem::path& ctlFolder)
{
    ExportOptions options;
    options.memory = LenexMemory::read(store.path());
    options.settings = readLenexSettings(ctlFolder);
    options.city = city.empty() ? options.memory.city : city;
    // The records are read once and dropped once the text is out; a plain document goes to the
    // file as it is written, a zipped one is compressed from its text held in pieces.
    ExportSummary summary;
    AtomicFile out(target);
    if (zip) {
        Pieces text;
        summary = writeDocument(store.header(), store.reserve(), store.readAllSwimmers(), options, text);
        std::filesystem::path inner = target.filename();
        inner.replace_extension(".lef");
        zipPieces(std::vector<std::string_view>(text.pieces.begin(), text.pieces.end()), inner.string(),
                  [&](std::string_view b) { out.write(b); });
    } else {
        ToFile file(out);
        summary = writeDocument(store.header(), store.reserve(), store.readAllSwimmers(), options, file);
        file.flush();
    }
    out.commit();
    // A city given now is the one of the next exports too.
    if (!city.empty() && city != options.memory.city) {
        LenexMemory kept = options.memory;
        kept.city = city;
        kept.write(store.path());
    }
    return ExportResult{target, summary};
}

std::filesystem::path defaultExportPath(const std::filesystem::path& folder, const std::filesystem::path& entry, bool zip)
{
    return folder / (EntryStore::baseName(entry.filename().string()) + (zip ? ".lxf" : ".lef"));
}

std::string describeExport(const ExportResult& r)
{
    const ExportSummary& s = r.summary;
    std::string m = "Lenexファイルを書き出しました: " + r.file.string() + "\n選手 " + std::to_string(s.athletes) +
                    " 人、個人エントリー " + std::to_string(s.entries) + " 件、リレー " + std::to_string(s.relays) +
                    " 件、クラブ " + std::to_string(s.clubs);
    if (!s.notAthletes.empty()) {
        m += "\n生年月日か性別のない " + std::to_string(s.notAthletes.size()) +
             " 人は選手として書き出していません（リレーは書き出しています）:";
        // Every one of them, twenty to a line: a long list goes behind the message box's details.
        for (std::size_t i = 0; i < s.notAthletes.size(); ++i)
            m += (i % 20 == 0 ? "\n " : " ") + std::to_string(s.notAthletes[i]);
    }
    if (s.againstMeet) {
        m += "\n取り込んだ主催者の大会の種目にエントリーしました";
    } else {
        m +=
            "\n種目はこのプログラムの種目番号のままです（主催者の大会を取り込んでいないため）。主催者の種目番号で"
            "エントリーするには、先に「転入 → Lenex大会」（tolv import lenex-meet）で主催者の Lenex ファイルを取り込んでください";
    }
    if (!s.notEntered.empty()) {
        m += "\n大会に合う種目が一つに決まらないため書き出さなかったエントリー " + std::to_string(s.notEntered.size()) + " 件:";
        for (std::size_t i = 0; i < s.notEntered.size() && i < 20; ++i) m += "\n  " + s.notEntered[i];
        if (s.notEntered.size() > 20) m += "\n  …ほか " + std::to_string(s.notEntered.size() - 20) + " 件";
    }
    return m;
}

} // namespace tolv::lenex
