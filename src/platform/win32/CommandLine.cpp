// The Windows half of CommandLine.h: the command line in UTF-16, split as the C runtime splits it.
#include "platform/CommandLine.h"

#include "platform/win32/Wide.h"

#include <shellapi.h>

namespace tolv {

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
    std::vector<std::string> out;
    for (int i = 1; i < count; ++i) out.push_back(win32::narrow(wide[i]));
    ::LocalFree(wide);
    return out;
}

} // namespace tolv
