#include "gui/FrmKIchi.h"

#include "gui/BoxConfirmer.h"

#include "platform/Printer.h"
#include "reports/ReportMenu.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace tolv::gui {

FrmKIchi::FrmKIchi(tolv::EntryStore& store, QWidget* parent) : QWidget(parent), store_(store)
{
    setObjectName("frmKIchi");
    setWindowTitle(QString::fromUtf8("個人一覧"));
    print_ = [this](const DrawReport& draw) { return printWithPreview(this, draw); };

    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    outer->addLayout(grid);
    status_ = new QStatusBar(this);
    status_->setObjectName("stbKIchi");
    status_->setSizeGripEnabled(false);
    outer->addWidget(status_);
    txtLpSt_ = new QLineEdit(this);
    txtLpSt_->setObjectName("txtLpSt");
    txtLpEd_ = new QLineEdit(this);
    txtLpEd_->setObjectName("txtLpEd");
    // The events list prints in the font the range fields show.
    QFont mincho(QString::fromUtf8("ＭＳ 明朝"));
    for (QLineEdit* e : {txtLpSt_, txtLpEd_}) {
        e->setFont(mincho);
        e->setFixedWidth(80);
        e->setAlignment(Qt::AlignRight);
    }
    grid->addWidget(new QLabel(QString::fromUtf8("選手番号"), this), 0, 0);
    grid->addWidget(txtLpSt_, 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("～"), this), 0, 2);
    grid->addWidget(txtLpEd_, 0, 3);
    // The two lists of the entry file, with their captions from the registry of the lists.
    auto listButton = [this](const char* name) {
        const reports::ListItem* list = reports::findListMenuItem(name);
        if (!list) throw std::logic_error(std::string("no list ") + name);
        auto* b = new QPushButton(QString::fromUtf8(list->caption), this);
        b->setObjectName(name);
        connect(b, &QPushButton::clicked, this, [this, list] { printList(*list); });
        return b;
    };
    QPushButton* cmdKozin = listButton("cmdKozin");
    QPushButton* cmdShumoku = listButton("cmdShumoku");
    auto* cmdOwari = new QPushButton(QString::fromUtf8("終"), this);
    cmdOwari->setObjectName("cmdOwari");
    for (QPushButton* b : {cmdKozin, cmdShumoku, cmdOwari}) b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdKozin);
    buttons->addWidget(cmdShumoku);
    buttons->addStretch();
    buttons->addWidget(cmdOwari);
    grid->addLayout(buttons, 1, 0, 1, 4);
    connect(cmdOwari, &QPushButton::clicked, this, &QWidget::close);

    txtLpSt_->setText("1");
    txtLpEd_->setText(QString::number(store_.header().total()));
    // The end of the range is kept within the swimmers on Enter and when the box is left (a
    // click on a list button included), so that the list printed is the range shown.
    boxes_ = std::make_unique<BoxConfirmer>(this);
    boxes_->add(
        txtLpEd_,
        [this](bool) {
            lastEntered();
            return true;
        },
        [this] { return txtLpEd_->text(); });
    connect(txtLpSt_, &QLineEdit::textChanged, this, &FrmKIchi::firstChanged);
}

FrmKIchi::~FrmKIchi() = default;

void FrmKIchi::lastEntered()
{
    // The text up to the cursor counts; a number above the swimmer count becomes the count.
    const QString cut = txtLpEd_->text().left(txtLpEd_->cursorPosition());
    const int swimmers = store_.header().total();
    if (numericValue(cut.toStdString()) > swimmers) {
        txtLpEd_->setText(QString::number(swimmers));
        status_->showMessage(QString("選手は%1人です。終わりの番号を%1にしました").arg(swimmers));
    } else {
        txtLpEd_->setText(cut);
        status_->clearMessage();
    }
}

void FrmKIchi::firstChanged(const QString& text)
{
    if (numericValue(text.toStdString()) < 1) txtLpSt_->setText("1");
}

int FrmKIchi::first() const
{
    return static_cast<int>(std::clamp<long long>(numericValue(txtLpSt_->text().toStdString()), -2147483647LL, 2147483647LL));
}

int FrmKIchi::last() const
{
    return static_cast<int>(std::clamp<long long>(numericValue(txtLpEd_->text().toStdString()), -2147483647LL, 2147483647LL));
}

void FrmKIchi::printList(const reports::ListItem& list)
{
    reports::ListRequest request;
    request.store = &store_;
    request.first = first();
    request.last = last();
    request.fontName = txtLpSt_->font().family().toStdString();
    const reports::ListFn draw = list.draw;
    print_([draw, request](Printer& p) { draw(p, request); });
}

} // namespace tolv::gui
