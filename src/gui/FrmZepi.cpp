#include "gui/FrmZepi.h"

#include "checks/CheckMenu.h"
#include "gui/CommandMenus.h"
#include "gui/LenexMenus.h"
#include "gui/MergeMenus.h"
#include "gui/TimingMenus.h"
#include "gui/SafetyMenus.h"

#include "gui/AppContext.h"
#include "gui/ErrNo.h"
#include "gui/ExportMenus.h"
#include "gui/FrmDrive.h"
#include "gui/FrmZepiKensaku.h"
#include "gui/ImportMenus.h"
#include "gui/MessagePrompt.h"
#include "gui/Pickers.h"
#include "gui/WindowPlacement.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/DownloadLayout.h"
#include "storage/HeaderEdit.h"
#include "storage/RecordFile.h"
#include "storage/TimeInput.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <climits>

namespace tolv::gui {

namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

// Fixed-width fields are shown without their padding blanks.
QString shown(const std::string& field)
{
    std::size_t end = field.find_last_not_of(' ');
    return end == std::string::npos ? QString() : q(field.substr(0, end + 1));
}

QString numberOrEmpty(long long v) { return v == 0 ? QString() : QString::number(v); }

// Characters of a text before a cursor position given in UTF-16 units.
int codePointsBefore(const QString& text, int cursor) { return int(text.left(cursor).toUcs4().size()); }

bool isEnter(const QKeyEvent* k) { return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter; }

bool isTyping(const QKeyEvent* k) { return !k->text().isEmpty() && k->text().at(0).isPrint(); }

struct SlotGroup {
    const char* title;
    int first, last;
};
// The event boxes grouped by stroke: the individual events in the first row, relays and reserve
// events in the second.
const SlotGroup kIndividualGroups[] = {
    {"自由形", 0, 6}, {"背泳ぎ", 7, 10}, {"平泳ぎ", 11, 14}, {"バタフライ", 15, 18}, {"個人メドレー", 19, 21}};
const SlotGroup kRelayGroups[] = {
    {"メドレーリレー", 22, 24}, {"リレー", 25, 28}, {"予備", 29, 33}, {"予備", 34, 38}, {"予備", 39, 43}};

const char* const kCopyTips[5] = {"ダブルクリック・名前コピー", "ダブルクリック・フリカナコピー",
                                  "ダブルクリック・・所属コピー", "ダブルクリック・・所属カナコピー",
                                  "ダブルクリック・登録日コピー"};

} // namespace

FrmZepi::FrmZepi(AppContext& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx)
{
    setObjectName("frmZepi");
    buildMenus();
    buildWindow();
    load();
    wireCommandMenus(*this);
    wireLenexMenus(*this);
    wireMergeMenus(*this);
    wireExportMenus(*this);
    wireImportMenus(*this);
    wireTimingMenus(*this);
    wireSafetyMenus(*this);
}

FrmZepi::~FrmZepi() { closeEntry(); }

// --- building ------------------------------------------------------------------------------------

void FrmZepi::buildMenus()
{
    QMenuBar* bar = menuBar();
    auto menu = [this](QMenu* parentMenu, const char* name, const char* caption) {
        QMenu* m = parentMenu ? parentMenu->addMenu(caption) : menuBar()->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        return m;
    };
    // Items of commands that are not part of this window start disabled; their owners enable them.
    auto item = [](QMenu* m, const char* name, const char* caption, bool enabled = false) {
        QAction* a = m->addAction(caption);
        a->setObjectName(name);
        a->setEnabled(enabled);
        return a;
    };

    QMenu* in = menu(nullptr, "mIn", "転入");
    item(in, "mInKetugo", "申込データ結合");
    item(in, "mInWeb", "Web");
    item(in, "mInNitiban", "日水登録番号");
    item(in, "mInSwm", "ＳＷＭ");
    item(in, "mInScm", "ＳＣＭ");
    item(in, "mInMcompd", "Mcompd");
    item(in, "mInResults", "Results(1)");
    item(in, "mInResults2", "Results(2)");
    item(in, "mInLenex", "Lenex");

    QMenu* out = menu(nullptr, "mOut", "転出");
    item(out, "mOutZep", "tolvzep.csv");
    item(out, "mOutQTolv", "旧とるぶしす");
    item(out, "mOutSwmKari", "SWMkari");
    item(out, "mOutSwmToro", "日水競技者登録");
    item(out, "mOutScmSys", "SCMSYS連携");
    QMenu* scm = menu(out, "mOutScm", "ＳＣＭ大会");
    item(scm, "mOutScmFd", "フロッピー作成");
    QMenu* swm = menu(out, "mOutSwmTaikai", "ＳＷＭ大会");
    item(swm, "mOutTfd", "フロッピー作成");
    item(swm, "mOutTichi", "タイム一覧表");
    item(out, "mOutSwm", "ＳＷＭ");
    item(out, "mOutKumamoto", "熊本InterHi CSV");
    item(out, "mOutSeiko", "セイコーカンマ");
    item(out, "mOutLenex", "Lenex");

    QMenu* sot = menu(nullptr, "mSot", "索引");
    item(sot, "mSotSei", "性別");
    item(sot, "mSotClb", "クラブ");

    QMenu* shu = menu(nullptr, "mShu", "集計");
    item(shu, "mShuKei", "集計");
    item(shu, "mShuIchi", "団体申込");
    item(shu, "mShuKozin", "個人一覧");

    QMenu* check = menu(nullptr, "mCheck", "チェック");
    bool rewrites = false;
    for (const tolv::CheckMenuItem& c : tolv::checkMenuItems()) {
        if (c.kind == tolv::CheckKind::Rewrite && !rewrites) {
            check->addSeparator();
            rewrites = true;
        }
        item(check, c.objectName, c.caption);
    }

    QMenu* work = menu(nullptr, "mWk", "Work");
    item(work, "mWk1", "Work1", true);  // does nothing
    item(work, "mWk2", "元に戻す");

    QAction* owari = bar->addAction("終わり");
    owari->setObjectName("mOwari");
    connect(owari, &QAction::triggered, this, [this] {
        if (!mayLeave()) return;
        closeEntry();
        auto* start = new FrmDrive(ctx_);
        start->setAttribute(Qt::WA_DeleteOnClose);
        showPlaced(start);
        close();
    });
}

