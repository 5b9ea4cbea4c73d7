#pragma once
// A small generated registration master for look-up tests (header only, so the core, command-line
// and window tests can all use it).
//
//   <root>/kanriken.ctl                 flags: prefecture 13 keeps a team list, 14 does not
//   <root>/ken13/dantai.dat             teams 13001 さくらＳＣ, 13002 みどり水泳
//   <root>/ken13/Otoko/kozin.dat …      four male athletes (two share a birth date, two a reading)
//   <root>/ken13/Onna/kozin.dat …       one female athlete
//   <root>/ken14/Otoko/kozin.dat …      one athlete of a prefecture without team list
//   <ctl>/ken.ctl                       prefectures 13 東京都 ﾄｳｷｮｳ and 14 神奈川県 ｶﾅｶﾞﾜ
#include "storage/ControlFiles.h"
#include "storage/EntryStore.h"
#include "storage/Master.h"
#include "support/LayoutBytes.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tolvtest {

struct FixtureAthlete {
    const char* bango;
    const char* namae;
    const char* kana;
    int birth;
    const char* sexDigit;
    const char* team1;
    const char* team2;
    const char* shubetu;
    int torobi;
    int bestLong1, bestShort1; // 50m free (slot 1), long and short course
};

// Male athletes of ken13 in kozin.dat order.
inline const std::vector<FixtureAthlete>& fixtureMale13()
{
    static const std::vector<FixtureAthlete> v = {
        {"1300101", "山田　太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", 20010501, "1", "13002", "13001", "101000", 20080401, 3050, 2990},
        {"1300102", "鈴木　一郎", "ｽｽﾞｷ ｲﾁﾛｳ", 20010501, "2", "13001", "", "100000", 20080402, 0, 0},
        {"1300103", "佐藤　次郎", "ﾔﾏﾀﾞ ﾀﾛｳ", 19950310, "1", "13001", "", "010000", 20070401, 2870, 2800},
        {"1300104", "伊藤　健", "ｲﾄｳ ｹﾝ", 20010331, "1", "13001", "", "100000", 20080403, 0, 0},
    };
    return v;
}

inline const std::vector<FixtureAthlete>& fixtureFemale13()
{
    static const std::vector<FixtureAthlete> v = {
        {"1300501", "高橋　花子", "ﾀｶﾊｼ ﾊﾅｺ", 19580117, "5", "13002", "", "100001", 20080405, 3400, 3350},
    };
    return v;
}

inline const std::vector<FixtureAthlete>& fixtureMale14()
{
    static const std::vector<FixtureAthlete> v = {
        {"1400101", "海野　誠", "ｳﾐﾉ ﾏｺﾄ", 19990707, "1", "14001", "", "100000", 20080410, 0, 0},
    };
    return v;
}

inline tolv::AthleteRecord fixtureRecord(const FixtureAthlete& f)
{
    tolv::AthleteRecord a;
    a.setBango(f.bango);
    a.setNamae(f.namae);
    a.setKana(f.kana);
    a.setBirth(f.birth);
    a.setSexDigit(f.sexDigit);
    a.setGradeShift(0);
    a.setShubetu(f.shubetu);
    for (int k = 0; k < 5; ++k) a.setTeam(k, "");
    a.setTeam(0, f.team1);
    if (*f.team2) a.setTeam(1, f.team2);
    a.setTorobi(f.torobi);
    a.setBest(1, 0, f.bestLong1);
    a.setBest(1, 1, f.bestShort1);
    return a;
}

inline std::vector<tolv::AthleteRecord> fixtureRecords(const std::vector<FixtureAthlete>& list)
{
    std::vector<tolv::AthleteRecord> out;
    for (const auto& f : list) out.push_back(fixtureRecord(f));
    return out;
}

