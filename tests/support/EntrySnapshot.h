#pragma once
// What an entry file holds on disk, read without opening a store: a test can look at a file that
// a window or another store holds under its lock.
#include "storage/Records.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <vector>

namespace tolvtest {

struct EntrySnapshot {
    tolv::EntryHeader header;
    tolv::ReserveEvents reserve;
    std::vector<tolv::SwimmerRecord> swimmers; // 1 .. total
    const tolv::SwimmerRecord& swimmerAt(int n) const { return swimmers.at(static_cast<std::size_t>(n - 1)); }
};

inline EntrySnapshot readEntry(const fs::path& file)
{
    const std::string bytes = readBytes(file);
    auto record = [&](std::size_t n, char* out) {
        const std::size_t at = (n - 1) * tolv::kEntryRecordLength;
        if (at >= bytes.size()) return;
        std::copy_n(bytes.data() + at, std::min(tolv::kEntryRecordLength, bytes.size() - at), out);
    };
    EntrySnapshot s;
    record(1, s.header.bytes().data());
    record(2, s.reserve.bytes().data());
    for (int n = 1; n <= s.header.total(); ++n) {
        tolv::SwimmerRecord r;
        record(static_cast<std::size_t>(n) + 10, r.bytes().data());
        s.swimmers.push_back(r);
    }
    return s;
}

} // namespace tolvtest
