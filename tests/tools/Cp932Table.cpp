// Writes what this build's CP932 conversion makes of every CP932 byte sequence (one byte, lead and
// trail byte) and of every Unicode scalar value of the Basic Multilingual Plane plus a few beyond
// it: the bytes in hex, or "-" where the conversion refuses. The Linux and the Windows build each
// write it and `make windows-test` compares the two files byte for byte.
#include "platform/Cp932.h"
#include "platform/Error.h"

#include <cstdio>
#include <string>

namespace {

std::string hex(const std::string& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

void decode(std::FILE* out, const std::string& bytes)
{
    const bool valid = tolv::isValidCp932(bytes);
    std::fprintf(out, "%s %s %s\n", hex(bytes).c_str(), valid ? "ok" : "bad", hex(tolv::fromCp932(bytes)).c_str());
}

void encode(std::FILE* out, char32_t c)
{
    const std::string utf8 = tolv::fromUtf32(std::u32string(1, c));
    std::string result;
    try {
        result = hex(tolv::toCp932(utf8));
    } catch (const tolv::TolvError&) {
        result.assign(1, '-');
    }
    std::fprintf(out, "U+%04X %s\n", static_cast<unsigned>(c), result.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
    if (!out) return 1;
    for (int b = 0; b < 256; ++b) decode(out, std::string(1, static_cast<char>(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!tolv::isCp932LeadByte(static_cast<unsigned char>(lead))) continue;
        for (int trail = 0; trail < 256; ++trail) decode(out, std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
    for (char32_t c = 1; c < 0x10000; ++c)
        if (c < 0xD800 || c > 0xDFFF) encode(out, c);
    for (char32_t c : {U'\U0001F600', U'\U00020B9F', U'\U0010FFFF'}) encode(out, c);
    return std::fclose(out) == 0 ? 0 : 1;
}
