#include "platform/Error.h"
#include "platform/Paths.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace tolv;
using tolvtest::TempTree;

TEST(Paths, WorkTreeFollowsHomeAndDriveC)
{
    TempTree t;
    EXPECT_EQ(homeDir(), t.home());
    EXPECT_EQ(ctlDir(), t.home() / "ctl");
    ensureWorkTree();
    EXPECT_TRUE(fs::is_directory(t.home() / "temp"));
    EXPECT_TRUE(fs::is_directory(t.home() / "ctl"));
    // c:\tolvsys is the working tree; other c:\ paths lie beside it.
    EXPECT_EQ(toHostPath("c:\\tolvsys\\ctl\\"), t.home() / "ctl");
    EXPECT_EQ(toHostPath("C:\\data\\zep"), t.dir() / "data" / "zep");
    EXPECT_EQ(toHostPath("c:\\"), t.dir());
    // A path of the system's own that names no drive is taken as it is: on Windows, where it has no
    // drive of its own, on the working tree's drive.
    const fs::path rooted("/var/tmp/x");
    EXPECT_EQ(toHostPath("/var/tmp/x"), rooted.is_absolute() ? rooted : t.home().root_name() / rooted);
}

TEST(Paths, StoredFormAndTrailingSeparator)
{
    TempTree t;
    fs::create_directories(t.dir() / "data");
    EXPECT_EQ(toStoredPath(t.dir() / "data", true), "c:\\data\\");
    EXPECT_EQ(toStoredPath(t.home() / "ctl", true), "c:\\tolvsys\\ctl\\");
    EXPECT_EQ(toStoredPath(t.dir(), true), "c:\\");
    EXPECT_EQ(withTrailingSeparator("c:\\data"), "c:\\data\\");
    EXPECT_EQ(withTrailingSeparator("c:\\"), "c:\\");
    EXPECT_EQ(withTrailingSeparator("/srv/x"), "/srv/x/");
    EXPECT_EQ(withTrailingSeparator(""), "");
}

TEST(Paths, OtherDrivesComeFromTheMapAndUnmappedAreNotReady)
{
    TempTree t;
    fs::create_directories(t.dir() / "floppy");
    setenv("TOLVSYS_DRIVE_A", (t.dir() / "floppy").string().c_str(), 1);
    EXPECT_EQ(toHostPath("a:\\out\\"), t.dir() / "floppy" / "out");
    auto drives = mappedDrives();
    EXPECT_EQ(drives.front(), 'c');
    EXPECT_NE(std::find(drives.begin(), drives.end(), 'a'), drives.end());
    unsetenv("TOLVSYS_DRIVE_A");
    EXPECT_FALSE(driveRoot('q').has_value());
}

TEST(Paths, ADrivePathNeverLeavesItsDrivesFolder)
{
    TempTree t;
    fs::create_directories(t.dir() / "floppy");
    setenv("TOLVSYS_DRIVE_A", (t.dir() / "floppy").string().c_str(), 1);
    EXPECT_EQ(toHostPath("a:\\x\\..\\out\\"), t.dir() / "floppy" / "x" / ".." / "out");
    for (const char* stored : {"c:\\..\\..\\x", "c:\\tolvsys\\..\\..\\x", "a:\\..\\x", "a:x\\..\\..\\y"})
        EXPECT_THROW(toHostPath(stored), TolvError) << stored;
    unsetenv("TOLVSYS_DRIVE_A");
}

TEST(Paths, MasterNamesMatchWithoutRegardToCase)
{
    TempTree t;
    fs::create_directories(t.dir() / "reg" / "ken13" / "Otoko");
    tolvtest::writeBytes(t.dir() / "reg" / "ken13" / "Otoko" / "IndexQ.dat", "x");
    EXPECT_EQ(resolveNoCase(t.dir() / "reg", "KEN13/otoko/indexq.dat"), t.dir() / "reg" / "ken13" / "Otoko" / "IndexQ.dat");
    // A missing element keeps the spelling asked for.
    EXPECT_EQ(resolveNoCase(t.dir() / "reg", "ken14/Onna"), t.dir() / "reg" / "ken14" / "Onna");
    EXPECT_EQ(toHostPath("c:\\REG\\Ken13\\OTOKO\\indexq.dat"), t.dir() / "reg" / "ken13" / "Otoko" / "IndexQ.dat");
}
