#include "support/TestSupport.h"

#include "platform/Clock.h"
#include "platform/Cp932.h"

#include <cstdlib>
#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tolvtest {

#ifdef _WIN32
namespace {

std::wstring widen(const std::string& utf8)
{
    std::wstring out(utf8.size() + 1, L'\0');
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return out;
}

// One argument of a command line as the C runtime's parser reads it back.
std::wstring quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

} // namespace
#endif

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
    setenv("TOLVSYS_HOME", home().string().c_str(), 1);
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
std::vector<std::string> namesLike(const fs::path& folder, const std::string& name)
{
    auto lower = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        return s;
    };
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(folder))
        if (lower(e.path().filename().string()) == lower(name)) out.push_back(e.path().filename().string());
    return out;
}

std::string sj(const std::string& utf8)
{
#ifdef _WIN32
    // Windows' own code page 932.
    const std::wstring wide = widen(utf8);
    std::string out(wide.size() * 2 + 4, '\0');
    BOOL usedDefault = FALSE;
    const int n = ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(),
                                        static_cast<int>(out.size()), nullptr, &usedDefault);
    if ((n <= 0 && !utf8.empty()) || usedDefault) throw std::runtime_error("no CP932 form in test text: " + utf8);
    out.resize(static_cast<std::size_t>(n > 0 ? n : 0));
    return out;
#else
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
#endif
}

bool makeFifo(const fs::path& p)
{
#ifdef _WIN32
    (void)p;
    return false;
#else
    return ::mkfifo(p.c_str(), 0600) == 0;
#endif
}

#ifdef _WIN32
RunResult runProgram(const std::string& program, const std::vector<std::string>& args)
{
    fs::path dir = fs::temp_directory_path();
    std::string tag = std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(std::random_device{}());
    fs::path outFile = dir / ("tolvrun-" + tag + ".out");
    fs::path errFile = dir / ("tolvrun-" + tag + ".err");
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE out = ::CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE err = ::CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    HANDLE in = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    std::wstring line = quoted(widen(program));
    for (const auto& a : args) line += L" " + quoted(widen(a));
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = in;
    start.hStdOutput = out;
    start.hStdError = err;
    PROCESS_INFORMATION child{};
    RunResult r;
    const std::wstring exe = widen(program);
    if (::CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &child)) {
        ::WaitForSingleObject(child.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(child.hProcess, &code);
        r.exitCode = static_cast<int>(code);
        ::CloseHandle(child.hProcess);
        ::CloseHandle(child.hThread);
    } else {
        r.exitCode = 127;
    }
    ::CloseHandle(out);
    ::CloseHandle(err);
    ::CloseHandle(in);
    r.out = readBytes(outFile);
    r.err = readBytes(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return r;
}
#else
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
#endif

} // namespace tolvtest
