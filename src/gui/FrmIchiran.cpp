#include "gui/FrmIchiran.h"

#include "gui/BoxConfirmer.h"
#include "gui/ErrNo.h"

#include "platform/Printer.h"
#include "platform/Prompt.h"
#include "reports/EntryForm.h"
#include "reports/FeeReports.h"
#include "reports/ReportText.h"
#include "reports/TeamLists.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>
#include <optional>
#include <sstream>

namespace tolv::gui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }
std::string ss(const QString& s) { return s.toStdString(); }

QString trimmedRight(const std::string& s)
{
    std::size_t end = s.find_last_not_of(' ');
    return qs(end == std::string::npos ? std::string() : s.substr(0, end + 1));
}

QLabel* valueLabel(const char* name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setMinimumWidth(80);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QLineEdit* edit(const QString& name, QWidget* parent, int width)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(width);
    return e;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

void fitToScreen(QWidget* window, QWidget* content)
{
    // Room beside the content for the scroll bar, below it for the button bar and the status bar.
    QSize size = content->sizeHint() + QSize(24, 90);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(QSize(free.width() - 16, free.height() - 40));
    }
    window->setMinimumSize(400, 300);
    window->resize(size);
}

FrmIchiran::FrmIchiran(tolv::EntryStore& store, tolv::Prompt& prompt, QWidget* parent)
    : QWidget(parent), store_(store), prompt_(prompt)
{
    setObjectName("frmIchiran");
    setWindowTitle(QString::fromUtf8("団体"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    print_ = [this](const DrawReport& draw) { return printWithPreview(this, draw); };
    buildWindow();

    totals_.open(tolv::teamTotalsPath(store_.path()));
    shown_ = totals_.teamCount();
    readShown();
    showTeam();
    txtLpSt_->setText("1");
    txtLpEd_->setText(QString::number(totals_.teamCount()));
    const reports::ReceiptIssuer issuer = reports::ReceiptIssuer::defaults();
    int widest = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        txtLpS_[i]->setText(qs(issuer.text[i]));
        txtLpS_[i]->setCursorPosition(0); // the start of a long line stays in view
        txtLpP_[i]->setText(qs(issuer.size[i]));
        widest = std::max(widest, txtLpS_[i]->fontMetrics().horizontalAdvance(txtLpS_[i]->text()));
    }
    // Wide enough for the longest line as shipped.
    for (QLineEdit* e : txtLpS_) e->setMinimumWidth(std::max(420, widest + 24));
    say(QString("%1団体").arg(totals_.teamCount()));
}

FrmIchiran::~FrmIchiran() { totals_.close(); }

void FrmIchiran::closeEvent(QCloseEvent* event)
{
    totals_.close();
    QWidget::closeEvent(event);
}

void FrmIchiran::say(const QString& message) { status_->showMessage(message); }

void FrmIchiran::buildWindow()
{
    // The content scrolls on a screen smaller than itself; the status bar stays below it.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName("scrIchiran");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    outer->addWidget(scroll);
    auto* top = new QVBoxLayout(content);
    status_ = new QStatusBar(this);
    status_->setObjectName("stbIchiran");
    status_->setSizeGripEnabled(false);

    // The shown team.
    auto* teamBox = new QGroupBox(QString::fromUtf8("団体"), this);
    auto* tg = new QGridLayout(teamBox);
    lblBango_ = valueLabel("lblBango", teamBox);
    lblDantai_ = valueLabel("lblDantai", teamBox);
    lblRyaku_ = valueLabel("lblRyaku", teamBox);
    lblRyakuKana_ = valueLabel("lblRyakuKana", teamBox);
    lblNamae_ = valueLabel("lblNamae", teamBox);
    lblYubin_ = valueLabel("lblYubin", teamBox);
    lblZusho_[0] = valueLabel("lblZusho_0", teamBox);
    lblZusho_[1] = valueLabel("lblZusho_1", teamBox);
    lblTel_ = valueLabel("lblTel", teamBox);
    const std::pair<const char*, QLabel*> rows[] = {{"番号", lblBango_},     {"団体名", lblDantai_}, {"略称", lblRyaku_},
                                                    {"電光", lblRyakuKana_}, {"代表者", lblNamae_},  {"〒", lblYubin_},
                                                    {"住所", lblZusho_[0]},  {"", lblZusho_[1]},     {"電話", lblTel_}};
    int r = 0;
    for (const auto& [caption, label] : rows) {
        tg->addWidget(new QLabel(QString::fromUtf8(caption), teamBox), r, 0);
        tg->addWidget(label, r++, 1, 1, 3);
    }
    lblDat_ = valueLabel("lblDat", teamBox);
    auto* cmdDown = button("cmdDown", "∧", teamBox);
    auto* cmdUp = button("cmdUp", "∨", teamBox);
    tg->addWidget(lblDat_, r, 1);
    tg->addWidget(cmdDown, r, 2);
    tg->addWidget(cmdUp, r, 3);
    connect(cmdUp, &QPushButton::clicked, this, &FrmIchiran::nextTeam);
    connect(cmdDown, &QPushButton::clicked, this, &FrmIchiran::previousTeam);

    // The fee grid.
    auto* feeBox = new QGroupBox(QString::fromUtf8("申込金"), this);
    auto* fg = new QGridLayout(feeBox);
    fg->setVerticalSpacing(2);
    const char* heads[] = {"", "項目", "数量", "単価", "金額"};
    for (int c = 0; c < 5; ++c) fg->addWidget(new QLabel(QString::fromUtf8(heads[c]), feeBox), 0, c);
    for (int k = 0; k < kFeeItems; ++k) {
        const QString n = QString::number(k);
        txtKoumoku_[static_cast<std::size_t>(k)] = edit("txtKoumoku_" + n, feeBox, 150);
        txtKoumoku_[static_cast<std::size_t>(k)]->setMaxLength(16);
        txtKazu_[static_cast<std::size_t>(k)] = edit("txtKazu_" + n, feeBox, 60);
        txtTanka_[static_cast<std::size_t>(k)] = edit("txtTanka_" + n, feeBox, 80);
        lblKingaku_[static_cast<std::size_t>(k)] = valueLabel(("lblKingaku_" + n).toUtf8().constData(), feeBox);
        lblKingaku_[static_cast<std::size_t>(k)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        txtKazu_[static_cast<std::size_t>(k)]->setAlignment(Qt::AlignRight);
        txtTanka_[static_cast<std::size_t>(k)]->setAlignment(Qt::AlignRight);
        fg->addWidget(new QLabel(QString::number(k + 1), feeBox), k + 1, 0);
        fg->addWidget(txtKoumoku_[static_cast<std::size_t>(k)], k + 1, 1);
        fg->addWidget(txtKazu_[static_cast<std::size_t>(k)], k + 1, 2);
        fg->addWidget(txtTanka_[static_cast<std::size_t>(k)], k + 1, 3);
        fg->addWidget(lblKingaku_[static_cast<std::size_t>(k)], k + 1, 4);
    }
    lblGokei_ = valueLabel("lblGokei", feeBox);
    txtNyukin_ = edit("txtNyukin", feeBox, 100);
    lblSagaku_ = valueLabel("lblSagaku", feeBox);
    for (QLabel* l : {lblGokei_, lblSagaku_}) l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtNyukin_->setAlignment(Qt::AlignRight);
    fg->addWidget(new QLabel(QString::fromUtf8("合計"), feeBox), kFeeItems + 1, 3);
    fg->addWidget(lblGokei_, kFeeItems + 1, 4);
    fg->addWidget(new QLabel(QString::fromUtf8("入金"), feeBox), kFeeItems + 2, 3);
    fg->addWidget(txtNyukin_, kFeeItems + 2, 4);
    fg->addWidget(new QLabel(QString::fromUtf8("差額"), feeBox), kFeeItems + 3, 3);
    fg->addWidget(lblSagaku_, kFeeItems + 3, 4);

    // Printing: range, receipt issuer lines, buttons.
    auto* printBox = new QGroupBox(QString::fromUtf8("印刷"), this);
    auto* pg = new QGridLayout(printBox);
    txtLpSt_ = edit("txtLpSt", printBox, 60);
    txtLpEd_ = edit("txtLpEd", printBox, 60);
    pg->addWidget(new QLabel(QString::fromUtf8("団体番号"), printBox), 0, 0);
    auto* range = new QHBoxLayout;
    range->addWidget(txtLpSt_);
    range->addWidget(new QLabel(QString::fromUtf8("～"), printBox));
    range->addWidget(txtLpEd_);
    range->addStretch();
    pg->addLayout(range, 0, 1, 1, 2);
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i);
        txtLpS_[static_cast<std::size_t>(i)] = edit("txtLpS_" + n, printBox, 420);
        txtLpS_[static_cast<std::size_t>(i)]->setMinimumWidth(420);
        txtLpS_[static_cast<std::size_t>(i)]->setMaximumWidth(QWIDGETSIZE_MAX);
        txtLpP_[static_cast<std::size_t>(i)] = edit("txtLpP_" + n, printBox, 40);
        pg->addWidget(new QLabel(QString::fromUtf8(i == 0 ? "発行者" : ""), printBox), i + 1, 0);
        pg->addWidget(txtLpS_[static_cast<std::size_t>(i)], i + 1, 1);
        pg->addWidget(txtLpP_[static_cast<std::size_t>(i)], i + 1, 2);
    }
    auto* buttons = new QHBoxLayout;
    // A button for every list of the team totals file and for the issuer sample, in the
    // registry's order.
    for (const reports::ListItem& list : reports::listItems()) {
        if (list.source == reports::ListSource::EntryFile) continue;
        QPushButton* b = button(list.objectName, list.caption, printBox);
        const reports::ListItem* item = &list;
        connect(b, &QPushButton::clicked, this, [this, item] { printList(*item); });
        buttons->addWidget(b);
    }
    QPushButton* cmdOwari = button("cmdOwari", "終", printBox);
    connect(cmdOwari, &QPushButton::clicked, this, &QWidget::close);
    buttons->addStretch();
    buttons->addWidget(cmdOwari);
    // The print buttons stay in view below the scrolling content.
    auto* buttonBar = new QWidget(this);
    buttonBar->setObjectName("fraInsatu");
    buttonBar->setLayout(buttons);
    buttons->setContentsMargins(9, 4, 9, 0);

    auto* middle = new QHBoxLayout;
    middle->addWidget(teamBox, 1);
    middle->addWidget(feeBox, 1);
    top->addLayout(middle);
    top->addWidget(printBox);
    outer->addWidget(buttonBar);
    outer->addWidget(status_);
    fitToScreen(this, content);
    wireBoxes();
}

