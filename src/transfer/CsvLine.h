#pragma once
// Comma-separated lines of the transfer files, with the quoting the foreign systems read, built as
// text or straight in CP932 bytes.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tolv::exchange {

// One comma-separated line: each column quoted or raw, no escaping inside quotes (the foreign
// systems read it that way); text() ends the line with CR LF.
class CsvLine {
public:
    CsvLine& q(const std::string& text);
    CsvLine& raw(const std::string& text);
    CsvLine& emptyQuoted(int n = 1);
    CsvLine& emptyRaw(int n = 1);
    std::size_t columns() const { return columns_; }
    std::string text() const;

private:
    std::string text_; // the columns so far, comma-separated
    std::size_t columns_ = 0;
};

// The same line written straight into a file's CP932 bytes: the columns are CP932 already (text
// fields copied through fieldBytes, not decoded and encoded again); each column gets the same
// quoting and full-width delimiters as CsvLine gives it.
class CsvBytes {
public:
    explicit CsvBytes(std::string& out) : out_(out) {}
    CsvBytes& q(std::string_view cp932);
    CsvBytes& raw(std::string_view cp932);
    // Columns made once for every line (csvColumns), appended as they are.
    CsvBytes& columns(std::string_view made)
    {
        out_ += made;
        columns_ = columns_ || !made.empty();
        return *this;
    }
    void end() { out_ += "\r\n"; }

private:
    std::string& out_;
    bool columns_ = false;
};

// Columns that are the same on every line, in CP932 as CsvLine writes them after a first column
// (each with its leading comma): `add` adds them to a CsvLine. Throws when a text has no CP932 form.
std::string csvColumns(const std::function<void(CsvLine&)>& add);

// fieldText as CP932: the field at its full width, control bytes blanked, each character as
// toCp932(fieldText(...)) gives it (appendCp932RoundTrip). False when the field is no plain CP932
// text: its line is then built through fieldText, which says what is wrong.
bool fieldBytes(std::string_view raw, std::string& out);

// A line in CP932; `where` names the line in the message when a character has no CP932 form.
std::string encodeLine(const std::string& utf8, const std::string& where);

} // namespace tolv::exchange
