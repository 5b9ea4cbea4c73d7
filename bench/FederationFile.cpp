#include "FederationFile.h"

#include "platform/AtomicFile.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/Master.h"
#include "storage/PrefectureTable.h"

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <vector>

namespace tolvbench {

namespace fs = std::filesystem;
using namespace tolv;

namespace {

// A deterministic source: mt19937 is specified bit for bit, and only its raw output is used.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : gen_(seed) {}
    int below(int n) { return static_cast<int>(gen_() % static_cast<std::uint32_t>(n)); }
    bool chance(int perMille) { return below(1000) < perMille; }
    template <class T, std::size_t N> const T& pick(const std::array<T, N>& a) { return a[std::size_t(below(int(N)))]; }

private:
    std::mt19937 gen_;
};

struct Pair {
    const char* text;
    const char* kana;
};

const std::array<int, 8> kPrefectures = {11, 12, 13, 14, 22, 23, 27, 40};

const std::array<Pair, 24> kFamilies = {
    {{"山田", "ﾔﾏﾀﾞ"},  {"鈴木", "ｽｽﾞｷ"}, {"佐藤", "ｻﾄｳ"},   {"高橋", "ﾀｶﾊｼ"}, {"田中", "ﾀﾅｶ"},  {"伊藤", "ｲﾄｳ"},
     {"渡辺", "ﾜﾀﾅﾍﾞ"}, {"中村", "ﾅｶﾑﾗ"}, {"小林", "ｺﾊﾞﾔｼ"}, {"加藤", "ｶﾄｳ"},  {"吉田", "ﾖｼﾀﾞ"}, {"山本", "ﾔﾏﾓﾄ"},
     {"松本", "ﾏﾂﾓﾄ"},  {"井上", "ｲﾉｳｴ"}, {"木村", "ｷﾑﾗ"},   {"林", "ﾊﾔｼ"},    {"清水", "ｼﾐｽﾞ"}, {"山崎", "ﾔﾏｻﾞｷ"},
     {"森", "ﾓﾘ"},      {"池田", "ｲｹﾀﾞ"}, {"橋本", "ﾊｼﾓﾄ"},  {"石川", "ｲｼｶﾜ"}, {"髙木", "ﾀｶｷﾞ"}, {"長谷川", "ﾊｾｶﾞﾜ"}}};
const std::array<Pair, 16> kMen = {{{"太郎", "ﾀﾛｳ"},
                                    {"一郎", "ｲﾁﾛｳ"},
                                    {"健", "ｹﾝ"},
                                    {"翔太", "ｼｮｳﾀ"},
                                    {"大輝", "ﾀﾞｲｷ"},
                                    {"蓮", "ﾚﾝ"},
                                    {"悠真", "ﾕｳﾏ"},
                                    {"湊", "ﾐﾅﾄ"},
                                    {"陽翔", "ﾊﾙﾄ"},
                                    {"誠", "ﾏｺﾄ"},
                                    {"拓海", "ﾀｸﾐ"},
                                    {"颯", "ﾊﾔﾃ"},
                                    {"康介", "ｺｳｽｹ"},
                                    {"直樹", "ﾅｵｷ"},
                                    {"亮", "ﾘｮｳ"},
                                    {"隼人", "ﾊﾔﾄ"}}};
const std::array<Pair, 16> kWomen = {{{"花子", "ﾊﾅｺ"},
                                      {"陽菜", "ﾋﾅ"},
                                      {"結衣", "ﾕｲ"},
                                      {"美咲", "ﾐｻｷ"},
                                      {"葵", "ｱｵｲ"},
                                      {"凛", "ﾘﾝ"},
                                      {"さくら", "ｻｸﾗ"},
                                      {"優奈", "ﾕｳﾅ"},
                                      {"愛", "ｱｲ"},
                                      {"七海", "ﾅﾅﾐ"},
                                      {"彩", "ｱﾔ"},
                                      {"真由", "ﾏﾕ"},
                                      {"恵", "ﾒｸﾞﾐ"},
                                      {"千尋", "ﾁﾋﾛ"},
                                      {"舞", "ﾏｲ"},
                                      {"瑞希", "ﾐｽﾞｷ"}}};
const std::array<Pair, 12> kClubs = {{{"さくら", "ｻｸﾗ"},
                                      {"みどり", "ﾐﾄﾞﾘ"},
                                      {"あおば", "ｱｵﾊﾞ"},
                                      {"ひかり", "ﾋｶﾘ"},
                                      {"かもめ", "ｶﾓﾒ"},
                                      {"いるか", "ｲﾙｶ"},
                                      {"若葉", "ﾜｶﾊﾞ"},
                                      {"青空", "ｱｵｿﾞﾗ"},
                                      {"港", "ﾐﾅﾄ"},
                                      {"富士", "ﾌｼﾞ"},
                                      {"北斗", "ﾎｸﾄ"},
                                      {"白鳥", "ﾊｸﾁｮｳ"}}};
const std::array<const char*, 4> kClubKinds = {"ＳＣ", "ＳＳ", "水泳", "ＳＷ"};

// A typical time of each standard event slot in hundredths of a second (25 m to 1500 m, the
// four strokes, the medleys and the relays).
const std::array<int, 29> kTypicalHundredths = {1500,  3000,  6600,  14500, 31000, 64000, 123000, 1800,  3500,  7500,
                                                16500, 2000,  4000,  8500,  18500, 1700,  3300,   7200,  16000, 7800,
                                                17000, 36000, 13500, 29000, 62000, 12000, 26000,  56000, 120000};

std::int32_t codedTime(int hundredths)
{
    const int minutes = hundredths / 6000, rest = hundredths % 6000;
    return minutes * 10000 + (rest / 100) * 100 + rest % 100;
}

struct Team {
    std::string code; // five digits
    int prefecture = 0;
    std::string club, shortName, shortKana;
};

std::string twoDigits(int v) { return (v < 10 ? "0" : "") + std::to_string(v); }

} // namespace

