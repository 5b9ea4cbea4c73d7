// The parts of PlainFile.h the same on every system: the reading of lines and byte ranges over the
// system's reads (readSome, readSomeAt), and the words for a refused file.
#include "platform/PlainFile.h"

#include "platform/Error.h"
#include "platform/PlainFileShared.h"
#include "platform/SystemErrors.h"

#include <cerrno>

namespace tolv {

namespace fs = std::filesystem;

namespace plainfile {

std::string sizeProblem(std::uint64_t size, std::uint64_t maxBytes)
{
    if (size <= maxBytes) return {};
    return "大きすぎます（" + std::to_string(size) + " バイト、この種類のファイルは " + std::to_string(maxBytes) +
           " バイトまで）";
}

void refuse(const fs::path& file, const std::string& problem)
{
    throw TolvError("ファイルを読めません: " + file.string() + "（" + problem + "）");
}

} // namespace plainfile

std::optional<std::string> readPlainFile(const fs::path& file, std::uint64_t maxBytes)
{
    PlainFileReader in(file, maxBytes);
    if (!in.isOpen()) return std::nullopt;
    std::string out = in.readAt(0, static_cast<std::size_t>(in.size()));
    // A file that grew after it was opened is read only as far as its format allows.
    if (out.size() < in.size()) plainfile::refuse(file, reasonText(EIO));
    return out;
}

std::string PlainFileReader::readAt(std::uint64_t offset, std::size_t count)
{
    std::string out;
    if (fd_ < 0 || offset >= size_) return out;
    if (count > size_ - offset) count = static_cast<std::size_t>(size_ - offset);
    out.resize(count);
    std::size_t done = 0;
    while (done < count) {
        const std::size_t n = readSomeAt(offset + done, out.data() + done, count - done);
        if (n == 0) break;
        done += n;
    }
    out.resize(done);
    return out;
}

bool PlainFileReader::fill()
{
    if (eof_ || fd_ < 0) return false;
    if (at_ > 0) {
        buf_.erase(0, at_);
        at_ = 0;
    }
    char piece[1 << 16];
    const std::size_t n = readSome(piece, sizeof piece);
    if (n == 0) {
        eof_ = true;
        return false;
    }
    buf_.append(piece, n);
    return true;
}

bool PlainFileReader::nextLine(std::string& line, std::size_t maxLine)
{
    for (;;) {
        const std::size_t lf = buf_.find('\n', at_);
        if (lf != std::string::npos) {
            if (lf - at_ > maxLine) plainfile::refuse(file_, "行が長すぎます");
            line.assign(buf_, at_, lf - at_);
            at_ = lf + 1;
            return true;
        }
        if (buf_.size() - at_ > maxLine) plainfile::refuse(file_, "行が長すぎます");
        if (!fill()) {
            if (at_ >= buf_.size()) return false;
            line.assign(buf_, at_, std::string::npos);
            at_ = buf_.size();
            return true;
        }
    }
}

} // namespace tolv
