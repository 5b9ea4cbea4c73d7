#include "storage/TextFold.h"

#include "platform/Cp932.h"
#include "platform/Error.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <memory>

namespace tolv {
namespace {

bool hasCp932Form(std::string_view utf8)
{
    try {
        (void)toCp932(utf8);
        return true;
    } catch (const TolvError&) {
        return false;
    }
}

// One transliterator per thread, made on first use (its rules take a few milliseconds to build).
icu::Transliterator& folder()
{
    thread_local std::unique_ptr<icu::Transliterator> t = [] {
        UErrorCode error = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> made(icu::Transliterator::createInstance(
            "NFKD; [:Nonspacing Mark:] Remove; Any-Latin; Latin-ASCII", UTRANS_FORWARD, error));
        enforce(U_SUCCESS(error) && made, std::string("ICU の文字変換を準備できません: ") + u_errorName(error));
        return made;
    }();
    return *t;
}

std::string foldOne(const std::string& character)
{
    icu::UnicodeString u = icu::UnicodeString::fromUTF8(character);
    folder().transliterate(u);
    std::string out;
    u.toUTF8String(out);
    // What the decomposition leaves without a CP932 form (emoji, scripts without a Latin form).
    std::string fitting;
    for (char32_t c : toUtf32(out)) {
        if (isControlCharacter(c)) continue;
        const std::string piece = fromUtf32(std::u32string_view(&c, 1));
        fitting += hasCp932Form(piece) ? piece : "?";
    }
    return fitting;
}

} // namespace

FoldedText foldToCp932(std::string_view utf8)
{
    FoldedText r;
    bool plain = true;
    for (unsigned char c : utf8)
        if (c < 0x20 || c == 0x7F || c >= 0x80) plain = false;
    if (plain || (hasCp932Form(utf8) && [&] {
            for (char32_t c : toUtf32(utf8))
                if (isControlCharacter(c)) return false;
            return true;
        }())) {
        r.text = std::string(utf8);
        return r;
    }
    for (char32_t c : toUtf32(utf8)) {
        if (isControlCharacter(c)) {
            r.controls = true;
            continue;
        }
        const std::string piece = fromUtf32(std::u32string_view(&c, 1));
        if (c < 0x80 || hasCp932Form(piece)) {
            r.text += piece;
        } else {
            r.text += foldOne(piece);
            r.folded = true;
        }
    }
    return r;
}

} // namespace tolv
