#pragma once
// What the fuzz targets share: a private working tree, a file holding the input, the input cut into
// the several files one reader takes, and an entry file to import into that must stay as it was
// when a reader refuses its input.
//
// Each target's body is written once with TOLV_FUZZ_TARGET(name): in a fuzz build it is libFuzzer's
// entry point; built with TOLV_FUZZ_REPLAY (the test that reads back the kept inputs under
// tests/fuzz-inputs/<name>/) it is a function registered under its name, so both feed an input
// through the same code.
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tolvfuzz {

// A folder of this process (TOLVSYS_HOME points into it), made once.
const std::filesystem::path& workDir();
// Writes bytes to workDir()/name and returns the path.
std::filesystem::path inputFile(const std::string& name, const std::uint8_t* data, std::size_t size);
std::filesystem::path inputFile(const std::string& name, const std::string& bytes);

// The input cut at the byte 0x1E into `n` parts (a CP932 text never holds it: the parts stay text);
// parts past the last separator are empty, the last part takes any further separators.
constexpr char kPartSeparator = '\x1e';
std::vector<std::string> parts(const std::uint8_t* data, std::size_t size, std::size_t n);
// The seed form of the same: the parts joined by the separator.
std::string joinParts(const std::vector<std::string>& p);

// Runs f; a TolvError (the reader's refusal with its message) is the expected end of a bad input.
// Returns whether f ran to its end.
bool quietly(const std::function<void()>& f);

// A sound entry file to import into (the demo's sample file), written afresh for each input, and
// the transfer folder beside it, emptied for each input.
class ImportBench {
public:
    ImportBench();
    // Writes the entry file afresh, empties the transfer folder and puts the named files into it.
    void reset(const std::map<std::string, std::string>& transferFiles);
    const std::filesystem::path& entry() const { return entry_; }
    const std::filesystem::path& transfer() const { return transfer_; }
    // The demo's prefecture table.
    std::filesystem::path kenCtl() const;
    // Runs f; when it ends in a refusal the entry file must hold what it held before, byte for
    // byte (a reader that refuses its input writes nothing): anything else aborts the run.
    void refusedLeavesEntry(const std::function<void()>& f) const;

private:
    std::filesystem::path demo_, entry_, transfer_;
    std::string pristine_;
};

using TargetFn = int (*)(const std::uint8_t*, std::size_t);
// The targets of a replay build, by name.
std::map<std::string, TargetFn>& targets();
bool registerTarget(const char* name, TargetFn fn);

} // namespace tolvfuzz

#ifdef TOLV_FUZZ_REPLAY
#define TOLV_FUZZ_TARGET(name)                                                                                                   \
    static int tolvFuzzTarget_##name(const std::uint8_t* data, std::size_t size);                                                \
    [[maybe_unused]] static const bool tolvFuzzRegistered_##name = tolvfuzz::registerTarget(#name, tolvFuzzTarget_##name);       \
    static int tolvFuzzTarget_##name(const std::uint8_t* data, std::size_t size)
#else
#define TOLV_FUZZ_TARGET(name) extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
#endif
