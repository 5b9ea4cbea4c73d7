#pragma once
// The program's version, set in one place: the project's VERSION in the top CMakeLists.txt.
namespace tolv {

const char* programVersion();

} // namespace tolv
