#pragma once
// The container of a Lenex file: its bytes read whole within the size of one meet's file, and the
// XML document in them, which an .lxf file keeps zipped as its one .lef entry.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace tolv::lenex {

// A Lenex file larger than this is no entries or results file of one meet.
constexpr std::uintmax_t kMaxFileBytes = 256u * 1024u * 1024u;

// The file's bytes in one allocation of its size; a file that is not there or is larger than
// kMaxFileBytes is an error naming it.
std::string readLenexFile(const std::filesystem::path& file);

// Whether the bytes are a zip archive (an .lxf file).
bool isLenexArchive(std::string_view bytes);

// The XML of a Lenex file: the bytes as they are, or the one .lef entry of an .lxf archive.
// Throws TolvError naming `fileName` when the archive cannot be read.
std::string unpackLenex(std::string_view bytes, const std::string& fileName);

} // namespace tolv::lenex
