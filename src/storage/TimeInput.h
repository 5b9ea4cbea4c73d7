#pragma once
// Times as a user types them from a results sheet, turned into the coded time value
// (minutes x 10000 + seconds x 100 + hundredths):
//
//   "1:05.23"  minutes ":" seconds "." hundredths      -> 10523
//   "1.05.23"  the same with a full stop after the minutes
//   "65.23"    seconds "." hundredths; 60 seconds and more carry into the minutes -> 10523
//   "10523"    the stored digit form, as the program has always taken it
//   "1:05"     minutes ":" seconds, no hundredths
//   "参加" … "棄権"  the result marks by their text
//
// Full-width digits, "：" and "．" count as their ASCII forms; surrounding blanks are ignored, so
// the text a time box shows is read back as the value it shows. An empty text is 0 (no time).
#include <cstdint>
#include <optional>
#include <string>

namespace tolv {

// The coded value, or nothing when the text is none of the forms above, a seconds field of a
// colon or full-stop form is 60 or more, a digit form holds 60 seconds or more (not a result
// mark), or the value has more than 99 minutes.
std::optional<std::int32_t> parseTime(const std::string& text);

// What the user is told when a time is refused.
std::string timeRefusedMessage(const std::string& text);

// The text a time box shows: formatTime, except that a non-zero value formatTime leaves empty
// (1 ... 9 hundredths as "0.07", a value no time can have by its digits), so a stored time is
// never invisible.
std::string shownTime(std::int32_t value);

} // namespace tolv
