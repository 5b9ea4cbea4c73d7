#pragma once
// Random-access file of fixed-length records, numbered from 1. Records beyond the end read as zeros
// (a short last record is padded with zeros); a read the system refuses is an error naming the file.
#include <cstdio>
#include <filesystem>
#include <string>

namespace tolv {

class RecordFile {
public:
    enum class Mode { ReadOnly, ReadWrite };

    RecordFile() = default;
    RecordFile(const std::filesystem::path& path, std::size_t recordLength, Mode mode);
    ~RecordFile();
    RecordFile(RecordFile&& o) noexcept;
    RecordFile& operator=(RecordFile&& o) noexcept;
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    const std::filesystem::path& path() const { return path_; }
    std::size_t recordLength() const { return length_; }
    // Size of the file in bytes and in (whole or partial) records.
    long long byteSize() const;
    long long recordCount() const;

    // Reads record n (1-based) into buf (recordLength bytes); missing bytes are zeros.
    void read(long long n, char* buf) const;
    // Records first .. first + count - 1 in one read; missing bytes are zeros.
    std::string readRange(long long first, long long count) const;
    // The same into buf (count * recordLength bytes).
    void readRangeInto(long long first, long long count, char* buf) const;
    // The whole file as it is on disk.
    std::string readAllBytes() const;
    // Writes record n and flushes it to disk.
    void write(long long n, const char* buf);
    void close();

private:
    // Up to size bytes at offset, fewer only at the end of the file; TolvError on a read error.
    std::size_t readBytes(char* buf, std::size_t size, long long offset) const;

    std::FILE* file_ = nullptr;
    std::filesystem::path path_;
    std::size_t length_ = 0;
};

} // namespace tolv
