#pragma once
// The three record kinds of the entry file (384 bytes each). Byte layout:
//
// EntryHeader (record 1)            ReserveEvents (record 2)
//   0  i32   total                    0  8 x 15  yobiKubun
//   4  i16   course                 120 16 x 15  yobiName
//   6  10    kijunBi                360  1 x 15  yobiRelay
//  16   8    zigyo                  375  9       reserved
//  24  12    basho
//  36  10    stBi                   SwimmerRecord (record n + 10)
//  46  10    enBi                     0  i32 seq        89  2 gakunen    277 i32 torobi
//  56   7    tcod                     4  7  Bango       91  i16 nenrei   281 44 markA
//  63  i16   kubun                   11 14  QBango      93  1 sei        325 44 markB
//  65  i16   botai                   25 16  Namae       94  1 shuFuku    369 1  card
//  67  i32 x 10 days                 41 16  Kana        95  i32 x 44 kiro 370 1 daishi
// 107 277    reserved                57  8  ken        271  6 shubetu    371 13 reserved
//                                    65  6  kenKana     71 12 Shozoku    83  6 ShozokuKana
#include "storage/FixedRecord.h"

#include <string>

namespace tolv {

constexpr std::size_t kEntryRecordLength = 384;
constexpr int kEventSlots = 44;
constexpr int kReserveEvents = 15;
constexpr int kCompetitionDays = 10;

class EntryHeader : public FixedRecord<kEntryRecordLength> {
public:
    enum : std::size_t {
        kTotal = 0, kCourse = 4, kKijunBi = 6, kZigyo = 16, kBasho = 24, kStBi = 36, kEnBi = 46,
        kTcod = 56, kKubun = 63, kBotai = 65, kDays = 67
    };
    std::int32_t total() const { return i32(kTotal); }
    void setTotal(std::int32_t v) { setI32(kTotal, v); }
    std::int16_t course() const { return i16(kCourse); }
    void setCourse(std::int16_t v) { setI16(kCourse, v); }
    std::string kijunBi() const { return text(kKijunBi, 10); }
    void setKijunBi(const std::string& v) { setText(kKijunBi, 10, v); }
    std::string zigyo() const { return text(kZigyo, 8); }
    void setZigyo(const std::string& v) { setText(kZigyo, 8, v); }
    std::string basho() const { return text(kBasho, 12); }
    void setBasho(const std::string& v) { setText(kBasho, 12, v); }
    std::string stBi() const { return text(kStBi, 10); }
    void setStBi(const std::string& v) { setText(kStBi, 10, v); }
    std::string enBi() const { return text(kEnBi, 10); }
    void setEnBi(const std::string& v) { setText(kEnBi, 10, v); }
    std::string tcod() const { return text(kTcod, 7); }
    void setTcod(const std::string& v) { setText(kTcod, 7, v); }
    std::int16_t kubun() const { return i16(kKubun); }
    void setKubun(std::int16_t v) { setI16(kKubun, v); }
    std::int16_t botai() const { return i16(kBotai); }
    void setBotai(std::int16_t v) { setI16(kBotai, v); }
    std::int32_t day(int i) const { return i32(kDays + 4 * static_cast<std::size_t>(i)); }
    void setDay(int i, std::int32_t v) { setI32(kDays + 4 * static_cast<std::size_t>(i), v); }
};

class ReserveEvents : public FixedRecord<kEntryRecordLength> {
public:
    enum : std::size_t { kYobiKubun = 0, kYobiName = 120, kYobiRelay = 360 };
    std::string yobiKubun(int i) const { return text(kYobiKubun + 8 * std::size_t(i), 8); }
    void setYobiKubun(int i, const std::string& v) { setText(kYobiKubun + 8 * std::size_t(i), 8, v); }
    std::string yobiName(int i) const { return text(kYobiName + 16 * std::size_t(i), 16); }
    void setYobiName(int i, const std::string& v) { setText(kYobiName + 16 * std::size_t(i), 16, v); }
    std::string yobiRelay(int i) const { return text(kYobiRelay + std::size_t(i), 1); }
    void setYobiRelay(int i, const std::string& v) { setText(kYobiRelay + std::size_t(i), 1, v); }
    // A reserve event is a relay only when its flag is "1".
    bool isRelay(int i) const { return yobiRelay(i) == "1"; }
};

class SwimmerRecord : public FixedRecord<kEntryRecordLength> {
public:
    enum : std::size_t {
        kSeq = 0, kBango = 4, kQBango = 11, kNamae = 25, kKana = 41, kKen = 57, kKenKana = 65,
        kShozoku = 71, kShozokuKana = 83, kGakunen = 89, kNenrei = 91, kSei = 93, kShuFuku = 94,
        kKiro = 95, kShubetu = 271, kTorobi = 277, kMarkA = 281, kMarkB = 325, kCard = 369,
        kDaishi = 370
    };
    std::int32_t seq() const { return i32(kSeq); }
    void setSeq(std::int32_t v) { setI32(kSeq, v); }
    std::string Bango() const { return text(kBango, 7); }
    void setBango(const std::string& v) { setText(kBango, 7, v); }
    std::string QBango() const { return text(kQBango, 14); }
    void setQBango(const std::string& v) { setText(kQBango, 14, v); }
    std::string Namae() const { return text(kNamae, 16); }
    void setNamae(const std::string& v) { setText(kNamae, 16, v); }
    std::string Kana() const { return text(kKana, 16); }
    void setKana(const std::string& v) { setText(kKana, 16, v); }
    std::string ken() const { return text(kKen, 8); }
    void setKen(const std::string& v) { setText(kKen, 8, v); }
    std::string kenKana() const { return text(kKenKana, 6); }
    void setKenKana(const std::string& v) { setText(kKenKana, 6, v); }
    std::string Shozoku() const { return text(kShozoku, 12); }
    void setShozoku(const std::string& v) { setText(kShozoku, 12, v); }
    std::string ShozokuKana() const { return text(kShozokuKana, 6); }
    void setShozokuKana(const std::string& v) { setText(kShozokuKana, 6, v); }
    std::string gakunen() const { return text(kGakunen, 2); }
    void setGakunen(const std::string& v) { setText(kGakunen, 2, v); }
    std::int16_t nenrei() const { return i16(kNenrei); }
    void setNenrei(std::int16_t v) { setI16(kNenrei, v); }
    std::string sei() const { return text(kSei, 1); }
    void setSei(const std::string& v) { setText(kSei, 1, v); }
    std::string shuFuku() const { return text(kShuFuku, 1); }
    void setShuFuku(const std::string& v) { setText(kShuFuku, 1, v); }
    std::int32_t kiro(int slot) const { return i32(kKiro + 4 * std::size_t(slot)); }
    void setKiro(int slot, std::int32_t v) { setI32(kKiro + 4 * std::size_t(slot), v); }
    std::string shubetu() const { return text(kShubetu, 6); }
    void setShubetu(const std::string& v) { setText(kShubetu, 6, v); }
    std::int32_t torobi() const { return i32(kTorobi); }
    void setTorobi(std::int32_t v) { setI32(kTorobi, v); }
    std::string markA(int slot) const { return text(kMarkA + std::size_t(slot), 1); }
    void setMarkA(int slot, const std::string& v) { setText(kMarkA + std::size_t(slot), 1, v); }
    std::string markB(int slot) const { return text(kMarkB + std::size_t(slot), 1); }
    void setMarkB(int slot, const std::string& v) { setText(kMarkB + std::size_t(slot), 1, v); }
    std::string card() const { return text(kCard, 1); }
    void setCard(const std::string& v) { setText(kCard, 1, v); }
    std::string daishi() const { return text(kDaishi, 1); }
    void setDaishi(const std::string& v) { setText(kDaishi, 1, v); }

    // Numeric value of a one-character code field as the window shows it (empty or non-digit = 0).
    static int digitValue(const std::string& field)
    {
        return (!field.empty() && field[0] >= '0' && field[0] <= '9') ? field[0] - '0' : 0;
    }
};

} // namespace tolv
