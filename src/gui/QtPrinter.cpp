#include "gui/QtPrinter.h"

#include "gui/Fonts.h"
#include "platform/Cp932.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace tolv::gui {

namespace {

constexpr double kTwipsPerInch = 1440.0;

// Columns of one character: CP932 bytes, or two for a character CP932 lacks.
int columnsOf(std::string_view ch)
{
    try {
        return static_cast<int>(cp932Length(ch));
    } catch (...) {
        return 2;
    }
}

} // namespace

QtPrinter::QtPrinter(QPainter& painter, QPagedPaintDevice& device) : painter_(painter), device_(device)
{
    installFontSubstitutions();
    const double sx = device.logicalDpiX() / kTwipsPerInch;
    const double sy = device.logicalDpiY() / kTwipsPerInch;
    painter_.resetTransform();
    painter_.scale(sx, sy);
    pageWidth_ = static_cast<int>(device.width() / sx);
    pageHeight_ = static_cast<int>(device.height() / sy);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    font_ = reportFont(fontName(), fontSize());
}

QFont QtPrinter::reportFont(const std::string& name, double size)
{
    QFont f(QString::fromStdString(name));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(std::max(1, static_cast<int>(size * 20.0 + 0.5)));
    f.setKerning(false);
    return f;
}

double QtPrinter::penWidth(int width) { return std::max(1, width) * 4.0; }

void QtPrinter::beginDrawing()
{
    for (; pendingPages_ > 0; --pendingPages_) {
        device_.newPage();
        ++pagesDrawn_;
    }
}

void QtPrinter::doFont(const std::string& name, double size) { font_ = reportFont(name, size); }

void QtPrinter::doText(int x, int y, std::string_view text)
{
    beginDrawing();
    painter_.setFont(font_);
    painter_.setPen(Qt::black);
    const QFontMetricsF m(font_, &device_);
    // The item's top is at y; the platform printer puts the top of the character cell there.
    const double em = fontSize() * 20.0;
    const double baseline = y + em * m.ascent() / std::max(1.0, m.ascent() + m.descent());
    const double half = em / 2.0;
    double cx = x;
    const std::u32string chars = toUtf32(text);
    for (char32_t c : chars) {
        std::string ch = fromUtf32(std::u32string_view(&c, 1));
        int cols = columnsOf(ch);
        if (c != U' ' && c != U'　') {
            const QString s = QString::fromUcs4(&c, 1);
            // Centre each glyph in its cell, so a face with other advances still fills the column.
            const double advance = m.horizontalAdvance(s);
            const double cell = cols * half;
            painter_.drawText(QPointF(cx + (cell - advance) / 2.0, baseline), s);
        }
        cx += cols * half;
    }
}

void QtPrinter::doLine(int x1, int y1, int x2, int y2, int width)
{
    beginDrawing();
    QPen pen(Qt::black);
    pen.setWidthF(penWidth(width));
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
    painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void QtPrinter::doBox(int x1, int y1, int x2, int y2, int width)
{
    beginDrawing();
    QPen pen(Qt::black);
    pen.setWidthF(penWidth(width));
    pen.setJoinStyle(Qt::MiterJoin);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)));
}

void QtPrinter::doNewPage()
{
    // The sheet is ended when the next item is drawn; new pages with nothing after them are dropped.
    ++pendingPages_;
}

void QtPrinter::doEnd()
{
    pendingPages_ = 0;
    if (painter_.isActive()) painter_.end();
}

} // namespace tolv::gui
