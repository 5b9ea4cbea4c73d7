#include "platform/FileIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace tolv {

std::string FileIdentity::of(const std::filesystem::path& path)
{
    struct statx st {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_INO | STATX_BTIME, &st) != 0) return {};
    std::string id = std::to_string(st.stx_dev_major) + ":" + std::to_string(st.stx_dev_minor) + ":" + std::to_string(st.stx_ino);
    // Without a birth time (some file systems) the inode alone tells the files apart.
    if (st.stx_mask & STATX_BTIME) id += ":" + std::to_string(st.stx_btime.tv_sec) + "." + std::to_string(st.stx_btime.tv_nsec);
    return id;
}

} // namespace tolv
