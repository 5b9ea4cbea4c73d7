#pragma once
// Input files for the import tests, built from their layouts: quoted comma lines, fixed byte
// columns, and a transfer folder beside an entry file.
#include "checks/EntryFixture.h"
#include "platform/Prompt.h"
#include "support/TestSupport.h"
#include "transfer/ImportSupport.h"

#include <map>
#include <string>
#include <vector>

namespace importtest {

namespace fs = std::filesystem;

// One CSV line of CP932 bytes: every field quoted, CR LF at the end. UTF-8 given, CP932 written.
inline std::string quoted(const std::vector<std::string>& fields)
{
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? ",\"" : "\"") + tolvtest::sj(fields[i]) + "\"";
    return line + "\r\n";
}

// `count` fields, all empty but the 1-based columns given.
inline std::vector<std::string> columns(std::size_t count, const std::map<std::size_t, std::string>& set)
{
    std::vector<std::string> f(count);
    for (auto& [col, v] : set) f.at(col - 1) = v;
    return f;
}

// An entry file (reference date 2005/04/01) and an empty transfer folder next to it.
struct ImportBench : checktest::EntryFixture {
    ImportBench() : EntryFixture("2005/04/01"), transfer(dir() / "transfer") { fs::create_directories(transfer); }
    void put(const std::string& name, const std::string& bytes) const { tolvtest::writeBytes(transfer / name, bytes); }
    tolv::ImportFolder folder() const { return tolv::importFolderAt(transfer); }
    const fs::path transfer;
};

} // namespace importtest
