#include "storage/DemoData.h"

#include "platform/Error.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/PrefectureTable.h"

#include <cstdio>

namespace tolv {
namespace {

struct DemoTeam {
    const char* code;
    const char* name;
    const char* shortName;
    const char* shortKana;
    const char* person;
    const char* postal;
    const char* address1;
    const char* address2;
    const char* phone;
};

const DemoTeam kTeams[] = {
    {"13001", "みなと水泳クラブ", "みなとＳＣ", "ﾐﾅﾄSC", "海野　一郎", "105-0000", "東京都港区海岸一丁目", "２番３号",
     "03-0000-0001"},
    {"13002", "かわせみスイミング", "かわせみＳ", "ｶﾜｾﾐS", "川瀬　直子", "130-0000", "東京都墨田区川端二丁目", "４番５号",
     "03-0000-0002"},
    {"13003", "つばさ学園高等学校", "つばさ学園高", "ﾂﾊﾞｻｺ", "空山　誠", "180-0000", "東京都武蔵野市翼町三丁目", "６番７号",
     "0422-00-0003"},
    {"13004", "もみじマスターズ", "もみじＭ", "ﾓﾐｼﾞM", "紅葉　和夫", "190-0000", "東京都立川市楓台四丁目", "８番９号",
     "042-000-0004"},
};

struct DemoAthlete {
    const char* namae;
    const char* kana;
    int birth;
    const char* sexDigit;
    const char* team;
    const char* secondTeam;
    const char* shubetu;
    int free50;
    int back100;
};

// Invented people: family names from landscape words, given names from common words.
const DemoAthlete kMale[] = {
    {"青空　太郎", "ｱｵｿﾞﾗ ﾀﾛｳ", 20150610, "1", "13001", "", "100000", 3850, 0},
    {"青空　次郎", "ｱｵｿﾞﾗ ｼﾞﾛｳ", 20170302, "1", "13001", "", "100000", 4520, 0},
    {"浜辺　翔", "ﾊﾏﾍﾞ ｼｮｳ", 20130402, "1", "13001", "", "100000", 3120, 11045},
    {"浜辺　航", "ﾊﾏﾍﾞ ﾜﾀﾙ", 20130401, "1", "13001", "", "100000", 3210, 0},
    {"岬　大地", "ﾐｻｷ ﾀﾞｲﾁ", 20110915, "1", "13001", "13003", "100000", 2755, 10210},
    {"川瀬　悠真", "ｶﾜｾ ﾕｳﾏ", 20120120, "1", "13002", "", "100000", 2980, 0},
    {"川瀬　陽斗", "ｶﾜｾ ﾊﾙﾄ", 20141111, "1", "13002", "", "100000", 3640, 0},
    {"森野　蓮", "ﾓﾘﾉ ﾚﾝ", 20100705, "1", "13002", "", "110000", 2650, 5980},
    {"森野　湊", "ﾓﾘﾉ ﾐﾅﾄ", 20160824, "1", "13002", "", "100000", 4210, 0},
    {"空山　颯太", "ｿﾗﾔﾏ ｿｳﾀ", 20090512, "1", "13003", "", "100000", 2540, 5710},
    {"空山　律", "ｿﾗﾔﾏ ﾘﾂ", 20080228, "1", "13003", "", "100000", 2498, 5620},
    {"星野　健太", "ﾎｼﾉ ｹﾝﾀ", 20081030, "1", "13003", "", "100000", 2610, 0},
    {"紅葉　和夫", "ﾓﾐｼﾞ ｶｽﾞｵ", 19580117, "1", "13004", "", "100000", 3390, 0},
    {"紅葉　正", "ﾓﾐｼﾞ ﾀﾀﾞｼ", 19761203, "1", "13004", "", "100000", 3010, 10830},
    {"霧島　明", "ｷﾘｼﾏ ｱｷﾗ", 19891009, "1", "13004", "", "100000", 2870, 0},
    {"霧島　誠", "ｷﾘｼﾏ ﾏｺﾄ", 19650704, "1", "13004", "", "100000", 3520, 0},
    {"野原　拓海", "ﾉﾊﾗ ﾀｸﾐ", 20120402, "1", "13001", "", "100000", 3005, 0},
    {"野原　大和", "ﾉﾊﾗ ﾔﾏﾄ", 20180519, "1", "13002", "", "100000", 5230, 0},
};

const DemoAthlete kFemale[] = {
    {"青空　花子", "ｱｵｿﾞﾗ ﾊﾅｺ", 20140808, "5", "13001", "", "100000", 3790, 0},
    {"浜辺　美咲", "ﾊﾏﾍﾞ ﾐｻｷ", 20120303, "5", "13001", "", "100000", 3150, 10980},
    {"岬　さくら", "ﾐｻｷ ｻｸﾗ", 20100401, "5", "13001", "", "100000", 2890, 0},
    {"岬　ひかり", "ﾐｻｷ ﾋｶﾘ", 20100402, "5", "13001", "", "100000", 2920, 0},
    {"川瀬　結衣", "ｶﾜｾ ﾕｲ", 20110627, "5", "13002", "", "100000", 2990, 10450},
    {"川瀬　葵", "ｶﾜｾ ｱｵｲ", 20151015, "5", "13002", "", "100000", 4050, 0},
    {"森野　陽菜", "ﾓﾘﾉ ﾋﾅ", 20130918, "5", "13002", "13001", "110000", 3300, 0},
    {"森野　凛", "ﾓﾘﾉ ﾘﾝ", 20170121, "5", "13002", "", "100000", 4790, 0},
    {"空山　美月", "ｿﾗﾔﾏ ﾐﾂﾞｷ", 20090210, "5", "13003", "", "100000", 2760, 6230},
    {"空山　彩", "ｿﾗﾔﾏ ｱﾔ", 20081122, "5", "13003", "", "100000", 2810, 0},
    {"星野　栞", "ﾎｼﾉ ｼｵﾘ", 20100530, "5", "13003", "", "100000", 2870, 0},
    {"紅葉　和子", "ﾓﾐｼﾞ ｶｽﾞｺ", 19600322, "5", "13004", "", "100000", 3850, 0},
    {"霧島　恵", "ｷﾘｼﾏ ﾒｸﾞﾐ", 19820814, "5", "13004", "", "100000", 3240, 0},
    {"霧島　静香", "ｷﾘｼﾏ ｼｽﾞｶ", 19720101, "5", "13004", "", "100000", 3480, 0},
    {"野原　芽衣", "ﾉﾊﾗ ﾒｲ", 20120331, "5", "13001", "", "100000", 3090, 0},
    {"野原　花子", "ﾉﾊﾗ ﾊﾅｺ", 20140808, "5", "13002", "", "100000", 3800, 0},
};

AthleteRecord makeAthlete(const DemoAthlete& d, int serial)
{
    AthleteRecord a;
    char bango[8];
    std::snprintf(bango, sizeof bango, "%.2s%05d", d.team, serial);
    a.setBango(bango);
    a.setNamae(d.namae);
    a.setKana(d.kana);
    a.setBirth(d.birth);
    a.setSexDigit(d.sexDigit);
    a.setGradeShift(0);
    a.setShubetu(d.shubetu);
    for (int k = 0; k < 5; ++k) a.setTeam(k, "");
    a.setTeam(0, d.team);
    if (*d.secondTeam) a.setTeam(1, d.secondTeam);
    a.setTorobi(20260401);
    // Best times of 50m free (slot 1) and 100m back (slot 9), long course a little slower.
    if (d.free50) {
        a.setBest(1, 0, d.free50 + 40);
        a.setBest(1, 1, d.free50);
    }
    if (d.back100) {
        a.setBest(9, 0, d.back100 + 120);
        a.setBest(9, 1, d.back100);
    }
    return a;
}

template <std::size_t N> std::vector<AthleteRecord> makeAthletes(const DemoAthlete (&list)[N], int firstSerial)
{
    std::vector<AthleteRecord> out;
    for (std::size_t i = 0; i < N; ++i) out.push_back(makeAthlete(list[i], firstSerial + static_cast<int>(i)));
    return out;
}

void writeSampleEntry(const std::filesystem::path& file)
{
    std::filesystem::remove(file);
    EntryStore store;
    store.openEntryFile(file);
    EntryHeader h = store.header();
    h.setZigyo("春季記録");
    h.setBasho("辰巳国際水泳");
    h.setStBi("2026/05/16");
    h.setEnBi("2026/05/17");
    for (int i = 0; i < kCompetitionDays; ++i) h.setDay(i, 20260516 + i);
    h.setTcod("1326051");
    h.setKijunBi("2026/04/01");
    h.setCourse(0);
    ReserveEvents r = store.reserve();
    r.setYobiKubun(0, "小学生");
    r.setYobiName(0, "25mキック");
    r.setYobiRelay(0, "0");
    store.writeHeader(h, r);

    auto male = demoAthletes(true);
    auto female = demoAthletes(false);
    const std::vector<std::pair<const AthleteRecord*, std::vector<std::pair<int, int>>>> entries = {
        {&male[4], {{1, 2750}, {9, 10330}}},
        {&female[1], {{1, 3190}, {25, kMarkEntered}}},
        {&male[0], {{1, 3890}, {29, 2110}}},
    };
    int n = 0;
    for (const auto& [a, events] : entries) {
        SwimmerRecord s = EntryStore::emptySwimmer();
        std::string team = a->team(0);
        s.setSeq(++n);
        s.setBango(a->Bango());
        s.setQBango(compositeNumber(team, a->birth(), a->sexDigit()));
        s.setNamae(a->Namae());
        s.setKana(a->Kana());
        s.setKen("東京都");
        s.setKenKana("ﾄｳｷｮｳ");
        for (const DemoTeam& t : kTeams)
            if (team == t.code) {
                s.setShozoku(t.shortName);
                s.setShozokuKana(t.shortKana);
            }
        s.setGakunen(gradeCode(a->birth(), a->gradeShift(), h.kijunBi(), h.kubun()));
        s.setNenrei(static_cast<std::int16_t>(ageOn(a->birth(), h.kijunBi())));
        s.setSei(a->sexDigit() < "5" ? "1" : "2");
        s.setShuFuku("1");
        s.setShubetu(a->shubetu());
        s.setTorobi(a->torobi());
        for (const auto& [slot, time] : events) s.setKiro(slot, time);
        h.setTotal(n);
        store.writeSwimmer(n, s, h);
    }
}

} // namespace

std::vector<TeamRecord> demoTeams()
{
    std::vector<TeamRecord> out;
    for (const DemoTeam& d : kTeams) {
        TeamRecord t;
        t.setCode(d.code);
        t.setName(d.name);
        t.setShortName(d.shortName);
        t.setShortKana(d.shortKana);
        t.setFlags("100000");
        t.setPerson(0, d.person);
        t.setPostal(0, d.postal);
        t.setAddress(0, 0, d.address1);
        t.setAddress(0, 1, d.address2);
        t.setPhone(0, d.phone);
        out.push_back(t);
    }
    return out;
}

std::vector<AthleteRecord> demoAthletes(bool male) { return male ? makeAthletes(kMale, 1) : makeAthletes(kFemale, 501); }

void writeDemo(const std::filesystem::path& dir)
{
    namespace fs = std::filesystem;
    fs::path reg = dir / "registration";
    char kenDir[8];
    std::snprintf(kenDir, sizeof kenDir, "ken%02d", kDemoPrefecture);
    fs::path ken = reg / kenDir;
    fs::create_directories(ken / "Otoko");
    fs::create_directories(ken / "Onna");
    fs::create_directories(dir / "entry");

    std::string flags(80, '0');
    flags[kDemoPrefecture - 1] = '1';
    writeUnitFlags(reg / "kanriken.ctl", flags);
    writeTeamList(ken / "dantai.dat", demoTeams());
    for (bool male : {true, false}) {
        fs::path folder = ken / (male ? "Otoko" : "Onna");
        auto athletes = demoAthletes(male);
        writeAthleteList(folder / "kozin.dat", athletes);
        writeAthleteIndexes(folder, athletes);
    }
    writePrefectureTable(dir / "ken.ctl", shippedPrefectures());
    writeSampleEntry(dir / "entry" / "sample.zep");
}

} // namespace tolv
