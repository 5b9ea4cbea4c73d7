// The Windows half of FileIdentity.h: volume serial number and the 128-bit file id, from
// GetFileInformationByHandleEx.
#include "platform/FileIdentity.h"

#include "platform/win32/Wide.h"

#include <cstdio>

namespace tolv {

std::string FileIdentity::of(const std::filesystem::path& path)
{
    const win32::Handle h(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return {};
    std::string id;
    FILE_ID_INFO fileId{};
    if (::GetFileInformationByHandleEx(h.get(), FileIdInfo, &fileId, sizeof fileId)) {
        // In decimal digits, as the identities of the other systems (the backup record takes only
        // digits, ':' and '.'): the 128-bit id as its two 64-bit halves.
        unsigned long long low = 0, high = 0;
        for (int i = 7; i >= 0; --i) low = (low << 8) | fileId.FileId.Identifier[i];
        for (int i = 15; i >= 8; --i) high = (high << 8) | fileId.FileId.Identifier[i];
        id = std::to_string(fileId.VolumeSerialNumber) + ":" + std::to_string(high) + "." + std::to_string(low);
    } else {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(h.get(), &info)) return {};
        id = std::to_string(info.dwVolumeSerialNumber) + ":" +
             std::to_string((static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
    }
    // No creation time, unlike the birth time of the other systems: NTFS hands a name's old
    // creation time to a file renamed onto it within seconds (tunnelling), so a replaced file could
    // not be told by it, and Wine reports the time of the last change there. NTFS's file id carries
    // a sequence number that changes when its record is reused: a file made anew gets another id.
    return id;
}

} // namespace tolv
