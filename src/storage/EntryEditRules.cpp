#include "storage/EntryEditRules.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"
#include "storage/CsvDelimiters.h"
#include "storage/HeaderEdit.h"
#include "storage/TimeInput.h"

#include <algorithm>
#include <climits>

namespace tolv {
namespace {

struct TextField {
    EntryBox box;
    const char* label;
    Field field; // in the record the box edits (header, reserve events or swimmer)
};

const TextField kTextFields[] = {
    {EntryBox::Zigyo, "事業名", EntryHeader::kZigyo},
    {EntryBox::Basho, "場所", EntryHeader::kBasho},
    {EntryBox::Tcod, "大会番号", EntryHeader::kTcod},
    {EntryBox::Bango, "番号", SwimmerRecord::kBango},
    {EntryBox::QBango, "旧番号", SwimmerRecord::kQBango},
    {EntryBox::Kana, "ﾌﾘｶﾅ", SwimmerRecord::kKana},
    {EntryBox::Namae, "名前", SwimmerRecord::kNamae},
    {EntryBox::Ken, "県", SwimmerRecord::kKen},
    {EntryBox::KenKana, "県ｶﾅ", SwimmerRecord::kKenKana},
    {EntryBox::Shozoku, "所属", SwimmerRecord::kShozoku},
    {EntryBox::ShozokuKana, "所属ｶﾅ", SwimmerRecord::kShozokuKana},
    {EntryBox::Gakunen, "学年", SwimmerRecord::kGakunen},
    {EntryBox::YobiKubun, "予備種目の区分", ReserveEvents::kYobiKubun.at(0)},
    {EntryBox::YobiName, "予備種目の種目", ReserveEvents::kYobiName.at(0)},
};

const TextField* textField(EntryBox box)
{
    for (const TextField& f : kTextFields)
        if (f.box == box) return &f;
    return nullptr;
}

// Fixed-width fields are shown without their padding blanks.
std::string unpadded(const std::string& field)
{
    std::size_t end = field.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : field.substr(0, end + 1);
}

std::string numberOrEmpty(long long v) { return v == 0 ? std::string() : std::to_string(v); }

// The text as the field will take it: the reading folded, everything else as typed.
std::string asStored(EntryBox box, const std::string& typed) { return box == EntryBox::Kana ? foldReading(typed) : typed; }

std::string dateRefusal(const std::string& typed) { return "日付は8桁 (例 20081016) で入力してください。入力: " + typed; }

} // namespace

std::string EntryEditRules::label(EntryBox box)
{
    if (const TextField* f = textField(box)) return f->label;
    switch (box) {
    case EntryBox::StBi: return "期日 (初日)";
    case EntryBox::EnBi: return "期日 (最終日)";
    case EntryBox::KijunBi: return "基準日";
    case EntryBox::Torobi: return "登録日";
    case EntryBox::Nenrei: return "年令";
    case EntryBox::Kiro: return "記録";
    default: return "";
    }
}

std::size_t EntryEditRules::byteLimit(EntryBox box)
{
    const TextField* f = textField(box);
    return f ? f->field.width : 0;
}

bool EntryEditRules::fits(EntryBox box, const std::string& typed)
{
    const std::size_t limit = byteLimit(box);
    if (limit == 0) return true;
    try {
        return toCp932(asStored(box, typed)).size() <= limit;
    } catch (const TolvError&) {
        return true;
    }
}

std::string EntryEditRules::tooLongMessage(EntryBox box)
{
    const std::size_t limit = byteLimit(box);
    return label(box) + "は " + std::to_string(limit) + " バイト（全角 " + std::to_string(limit / 2) +
           " 文字）までです。それより後は入力できません。";
}

std::string EntryEditRules::placeholder(EntryBox box, int index)
{
    if (box == EntryBox::YobiName) return "(" + std::to_string(index + 1) + ")";
    return {};
}

BoxEdit EntryEditRules::confirm(EntryBox box, const std::string& typed, int index)
{
    BoxEdit r;
    auto refuse = [&r](std::string why) {
        r.writes = BoxEdit::Writes::Nothing;
        r.refusal = std::move(why);
        return r;
    };
    switch (box) {
    case EntryBox::StBi:
    case EntryBox::EnBi:
    case EntryBox::KijunBi: {
        const HeaderDate which = box == EntryBox::StBi   ? HeaderDate::First
                                 : box == EntryBox::EnBi ? HeaderDate::Last
                                                         : HeaderDate::Reference;
        if (!setHeaderDate(header_, which, typed)) return refuse(dateRefusal(typed));
        r.writes = BoxEdit::Writes::Header;
        return r;
    }
    case EntryBox::Torobi:
        swimmer_.setTorobi(static_cast<std::int32_t>(std::clamp<long long>(numericValue(typed), 0, INT32_MAX)));
        r.writes = BoxEdit::Writes::Swimmer;
        return r;
    case EntryBox::Nenrei:
        swimmer_.setNenrei(static_cast<std::int16_t>(std::clamp<long long>(numericValue(typed), 0, SHRT_MAX)));
        r.writes = BoxEdit::Writes::Swimmer;
        return r;
    case EntryBox::Kiro: {
        std::optional<std::int32_t> v = parseTime(typed);
        if (!v) return refuse(timeRefusedMessage(typed));
        swimmer_.setKiro(index, *v);
        r.writes = BoxEdit::Writes::Swimmer;
        return r;
    }
    default: break;
    }

    const TextField* f = textField(box);
    if (!f) return refuse("この欄には入力できません。");
    std::string text = box == EntryBox::QBango ? completeCentury(typed, header_.kijunBi()) : asStored(box, typed);
    if (holdsCsvDelimiter(text)) return refuse(csvDelimiterRefusal(label(box)));
    std::string bytes;
    try {
        bytes = toCp932(text);
    } catch (const TolvError& e) {
        return refuse(label(box) + ": " + e.what());
    }
    if (bytes.size() > f->field.width)
        return refuse(label(box) + "は " + std::to_string(f->field.width) + " バイトまでです（入力 " +
                      std::to_string(bytes.size()) + " バイト）: " + typed);
    switch (box) {
    case EntryBox::Zigyo: header_.setZigyo(text); break;
    case EntryBox::Basho: header_.setBasho(text); break;
    case EntryBox::Tcod: header_.setTcod(text); break;
    case EntryBox::YobiKubun: reserve_.setYobiKubun(index, text); break;
    case EntryBox::YobiName: reserve_.setYobiName(index, text); break;
    default: swimmer_.setText(f->field, text); break;
    }
    const bool header = box == EntryBox::Zigyo || box == EntryBox::Basho || box == EntryBox::Tcod || box == EntryBox::YobiKubun ||
                        box == EntryBox::YobiName;
    r.writes = header ? BoxEdit::Writes::Header : BoxEdit::Writes::Swimmer;
    if (box == EntryBox::QBango) r.notice = impossibleBirthNotice(text);
    return r;
}

std::string EntryEditRules::shown(EntryBox box, int index) const
{
    switch (box) {
    case EntryBox::Zigyo: return unpadded(header_.zigyo());
    case EntryBox::Basho: return unpadded(header_.basho());
    case EntryBox::StBi: return unpadded(header_.stBi());
    case EntryBox::EnBi: return unpadded(header_.enBi());
    case EntryBox::Tcod: return unpadded(header_.tcod());
    case EntryBox::KijunBi: return unpadded(header_.kijunBi());
    case EntryBox::Torobi: return numberOrEmpty(swimmer_.torobi());
    case EntryBox::Gakunen: return gradeText(swimmer_.gakunen(), header_.kubun());
    case EntryBox::Nenrei: return numberOrEmpty(swimmer_.nenrei());
    case EntryBox::Kiro: return shownTime(swimmer_.kiro(index));
    case EntryBox::YobiKubun: return unpadded(reserve_.yobiKubun(index));
    case EntryBox::YobiName: return unpadded(reserve_.yobiName(index));
    default: break;
    }
    const TextField* f = textField(box);
    return f ? unpadded(swimmer_.text(f->field)) : std::string();
}

// --- readings ------------------------------------------------------------------------------------

namespace {

// Full-width katakana U+30A1 … U+30F6 and their half-width forms; a voiced or semi-voiced
// character takes its mark as a second character.
const char32_t* const kKatakanaHalf[] = {
    U"ｧ", U"ｱ",  U"ｨ",  U"ｲ",  U"ｩ",  U"ｳ",  U"ｪ",  U"ｴ",  U"ｫ",  U"ｵ",                // ァ … オ
    U"ｶ", U"ｶﾞ", U"ｷ",  U"ｷﾞ", U"ｸ",  U"ｸﾞ", U"ｹ",  U"ｹﾞ", U"ｺ",  U"ｺﾞ",               // カ … ゴ
    U"ｻ", U"ｻﾞ", U"ｼ",  U"ｼﾞ", U"ｽ",  U"ｽﾞ", U"ｾ",  U"ｾﾞ", U"ｿ",  U"ｿﾞ",               // サ … ゾ
    U"ﾀ", U"ﾀﾞ", U"ﾁ",  U"ﾁﾞ", U"ｯ",  U"ﾂ",  U"ﾂﾞ", U"ﾃ",  U"ﾃﾞ", U"ﾄ",  U"ﾄﾞ",        // タ … ド
    U"ﾅ", U"ﾆ",  U"ﾇ",  U"ﾈ",  U"ﾉ",                                                   // ナ … ノ
    U"ﾊ", U"ﾊﾞ", U"ﾊﾟ", U"ﾋ",  U"ﾋﾞ", U"ﾋﾟ", U"ﾌ",  U"ﾌﾞ", U"ﾌﾟ", U"ﾍ",  U"ﾍﾞ", U"ﾍﾟ", // ハ … ペ
    U"ﾎ", U"ﾎﾞ", U"ﾎﾟ",                                                                // ホ … ポ
    U"ﾏ", U"ﾐ",  U"ﾑ",  U"ﾒ",  U"ﾓ",                                                   // マ … モ
    U"ｬ", U"ﾔ",  U"ｭ",  U"ﾕ",  U"ｮ",  U"ﾖ",                                            // ャ … ヨ
    U"ﾗ", U"ﾘ",  U"ﾙ",  U"ﾚ",  U"ﾛ",                                                   // ラ … ロ
    U"ﾜ", U"ﾜ",  U"ｲ",  U"ｴ",  U"ｦ",  U"ﾝ",  U"ｳﾞ", U"ｶ",  U"ｹ",                       // ヮ … ヶ
};
static_assert(sizeof(kKatakanaHalf) / sizeof(kKatakanaHalf[0]) == 0x30F6 - 0x30A1 + 1);

const char32_t* halfSign(char32_t c)
{
    switch (c) {
    case U'\u3000': return U" ";
    case U'ー': return U"ｰ";
    case U'・': return U"･";
    case U'、': return U"､";
    case U'。': return U"｡";
    case U'「': return U"｢";
    case U'」': return U"｣";
    case U'゛': return U"ﾞ";
    case U'゜': return U"ﾟ";
    default: return nullptr;
    }
}

} // namespace

std::string foldReading(const std::string& typed)
{
    std::u32string out;
    for (char32_t c : toUtf32(typed)) {
        if (c >= 0x3041 && c <= 0x3096) c += 0x60; // hiragana to katakana
        if (c >= 0x30A1 && c <= 0x30F6) out += kKatakanaHalf[c - 0x30A1];
        else if (c >= 0xFF01 && c <= 0xFF5E) out += char32_t(c - 0xFEE0);
        else if (const char32_t* h = halfSign(c)) out += h;
        else out += c;
    }
    return fromUtf32(out);
}

std::string impossibleBirthNotice(const std::string& qbango)
{
    std::u32string n = toUtf32(qbango);
    if (n.size() < 13) return {};
    std::u32string birth = n.substr(5, 8);
    int value = 0;
    for (char32_t c : birth) {
        if (c < U'0' || c > U'9') return {};
        value = value * 10 + int(c - U'0');
    }
    if (isValidDate(value)) return {};
    const std::string digits = fromUtf32(birth);
    return "旧番号の生年月日 " + digits.substr(0, 4) + "/" + digits.substr(4, 2) + "/" + digits.substr(6, 2) +
           " は暦にない日付です（そのまま記録しました）。旧番号を確かめてください。";
}

} // namespace tolv
