#pragma once
// The three record kinds of the entry file (384 bytes each): record 1 the header, record 2 the
// reserve events, swimmer n record n + 10. Each kind declares its fields below, in file order, and
// proves at compile time that they cover the record exactly.
#include "storage/FixedRecord.h"

#include <string>

namespace tolv {

constexpr std::size_t kEntryRecordLength = 384;
constexpr int kEventSlots = 44;
constexpr int kReserveEvents = 15;
constexpr int kCompetitionDays = 10;

class EntryHeader : public FixedRecord<kEntryRecordLength> {
public:
    static constexpr Field kTotal{0, 4};
    static constexpr Field kCourse{4, 2};
    static constexpr Field kKijunBi{6, 10};
    static constexpr Field kZigyo{16, 8};
    static constexpr Field kBasho{24, 12};
    static constexpr Field kStBi{36, 10};
    static constexpr Field kEnBi{46, 10};
    static constexpr Field kTcod{56, 7};
    static constexpr Field kKubun{63, 2};
    static constexpr Field kBotai{65, 2};
    static constexpr Field kDays{67, 4, kCompetitionDays};
    static constexpr Field kReserved{107, 277};

    std::int32_t total() const { return i32(kTotal); }
    void setTotal(std::int32_t v) { setI32(kTotal, v); }
    std::int16_t course() const { return i16(kCourse); }
    void setCourse(std::int16_t v) { setI16(kCourse, v); }
    std::string kijunBi() const { return text(kKijunBi); }
    void setKijunBi(const std::string& v) { setText(kKijunBi, v); }
    std::string zigyo() const { return text(kZigyo); }
    void setZigyo(const std::string& v) { setText(kZigyo, v); }
    std::string basho() const { return text(kBasho); }
    void setBasho(const std::string& v) { setText(kBasho, v); }
    std::string stBi() const { return text(kStBi); }
    void setStBi(const std::string& v) { setText(kStBi, v); }
    std::string enBi() const { return text(kEnBi); }
    void setEnBi(const std::string& v) { setText(kEnBi, v); }
    std::string tcod() const { return text(kTcod); }
    void setTcod(const std::string& v) { setText(kTcod, v); }
    std::int16_t kubun() const { return i16(kKubun); }
    void setKubun(std::int16_t v) { setI16(kKubun, v); }
    std::int16_t botai() const { return i16(kBotai); }
    void setBotai(std::int16_t v) { setI16(kBotai, v); }
    std::int32_t day(int i) const { return i32(kDays.at(std::size_t(i))); }
    void setDay(int i, std::int32_t v) { setI32(kDays.at(std::size_t(i)), v); }
};
static_assert(tilesRecord(std::array{EntryHeader::kTotal, EntryHeader::kCourse, EntryHeader::kKijunBi, EntryHeader::kZigyo,
                                     EntryHeader::kBasho, EntryHeader::kStBi, EntryHeader::kEnBi, EntryHeader::kTcod,
                                     EntryHeader::kKubun, EntryHeader::kBotai, EntryHeader::kDays, EntryHeader::kReserved},
                          kEntryRecordLength));

class ReserveEvents : public FixedRecord<kEntryRecordLength> {
public:
    static constexpr Field kYobiKubun{0, 8, kReserveEvents};
    static constexpr Field kYobiName{120, 16, kReserveEvents};
    static constexpr Field kYobiRelay{360, 1, kReserveEvents};
    static constexpr Field kReserved{375, 9};