void FrmZepi::buildWindow()
{
    // The whole window scrolls when the screen is smaller than its content.
    // The input line and its buttons stay below it, always in view.
    auto* outerFrame = new QWidget(this);
    auto* frameLayout = new QVBoxLayout(outerFrame);
    frameLayout->setContentsMargins(0, 0, 0, 0);
    frameLayout->setSpacing(0);
    auto* scroll = new QScrollArea(outerFrame);
    scroll->setObjectName("scrZepi");
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* central = new QWidget(scroll);
    scroll->setWidget(central);
    frameLayout->addWidget(scroll, 1);
    auto* lineBar = new QWidget(outerFrame);
    lineBar->setObjectName("fraBiko");
    frameLayout->addWidget(lineBar);
    setCentralWidget(outerFrame);
    statusBar()->setObjectName("stbZepi");
    auto* outer = new QHBoxLayout(central);
    auto* main = new QVBoxLayout;
    outer->addLayout(main, 1);

    const int digit = fontMetrics().horizontalAdvance('0');
    auto edit = [&](const char* name, int chars, QWidget* parent) {
        auto* e = new QLineEdit(parent);
        e->setObjectName(name);
        e->setFixedWidth(digit * chars + 14);
        e->installEventFilter(this);
        return e;
    };
    auto label = [](const char* text, QWidget* parent) { return new QLabel(text, parent); };

    // Information lines.
    auto* info = new QGridLayout;
    lblFile_ = new QLabel(central);
    lblFile_->setObjectName("lblFile");
    lblToroDr_ = new QLabel(central);
    lblToroDr_->setObjectName("lblToroDr");
    lblTrDr_ = new QLabel(central);
    lblTrDr_->setObjectName("lblTrDr");
    info->addWidget(label("申込", central), 0, 0);
    info->addWidget(lblFile_, 0, 1);
    info->addWidget(label("登録", central), 1, 0);
    info->addWidget(lblToroDr_, 1, 1);
    info->addWidget(label("転送", central), 2, 0);
    info->addWidget(lblTrDr_, 2, 1);
    info->setColumnStretch(1, 1);
    main->addLayout(info);

    // Header.
    auto* head = new QGroupBox(central);
    head->setObjectName("fraHeader");
    auto* hl = new QGridLayout(head);
    txtZigyo_ = edit("txtZigyo", 10, head);
    txtBasho_ = edit("txtBasho", 14, head);
    txtStBi_ = edit("txtStBi", 11, head);
    txtEnBi_ = edit("txtEnBi", 11, head);
    txtTcod_ = edit("txtTcod", 8, head);
    txtKijunBi_ = edit("txtKijunBi", 11, head);
    txtKijunBi_->setToolTip("年齢計算基準日");
    txtTorobi_ = edit("txtTorobi", 10, head);
    hl->addWidget(label("事業名", head), 0, 0);
    hl->addWidget(txtZigyo_, 0, 1);
    hl->addWidget(label("場  所", head), 0, 2);
    hl->addWidget(txtBasho_, 0, 3);
    hl->addWidget(label("期  日", head), 0, 4);
    hl->addWidget(txtStBi_, 0, 5);
    hl->addWidget(label("～", head), 0, 6);
    hl->addWidget(txtEnBi_, 0, 7);
    hl->addWidget(label("大会番号", head), 1, 0);
    hl->addWidget(txtTcod_, 1, 1);
    auto* kijunLabel = label("基 準 日", head);
    kijunLabel->setToolTip("年齢計算基準日");
    hl->addWidget(kijunLabel, 1, 2);
    hl->addWidget(txtKijunBi_, 1, 3);
    hl->addWidget(label("登録日", head), 1, 4);
    hl->addWidget(txtTorobi_, 1, 5);
    hl->setColumnStretch(8, 1);
    main->addWidget(head);

    // Option frames and the reserve panel button.
    auto* options = new QHBoxLayout;
    auto frame = [&](const char* name, const char* title, const char* array, std::initializer_list<const char*> captions,
                     QRadioButton** out) {
        auto* g = new QGroupBox(title, central);
        g->setObjectName(name);
        auto* l = new QHBoxLayout(g);
        int i = 0;
        for (const char* c : captions) {
            auto* b = new QRadioButton(c, g);
            b->setObjectName(QString("%1_%2").arg(array).arg(i));
            l->addWidget(b);
            out[i++] = b;
        }
        options->addWidget(g);
    };
    frame("fraSuiro", "水路", "optSuiro", {"長水", "短水"}, optSuiro_.data());
    frame("fraKubun", "学年", "optKubun", {"一般", "ﾏｽﾀｰ", "身障"}, optKubun_.data());
    frame("fraBotai", "母体", "optBotai", {"団体", "県", "地方", "日本"}, optBotai_.data());
    options->addStretch();
    cmdYobi_ = new QPushButton("予 >> 備", central);
    cmdYobi_->setObjectName("cmdYobi");
    options->addWidget(cmdYobi_);
    main->addLayout(options);
    for (int i = 0; i < 2; ++i)
        connect(optSuiro_[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setCourse(std::int16_t(i));
            saveHeader();
        });
    for (int i = 0; i < 3; ++i)
        connect(optKubun_[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setKubun(std::int16_t(i));
            saveHeader();
            showBuffer();  // the grade text depends on the kind
        });
    for (int i = 0; i < 4; ++i)
        connect(optBotai_[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setBotai(std::int16_t(i));
            saveHeader();
        });
    connect(cmdYobi_, &QPushButton::clicked, this, &FrmZepi::toggleReservePanel);

    // Swimmer fields.
    auto* sw = new QGroupBox(central);
    sw->setObjectName("fraSwimmer");
    auto* sl = new QGridLayout(sw);
    txtJun_ = new QLineEdit(sw);
    txtJun_->setObjectName("txtJun");
    txtJun_->setReadOnly(true);
    txtJun_->setFocusPolicy(Qt::NoFocus);
    txtJun_->setFixedWidth(digit * 12 + 14);
    txtBango_ = edit("txtBango", 8, sw);
    txtQBango_ = edit("txtQBango", 15, sw);
    txtKana_ = edit("txtKana", 17, sw);
    txtNamae_ = edit("txtNamae", 17, sw);
    txtKen_ = edit("txtKen", 9, sw);
    txtKenKana_ = edit("txtKenKana", 7, sw);
    txtShozoku_ = edit("txtShozoku", 13, sw);
    txtShozokuKana_ = edit("txtShozokuKana", 7, sw);
    txtGakunen_ = edit("txtGakunen", 5, sw);
    txtNenrei_ = edit("txtNenrei", 4, sw);
    cboSei_ = new QComboBox(sw);
    cboSei_->setObjectName("cboSei");
    cboShuFuku_ = new QComboBox(sw);
    cboShuFuku_->setObjectName("cboShuFuku");
    sl->addWidget(label("順(総数)", sw), 0, 0);
    sl->addWidget(txtJun_, 0, 1);
    sl->addWidget(label("番号", sw), 0, 2);
    sl->addWidget(txtBango_, 0, 3);
    sl->addWidget(label("旧番号", sw), 0, 4);
    sl->addWidget(txtQBango_, 0, 5);
    sl->addWidget(label("ﾌﾘｶﾅ", sw), 0, 6);
    sl->addWidget(txtKana_, 0, 7);
    sl->addWidget(label("名前", sw), 0, 8);
    sl->addWidget(txtNamae_, 0, 9);
    sl->addWidget(label("県", sw), 1, 0);
    sl->addWidget(txtKen_, 1, 1);
    sl->addWidget(label("県ｶﾅ", sw), 1, 2);
    sl->addWidget(txtKenKana_, 1, 3);
    sl->addWidget(label("所属", sw), 1, 4);
    sl->addWidget(txtShozoku_, 1, 5);
    sl->addWidget(label("所属ｶﾅ", sw), 1, 6);
    sl->addWidget(txtShozokuKana_, 1, 7);
    auto* row3 = new QHBoxLayout;
    row3->addWidget(label("学年", sw));
    row3->addWidget(txtGakunen_);
    row3->addWidget(label("年令", sw));
    row3->addWidget(txtNenrei_);
    row3->addWidget(label("性別", sw));
    row3->addWidget(cboSei_);
    row3->addWidget(label("主副", sw));
    row3->addWidget(cboShuFuku_);
    auto* shu = new QGroupBox("種別", sw);
    shu->setObjectName("fraShubetu");
    auto* shl = new QHBoxLayout(shu);
    shl->setContentsMargins(4, 0, 4, 0);
    const char* const disciplines[6] = {"泳", "飛", "球", "シ", "日", "Ｏ"};
    for (int i = 0; i < 6; ++i) {
        chkShubetu_[i] = new QCheckBox(disciplines[i], shu);
        chkShubetu_[i]->setObjectName(QString("chkShubetu_%1").arg(i));
        shl->addWidget(chkShubetu_[i]);
        connect(chkShubetu_[i], &QCheckBox::clicked, this, [this] {
            std::string flags;
            for (QCheckBox* c : chkShubetu_) flags += c->isChecked() ? '1' : '0';
            store_.swimmer().setShubetu(flags);
            swimmerChanged();
        });
    }
    row3->addWidget(shu);
    const char* const nissui[2] = {"ｶｰﾄﾞ", "台紙"};
    for (int i = 0; i < 2; ++i) {
        chkNissui_[i] = new QCheckBox(nissui[i], sw);
        chkNissui_[i]->setObjectName(QString("chkNissui_%1").arg(i));
        row3->addWidget(chkNissui_[i]);
        connect(chkNissui_[i], &QCheckBox::clicked, this, [this, i](bool on) {
            if (i == 0) store_.swimmer().setCard(on ? "1" : "0");
            else store_.swimmer().setDaishi(on ? "1" : "0");
            swimmerChanged();
        });
    }
    row3->addStretch();
    sl->addLayout(row3, 2, 0, 1, 10);
    sl->setColumnStretch(10, 1);
    main->addWidget(sw);
    connect(cboSei_, &QComboBox::activated, this, [this](int i) {
        store_.swimmer().setSei(std::to_string(i));
        swimmerChanged();
    });
    connect(cboShuFuku_, &QComboBox::activated, this, [this](int i) {
        store_.swimmer().setShuFuku(std::to_string(i));
        swimmerChanged();
    });

    // Copy labels: the record shown before the current one.
    auto* copies = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        lblCopy_[i] = new QLabel(central);
        lblCopy_[i]->setObjectName(QString("lblCopy_%1").arg(i));
        lblCopy_[i]->setToolTip(kCopyTips[i]);
        lblCopy_[i]->setFrameShape(QFrame::Panel);
        lblCopy_[i]->setFrameShadow(QFrame::Sunken);
        lblCopy_[i]->setMinimumWidth(digit * (i == 3 || i == 4 ? 9 : 15));
        lblCopy_[i]->installEventFilter(this);
        copies->addWidget(lblCopy_[i]);
    }
    copies->addStretch();
    main->addLayout(copies);

    // Event slots.
    auto slotBox = [&](const SlotGroup& g, QGridLayout* into, int column) {
        auto* box = new QGroupBox(g.title, central);
        auto* l = new QGridLayout(box);
        l->setVerticalSpacing(1);
        l->setContentsMargins(4, 2, 4, 2);
        for (int slot = g.first; slot <= g.last; ++slot) {
            int row = slot - g.first;
            lblKiro_[slot] = new QLabel(q(slotLabel(slot)), box);
            lblKiro_[slot]->setObjectName(QString("lblKiro_%1").arg(slot));
            QFont mono = lblKiro_[slot]->font();
            mono.setFamilies({"IPAGothic", "monospace"});
            lblKiro_[slot]->setFont(mono);
            txtKiro_[slot] = edit(QString("txtKiro_%1").arg(slot).toLatin1().constData(), 8, box);
            txtKiro_[slot]->setAlignment(Qt::AlignRight);
            l->addWidget(lblKiro_[slot], row, 0);
            l->addWidget(txtKiro_[slot], row, 1);
            if (slot < tolv::kIndividualSlots) {
                lblMark_[slot] = new QLabel(box);
                lblMark_[slot]->setObjectName(QString("lblMark_%1").arg(slot));
                lblMark_[slot]->setFixedWidth(digit * 3);
                l->addWidget(lblMark_[slot], row, 2);
            }
        }
        l->setRowStretch(g.last - g.first + 1, 1);
        into->addWidget(box, 0, column);
    };
    auto* individual = new QGridLayout;
    int c = 0;
    for (const SlotGroup& g : kIndividualGroups) slotBox(g, individual, c++);
    individual->setColumnStretch(c, 1);
    main->addLayout(individual);
    auto* relays = new QGridLayout;
    c = 0;
    for (const SlotGroup& g : kRelayGroups) slotBox(g, relays, c++);
    relays->setColumnStretch(c, 1);
    main->addLayout(relays);

    // Input line and buttons.
    auto* line = new QHBoxLayout(lineBar);
    line->setContentsMargins(9, 4, 9, 4);
    lblBiko_ = new QLabel(central);
    lblBiko_->setObjectName("lblBiko");
    lblBiko_->setMinimumWidth(digit * 7);
    txtBiko_ = edit("txtBiko", 12, central);
    cmdShinki_ = new QPushButton("新規入力", central);
    cmdShinki_->setObjectName("cmdShinki");
    cmdMae_ = new QPushButton("前データ", central);
    cmdMae_->setObjectName("cmdMae");
    cmdTugi_ = new QPushButton("次データ", central);
    cmdTugi_->setObjectName("cmdTugi");
    cmdSakuzo_ = new QPushButton("表示データ削除", central);
    cmdSakuzo_->setObjectName("cmdSakuzo");
    line->addWidget(lblBiko_);
    line->addWidget(txtBiko_);
    line->addSpacing(20);
    line->addWidget(cmdShinki_);
    line->addWidget(cmdMae_);
    line->addWidget(cmdTugi_);
    line->addWidget(cmdSakuzo_);
    line->addStretch();
    main->addStretch();
    connect(cmdShinki_, &QPushButton::clicked, this, &FrmZepi::startNewEntry);
    connect(cmdMae_, &QPushButton::clicked, this, &FrmZepi::previous);
    connect(cmdTugi_, &QPushButton::clicked, this, &FrmZepi::next);
    connect(cmdSakuzo_, &QPushButton::clicked, this, &FrmZepi::deleteShown);

    // Reserve-event panel, hidden until "予 >> 備".
    reservePanel_ = new QWidget(central);
    reservePanel_->setObjectName("fraYobi");
    auto* rl = new QGridLayout(reservePanel_);
    rl->setVerticalSpacing(1);
    rl->addWidget(label("区分", reservePanel_), 0, 1);
    rl->addWidget(label("種目", reservePanel_), 0, 2);
    for (int i = 0; i < tolv::kReserveEvents; ++i) {
        rl->addWidget(label(tolv::eventCode(tolv::kFirstReserveSlot + i).c_str(), reservePanel_), i + 1, 0);
        txtYobiKubun_[i] = edit(QString("txtYobiKubun_%1").arg(i).toLatin1().constData(), 9, reservePanel_);
        txtYobi_[i] = edit(QString("txtYobi_%1").arg(i).toLatin1().constData(), 17, reservePanel_);
        cboYobiF_[i] = new QComboBox(reservePanel_);
        cboYobiF_[i]->setObjectName(QString("cboYobiF_%1").arg(i));
        cboYobiF_[i]->addItems({"個人", "リレー"});
        rl->addWidget(txtYobiKubun_[i], i + 1, 1);
        rl->addWidget(txtYobi_[i], i + 1, 2);
        rl->addWidget(cboYobiF_[i], i + 1, 3);
        connect(cboYobiF_[i], &QComboBox::activated, this, [this, i](int pos) {
            store_.reserve().setYobiRelay(i, pos == 1 ? "1" : "0");
            saveHeader();
        });
    }
    auto* copy = new QGroupBox("区分・種目のコピー", reservePanel_);
    copy->setObjectName("fraYobiCopy");
    auto* cl = new QGridLayout(copy);
    drive1_ = new DrivePicker(ctx_.ask(), copy);
    drive1_->setObjectName("Drive1");
    dir1_ = new DirPicker(copy);
    dir1_->setObjectName("Dir1");
    file1_ = new FilePicker(copy);
    file1_->setObjectName("File1");
    file1_->setPatterns({"*.zep", "*.kek", "*.tor"});
    cmdKakutei_ = new QPushButton("↑", copy);
    cmdKakutei_->setObjectName("cmdKakutei");
    cl->addWidget(drive1_, 0, 0);
    cl->addWidget(cmdKakutei_, 0, 1);
    cl->addWidget(dir1_, 1, 0);
    cl->addWidget(file1_, 1, 1);
    rl->addWidget(copy, tolv::kReserveEvents + 1, 0, 1, 4);
    reservePanel_->hide();
    outer->addWidget(reservePanel_);
    connect(drive1_, &DrivePicker::driveChanged, this, [this](const QString& r) { dir1_->setRoot(s(r)); });
    connect(dir1_, &DirPicker::pathChanged, this, [this](const QString& p) { file1_->setFolder(s(p)); });
    connect(cmdKakutei_, &QPushButton::clicked, this, &FrmZepi::copyReserveEvents);

    // Step 2 of loading: the fixed items of the list boxes.
    cboSei_->addItems({"", "男子", "女子", "混合"});
    cboShuFuku_->addItems({"", "主", "副"});

    setTabOrder(txtBiko_, cmdShinki_);
    // Small screens: the window fits the screen and its content scrolls.
    setMinimumSize(560, 400);
    // As large as the content asks, within the screen.
    const QSize chrome(24, menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + lineBar->sizeHint().height() + 8);
    QSize size = central->sizeHint() + chrome;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(QSize(free.width() - 16, free.height() - 40));
    }
    resize(size);
}

