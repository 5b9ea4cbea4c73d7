#pragma once
// The journal of a file set's renames: written before the renames, carried out by the next set when
// a writer died among them, and checked line by line first, since the folder it lies in receives
// foreign media.
#include <filesystem>
#include <string>
#include <vector>

namespace tolv::exchange {

namespace fs = std::filesystem;

// A new journal's path in `home`, unique within this process.
fs::path newJournalPath(const fs::path& home);

// Completes the sets in `folder` whose writer died among its renames. A journal found there is
// foreign input (the transfer folder is where media arrive): it is carried out only when every line
// is checkedJournal's; otherwise (or when it is a link, a folder, a FIFO, too large) nothing is
// renamed and the export is refused, naming the journal.
void finishInterruptedSets(const fs::path& folder);
// One rename of a journal, as carried out.
struct JournalRename {
    fs::path temp, target;
};
// The renames of a journal in `folder`: each line the writer's temporary name of its target, both
// plain names in `folder` or in a MEDIA<k> or SWM<team> folder below it (a real folder, not a link), the
// temporary file, if still there, a regular file. Anything else throws TolvError naming the
// journal and the line.
std::vector<JournalRename> checkedJournal(const fs::path& folder, const fs::path& journal, const std::string& text);

} // namespace tolv::exchange
