#include "support/TestSupport.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"

#include <cstdlib>
#include <fcntl.h>
#include <iconv.h>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tolvtest {

TempTree::TempTree()
{
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p = fs::temp_directory_path() / ("tolvtest-" + std::to_string(rd()));
        if (fs::create_directory(p)) {
            dir_ = p;
            break;
        }
    }
    if (dir_.empty()) throw std::runtime_error("cannot create a temporary folder");
    if (const char* h = std::getenv("TOLVSYS_HOME")) {
        hadHome_ = true;
        oldHome_ = h;
    }
    setenv("TOLVSYS_HOME", home().c_str(), 1);
    tolv::resetClock();
}

TempTree::~TempTree()
{
    if (hadHome_) setenv("TOLVSYS_HOME", oldHome_.c_str(), 1);
    else unsetenv("TOLVSYS_HOME");
    tolv::resetClock();
    std::error_code ec;
    fs::remove_all(dir_, ec);
}

std::string readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const fs::path& p, const std::string& bytes)
{
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The C library's own CP932 table, not the program's converter: a fixture written with the code
// under test would agree with any mistake in it.
std::string sj(const std::string& utf8)
{
    iconv_t cd = ::iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no CP932");
    std::string in = utf8, out(utf8.size() * 2 + 4, '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t r = ::iconv(cd, &src, &left, &dst, &room);
    ::iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("no CP932 form in test text: " + utf8);
    out.resize(out.size() - room);
    return out;
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args)
{
    fs::path dir = fs::temp_directory_path();
    std::string tag = std::to_string(::getpid()) + "-" + std::to_string(std::random_device{}());
    fs::path outFile = dir / ("tolvrun-" + tag + ".out");
    fs::path errFile = dir / ("tolvrun-" + tag + ".err");
    pid_t pid = ::fork();
    if (pid == 0) {
        int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int in = ::open("/dev/null", O_RDONLY);
        ::dup2(o, 1);
        ::dup2(e, 2);
        ::dup2(in, 0);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    RunResult r;
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = readBytes(outFile);
    r.err = readBytes(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}

} // namespace tolvtest
