#pragma once
// What both systems' halves of PlainFile.h say about a file they refuse (not for other users).
#include <cstdint>
#include <filesystem>
#include <string>

namespace tolv::plainfile {

inline constexpr const char* kLinkProblem = "シンボリックリンクのため読みません";
inline constexpr const char* kFolderProblem = "ファイルではなくフォルダです";
inline constexpr const char* kOtherKindProblem = "通常のファイルではありません（FIFO・装置など）";

// The problem of a file of `size` bytes where at most `maxBytes` are allowed; empty when it fits.
std::string sizeProblem(std::uint64_t size, std::uint64_t maxBytes);

// The error for a file that is not read: its name and the problem.
[[noreturn]] void refuse(const std::filesystem::path& file, const std::string& problem);

} // namespace tolv::plainfile
