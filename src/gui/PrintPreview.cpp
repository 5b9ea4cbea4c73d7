#include "gui/PrintPreview.h"

#include "gui/ErrNo.h"
#include "platform/PagedPrinter.h"
#include "platform/PrintQueue.h"
#include "print/Fonts.h"
#include "print/PdfFile.h"
#include "print/PdfPrinter.h"
#include "print/QtPrinter.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryFile>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <memory>
#include <ostream>
#include <streambuf>
#include <set>

namespace tolv::gui {

namespace {

int progressDelay = 1000;
std::function<bool(QWidget*, QPrinter&)> choosePrinter;

void showError(QWidget* parent, const std::string& message)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(message), QMessageBox::Ok,
                    parent);
    box.setObjectName("MsgBox");
    box.exec();
}

// "中止" pressed in the progress dialog.
struct Cancelled {};

// The busy pointer from the start of a run and, once the run has lasted progressDelay, a progress
// dialog of the pages done (of the total, when known) with "中止". The window keeps repainting:
// events are processed a few times a second, user input only once the modal dialog guards the
// windows behind it.
class Progress {
public:
    Progress(QWidget* parent, QString doing, int total) : parent_(parent), doing_(std::move(doing)), total_(total)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        clock_.start();
    }
    ~Progress()
    {
        delete dialog_;
        QApplication::restoreOverrideCursor();
    }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // `done` pages are complete.
    void page(int done)
    {
        const qint64 now = clock_.elapsed();
        if (now - lastEvents_ < 40 && !(dialog_ == nullptr && now >= progressDelay && lastEvents_ < progressDelay)) return;
        lastEvents_ = now;
        if (!dialog_ && now >= progressDelay) open();
        if (dialog_) {
            if (total_ > 0) dialog_->setValue(std::min(done, total_));
            dialog_->setLabelText(total_ > 0 ? QString("%1（%2 / %3 ページ）").arg(doing_).arg(done).arg(total_)
                                             : QString("%1（%2 ページ）").arg(doing_).arg(done));
            QCoreApplication::processEvents();
            if (dialog_->wasCanceled()) throw Cancelled{};
        } else {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        }
    }

private:
    void open()
    {
        dialog_ = new QProgressDialog(parent_);
        dialog_->setObjectName("PrintProgress");
        dialog_->setWindowTitle(QApplication::applicationName());
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->setMinimumWidth(360);
        auto* stop = new QPushButton(QString::fromUtf8("中止"));
        stop->setObjectName("cmdChushi");
        dialog_->setCancelButton(stop);
        dialog_->setRange(0, total_ > 0 ? total_ : 0);
        dialog_->setValue(0);
        dialog_->show();
        dialog_->raise();
    }

    QWidget* parent_;
    QString doing_;
    int total_;
    QElapsedTimer clock_;
    qint64 lastEvents_ = -1000;
    QProgressDialog* dialog_ = nullptr;
};

// Sizes in twips of a printer's sheet: the paper, and where its printable area lies on it.
struct SheetGeometry {
    QSizeF paper;
    QRectF area;
};

SheetGeometry geometryOf(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QRectF full = layout.fullRect(QPageLayout::Point);
    const QRectF paint = layout.paintRect(QPageLayout::Point);
    const double dpiX = printer.logicalDpiX(), dpiY = printer.logicalDpiY();
    // The printable area exactly as the Qt printer sees it (device pixels to twips).
    const QSizeF area(std::floor(printer.width() * 1440.0 / dpiX), std::floor(printer.height() * 1440.0 / dpiY));
    return {QSizeF(full.width() * 20.0, full.height() * 20.0), QRectF(QPointF(paint.left() * 20.0, paint.top() * 20.0), area)};
}

// The pages of a report stacked downwards, drawn when they come into view: the report runs up to
// the last page missing from the view (never beyond), drawing only the missing ones.
class PageView : public QAbstractScrollArea {
public:
    enum class Fit { Width, Page, None };

