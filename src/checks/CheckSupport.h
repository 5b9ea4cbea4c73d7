#pragma once
// What the check reports and the bulk rewrites share: fields as they are printed and compared, the
// birth date coded in the old registration number, and keeping the entry window's current swimmer
// across a pass over the file.
#include "storage/EntryStore.h"
#include "storage/Records.h"
#include "storage/SwimmerBirth.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// A text field at its full fixed width as CP932 bytes; bytes never assigned (NUL) count as blanks,
// so an untouched field and an emptied one print and compare alike.
std::string fieldBytes(const SwimmerRecord& s, Field f);
// The same field as UTF-8 for printing.
std::string printedField(const SwimmerRecord& s, Field f);

// Grade code the birth date gives under the header's competition kind, grade shift 0. Nothing when
// the birth date is unreadable, and nothing for kind 2, whose class codes are typed by hand and
// cannot be derived.
std::optional<std::string> derivedGrade(const SwimmerRecord& s, const EntryHeader& h);

// Decimal text blank-padded on the left and cut to its last `width` characters.
std::string rightJustified(long long value, std::size_t width);

// Every swimmer record 1 .. total, read in one pass without touching the store's swimmer buffer.
std::vector<SwimmerRecord> allSwimmers(const EntryStore& store);

// Remembers which swimmer the store's buffer shows and shows it again when the pass ends (also when
// it ends with an error), re-read from the file so rewritten fields are visible; when that read
// fails the buffer keeps what it showed.
class KeepCurrentSwimmer {
public:
    // `records` are the swimmer records just read from the file (readAllSwimmers).
    KeepCurrentSwimmer(EntryStore& store, const std::vector<SwimmerRecord>& records);
    ~KeepCurrentSwimmer();
    KeepCurrentSwimmer(const KeepCurrentSwimmer&) = delete;
    KeepCurrentSwimmer& operator=(const KeepCurrentSwimmer&) = delete;
    // The record number the buffer showed, 0 when none.
    int number() const { return number_; }

private:
    EntryStore& store_;
    SwimmerRecord saved_;
    int number_ = 0;
};

} // namespace tolv