void FrmIchiran::wireBoxes()
{
    boxes_ = std::make_unique<BoxConfirmer>(this);
    for (int k = 0; k < kFeeItems; ++k) {
        const auto i = static_cast<std::size_t>(k);
        QLineEdit* nextName = k == kFeeItems - 1 ? txtTanka_[0] : txtKoumoku_[i + 1];
        QLineEdit* nextQuantity = k == kFeeItems - 1 ? txtNyukin_ : txtKazu_[i + 1];
        boxes_->add(
            txtKoumoku_[i], [this, k](bool leaving) { return feeNameConfirmed(k, leaving); },
            [this, k] { return trimmedRight(totals_.control().feeName(k)); }, [this, i] { txtTanka_[i]->setFocus(); });
        boxes_->add(
            txtTanka_[i], [this, k](bool leaving) { return priceConfirmed(k, leaving); },
            [this, k] { return QString::number(totals_.control().price(k)); }, [nextName] { nextName->setFocus(); });
        boxes_->add(
            txtKazu_[i], [this, k](bool leaving) { return quantityConfirmed(k, leaving); },
            [this, k] {
                readShown();
                return QString::number(totals_.team().quantity(k));
            },
            [nextQuantity] { nextQuantity->setFocus(); });
    }
    boxes_->add(
        txtNyukin_, [this](bool leaving) { return receivedConfirmed(leaving); },
        [this] {
            readShown();
            return QString::number(totals_.team().received());
        },
        [this] { txtKazu_[8]->setFocus(); });
}