FederationFile writeFederation(const fs::path& dir, int swimmers, std::uint32_t seed, const fs::path& ctlDir,
                               const std::string& name)
{
    Dice dice(seed);
    FederationFile out;
    out.swimmers = swimmers;
    out.teams = std::max(1, swimmers / 100);
    out.entry = dir / "entry" / name;
    out.registrationRoot = dir / "registration" / "";
    fs::create_directories(out.entry.parent_path());
    fs::create_directories(out.registrationRoot);

    const std::vector<Prefecture>& prefectures = shippedPrefectures();
    if (!ctlDir.empty()) {
        fs::create_directories(ctlDir);
        writePrefectureTable(ctlDir / "ken.ctl", prefectures);
    }

    std::vector<Team> teams;
    std::map<int, int> perPrefecture;
    for (int i = 0; i < out.teams; ++i) {
        Team t;
        t.prefecture = kPrefectures[std::size_t(i) % kPrefectures.size()];
        const int serial = ++perPrefecture[t.prefecture];
        const std::string digits = std::to_string(1000 + serial).substr(1);
        t.code = twoDigits(t.prefecture) + digits;
        const Pair& club = kClubs[std::size_t(i / int(kPrefectures.size())) % kClubs.size()];
        t.club = club.text;
        t.shortName = std::string(club.text) + kClubKinds[std::size_t(i) % kClubKinds.size()];
        t.shortKana = club.kana;
        teams.push_back(t);
    }

    EntryHeader h;
    h.clear();
    const std::string kijunBi = "2024/04/01";
    h.setCourse(1);
    h.setKijunBi(kijunBi);
    h.setZigyo("県選手権");
    h.setBasho("県立総合プール");
    h.setStBi("2024/06/08");
    h.setEnBi("2024/06/09");
    h.setTcod("2413001");
    h.setKubun(0);
    h.setBotai(0);
    ReserveEvents r;
    r.clear();
    for (int i = 0; i < kReserveEvents; ++i) {
        r.setYobiKubun(i, "");
        r.setYobiName(i, "");
        r.setYobiRelay(i, "");
    }
    r.setYobiKubun(0, "10歳以下");
    r.setYobiName(0, "50m自由形");
    r.setYobiKubun(1, "混合");
    r.setYobiName(1, "200mメドレーR");
    r.setYobiRelay(1, "1");

    std::vector<SwimmerRecord> records;
    records.reserve(std::size_t(swimmers));
    std::map<std::pair<int, bool>, std::vector<AthleteRecord>> athletes; // (prefecture, female)
    std::map<int, int> bangoSerial;
    for (int n = 1; n <= swimmers; ++n) {
        // A few late entries of an earlier club, merged after the others; and clubs merged twice.
        if (n > 20 && dice.chance(5)) {
            SwimmerRecord copy = records[std::size_t(dice.below(n - 1))];
            copy.setSeq(n);
            records.push_back(copy);
            continue;
        }
        int teamIndex = static_cast<int>(static_cast<long long>(n - 1) * out.teams / swimmers);
        if (dice.chance(30)) teamIndex = dice.below(teamIndex + 1);
        const Team& team = teams[std::size_t(teamIndex)];

        const bool female = dice.below(2) == 1;
        const bool masters = dice.chance(80);
        const int year = masters ? 1950 + dice.below(50) : 2002 + dice.below(15);
        const int month = 1 + dice.below(12);
        const int day = 1 + dice.below(28);
        std::int32_t birth = year * 10000 + month * 100 + day;
        const std::string sexDigit = female ? (dice.chance(50) ? "6" : "5") : (dice.chance(50) ? "2" : "1");
        std::string birthText = std::to_string(birth);
        if (dice.chance(3)) birthText = std::to_string(year) + "13" + twoDigits(day); // no such month

        const Pair& family = dice.pick(kFamilies);
        const Pair& given = female ? dice.pick(kWomen) : dice.pick(kMen);
        const int bangoNo = ++bangoSerial[team.prefecture];
        const std::string bango = twoDigits(team.prefecture) + std::to_string(100000 + bangoNo).substr(1);

        SwimmerRecord s = EntryStore::emptySwimmer();
        s.setSeq(n);
        s.setBango(dice.chance(2) ? "" : bango);
        s.setQBango(team.code + birthText + sexDigit);
        s.setNamae(std::string(family.text) + "　" + given.text);
        s.setKana(std::string(family.kana) + (dice.chance(10) ? "　" : " ") + given.kana);
        const Prefecture& pref = prefectures[std::size_t(team.prefecture - 1)];
        s.setKen(pref.name);
        s.setKenKana(pref.reading);
        s.setShozoku(team.shortName);
        s.setShozokuKana(team.shortKana);
        std::string grade = gradeCode(birth, 0, kijunBi, masters ? 1 : 0);
        if (dice.chance(20)) grade = "11";
        s.setGakunen(grade);
        int age = ageOn(birth, kijunBi);
        if (dice.chance(20)) age += 1;
        s.setNenrei(static_cast<std::int16_t>(age));
        s.setSei(female ? "2" : "1");
        s.setShuFuku(dice.chance(50) ? "2" : "1");
        s.setShubetu(dice.chance(10) ? "000000" : dice.chance(100) ? "100010" : "100000");
        s.setTorobi(20240000 + (1 + dice.below(3)) * 100 + 1 + dice.below(28));

        // 1 to 5 events, 2.3 on average; one in ten swims a relay too.
        const int roll = dice.below(100);
        const int events = roll < 25 ? 1 : roll < 60 ? 2 : roll < 85 ? 3 : roll < 98 ? 4 : 5;
        for (int e = 0; e < events; ++e) {
            int slot = dice.below(22);
            if (e == 0 && dice.chance(100)) slot = 22 + dice.below(7);
            if (s.kiro(slot) != 0) continue;
            const int typical = kTypicalHundredths[std::size_t(slot)];
            int hundredths = typical * (850 + dice.below(400)) / 1000 + dice.below(10);
            if (dice.chance(200)) hundredths -= hundredths % 50; // rounded entry times tie often
            s.setKiro(slot, dice.chance(5) ? kMarkEntered : codedTime(hundredths));
        }
        if (dice.chance(20)) s.setKiro(kFirstReserveSlot + 1, codedTime(15000 + dice.below(3000)));
        records.push_back(s);

        AthleteRecord a;
        a.clear();
        a.setBango(bango);
        a.setNamae(s.Namae());
        a.setKana(std::string(family.kana) + " " + given.kana);
        a.setBirth(birth);
        a.setSexDigit(sexDigit);
        a.setGradeShift(0);
        a.setShubetu("100000");
        for (int k = 0; k < 5; ++k) a.setTeam(k, "");
        a.setTeam(0, team.code);
        a.setTorobi(s.torobi());
        athletes[{team.prefecture, female}].push_back(a);
        if (out.firstQBango.empty()) out.firstQBango = team.code + std::to_string(birth) + sexDigit;
    }

    h.setTotal(swimmers);
    std::string bytes;
    bytes.reserve((std::size_t(swimmers) + 10) * kEntryRecordLength);
    bytes.append(h.bytes().data(), kEntryRecordLength);
    bytes.append(r.bytes().data(), kEntryRecordLength);
    bytes.append(8 * kEntryRecordLength, '\0');
    for (const SwimmerRecord& s : records) bytes.append(s.bytes().data(), kEntryRecordLength);
    replaceFile(out.entry, bytes);

    // The master: every generated prefecture keeps its team list.
    std::string flags(80, '0');
    for (int p : kPrefectures) flags[std::size_t(p - 1)] = '1';
    writeUnitFlags(out.registrationRoot / "kanriken.ctl", flags);
    std::map<int, std::vector<TeamRecord>> lists;
    for (const Team& t : teams) {
        TeamRecord m;
        m.clear();
        m.setCode(t.code);
        m.setName(t.shortName + "クラブ");
        m.setShortName(t.shortName);
        m.setShortKana(t.shortKana);
        m.setPerson(0, "代表　" + t.club);
        m.setPostal(0, "100-0001");
        std::string prefName = prefectures[std::size_t(t.prefecture - 1)].name;
        prefName.erase(prefName.find_last_not_of(' ') + 1);
        m.setAddress(0, 0, prefName + "中央区１－２－３");
        m.setPhone(0, "03-1234-5678");
        m.setFurtherNumber(20240401);
        lists[t.prefecture].push_back(m);
    }
    for (auto& [prefecture, list] : lists) {
        const fs::path folder = out.registrationRoot / ("ken" + twoDigits(prefecture));
        fs::create_directories(folder);
        writeTeamList(folder / "dantai.dat", list);
    }
    for (auto& [where, list] : athletes) {
        const fs::path folder = out.registrationRoot / ("ken" + twoDigits(where.first)) / (where.second ? "Onna" : "Otoko");
        fs::create_directories(folder);
        writeAthleteList(folder / "kozin.dat", list);
        writeAthleteIndexes(folder, list);
    }
    return out;
}

} // namespace tolvbench