    std::string yobiKubun(int i) const { return text(kYobiKubun.at(std::size_t(i))); }
    void setYobiKubun(int i, const std::string& v) { setText(kYobiKubun.at(std::size_t(i)), v); }
    std::string yobiName(int i) const { return text(kYobiName.at(std::size_t(i))); }
    void setYobiName(int i, const std::string& v) { setText(kYobiName.at(std::size_t(i)), v); }
    std::string yobiRelay(int i) const { return text(kYobiRelay.at(std::size_t(i))); }
    void setYobiRelay(int i, const std::string& v) { setText(kYobiRelay.at(std::size_t(i)), v); }
    // A reserve event is a relay only when its flag is "1".
    bool isRelay(int i) const { return yobiRelay(i) == "1"; }
};
static_assert(tilesRecord(std::array{ReserveEvents::kYobiKubun, ReserveEvents::kYobiName, ReserveEvents::kYobiRelay,
                                     ReserveEvents::kReserved},
                          kEntryRecordLength));

// The values an entry time (SwimmerRecord::kiro) holds instead of a time, and the text each shows.
enum class ResultMark : std::int32_t {
    Entered = 666666, // entered without a time
    Start = 700001,
    Stroke = 700002,
    Turn = 700003,
    Finish = 700004,
    Takeover = 700005,
    Deviation = 700006,
    Abandoned = 700007,
    Withdrawn = 888888,
};
struct ResultMarkText {
    ResultMark mark;
    const char* text;
};
inline constexpr std::array<ResultMarkText, 9> kResultMarks = {{
    {ResultMark::Entered, "参加"},
    {ResultMark::Start, "ｽﾀｰﾄ"},
    {ResultMark::Stroke, "泳法"},
    {ResultMark::Turn, "折返"},
    {ResultMark::Finish, "ｺﾞｰﾙ"},
    {ResultMark::Takeover, "引継"},
    {ResultMark::Deviation, "逸脱"},
    {ResultMark::Abandoned, "途中"},
    {ResultMark::Withdrawn, "棄権"},
}};
constexpr std::int32_t markValue(ResultMark m) { return static_cast<std::int32_t>(m); }
constexpr std::int32_t kMarkEntered = markValue(ResultMark::Entered);

class SwimmerRecord : public FixedRecord<kEntryRecordLength> {
public:
    static constexpr Field kSeq{0, 4};
    static constexpr Field kBango{4, 7};
    static constexpr Field kQBango{11, 14};
    static constexpr Field kNamae{25, 16};
    static constexpr Field kKana{41, 16};
    static constexpr Field kKen{57, 8};
    static constexpr Field kKenKana{65, 6};
    static constexpr Field kShozoku{71, 12};
    static constexpr Field kShozokuKana{83, 6};
    static constexpr Field kGakunen{89, 2};
    static constexpr Field kNenrei{91, 2};
    static constexpr Field kSei{93, 1};
    static constexpr Field kShuFuku{94, 1};
    static constexpr Field kKiro{95, 4, kEventSlots};
    static constexpr Field kShubetu{271, 6};
    static constexpr Field kTorobi{277, 4};
    static constexpr Field kMarkA{281, 1, kEventSlots};
    static constexpr Field kMarkB{325, 1, kEventSlots};
    static constexpr Field kCard{369, 1};
    static constexpr Field kDaishi{370, 1};
    static constexpr Field kReserved{371, 13};

    // The markA an import puts in the slot it fills from a result.
    static constexpr const char* kMarkAFromResult = "1";

    // The parts of the old registration number QBango (14 characters).
    static constexpr CharPart kQBangoTeam{1, 5};       // team code
    static constexpr CharPart kQBangoPrefecture{1, 2}; // prefecture code, the team code's first two
    static constexpr CharPart kQBangoStem{1, 13};      // the person without the sex digit
    static constexpr CharPart kQBangoBirth{6, 8};      // birth date YYYYMMDD
    static constexpr CharPart kQBangoCentury{6, 2};    // the birth year's century digits
    static constexpr CharPart kQBangoYearTail{8, 2};   // the birth year's last two digits
    static constexpr CharPart kQBangoBirthYear{6, 4};
    static constexpr CharPart kQBangoBirthMonth{10, 2};
    static constexpr CharPart kQBangoBirthDay{12, 2};
    static constexpr CharPart kQBangoBirthShort{8, 6};   // birth date YYMMDD
    static constexpr CharPart kQBangoAfterCentury{8, 7}; // YYMMDD and the sex digit
    static constexpr CharPart kQBangoSexDigit{14, 1};    // "1" .. "4" male, "5" and above female
    // The old number's last characters: birth date and sex digit.
    static constexpr std::size_t kQBangoBirthSexChars = 9;
    // The parts of the grade code gakunen (2 characters).
    static constexpr CharPart kGakunenLevel{1, 1}; // school level
    static constexpr CharPart kGakunenYear{2, 1};  // year within the level

