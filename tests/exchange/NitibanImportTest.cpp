// Registration numbers from jpnnewsmer.csv, matched by sex, birth date and name.
#include "exchange/NitibanImport.h"
#include "exchange/ImportFixture.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

using namespace tolv;
using namespace importtest;
using tolvtest::sj;

TEST(NitibanImport, EveryMatchingSwimmerTakesTheNumber)
{
    ImportBench b;
    b.add({.qbango = "13001199804021", .namae = "山田 太郎", .bango = "old"});
    b.add({.qbango = "13002199804021", .namae = "山田　太郎", .bango = "old"}); // same key: both updated
    b.add({.qbango = "13001        1", .namae = "山田太郎", .bango = "old"});   // no birth date: no match
    b.add({.qbango = "13001199804025", .namae = "山田太郎", .bango = "old", .sei = "2"});
    b.put("jpnnewsmer.csv", sj("1,\"1980402山田太郎\",x,y,\"9876543\"\r\n") +
                                sj("2,\"1 980402 山田 太郎\",x,y,\"1111111\"\r\n") + // later line wins
                                sj("3,\"2980402鈴木\",x,y,\"2222222\"\r\n"));
    ScriptedPrompt p(false);
    ImportReport r = importRegistrationNumbers(b.store, b.folder(), p);
    EXPECT_EQ(b.store.swimmerAt(1).Bango(), "1111111");
    EXPECT_EQ(b.store.swimmerAt(2).Bango(), "1111111");
    EXPECT_EQ(b.store.swimmerAt(3).Bango(), "old    ");
    EXPECT_EQ(b.store.swimmerAt(4).Bango(), "old    ");
    EXPECT_EQ(registrationMatchKey(b.store.swimmerAt(1)), "1980402山田太郎");
    EXPECT_EQ(r.message(), "登録番号を 2 人に入れました（一覧 3 行、申込ファイルの選手 4 人）。\n一致する選手がいない行: 1 行");

    // No match: the file is not written at all.
    b.put("jpnnewsmer.csv", sj("3,\"2980402鈴木\",x,y,\"2222222\"\r\n"));
    const std::string before = b.bytes();
    EXPECT_FALSE(importRegistrationNumbers(b.store, b.folder(), p).changed);
    EXPECT_TRUE(b.bytes() == before);

    // A short line anywhere stops everything.
    b.put("jpnnewsmer.csv", sj("1,\"1980402山田太郎\",x,y,\"5555555\"\r\n2,\"x\",y\r\n"));
    try {
        importRegistrationNumbers(b.store, b.folder(), p);
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("jpnnewsmer.csv 2 行目: 項目が 3 個", 0), 0u) << e.what();
    }
    EXPECT_TRUE(b.bytes() == before);
}