// --- loading and closing -------------------------------------------------------------------------

void FrmZepi::load()
{
    const fs::path ctl = tolv::ctlDir();
    tolv::Session& session = ctx_.session;
    try {
        tolv::ZepControl zep = tolv::loadZepControl(ctl);
        tolv::TorControl tor = tolv::loadTorControl(ctl);
        tolv::TenControl ten = tolv::loadTenControl(ctl);
        entryFolder_ = tolv::toHostPath(zep.folder);
        entryName_ = zep.fileName;
        entryStored_ = zep.folder;
        registrationStored_ = tor.folder;
        transferFolder_ = tolv::toHostPath(ten.folder);
        lblTrDr_->setText(q(ten.folder));
        lookup_ = std::make_unique<tolv::AthleteLookup>(session, tolv::toHostPath(tor.folder), ctl, tolv::tempDir());
    } catch (const std::exception& e) {
        if (!carryOnAfterError(ctx_, e)) return;
        lookup_ = std::make_unique<tolv::AthleteLookup>(session, tolv::homeDir(), ctl, tolv::tempDir());
    }

    // In internet mode the start-up window has fetched kanriken.ctl and ken.ctl (or the user chose
    // to go on without the unit flags).
    lookup_->loadUnitFlags();
    setState(Browse, "検索・修正");

    try {
        store_.openEntryFile(entryFolder_, entryName_);
    } catch (const std::exception& e) {
        carryOnAfterError(ctx_, e);
        return;  // nothing to show without the entry file
    }
    drive1_->setDriveOf(entryFolder_);
    dir1_->setRoot(drive1_->root());
    dir1_->setPath(entryFolder_);
    showHeader();
    current_ = store_.header().total();
    showSwimmer(current_);
    if (session.internet() && lookup_->unitFlags().empty())
        say("管理ユニットの設定（kanriken.ctl）がないため、所属の検索とﾌﾘｶﾅ・生年月日の検索はできません。");
}