    std::int32_t seq() const { return i32(kSeq); }
    void setSeq(std::int32_t v) { setI32(kSeq, v); }
    std::string Bango() const { return text(kBango); }
    void setBango(const std::string& v) { setText(kBango, v); }
    std::string QBango() const { return text(kQBango); }
    void setQBango(const std::string& v) { setText(kQBango, v); }
    std::string Namae() const { return text(kNamae); }
    void setNamae(const std::string& v) { setText(kNamae, v); }
    std::string Kana() const { return text(kKana); }
    void setKana(const std::string& v) { setText(kKana, v); }
    std::string ken() const { return text(kKen); }
    void setKen(const std::string& v) { setText(kKen, v); }
    std::string kenKana() const { return text(kKenKana); }
    void setKenKana(const std::string& v) { setText(kKenKana, v); }
    std::string Shozoku() const { return text(kShozoku); }
    void setShozoku(const std::string& v) { setText(kShozoku, v); }
    std::string ShozokuKana() const { return text(kShozokuKana); }
    void setShozokuKana(const std::string& v) { setText(kShozokuKana, v); }
    std::string gakunen() const { return text(kGakunen); }
    void setGakunen(const std::string& v) { setText(kGakunen, v); }
    std::int16_t nenrei() const { return i16(kNenrei); }
    void setNenrei(std::int16_t v) { setI16(kNenrei, v); }
    std::string sei() const { return text(kSei); }
    void setSei(const std::string& v) { setText(kSei, v); }
    std::string shuFuku() const { return text(kShuFuku); }
    void setShuFuku(const std::string& v) { setText(kShuFuku, v); }
    std::int32_t kiro(int slot) const { return i32(kKiro.at(std::size_t(slot))); }
    void setKiro(int slot, std::int32_t v) { setI32(kKiro.at(std::size_t(slot)), v); }
    std::string shubetu() const { return text(kShubetu); }
    void setShubetu(const std::string& v) { setText(kShubetu, v); }
    std::int32_t torobi() const { return i32(kTorobi); }
    void setTorobi(std::int32_t v) { setI32(kTorobi, v); }
    std::string markA(int slot) const { return text(kMarkA.at(std::size_t(slot))); }
    void setMarkA(int slot, const std::string& v) { setText(kMarkA.at(std::size_t(slot)), v); }
    std::string markB(int slot) const { return text(kMarkB.at(std::size_t(slot))); }
    void setMarkB(int slot, const std::string& v) { setText(kMarkB.at(std::size_t(slot)), v); }
    std::string card() const { return text(kCard); }
    void setCard(const std::string& v) { setText(kCard, v); }
    std::string daishi() const { return text(kDaishi); }
    void setDaishi(const std::string& v) { setText(kDaishi, v); }

    // Numeric value of a one-character code field as the window shows it (empty or non-digit = 0).
    static int digitValue(const std::string& field)
    {
        return (!field.empty() && field[0] >= '0' && field[0] <= '9') ? field[0] - '0' : 0;
    }
};
static_assert(tilesRecord(std::array{SwimmerRecord::kSeq,     SwimmerRecord::kBango,   SwimmerRecord::kQBango,
                                     SwimmerRecord::kNamae,   SwimmerRecord::kKana,    SwimmerRecord::kKen,
                                     SwimmerRecord::kKenKana, SwimmerRecord::kShozoku, SwimmerRecord::kShozokuKana,
                                     SwimmerRecord::kGakunen, SwimmerRecord::kNenrei,  SwimmerRecord::kSei,
                                     SwimmerRecord::kShuFuku, SwimmerRecord::kKiro,    SwimmerRecord::kShubetu,
                                     SwimmerRecord::kTorobi,  SwimmerRecord::kMarkA,   SwimmerRecord::kMarkB,
                                     SwimmerRecord::kCard,    SwimmerRecord::kDaishi,  SwimmerRecord::kReserved},
                          kEntryRecordLength));

} // namespace tolv