    PageView(DrawReport draw, int pages, SheetGeometry sheet, QWidget* parent)
        : QAbstractScrollArea(parent), draw_(std::move(draw)), pages_(std::max(1, pages)), sheet_(sheet)
    {
        setObjectName("PreviewPages");
        viewport()->setBackgroundRole(QPalette::Dark);
        viewport()->setAutoFillBackground(true);
        verticalScrollBar()->setSingleStep(40);
        horizontalScrollBar()->setSingleStep(40);
    }

    std::function<void()> changed;

    int pageCount() const { return pages_; }
    Fit fit() const { return fit_; }
    double zoom() const { return zoom_; }
    void setFit(Fit f)
    {
        fit_ = f;
        relayout();
    }
    void zoomBy(double factor)
    {
        const int page = currentPage();
        fit_ = Fit::None;
        zoom_ = std::clamp(zoom_ * factor, 0.01, 0.5);
        relayout();
        showPage(page);
    }
    // The page at the middle of the view's top part (0-based).
    int currentPage() const
    {
        const int y = verticalScrollBar()->value() + viewport()->height() / 3;
        return std::clamp(y / std::max(1, pitch()), 0, pages_ - 1);
    }
    void showPage(int page)
    {
        page = std::clamp(page, 0, pages_ - 1);
        verticalScrollBar()->setValue(page * pitch());
        viewport()->update();
    }
    // Pages drawn so far (tests: only what was shown is drawn).
    int pagesRendered() const { return rendered_; }

protected:
    void resizeEvent(QResizeEvent* e) override
    {
        QAbstractScrollArea::resizeEvent(e);
        const int page = currentPage();
        relayout();
        if (fit_ != Fit::None) showPage(page);
    }
    void scrollContentsBy(int, int) override
    {
        viewport()->update();
        if (changed) changed();
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(viewport());
        const int top = verticalScrollBar()->value(), left = horizontalScrollBar()->value();
        const int first = std::max(0, top / pitch()), last = std::min(pages_ - 1, (top + viewport()->height()) / pitch());
        std::set<int> missing;
        for (int p = first; p <= last; ++p)
            if (!cache_.count(p)) missing.insert(p);
        if (!missing.empty()) render(missing);
        const int w = pageWidthPx(), x0 = std::max(kGap, (viewport()->width() - w) / 2) - left;
        for (int p = first; p <= last; ++p) {
            const QPoint at(x0, kGap + p * pitch() - top);
            auto hit = cache_.find(p);
            if (hit != cache_.end()) painter.drawImage(at, hit->second);
            else painter.fillRect(QRect(at, QSize(w, pageHeightPx())), Qt::white);
        }
    }

private:
    static constexpr int kGap = 12;
    static constexpr std::size_t kCachedPages = 16;

    int pageWidthPx() const { return std::max(1, int(std::lround(sheet_.paper.width() * zoom_))); }
    int pageHeightPx() const { return std::max(1, int(std::lround(sheet_.paper.height() * zoom_))); }
    int pitch() const { return pageHeightPx() + kGap; }

    void relayout()
    {
        const double w = std::max(50, viewport()->width() - 2 * kGap), h = std::max(50, viewport()->height() - 2 * kGap);
        if (fit_ == Fit::Width) zoom_ = w / sheet_.paper.width();
        if (fit_ == Fit::Page) zoom_ = std::min(w / sheet_.paper.width(), h / sheet_.paper.height());
        cache_.clear();
        order_.clear();
        verticalScrollBar()->setRange(0, std::max(0, pages_ * pitch() + kGap - viewport()->height()));
        verticalScrollBar()->setPageStep(viewport()->height());
        horizontalScrollBar()->setRange(0, std::max(0, pageWidthPx() + 2 * kGap - viewport()->width()));
        horizontalScrollBar()->setPageStep(viewport()->width());
        viewport()->update();
        if (changed) changed();
    }

