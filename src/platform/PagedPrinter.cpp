#include "platform/PagedPrinter.h"

#include <algorithm>

namespace tolv {

void PagedPrinter::setPageWindow(int first, int last)
{
    first_ = std::max(0, first);
    last_ = std::max(first_, last);
}

void PagedPrinter::begin(int page)
{
    if (page > last_) throw PagesDone{};
    if (onPageBegun) onPageBegun(page);
    if (page >= first_) sheetBegin(page);
}

bool PagedPrinter::place(int top, int bottom)
{
    if (!started_) {
        started_ = true;
        begin(0);
    }
    // Past the bottom: the item starts the next page. An item taller than a page, or one already at
    // the top, stays where it is (its overhang is cut off as on paper).
    const int height = pageHeight();
    if (top != lastTop_ && bottom - offset_ > height && top - offset_ > 0 && bottom - top <= height) {
        offset_ = top;
        ++pending_;
        ++continued_;
    }
    lastTop_ = top;
    for (; pending_ > 0; --pending_) begin(++page_);
    return page_ >= first_;
}

void PagedPrinter::doText(int x, int y, std::string_view text)
{
    if (place(y, y + textHeight())) sheetText(x, y - offset_, text);
}

void PagedPrinter::doLine(int x1, int y1, int x2, int y2, int width)
{
    if (place(std::min(y1, y2), std::max(y1, y2))) sheetLine(x1, y1 - offset_, x2, y2 - offset_, width);
}

void PagedPrinter::doBox(int x1, int y1, int x2, int y2, int width)
{
    if (place(std::min(y1, y2), std::max(y1, y2))) sheetBox(x1, y1 - offset_, x2, y2 - offset_, width);
}

void PagedPrinter::doNewPage()
{
    ++pending_;
    offset_ = 0;
    lastTop_ = std::numeric_limits<int>::min();
}

void PagedPrinter::doEnd()
{
    pending_ = 0;
    sheetEnd();
}

} // namespace tolv
