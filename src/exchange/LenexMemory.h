#pragma once
// What Lenex carries that the entry file has no field for, kept beside the entry file in
// `<entry file>.lenex` (UTF-8, one tab-separated line per item) so that the next export writes it
// back:
//   city    TEXT                               the meet's city (MEET city, FACILITY city)
//   nation  CODE                               the meet's nation, when not JPN
//   club    TEAMCODE  LENEXCODE  NATION  NAME  a Lenex club: the team code it was given, its own
//                                              code (may be empty), nation and full name
//   mixed   QBANGO  SLOT                       a mixed relay (gender X) carried by that swimmer
//   athlete QBANGO  NAMAE  LASTNAME  FIRSTNAME  LASTNAME.EN  FIRSTNAME.EN  LICENSE  NATION
//                                              an athlete's names, licence and nation as the
//                                              Lenex file gave them, for the record with that
//                                              composite number and (trimmed) name
//   meet    DEPTH  ELEMENT  NAME=VALUE …       the organiser's meet taken for the entry file: its
//                                              MEET element and what it holds but clubs, heats
//                                              and rankings, one element a line in document
//                                              order, DEPTH 0 for MEET itself
//   meetfile NAME                              the file the meet was taken from
// And the installation's constructor details, `lenex.ini` in the control folder:
//   registration=TEXT   the organisation the program is registered to (CONSTRUCTOR registration)
//   email=ADDRESS       the contact address (CONSTRUCTOR CONTACT email)
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tolv::lenex {

struct LenexClub {
    std::string teamCode; // 5 characters, as in the composite numbers
    std::string code;     // the Lenex club code
    std::string nation;
    std::string name;
};

// An athlete as the Lenex file named it, where the entry file's fields cut or drop something.
struct LenexAthlete {
    std::string qbango; // trimmed
    std::string namae;  // trimmed, as stored in the record
    std::string lastname;
    std::string firstname;
    std::string lastnameEn;
    std::string firstnameEn;
    std::string license;
    std::string nation;
};

// One element of the organiser's meet: its depth below MEET, name and attributes in order.
struct MeetElement {
    int depth = 0;
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
};

class LenexMemory {
public:
    static std::filesystem::path pathFor(const std::filesystem::path& entryFile);
    // An absent file is an empty memory; lines of another form are skipped.
    static LenexMemory read(const std::filesystem::path& entryFile);
    // Written whole (temporary name, then rename); nothing is written while the memory is empty.
    void write(const std::filesystem::path& entryFile) const;

    std::string city;
    std::string nation;
    std::vector<LenexClub> clubs;
    std::set<std::pair<std::string, int>> mixed; // trimmed QBango, slot
    std::vector<LenexAthlete> athletes;
    std::vector<MeetElement> meet; // empty: no meet taken
    std::string meetFile;

    const LenexClub* clubOfTeam(const std::string& teamCode) const;
    const LenexClub* clubOfLenex(const std::string& code, const std::string& name) const;
    // A team code no club of the memory has yet: "L0001", "L0002", …
    std::string newTeamCode(const std::set<std::string>& taken) const;
    bool empty() const
    {
        return city.empty() && nation.empty() && clubs.empty() && mixed.empty() && athletes.empty() && meet.empty();
    }
};

struct LenexSettings {
    std::string registration;
    std::string email = "lenex@tolvsys.invalid";
};
LenexSettings readLenexSettings(const std::filesystem::path& ctlFolder);

} // namespace tolv::lenex