    void render(const std::set<int>& pages)
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const double dpr = viewport()->devicePixelRatioF();
        std::unique_ptr<QPainter> painter;
        auto finish = [&] {
            if (!painter) return;
            painter->end();
            painter.reset();
        };
        QtPrinter p(
            [&](int page) -> QPainter* {
                finish();
                if (!pages.count(page)) return nullptr;
                QImage image(QSize(pageWidthPx(), pageHeightPx()) * dpr, QImage::Format_RGB32);
                image.setDevicePixelRatio(dpr);
                image.fill(Qt::white);
                cache_[page] = image;
                painter = std::make_unique<QPainter>(&cache_[page]);
                painter->scale(zoom_, zoom_);
                painter->translate(sheet_.area.topLeft());
                return painter.get();
            },
            int(sheet_.area.width()), int(sheet_.area.height()));
        p.setPageWindow(*pages.begin(), *pages.rbegin());
        try {
            draw_(p);
        } catch (const PagedPrinter::PagesDone&) {
        } catch (const std::exception&) {
            // The counting run passed; a failure now only leaves the rest of the page blank.
        }
        p.flush();
        finish();
        for (int page : pages) {
            if (!cache_.count(page)) {
                QImage blank(QSize(pageWidthPx(), pageHeightPx()) * dpr, QImage::Format_RGB32);
                blank.setDevicePixelRatio(dpr);
                blank.fill(Qt::white);
                cache_[page] = blank;
            }
            order_.push_back(page);
            ++rendered_;
        }
        setProperty("pagesRendered", rendered_);
        while (order_.size() > kCachedPages) {
            cache_.erase(order_.front());
            order_.pop_front();
        }
        QApplication::restoreOverrideCursor();
    }

    DrawReport draw_;
    int pages_;
    SheetGeometry sheet_;
    Fit fit_ = Fit::Width;
    double zoom_ = 0.05;
    std::map<int, QImage> cache_;
    std::deque<int> order_;
    int rendered_ = 0;
};

