#pragma once
// A file split over several transfer media (floppies). In the windows the user is asked once
// "全媒体を一括作成しますか？": yes writes every medium into its numbered subfolder MEDIA<k> of the
// folder without further prompts; no goes medium by medium: before each medium the user is told
// "転送先メディア準備" so that a fresh one can be inserted, and each medium gets the file anew with
// its own header.
//
// A medium that was not changed would lose the previous medium's file. So when the folder still
// holds a file written for an earlier medium of this run, the next medium goes into the numbered
// subfolder MEDIA<k> of the folder instead, and a note says where. Without an interactive user (the
// command line) the folder never changes, so media 2, 3, … always go into MEDIA2, MEDIA3, ….
//
// Files that need no medium change between them are only planned, so that the export writes them
// with its other files as one whole set.
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

inline constexpr const char* kAllMediaQuestion = "全媒体を一括作成しますか？";

// Places `lines` (CP932, each ending CR LF) after `header` into `folder`/`fileName`, at most
// `perMedium` lines per medium. Without `prompt` (the command line) every medium is planned into
// `set`. With one, a single medium is announced with kMediaPrompt and planned; several media are
// first asked about with kAllMediaQuestion when `askAllAtOnce` (yes: all planned into MEDIA<k>, no
// more prompts), else each medium is announced and written before the next. No lines: no prompt,
// no file.
void writeOnMedia(const fs::path& folder, const std::string& fileName, const std::string& header,
                  const std::vector<std::string>& lines, std::size_t perMedium, Prompt* prompt, bool askAllAtOnce,
                  ExportResult& result, std::vector<PlannedFile>& set);

} // namespace tolv::exchange
