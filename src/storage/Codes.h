#pragma once
// Event slots and codes, result marks, sexes, grades and ages.
#include "storage/Records.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tolv {

constexpr int kIndividualSlots = 22;  // slots 0..21: individual standard events
constexpr int kStandardSlots = 29;    // slots 0..28: standard events (22..28 relays)
constexpr int kFirstReserveSlot = 29; // slots 29..43: reserve events 1..15

// Two-digit event code of a slot ("10" .. "94"), and the slot of a code (nothing for codes that
// name no slot, e.g. "95".."98", "17", "55").
std::string eventCode(int slot);
std::optional<int> slotOfCode(const std::string& code);
// The entry window's slot selection from a two-character code: second digit + offset of the
// first digit (1 -> 0, 2 -> 7, 3 -> 11, 4 -> 15, 5 -> 17, 6 -> 20, 7 -> 23, 8 -> 29, 9 -> 39);
// nothing when the first character is not 1..9, the second not a digit, or the slot is beyond 43.
std::optional<int> slotFromTypedCode(const std::string& code);
// Label of a slot in the entry window: "  25m 10", "1500m 16", reserve slots the bare code.
std::string slotLabel(int slot);
// Full name for event number 1..29 (slot + 1); empty otherwise.
std::string eventName(int number);
bool isIndividualStandardSlot(int slot);
// Relay: standard slots 22..28, reserve slots whose flag is "1" (pass the slot's yobiRelay text).
bool isRelaySlot(int slot, const std::string& reserveRelayFlag = std::string());

std::string sexText(const std::string& code);

// Display text of a time or result mark (the marks: ResultMark, next to SwimmerRecord).
std::string formatTime(std::int32_t value);
// Text of a result mark value, empty when the value is no mark.
std::string markText(std::int32_t value);
bool isResultMark(std::int32_t value);

// Grade code from birth YYYYMMDD, grade shift, reference date text yyyy/mm/dd and competition kind.
std::string gradeCode(std::int32_t birth, std::int16_t gradeShift, const std::string& kijunBi, int kubun);
std::string gradeText(const std::string& code, int kubun);
int ageOn(std::int32_t birth, const std::string& kijunBi);

// CP932 byte length of a text (full-width 2, half-width 1), as the text would be written. A
// character without a CP932 form (a replacement character from a damaged field, say) counts as
// full-width, so printed columns still line up.
std::size_t byteLength(const std::string& text);
// The bytes one code point takes: ASCII, the yen sign and the overline (written as 0x5C and 0x7E)
// and half-width katakana 1; Unicode language tags 0 (the converter drops them); every other 2.
std::size_t cp932Width(char32_t c);

// Date text rules: year = chars 1-4, month = chars 6-7, day = chars 9-10 of yyyy/mm/dd.
int dateYear(const std::string& dateText);
int dateMonth(const std::string& dateText);
int dateDay(const std::string& dateText);
// MMDD of a date text, and of a birth date number.
int dateMonthDay(const std::string& dateText);
int birthYear(std::int32_t birth);
int birthMonthDay(std::int32_t birth);
// Eight digits yyyymmdd -> "yyyy/mm/dd"; nothing when the text is not exactly eight characters.
std::optional<std::string> dateFromEightDigits(const std::string& typed);
// "yyyy/mm/dd" -> YYYYMMDD number (0 when unreadable).
std::int32_t dateNumber(const std::string& dateText);

// The numeric value of a text as the platform's Val reads it: leading blanks skipped, optional
// sign, digits up to the first non-digit; 0 when there are none.
long long numericValue(const std::string& text);

} // namespace tolv
