// SCM files: ScmSwimmerdt.csv in link and media form, Scmdt.csv and RELAYENT.csv, checked byte for
// byte against lines built from the column tables; media splitting; failures leave the folder.
#include "exchange/ExportFixture.h"
#include "platform/AtomicFile.h"
#include "registration/RegistrationExport.h"
#include "reports/Tally.h"
#include "storage/Codes.h"
#include "transfer/ScmLines.h"
#include "transfer/SetJournal.h"
#include "transfer/Templates.h"

#include <cstring>
#include <fstream>
#include <random>

using namespace exporttest;
using namespace tolv;
using namespace tolv::exchange;

namespace {

// Columns 1-16, shared by both forms.
std::vector<std::string> head(const std::string& bango, const std::string& team, int k, const std::string& reg12,
                              const std::string& name7, const std::string& kana, const std::string& sei, const std::string& birth,
                              const std::string& grade2, const std::string& grade1, const std::string& flags)
{
    return {Q(bango),  Q(team),  R(std::to_string(k)),
            Q(""),     Q("1"),   Q(reg12),
            Q(name7),  Q(kana),  Q(""),
            Q(sei),    Q(birth), Q(grade2),
            Q(grade1), Q(flags), Q(""),
            Q("")};
}

std::vector<std::string> linkTail(const std::string& key, const std::string& name7, const std::string& family)
{
    return std::vector<std::string>{R("#2005-04-01 13:05:09#"), Q("___-____")} + repeat(3, Q("")) +
           std::vector<std::string>{Q("___-____")} + repeat(3, Q("")) + repeat(3, Q(blanks(176))) +
           std::vector<std::string>{Q(blanks(22)),
                                    Q(blanks(132)),
                                    Q(key),
                                    Q(""),
                                    Q(""),
                                    Q(" "),
                                    Q(" "),
                                    Q(""),
                                    Q("2005"),
                                    Q("0"),
                                    Q("2005/04/01 13:05:09"),
                                    Q(""),
                                    Q(""),
                                    Q(""),
                                    Q(blanks(5)),
                                    Q(""),
                                    Q(name7),
                                    Q(family),
                                    Q("01"),
                                    Q("2"),
                                    R(""),
                                    R(""),
                                    Q(blanks(5))};
}

std::vector<std::string> mediaTail(const std::string& flags, const std::string& times, const std::string& key,
                                   const std::string& name7, const std::string& family)
{
    return std::vector<std::string>{R("#NULL#")} + repeat(11, Q("")) + std::vector<std::string>{Q(flags),
                                                                                                Q(times),
                                                                                                Q(key),
                                                                                                Q(""),
                                                                                                Q(""),
                                                                                                Q(""),
                                                                                                Q(" "),
                                                                                                Q(""),
                                                                                                Q("2005"),
                                                                                                Q("0"),
                                                                                                Q("2005/04/01 13:05:09"),
                                                                                                Q(""),
                                                                                                Q(""),
                                                                                                Q(""),
                                                                                                Q(blanks(5)),
                                                                                                Q(""),
                                                                                                Q(name7),
                                                                                                Q(family),
                                                                                                Q(""),
                                                                                                Q("0"),
                                                                                                Q("#NULL#"),
                                                                                                Q("0"),
                                                                                                Q("")};
}

// Three swimmers that exercise the name form, the grade split and the category flags.
void addNameAndGradeCases(ExportFixture& f)
{
    f.add({.qbango = "13001200105011",
           .sei = "1",
           .gakunen = "10",
           .namae = "東西南北春夏秋冬",
           .kana = "ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ",
           .bango = "1300101"},
          "100100");
    f.add(
        {.qbango = "13002199912315", .sei = "2", .gakunen = "23", .namae = "山田　花子", .kana = "ﾔﾏﾀﾞ ﾊﾅｺ", .bango = "1300202"},
        "010000");
    f.add({.qbango = "13001200202021",
           .sei = "1",
           .gakunen = "11",
           .namae = "YAMADA  TARO",
           .kana = "ﾔﾏﾀﾞ ﾀﾛｳ",
           .bango = "1300103"});
}

TeamRecord registerTeam(const std::string& code, const std::string& name, const std::string& flags)
{
    TeamRecord t;
    t.setCode(code);
    t.setName(name);
    t.setFurther1("補足");
    t.setShortName("みなとＳＣ");
    t.setShortKana("ﾐﾅﾄSC");
    t.setFlags(flags);
    const char* people[3] = {"海野　一郎", "山川　二郎", "担当　花子"};
    for (int i = 0; i < 3; ++i) {
        t.setPerson(i, people[i]);
        t.setPostal(i, "105-000" + std::to_string(i));
        t.setAddress(i, 0, "東京都港区" + std::to_string(i));
        t.setAddress(i, 1, "１番");
        t.setPhone(i, "03-0000-000" + std::to_string(i));
    }
    return t;
}

std::vector<std::string> block(int i)
{
    const char* people[3] = {"海野　一郎", "山川　二郎", "担当　花子"};
    return {Q(people[i]), Q("105-000" + std::to_string(i)), Q("東京都港区" + std::to_string(i)), Q("１番"),
            Q("03-0000-000" + std::to_string(i))};
}

} // namespace

