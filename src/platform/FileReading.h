#pragma once
// Reading files: the whole of a file at once, or a file read from its start a piece at a time
// (InputFile, the system's half: POSIX descriptors here, Win32 handles on Windows).
#include <filesystem>
#include <optional>
#include <string>

namespace tolv {

// The whole of a file; a file that cannot be opened or read is an error naming it and the reason.
std::string readWholeFile(const std::filesystem::path& file);
// The same for a file that may be absent: nothing when no file is there; a file that is there but
// cannot be read (a folder of that name, no permission, a read error) is an error all the same.
std::optional<std::string> readFileIfPresent(const std::filesystem::path& file);

// The error for a file that cannot be read: its name and the reason (an errno value).
[[noreturn]] void throwUnreadable(const std::filesystem::path& file, int error);

// A file opened for reading from its start. Opening never throws: isOpen() says whether it opened,
// error() why not.
class InputFile {
public:
    explicit InputFile(const std::filesystem::path& file);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const { return handle_ != kClosed; }
    // Why it did not open (an errno value; EISDIR for a folder).
    int error() const { return error_; }
    // It did not open because nothing is there.
    bool absent() const { return absent_; }
    // The size the file reports (0 for one that reports none); -1 on a failure, with errno set
    // (EISDIR for a folder).
    long long size();
    // Reads until `count` bytes or the end; the count read, or -1 on a failure, with errno set.
    long long read(char* into, std::size_t count);

private:
    static constexpr long long kClosed = -1;
    long long handle_ = kClosed; // the descriptor, or the Windows handle as a number
    int error_ = 0;
    bool absent_ = false;
};

} // namespace tolv
