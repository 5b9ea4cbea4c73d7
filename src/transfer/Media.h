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
// Media that need no change between them are written into the export's set, so that the export
// puts them in place with its other files as one whole set.
#include "transfer/FileSet.h"

#include <functional>
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

// Line i (0 .. count - 1) of a file appended to `out` (CP932, ending CR LF).
using LineMaker = std::function<void(std::size_t i, std::string& out)>;

// Every line made once and dropped: an export that asks for media (or writes them one by one)
// calls it first, so a line that cannot be written stops it before any question or medium.
void makeEveryLine(std::size_t count, const LineMaker& line);

// Writes `count` lines made by `line` after `header` into `folder`/`fileName`, at most `perMedium`
// lines per medium. Without `prompt` (the command line) every medium goes into `set`. With one, a
// single medium is announced with kMediaPrompt and goes into `set`; several media are first asked
// about with kAllMediaQuestion when `askAllAtOnce` (yes: all into `set` in MEDIA<k>, no more
// prompts), else each medium is announced and written as a set of its own before the next. No
// lines: no prompt, no file.
void writeOnMedia(FileSetWriter& set, const fs::path& folder, const std::string& fileName, const std::string& header,
                  std::size_t count, const LineMaker& line, std::size_t perMedium, Prompt* prompt, bool askAllAtOnce,
                  ExportResult& result);

} // namespace tolv::exchange
