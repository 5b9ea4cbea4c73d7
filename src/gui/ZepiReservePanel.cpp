#include "gui/ZepiReservePanel.h"

#include "gui/Pickers.h"
#include "gui/ZepiHeaderPanel.h"
#include "storage/Codes.h"
#include "storage/EntryEditRules.h"
#include "storage/Records.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QPushButton>

namespace tolv::gui {

ZepiReservePanel::ZepiReservePanel(tolv::Prompt& prompt, QObject* keys, QWidget* parent) : QWidget(parent)
{
    setObjectName("fraYobi");
    auto* rl = new QGridLayout(this);
    rl->setVerticalSpacing(1);
    rl->addWidget(new QLabel("区分", this), 0, 1);
    rl->addWidget(new QLabel("種目", this), 0, 2);
    for (int i = 0; i < tolv::kReserveEvents; ++i) {
        rl->addWidget(new QLabel(QString::fromStdString(tolv::eventCode(tolv::kFirstReserveSlot + i)), this), i + 1, 0);
        txtYobiKubun[i] = entryBox(QString("txtYobiKubun_%1").arg(i), 9, keys, this);
        txtYobi[i] = entryBox(QString("txtYobi_%1").arg(i), 17, keys, this);
        txtYobi[i]->setPlaceholderText(QString::fromStdString(tolv::EntryEditRules::placeholder(tolv::EntryBox::YobiName, i)));
        cboYobiF[i] = new QComboBox(this);
        cboYobiF[i]->setObjectName(QString("cboYobiF_%1").arg(i));
        cboYobiF[i]->addItems({"個人", "リレー"});
        rl->addWidget(txtYobiKubun[i], i + 1, 1);
        rl->addWidget(txtYobi[i], i + 1, 2);
        rl->addWidget(cboYobiF[i], i + 1, 3);
    }
    auto* copy = new QGroupBox("区分・種目のコピー", this);
    copy->setObjectName("fraYobiCopy");
    auto* cl = new QGridLayout(copy);
    drive1 = new DrivePicker(prompt, copy);
    drive1->setObjectName("Drive1");
    dir1 = new DirPicker(copy);
    dir1->setObjectName("Dir1");
    file1 = new FilePicker(copy);
    file1->setObjectName("File1");
    file1->setPatterns({"*.zep", "*.kek", "*.tor"});
    cmdKakutei = new QPushButton("↑", copy);
    cmdKakutei->setObjectName("cmdKakutei");
    cl->addWidget(drive1, 0, 0);
    cl->addWidget(cmdKakutei, 0, 1);
    cl->addWidget(dir1, 1, 0);
    cl->addWidget(file1, 1, 1);
    rl->addWidget(copy, tolv::kReserveEvents + 1, 0, 1, 4);
    connect(drive1, &DrivePicker::driveChanged, this, [this](const QString& r) { dir1->setRoot(r.toStdString()); });
    connect(dir1, &DirPicker::pathChanged, this, [this](const QString& p) { file1->setFolder(p.toStdString()); });
}

void ZepiReservePanel::showReserve(const tolv::EntryEditRules& rules, const tolv::ReserveEvents& r)
{
    for (int i = 0; i < tolv::kReserveEvents; ++i) {
        txtYobiKubun[i]->setText(QString::fromStdString(rules.shown(tolv::EntryBox::YobiKubun, i)));
        txtYobi[i]->setText(QString::fromStdString(rules.shown(tolv::EntryBox::YobiName, i)));
        cboYobiF[i]->setCurrentIndex(r.isRelay(i) ? 1 : 0);
    }
}

void ZepiReservePanel::toggleBeside(QMainWindow& w, QPushButton* toggle)
{
    const bool opening = isHidden();
    toggle->setText(opening ? "予 << 備" : "予 >> 備");
    if (!opening) {
        hide();
        if (widthBefore_ > 0) w.resize(widthBefore_, heightBefore_);
        widthBefore_ = 0;
        return;
    }
    widthBefore_ = w.width();
    heightBefore_ = w.height();
    const int panelWidth = sizeHint().width();
    show();
    // The panel opens beside the swimmer area, but the window stays on the screen: what does not
    // fit scrolls.
    QRect free = w.screen() ? w.screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    const int frameW = w.frameGeometry().width() - w.width();
    const int frameH = w.frameGeometry().height() - w.height();
    const int wanted = std::min(w.width() + panelWidth, free.width() - frameW);
    // Taller too when the panel needs it and the screen has room.
    const int tall = std::min(std::max(w.height(), sizeHint().height() + w.menuBar()->height() + w.statusBar()->height() + 60),
                              free.height() - frameH);
    w.resize(std::max(wanted, w.width()), std::max(tall, w.height()));
    QRect outer = w.frameGeometry();
    if (outer.right() > free.right()) w.move(std::max(free.left(), free.right() - outer.width() + 1), w.y());
    outer = w.frameGeometry();
    if (outer.bottom() > free.bottom()) w.move(w.x(), std::max(free.top(), free.bottom() - outer.height() + 1));
}

} // namespace tolv::gui
