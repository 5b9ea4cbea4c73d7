#pragma once
// Format checks of the files that arrive from elsewhere (downloads), made on the bytes before they
// replace anything. Each throws TolvError naming `name` (the address or file) and what is wrong, so
// an HTML error page, an empty body or random bytes never take the place of a good file.
//
//   dantai.dat    384-byte records: at least the 10 head records, whole records only, team count
//                 (i16) 0 .. records present, every counted team code CP932 text
//   kozin.dat     1024-byte records, likewise with the athlete count (i32) and the number Bango
//   indexq.dat    18-byte records, indext.dat 13-byte: whole records, count (i32) 0 .. entries
//                 present, keys in ascending byte order, athlete numbers 1 .. the athlete count
//                 when that is known (0 = not checked)
//   ken.ctl       47 readable prefectures (checkPrefectureTable)
//   kanriken.ctl  record 1 of 80 flags, each a digit or a blank
//   torlist.dat   CP932 text without NUL bytes, not an HTML page, at least one unit line that is a
//                 plain folder name (isPlainFolderName); other lines are left out with a note
//   pass.dat      CP932 fields in pairs (club code, password), none empty or with < > or control
//                 characters
#include <cstddef>
#include <string>
#include <vector>

namespace tolv {

void checkTeamListBytes(const std::string& bytes, const std::string& name);
// Returns the athlete count.
int checkAthleteListBytes(const std::string& bytes, const std::string& name);
void checkIndexBytes(const std::string& bytes, std::size_t recordLength, std::size_t keyWidth, int athletes,
                     const std::string& name);
void checkUnitFlagsBytes(const std::string& bytes, const std::string& name);
void checkUnitListBytes(const std::string& bytes, const std::string& name);

// A name that can stand as one folder of a download address as it is: not empty, not "." or "..",
// no control characters and none of / \ % # ? : * " < > | (a separator, an escape, the start of a
// fragment or query, or a character no folder may hold).
bool isPlainFolderName(const std::string& utf8);

// The units of a torlist.dat body, in file order (blank lines skipped, surrounding blanks and
// quotes dropped), and the lines left out because they are no plain folder name, each as
// "<line> 行目「<text>」". TolvError for a body that is no unit list at all.
struct UnitList {
    std::vector<std::string> units;
    std::vector<std::string> leftOut;
};
UnitList parseUnitListBytes(const std::string& bytes, const std::string& name);
void checkPasswordListBytes(const std::string& bytes, const std::string& name);

} // namespace tolv
