#pragma once
// The conversions between UTF-8 and CP932 that platform/Cp932.cpp makes, on Windows through the
// system's own code page 932 (MultiByteToWideChar / WideCharToMultiByte, Cp932Convert.cpp), with
// the calling convention of iconv(3) that Cp932.cpp is written against: a failed character stops
// the conversion there with errno EILSEQ (no CP932 or UTF-8 form), EINVAL (cut off at the end of
// the input) or E2BIG (no room left in the output). Only "CP932" <-> "UTF-8" is offered.
#include <cstddef>

using iconv_t = void*;

iconv_t iconv_open(const char* to, const char* from);
std::size_t iconv(iconv_t cd, char** in, std::size_t* inLeft, char** out, std::size_t* outLeft);
int iconv_close(iconv_t cd);