class PreviewDialog : public QDialog {
public:
    PreviewDialog(QWidget* parent, QPrinter& printer, const DrawReport& draw, int pages)
        : QDialog(parent), printer_(printer), draw_(draw)
    {
        setObjectName("PrintPreview");
        setWindowTitle(QString::fromUtf8("印刷プレビュー"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* tools = new QToolBar(this);
        tools->setObjectName("tbPreview");
        view_ = new PageView(draw, pages, geometryOf(printer), this);
        layout->addWidget(tools);
        layout->addWidget(view_, 1);

        auto action = [&](const char* name, const char* text, const QKeySequence& key, auto slot) {
            QAction* a = tools->addAction(QString::fromUtf8(text));
            a->setObjectName(name);
            if (!key.isEmpty()) a->setShortcut(key);
            connect(a, &QAction::triggered, this, slot);
            return a;
        };
        fitWidth_ = action("actFitWidth", "幅に合わせる", QKeySequence(), [this] { view_->setFit(PageView::Fit::Width); });
        fitPage_ = action("actFitPage", "ページ全体", QKeySequence(), [this] { view_->setFit(PageView::Fit::Page); });
        fitWidth_->setCheckable(true);
        fitPage_->setCheckable(true);
        action("actZoomIn", "拡大", QKeySequence::ZoomIn, [this] { view_->zoomBy(1.25); });
        action("actZoomOut", "縮小", QKeySequence::ZoomOut, [this] { view_->zoomBy(0.8); });
        tools->addSeparator();
        action("actFirst", "最初", QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { view_->showPage(0); });
        action("actPrev", "前のページ", QKeySequence(Qt::Key_PageUp), [this] { view_->showPage(view_->currentPage() - 1); });
        page_ = new QSpinBox(this);
        page_->setObjectName("spnPage");
        page_->setRange(1, view_->pageCount());
        page_->setKeyboardTracking(false);
        tools->addWidget(page_);
        pagesLabel_ = new QLabel(QString(" / %1 ").arg(view_->pageCount()), this);
        pagesLabel_->setObjectName("lblPages");
        tools->addWidget(pagesLabel_);
        action("actNext", "次のページ", QKeySequence(Qt::Key_PageDown), [this] { view_->showPage(view_->currentPage() + 1); });
        action("actLast", "最後", QKeySequence(Qt::CTRL | Qt::Key_End), [this] { view_->showPage(view_->pageCount() - 1); });
        tools->addSeparator();
        action("actPrint", "印刷", QKeySequence::Print, [this] { print(); });
        action("actClose", "閉じる", QKeySequence(), [this] { reject(); });

        connect(page_, &QSpinBox::valueChanged, this, [this](int v) {
            if (v - 1 != view_->currentPage()) view_->showPage(v - 1);
        });
        view_->changed = [this] {
            const QSignalBlocker quiet(page_);
            page_->setValue(view_->currentPage() + 1);
            fitWidth_->setChecked(view_->fit() == PageView::Fit::Width);
            fitPage_->setChecked(view_->fit() == PageView::Fit::Page);
        };
        view_->changed();
        view_->setFocus();
    }

private:
    void print()
    {
        const bool chosen = choosePrinter ? choosePrinter(this, printer_) : [this] {
#ifdef Q_OS_WIN
            // Windows' own print dialog does not open where no printer is installed, and it offers
            // no PDF file: the report is then written to a PDF file the user names.
            if (QPrinterInfo::availablePrinterNames().isEmpty()) {
                const QString file = QFileDialog::getSaveFileName(this, QString::fromUtf8("PDFファイルに保存"), QDir::homePath(),
                                                                  QStringLiteral("PDF (*.pdf)"));
                if (file.isEmpty()) return false;
                printer_.setOutputFormat(QPrinter::PdfFormat);
                printer_.setOutputFileName(file);
                printer_.setPrintRange(QPrinter::AllPages);
                return true;
            }
#endif
            QPrintDialog dialog(&printer_, this);
            dialog.setMinMax(1, view_->pageCount());
            return dialog.exec() == QDialog::Accepted;
        }();
        if (!chosen) return;
        try {
            printPages(this, printer_, draw_, view_->pageCount());
        } catch (const std::exception& e) {
            showError(this, errorText(e));
        }
    }

    QPrinter& printer_;
    const DrawReport& draw_;
    PageView* view_ = nullptr;
    QSpinBox* page_ = nullptr;
    QLabel* pagesLabel_ = nullptr;
    QAction* fitWidth_ = nullptr;
    QAction* fitPage_ = nullptr;
};

} // namespace

void setProgressDelay(int milliseconds) { progressDelay = std::max(0, milliseconds); }

void setPrinterChooser(std::function<bool(QWidget*, QPrinter&)> choose) { choosePrinter = std::move(choose); }

namespace {

bool drawJob(QWidget* parent, QPrinter& printer, const DrawReport& draw, int pageCount)
{
    int first = 0, last = std::max(1, pageCount) - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::max(first, printer.toPage() - 1);
    }
    const QString file = printer.outputFileName();
    const bool fileExisted = !file.isEmpty() && QFile::exists(file);
    Progress progress(parent, QString::fromUtf8("印刷しています"), last - first + 1);
    QPainter painter;
    if (!painter.begin(&printer)) throw std::runtime_error("印刷を開始できません。");
    QtPrinter p(painter, printer);
    p.setPageWindow(first, last);
    p.onPageBegun = [&](int page) { progress.page(page - first); };
    try {
        draw(p);
        p.flush();
    } catch (const PagedPrinter::PagesDone&) {
        p.flush();
    } catch (const Cancelled&) {
        // Nothing of a cancelled job is kept: the printer drops it, a file written so far goes.
        printer.abort();
        if (painter.isActive()) painter.end();
        if (!file.isEmpty() && (!fileExisted || QFile::exists(file))) QFile::remove(file);
        return false;
    } catch (...) {
        printer.abort();
        if (painter.isActive()) painter.end();
        if (!file.isEmpty() && !fileExisted) QFile::remove(file);
        throw;
    }
    if (painter.isActive()) painter.end();
    return true;
}

// A PDF file chosen in the print dialog, on A4 portrait, is written by the program's own PDF
// writer (print/PdfPrinter.h), as the command line writes it: the same sheets as Qt's PDF engine
// draws, in a fraction of the time. The page range and "中止" work as for a printer; a stopped
// job leaves an existing file as it was and no new one.
bool ownPdfWriterFits(const QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() &&
           layout.pageSize().id() == QPageSize::A4 && layout.orientation() == QPageLayout::Portrait &&
           PdfPrinter::canEmbed("ＭＳ 明朝");
}

bool writeOwnPdf(QWidget* parent, QPrinter& printer, const DrawReport& draw, int pageCount)
{
    int first = 0, last = std::max(1, pageCount) - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::max(first, printer.toPage() - 1);
    }
    const std::filesystem::path file = printer.outputFileName().toStdString();
    Progress progress(parent, QString::fromUtf8("印刷しています"), last - first + 1);
    PdfFile pdf(file, file.string());
    PdfPrinter p(pdf);
    p.setPageWindow(first, last);
    p.onPageBegun = [&](int page) { progress.page(page - first); };
    try {
        draw(p);
    } catch (const PagedPrinter::PagesDone&) {
    } catch (const Cancelled&) {
        return false; // the unfinished file goes with the PdfFile
    }
    p.finish();
    return true;
}

} // namespace

