#pragma once
// A printer that is a device with sheets of paper, as the platform printer is: what a report draws
// lands on numbered pages (0, 1, ...) of the printable area's size.
//
// A line that would run past the bottom of the printable area continues at the top of the next
// page: the device ends the page and prints the line at y 0, its x unchanged; what follows on the
// report's coordinates moves up by the same amount, until the report begins a page of its own,
// which starts again at the report's y. A report that makes its own pages never meets this (it
// fits its pages), and nothing of its head is repeated on a continued page. Items of one line
// (the same y as the item before) stay on the page together.
//
// A page is begun when the first thing is drawn on it, so a job whose last command is a new page
// does not end with an empty sheet; a new page between two drawn ones gives a blank sheet.
//
// The device sees only the pages of its window (all by default); past the window's last page the
// run is stopped by throwing PagesDone, which the caller catches: a preview draws the pages it
// shows without drawing the whole job onto them. onPageBegun is told of every page begun (in the
// window or not) and may throw to end the job (a cancelled print).
#include "platform/Printer.h"

#include <functional>
#include <limits>

namespace tolv {

class PagedPrinter : public Printer {
public:
    // Thrown by a drawing call once the window's last page is complete.
    struct PagesDone {};

    // Only pages first..last (0-based) reach the device.
    void setPageWindow(int first, int last);
    std::function<void(int page)> onPageBegun;

    // Pages begun so far; a job that drew nothing has its one empty first sheet.
    int pages() const { return page_ + 1; }
    // Of them, pages begun because a line ran past the bottom.
    int continuedPages() const { return continued_; }

protected:
    // Page `page` begins on the device (page 0 with the first drawing of the job).
    virtual void sheetBegin(int page) = 0;
    // Drawing on the current sheet, y counted from the top of its printable area.
    virtual void sheetText(int x, int y, std::string_view text) = 0;
    virtual void sheetLine(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void sheetBox(int x1, int y1, int x2, int y2, int width) = 0;
    virtual void sheetEnd() = 0;

    void doText(int x, int y, std::string_view text) final;
    void doLine(int x1, int y1, int x2, int y2, int width) final;
    void doBox(int x1, int y1, int x2, int y2, int width) final;
    void doNewPage() final;
    void doEnd() final;

private:
    // Begins pages as needed for an item from report y `top` to `bottom`; true when it is drawn.
    bool place(int top, int bottom);
    void begin(int page);

    int page_ = 0;
    bool started_ = false;
    int pending_ = 0;
    int offset_ = 0; // report y of the current page's top
    int lastTop_ = std::numeric_limits<int>::min();
    int continued_ = 0;
    int first_ = 0;
    int last_ = std::numeric_limits<int>::max();
};

// Counts the pages of a job without drawing them.
class PageCounter : public PagedPrinter {
public:
    PageCounter(int width, int height) : width_(width), height_(height) {}
    int pageWidth() const override { return width_; }
    int pageHeight() const override { return height_; }

protected:
    void doFont(const std::string&, double) override {}
    void sheetBegin(int) override {}
    void sheetText(int, int, std::string_view) override {}
    void sheetLine(int, int, int, int, int) override {}
    void sheetBox(int, int, int, int, int) override {}
    void sheetEnd() override {}

private:
    int width_, height_;
};

} // namespace tolv