TEST(ScmSwimmerFile, LinkFormFollowsTheColumnTable)
{
    ExportFixture f;
    addNameAndGradeCases(f);
    f.writeTotals({});
    f.run(exportScmLink);

    auto lines = ExportFixture::lines(f.transfer / "ScmSwimmerdt.csv");
    ASSERT_EQ(lines.size(), 4u);
    // Eight full-width characters fill column 7; no blank: family length 8. Grade "10": " " and "1".
    EXPECT_EQ(lines[1], line(head("1300101", "13001", 1, "130010105011", "東西南北春夏秋冬", "ﾄｳｻﾞｲ ﾅﾝﾎﾞｸ", "1", "2001/05/01",
                                  " ", "1", "1  1  ") +
                             linkTail("1010501東西南北春夏秋冬", "東西南北春夏秋冬", "8")));
    // Trailing blanks become full-width blanks and one ordinary blank (cut at 8); grade "23".
    EXPECT_EQ(lines[2], line(head("1300202", "13002", 2, "130029912315", "山田　花子　　　", "ﾔﾏﾀﾞ ﾊﾅｺ", "2", "1999/12/31", "3",
                                  "2", " 1    ") +
                             linkTail("2991231山田花子", "山田　花子　　　", "2")));
    // Two ordinary blanks inside a name: the first becomes full-width.
    EXPECT_EQ(lines[3],
              line(head("1300103", "13001", 3, "130010202021", "YAMADA　 ", "ﾔﾏﾀﾞ ﾀﾛｳ", "1", "2002/02/02", "1", "1", "1     ") +
                   linkTail("1020202YAMADATARO", "YAMADA　 ", "6")));
    // The header is the installed template, every field quoted.
    auto titles = readTemplate(ctlDir(), "ScmSwimmerdt.w", kScmSwimmerFields);
    EXPECT_EQ(lines[0], quotedHeader(titles));
    EXPECT_EQ(f.prompt.said, std::vector<std::string>{"転送先メディア準備"});
}

TEST(ScmSwimmerFile, MediaFormCarriesEntryFlagsAndTimes)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011",
           .gakunen = "11",
           .namae = "山田　太郎",
           .bango = "1300101",
           .kiro = {{22, 10234}, {25, 9000}}}); // relays only
    f.add({.qbango = "13001200105021",
           .gakunen = "11",
           .namae = "山田　次郎",
           .bango = "0000000",
           .kiro = {{1, 2750}, {21, 123456}, {23, 700001}}});
    f.writeTotals({});
    f.run(exportScmMedia);

    auto lines = ExportFixture::lines(f.transfer / "ScmSwimmerdt.csv");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], line(head("1300101", "13001", 1, "130010105011", "山田　太郎　　　", "ﾔﾏﾀﾞ ﾀﾛｳ", "1", "2001/05/01", "1",
                                  "1", "1     ") +
                             mediaTail(blanks(22) + "1", blanks(144), "1010501山田太郎", "山田　太郎　　　", "2")));
    const std::string flags = " 1" + blanks(19) + "1" + "1";
    const std::string times = blanks(6) + "  2750" + blanks(6 * 19) + "123456" + blanks(12);
    EXPECT_EQ(lines[2], line(head("0000000", "13001", 2, "130010105021", "山田　次郎　　　", "ﾔﾏﾀﾞ ﾀﾛｳ", "1", "2001/05/02", "1",
                                  "1", "1     ") +
                             mediaTail(flags, times, "1010502山田次郎", "山田　次郎　　　", "2")));
}

