// The readers of FileReading.h on every system, over InputFile.
#include "platform/FileReading.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/SystemErrors.h"

#include <cerrno>

namespace tolv {

namespace fs = std::filesystem;

void throwUnreadable(const fs::path& file, int error)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + reasonText(error) + "）", errorKindOf(error), error);
}

namespace {

// The file's bytes; with absentIsNothing, no file there gives nothing instead of an error.
std::optional<std::string> readOpened(const fs::path& file, bool absentIsNothing)
{
    // One buffer of the file's size: a federation file is held once, not grown and copied.
    InputFile in(file);
    if (!in.isOpen()) {
        if (absentIsNothing && in.absent()) return std::nullopt;
        throwUnreadable(file, in.error());
    }
    const long long reported = in.size();
    if (reported < 0) throwUnreadable(file, errno);
    const auto size = static_cast<std::size_t>(reported);
    std::string out;
    out.reserve(size);
    adviseWholeFill(out.data(), size); // before the buffer is first written
    out.resize(size);
    long long got = in.read(out.data(), out.size());
    if (got < 0) throwUnreadable(file, errno);
    out.resize(static_cast<std::size_t>(got));
    // A file that grew while it was read (or reports no size, as /proc does) is read to its end.
    char more[65536];
    while ((got = in.read(more, sizeof more)) > 0) out.append(more, static_cast<std::size_t>(got));
    if (got < 0) throwUnreadable(file, errno);
    return out;
}

} // namespace

std::string readWholeFile(const fs::path& file) { return *readOpened(file, false); }

std::optional<std::string> readFileIfPresent(const fs::path& file) { return readOpened(file, true); }

} // namespace tolv
