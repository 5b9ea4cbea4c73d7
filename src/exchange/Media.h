#pragma once
// A file split over several transfer media (floppies): before each medium the user is told
// "転送先メディア準備" so that a fresh one can be inserted, and each medium gets the file anew with
// its own header.
//
// A medium that was not changed would lose the previous medium's file. So when the folder still
// holds a file written for an earlier medium of this run, the next medium goes into the numbered
// subfolder MEDIA<k> of the folder instead, and a note says where. Without an interactive user (the
// command line) the folder never changes, so media 2, 3, … always go into MEDIA2, MEDIA3, ….
#include "exchange/ExportFiles.h"

#include <string>
#include <vector>

namespace tolv {
class Prompt;
}

namespace tolv::exchange {

inline constexpr const char* kMediaPrompt = "転送先メディア準備";

// The medium a line count needs: ceil(lines / perMedium), none for no lines.
std::size_t mediaCount(std::size_t lines, std::size_t perMedium);

// Writes `lines` (CP932, each ending CR LF) after `header` into `folder`/`fileName`, at most
// `perMedium` lines per medium, telling `prompt` kMediaPrompt before each medium. No lines: no
// prompt, no file. Each medium's file is written whole before the next prompt.
void writeOnMedia(const fs::path& folder, const std::string& fileName, const std::string& header,
                  const std::vector<std::string>& lines, std::size_t perMedium, Prompt& prompt,
                  ExportResult& result);

} // namespace tolv::exchange
