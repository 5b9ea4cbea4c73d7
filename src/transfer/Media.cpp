#include "transfer/Media.h"

#include "platform/AtomicFile.h"
#include "platform/HostSystem.h"
#include "platform/Prompt.h"

#include <utility>

namespace tolv::exchange {

namespace {

// A written file as the file system knows it, so that "the same file still there" can be told
// from "another medium with a file of that name".
using FileId = FileIdentity;

bool fileId(const fs::path& p, FileId& id)
{
    const std::optional<FileIdentity> found = fileIdentity(p);
    if (found) id = *found;
    return found.has_value();
}

} // namespace

std::size_t mediaCount(std::size_t lines, std::size_t perMedium)
{
    return perMedium == 0 ? (lines ? 1 : 0) : (lines + perMedium - 1) / perMedium;
}

void makeEveryLine(std::size_t count, const LineMaker& line)
{
    std::string scratch;
    for (std::size_t i = 0; i < count; ++i) {
        line(i, scratch);
        scratch.clear();
    }
}

void writeOnMedia(FileSetWriter& set, const fs::path& folder, const std::string& fileName, const std::string& header,
                  std::size_t count, const LineMaker& line, std::size_t perMedium, Prompt* prompt, bool askAllAtOnce,
                  ExportResult& result)
{
    const std::size_t media = mediaCount(count, perMedium);
    const std::size_t step = perMedium == 0 ? count : perMedium;
    auto medium = [&](FileSetWriter& into, std::size_t k, const fs::path& dir) {
        into.begin(dir / fileName, header);
        const std::size_t first = k * step, last = std::min(count, first + step);
        for (std::size_t i = first; i < last; ++i) {
            line(i, into.out());
            into.endLine();
        }
    };
    auto mediumFolder = [&](std::size_t k) { return folder / ("MEDIA" + std::to_string(k + 1)); };
    auto movedNote = [&](std::size_t k) {
        return std::to_string(k + 1) + "枚目の媒体は、前の媒体のファイルが転送先に残っているため " + mediumFolder(k).string() +
               " に書きました。";
    };

    // Nobody to change the medium: the folder stays, media 2, 3, … go into MEDIA2, MEDIA3, ….
    if (!prompt) {
        for (std::size_t k = 0; k < media; ++k) {
            medium(set, k, k == 0 ? folder : mediumFolder(k));
            if (k > 0) result.notes.push_back(movedNote(k));
        }
        return;
    }
    if (media == 1) {
        prompt->tell(kMediaPrompt);
        medium(set, 0, folder);
        return;
    }
    if (media > 1 && askAllAtOnce && prompt->ask(kAllMediaQuestion)) {
        for (std::size_t k = 0; k < media; ++k) medium(set, k, mediumFolder(k));
        result.notes.push_back("全 " + std::to_string(media) + " 媒体を " + mediumFolder(0).string() + " ～ " +
                               mediumFolder(media - 1).string() + " に作成しました。");
        return;
    }
    std::vector<FileId> earlier;
    for (std::size_t k = 0; k < media; ++k) {
        prompt->tell(kMediaPrompt);
        fs::path dir = folder;
        FileId there;
        if (k > 0 && fileId(folder / fileName, there)) {
            for (const FileId& id : earlier)
                if (id == there) {
                    dir = mediumFolder(k);
                    result.notes.push_back(movedNote(k));
                    break;
                }
        }
        FileSetWriter one(folder);
        medium(one, k, dir);
        one.commit(result);
        FileId id;
        if (fileId(result.written.back().path, id)) earlier.push_back(id);
    }
}

} // namespace tolv::exchange