void FrmIchiran::readShown() { totals_.readTeam(shown_); }

void FrmIchiran::showTeam()
{
    const TeamTotalRecord& t = totals_.team();
    const ZedControlRecord& c = totals_.control();
    lblBango_->setText(qs(t.key()));
    lblDantai_->setText(qs(t.name()));
    lblRyaku_->setText(qs(t.shortName()));
    lblRyakuKana_->setText(qs(t.scoreboard()));
    lblNamae_->setText(qs(t.representative()));
    lblYubin_->setText(qs(t.postal()));
    lblZusho_[0]->setText(qs(t.address1()));
    lblZusho_[1]->setText(qs(t.address2()));
    lblTel_->setText(qs(t.phone()));
    // The amounts as the fee list and the receipts compute them: one that leaves 32 bits is told
    // as they tell it, and the amount column stays empty.
    std::optional<reports::TeamFees> fees;
    std::string overflow;
    try {
        fees = reports::teamFees(t, c);
    } catch (const std::exception& e) {
        overflow = errorText(e);
    }
    for (int k = 0; k < kFeeItems; ++k) {
        const auto i = static_cast<std::size_t>(k);
        txtKoumoku_[i]->setText(trimmedRight(c.feeName(k)));
        txtKazu_[i]->setText(QString::number(t.quantity(k)));
        txtTanka_[i]->setText(QString::number(c.price(k)));
        lblKingaku_[i]->setText(fees ? QString::number(fees->amount[i]) : QString());
    }
    lblGokei_->setText(fees ? QString::number(fees->total) : QString());
    txtNyukin_->setText(QString::number(t.received()));
    lblSagaku_->setText(fees ? QString::number(fees->difference) : QString());
    lblDat_->setText(QString::number(shown_) + " / " + QString::number(totals_.teamCount()));
    if (!overflow.empty()) prompt_.tell(overflow);
}

