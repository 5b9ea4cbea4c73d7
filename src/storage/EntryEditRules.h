#pragma once
// What the entry window's text boxes store, and what they refuse. The window calls confirm() when a
// box is confirmed — by Enter or by leaving it in any way — and then writes what the result names;
// the box then shows shown(), so a box always shows what the record holds.
//
//   box                field (bytes)      rule
//   事業名 場所 大会番号  zigyo 8, basho 12, tcod 7      text that fits the field
//   期日 期日 基準日      stBi, enBi, kijunBi           exactly eight digits forming a calendar date
//   登録日              torobi                        the numeric value of the text
//   番号 名前 県 県ｶﾅ    Bango 7, Namae 16, ken 8,     text that fits the field
//   所属 所属ｶﾅ 学年      kenKana 6, Shozoku 12, ShozokuKana 6, gakunen 2
//   旧番号              QBango 14                     century completed from the reference date
//   ﾌﾘｶﾅ                Kana 16                       folded to the half-width forms of the master
//   年令                nenrei                        the numeric value of the text
//   time boxes          kiro                          parseTime
//   予備 区分 / 種目      yobiKubun 8, yobiName 16      text that fits the field
//
// A text longer than its field, or a character without a CP932 form, is refused whole: nothing is
// cut silently.
#include "storage/Records.h"

#include <cstddef>
#include <string>

namespace tolv {

enum class EntryBox {
    Zigyo,
    Basho,
    StBi,
    EnBi,
    Tcod,
    KijunBi,
    Torobi,
    Bango,
    QBango,
    Kana,
    Namae,
    Ken,
    KenKana,
    Shozoku,
    ShozokuKana,
    Gakunen,
    Nenrei,
    Kiro,
    YobiKubun,
    YobiName
};

struct BoxEdit {
    enum class Writes { Nothing, Header, Swimmer };
    Writes writes = Writes::Nothing; // what the window must write now (nothing when refused)
    std::string refusal;             // why nothing was stored; empty when stored
    std::string notice;              // what the user should know about a stored value
    bool stored() const { return refusal.empty(); }
};

class EntryEditRules {
public:
    EntryEditRules(EntryHeader& header, ReserveEvents& reserve, SwimmerRecord& swimmer)
        : header_(header), reserve_(reserve), swimmer_(swimmer)
    {
    }

    // Stores `typed` (UTF-8) into the field of `box`; index is the event slot of a time box or the
    // reserve row (0 … 14) of a reserve box.
    BoxEdit confirm(EntryBox box, const std::string& typed, int index = 0);
    // The text the box shows for the stored value.
    std::string shown(EntryBox box, int index = 0) const;

    // The grey hint an empty box shows; never part of its text.
    static std::string placeholder(EntryBox box, int index = 0);
    // The CP932 bytes the box's field holds (0 for boxes that take a number or a time).
    static std::size_t byteLimit(EntryBox box);
    // Whether the typed text fits the field (the reading as it will be folded). Text without a
    // CP932 form counts as fitting: confirm() refuses it with its own message.
    static bool fits(EntryBox box, const std::string& typed);
    // What the user is told when typing would overrun the field.
    static std::string tooLongMessage(EntryBox box);
    // The box's label, for messages.
    static std::string label(EntryBox box);

private:
    EntryHeader& header_;
    ReserveEvents& reserve_;
    SwimmerRecord& swimmer_;
};

// A reading as the registration master spells it: full-width katakana and hiragana become
// half-width katakana (voiced marks as their own character), full-width Latin letters, digits and
// signs their ASCII forms, the ideographic blank a blank.
std::string foldReading(const std::string& typed);

// The message for an old number whose birth-date part (characters 6–13) is eight digits that are no
// calendar date; empty for every other number.
std::string impossibleBirthNotice(const std::string& qbango);

} // namespace tolv
