// The control files: the quoted comma form of dr_*.ctl and pass.dat, ken.ctl, kanriken.ctl and
// torlist.dat, each read from the input, and the download checks of the last three.
#include "FuzzSupport.h"
#include "platform/Error.h"
#include "storage/ControlFiles.h"
#include "storage/FileChecks.h"

#include <filesystem>

using tolvfuzz::quietly;

TOLV_FUZZ_TARGET(control)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto ctl = tolvfuzz::workDir() / "home" / "ctl";
    for (const char* name :
         {"dr_zep.ctl", "dr_tor.ctl", "dr_ten.ctl", "dr_web.ctl", "ken.ctl", "kanriken.ctl", "torlist.dat", "pass.dat"})
        tolvfuzz::inputFile(std::string("home/ctl/") + name, data, size);
    (void)tolv::readZepControl(ctl);
    (void)tolv::readTorControl(ctl);
    (void)tolv::readTenControl(ctl);
    (void)tolv::readWebControl(ctl);
    (void)tolv::damagedControlFiles(ctl);
    quietly([&] { (void)tolv::parseControlFields(bytes); });
    quietly([&] {
        for (int code : {1, 13, 47, 48, 99}) (void)tolv::readPrefecture(ctl / "ken.ctl", code);
    });
    (void)tolv::unitKeepsTeams(tolv::readUnitFlags(ctl / "kanriken.ctl"), 13);
    quietly([&] { (void)tolv::readUnitList(ctl / "torlist.dat"); });
    quietly([&] { (void)tolv::passwordMatches(ctl / "pass.dat", "13001", "pw"); });
    quietly([&] { tolv::checkPrefectureTable(bytes, "ken.ctl"); });
    quietly([&] { tolv::checkUnitFlagsBytes(bytes, "kanriken.ctl"); });
    quietly([&] { tolv::checkUnitListBytes(bytes, "torlist.dat"); });
    quietly([&] { tolv::checkPasswordListBytes(bytes, "pass.dat"); });
    return 0;
}
