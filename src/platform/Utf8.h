#pragma once
// The one UTF-8 decoder of the program, for every text that comes in as UTF-8 (Lenex files, the
// command line, the windows' text, what decoding CP932 gives). It follows the well-formed table of
// the Unicode standard: no overlong forms, no surrogates, nothing above U+10FFFF, every
// continuation byte checked. Platform-independent: both codec halves (iconv, Win32) use it.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tolv {

// Where a text stops being well-formed UTF-8: the byte offset and length of the first ill-formed
// sequence (its maximal part, so what follows it is never taken with it) and its line (from 1).
struct Utf8Fault {
    std::size_t offset = 0;
    std::size_t length = 1;
    int line = 1;
};
std::optional<Utf8Fault> findUtf8Fault(std::string_view text);
bool isValidUtf8(std::string_view text);

// "UTF-8 として読めないバイトがあります（0xE9）": the bytes of the fault in hexadecimal.
std::string utf8FaultMessage(std::string_view text, const Utf8Fault& fault);

// Strict: throws TolvError "<what>: UTF-8 として読めないバイトがあります（0x..）" for text that is not
// well-formed; `where` names the file (its line is added) or the argument.
void requireUtf8(std::string_view text, const std::string& where, bool withLine = true);

// Lenient: code points, each ill-formed sequence (its maximal part) becoming `replacement` while
// the bytes after it are decoded as they are.
std::u32string decodeUtf8(std::string_view text, char32_t replacement);
// Lenient, bytes to bytes: each ill-formed sequence becomes `replacement`; well-formed text is
// returned as it is.
std::string repairUtf8(std::string_view text, std::string_view replacement);

// Code points to UTF-8.
std::string encodeUtf8(std::u32string_view text);

} // namespace tolv
