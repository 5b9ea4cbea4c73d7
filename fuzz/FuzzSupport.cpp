#include "FuzzSupport.h"

#include "storage/DemoData.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tolvfuzz {

const fs::path& workDir()
{
    static const fs::path dir = [] {
        auto d = fs::temp_directory_path() / ("tolvfuzz-" + std::to_string(::getpid()));
        fs::create_directories(d / "home" / "ctl");
        ::setenv("TOLVSYS_HOME", (d / "home").c_str(), 1);
        // Gone when the process ends normally (a fuzz run's time is up, the replay test is done).
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(workDir(), ec);
        });
        return d;
    }();
    return dir;
}

fs::path inputFile(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    return inputFile(name, std::string(reinterpret_cast<const char*>(data), size));
}

fs::path inputFile(const std::string& name, const std::string& bytes)
{
    const auto p = workDir() / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::vector<std::string> parts(const std::uint8_t* data, std::size_t size, std::size_t n)
{
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> out;
    std::size_t from = 0;
    while (out.size() + 1 < n && from <= all.size()) {
        const std::size_t cut = all.find(kPartSeparator, from);
        if (cut == std::string_view::npos) break;
        out.emplace_back(all.substr(from, cut - from));
        from = cut + 1;
    }
    out.emplace_back(from <= all.size() ? all.substr(from) : std::string_view());
    out.resize(n);
    return out;
}

std::string joinParts(const std::vector<std::string>& p)
{
    std::string out;
    for (std::size_t i = 0; i < p.size(); ++i) out += (i ? std::string(1, kPartSeparator) : std::string()) + p[i];
    return out;
}

bool quietly(const std::function<void()>& f)
{
    try {
        f();
        return true;
    } catch (const tolv::TolvError&) {
        return false;
    }
}

namespace {

std::string bytesOf(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

ImportBench::ImportBench()
    : demo_(workDir() / "demo"), entry_(workDir() / "import" / "club.zep"), transfer_(workDir() / "import" / "transfer")
{
    if (!fs::exists(demo_ / "entry" / "sample.zep")) tolv::writeDemo(demo_);
    pristine_ = bytesOf(demo_ / "entry" / "sample.zep");
    fs::create_directories(transfer_);
}

fs::path ImportBench::kenCtl() const { return demo_ / "ken.ctl"; }

void ImportBench::reset(const std::map<std::string, std::string>& transferFiles)
{
    inputFile(fs::relative(entry_, workDir()).string(), pristine_);
    fs::remove_all(transfer_);
    fs::create_directories(transfer_);
    for (const auto& [name, bytes] : transferFiles) inputFile(fs::relative(transfer_ / name, workDir()).string(), bytes);
}

void ImportBench::refusedLeavesEntry(const std::function<void()>& f) const
{
    if (quietly(f) || bytesOf(entry_) == pristine_) return;
    std::fputs("a refused input changed the entry file\n", stderr);
    std::abort();
}

std::map<std::string, TargetFn>& targets()
{
    static std::map<std::string, TargetFn> all;
    return all;
}

bool registerTarget(const char* name, TargetFn fn)
{
    targets()[name] = fn;
    return true;
}

} // namespace tolvfuzz
