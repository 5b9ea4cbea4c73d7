// The "チェック" menu table: menu order, and command names running the jobs they promise.
#include "checks/CheckMenu.h"
#include "checks/EntryFixture.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace checktest;

TEST(CheckMenu, MenuOrderAndCommandNames)
{
    std::string names;
    for (const CheckMenuItem& item : checkMenuItems())
        names += std::string(item.kind == CheckKind::Report ? "R:" : "W:") + item.objectName + "=" + item.cliName + " ";
    EXPECT_EQ(names, "R:mCheck1=number R:mCheck14=qbango R:mCheck2=birth R:mCheck3=kana R:mCheck4=grade R:mCheck5=age "
                     "R:mCheck11=no-category R:mCheck8=four-events R:mCheck15=same-time W:mCheck13=kana W:mCheck6=age "
                     "W:mCheck7=grade W:mCheck17=grade-company W:mCheck10=main W:mCheck9=secondary "
                     "W:mCheck12=prefecture W:mCheck16=same-time ");
    EXPECT_EQ(findCheckItem(CheckKind::Rewrite, "kana"), findCheckItem("mCheck13"));
    EXPECT_EQ(findCheckItem(CheckKind::Report, "prefecture"), nullptr);

    // The items run their own jobs: "birth" finds the two old numbers that differ only in the sex digit.
    EntryFixture f("2005/04/01", 0);
    f.add({.qbango = "13001199804021", .nenrei = 45, .shuFuku = "2"});
    f.add({.qbango = "13001199804022", .nenrei = 45, .shuFuku = "2"});
    ScriptedPrompt prompt;
    std::ostringstream out;
    PrintLog p(out);
    findCheckItem("mCheck2")->run(f.store, &p, prompt);
    EXPECT_NE(out.str().find("13001199804022 2 "), std::string::npos) << out.str();
    EXPECT_THROW(findCheckItem("mCheck1")->run(f.store, nullptr, prompt), TolvError);
    findCheckItem("mCheck10")->run(f.store, nullptr, prompt);
    EXPECT_EQ(f.store.swimmerAt(2).shuFuku(), "1");
    findCheckItem("mCheck17")->run(f.store, nullptr, prompt);
    EXPECT_EQ(f.store.swimmerAt(2).gakunen(), "72");
    EXPECT_TRUE(prompt.said.empty());
}

TEST(CheckMenu, AReportThatFindsNothingPrintsItsTitleAndNothingFound)
{
    EntryFixture f("2005/04/01", 0);
    f.add({.qbango = "13001199804021", .gakunen = "12", .nenrei = 6});
    ScriptedPrompt prompt;
    auto run = [&](const char* name) {
        std::ostringstream out;
        PrintLog p(out);
        findCheckItem(name)->run(f.store, &p, prompt);
        return out.str();
    };
    EXPECT_EQ(run("mCheck1"), "text\t3000\t1000\t番号チェック\ntext\t1000\t1600\t該当なし\nend\n");
    // Its own title first, then the finding that there is none.
    EXPECT_EQ(run("mCheck5"), "text\t3000\t1000\t年令チェック   (入力年令と旧番号の比較)\ntext\t1000\t1600\t該当なし\nend\n");
    EXPECT_EQ(run("mCheck8"), "font\tＭＳ 明朝\t12\ntext\t3000\t1000\t4種目以上チェック\ntext\t1000\t1720\t該当なし\nend\n");
    // A report with findings prints them alone, as before.
    f.add({.qbango = "13001199804021", .gakunen = "12", .nenrei = 6});
    const std::string found = run("mCheck14");
    EXPECT_EQ(found.find("該当なし"), std::string::npos) << found;
    EXPECT_EQ(found.find("チェック"), std::string::npos) << found;
}