void FrmZepi::closeEntry()
{
    if (closed_) return;
    closed_ = true;
    run_.reset();
    store_.close();
    try {
        tolv::cleanTempFolder(tolv::tempDir());
    } catch (const std::exception&) {
        // A working copy that cannot be removed is left; the next start removes it.
    }
    ctx_.session.forgetMaster();
}

void FrmZepi::closeEvent(QCloseEvent* event)
{
    if (!ctx_.ending && !mayLeave()) {
        event->ignore();
        return;
    }
    closeEntry();
    event->accept();
}

QAction* FrmZepi::menuAction(const QString& name) const { return findChild<QAction*>(name); }

void FrmZepi::handOverTo(QWidget* child)
{
    if (!store_.isOpen()) {
        delete child;
        return;
    }
    run_.reset();
    enableButtons(true);
    setState(Browse, "検索・修正");
    store_.close();
    child->setAttribute(Qt::WA_DeleteOnClose);
    connect(child, &QObject::destroyed, this, [this] {
        if (closed_) return;
        if (guard([this] { store_.reopen(); })) refreshCurrent();
        show();
    });
    hide();
    showPlaced(child);
}

void FrmZepi::say(const QString& message) { statusBar()->showMessage(message); }

bool FrmZepi::mayLeave()
{
    if (state_ == Browse || !run_) return true;
    return ctx_.ask().ask("入力中の選手（" + std::to_string(run_->number()) + "人目）は登録されていません。" +
                          "破棄して終わりますか？");
}

