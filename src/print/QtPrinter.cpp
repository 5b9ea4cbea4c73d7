#include "print/QtPrinter.h"

#include "platform/Cp932.h"
#include "platform/Cp932Text.h"
#include "print/Fonts.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace tolv::gui {

namespace {

constexpr double kTwipsPerInch = 1440.0;

} // namespace

QtPrinter::QtPrinter(QPainter& painter, QPagedPaintDevice& device) : painter_(&painter), device_(&device)
{
    installFontSubstitutions();
    const double sx = device.logicalDpiX() / kTwipsPerInch;
    const double sy = device.logicalDpiY() / kTwipsPerInch;
    painter_->resetTransform();
    painter_->scale(sx, sy);
    pageWidth_ = static_cast<int>(device.width() / sx);
    pageHeight_ = static_cast<int>(device.height() / sy);
    painter_->setRenderHint(QPainter::Antialiasing, true);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
}

QtPrinter::QtPrinter(SheetFn sheet, int pageWidth, int pageHeight)
    : sheet_(std::move(sheet)), pageWidth_(pageWidth), pageHeight_(pageHeight)
{
    installFontSubstitutions();
}

QtPrinter::~QtPrinter() = default;

QFont QtPrinter::reportFont(const std::string& name, double size)
{
    QFont f(QString::fromStdString(name));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(std::max(1, static_cast<int>(size * 20.0 + 0.5)));
    f.setKerning(false);
    return f;
}

double QtPrinter::penWidth(int width) { return std::max(1, width) * 4.0; }

void QtPrinter::doFont(const std::string&, double) { face_ = nullptr; }

QtPrinter::Face& QtPrinter::face()
{
    if (face_) return *face_;
    const QString key = QString::fromStdString(fontName()) + QChar('\t') + QString::number(fontSize());
    auto& slot = faces_[key];
    if (!slot) {
        slot = std::make_shared<Face>();
        slot->font = reportFont(fontName(), fontSize());
        slot->metrics = std::make_unique<QFontMetricsF>(slot->font);
        const double a = slot->metrics->ascent(), d = slot->metrics->descent();
        slot->ascentShare = a / std::max(1.0, a + d);
        slot->raw = QRawFont::fromFont(slot->font);
    }
    face_ = slot.get();
    return *face_;
}

void QtPrinter::usePen(double width, bool forText)
{
    if (penWidth_ == (forText ? 0.0 : width)) return;
    penWidth_ = forText ? 0.0 : width;
    QPen pen(Qt::black);
    if (!forText) {
        pen.setWidthF(width);
        pen.setCapStyle(Qt::SquareCap);
        pen.setJoinStyle(Qt::MiterJoin);
    }
    painter_->setPen(pen);
}

void QtPrinter::sheetBegin(int page)
{
    flush();
    if (sheet_) {
        painter_ = sheet_(page);
        painterFont_ = nullptr;
        penWidth_ = -1;
        if (painter_) {
            painter_->setRenderHint(QPainter::Antialiasing, true);
            painter_->setRenderHint(QPainter::TextAntialiasing, true);
        }
    } else if (sheetsBegun_ > 0) {
        device_->newPage();
    }
    ++sheetsBegun_;
}

const QtPrinter::Shaped& QtPrinter::shape(Face& f, std::string_view text)
{
    auto hit = f.shaped.find(std::string(text));
    if (hit != f.shaped.end()) return hit->second;
    Shaped& sh = f.shaped[std::string(text)];
    sh.text = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const double em = f.font.pixelSize();
    const double half = em / 2.0;
    const QList<quint32> indexes = f.raw.isValid() ? f.raw.glyphIndexesForString(sh.text) : QList<quint32>();
    bool plain = f.raw.isValid() && !indexes.contains(0);
    qsizetype g = 0;
    for (qsizetype i = 0; i < sh.text.size(); ++i) {
        const QChar c = sh.text.at(i);
        char32_t u = c.unicode();
        qsizetype len = 1;
        if (c.isHighSurrogate() && i + 1 < sh.text.size()) {
            u = QChar::surrogateToUcs4(c, sh.text.at(i + 1));
            len = 2;
        }
        const int columns = cp932Columns(u);
        const double cell = columns * half;
        double advance = 0;
        if (len == 1) {
            auto known = f.advance.constFind(c.unicode());
            if (known == f.advance.constEnd()) known = f.advance.insert(c.unicode(), f.metrics->horizontalAdvance(c));
            advance = *known;
        } else {
            advance = f.metrics->horizontalAdvance(sh.text.mid(i, len));
        }
        // A character whose advance is not its cell is centred in it by drawRun.
        if (std::abs(advance - cell) > em / 64.0) plain = false;
        if (plain && g < indexes.size() && u != U' ' && u != U'\u3000') {
            sh.glyphs.append(indexes.at(g));
            sh.positions.append(QPointF(sh.columns * half, em * f.ascentShare));
        }
        ++g;
        sh.columns += columns;
        i += len - 1;
    }
    sh.glyphRun = plain && g == indexes.size();
    if (!sh.glyphRun) {
        sh.glyphs.clear();
        sh.positions.clear();
    }
    return sh;
}

void QtPrinter::sheetText(int x, int y, std::string_view text)
{
    if (!painter_) return;
    Face& f = face();
    held_.push_back(Held{&f, y, x, &shape(f, text)});
}

void QtPrinter::drawLines()
{
    if (lines_.isEmpty()) return;
    if (painter_ && painter_->isActive()) {
        usePen(linesWidth_, false);
        painter_->drawLines(lines_);
    }
    lines_.clear();
}

