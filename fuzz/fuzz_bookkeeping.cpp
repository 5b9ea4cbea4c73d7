// The program's own bookkeeping files read back as foreign input: an export journal, the backup
// record, the Lenex memory file, lenex.ini and a template, each read from the input.
#include "FuzzSupport.h"
#include "exchange/LenexMemory.h"
#include "platform/Error.h"
#include "storage/Backups.h"
#include "transfer/SetJournal.h"
#include "transfer/Templates.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

using tolvfuzz::quietly;

TOLV_FUZZ_TARGET(bookkeeping)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const fs::path& work = tolvfuzz::workDir();
    const fs::path entry = work / "club.zep";
    static const bool made = [&] {
        std::ofstream(entry, std::ios::binary) << std::string(3840, '\0');
        fs::create_directories(tolv::backupFolderFor(entry));
        fs::create_directories(work / "transfer" / "MEDIA2");
        return true;
    }();
    (void)made;
    quietly(
        [&] { (void)tolv::exchange::checkedJournal(work / "transfer", work / "transfer" / ".tolvsys-set.1.0.pending", bytes); });
    tolvfuzz::inputFile(fs::relative(tolv::backupFolderFor(entry) / "index.txt", work).string(), data, size);
    quietly([&] { (void)tolv::listBackups(entry); });
    quietly([&] { (void)tolv::checkUndo(entry, 0); });
    quietly([&] { (void)tolv::findMergedSource(entry, 3, "0123456789abcdef"); });
    tolvfuzz::inputFile("club.zep.lenex", data, size);
    quietly([&] { (void)tolv::lenex::LenexMemory::read(entry); });
    tolvfuzz::inputFile("home/ctl/lenex.ini", data, size);
    quietly([&] { (void)tolv::lenex::readLenexSettings(work / "home" / "ctl"); });
    tolvfuzz::inputFile("home/ctl/Custom.csv", data, size);
    quietly([&] { (void)tolv::exchange::readTemplate(work / "home" / "ctl", "Custom.csv", 5); });
    return 0;
}
