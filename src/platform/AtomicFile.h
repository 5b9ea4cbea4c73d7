#pragma once
// A whole file written under a unique temporary name beside its target and renamed over it in one
// step, only after every byte is written and flushed to disk. Until commit() the target is untouched;
// an AtomicFile destroyed without commit() removes its temporary file.
//
// A target that is a symbolic link is followed: the link stays and its target file is replaced.
// The replacement keeps the old file's permission bits and, where permitted, its owner and group;
// a new file gets `newFileMode`.
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tolv {

class AtomicFile {
public:
    // Follow: a target that is a symbolic link has its link target replaced (a user's file).
    // Replace: the path itself is replaced, a link found there included (the program's own files in
    // folders others may write to: a planted link is never written through).
    enum class Links { Follow, Replace };
    explicit AtomicFile(const std::filesystem::path& target, unsigned newFileMode = 0644, Links links = Links::Follow);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The replacement gets exactly these permission bits, whatever the old file had.
    void setMode(unsigned mode);
    void write(std::string_view bytes);
    // Writes bytes at a byte offset of the temporary file (files written record by record).
    void writeAt(long long offset, std::string_view bytes);
    // Flushes, syncs and closes the temporary file without renaming it (a set of files is made
    // ready first and renamed together); commit() then only renames.
    void prepare();
    // Flushes, syncs, closes and renames the temporary file over the target.
    void commit();
    // The temporary file stays when this object goes without commit() (a journal of renames names
    // it, and the set is completed later).
    void keepTemporary() { kept_ = true; }
    const std::filesystem::path& tempPath() const { return temp_; }
    // The file that is replaced (the target with symbolic links followed).
    const std::filesystem::path& finalPath() const { return final_; }

    // Test hook: called just before the rename; throwing from it abandons the commit.
    static std::function<void(const std::filesystem::path& temp)>& beforeRenameHook();

private:
    [[noreturn]] void fail(const std::string& what);
    // A fresh temporary name beside `target` (".<name>.<process>.<n>.tmp"); the temporary files of
    // it left by processes that died before their rename are removed first.
    static std::filesystem::path temporaryFor(const std::filesystem::path& target);

    std::filesystem::path final_;
    std::filesystem::path temp_;
    int fd_ = -1;
    long long end_ = 0;
    bool committed_ = false;
    bool prepared_ = false;
    bool kept_ = false;
};

// Replaces `target` with `bytes` through an AtomicFile.
void replaceFile(const std::filesystem::path& target, std::string_view bytes,
                 AtomicFile::Links links = AtomicFile::Links::Follow);
// The same for a file that holds a password: readable and writable by its owner only (0600), the
// bytes never readable by others at any moment.
void replacePrivateFile(const std::filesystem::path& target, std::string_view bytes);

// Replaces `target` with a copy of `source` through an AtomicFile, a megabyte at a time, so a
// large file is never held in memory. Returns the digest (ContentDigest) of the bytes copied.
std::string copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                               AtomicFile::Links links = AtomicFile::Links::Follow);

// The file a path names with symbolic links followed (the path itself when it does not exist yet).
std::filesystem::path resolveLinks(const std::filesystem::path& p);

} // namespace tolv