void QtPrinter::flush()
{
    drawLines();
    if (held_.empty()) return;
    std::vector<Held> items;
    items.swap(held_);
    if (!painter_ || !painter_->isActive()) return;
    std::stable_sort(items.begin(), items.end(), [](const Held& a, const Held& b) {
        if (a.face != b.face) return a.face < b.face;
        if (a.y != b.y) return a.y < b.y;
        return a.x < b.x;
    });
    for (std::size_t i = 0; i < items.size(); ++i) {
        Face& f = *items[i].face;
        const Shaped& sh = *items[i].shaped;
        if (sh.glyphRun) {
            f.glyphs += sh.glyphs;
            for (const QPointF& at : sh.positions) f.positions.append(QPointF(items[i].x + at.x(), items[i].y + at.y()));
        } else {
            drawRun(f, items[i].x, items[i].y, sh.text);
        }
        if (i + 1 == items.size() || items[i + 1].face != &f) drawGlyphs(f);
    }
    // Texts met on earlier sheets stay shaped; a job of ever new texts is not kept whole.
    for (auto& face : faces_) {
        if (face->shaped.size() > 20000) face->shaped.clear();
    }
}

void QtPrinter::drawGlyphs(Face& f)
{
    if (f.glyphs.isEmpty()) return;
    QGlyphRun run;
    run.setRawFont(f.raw);
    run.setGlyphIndexes(f.glyphs);
    run.setPositions(f.positions);
    painter_->drawGlyphRun(QPointF(0, 0), run);
    f.glyphs.clear();
    f.positions.clear();
}

void QtPrinter::drawRun(Face& f, double x, int y, const QString& s)
{
    if (painterFont_ != &f.font) {
        painter_->setFont(f.font);
        painterFont_ = &f.font;
    }
    usePen(0, true);
    // The item's top is at y; the platform printer puts the top of the character cell there.
    const double em = f.font.pixelSize();
    const double half = em / 2.0;
    const double baseline = y + em * f.ascentShare;
    // Runs of characters whose face advance is their cell are drawn in one call; others are
    // centred in their cell one by one, so a face with other advances still fills the column.
    double cx = x, runX = x;
    qsizetype runStart = 0;
    auto flushRun = [&](qsizetype end) {
        if (end <= runStart) return;
        const QString run = s.mid(runStart, end - runStart);
        auto hit = f.runs.constFind(run);
        if (hit == f.runs.constEnd()) {
            if (f.runs.size() > 20000) f.runs.clear();
            QGlyphRun glyphs;
            if (f.raw.isValid()) {
                const QList<quint32> indexes = f.raw.glyphIndexesForString(run);
                QList<quint32> inked;
                QList<QPointF> positions;
                double at = 0;
                qsizetype g = 0;
                for (qsizetype k = 0; k < run.size(); ++k) {
                    const QChar c = run.at(k);
                    if (c.isLowSurrogate()) continue;
                    // Blanks leave no ink: only their cell is kept (a blank glyph costs a PDF operator).
                    if (c != QChar(' ') && c != QChar(0x3000) && g < indexes.size()) {
                        inked.append(indexes.at(g));
                        positions.append(QPointF(at, 0));
                    }
                    ++g;
                    at += cp932Columns(c.isHighSurrogate() && k + 1 < run.size() ? QChar::surrogateToUcs4(c, run.at(k + 1))
                                                                                 : c.unicode()) *
                          half;
                }
                if (indexes.size() == g && !indexes.contains(0)) {
                    glyphs.setRawFont(f.raw);
                    glyphs.setGlyphIndexes(inked);
                    glyphs.setPositions(positions);
                }
            }
            hit = f.runs.insert(run, glyphs);
        }
        if (hit->isEmpty()) {
            if (run.trimmed().isEmpty()) return;
            painter_->drawText(QPointF(runX, baseline), run);
            return;
        }
        f.glyphs += hit->glyphIndexes();
        for (const QPointF& at : hit->positions()) f.positions.append(QPointF(runX + at.x(), baseline + at.y()));
    };
    for (qsizetype i = 0; i < s.size();) {
        const qsizetype at = i;
        char32_t c = s.at(i).unicode();
        qsizetype len = 1;
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(s.at(i), s.at(i + 1));
            len = 2;
        }
        i += len;
        const double cell = cp932Columns(c) * half;
        double advance = cell;
        if (len == 1) {
            auto hit = f.advance.constFind(char16_t(c));
            if (hit == f.advance.constEnd()) hit = f.advance.insert(char16_t(c), f.metrics->horizontalAdvance(QChar(c)));
            advance = *hit;
        } else {
            advance = f.metrics->horizontalAdvance(s.mid(at, len));
        }
        if (std::abs(advance - cell) > em / 64.0) {
            flushRun(at);
            if (c != U' ' && c != U'\u3000') painter_->drawText(QPointF(cx + (cell - advance) / 2.0, baseline), s.mid(at, len));
            runStart = i;
            runX = cx + cell;
        }
        cx += cell;
    }
    flushRun(s.size());
}

void QtPrinter::sheetLine(int x1, int y1, int x2, int y2, int width)
{
    if (!painter_) return;
    if (linesWidth_ != penWidth(width)) {
        drawLines();
        linesWidth_ = penWidth(width);
    }
    lines_.append(QLineF(x1, y1, x2, y2));
}

void QtPrinter::sheetBox(int x1, int y1, int x2, int y2, int width)
{
    if (!painter_) return;
    drawLines();
    usePen(penWidth(width), false);
    painter_->setBrush(Qt::NoBrush);
    painter_->drawRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)));
}

void QtPrinter::sheetEnd()
{
    flush();
    if (!sheet_ && painter_ && painter_->isActive()) painter_->end();
}

} // namespace tolv::gui
