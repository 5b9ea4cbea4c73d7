#pragma once
// What the start-up window decides for the rest of the program's run: local or internet mode,
// the download address, year and unit, and which prefecture and sex the registration master in the
// temp folder belongs to. One object, owned by the application and handed to every window and
// command that needs it.
#include "platform/Clock.h"

#include <string>
#include <vector>

namespace tolv {

class Session {
public:
    enum Mode { Local = 0, Internet = 1 };

    int mode = Local;
    std::string downloadRoot;       // the chosen download address
    std::string year;               // year folder on the download address
    std::string unitName;           // chosen management unit ("" while none is chosen)
    std::vector<std::string> units; // the unit list of that address and year

    // Prefecture (1..99) and sex digit class (1 male, 2 female) of the registration master last
    // used; 0 while none. In internet mode these are the files in the temp folder.
    int masterPrefecture = 0;
    int masterSex = 0;

    bool internet() const { return mode == Internet; }
    // "<address><year>/", the address given its "/" when it has none.
    std::string downloadFolder() const;
    // "<address><year>/<unit>/", or the download folder while no unit is chosen.
    std::string unitFolder() const;
    // The same as the address to fetch from (year and unit percent-encoded).
    std::string unitUrl() const;
    // The temp folder is emptied: nothing of the master is present any more.
    void forgetMaster()
    {
        masterPrefecture = 0;
        masterSex = 0;
    }
};

// The year folder preset: the calendar year, or the year before in January to March (the year
// runs from April).
int fiscalYear(const DateTime& when);

// File types of the start-up window: 0 entry, 1 results, 2 registration.
constexpr int kFileTypes = 3;
// ".zep", ".kek", ".tor" (".zep" for an unknown type).
std::string fileTypeExtension(int fileType);
// "*.zep", "*.kek", "*.tor".
std::string fileTypePattern(int fileType);
// The name rule of the file-name box: a name without "." gets the type's extension.
std::string withFileTypeExtension(const std::string& name, int fileType);

} // namespace tolv