// --- header --------------------------------------------------------------------------------------

void FrmZepi::showHeader()
{
    tolv::EntryHeader& h = store_.header();
    txtZigyo_->setText(shown(h.zigyo()));
    txtBasho_->setText(shown(h.basho()));
    txtStBi_->setText(shown(h.stBi()));
    txtEnBi_->setText(shown(h.enBi()));
    txtTcod_->setText(shown(h.tcod()));
    txtKijunBi_->setText(shown(h.kijunBi()));
    auto check = [](auto& buttons, int index) {
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            buttons[i]->setAutoExclusive(false);
            buttons[i]->setChecked(int(i) == index);
            buttons[i]->setAutoExclusive(true);
        }
    };
    check(optSuiro_, h.course());
    check(optKubun_, h.kubun());
    check(optBotai_, h.botai());
    tolv::ReserveEvents& r = store_.reserve();
    for (int i = 0; i < tolv::kReserveEvents; ++i) {
        std::string flag = r.yobiRelay(i);
        if (flag != "0" && flag != "1") {
            // An unset row: individual event, no category; written with the next header change.
            r.setYobiRelay(i, "0");
            r.setYobiKubun(i, "");
        }
        txtYobiKubun_[i]->setText(shown(r.yobiKubun(i)));
        QString name = shown(r.yobiName(i));
        txtYobi_[i]->setText(name.isEmpty() ? QString(" (%1)").arg(i + 1) : name);
        cboYobiF_[i]->setCurrentIndex(r.isRelay(i) ? 1 : 0);
        QString tip = name.isEmpty() ? QString() : name;
        txtKiro_[tolv::kFirstReserveSlot + i]->setToolTip(tip);
        lblKiro_[tolv::kFirstReserveSlot + i]->setToolTip(tip);
    }
}

void FrmZepi::saveHeader()
{
    guard([this] { store_.saveHeader(); });
}

void FrmZepi::headerEntered(QLineEdit* box)
{
    tolv::EntryHeader& h = store_.header();
    const std::string text = s(box->text());
    QLineEdit* nextBox = nullptr;
    if (box == txtStBi_ || box == txtEnBi_ || box == txtKijunBi_) {
        if (!box->isModified()) {
            // Unchanged: nothing to store.
        } else {
            tolv::HeaderDate which = box == txtStBi_ ? tolv::HeaderDate::First
                                     : box == txtEnBi_ ? tolv::HeaderDate::Last
                                                       : tolv::HeaderDate::Reference;
            if (!tolv::setHeaderDate(h, which, text)) {
                // Not eight characters: the date stays as it was.
                say("日付は8桁 (例 20081016) で入力してください。入力: " + box->text());
                return;
            }
            saveHeader();
            box->setText(shown(which == tolv::HeaderDate::First  ? h.stBi()
                               : which == tolv::HeaderDate::Last ? h.enBi()
                                                                 : h.kijunBi()));
        }
        nextBox = box == txtStBi_ ? txtEnBi_ : box == txtEnBi_ ? txtTcod_ : txtBiko_;
    } else {
        bool ok = guard([&] {
            if (!box->isModified()) return;
            if (box == txtZigyo_) h.setZigyo(text);
            else if (box == txtBasho_) h.setBasho(text);
            else if (box == txtTcod_) h.setTcod(text);
            store_.saveHeader();
        });
        if (!ok) return;
        box->setText(shown(box == txtZigyo_ ? h.zigyo() : box == txtBasho_ ? h.basho() : h.tcod()));
        nextBox = box == txtZigyo_ ? txtBasho_ : box == txtBasho_ ? txtStBi_ : txtKijunBi_;
    }
    if (nextBox) nextBox->setFocus();
}

