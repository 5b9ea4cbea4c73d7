// Failures of the system carry their kind and the system's code, not only a text.
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/SystemErrors.h"
#include "storage/RecordFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>

#ifdef _WIN32
#include "platform/win32/Wide.h"
#endif

using namespace tolv;

TEST(SystemErrors, AFailureCarriesItsKindAndCode)
{
    const std::pair<int, ErrorKind> kinds[] = {
        {ENOENT, ErrorKind::NotFound}, {EACCES, ErrorKind::NoPermission}, {EPERM, ErrorKind::NoPermission},
        {EROFS, ErrorKind::ReadOnly},  {ENOSPC, ErrorKind::DiskFull},     {EWOULDBLOCK, ErrorKind::InUse},
        {EIO, ErrorKind::Other},
    };
    for (auto [code, kind] : kinds) {
        const TolvError e = systemError("ファイルを開けません: a.zep", code);
        EXPECT_EQ(e.kind(), kind) << code;
        EXPECT_EQ(e.systemCode(), code);
        EXPECT_EQ(std::string(e.what()), "ファイルを開けません: a.zep (" + reasonText(code) + ")");
    }

    // As the file operations raise them.
    tolvtest::TempTree t;
    try {
        RecordFile f(t.dir() / "missing.zep", 384, RecordFile::Mode::ReadOnly);
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::NotFound);
        EXPECT_EQ(e.systemCode(), ENOENT);
    }
    try {
        RecordFile f("/dev/full", 384, RecordFile::Mode::ReadWrite);
        f.write(1, std::string(384, 'x').data());
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::DiskFull);
    }
    const auto file = t.dir() / "club.zep";
    tolvtest::writeBytes(file, "x");
    FileLock held(file, FileLock::Kind::Exclusive);
    try {
        FileLock second(file, FileLock::Kind::Exclusive);
        ADD_FAILURE();
    } catch (const TolvError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::InUse);
        EXPECT_EQ(std::string(e.what()), inUseMessage(file));
    }
}

#ifdef _WIN32
TEST(SystemErrors, Win32CodesGiveTheKindsErrnoGivesElsewhere)
{
    const std::pair<DWORD, ErrorKind> kinds[] = {
        {ERROR_FILE_NOT_FOUND, ErrorKind::NotFound},    {ERROR_PATH_NOT_FOUND, ErrorKind::NotFound},
        {ERROR_ACCESS_DENIED, ErrorKind::NoPermission}, {ERROR_WRITE_PROTECT, ErrorKind::ReadOnly},
        {ERROR_SHARING_VIOLATION, ErrorKind::InUse},    {ERROR_LOCK_VIOLATION, ErrorKind::InUse},
        {ERROR_DISK_FULL, ErrorKind::DiskFull},         {ERROR_HANDLE_DISK_FULL, ErrorKind::DiskFull},
        {ERROR_GEN_FAILURE, ErrorKind::Other},
    };
    for (auto [code, kind] : kinds) {
        const TolvError e = win32::systemErrorOf("ファイルを開けません: a.zep", code);
        EXPECT_EQ(e.kind(), kind) << code;
        EXPECT_EQ(e.systemCode(), static_cast<int>(code));
        EXPECT_EQ(std::string(e.what()), "ファイルを開けません: a.zep (" + reasonText(win32::errnoOf(code)) + ")");
    }
}
#endif
