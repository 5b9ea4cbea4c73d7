#pragma once
// The program's own bookkeeping files (export journals, the backup index and copies, the Lenex
// memory file, templates) read back as the hostile input they may have become: a file in a shared
// folder can have been replaced by a symbolic link, a folder, a FIFO or a huge sparse file. Only a
// regular file is read, never through a link, and never when it is larger than its format can hold.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tolv {

// Why `file` is not a plain file of at most `maxBytes` bytes (symbolic link, folder, other kind of
// file, too large), or nothing when it is one. A missing file is "nothing there" for the caller to
// judge: the result says so.
struct PlainFileState {
    bool present = false;
    std::uint64_t size = 0;
    std::string problem; // empty when the file can be read
};
PlainFileState plainFileState(const std::filesystem::path& file, std::uint64_t maxBytes);

// The bytes of a plain file; a link, a non-regular file or one beyond `maxBytes` is refused before
// anything is read (TolvError naming the file and the reason). Absent: nothing.
std::optional<std::string> readPlainFile(const std::filesystem::path& file, std::uint64_t maxBytes);

// A plain file read piece by piece: opened as readPlainFile checks it, then lines or byte ranges on
// demand, so a reader takes only what it uses.
class PlainFileReader {
public:
    // Throws as readPlainFile when the file cannot be read; `isOpen()` false when it is absent.
    // `followLink`: a file the user names (not one of the program's own) may be reached through a
    // link; it must still be a regular file within the size.
    PlainFileReader(const std::filesystem::path& file, std::uint64_t maxBytes, bool followLink = false);
    ~PlainFileReader();
    PlainFileReader(const PlainFileReader&) = delete;
    PlainFileReader& operator=(const PlainFileReader&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    std::uint64_t size() const { return size_; }
    // The next line without its LF (a CR before it is kept); false at the end. A line longer than
    // `maxLine` bytes is an error naming the file.
    bool nextLine(std::string& line, std::size_t maxLine = 1 << 16);
    // Up to `count` bytes from byte `offset` (fewer at the end of the file).
    std::string readAt(std::uint64_t offset, std::size_t count);

private:
    bool fill();
    // The system's reads: at most `count` bytes at the file's position or at `offset`; the count
    // read, 0 at the end. A failure is an error naming the file.
    std::size_t readSome(char* into, std::size_t count);
    std::size_t readSomeAt(std::uint64_t offset, char* into, std::size_t count);

    std::filesystem::path file_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::string buf_;
    std::size_t at_ = 0;
    bool eof_ = false;
};

} // namespace tolv
