#pragma once
// A file of counted records: record 1 begins with the count of data records, records 2..10 belong
// to the file's kind (header pages, or unused), and data record n is record n + 10. The entry file,
// the registration masters and the team totals file are laid out so.
//
// The count is only what the file claims: check() holds it against the data records the file
// actually holds (a partial last record counts as present), and each kind decides what a count
// that does not fit means (refused, or cut to what is there).
#include "storage/RecordFile.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace tolv {

class CountedRecordFile : public RecordFile {
public:
    // Records before data record 1.
    static constexpr long long kLeadRecords = 10;

    // The record number (1-based) of data record n.
    static constexpr long long recordOf(long long n) { return n + kLeadRecords; }
    // The byte offset of data record n in a file (or image) of `recordLength`-byte records.
    static constexpr std::size_t offsetOf(long long n, std::size_t recordLength)
    {
        return static_cast<std::size_t>(recordOf(n) - 1) * recordLength;
    }
    // The data records a file of `byteSize` bytes holds.
    static constexpr long long presentIn(long long byteSize, std::size_t recordLength)
    {
        const auto len = static_cast<long long>(recordLength);
        return std::max(0LL, (byteSize + len - 1) / len - kLeadRecords);
    }

    // A claimed count against the data records present.
    struct Count {
        long long claimed = 0;
        long long present = 0;
        bool fits() const { return claimed >= 0 && claimed <= present; }
        // The claim cut to what the file holds (a negative claim is none).
        long long usable() const { return std::clamp(claimed, 0LL, present); }
    };

    using RecordFile::RecordFile;

    long long present() const { return presentIn(byteSize(), recordLength()); }
    Count check(long long claimed) const { return Count{claimed, present()}; }

    // Data record n (1-based) into buf; beyond the end of the file it reads as zeros.
    void readData(long long n, char* buf) const { read(recordOf(n), buf); }
    void writeData(long long n, const char* buf) { write(recordOf(n), buf); }
    // Data records first .. first + count - 1 in one read (zeros beyond the end).
    std::string readDataRange(long long first, long long count) const { return readRange(recordOf(first), count); }
    void readDataRangeInto(long long first, long long count, char* buf) const { readRangeInto(recordOf(first), count, buf); }
};

} // namespace tolv
