// The entry window's editing rules without a window: what each box stores, what it refuses and
// what it shows afterwards; the reading fold and the impossible birth date.
#include "storage/EntryEditRules.h"
#include "storage/CsvDelimiters.h"
#include "storage/EntryStore.h"

#include <gtest/gtest.h>

using namespace tolv;

namespace {

struct Boxes {
    EntryHeader header;
    ReserveEvents reserve;
    SwimmerRecord swimmer = EntryStore::emptySwimmer();
    EntryEditRules rules{header, reserve, swimmer};
    Boxes() { header.setKijunBi("2008/10/16"); }
};

} // namespace

TEST(EntryEditRules, EachBoxStoresWhatItShowsOrRefusesWhole)
{
    using W = BoxEdit::Writes;
    struct Case {
        EntryBox box;
        int index;
        std::string typed;
        W writes;          // Nothing: refused
        std::string shown; // what the box shows afterwards
    };
    const Case cases[] = {
        {EntryBox::Zigyo, 0, "第50回春", W::Header, "第50回春"},
        {EntryBox::Zigyo, 0, "第50回春季記録会", W::Nothing, ""}, // 16 bytes into 8: refused, not cut
        {EntryBox::Basho, 0, "辰巳国際水泳場", W::Nothing, ""},   // 14 bytes into 12
        {EntryBox::Basho, 0, "辰巳国際水泳", W::Header, "辰巳国際水泳"},
        {EntryBox::Tcod, 0, "1234567", W::Header, "1234567"},
        {EntryBox::StBi, 0, "20081016", W::Header, "2008/10/16"},
        {EntryBox::StBi, 0, "2008101", W::Nothing, ""},
        {EntryBox::KijunBi, 0, "20080230", W::Nothing, "2008/10/16"},
        {EntryBox::Kiro, 3, "1:05.23", W::Swimmer, " 1:05.23"},
        {EntryBox::Kiro, 3, "1:75.00", W::Nothing, ""},
        {EntryBox::Namae, 0, "山田　太郎", W::Swimmer, "山田　太郎"},
        {EntryBox::Namae, 0, "😀", W::Nothing, ""},         // no CP932 form
        {EntryBox::Namae, 0, "山田,太郎", W::Nothing, ""}, // the delimiters of the CSV exports
        {EntryBox::Shozoku, 0, "\"SC\"", W::Nothing, ""},
        {EntryBox::Zigyo, 0, "春,夏", W::Nothing, ""},
        {EntryBox::Namae, 0, "山田，＂太郎", W::Swimmer, "山田，＂太郎"},
        {EntryBox::Kana, 0, "ミサキ　ダイチ", W::Swimmer, "ﾐｻｷ ﾀﾞｲﾁ"},
        {EntryBox::QBango, 0, "13001009501011", W::Swimmer, "13001199501011"}, // century from 2008
        {EntryBox::Nenrei, 0, "13", W::Swimmer, "13"},
        {EntryBox::Torobi, 0, "20080401", W::Swimmer, "20080401"},
        {EntryBox::YobiName, 2, "50mキック", W::Header, "50mキック"},
        {EntryBox::YobiName, 4, "", W::Header, ""},
        {EntryBox::YobiKubun, 1, "小学生以下", W::Nothing, ""}, // 10 bytes into 8
    };
    for (const Case& c : cases) {
        Boxes b;
        BoxEdit e = b.rules.confirm(c.box, c.typed, c.index);
        EXPECT_EQ(e.writes, c.writes) << c.typed;
        EXPECT_EQ(e.stored(), c.writes != W::Nothing) << c.typed;
        EXPECT_EQ(e.refusal.empty(), e.stored()) << c.typed;
        EXPECT_EQ(b.rules.shown(c.box, c.index), c.shown) << c.typed;
        if (c.typed.find_first_of(",\"") != std::string::npos) {
            EXPECT_EQ(e.refusal, csvDelimiterRefusal(EntryEditRules::label(c.box))) << c.typed;
        }
    }
}

TEST(EntryEditRules, AnEmptyReserveNameStaysEmptyInTheRecord)
{
    Boxes b;
    b.rules.confirm(EntryBox::YobiName, "", 2);
    EXPECT_EQ(b.reserve.yobiName(2), std::string(16, ' '));
    EXPECT_EQ(EntryEditRules::placeholder(EntryBox::YobiName, 2), "(3)");
    b.rules.confirm(EntryBox::YobiName, "50mキック", 2);
    EXPECT_EQ(b.reserve.yobiName(2), "50mキック       ");
}

TEST(EntryEditRules, FitsCountsBytesOfTheStoredForm)
{
    EXPECT_TRUE(EntryEditRules::fits(EntryBox::Zigyo, "第50回春"));
    EXPECT_FALSE(EntryEditRules::fits(EntryBox::Zigyo, "第50回春季"));
    // Sixteen full-width kana fold to sixteen half-width bytes.
    EXPECT_TRUE(EntryEditRules::fits(EntryBox::Kana, "アイウエオカキクケコサシスセソタ"));
    EXPECT_FALSE(EntryEditRules::fits(EntryBox::Kana, "ガギグゲゴザジズゼ")); // 18 bytes with the marks
    EXPECT_TRUE(EntryEditRules::fits(EntryBox::Nenrei, "99999"));             // a number box has no byte limit
    EXPECT_EQ(EntryEditRules::tooLongMessage(EntryBox::Zigyo),
              "事業名は 8 バイト（全角 4 文字）までです。それより後は入力できません。");
}

TEST(EntryEditRules, ReadingsFoldToTheHalfWidthFormsOfTheMaster)
{
    EXPECT_EQ(foldReading("ミサキ　ダイチ"), "ﾐｻｷ ﾀﾞｲﾁ");
    EXPECT_EQ(foldReading("みさき　だいち"), "ﾐｻｷ ﾀﾞｲﾁ");
    EXPECT_EQ(foldReading("パピプペポ・ヴァー"), "ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ･ｳﾞｧｰ");
    EXPECT_EQ(foldReading("ＡＢＣ１２３ｘ"), "ABC123x");
    EXPECT_EQ(foldReading("ﾔﾏﾀﾞ ﾀﾛｳ"), "ﾔﾏﾀﾞ ﾀﾛｳ"); // already half-width
    EXPECT_EQ(foldReading("ッョヶ"), "ｯｮｹ");
}

TEST(EntryEditRules, AnImpossibleBirthDateIsStoredAndTold)
{
    Boxes b;
    b.header.setKijunBi("2026/10/16");
    BoxEdit e = b.rules.confirm(EntryBox::QBango, "13001201302301");
    EXPECT_TRUE(e.stored());
    EXPECT_EQ(b.swimmer.QBango(), "13001201302301");
    EXPECT_EQ(e.notice, "旧番号の生年月日 2013/02/30 は暦にない日付です（そのまま記録しました）。旧番号を確かめてください。");
    EXPECT_EQ(b.rules.confirm(EntryBox::QBango, "13001200105011").notice, "");
    EXPECT_EQ(impossibleBirthNotice("13001"), "");          // too short to hold a date
    EXPECT_EQ(impossibleBirthNotice("13001       1"), "");  // no digits: nothing to tell
    EXPECT_EQ(impossibleBirthNotice("13001200002291"), ""); // 2000 is a leap year
}