bool printPages(QWidget* parent, QPrinter& printer, const DrawReport& draw, int pageCount)
{
    if (ownPdfWriterFits(printer)) return writeOwnPdf(parent, printer, draw, pageCount);
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName().isEmpty() || !printQueueTakesFinishedFiles())
        return drawJob(parent, printer, draw, pageCount);
    // A job for a print queue is drawn into a file first and handed to the queue only when it is
    // complete: "中止" leaves nothing with the printer, not even the pages drawn so far.
    QTemporaryFile spool(QDir::tempPath() + "/tolvsys-print-XXXXXX.pdf");
    if (!spool.open()) throw std::runtime_error("印刷を開始できません。");
    spool.close();
    QPrinter file(QPrinter::HighResolution);
    file.setOutputFormat(QPrinter::PdfFormat);
    file.setOutputFileName(spool.fileName());
    file.setPageLayout(printer.pageLayout());
    file.setPrintRange(printer.printRange());
    file.setFromTo(printer.fromPage(), printer.toPage());
    file.setCreator(QStringLiteral("tolvsys"));
    if (!drawJob(parent, file, draw, pageCount)) return false;
    submitToPrintQueue(printer.printerName().toStdString(), spool.fileName().toStdString(),
                       printer.docName().isEmpty() ? "tolvsys" : printer.docName().toStdString(), printer.copyCount());
    return true;
}

bool printWithPreview(QWidget* parent, const DrawReport& draw)
{
    installFontSubstitutions();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    const SheetGeometry sheet = geometryOf(printer);
    int pages = 0;
    {
        Progress progress(parent, QString::fromUtf8("印刷データを作成しています"), 0);
        try {
            PageCounter counter(int(sheet.area.width()), int(sheet.area.height()));
            counter.onPageBegun = [&](int page) { progress.page(page); };
            draw(counter);
            pages = counter.pages();
        } catch (const Cancelled&) {
            return false;
        } catch (const std::exception& e) {
            QApplication::restoreOverrideCursor();
            showError(parent, errorText(e));
            QApplication::setOverrideCursor(Qt::WaitCursor); // given back by the progress
            return false;
        }
    }
    PreviewDialog dialog(parent, printer, draw, pages);
    // Readable at once: most of the screen, the page as wide as the window.
    QSize size(1100, 900);
    if (QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = QSize(free.width() * 9 / 10, free.height() * 9 / 10);
        dialog.move(free.left() + (free.width() - size.width()) / 2, free.top() + (free.height() - size.height()) / 2);
    }
    dialog.resize(size);
    dialog.exec();
    return true;
}

} // namespace tolv::gui
