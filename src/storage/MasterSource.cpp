#include "storage/MasterSource.h"

#include "platform/Paths.h"
#include "storage/DownloadLayout.h"

namespace tolv {

namespace fs = std::filesystem;

MasterSource MasterSource::local(const fs::path& root)
{
    MasterSource m;
    m.registrationRoot = root;
    return m;
}

MasterSource MasterSource::downloaded(const fs::path& temp)
{
    MasterSource m;
    m.internet = true;
    m.temp = temp;
    return m;
}

fs::path MasterSource::unitFlagsFile() const
{
    return internet ? findNoCase(temp, "kanriken.ctl") : findNoCase(registrationRoot, "kanriken.ctl");
}

fs::path MasterSource::teamListFile(int prefecture) const
{
    if (internet) return findNoCase(temp, "dantai.dat");
    return localMasterPaths(registrationRoot, prefecture, MasterSex::Male).teamList;
}

} // namespace tolv
