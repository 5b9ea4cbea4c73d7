#include "storage/RecordFile.h"

#include "platform/Error.h"
#include "platform/HostSystem.h"

#include <cerrno>
#include <cstring>
#include <algorithm>

namespace tolv {

RecordFile::RecordFile(const std::filesystem::path& path, std::size_t recordLength, Mode mode)
    : path_(path), length_(recordLength)
{
    if (mode == Mode::ReadOnly) {
        file_ = std::fopen(path.c_str(), "rb");
    } else {
        file_ = std::fopen(path.c_str(), "r+b");
        if (!file_ && errno == ENOENT) file_ = std::fopen(path.c_str(), "w+b");
    }
    if (!file_)
        throw TolvError("ファイルを開けません: " + path.string() + " (" + std::strerror(errno) + ")");
}

RecordFile::~RecordFile() { close(); }

RecordFile::RecordFile(RecordFile&& o) noexcept
    : file_(o.file_), path_(std::move(o.path_)), length_(o.length_)
{
    o.file_ = nullptr;
}

RecordFile& RecordFile::operator=(RecordFile&& o) noexcept
{
    if (this != &o) {
        close();
        file_ = o.file_;
        path_ = std::move(o.path_);
        length_ = o.length_;
        o.file_ = nullptr;
    }
    return *this;
}

void RecordFile::close()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

long long RecordFile::byteSize() const
{
    if (!file_) return 0;
    std::fflush(file_);
    long cur = std::ftell(file_);
    std::fseek(file_, 0, SEEK_END);
    long size = std::ftell(file_);
    std::fseek(file_, cur, SEEK_SET);
    return size;
}

long long RecordFile::recordCount() const
{
    long long size = byteSize();
    return (size + static_cast<long long>(length_) - 1) / static_cast<long long>(length_);
}

void RecordFile::read(long long n, char* buf) const
{
    std::memset(buf, 0, length_);
    if (!file_ || n < 1) return;
    if (std::fseek(file_, static_cast<long>((n - 1) * static_cast<long long>(length_)), SEEK_SET) != 0) return;
    std::size_t got = std::fread(buf, 1, length_, file_);
    if (got < length_) {
        std::memset(buf + got, 0, length_ - got);
        std::clearerr(file_);
    }
}

namespace {

// Reads up to size bytes at offset; returns how many were read.
std::size_t preadAll(std::FILE* f, char* buf, std::size_t size, long long offset) { return readAt(f, buf, size, offset); }

} // namespace

std::string RecordFile::readRange(long long first, long long count) const
{
    if (first < 1 || count <= 0) return {};
    std::string out(static_cast<std::size_t>(count) * length_, '\0');
    if (file_) preadAll(file_, out.data(), out.size(), (first - 1) * static_cast<long long>(length_));
    return out;
}

void RecordFile::readRangeInto(long long first, long long count, char* buf) const
{
    if (first < 1 || count <= 0) return;
    const std::size_t size = static_cast<std::size_t>(count) * length_;
    std::size_t got = file_ ? preadAll(file_, buf, size, (first - 1) * static_cast<long long>(length_)) : 0;
    std::memset(buf + got, 0, size - got);
}

std::string RecordFile::readAllBytes() const
{
    long long size = byteSize();
    std::string out(static_cast<std::size_t>(std::max(0LL, size)), '\0');
    if (file_) out.resize(preadAll(file_, out.data(), out.size(), 0));
    return out;
}

void RecordFile::write(long long n, const char* buf)
{
    enforce(file_ != nullptr, "ファイルが開かれていません: " + path_.string());
    enforce(n >= 1, "レコード番号が不正です");
    bool ok = std::fseek(file_, static_cast<long>((n - 1) * static_cast<long long>(length_)), SEEK_SET) == 0 &&
              std::fwrite(buf, 1, length_, file_) == length_ && std::fflush(file_) == 0;
    if (!ok)
        throw TolvError("ファイルに書き込めません: " + path_.string() + " (" + std::strerror(errno) + ")");
}

} // namespace tolv
