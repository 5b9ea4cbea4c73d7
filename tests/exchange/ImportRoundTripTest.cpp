// Export and import together: the SCM media files and the SWM floppy written by the exports give the
// swimmers back through the SCM and SWM imports.
#include "exchange/ExportFixture.h"
#include "exchange/ScmSwmImport.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"
#include "storage/PrefectureTable.h"

#include <map>

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

namespace {

// The SCM name column holds the name form, whose trailing blanks are full-width: the names compare
// without trailing blanks of either width.
std::string trimmed(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    while (s.size() >= 3 && s.compare(s.size() - 3, 3, "\u3000") == 0) s.resize(s.size() - 3);
    return s;
}

// Exports the fixture's swimmers with `fn`, imports them with `system` into a new entry file and
// compares what the import gives back.
void roundTrip(ExportFixture& f, ExportFn fn, MeetSystem system)
{
    f.writeTotals({"13001", "13002"});
    TeamRecord t1, t2;
    t1.setCode("13001"), t1.setName("みなと水泳クラブ"), t1.setShortName("みなとＳＣ"), t1.setShortKana("ﾐﾅﾄ");
    t2.setCode("13002"), t2.setName("やま水泳クラブ"), t2.setShortName("やまＳＣ"), t2.setShortKana("ﾔﾏ");
    f.writeRegister({t1, t2});
    f.run(fn);
    // The SCM import reads its relay times from ScmRelay.csv; the floppy writes RELAYENT.csv.
    if (system == MeetSystem::Scm) fs::copy_file(f.transfer / "RELAYENT.csv", f.transfer / "ScmRelay.csv");

    installShippedPrefectureTable(f.tree.dir());
    EntryStore store;
    store.openEntryFile(f.tree.dir() / "back.zep");
    store.header().setKijunBi("2005/04/01");
    store.saveHeader();
    ScriptedPrompt prompt(false);
    importMeetSystem(store, system, importFolderAt(f.transfer), prompt, f.tree.dir() / "ken.ctl");
    ASSERT_EQ(store.header().total(), int(f.data.swimmers.size()));
    EXPECT_EQ(prompt.said, "");
    // The SWM floppy groups the swimmers by team folder: compare by old number.
    std::map<std::string, SwimmerRecord> back;
    for (int n = 1; n <= store.header().total(); ++n) back[store.swimmerAt(n).QBango()] = store.swimmerAt(n);
    for (const SwimmerRecord& o : f.data.swimmers) {
        SCOPED_TRACE(o.Namae());
        ASSERT_TRUE(back.count(o.QBango()));
        const SwimmerRecord& g = back[o.QBango()];
        EXPECT_EQ(g.Bango(), o.Bango());
        EXPECT_EQ(trimmed(g.Namae()), trimmed(o.Namae()));
        EXPECT_EQ(g.Kana(), o.Kana());
        EXPECT_EQ(g.sei(), o.sei());
        EXPECT_EQ(g.gakunen(), o.gakunen());
        EXPECT_EQ(g.Shozoku(), (o.QBango().substr(0, 5) == "13001" ? "みなとＳＣ  " : "やまＳＣ    "));
        EXPECT_EQ(g.ken(), "東京都  ");
        for (int d = 0; d < kStandardSlots; ++d) EXPECT_EQ(g.kiro(d), o.kiro(d)) << "slot " << d;
    }
}

} // namespace

TEST(ImportRoundTrip, ScmMediaExportThenScmImport)
{
    ExportFixture f;
    // Names of up to 8 characters and grades not ending in "0": the SCM swimmer file holds no more.
    f.add({.qbango = "13001200105011",
           .sei = "1",
           .gakunen = "12",
           .namae = "東西南北春夏秋冬",
           .kana = "ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ",
           .bango = "1300101",
           .kiro = {{0, 1890}, {6, 523456}, {21, 50312}, {22, 10234}}});
    f.add({.qbango = "13002199912315",
           .sei = "2",
           .gakunen = "31",
           .namae = "山田　花子",
           .kana = "ﾔﾏﾀﾞ ﾊﾅｺ",
           .bango = "1300202",
           .kiro = {{9, 11500}, {28, 91234}}});
    roundTrip(f, exportScmMedia, MeetSystem::Scm);
}

TEST(ImportRoundTrip, SwmFloppyExportThenSwmImport)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011",
           .sei = "1",
           .gakunen = "10",
           .namae = "東西南北春夏秋冬",
           .kana = "ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ",
           .bango = "1300101",
           .kiro = {{0, 1890}, {6, 523456}, {21, 50312}, {25, 10234}}});
    f.add({.qbango = "13002199912315",
           .sei = "2",
           .gakunen = "50",
           .namae = "YAMADA  HANAKO",
           .kana = "ﾔﾏﾀﾞ ﾊﾅｺ",
           .bango = "1300202",
           .kiro = {{9, 11500}}});
    f.add({.qbango = "13001200202021",
           .sei = "1",
           .gakunen = "23",
           .namae = "川　一",
           .kana = "ｶﾜ ﾊｼﾞﾒ",
           .bango = "1300103",
           .kiro = {{24, 40000}}});
    roundTrip(f, exportSwmMedia, MeetSystem::Swm);
}
