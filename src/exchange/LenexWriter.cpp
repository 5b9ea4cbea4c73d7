#include "exchange/LenexWriter.h"

#include "exchange/LenexCodes.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <pugixml.hpp>
#include <zip.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>

namespace tolv::lenex {
namespace {

const char* const kFullWidthBlank = "\xE3\x80\x80";  // U+3000

// Family and given name split at the first separator; the whole text is the family name when
// there is none.
std::pair<std::string, std::string> split(const std::string& name, const std::string& separator)
{
    const std::size_t at = name.find(separator);
    if (at == std::string::npos) return {name, std::string()};
    return {name.substr(0, at), name.substr(at + separator.size())};
}

// The composite number as stored: team code 5, birth date 8, sex digit 1 (CP932 bytes).
std::string qbango(const SwimmerRecord& s) { return std::string(s.raw(SwimmerRecord::kQBango, 14)); }

std::string teamCode(const SwimmerRecord& s) { return clean(fromCp932(cutBytes(qbango(s), 5))); }

std::int32_t birthDate(const SwimmerRecord& s)
{
    const std::string d = qbango(s).substr(5, 8);
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

std::string relayGender(const SwimmerRecord& s)
{
    if (s.sei() == "1") return "M";
    if (s.sei() == "2") return "F";
    return "X";
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

// Saved text as one string.
class Whole : public pugi::xml_writer {
public:
    void write(const void* data, std::size_t size) override { text.append(static_cast<const char*>(data), size); }
    std::string text;
};

// A club: its code, name and kana from its first swimmer, its swimmers (indexes) in file order.
struct Club {
    std::string code;
    std::string name;
    std::string kana;
    std::vector<std::uint32_t> members;
};

void save(const pugi::xml_document& doc, pugi::xml_writer& writer)
{
    doc.save(writer, "  ", pugi::format_indent, pugi::encoding_utf8);
}

// The document of the swimmers saved to `writer`; what it holds. Only one club is held as a tree
// at a time: the rest of the document is saved around a marker where the clubs go, each club
// printed at its depth as the whole tree would print it.
ExportSummary writeDocument(const EntryHeader& header, const ReserveEvents& reserve,
                            const std::vector<SwimmerRecord>& swimmers, pugi::xml_writer& writer)
{
    const std::string sessionDate = isoDate(dateNumber(header.stBi()));
    enforce(!sessionDate.empty(), "期日（開始日）が日付ではありません: " + clean(header.stBi()));

    ExportSummary summary;
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node lenex = doc.append_child("LENEX");
    lenex.append_attribute("version") = "3.0";
    pugi::xml_node constructor = lenex.append_child("CONSTRUCTOR");
    constructor.append_attribute("name") = "tolvsys";
    constructor.append_attribute("version") = "3.26";
    constructor.append_child("CONTACT").append_attribute("name") = "tolvsys";

    pugi::xml_node meet = lenex.append_child("MEETS").append_child("MEET");
    meet.append_attribute("name") = clean(header.zigyo()).c_str();
    meet.append_attribute("city") = clean(header.basho()).c_str();
    meet.append_attribute("nation") = "JPN";
    meet.append_attribute("course") = header.course() == 0 ? "LCM" : "SCM";
    const std::string ageDate = isoDate(dateNumber(header.kijunBi()));
    if (!ageDate.empty()) {
        pugi::xml_node age = meet.append_child("AGEDATE");
        age.append_attribute("value") = ageDate.c_str();
        age.append_attribute("type") = "DATE";
    }
    pugi::xml_node session = meet.append_child("SESSIONS").append_child("SESSION");
    session.append_attribute("number") = 1;
    session.append_attribute("date") = sessionDate.c_str();
    pugi::xml_node events = session.append_child("EVENTS");

    // An event for every slot that somebody is entered in, in slot order.
    int eventNumber = 0;
    for (int slot = 0; slot < kEventSlots; ++slot) {
        bool used = false;
        for (const SwimmerRecord& s : swimmers) used = used || hasTime(s.kiro(slot));
        if (!used) continue;
        pugi::xml_node ev = events.append_child("EVENT");
        ev.append_attribute("eventid") = slot + 1;
        ev.append_attribute("number") = ++eventNumber;
        pugi::xml_node style = ev.append_child("SWIMSTYLE");
        if (auto st = styleOfSlot(slot)) {
            style.append_attribute("distance") = st->distance;
            style.append_attribute("relaycount") = st->relaycount;
            style.append_attribute("stroke") = st->stroke.c_str();
        } else {
            const int i = slot - kFirstReserveSlot;
            const std::string name = reserveStyleName(reserve, i);
            style.append_attribute("distance") = reserveDistance(clean(reserve.yobiName(i)));
            style.append_attribute("relaycount") = reserve.isRelay(i) ? 4 : 1;
            style.append_attribute("stroke") = "UNKNOWN";
            style.append_attribute("code") = eventCode(slot).c_str();
            style.append_attribute("name") = name.c_str();
        }
    }

    // Clubs in the order their first swimmer appears.
    std::vector<Club> clubs;
    {
        std::map<std::string, std::size_t> byCode;
        for (std::size_t k = 0; k < swimmers.size(); ++k) {
            const SwimmerRecord& s = swimmers[k];
            const std::string code = teamCode(s);
            auto [it, added] = byCode.emplace(code, clubs.size());
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

    auto isRelay = [&](int slot) {
        return isRelaySlot(slot, slot >= kFirstReserveSlot ? reserve.yobiRelay(slot - kFirstReserveSlot) : "");
    };
    constexpr unsigned kClubDepth = 4;  // LENEX, MEETS, MEET, CLUBS
    for (const Club& c : clubs) {
        pugi::xml_document clubDoc;
        pugi::xml_node node = clubDoc.append_child("CLUB");
        node.append_attribute("name") = (c.name.empty() ? c.code : c.name).c_str();
        if (!c.name.empty()) node.append_attribute("shortname") = c.name.c_str();
        if (!c.kana.empty()) node.append_attribute("shortname.en") = c.kana.c_str();
        if (!c.code.empty()) node.append_attribute("code") = c.code.c_str();
        else node.append_attribute("type") = "UNATTACHED";
        node.append_attribute("nation") = "JPN";
        pugi::xml_node athletes;
        pugi::xml_node relays;
        int relayCount = 0;
        for (const std::uint32_t k : c.members) {
            const SwimmerRecord& s = swimmers[k];
            const int n = static_cast<int>(k) + 1;
            const std::int32_t birth = birthDate(s);
            const std::string gender = athleteGender(s);
            bool individual = false;
            for (int slot = 0; slot < kEventSlots; ++slot)
                individual = individual || (hasTime(s.kiro(slot)) && !isRelay(slot));
            if (birth == 0 || gender.empty()) {
                summary.notAthletes.push_back(n);
            } else {
                if (!athletes) athletes = node.prepend_child("ATHLETES");
                pugi::xml_node a = athletes.append_child("ATHLETE");
                a.append_attribute("athleteid") = n;
                const auto [family, given] = split(clean(s.Namae()), kFullWidthBlank);
                a.append_attribute("lastname") = family.c_str();
                a.append_attribute("firstname") = given.c_str();
                const std::string kana = clean(s.Kana());
                if (!kana.empty()) {
                    const auto [familyKana, givenKana] = split(kana, " ");
                    a.append_attribute("lastname.en") = familyKana.c_str();
                    if (!givenKana.empty()) a.append_attribute("firstname.en") = givenKana.c_str();
                }
                a.append_attribute("gender") = gender.c_str();
                a.append_attribute("birthdate") = isoDate(birth).c_str();
                const std::string license = clean(s.Bango());
                if (!license.empty()) a.append_attribute("license") = license.c_str();
                ++summary.athletes;
                if (individual) {
                    pugi::xml_node entries = a.append_child("ENTRIES");
                    for (int slot = 0; slot < kEventSlots; ++slot) {
                        if (isRelay(slot) || !hasTime(s.kiro(slot))) continue;
                        pugi::xml_node e = entries.append_child("ENTRY");
                        e.append_attribute("eventid") = slot + 1;
                        e.append_attribute("entrytime") = swimTime(s.kiro(slot)).c_str();
                        ++summary.entries;
                    }
                }
            }
            // Each relay time on a record is one relay of the record's club.
            for (int slot = 0; slot < kEventSlots; ++slot) {
                if (!isRelay(slot) || !hasTime(s.kiro(slot))) continue;
                if (!relays) relays = node.append_child("RELAYS");
                pugi::xml_node r = relays.append_child("RELAY");
                r.append_attribute("number") = ++relayCount;
                r.append_attribute("gender") = relayGender(s).c_str();
                pugi::xml_node e = r.append_child("ENTRIES").append_child("ENTRY");
                e.append_attribute("eventid") = slot + 1;
                e.append_attribute("entrytime") = swimTime(s.kiro(slot)).c_str();
                ++summary.relays;
            }
        }
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
template <typename Sink>
void zipPieces(const std::vector<std::string_view>& pieces, const std::string& innerName, Sink&& sink)
{
    std::vector<zip_buffer_fragment_t> fragments;
    for (std::string_view p : pieces)
        if (!p.empty()) fragments.push_back({reinterpret_cast<zip_uint8_t*>(const_cast<char*>(p.data())), p.size()});
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    enforce(buffer != nullptr, std::string("zip を作れません: ") + zip_error_strerror(&error));
    zip_source_keep(buffer);  // read back after the archive is closed
    std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> keep(buffer, zip_source_free);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    enforce(archive != nullptr, std::string("zip を作れません: ") + zip_error_strerror(&error));
    zip_source_t* entry = zip_source_buffer_fragment(archive, fragments.empty() ? nullptr : fragments.data(),
                                                     fragments.size(), 0);
    if (!entry || zip_file_add(archive, innerName.c_str(), entry, ZIP_FL_ENC_UTF_8) < 0) {
        const std::string why = zip_strerror(archive);
        if (entry) zip_source_free(entry);
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

Document writeLenex(const EntryHeader& header, const ReserveEvents& reserve, const std::vector<SwimmerRecord>& swimmers)
{
    Document out;
    Whole text;
    out.summary = writeDocument(header, reserve, swimmers, text);
    out.xml = std::move(text.text);
    return out;
}

std::string zipLenex(const std::string& xml, const std::string& innerName)
{
    std::string bytes;
    zipPieces({std::string_view(xml)}, innerName, [&](std::string_view b) { bytes.append(b); });
    return bytes;
}

ExportResult exportLenex(const EntryStore& store, const std::filesystem::path& target, bool zip)
{
    // The records are read once and dropped once the text is out; a plain document goes to the
    // file as it is written, a zipped one is compressed from its text held in pieces.
    ExportSummary summary;
    AtomicFile out(target);
    if (zip) {
        Pieces text;
        summary = writeDocument(store.header(), store.reserve(), store.readAllSwimmers(), text);
        std::filesystem::path inner = target.filename();
        inner.replace_extension(".lef");
        zipPieces(std::vector<std::string_view>(text.pieces.begin(), text.pieces.end()), inner.string(),
                  [&](std::string_view b) { out.write(b); });
    } else {
        ToFile file(out);
        summary = writeDocument(store.header(), store.reserve(), store.readAllSwimmers(), file);
        file.flush();
    }
    out.commit();
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
        for (std::size_t i = 0; i < s.notAthletes.size() && i < 20; ++i) m += " " + std::to_string(s.notAthletes[i]);
        if (s.notAthletes.size() > 20) m += " …";
    }
    return m;
}

} // namespace tolv::lenex
