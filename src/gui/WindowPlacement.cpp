#include "gui/WindowPlacement.h"

#include <QEvent>

#include <algorithm>
#include <QGuiApplication>
#include <QHash>
#include <QLayout>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace tolv::gui {

namespace {

QHash<QString, QPoint>& lastPlaces()
{
    static QHash<QString, QPoint> places;
    return places;
}

// Records where a window stood when it was hidden or closed.
class PlaceKeeper : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide || event->type() == QEvent::Close) {
            auto* w = qobject_cast<QWidget*>(watched);
            if (w && w->isWindow() && !w->objectName().isEmpty()) lastPlaces().insert(w->objectName(), w->pos());
        }
        return false;
    }
};

PlaceKeeper& keeper()
{
    static PlaceKeeper k;
    return k;
}

QScreen* screenAt(const QPoint& p)
{
    if (QScreen* s = QGuiApplication::screenAt(p)) return s;
    return QGuiApplication::primaryScreen();
}

} // namespace

void placeOnScreen(QWidget* w)
{
    if (!w) return;
    if (!w->isVisible()) {
        // Placed on the size it is shown with: a window nobody sized takes its layout's size when
        // shown, so it takes it now (before, it has a widget's default size).
        w->ensurePolished();
        if (QLayout* layout = w->layout()) layout->activate();
        if (!w->testAttribute(Qt::WA_Resized)) w->adjustSize();
    }
    const QString name = w->objectName();
    const bool known = !name.isEmpty() && lastPlaces().contains(name);
    QPoint pos = known ? lastPlaces().value(name) : w->pos();
    // A new window belongs on the screen of the window that opened it.
    QScreen* screen = nullptr;
    if (known) screen = screenAt(pos + QPoint(w->width() / 2, w->height() / 2));
    else if (QWidget* opener = w->parentWidget()) screen = opener->window()->screen();
    if (!screen) screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect free = screen->availableGeometry();
    // Title bar and borders: known once the window manager framed the window, else allowed for.
    QSize frame = w->frameGeometry().size() - w->size();
    if (!w->isVisible() || frame.width() < 0 || frame.height() < 0) frame = QSize(16, 40);
    const QSize room = free.size() - frame;
    if (w->width() > room.width() || w->height() > room.height()) w->resize(w->size().boundedTo(room));
    const QRect outer(pos, w->size() + frame);
    if (!known || !free.contains(outer)) {
        pos = QPoint(free.x() + (free.width() - outer.width()) / 2, free.y() + (free.height() - outer.height()) / 2);
        pos = QPoint(std::max(pos.x(), free.x()), std::max(pos.y(), free.y()));
    }
    w->move(pos);
}

void showPlaced(QWidget* w)
{
    if (!w) return;
    w->installEventFilter(&keeper());
    placeOnScreen(w);
    w->show();
}

} // namespace tolv::gui