// kozin.dat (1024-byte records) with indexq.dat and indext.dat, from the offsets of the format.
inline void writeFixtureAthletes(const std::filesystem::path& folder, const std::vector<FixtureAthlete>& list)
{
    std::filesystem::create_directories(folder);
    std::vector<RecordBytes> records;
    std::vector<std::pair<std::string, std::int32_t>> byNumber, byBirth;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const FixtureAthlete& f = list[i];
        RecordBytes r(1024);
        r.text(0, 7, f.bango).text(7, 16, f.namae).text(23, 16, f.kana).i32(39, f.birth).text(43, 1, f.sexDigit);
        r.i16(44, 0).text(46, 6, f.shubetu).i32(225, f.torobi);
        const char* teams[5] = {f.team1, f.team2, "", "", ""};
        for (std::size_t k = 0; k < 5; ++k) r.text(52 + 5 * k, 5, teams[k]);
        r.i32(233 + 8 * 1, f.bestLong1).i32(233 + 8 * 1 + 4, f.bestShort1);
        records.push_back(r);
        const auto n = static_cast<std::int32_t>(i + 1);
        char birth[16];
        std::snprintf(birth, sizeof birth, "%8d", f.birth);
        for (const char* team : teams)
            if (*team) byNumber.emplace_back(std::string(team) + birth + f.sexDigit, n);
        byBirth.emplace_back(std::string(birth) + f.sexDigit, n);
    }
    writeBytes(folder / "kozin.dat", countedFile(1024, false, records));
    writeBytes(folder / "indexq.dat", indexFile(18, 14, byNumber));
    writeBytes(folder / "indext.dat", indexFile(13, 9, byBirth));
}

// dantai.dat (384-byte records, the count an i16).
inline void writeFixtureTeams(const std::filesystem::path& file)
{
    const char* const rows[][3] = {{"13001", "さくらＳＣ", "ｻｸﾗSC"}, {"13002", "みどり水泳", "ﾐﾄﾞﾘ"}};
    std::vector<RecordBytes> records;
    for (const auto& r : rows) {
        RecordBytes t(384);
        t.text(0, 5, r[0]).text(5, 34, std::string(r[1]) + "クラブ").text(39, 12, r[1]).text(66, 6, r[2]);
        records.push_back(t);
    }
    writeBytes(file, countedFile(384, true, records));
}

inline std::string fixtureUnitFlags()
{
    std::string flags(80, '0');
    flags[12] = '1'; // prefecture 13
    return flags;
}

// The registration root in the local layout; with `serverLayout` the layout of a unit folder on
// the download address instead (every master file, dantai.dat too, in lower-case otoko/onna below
// <root>ken<NN>/, kanriken.ctl beside them).
inline void writeFixtureMaster(const std::filesystem::path& root, bool serverLayout = false)
{
    const char* male = serverLayout ? "otoko" : "Otoko";
    const char* female = serverLayout ? "onna" : "Onna";
    std::filesystem::create_directories(root / "ken13");
    writeBytes(root / "kanriken.ctl", fixtureUnitFlags());
    writeFixtureAthletes(root / "ken13" / male, fixtureMale13());
    writeFixtureAthletes(root / "ken13" / female, fixtureFemale13());
    writeFixtureAthletes(root / "ken14" / male, fixtureMale14());
    if (serverLayout) {
        writeFixtureTeams(root / "ken13" / male / "dantai.dat");
        writeFixtureTeams(root / "ken13" / female / "dantai.dat");
    } else {
        writeFixtureTeams(root / "ken13" / "dantai.dat");
    }
}

// ken.ctl: 20-byte records, record n for prefecture code n (name 8, reading 6, a further 6).
inline void writeFixturePrefectures(const std::filesystem::path& kenCtl)
{
    std::string bytes;
    for (int code = 1; code <= 47; ++code) {
        RecordBytes r(20);
        r.text(0, 8, code == 13 ? "東京都" : code == 14 ? "神奈川県" : "");
        r.text(8, 6, code == 13 ? "ﾄｳｷｮｳ" : code == 14 ? "ｶﾅｶﾞﾜ" : "").text(14, 6, "");
        bytes += r.bytes();
    }
    writeBytes(kenCtl, bytes);
}

// The record a look-up of 山田　太郎 by 13001200105011 must give, built field by field.
inline tolv::SwimmerRecord expectedYamada()
{
    tolv::SwimmerRecord e = tolv::EntryStore::emptySwimmer();
    e.setSeq(1);
    e.setQBango("13001200105011");
    e.setBango("1300101");
    e.setNamae("山田　太郎");
    e.setKana("ﾔﾏﾀﾞ ﾀﾛｳ");
    e.setKen("東京都");
    e.setKenKana("ﾄｳｷｮｳ");
    e.setShozoku("さくらＳＣ");
    e.setShozokuKana("ｻｸﾗSC");
    e.setGakunen("11");
    e.setNenrei(7);
    e.setSei("1");
    e.setShuFuku("2");
    e.setShubetu("101000");
    e.setTorobi(20080401);
    return e;
}

} // namespace tolvtest
