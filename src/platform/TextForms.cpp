#include "platform/TextForms.h"

#include "platform/Error.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace tolv {
namespace {

std::unique_ptr<icu::Transliterator> transliterator(const char* rules)
{
    UErrorCode error = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(rules, UTRANS_FORWARD, error));
    enforce(U_SUCCESS(error) && made, std::string("ICU の文字変換を準備できません: ") + u_errorName(error));
    return made;
}

std::string transliterated(icu::Transliterator& t, const std::string& text)
{
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(text);
    t.transliterate(u);
    std::string out;
    u.toUTF8String(out);
    return out;
}

} // namespace

// One transliterator of each per thread, made on first use (building their rules takes a while).
std::string baseLetters(const std::string& utf8)
{
    thread_local std::unique_ptr<icu::Transliterator> base = transliterator("NFKD; [:Nonspacing Mark:] Remove; NFC");
    return transliterated(*base, utf8);
}

std::string latinLetters(const std::string& utf8)
{
    thread_local std::unique_ptr<icu::Transliterator> latin = transliterator("Any-Latin; Latin-ASCII");
    return transliterated(*latin, utf8);
}

} // namespace tolv
