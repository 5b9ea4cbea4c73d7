#include "FuzzSupport.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace tolvfuzz {

const std::filesystem::path& workDir()
{
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("tolvfuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d / "home" / "ctl");
        ::setenv("TOLVSYS_HOME", (d / "home").c_str(), 1);
        return d;
    }();
    return dir;
}

std::filesystem::path inputFile(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const auto p = workDir() / name;
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return p;
}

} // namespace tolvfuzz
