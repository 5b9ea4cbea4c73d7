#include "gui/MessagePrompt.h"

#include "gui/TransferDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QSpacerItem>
#include <QMessageBox>
#include <QStringList>
#include <QPushButton>

namespace tolv::gui {
namespace {

QWidget* owner() { return QApplication::activeWindow(); }

// Room a title bar takes beside its title: the window icon, minimise/maximise/close, margins.
constexpr int kTitleBarButtons = 160;

// A short message ("転送先メディア準備") makes a box narrower than its title bar needs: the box is
// made wide enough for its title and the title bar's buttons.
void roomForTitle(QMessageBox& box)
{
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int width = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
}

int run(const std::string& message, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault = QMessageBox::Ok)
{
    // A long message (the lists of an import) would grow taller than the screen: its first lines
    // are shown, the whole of it under the box's details, which scroll.
    constexpr int kShownLines = 24;
    const QString text = QString::fromStdString(message);
    const QStringList lines = text.split('\n');
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(),
                    lines.size() <= kShownLines ? text : lines.mid(0, kShownLines - 2).join('\n') + "\n…", buttons, owner());
    if (lines.size() > kShownLines) box.setDetailedText(text);
    box.setObjectName("MsgBox");
    box.setDefaultButton(byDefault);
    roomForTitle(box);
    // A busy pointer must not hide that the program waits for an answer.
    bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    int r = box.exec();
    if (busy) QGuiApplication::restoreOverrideCursor();
    return r;
}

} // namespace

void MessagePrompt::tell(const std::string& message) { run(message, QMessageBox::Ok); }

bool MessagePrompt::ask(const std::string& message)
{
    return run(message, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool MessagePrompt::askCancelFirst(const std::string& message)
{
    return run(message, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

bool askCancelFirst(tolv::Prompt& prompt, const std::string& message)
{
    if (auto* boxes = dynamic_cast<MessagePrompt*>(&prompt)) return boxes->askCancelFirst(message);
    return prompt.ask(message);
}

int MessagePrompt::choose(const std::string& message, const std::vector<std::string>& buttons)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromStdString(message), QMessageBox::NoButton,
                    owner());
    box.setObjectName("MsgBox");
    roomForTitle(box);
    std::vector<QAbstractButton*> made;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QPushButton* b = box.addButton(QString::fromStdString(buttons[i]), QMessageBox::AcceptRole);
        if (i == 0) {
            box.setDefaultButton(b);
            box.setEscapeButton(b);
        }
        made.push_back(b);
    }
    bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QGuiApplication::restoreOverrideCursor();
    for (std::size_t i = 0; i < made.size(); ++i)
        if (box.clickedButton() == made[i]) return static_cast<int>(i);
    return 0; // closed: as the default
}

BusyCursor::BusyCursor() : transfer_(std::make_unique<TransferDialog>()) { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
BusyCursor::~BusyCursor()
{
    transfer_.reset();
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tolv::gui
