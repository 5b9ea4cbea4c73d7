#include "storage/NewEntryInput.h"

#include "platform/Utf8.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryEditRules.h"
#include "storage/EntryStore.h"
#include "storage/TimeInput.h"

namespace tolv {

NewEntryInput::NewEntryInput(EntryStore& store) : store_(store), run_(store) {}

NewEntryInput::Reply NewEntryInput::enter(const std::string& text, int caret)
{
    using Kind = Reply::Kind;
    if (step_ == Step::Code) {
        if (decodeUtf8(text, U'\uFFFD').size() != 2) return {};
        if (text == "99") return {Kind::End, -1, {}};
        const auto slot = slotFromTypedCode(text);
        if (!slot) return {Kind::UnknownCode, -1, "種目コード「" + text + "」の種目はありません。"};
        slot_ = *slot;
        step_ = Step::Time;
        return {Kind::AskTime, slot_, run_.preset(slot_)};
    }
    if (!run_.storeTime(slot_, text, caret)) return {Kind::TimeRefused, slot_, timeRefusedMessage(text)};
    step_ = Step::Code;
    return {Kind::TimeStored, slot_, {}};
}

NewEntryInput::Found NewEntryInput::lookUpNumber(AthleteLookup& lookup, const std::string& typed, const AthletePicker& pick)
{
    const std::string completed = completeCentury(typed, store_.header().kijunBi());
    const LookupResult r = lookup.byNumber(run_.record(), completed, store_.header(), pick);
    run_.take(r);
    const std::string impossible = impossibleBirthNotice(run_.record().QBango());
    if (!impossible.empty()) return {r.found, impossible};
    if (r.found) return {true, {}};
    if (decodeUtf8(completed, U'\uFFFD').size() < 14)
        return {false, "旧番号が14桁に足りないため、登録データを検索しませんでした: " + completed};
    return {false, "登録データに旧番号 " + completed + " の選手はいません。"};
}

NewEntryInput::Found NewEntryInput::lookUpReading(AthleteLookup& lookup, const std::string& typedNumber,
                                                  const std::string& typedReading, const AthletePicker& pick)
{
    SwimmerRecord typedRecord = run_.record();
    typedRecord.setQBango(typedNumber);
    bool listed = false;
    const LookupResult r = lookup.byReading(typedRecord, store_.header(), [&](const SearchList& l) {
        listed = true;
        return pick(l);
    });
    run_.take(r);
    if (r.found) return {true, impossibleBirthNotice(run_.record().QBango())};
    if (listed) return {false, "選手が選ばれませんでした。"};
    const int prefecture = prefectureOfNumber(typedNumber);
    // Nothing was searched: saying nobody has the reading would not be true.
    if (!unitKeepsTeams(lookup.unitFlags(), prefecture))
        return {false, "管理ユニットの設定に都道府県 " + std::to_string(prefecture) +
                           " の団体リストがないため、ﾌﾘｶﾅでは検索していません。"};
    EntryHeader h = store_.header();
    ReserveEvents reserve = store_.reserve();
    SwimmerRecord s = run_.record();
    const std::string searched = EntryEditRules(h, reserve, s).shown(EntryBox::Kana);
    return {false, "登録データにﾌﾘｶﾅ「" + searched + "」の選手はいません。" +
                       (typedReading != searched ? "（入力「" + typedReading + "」を登録データの半角の形にして探しました）"
                                                 : std::string())};
}

} // namespace tolv
