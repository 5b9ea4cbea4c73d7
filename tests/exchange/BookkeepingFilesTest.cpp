// The program's own files read back as foreign input: the Lenex memory file, lenex.ini and
// templates refuse links, FIFOs and sizes beyond their format before reading; text bound for XML
// holds only characters XML can hold.
#include "exchange/LenexMemory.h"
#include "exchange/LenexReader.h"
#include "exchange/LenexWorld.h"
#include "exchange/LenexWriter.h"
#include "exchange/XmlText.h"
#include "platform/Error.h"
#include "storage/EntryStore.h"
#include "support/TestSupport.h"
#include "transfer/Templates.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tolv;
using tolvtest::writeBytes;
namespace fs = std::filesystem;

namespace {

std::string refusal(const std::function<void()>& f)
{
    try {
        f();
    } catch (const TolvError& e) {
        return e.what();
    }
    return "(not refused)";
}

} // namespace

TEST(XmlText, CharactersXmlCannotHoldAreNamed)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Tokyo\tSC\r\n", ""},
        {"東京", ""},
        {"a\x01"
         "b",
         "U+0001"},
        {"\xEF\xBF\xBF", "U+FFFF"},
        {"\xEF\xBF\xBE", "U+FFFE"},
        {"\xED\xA0\x80", "U+D800"},
        {"\xC0\x80", "UTF-8 でないバイト"},
        {"\xE6\x9D", "UTF-8 でないバイト"},
        {"\xF4\x90\x80\x80", "U+110000"},
    };
    for (const auto& [text, problem] : cases) EXPECT_EQ(exchange::xmlCharacterProblem(text), problem) << text;
}

TEST(BookkeepingFiles, LinksFifosAndHugeFilesAreRefusedWithTheReason)
{
    tolvtest::TempTree t;
    const fs::path entry = t.dir() / "club.zep", memory = lenex::LenexMemory::pathFor(entry), ctl = t.dir() / "ctl";
    fs::create_directories(ctl);
    writeBytes(t.dir() / "elsewhere", "city\tOsaka\n");
    const fs::path ini = ctl / "lenex.ini", tmpl = ctl / "Custom.csv";
    const std::vector<std::pair<fs::path, std::function<void()>>> readers{
        {memory, [&] { (void)lenex::LenexMemory::read(entry); }},
        {ini, [&] { (void)lenex::readLenexSettings(ctl); }},
        {tmpl, [&] { (void)exchange::readTemplate(ctl, "Custom.csv", 1); }},
    };
    const std::pair<const char*, std::function<void(const fs::path&)>> kinds[] = {
#ifndef _WIN32
        // Windows has no FIFOs, and links cannot be made there by the standard library.
        {"シンボリックリンク", [&](const fs::path& p) { fs::create_symlink(t.dir() / "elsewhere", p); }},
        {"通常のファイルではありません", [](const fs::path& p) { ASSERT_TRUE(tolvtest::makeFifo(p)); }},
#endif
        {"フォルダ", [](const fs::path& p) { fs::create_directory(p); }},
        {"大きすぎます",
         [](const fs::path& p) {
             writeBytes(p, "");
             fs::resize_file(p, 1ull << 31);
         }},
    };
    for (const auto& [file, read] : readers)
        for (const auto& [says, make] : kinds) {
            make(file);
            const std::string why = refusal(read);
            EXPECT_NE(why.find(says), std::string::npos) << file << ": " << why;
            EXPECT_NE(why.find(file.filename().string()), std::string::npos) << why;
            fs::remove(file);
        }

    // CR LF line ends are line ends; a control character in a setting stops before any XML.
    writeBytes(memory, "city\tTokyo\r\nclub\t13001\tSAKU\tJPN\tSakura\r\n");
    const lenex::LenexMemory m = lenex::LenexMemory::read(entry);
    EXPECT_EQ(m.city, "Tokyo");
    ASSERT_EQ(m.clubs.size(), 1u);
    EXPECT_EQ(m.clubs[0].name, "Sakura");
    writeBytes(ini, "registration=Tokyo SF\r\nemail=a@b.invalid\r\n");
    EXPECT_EQ(lenex::readLenexSettings(ctl).registration, "Tokyo SF");
    writeBytes(ini, "email=a@b.invalid\r\nregistration=Tokyo\x01SF\r\n");
    EXPECT_NE(refusal([&] {
                  (void)lenex::readLenexSettings(ctl);
              }).find("lenex.ini の 2 行目に XML に書けない文字があります（U+0001）"),
              std::string::npos);
}

TEST(BookkeepingFiles, TheLenexWriterRefusesTextXmlCannotHold)
{
    tolvtest::TempTree t;
    EntryStore store;
    store.openEntryFile(t.dir() / "club.zep");
    store.header().setStBi("2026/12/09");
    store.header().setEnBi("2026/12/09");
    store.saveHeader();
    const std::string why = refusal([&] { lenex::exportLenex(store, t.dir() / "club.lef", false, "Tokyo\x02", t.dir()); });
    EXPECT_NE(why.find("XML に書けない文字があります（MEET の city: U+0002）"), std::string::npos) << why;
    EXPECT_FALSE(fs::exists(t.dir() / "club.lef"));
}

TEST(BookkeepingFiles, LenexReferencesToNoCharacterAreTakenOutLikeControls)
{
    std::string doc = tolvtest::kLenexWorld;
    doc.replace(doc.find("&#0;"), 4, "&#x110000;");
    doc.replace(doc.find("&#27;"), 5, "&#xD800;");
    tolvtest::TempTree t;
    writeBytes(t.dir() / "world.lef", doc);
    lenex::ImportResult r;
    {
        EntryStore store;
        store.openEntryFile(t.dir() / "world.zep");
        r = lenex::importLenex(store, t.dir() / "world.lef");
    }
    EXPECT_EQ(r.controlLines, std::vector<int>{52});
    EXPECT_EQ(tolvtest::readBytes(t.dir() / "world.zep").find("&#"), std::string::npos);
}