void FrmIchiran::nextTeam()
{
    if (shown_ == totals_.teamCount()) prompt_.tell(std::to_string(totals_.teamCount()) + "より大きいデータはありません。");
    else ++shown_;
    readShown();
    showTeam();
}

void FrmIchiran::previousTeam()
{
    if (shown_ <= 1) prompt_.tell("１より小さいレコードはありません。");
    else --shown_;
    readShown();
    showTeam();
}

bool FrmIchiran::attempt(const std::function<void()>& edit, const std::string& field, bool leaving)
{
    try {
        edit();
        return true;
    } catch (const std::exception& e) {
        // The message names the field and what it takes. A box that was left goes back to the
        // stored value, told in the status bar so that the click or key that left it goes on.
        const std::string told = field.empty() ? errorText(e) : errorText(e) + "\n" + field;
        if (leaving) say(qs(told).replace('\n', ' ') + QString::fromUtf8("（元の値に戻しました）"));
        else prompt_.tell(told);
        return false;
    }
}

bool FrmIchiran::writeControl(const std::function<void()>& edit, const std::string& field, bool leaving)
{
    // A control record not written goes back to what the file holds.
    const ZedControlRecord before = totals_.control();
    if (attempt(
            [&] {
                try {
                    edit();
                    totals_.writeControl();
                } catch (...) {
                    totals_.control() = before;
                    throw;
                }
            },
            field, leaving))
        return true;
    return false;
}

bool FrmIchiran::feeNameConfirmed(int k, bool leaving)
{
    const std::string name = ss(txtKoumoku_[static_cast<std::size_t>(k)]->text());
    if (!writeControl([&] { totals_.control().setFeeName(k, name); }, std::string(), leaving)) return false;
    say(QString("項目 %1 を書き込みました").arg(k + 1));
    // The name as stored (cut to its bytes).
    txtKoumoku_[static_cast<std::size_t>(k)]->setText(trimmedRight(totals_.control().feeName(k)));
    return true;
}