TEST(ScmSwimmerFile, MediaHoldFourHundredFiftySwimmersAndNeverOverwriteThePreviousMedium)
{
    ExportFixture f;
    for (int i = 0; i < 451; ++i) f.add({.qbango = "13001200105011", .bango = std::to_string(1000000 + i)});
    f.writeTotals({});

    // The medium is not changed: the second goes into MEDIA2 and the first stays whole.
    ExportResult r = f.run(exportScmMedia);
    EXPECT_EQ(f.prompt.said, (std::vector<std::string>{"転送先メディア準備", "転送先メディア準備"}));
    auto first = ExportFixture::lines(f.transfer / "ScmSwimmerdt.csv");
    auto second = ExportFixture::lines(f.transfer / "MEDIA2" / "ScmSwimmerdt.csv");
    ASSERT_EQ(first.size(), 451u);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[0], first[0]);
    EXPECT_NE(second[1].find("\"1000450\",\"13001\",451,"), std::string::npos) << second[1];
    ASSERT_EQ(r.written.size(), 4u);
    EXPECT_EQ(r.written[1].lines, 1);
    EXPECT_NE(summaryText(r).find("MEDIA2"), std::string::npos);

    // A fresh medium at the second prompt (the old file is gone): written into the folder itself.
    ExportFixture g;
    for (int i = 0; i < 451; ++i) g.add({.qbango = "13001200105011"});
    g.writeTotals({});
    g.prompt.onTell = [&](std::size_t n) {
        if (n == 2) fs::rename(g.transfer / "ScmSwimmerdt.csv", g.tree.dir() / "medium1.csv");
    };
    g.run(exportScmLink);
    EXPECT_EQ(ExportFixture::lines(g.tree.dir() / "medium1.csv").size(), 451u);
    EXPECT_EQ(ExportFixture::lines(g.transfer / "ScmSwimmerdt.csv").size(), 2u);
    EXPECT_FALSE(fs::exists(g.transfer / "MEDIA2"));
}

TEST(ScmSwimmerFile, NoSwimmersNoPromptAndNoSwimmerFile)
{
    ExportFixture f;
    f.writeTotals({});
    ExportResult r = f.run(exportScmMedia);
    EXPECT_TRUE(f.prompt.said.empty());
    EXPECT_FALSE(fs::exists(f.transfer / "ScmSwimmerdt.csv"));
    EXPECT_EQ(ExportFixture::lines(f.transfer / "Scmdt.csv").size(), 1u);
    EXPECT_EQ(r.written.size(), 2u);
}

TEST(ScmTeamFile, KindCodeLastMatchingWordWins)
{
    const std::pair<const char*, const char*> cases[] = {
        {"さくら幼稚園", "0"},     {"港小学校", "1"},           {"港中学校", "2"},       {"港高等学校", "3"},
        {"港大学", "4"},           {"港株式会社", "5"},         {"港高等専門学校", "6"}, {"港スイミング", "7"},
        {"みなと水泳クラブ", "8"}, {"港スイミングクラブ", "7"}, {"港水泳連盟", "9"},     {"港大学附属小学校", "4"},
    };
    for (const auto& [name, code] : cases) EXPECT_EQ(teamKindCode(name), code) << name;
}

TEST(ScmTeamFile, OneLinePerRegisteredTeam)
{
    ExportFixture f;
    f.writeTotals({"13001", "13003", "13002", "XX001"});
    f.writeRegister({registerTeam("13001", "みなと水泳クラブ", "100100"), registerTeam("13002", "港スイミング", "000000")});
    ExportResult r = f.run(exportScmLink);

    auto lines = ExportFixture::lines(f.transfer / "Scmdt.csv");
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> six = block(2) + std::vector<std::string>{Q("")};
    const auto tail = repeat(20, Q("")) + std::vector<std::string>{Q("SWMW")} + repeat(8, Q("")) +
                      std::vector<std::string>{Q("1"), Q("2005/04/01 13:05:09"), R("#NULL#")};
    EXPECT_EQ(lines[1], line(std::vector<std::string>{Q("13001"), Q("8"), Q("1  1  "), Q("みなと水泳クラブ"), Q("補足"),
                                                      Q("みなとＳＣ"), Q("ﾐﾅﾄSC")} +
                             block(0) + block(1) + six + repeat(12, Q("")) + six + repeat(12, Q("")) + tail));
    EXPECT_EQ(lines[2], line(std::vector<std::string>{Q("13002"), Q("7"), Q(blanks(6)), Q("港スイミング"), Q("補足"),
                                                      Q("みなとＳＣ"), Q("ﾐﾅﾄSC")} +
                             block(0) + block(1) + repeat(36, Q("")) + tail));
    // The team missing from the register gets no line and is named; so is one without a prefecture.
    ASSERT_EQ(r.notes.size(), 2u);
    EXPECT_NE(r.notes[0].find("13003"), std::string::npos);
    EXPECT_NE(r.notes[1].find("XX001"), std::string::npos);
    EXPECT_EQ(readTemplate(ctlDir(), "teamdt.w", kScmTeamFields).size(), kScmTeamFields);
    EXPECT_EQ(lines[0], quotedHeader(readTemplate(ctlDir(), "teamdt.w", kScmTeamFields)));

    // An empty register: no team gets a line.
    f.writeRegister({});
    f.run(exportScmLink);
    EXPECT_EQ(ExportFixture::lines(f.transfer / "Scmdt.csv").size(), 1u);
}

