#pragma once
// What the fuzz targets share: a private working tree and a file holding the input.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tolvfuzz {

// A folder of this process (TOLVSYS_HOME points into it), made once.
const std::filesystem::path& workDir();
// Writes bytes to workDir()/name and returns the path.
std::filesystem::path inputFile(const std::string& name, const std::uint8_t* data, std::size_t size);

} // namespace tolvfuzz
