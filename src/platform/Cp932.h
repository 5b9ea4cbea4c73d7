#pragma once
// Conversion between the program's UTF-8 text and the CP932 (Windows Shift-JIS) bytes of its files.
#include <cstddef>
#include <string>
#include <string_view>

namespace tolv {

// UTF-8 -> CP932. Throws TolvError naming the character when a character has no CP932 form.
std::string toCp932(std::string_view utf8);

// CP932 -> UTF-8. A byte that is no CP932 character (or a lead byte cut off at the end) becomes
// U+FFFD, so damaged fields still show; use isValidCp932 to tell.
std::string fromCp932(std::string_view bytes);
bool isValidCp932(std::string_view bytes);

// Appends CP932 text as it would come back from toCp932(fromCp932(text)), without converting it
// twice: each character is looked up in a table of what decoding and encoding it again gives (a
// character CP932 holds twice, such as 0xFA54 and 0x81CA, comes back as the one toCp932 makes).
// False, with `out` unusable, when the text is not plain CP932 (a byte that is no character, a lead
// byte cut off, a character that does not come back as one): such text is left to the two
// conversions, which say what is wrong with it.
bool appendCp932RoundTrip(std::string_view cp932, std::string& out);

// True when the first byte of a two-byte CP932 character.
bool isCp932LeadByte(unsigned char c);

// Number of CP932 bytes of a UTF-8 text (full-width characters count 2, half-width kana 1).
std::size_t cp932Length(std::string_view utf8);

// Fit CP932 bytes to a field of `width` bytes: longer values are cut at a character boundary
// (a double-byte character that does not fit whole is replaced by a blank), shorter ones are
// padded with blanks.
std::string fitBytes(std::string_view cp932, std::size_t width, char pad = ' ');

// Cut CP932 bytes to at most `width` bytes at a character boundary (no padding).
std::string cutBytes(std::string_view cp932, std::size_t width);

// Split UTF-8 into code points; each ill-formed sequence becomes U+FFFD and the bytes after it are
// read as they are (the decoder of platform/Utf8.h).
std::u32string toUtf32(std::string_view utf8);
std::string fromUtf32(std::u32string_view text);

} // namespace tolv