TEST(ScmRelayFile, OneLinePerRelayTimeBeforeTheMarks)
{
    ExportFixture f;
    f.data.header.setCourse(1);
    f.add({.qbango = "13001200105011",
           .gakunen = "21",
           .shozoku = "さくらＳＣ",
           .shozokuKana = "ｻｸﾗ",
           .kiro = {{22, 10234}, {25, 2845}, {24, 700001}, {28, 666666}, {2, 5000}}});
    f.add({.qbango = "13002200105015", .sei = "2", .kiro = {{28, 83000}}});
    f.writeTotals({});

    auto expected = [](const std::string& team, int r, const std::string& stroke, const std::string& sei, const std::string& time,
                       const std::string& level, const std::string& dist, const std::string& name, const std::string& kana) {
        return line({Q("0513001"), Q(team), Q(std::to_string(r)), Q("2"), Q(stroke), Q(sei), Q(time), Q(""), Q(""), Q(level),
                     Q(dist), Q(""), Q(name), Q(kana), Q(""), Q(kana)});
    };
    f.run(exportScmMedia);
    auto lines = ExportFixture::lines(f.transfer / "RELAYENT.csv");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], expected("13001", 1, "7", "1", " 1:02.34", "", "3", "さくらＳＣ", "ｻｸﾗ"));
    EXPECT_EQ(lines[2], expected("13001", 2, "6", "1", "  :28.45", "", "3", "さくらＳＣ", "ｻｸﾗ"));
    EXPECT_EQ(lines[3], expected("13002", 3, "6", "2", " 8:30.00", "", "6", "さくらＳＣ", "ｻｸﾗ"));

    // Organised by the prefecture ("県"): the prefecture stands for the team.
    f.data.header.setBotai(1);
    f.run(exportScmMedia);
    lines = ExportFixture::lines(f.transfer / "RELAYENT.csv");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1], expected("13000", 1, "7", "1", " 1:02.34", "", "3", "東京都", "ﾄｳｷｮｳ"));
}

