#pragma once
// The control files in c:\tolvsys\ctl and the downloaded ones in c:\tolvsys\temp.
//
// dr_zep.ctl  "drive","entry folder",file-type index,"entry file name"   default "c:","c:\",0,""
// dr_tor.ctl  "drive","registration root"                                default "c:","c:\"
// dr_ten.ctl  "transfer folder"                                          default "c:\"
// dr_web.ctl  "club","password" / "address 1",...,"address n",n,chosen   default see kDefault*
// All are CP932 text, fields in the quoted comma form of the platform's sequential output
// (texts quoted, numbers bare, CR LF); a reader takes fields in order across lines.
// ken.ctl      random access, 20-byte records: record n = prefecture n: name 8, reading 6, further 6
// kanriken.ctl random access, record 1 = 80 characters, character n = flag of prefecture n
// torlist.dat  one management unit per line
// pass.dat     pairs of fields: club code, password
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tolv {

inline constexpr const char* kDefaultClubCode = "00000";
inline constexpr const char* kDefaultPassword = "0000000000";
inline constexpr const char* kDefaultDownloadAddress = "http://localhost/tolvsys/";

// Quoted comma form: parse every field of a whole file (quotes removed), and write one line.
// A double quote inside a text is written doubled and read back as one.
std::vector<std::string> parseControlFields(const std::string& utf8Text);
// Each value is written quoted unless it is marked as a number.
struct ControlField {
    std::string value;
    bool number = false;
};
std::string controlLine(const std::vector<ControlField>& fields); // ends with CR LF

struct ZepControl {
    std::string drive = "c:";
    std::string folder = "c:\\"; // always with a trailing separator once read
    int fileType = 0;            // 0 entry (.zep), 1 results (.kek), 2 registration (.tor)
    std::string fileName;
};
struct TorControl {
    std::string drive = "c:";
    std::string folder = "c:\\";
};
struct TenControl {
    std::string folder = "c:\\";
};
struct WebControl {
    std::string clubCode = kDefaultClubCode;
    std::string password = kDefaultPassword;
    std::vector<std::string> addresses{kDefaultDownloadAddress};
    int chosen = 0;
};

// Readers return nothing when the file is missing or unreadable; writers replace the file whole,
// except a file that exists but cannot be read or parsed: that one is left as it is (it may hold a
// club code, password or addresses that only a permission or a damaged byte hides), and the writer
// returns false.
std::optional<ZepControl> readZepControl(const std::filesystem::path& ctl);
std::optional<TorControl> readTorControl(const std::filesystem::path& ctl);
std::optional<TenControl> readTenControl(const std::filesystem::path& ctl);
std::optional<WebControl> readWebControl(const std::filesystem::path& ctl);
bool writeZepControl(const std::filesystem::path& ctl, const ZepControl& v);
bool writeTorControl(const std::filesystem::path& ctl, const TorControl& v);
bool writeTenControl(const std::filesystem::path& ctl, const TenControl& v);
bool writeWebControl(const std::filesystem::path& ctl, const WebControl& v);

// The dr_*.ctl files of ctl that exist but cannot be read or parsed.
std::vector<std::filesystem::path> damagedControlFiles(const std::filesystem::path& ctl);
// The one message for those files: their defaults are used in memory and the files are kept.
std::string damagedControlMessage(const std::vector<std::filesystem::path>& files);

class Prompt;
// Start-up: creates the ctl folder and writes the default of every dr_*.ctl that is missing. One
// that exists but cannot be read or parsed is left as it is; `prompt` (when given) is told once,
// naming the files, that their defaults are used. Returns that message (empty when all was well).
std::string ensureControlDefaults(const std::filesystem::path& ctl, Prompt* prompt = nullptr);

// Reads with the defaults applied (after ensureControlDefaults).
ZepControl loadZepControl(const std::filesystem::path& ctl);
TorControl loadTorControl(const std::filesystem::path& ctl);
TenControl loadTenControl(const std::filesystem::path& ctl);
WebControl loadWebControl(const std::filesystem::path& ctl);

// ken.ctl
struct Prefecture {
    std::string name;    // 8 bytes, trailing blanks kept
    std::string reading; // 6 bytes
    std::string further; // 6 bytes
};
// The number of prefectures ken.ctl must hold.
inline constexpr int kPrefecturesRequired = 47;
// Prefecture n (n >= 1) of a ken.ctl file; nothing for 0, a missing file or a record beyond it.
// A file that exists but holds fewer than kPrefecturesRequired readable prefectures (short, empty,
// unreadable, or with bytes that are not CP932 text) throws TolvError naming the file, so a command
// that needs the table stops instead of blanking prefectures; so does a damaged record beyond them.
std::optional<Prefecture> readPrefecture(const std::filesystem::path& kenCtl, int code);
// Checks a ken.ctl image: TolvError naming `name` unless its first kPrefecturesRequired records
// are readable (whole 20-byte records of CP932 text without control characters or < >).
void checkPrefectureTable(const std::string& bytes, const std::string& name);
// The whole of ken.ctl read and checked once, for commands that look up a prefecture per swimmer:
// load throws what readPrefecture throws for the file, find gives (or throws) what readPrefecture
// gives for the file as it was when loaded.
class KenTable {
public:
    static KenTable load(const std::filesystem::path& kenCtl);
    std::optional<Prefecture> find(long long code) const;

private:
    std::string bytes_;
    std::string name_;
};
// byCode[i] becomes record i + 1 (prefecture i + 1); texts are blank-padded to their fields.
void writePrefectureTable(const std::filesystem::path& kenCtl, const std::vector<Prefecture>& byCode);

// kanriken.ctl: one flag byte per prefecture code 1..80.
constexpr std::size_t kUnitFlagsLength = 80;
// kanriken.ctl: the 80 flag characters (empty when the file is missing).
std::string readUnitFlags(const std::filesystem::path& kanrikenCtl);
void writeUnitFlags(const std::filesystem::path& kanrikenCtl, const std::string& flags);
// True when teams of prefecture `code` are looked up in dantai.dat (flag present and not "0").
bool unitKeepsTeams(const std::string& flags, int code);

// torlist.dat: one unit per line (CR LF or LF), blank lines dropped.
std::vector<std::string> readUnitList(const std::filesystem::path& torlist);
// pass.dat: true when a (club code, password) pair matches exactly.
bool passwordMatches(const std::filesystem::path& passDat, const std::string& clubCode, const std::string& password);

// Temp clean-up: deletes dantai.dat, kozin.dat, basho.dat, indexb/k/n/q/t.dat, kanriken.ctl,
// torlist.dat and pass.dat from `temp` one by one (any letter case), and the master sets kept
// beside them ("ken13.otoko.kozin.dat"); missing ones are skipped.
void cleanTempFolder(const std::filesystem::path& temp);

} // namespace tolv
