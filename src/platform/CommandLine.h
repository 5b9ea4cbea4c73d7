#pragma once
// The arguments a program was started with, as UTF-8 text, whatever the system hands them over in.
#include <string>
#include <vector>

namespace tolv {

// The arguments after the program's own name. On Windows they are read from the command line in
// UTF-16 (the `argv` of `main` holds them in the ANSI code page, where Japanese text is lost
// unless the system happens to be set to code page 932); elsewhere they are `argv` as it is.
std::vector<std::string> commandLineArguments(int argc, char** argv);

} // namespace tolv
