#pragma once
// The printer every report draws on: the text output model of the platform printer.
//
// Positions are twips (1440 per inch) from the top-left of the printable area. Printing a text item
// draws it at the current position; it then either ends the line (x back to 0, y down one line
// height) or stays on the line (x moves past the item). Text metrics are those of a fixed-pitch
// Mincho face: a half-width character is half the font size wide, a full-width one the whole size,
// and a line is the font size high, so every backend places text at the same positions.
#include <string>
#include <string_view>
#include <ostream>

namespace tolv {

class Printer {
public:
    virtual ~Printer() = default;

    int currentX = 0;
    int currentY = 0;

    void setFont(const std::string& name, double size);
    void setFontSize(double size) { setFont(fontName_, size); }
    const std::string& fontName() const { return fontName_; }
    double fontSize() const { return fontSize_; }

    // Prints a text item at the current position; endLine false keeps the position on the line.
    void print(std::string_view text, bool endLine = true);
    // Prints at x on the current line.
    void printAt(int x, std::string_view text, bool endLine = true);
    // Ends the current line without printing (an empty line when nothing was printed on it).
    void newLine();
    // A number item: a blank in place of the plus sign (or "-"), the digits, a trailing blank.
    static std::string numberItem(long long value);
    void printNumber(long long value, bool endLine = true) { print(numberItem(value), endLine); }

    void line(int x1, int y1, int x2, int y2, int width = 1);
    void box(int x1, int y1, int x2, int y2, int width = 1);
    void newPage();
    void endDoc();

    // What a report draws between these two is a part it draws the same on many sheets (a form's
    // printed template), named by `key`. A printer that can keep such a part once per document
    // and place it on each sheet does so; to every other printer they mean nothing.
    void beginFixedPart(std::string_view key) { doBeginFixedPart(key); }
    void endFixedPart() { doEndFixedPart(); }

    int textWidth(std::string_view text) const;
    int textHeight() const;

    // Printable area of an A4 portrait sheet.
    virtual int pageWidth() const { return 11906; }
    virtual int pageHeight() const { return 16838; }

protected:
    virtual void doFont(const std::string& name, double size) = 0;
    virtual void doText(int x, int y, std::string_view text) = 0;
    virtual void doLine(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void doBox(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void doNewPage() = 0;
    virtual void doEnd() = 0;
    virtual void doBeginFixedPart(std::string_view) {}
    virtual void doEndFixedPart() {}

private:
    std::string fontName_ = "ＭＳ 明朝";
    double fontSize_ = 10;
};

// Writes one operation per line (tab-separated, UTF-8, twips) for tests and the CLI:
// font NAME SIZE / text X Y TEXT / line X1 Y1 X2 Y2 WIDTH / box X1 Y1 X2 Y2 WIDTH / page / end
class PrintLog : public Printer {
public:
    explicit PrintLog(std::ostream& out) : out_(out) {}

protected:
    void doFont(const std::string& name, double size) override;
    void doText(int x, int y, std::string_view text) override;
    void doLine(int x1, int y1, int x2, int y2, int width) override;
    void doBox(int x1, int y1, int x2, int y2, int width) override;
    void doNewPage() override;
    void doEnd() override;

private:
    std::ostream& out_;
    std::string line_;
};

// Two printers at once (the CLI's --print-log with --pdf).
class TeePrinter : public Printer {
public:
    TeePrinter(Printer& a, Printer& b) : a_(a), b_(b) {}
    int pageWidth() const override { return a_.pageWidth(); }
    int pageHeight() const override { return a_.pageHeight(); }

protected:
    void doFont(const std::string& name, double size) override
    {
        a_.setFont(name, size);
        b_.setFont(name, size);
    }
    void doText(int x, int y, std::string_view text) override;
    void doLine(int x1, int y1, int x2, int y2, int width) override
    {
        a_.line(x1, y1, x2, y2, width);
        b_.line(x1, y1, x2, y2, width);
    }
    void doBox(int x1, int y1, int x2, int y2, int width) override
    {
        a_.box(x1, y1, x2, y2, width);
        b_.box(x1, y1, x2, y2, width);
    }
    void doNewPage() override
    {
        a_.newPage();
        b_.newPage();
    }
    void doEnd() override
    {
        a_.endDoc();
        b_.endDoc();
    }
    void doBeginFixedPart(std::string_view key) override
    {
        a_.beginFixedPart(key);
        b_.beginFixedPart(key);
    }
    void doEndFixedPart() override
    {
        a_.endFixedPart();
        b_.endFixedPart();
    }

private:
    Printer& a_;
    Printer& b_;
};

} // namespace tolv
