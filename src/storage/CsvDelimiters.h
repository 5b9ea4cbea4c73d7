#pragma once
// The half-width comma and double quote delimit the comma-separated exports. A text field never
// holds them: typing them is refused (the entry window, tolv add and set-header, with the reason),
// imports and merges store them full-width ("，", "＂") and list the swimmers changed, and an export
// of an older file that still holds them writes them full-width and names the swimmers, so no
// exported line ever gains or loses a column.
#include "storage/Records.h"

#include <string>
#include <string_view>
#include <vector>

namespace tolv {

// Whether UTF-8 (or CP932: the two bytes are the same and never part of a double-byte character)
// text holds a half-width comma or double quote.
bool holdsCsvDelimiter(std::string_view text);
// What the user is told when a box or an option holding one is refused; `label` names the box.
std::string csvDelimiterRefusal(const std::string& label);
// UTF-8 text with each half-width comma and double quote as its full-width form. The export code
// calls it for every field it writes.
std::string fullWidthDelimiters(std::string_view utf8);
// The same on CP932 text (the bytes of a field as written), appended to `out`: the half-width
// comma and double quote are single bytes that are never part of a double-byte character.
void appendFullWidthDelimitersCp932(std::string_view cp932, std::string& out);

// The same for the double quote alone, for a field that is always quoted and may hold a comma of
// its own (an amount "1,000").
std::string fullWidthQuotes(std::string_view utf8);

// The text fields of a swimmer record that may hold them.
const std::vector<Field>& swimmerTextFields();
// Stores the full-width forms in the text fields of `s` (a field that then overruns its width is
// cut at a character); true when anything changed.
bool storeDelimitersFullWidth(SwimmerRecord& s);
// Whether a text field of `s` holds a half-width comma or double quote.
bool swimmerHoldsCsvDelimiter(const SwimmerRecord& s);
// "選手 3 山田，太郎" for the lists of swimmers changed or named.
std::string delimiterSwimmerLabel(std::size_t n, const SwimmerRecord& s);
// For imports and merges: stores the full-width forms in every swimmer; the labels of those
// changed (n counted from 1 in `swimmers`).
std::vector<std::string> storeDelimitersFullWidth(std::vector<SwimmerRecord>& swimmers);
// The line that lists them, empty for none.
std::string delimiterChangeNote(const std::vector<std::string>& labels, bool stored);

} // namespace tolv