void FrmZepi::toggleReservePanel()
{
    const bool show = reservePanel_->isHidden();
    cmdYobi_->setText(show ? "予 << 備" : "予 >> 備");
    if (!show) {
        reservePanel_->hide();
        if (widthBeforeReserve_ > 0) resize(widthBeforeReserve_, heightBeforeReserve_);
        widthBeforeReserve_ = 0;
        return;
    }
    widthBeforeReserve_ = width();
    heightBeforeReserve_ = height();
    const int panelWidth = reservePanel_->sizeHint().width();
    reservePanel_->show();
    // The panel opens beside the swimmer area, but the window stays on the screen: what does not
    // fit scrolls.
    QRect free = screen() ? screen()->availableGeometry() : QRect(0, 0, 1366, 768);
    const int frameW = frameGeometry().width() - width();
    const int frameH = frameGeometry().height() - height();
    const int wanted = std::min(width() + panelWidth, free.width() - frameW);
    // Taller too when the panel needs it and the screen has room.
    const int tall = std::min(std::max(height(), reservePanel_->sizeHint().height() + menuBar()->height() +
                                                     statusBar()->height() + 60),
                              free.height() - frameH);
    resize(std::max(wanted, width()), std::max(tall, height()));
    QRect outer = frameGeometry();
    if (outer.right() > free.right()) move(std::max(free.left(), free.right() - outer.width() + 1), y());
    outer = frameGeometry();
    if (outer.bottom() > free.bottom()) move(x(), std::max(free.top(), free.bottom() - outer.height() + 1));
}

void FrmZepi::copyReserveEvents()
{
    const QString name = file1_->fileName();
    if (name.isEmpty()) {
        ctx_.ask().tell("コピー元の申込ファイルを選んでください");
        return;
    }
    const fs::path source = file1_->folder() / s(name);
    bool ok = guard([&] {
        // Read only: the source file is never initialised or changed.
        tolv::RecordFile f(source, tolv::kEntryRecordLength, tolv::RecordFile::Mode::ReadOnly);
        tolv::enforce(f.byteSize() > 10, "申込ファイルではありません: " + source.string());
        tolv::ReserveEvents r;
        f.read(2, r.bytes().data());
        f.close();
        tolv::ReserveEvents before = store_.reserve();
        store_.reserve() = r;
        try {
            store_.saveHeader();
            store_.reopen();
        } catch (...) {
            store_.reserve() = before;
            throw;
        }
    });
    if (!ok) return;
    showHeader();
    cmdKakutei_->setEnabled(false);
}

// --- swimmer area --------------------------------------------------------------------------------

void FrmZepi::showSwimmer(int n)
{
    if (!guard([&] { store_.readSwimmer(n); })) store_.swimmer() = tolv::EntryStore::emptySwimmer();
    showBuffer();
}

void FrmZepi::showBuffer()
{
    const tolv::SwimmerRecord& r = store_.swimmer();
    const tolv::EntryHeader& h = store_.header();
    int total = run_ ? run_->number() : h.total();
    txtJun_->setText(QString("%1  (%2)").arg(current_).arg(total));
    txtBango_->setText(shown(r.Bango()));
    txtQBango_->setText(shown(r.QBango()));
    txtKana_->setText(shown(r.Kana()));
    txtNamae_->setText(shown(r.Namae()));
    txtKen_->setText(shown(r.ken()));
    txtKenKana_->setText(shown(r.kenKana()));
    txtShozoku_->setText(shown(r.Shozoku()));
    txtShozokuKana_->setText(shown(r.ShozokuKana()));
    txtGakunen_->setText(q(tolv::gradeText(r.gakunen(), h.kubun())));
    txtNenrei_->setText(numberOrEmpty(r.nenrei()));
    txtTorobi_->setText(numberOrEmpty(r.torobi()));
    int sei = tolv::SwimmerRecord::digitValue(r.sei());
    cboSei_->setCurrentIndex(sei <= 3 ? sei : -1);
    int shuFuku = tolv::SwimmerRecord::digitValue(r.shuFuku());
    cboShuFuku_->setCurrentIndex(shuFuku <= 2 ? shuFuku : -1);
    std::string flags = r.shubetu();
    for (int i = 0; i < 6; ++i) chkShubetu_[i]->setChecked(std::size_t(i) < flags.size() && flags[std::size_t(i)] == '1');
    chkNissui_[0]->setChecked(r.card() == "1");
    chkNissui_[1]->setChecked(r.daishi() == "1");
    for (int slot = 0; slot < tolv::kEventSlots; ++slot) txtKiro_[slot]->setText(q(tolv::shownTime(r.kiro(slot))));
    for (int slot = 0; slot < tolv::kIndividualSlots; ++slot)
        lblMark_[slot]->setText(q(r.markA(slot) + r.markB(slot)).trimmed());
    showInfoLines();
}

void FrmZepi::showInfoLines()
{
    lblFile_->setText(q(entryStored_ + entryName_));
    if (lookup_) {
        std::string where;
        guard([&] { where = lookup_->masterLocation(); });
        lblToroDr_->setText(q(ctx_.session.internet() ? where : registrationStored_));
    }
}

void FrmZepi::fillCopyLabels()
{
    const tolv::SwimmerRecord& r = store_.swimmer();
    lblCopy_[0]->setText(shown(r.Namae()));
    lblCopy_[1]->setText(shown(r.Kana()));
    lblCopy_[2]->setText(shown(r.Shozoku()));
    lblCopy_[3]->setText(shown(r.ShozokuKana()));
    lblCopy_[4]->setText(numberOrEmpty(r.torobi()));
}

void FrmZepi::copyLabelToField(int i)
{
    const std::string text = s(lblCopy_[i]->text());
    bool ok = guard([&] {
        tolv::SwimmerRecord& r = store_.swimmer();
        switch (i) {
        case 0: r.setNamae(text); break;
        case 1: r.setKana(text); break;
        case 2: r.setShozoku(text); break;
        case 3: r.setShozokuKana(text); break;
        default: r.setTorobi(static_cast<std::int32_t>(std::clamp<long long>(tolv::numericValue(text), 0, INT32_MAX)));
        }
    });
    if (!ok) return;
    swimmerChanged();
    showBuffer();
}

void FrmZepi::swimmerChanged()
{
    if (state_ != Browse) return;  // a new entry is written when it ends
    if (current_ < 1) {
        ctx_.ask().tell("表示中の選手がありません。「新規入力」で選手を登録してください。");
        return;
    }
    guard([this] { store_.writeSwimmer(current_); });
}

