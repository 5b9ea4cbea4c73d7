#include "platform/Printer.h"

#include "platform/Cp932.h"

#include <charconv>
#include <cmath>

namespace tolv {

void Printer::setFont(const std::string& name, double size)
{
    fontName_ = name;
    fontSize_ = size;
    doFont(name, size);
}

int Printer::textWidth(std::string_view text) const
{
    std::size_t bytes = 0;
    try {
        bytes = cp932Length(text);
    } catch (...) {
        bytes = toUtf32(text).size() * 2;
    }
    return static_cast<int>(std::lround(static_cast<double>(bytes) * fontSize_ * 10.0));
}

int Printer::textHeight() const { return static_cast<int>(std::lround(fontSize_ * 20.0)); }

void Printer::print(std::string_view text, bool endLine)
{
    if (!text.empty()) doText(currentX, currentY, text);
    if (endLine) {
        currentX = 0;
        currentY += textHeight();
    } else {
        currentX += textWidth(text);
    }
}

void Printer::printAt(int x, std::string_view text, bool endLine)
{
    currentX = x;
    print(text, endLine);
}

void Printer::newLine() { print("", true); }

std::string Printer::numberItem(long long value)
{
    std::string digits = std::to_string(value < 0 ? -value : value);
    return (value < 0 ? "-" : " ") + digits + " ";
}

void Printer::line(int x1, int y1, int x2, int y2, int width) { doLine(x1, y1, x2, y2, width); }
void Printer::box(int x1, int y1, int x2, int y2, int width) { doBox(x1, y1, x2, y2, width); }

void Printer::newPage()
{
    doNewPage();
    currentX = 0;
    currentY = 0;
}

void Printer::endDoc()
{
    doEnd();
    currentX = 0;
    currentY = 0;
}

namespace {
// As a stream writes a double by default (%g, six significant digits), without a stream.
std::string sizeText(double size)
{
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, size, std::chars_format::general, 6);
    return std::string(buf, r.ptr);
}
} // namespace

namespace {

// Log lines are built in a string and written in one call: a report of a federation file has
// millions of them, and formatted stream output costs several times the drawing.
void field(std::string& line, int v)
{
    char buf[16];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    line += '\t';
    line.append(buf, r.ptr);
}

} // namespace

void PrintLog::doFont(const std::string& name, double size) { out_ << "font\t" << name << '\t' << sizeText(size) << '\n'; }
void PrintLog::doText(int x, int y, std::string_view text)
{
    line_.assign("text");
    field(line_, x);
    field(line_, y);
    line_ += '\t';
    line_ += text;
    line_ += '\n';
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}
void PrintLog::doLine(int x1, int y1, int x2, int y2, int w)
{
    line_.assign("line");
    for (int v : {x1, y1, x2, y2, w}) field(line_, v);
    line_ += '\n';
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}
void PrintLog::doBox(int x1, int y1, int x2, int y2, int w)
{
    line_.assign("box");
    for (int v : {x1, y1, x2, y2, w}) field(line_, v);
    line_ += '\n';
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}
void PrintLog::doNewPage() { out_ << "page\n"; }
void PrintLog::doEnd()
{
    out_ << "end\n";
    out_.flush();
}

void TeePrinter::doText(int x, int y, std::string_view text)
{
    a_.currentX = x;
    a_.currentY = y;
    a_.print(text, false);
    b_.currentX = x;
    b_.currentY = y;
    b_.print(text, false);
}

} // namespace tolv
