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
