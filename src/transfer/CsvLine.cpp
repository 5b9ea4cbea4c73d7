#include "transfer/CsvLine.h"

#include "platform/Cp932.h"
#include "platform/Error.h"
#include "storage/CsvDelimiters.h"

namespace tolv::exchange {

// Every field is one column: a half-width comma or double quote in it (an older file's, typed
// before they were refused) is written full-width.
CsvLine& CsvLine::q(const std::string& text)
{
    if (columns_++) text_ += ',';
    text_ += '"';
    text_ += fullWidthDelimiters(text);
    text_ += '"';
    return *this;
}

CsvLine& CsvLine::raw(const std::string& text)
{
    if (columns_++) text_ += ',';
    text_ += fullWidthDelimiters(text);
    return *this;
}

CsvLine& CsvLine::emptyQuoted(int n)
{
    for (int i = 0; i < n; ++i) q(std::string());
    return *this;
}

CsvLine& CsvLine::emptyRaw(int n)
{
    for (int i = 0; i < n; ++i) raw(std::string());
    return *this;
}

std::string CsvLine::text() const { return text_ + "\r\n"; }

CsvBytes& CsvBytes::q(std::string_view cp932)
{
    if (columns_) out_ += ',';
    columns_ = true;
    out_ += '"';
    appendFullWidthDelimitersCp932(cp932, out_);
    out_ += '"';
    return *this;
}

CsvBytes& CsvBytes::raw(std::string_view cp932)
{
    if (columns_) out_ += ',';
    columns_ = true;
    appendFullWidthDelimitersCp932(cp932, out_);
    return *this;
}

std::string csvColumns(const std::function<void(CsvLine&)>& add)
{
    CsvLine l;
    l.raw(std::string()); // the first column, which the made columns follow
    add(l);
    std::string text = l.text();
    text.resize(text.size() - 2); // CR LF
    return toCp932(text);
}

bool fieldBytes(std::string_view raw, std::string& out)
{
    out.clear();
    bool plain = true;
    for (char c : raw)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80) plain = false;
    if (plain) {
        out.assign(raw);
        return true;
    }
    thread_local std::string blanked;
    blanked.assign(raw);
    for (char& c : blanked)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    return appendCp932RoundTrip(blanked, out);
}

std::string encodeLine(const std::string& utf8, const std::string& where)
{
    try {
        return toCp932(utf8);
    } catch (const TolvError& e) {
        throw TolvError(where + ": " + e.what());
    }
}

} // namespace tolv::exchange
