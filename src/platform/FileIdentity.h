#pragma once
// Which file a path names, as the file system knows it: device, inode and birth time. A file that
// is deleted and made anew at the same path gets another identity (its birth time differs even
// when the inode number is reused); a file rewritten in place keeps its identity, and one renamed
// over its path takes the identity of the file renamed.
#include <filesystem>
#include <string>

namespace tolv {

class FileIdentity {
public:
    // The identity of the file `path` names (symbolic links followed); empty when it does not exist.
    static std::string of(const std::filesystem::path& path);
};

} // namespace tolv
