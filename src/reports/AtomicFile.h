#pragma once
// A whole file written under a temporary name beside its target and renamed over it in one step,
// only after every byte is written and flushed to disk. Until commit() the target is untouched;
// an AtomicFile destroyed without commit() removes its temporary file.
#include <filesystem>
#include <string>
#include <string_view>

namespace tolv::reports {

class AtomicFile {
public:
    // `tempName` is the temporary file's name in the target's folder (default: target + ".tmp").
    explicit AtomicFile(const std::filesystem::path& target, const std::string& tempName = {});
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(std::string_view bytes);
    // Writes bytes at a byte offset of the temporary file (files written record by record).
    void writeAt(long long offset, std::string_view bytes);
    // Flushes, syncs, closes and renames the temporary file over the target.
    void commit();
    const std::filesystem::path& tempPath() const { return temp_; }

private:
    void fail(const std::string& what);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool committed_ = false;
};

// Replaces `target` with `bytes` through an AtomicFile.
void replaceFile(const std::filesystem::path& target, std::string_view bytes);

} // namespace tolv::reports
