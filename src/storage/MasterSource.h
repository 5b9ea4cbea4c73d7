#pragma once
// Where the team list of a prefecture and the management-unit flags are found: the local
// registration folders, or the files downloaded for the session.
#include <filesystem>

namespace tolv {

struct MasterSource {
    bool internet = false;
    std::filesystem::path registrationRoot; // local mode: <root>ken<NN>/dantai.dat, <root>kanriken.ctl
    std::filesystem::path temp;             // internet mode: <temp>/dantai.dat, <temp>/kanriken.ctl

    static MasterSource local(const std::filesystem::path& root);
    static MasterSource downloaded(const std::filesystem::path& temp);
    std::filesystem::path unitFlagsFile() const;
    std::filesystem::path teamListFile(int prefecture) const;
};

} // namespace tolv
