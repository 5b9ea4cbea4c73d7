#include "checks/CheckSupport.h"

#include "platform/Cp932.h"
#include "storage/Codes.h"

#include <algorithm>

namespace tolv {

std::string fieldBytes(const SwimmerRecord& s, Field f) { return s.padded(f); }

std::string printedField(const SwimmerRecord& s, Field f) { return fromCp932(s.padded(f)); }

std::optional<std::string> derivedGrade(const SwimmerRecord& s, const EntryHeader& h)
{
    if (h.kubun() == 2) return std::nullopt;
    std::optional<std::int32_t> birth = strictBirth(s);
    if (!birth) return std::nullopt;
    return gradeCode(*birth, 0, h.kijunBi(), h.kubun());
}

std::string rightJustified(long long value, std::size_t width)
{
    std::string digits = std::to_string(value);
    if (digits.size() >= width) return digits.substr(digits.size() - width);
    return std::string(width - digits.size(), ' ') + digits;
}

std::vector<SwimmerRecord> allSwimmers(const EntryStore& store) { return store.readAllSwimmers(); }

namespace {

bool showsRecord(const SwimmerRecord& buffer, SwimmerRecord stored)
{
    EntryStore::readIntoBuffer(stored);
    return stored == buffer;
}

} // namespace

KeepCurrentSwimmer::KeepCurrentSwimmer(EntryStore& store, const std::vector<SwimmerRecord>& records)
    : store_(store), saved_(store.swimmer())
{
    // The buffer normally holds the record its seq names; after a re-sort seq may be stale, so look
    // for the stored record it shows.
    const int total = static_cast<int>(records.size());
    const int seq = saved_.seq();
    if (seq >= 1 && seq <= total && showsRecord(saved_, records[std::size_t(seq - 1)])) {
        number_ = seq;
        return;
    }
    for (int n = 1; n <= total; ++n) {
        if (showsRecord(saved_, records[std::size_t(n - 1)])) {
            number_ = n;
            return;
        }
    }
}

KeepCurrentSwimmer::~KeepCurrentSwimmer()
{
    // A read that fails leaves the buffer as it was.
    try {
        if (number_ >= 1 && number_ <= store_.header().total()) store_.readSwimmer(number_);
    } catch (...) {
    }
}

} // namespace tolv
