#include "storage/Session.h"

#include "storage/DownloadLayout.h"

namespace tolv {

std::string Session::downloadFolder() const { return yearFolder(downloadRoot, year); }

std::string Session::unitFolder() const
{
    if (unitName.empty()) return downloadFolder();
    return tolv::unitFolder(downloadRoot, year, unitName);
}

std::string Session::unitUrl() const { return tolv::unitUrl(downloadRoot, year, unitName); }

int fiscalYear(const DateTime& when) { return when.month <= 3 ? when.year - 1 : when.year; }

std::string fileTypeExtension(int fileType)
{
    switch (fileType) {
    case 1: return ".kek";
    case 2: return ".tor";
    default: return ".zep";
    }
}

std::string fileTypePattern(int fileType) { return "*" + fileTypeExtension(fileType); }

std::string withFileTypeExtension(const std::string& name, int fileType)
{
    if (name.empty() || name.find('.') != std::string::npos) return name;
    return name + fileTypeExtension(fileType);
}

} // namespace tolv
