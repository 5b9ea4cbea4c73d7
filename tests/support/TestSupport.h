#pragma once
// Test helpers: a fresh working tree per test, file bytes, and building records.
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <cstdlib>
// The C library of Windows has _putenv_s where POSIX has setenv and unsetenv (an empty value
// removes the variable there).
inline int setenv(const char* name, const char* value, int) { return ::_putenv_s(name, value); }
inline int unsetenv(const char* name) { return ::_putenv_s(name, ""); }
#endif

namespace tolvtest {

namespace fs = std::filesystem;

// A temporary folder removed at destruction; sets TOLVSYS_HOME to <dir>/tolvsys while alive.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const fs::path& dir() const { return dir_; }
    fs::path home() const { return dir_ / "tolvsys"; }

private:
    fs::path dir_;
    std::string oldHome_;
    bool hadHome_ = false;
};

std::string readBytes(const fs::path& p);
void writeBytes(const fs::path& p, const std::string& bytes);
// The names in a folder that are `name` without regard to letter case, as they are stored (a file
// system that matches names so finds "KEN.CTL" as "ken.ctl": this tells what is really there).
std::vector<std::string> namesLike(const fs::path& folder, const std::string& name);
// CP932 bytes of a UTF-8 literal.
std::string sj(const std::string& utf8);
// Makes a FIFO at `p`; false where the system has none in its file system (Windows: the tests
// that plant one are left out there, scripts/windows/excluded-tests.txt).
bool makeFifo(const fs::path& p);

// Runs a program with arguments (no shell), capturing stdout and stderr.
struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
RunResult runProgram(const std::string& program, const std::vector<std::string>& args);

} // namespace tolvtest