void FrmZepi::swimmerEntered(QLineEdit* box)
{
    tolv::SwimmerRecord& r = store_.swimmer();
    const bool browse = state_ == Browse;
    struct Field {
        QLineEdit* box;
        std::size_t offset, width;
        QLineEdit* nextBrowse;
        QLineEdit* nextNew;
    };
    const Field fields[] = {
        {txtBango_, tolv::SwimmerRecord::kBango, 7, txtBiko_, txtBiko_},
        {txtKana_, tolv::SwimmerRecord::kKana, 16, txtNamae_, txtNamae_},
        {txtNamae_, tolv::SwimmerRecord::kNamae, 16, txtKen_, txtBiko_},
        {txtKen_, tolv::SwimmerRecord::kKen, 8, txtKenKana_, txtKenKana_},
        {txtKenKana_, tolv::SwimmerRecord::kKenKana, 6, txtShozoku_, txtShozoku_},
        {txtShozoku_, tolv::SwimmerRecord::kShozoku, 12, txtShozokuKana_, txtShozokuKana_},
        {txtShozokuKana_, tolv::SwimmerRecord::kShozokuKana, 6, txtGakunen_, txtGakunen_},
    };
    QLineEdit* nextBox = nullptr;
    bool changed = box->isModified();
    const std::string text = s(box->text());
    bool ok = guard([&] {
        for (const Field& f : fields)
            if (f.box == box) {
                if (changed) r.setText(f.offset, f.width, text);
                nextBox = browse ? f.nextBrowse : f.nextNew;
                return;
            }
        if (box == txtGakunen_) {
            if (changed) r.setGakunen(text);
            nextBox = txtNenrei_;
        } else if (box == txtNenrei_) {
            if (changed) r.setNenrei(static_cast<std::int16_t>(std::clamp<long long>(tolv::numericValue(text), 0, SHRT_MAX)));
            nextBox = txtBiko_;
        } else if (box == txtTorobi_) {
            if (changed) r.setTorobi(static_cast<std::int32_t>(std::clamp<long long>(tolv::numericValue(text), 0, INT32_MAX)));
            nextBox = txtKijunBi_;
        }
    });
    if (!ok) return;
    if (changed) {
        swimmerChanged();
        showBuffer();
    }
    if (nextBox) nextBox->setFocus();
}

int FrmZepi::pickAthlete(const tolv::SearchList& list)
{
    int line = FrmZepiKensaku::pickLine(list, this);
    activateWindow();  // the input continues here
    return line;
}

void FrmZepi::qbangoEntered()
{
    const std::string completed = tolv::completeCentury(s(txtQBango_->text()), store_.header().kijunBi());
    txtQBango_->setText(q(completed));
    if (state_ == Browse) {
        if (!guard([&] { store_.swimmer().setQBango(completed); })) return;
        swimmerChanged();
        showBuffer();
        txtKana_->setFocus();
        return;
    }
    tolv::LookupResult r;
    say(QString());  // what the last search said is not about this one
    bool ok = guard([&] {
        BusyCursor busy;
        r = lookup_->byNumber(store_.swimmer(), completed, store_.header(),
                              [this](const tolv::SearchList& l) { return pickAthlete(l); });
    });
    if (!ok) return;  // the record stays as it was
    run_->take(r);
    showBuffer();
    if (r.found) say(QString());
    else if (q(completed).toUcs4().size() < 14) say("旧番号が14桁に足りないため、登録データを検索しませんでした: " + q(completed));
    else say("登録データに旧番号 " + q(completed) + " の選手はいません。");
    (r.found ? txtBiko_ : txtNamae_)->setFocus();
}

void FrmZepi::kanaEntered()
{
    if (state_ == Browse) {
        swimmerEntered(txtKana_);
        return;
    }
    // The search works on what the boxes show: the reading just typed and the number typed so far
    // (its team code becomes the start of the athlete's number).
    tolv::SwimmerRecord typed = store_.swimmer();
    if (!guard([&] {
            typed.setKana(s(txtKana_->text()));
            typed.setQBango(s(txtQBango_->text()));
        }))
        return;
    tolv::LookupResult r;
    bool listed = false;
    say(QString());  // what the last search said is not about this one
    bool ok = guard([&] {
        BusyCursor busy;
        r = lookup_->byReading(typed, store_.header(), [this, &listed](const tolv::SearchList& l) {
            listed = true;
            return pickAthlete(l);
        });
    });
    if (!ok) return;
    run_->take(r);
    showBuffer();
    if (r.found) say(QString());
    else if (listed) say("選手が選ばれませんでした。");
    else if (const int pref = tolv::prefectureOfNumber(typed.QBango()); !tolv::unitKeepsTeams(lookup_->unitFlags(), pref))
        // Nothing was searched: saying nobody has the reading would not be true.
        say(QString("管理ユニットの設定に都道府県 %1 の団体リストがないため、ﾌﾘｶﾅでは検索していません。").arg(pref));
    else say("登録データにﾌﾘｶﾅ「" + txtKana_->text().trimmed() + "」の選手はいません。");
    (r.found ? txtBiko_ : txtNamae_)->setFocus();
}

void FrmZepi::timeEntered(int slot)
{
    QLineEdit* box = txtKiro_[slot];
    if (!box->isModified()) return;
    std::optional<std::int32_t> v = tolv::parseTime(s(box->text()));
    if (!v) {
        ctx_.ask().tell(tolv::timeRefusedMessage(s(box->text())));
        box->setFocus();
        box->selectAll();
        return;
    }
    store_.swimmer().setKiro(slot, *v);
    swimmerChanged();
    box->setText(q(tolv::shownTime(store_.swimmer().kiro(slot))));
    box->setModified(false);
    box->selectAll();
}

// --- input line, navigation, new entry, deletion ---------------------------------------------------

void FrmZepi::setState(State st, const char* title)
{
    state_ = st;
    setWindowTitle(title);
    // Commands of other parts work on the file one record at a time: not while a record is being
    // made in the buffer.
    for (const char* name : {"mIn", "mOut", "mSot", "mShu", "mCheck"})
        if (QAction* a = menuAction(name)) a->setEnabled(st == Browse);
}

void FrmZepi::enableButtons(bool on)
{
    for (QPushButton* b : {cmdShinki_, cmdMae_, cmdTugi_, cmdSakuzo_}) b->setEnabled(on);
}

