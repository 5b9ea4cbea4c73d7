#include "storage/RecordFile.h"

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/HostSystem.h"
#include "platform/SystemErrors.h"

#include <cerrno>
#include <cstring>
#include <algorithm>

namespace tolv {

RecordFile::RecordFile(const std::filesystem::path& path, std::size_t recordLength, Mode mode)
    : path_(path), length_(recordLength)
{
    if (mode == Mode::ReadOnly) {
        file_ = openFile(path, "rb");
    } else {
        file_ = openFile(path, "r+b");
        if (!file_ && errno == ENOENT) file_ = openFile(path, "w+b");
    }
    if (!file_) {
        const int e = errno;
        throw systemError("ファイルを開けません: " + path.string(), e);
    }
}

RecordFile::~RecordFile() { close(); }

RecordFile::RecordFile(RecordFile&& o) noexcept : file_(o.file_), path_(std::move(o.path_)), length_(o.length_)
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
    const long long size = openFileSize(file_);
    if (size < 0) {
        const int e = errno;
        throw systemError("ファイルの大きさを調べられません: " + path_.string(), e);
    }
    return size;
}

long long RecordFile::recordCount() const
{
    long long size = byteSize();
    return (size + static_cast<long long>(length_) - 1) / static_cast<long long>(length_);
}

std::size_t RecordFile::readBytes(char* buf, std::size_t size, long long offset) const
{
    if (!file_) return 0;
    const long long got = readAt(file_, buf, size, offset);
    if (got < 0) {
        const int e = errno;
        throw TolvError("ファイルを読めません: " + path_.string() + "（" + reasonText(e) + "）", errorKindOf(e), e);
    }
    return static_cast<std::size_t>(got);
}

void RecordFile::read(long long n, char* buf) const
{
    std::memset(buf, 0, length_);
    if (n < 1) return;
    readBytes(buf, length_, (n - 1) * static_cast<long long>(length_));
}

std::string RecordFile::readRange(long long first, long long count) const
{
    if (first < 1 || count <= 0) return {};
    std::string out(static_cast<std::size_t>(count) * length_, '\0');
    readBytes(out.data(), out.size(), (first - 1) * static_cast<long long>(length_));
    return out;
}

void RecordFile::readRangeInto(long long first, long long count, char* buf) const
{
    if (first < 1 || count <= 0) return;
    const std::size_t size = static_cast<std::size_t>(count) * length_;
    const std::size_t got = readBytes(buf, size, (first - 1) * static_cast<long long>(length_));
    std::memset(buf + got, 0, size - got);
}

std::string RecordFile::readAllBytes() const
{
    long long size = byteSize();
    std::string out(static_cast<std::size_t>(std::max(0LL, size)), '\0');
    out.resize(readBytes(out.data(), out.size(), 0));
    return out;
}

void RecordFile::write(long long n, const char* buf)
{
    enforce(file_ != nullptr, "ファイルが開かれていません: " + path_.string());
    enforce(n >= 1, "レコード番号が不正です");
    bool ok = std::fseek(file_, static_cast<long>((n - 1) * static_cast<long long>(length_)), SEEK_SET) == 0 &&
              std::fwrite(buf, 1, length_, file_) == length_ && std::fflush(file_) == 0;
    if (!ok) {
        const int e = errno;
        throw systemError("ファイルに書き込めません: " + path_.string(), e);
    }
}

} // namespace tolv
