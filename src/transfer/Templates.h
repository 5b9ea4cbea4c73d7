#pragma once
// Header templates of the export files, kept in the control folder (c:\tolvsys\ctl). The program
// ships a default for each (data/templates, compiled in) and copies it into the control folder
// when the folder has none; a template the user keeps there is never replaced. Template names are
// matched without regard to letter case, so "seikoRly.csv" finds "SeikoRly.csv".
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tolv::exchange {

struct EmbeddedTemplate {
    const char* name;
    std::string_view utf8; // one line of quoted titles, LF
};
// The shipped templates (generated at build time).
const std::vector<EmbeddedTemplate>& embeddedTemplates();

// Copies every shipped template that is missing into `ctl` (CP932, CR LF), creating the folder.
void installDefaultTemplates(const std::filesystem::path& ctl);

// The first `count` fields of a template, read as comma- or line-separated fields with quotes
// removed. A missing file or one with fewer fields is an error naming the file.
std::vector<std::string> readTemplate(const std::filesystem::path& ctl, const std::string& name, std::size_t count);

// Header lines (UTF-8, ending CR LF): every field quoted; or the fields bare, followed by
// `extraEmpty` empty columns.
std::string quotedHeader(const std::vector<std::string>& fields);
std::string plainHeader(const std::vector<std::string>& fields, int extraEmpty = 0);

} // namespace tolv::exchange