bool FrmIchiran::priceConfirmed(int k, bool leaving)
{
    const std::string typed = ss(txtTanka_[static_cast<std::size_t>(k)]->text());
    if (!writeControl(
            [&] {
                auto price = reports::convertInteger(typed, std::numeric_limits<std::int32_t>::min(),
                                                     std::numeric_limits<std::int32_t>::max());
                totals_.control().setPrice(k, static_cast<std::int32_t>(price));
            },
            "単価 " + std::to_string(k + 1) + " には -2147483648～2147483647 の整数を入力してください (入力: " + typed + ")",
            leaving))
        return false;
    say(QString("単価 %1 を書き込みました").arg(k + 1));
    // The amounts of the shown team follow the new price.
    readShown();
    showTeam();
    return true;
}

bool FrmIchiran::quantityConfirmed(int k, bool leaving)
{
    const std::string typed = ss(txtKazu_[static_cast<std::size_t>(k)]->text());
    if (!attempt(
            [&] {
                auto q = reports::convertInteger(typed, std::numeric_limits<std::int16_t>::min(),
                                                 std::numeric_limits<std::int16_t>::max());
                // Always the shown team's own record, whatever a print read meanwhile.
                readShown();
                totals_.team().setQuantity(k, static_cast<std::int16_t>(q));
                totals_.writeTeam(shown_);
            },
            "数量 " + std::to_string(k + 1) + " には -32768～32767 の整数を入力してください (入力: " + typed + ")", leaving))
        return false;
    say(QString("数量 %1 を書き込みました").arg(k + 1));
    readShown();
    showTeam();
    return true;
}

bool FrmIchiran::receivedConfirmed(bool leaving)
{
    const std::string typed = ss(txtNyukin_->text());
    if (!attempt(
            [&] {
                long long v = reports::roundedValue(typed);
                readShown();
                totals_.team().setReceived(static_cast<std::int32_t>(v));
                totals_.writeTeam(shown_);
            },
            "入金には金額 (整数) を入力してください (入力: " + typed + ")", leaving))
        return false;
    say("入金を書き込みました");
    readShown();
    showTeam();
    return true;
}

bool FrmIchiran::print(const DrawReport& draw)
{
    bool ok = print_(draw);
    // Printing read other teams; the grid edits the shown one.
    readShown();
    return ok;
}

int FrmIchiran::rangeFirst() const
{
    return static_cast<int>(std::clamp<long long>(numericValue(ss(txtLpSt_->text())), -2147483647LL, 2147483647LL));
}

int FrmIchiran::rangeLast() const
{
    return static_cast<int>(std::clamp<long long>(numericValue(ss(txtLpEd_->text())), -2147483647LL, 2147483647LL));
}

void FrmIchiran::printList(const reports::ListItem& list)
{
    reports::ListRequest request;
    request.store = &store_;
    request.totals = &totals_;
    request.first = rangeFirst();
    request.last = rangeLast();
    for (std::size_t i = 0; i < 4; ++i) {
        request.issuer.text[i] = ss(txtLpS_[i]->text());
        request.issuer.size[i] = ss(txtLpP_[i]->text());
    }
    if (list.htmlCopy) {
        // The HTML copy is written once, from a complete run; a run that fails writes nothing.
        std::string html;
        // The trial run over every team takes a while on a large file: the busy pointer shows it
        // (the preview's own run keeps it until the preview opens).
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const bool written = attempt([&] {
            std::ostringstream discard;
            PrintLog trial(discard);
            reports::ListRequest once = request;
            once.html = &html;
            list.draw(trial, once);
            reports::writeTeamListHtml(reports::teamListHtmlPath(store_.path()), html);
        });
        QGuiApplication::restoreOverrideCursor();
        if (!written) {
            readShown();
            return;
        }
        say("HTMLを書き出しました: " + QString::fromStdString(reports::teamListHtmlPath(store_.path()).string()));
    }
    const reports::ListFn draw = list.draw;
    print([draw, request](Printer& p) { draw(p, request); });
}

} // namespace tolv::gui