void FrmZepi::inputLineEnter()
{
    const QString text = txtBiko_->text();
    if (state_ == Browse) {
        int total = store_.header().total();
        long long n = tolv::numericValue(s(text));
        n = total < 1 ? 0 : std::clamp<long long>(n, 1, total);
        moveTo(static_cast<int>(n));
        txtBiko_->selectAll();
        return;
    }
    if (!run_) return;
    if (state_ == NewEntry) {
        if (text.toUcs4().size() != 2) return;
        if (text == "99") {
            endNewEntry();
            return;
        }
        auto slot = tolv::slotFromTypedCode(s(text));
        if (!slot) {
            say("種目コード「" + text + "」の種目はありません。");
            txtBiko_->selectAll();  // no such event: still waiting for a code
            return;
        }
        say(QString());
        slot_ = *slot;
        lblBiko_->setText(QString::number(slot_));
        setState(NewTime, "記録入力");
        txtBiko_->setText(q(run_->preset(slot_)));
        txtBiko_->selectAll();
        return;
    }
    // State 3: the time for slot_.
    int caret = codePointsBefore(text, txtBiko_->cursorPosition());
    if (!run_->storeTime(slot_, s(text), caret)) {
        ctx_.ask().tell(tolv::timeRefusedMessage(s(text)));
        txtBiko_->setFocus();
        txtBiko_->selectAll();
        return;
    }
    showBuffer();
    lblBiko_->setText("種目No");
    setState(NewEntry, "種目入力");
    txtBiko_->clear();
}

void FrmZepi::moveTo(int n)
{
    fillCopyLabels();
    current_ = n;
    showSwimmer(n);
}

void FrmZepi::previous()
{
    setState(Browse, "検索・修正");
    if (current_ <= 1) {
        ctx_.ask().tell("１より小さいレコードはありません。");
        showSwimmer(current_);
    } else {
        moveTo(current_ - 1);
    }
    txtBiko_->setFocus();
}

void FrmZepi::next()
{
    setState(Browse, "検索・修正");
    int total = store_.header().total();
    if (current_ >= total) {
        ctx_.ask().tell(" " + std::to_string(total) + "より大きいデータはありません。");
        showSwimmer(current_);
    } else {
        moveTo(current_ + 1);
    }
    txtBiko_->setFocus();
}

void FrmZepi::startNewEntry()
{
    if (!store_.isOpen()) return;
    fillCopyLabels();
    setState(NewEntry, "登録");
    txtBiko_->setToolTip("新規登録終了は「種目コード」入力で「99」を入力");
    enableButtons(false);
    run_ = std::make_unique<tolv::NewEntryRun>(store_);
    current_ = run_->number();
    showBuffer();
    lblBiko_->setText("種目No");
    txtBiko_->clear();
    txtQBango_->setFocus();
}

void FrmZepi::endNewEntry()
{
    if (!guard([this] { run_->finish(); })) return;  // still in the new entry: nothing lost
    current_ = run_->number();
    run_.reset();
    setState(Browse, "検索・修正");
    enableButtons(true);
    txtBiko_->setToolTip(QString());
    lblBiko_->clear();
    txtBiko_->clear();
    showBuffer();
    cmdShinki_->setFocus();
}

void FrmZepi::deleteShown()
{
    if (current_ < 1 || current_ > store_.header().total()) return;
    setState(NewTime, "削除");
    if (ctx_.ask().ask("削除します")) {
        guard([this] { current_ = tolv::deleteSwimmer(store_, current_); });
        showBuffer();
    }
    setState(Browse, "検索・修正");
    enableButtons(true);
}

void FrmZepi::refreshAt(int n)
{
    current_ = n;
    refreshCurrent();
}

void FrmZepi::refreshCurrent()
{
    if (!store_.isOpen()) return;
    if (state_ != Browse) {
        run_.reset();
        enableButtons(true);
        setState(Browse, "検索・修正");
    }
    guard([this] { store_.reopen(); });
    current_ = std::clamp(current_, 0, store_.header().total());
    showHeader();
    showSwimmer(current_);
}

bool FrmZepi::guard(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ctx_.ask().tell(e.what());
        return false;
    }
}

// --- keys ----------------------------------------------------------------------------------------

bool FrmZepi::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick)
        for (int i = 0; i < 5; ++i)
            if (watched == lblCopy_[i]) {
                copyLabelToField(i);
                return true;
            }
    if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box) return QMainWindow::eventFilter(watched, event);

    const bool dateBox = box == txtStBi_ || box == txtEnBi_ || box == txtKijunBi_;
    int timeSlot = -1;
    for (int i = 0; i < tolv::kEventSlots; ++i)
        if (box == txtKiro_[i]) timeSlot = i;

    if (!isEnter(k)) {
        // A date is typed afresh as eight digits; a shown time or mark is replaced, not edited.
        if (isTyping(k) && dateBox && box->text().contains('/')) box->clear();
        if (isTyping(k) && timeSlot >= 0 && !box->isModified() && !box->text().isEmpty()) box->clear();
        if (box == txtBiko_ && state_ == Browse) {
            if (k->key() == Qt::Key_Up) {
                previous();
                return true;
            }
            if (k->key() == Qt::Key_Down) {
                next();
                return true;
            }
            if (k->key() == Qt::Key_Insert) {
                txtBango_->setFocus();
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
    }

    if (!store_.isOpen()) return true;
    if (box == txtZigyo_ || box == txtBasho_ || box == txtTcod_ || dateBox) headerEntered(box);
    else if (box == txtBiko_) inputLineEnter();
    else if (box == txtQBango_) qbangoEntered();
    else if (box == txtKana_) kanaEntered();
    else if (timeSlot >= 0) timeEntered(timeSlot);
    else {
        for (int i = 0; i < tolv::kReserveEvents; ++i)
            if (box == txtYobiKubun_[i] || box == txtYobi_[i]) {
                const std::string text = s(box->text());
                bool ok = guard([&] {
                    if (!box->isModified()) return;
                    if (box == txtYobiKubun_[i]) store_.reserve().setYobiKubun(i, text);
                    else store_.reserve().setYobiName(i, text);
                    store_.saveHeader();
                });
                if (ok) showHeader();
                return true;
            }
        swimmerEntered(box);
    }
    return true;
}

} // namespace tolv::gui