TEST(ScmExportFailure, NothingIsWrittenAndNothingReplaced)
{
    ExportFixture f;
    f.add({.qbango = "13001200105011"});
    f.writeTotals({"13001"});
    tolvtest::writeBytes(f.transfer / "ScmSwimmerdt.csv", "previous run\r\n");
    auto folderState = [&] {
        std::string s;
        for (const auto& e : fs::recursive_directory_iterator(f.transfer))
            s += e.path().string() + "=" + (e.is_regular_file() ? tolvtest::readBytes(e.path()) : "") + "\n";
        return s;
    };
    const std::string before = folderState();

    // A register that cannot be opened: named, and the folder stays as it was.
    try {
        f.run(exportScmMedia);
        FAIL() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("dantai.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(folderState(), before);
    EXPECT_TRUE(f.prompt.said.empty());

    // A user's template with too few fields is kept and named; nothing is written either.
    f.writeRegister({registerTeam("13001", "みなと水泳クラブ", "100000")});
    tolvtest::writeBytes(ctlDir() / "RELAYENT.w", "\"a\",\"b\"\r\n");
    try {
        f.run(exportScmMedia);
        FAIL() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("RELAYENT.w"), std::string::npos) << e.what();
    }
    EXPECT_EQ(folderState(), before);
    EXPECT_EQ(tolvtest::readBytes(ctlDir() / "RELAYENT.w"), "\"a\",\"b\"\r\n");

    // A time too long for its column, or bytes that are no CP932 text: refused, naming the swimmer.
    tolvtest::writeBytes(ctlDir() / "RELAYENT.w", tolvtest::readBytes(ctlDir() / "RIZARUTO.w") + "\"x\",\"y\",\"z\"\r\n");
    f.data.swimmers[0].setKiro(3, 1234567);
    try {
        f.run(exportScmMedia);
        FAIL() << "no error";
    } catch (const TolvError& e) {
        EXPECT_NE(std::string(e.what()).find("選手 1"), std::string::npos) << e.what();
    }
    f.data.swimmers[0].setKiro(3, 0);
    f.data.swimmers[0].setTextBytes(SwimmerRecord::kNamae, "\x81\x20");
    EXPECT_THROW(f.run(exportScmMedia), TolvError);
    EXPECT_EQ(folderState(), before);

    // No totals file: the tally is asked for.
    fs::remove(teamTotalsPath(f.data.entryPath));
    EXPECT_THROW(f.run(exportScmLink), TolvError);
    EXPECT_EQ(folderState(), before);
}

// The lines written straight from the record bytes are the bytes (or the error) of the lines built
// through fieldText and encoded, for swimmers of awkward text: blanks, control bytes, NULs,
// delimiters, kana, characters CP932 holds twice, now and then a byte that is no character.
TEST(ScmSwimmerFile, LinesCopiedAsCp932AreTheLinesBuiltAsText)
{
    using S = SwimmerRecord;
    std::mt19937 random(33);
    const std::vector<std::string> good = {" ",        "  ",       std::string(1, '\0'),
                                           "\x01",     "\t",       ",",
                                           "\"",       "0",        "1",
                                           "9",        "A",        "/",
                                           "\xb1",     "\xdf",     "\x81\x40",
                                           "\x82\xa0", "\xfa\x54", "\x81\xca",
                                           "\xed\x40", "\x87\x90", "\\",
                                           "~",        "\x81\x5f", "\x82\x50",
                                           "\xee\xf9", "\x88\x9f"};
    const std::vector<std::string> bad = {"\x80", "\xa0", "\xfd", "\x82", "\x81\x20", "\x85\x40"};
    bool damaged = false;
    auto fill = [&](SwimmerRecord& s, Field f) {
        std::string b;
        for (;;) {
            const std::string& piece = damaged && random() % 8 == 0 ? bad[random() % bad.size()] : good[random() % good.size()];
            if (b.size() + piece.size() > f.size()) break;
            b += piece;
        }
        b.resize(f.size(), damaged ? '\x82' : ' '); // a lead byte cut at the end
        std::memcpy(s.bytes().data() + f.offset, b.data(), f.size());
    };
    auto same = [](const std::function<void(std::string&)>& fast, const std::function<void(std::string&)>& slow) {
        std::string a, b, aError, bError;
        try {
            fast(a);
        } catch (const TolvError& e) {
            aError = e.what();
        }
        try {
            slow(b);
        } catch (const TolvError& e) {
            bError = e.what();
        }
        EXPECT_EQ(aError, bError);
        if (aError.empty()) {
            EXPECT_TRUE(a == b) << fromCp932(a) << "\n" << fromCp932(b);
        }
        return aError.empty();
    };
    EntryHeader prefecture, club;
    prefecture.setTcod("05,1\"01");
    prefecture.setBotai(kBotaiPrefecture);
    club.setTextBytes(EntryHeader::kTcod, "\x82\xa0\xfa\x54");
    club.setCourse(1);
    int written = 0, copied = 0;
    for (int i = 1; i <= 3000; ++i) {
        SwimmerRecord s;
        damaged = i % 10 == 0;
        for (Field f : {S::kBango, S::kQBango, S::kNamae, S::kKana, S::kKen, S::kKenKana, S::kShozoku, S::kShozokuKana,
                        S::kGakunen, S::kSei, S::kShuFuku, S::kShubetu})
            fill(s, f);
        if (random() % 3 == 0) s.setQBango("13001200105011"); // an ordinary number among the awkward ones
        for (int slot = 0; slot < kStandardSlots; ++slot)
            if (random() % 6 == 0) s.setKiro(slot, static_cast<std::int32_t>(random() % (i == 2999 ? 9000000 : 700000)));
        const std::size_t n = static_cast<std::size_t>(i);
        for (bool media : {false, true}) {
            ScmSwimmerLines lines(media, "2005/04/01", "13:05:09", "ScmSwimmerdt.csv");
            written += same([&](std::string& out) { lines.append(out, s, i, n); },
                            [&](std::string& out) {
                                const CsvLine l = media ? scmSwimmerMediaLine(s, i, n, "2005/04/01", "13:05:09")
                                                        : scmSwimmerLinkLine(s, i, "2005/04/01", "13:05:09");
                                out = encodeSwimmerLine(l.text(), "ScmSwimmerdt.csv", n, s);
                            });
        }
        RizarutoLines rizaruto;
        same([&](std::string& out) { rizaruto.append(out, s, 7, n); },
             [&](std::string& out) { out = encodeSwimmerLine(rizarutoLine(s, 7, n).text(), "RIZARUTO.csv", n, s); });
        for (const EntryHeader* h : {&prefecture, &club}) {
            RelayLines relays(*h, h == &club);
            long long a = i, b = i;
            same([&](std::string& out) { relays.append(out, s, n, a); },
                 [&](std::string& out) { relays.appendAsText(out, s, n, b); });
            EXPECT_EQ(a, b);
        }
        SwimmerBytes bytes;
        copied += bytes.read(s);
    }
    // Most swimmers took the copying way, and most lines could be written.
    EXPECT_GT(copied, 2500);
    EXPECT_GT(written, 4000);
}

// A fault found late in an export that writes as it goes (the swimmer of the last medium or team)
// leaves every file of the old set as it was: the media and team folders the run made are gone, no
// temporary file is left.
TEST(ScmExportFailure, AFaultInTheLastMediumLeavesTheOldSet)
{
    struct Case {
        const char* name;
        ExportFn run;
        int swimmers; // one more than fill the first medium: the last one is refused
    };
    const Case cases[] = {
        {"scm-media", exportScmMedia, 451},
        {"registration", registration::exportRegistration, 1361},
        {"swm-media", exportSwmMedia, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExportFixture f;
        f.writeTotals({});
        for (int i = 0; i < c.swimmers - 1; ++i) f.add({.qbango = "13001200105011"});
        ExportTarget t = f.target();
        t.prompt = nullptr;
        c.run(f.data, t); // the old set: one medium, one team
        auto folderState = [&] {
            std::string s;
            for (const auto& e : fs::recursive_directory_iterator(f.transfer))
                s += e.path().string() + "=" + (e.is_regular_file() ? tolvtest::readBytes(e.path()) : "") + "\n";
            return s;
        };
        const std::string before = folderState();
        f.data.swimmers.back().setQBango("13002200105011"); // another team
        f.add({.qbango = "13003200105011"}).setTextBytes(SwimmerRecord::kNamae, "\x81\x20");
        t.when = DateTime{2006, 1, 1, 0, 0, 0};
        try {
            c.run(f.data, t);
            ADD_FAILURE() << "no error";
        } catch (const TolvError& e) {
            EXPECT_NE(std::string(e.what()).find("選手 " + std::to_string(c.swimmers)), std::string::npos) << e.what();
        }
        EXPECT_EQ(folderState(), before);
    }
}

// Media written together after "全媒体を一括作成しますか？" are one set whose journal is kept in the
// transfer folder, above the MEDIA<k> folders it names: a set cut off among its renames is completed
// by the next export there.
TEST(ScmExportFailure, MediaWrittenTogetherAreCompletedAfterACutAmongTheRenames)
{
    ExportFixture f;
    f.writeTotals({});
    for (int i = 0; i < 1361; ++i) f.add({.qbango = "13001200105011"});
    ExportTarget t = f.target();
    t.mediaQuestion = true;
    AtomicFile::beforeRenameHook() = [](const fs::path& temp) {
        if (temp.parent_path().filename() == "MEDIA2") throw TolvError("cut");
    };
    EXPECT_THROW(registration::exportRegistration(f.data, t), TolvError);
    AtomicFile::beforeRenameHook() = nullptr;
    auto journals = [&] {
        int n = 0;
        for (const auto& e : fs::recursive_directory_iterator(f.transfer))
            n += e.path().filename().string().rfind(".tolvsys-set.", 0) == 0;
        return n;
    };
    ASSERT_EQ(journals(), 1);
    EXPECT_FALSE(fs::exists(f.transfer / "MEDIA2" / "Scmmerdt.csv"));
    finishInterruptedSets(f.transfer);
    EXPECT_EQ(journals(), 0);
    EXPECT_EQ(ExportFixture::lines(f.transfer / "MEDIA1" / "Scmmerdt.csv").size(), 1361u);
    EXPECT_EQ(ExportFixture::lines(f.transfer / "MEDIA2" / "Scmmerdt.csv").size(), 2u);
}
