#include "gui/FrmZepi.h"

#include "gui/BoxConfirmer.h"

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
#include "gui/ZepiHeaderPanel.h"
#include "gui/ZepiInputLine.h"
#include "gui/ZepiKeys.h"
#include "gui/ZepiMenuBar.h"
#include "gui/ZepiReservePanel.h"
#include "gui/ZepiSwimmerPanel.h"
#include "gui/WindowPlacement.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/Codes.h"
#include "storage/ControlFiles.h"
#include "storage/DownloadLayout.h"
#include "storage/EntryOpening.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QStatusBar>
#include <QValidator>
#include <QVBoxLayout>

#include <climits>

namespace tolv::gui {

namespace fs = std::filesystem;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

// Characters of a text before a cursor position given in UTF-16 units.
int codePointsBefore(const QString& text, int cursor) { return int(text.left(cursor).toUcs4().size()); }

// A box takes no more than its field holds: typing past it is refused (and told, inputRejected).
class FieldValidator : public QValidator {
public:
    FieldValidator(tolv::EntryBox box, QObject* parent) : QValidator(parent), box_(box) {}
    State validate(QString& input, int&) const override
    {
        return tolv::EntryEditRules::fits(box_, s(input)) ? Acceptable : Invalid;
    }

private:
    tolv::EntryBox box_;
};

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
    applyAccess();
}

FrmZepi::~FrmZepi()
{
    committing_ = true; // boxes losing the focus while the window goes confirm nothing
    delete keys_;       // no key reaches a window being taken apart
    // A window the file was handed to (merge, Mcompd, Seiko) is a child, deleted by the base
    // destructor after this one: its end must not reopen the file of a window already gone.
    for (QObject* c : children()) disconnect(c, &QObject::destroyed, this, nullptr);
    closeEntry();
}

// --- building ------------------------------------------------------------------------------------

void FrmZepi::buildMenus()
{
    buildEntryMenuBar(*menuBar());
    // A menu opened, or an item chosen by its shortcut, first confirms the box being typed in, so
    // the command sees what the boxes show. These connections come before the commands' own.
    for (QMenu* m : menuBar()->findChildren<QMenu*>()) connect(m, &QMenu::aboutToShow, this, &FrmZepi::commitPending);
    for (QAction* a : menuBar()->findChildren<QAction*>())
        if (!a->menu()) connect(a, &QAction::triggered, this, &FrmZepi::commitPending);

    QAction* owari = menuAction("mOwari");
    connect(owari, &QAction::triggered, this, [this] {
        commitPending();
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
    keys_ = new ZepiKeys(*this);
    input_ = new ZepiInputLine(keys_, outerFrame);
    frameLayout->addWidget(input_);
    setCentralWidget(outerFrame);
    statusBar()->setObjectName("stbZepi");

    auto* outer = new QHBoxLayout(central);
    outer->setContentsMargins(6, 4, 6, 2);
    auto* main = new QVBoxLayout;
    main->setSpacing(2);
    outer->addLayout(main, 1);
    header_ = new ZepiHeaderPanel(keys_, central);
    swimmer_ = new ZepiSwimmerPanel(keys_, central);
    main->addWidget(header_);
    main->addWidget(swimmer_);
    main->addStretch();
    reserve_ = new ZepiReservePanel(ctx_.ask(), keys_, central);
    reserve_->hide();
    outer->addWidget(reserve_);
    wirePanels();

    setTabOrder(input_->txtBiko, input_->cmdShinki);
    // Small screens: the window fits the screen and its content scrolls.
    setMinimumSize(560, 400);
    // As large as the content asks, within the screen.
    const QSize chrome(24, menuBar()->sizeHint().height() + statusBar()->sizeHint().height() + input_->sizeHint().height() + 8);
    QSize size = central->sizeHint() + chrome;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        size = size.boundedTo(QSize(free.width() - 16, free.height() - 40));
    }
    resize(size);
}

void FrmZepi::wirePanels()
{
    using B = tolv::EntryBox;
    ZepiHeaderPanel& h = *header_;
    ZepiSwimmerPanel& w = *swimmer_;
    const std::pair<QLineEdit*, B> boxes[] = {
        {h.txtZigyo, B::Zigyo},     {h.txtBasho, B::Basho},     {h.txtStBi, B::StBi},
        {h.txtEnBi, B::EnBi},       {h.txtTcod, B::Tcod},       {h.txtKijunBi, B::KijunBi},
        {h.txtTorobi, B::Torobi},   {w.txtBango, B::Bango},     {w.txtQBango, B::QBango},
        {w.txtKana, B::Kana},       {w.txtNamae, B::Namae},     {w.txtKen, B::Ken},
        {w.txtKenKana, B::KenKana}, {w.txtShozoku, B::Shozoku}, {w.txtShozokuKana, B::ShozokuKana},
        {w.txtGakunen, B::Gakunen}, {w.txtNenrei, B::Nenrei}};
    for (const auto& [box, kind] : boxes) boxes_[box] = {kind, 0};
    for (int slot = 0; slot < tolv::kEventSlots; ++slot) boxes_[w.txtKiro[slot]] = {B::Kiro, slot};
    for (int i = 0; i < tolv::kReserveEvents; ++i) {
        boxes_[reserve_->txtYobiKubun[i]] = {B::YobiKubun, i};
        boxes_[reserve_->txtYobi[i]] = {B::YobiName, i};
    }
    // Leaving a box confirms it by the windows' common rule; confirmBox shows the stored value
    // again when it refuses. While the program ends nothing more is written.
    leaving_ = std::make_unique<BoxConfirmer>(this);
    for (const auto& [box, ref] : boxes_) {
        QLineEdit* left = box;
        leaving_->addLeaving(
            box, [this, left](bool) { return ctx_.ending || confirmBox(left, true); }, [left] { return left->text(); });
    }
    for (const auto& [box, ref] : boxes_) {
        // The grade box shows the grade's text, longer than the code it takes: its code is checked
        // when confirmed.
        if (tolv::EntryEditRules::byteLimit(ref.kind) == 0 || ref.kind == B::Gakunen) continue;
        box->setValidator(new FieldValidator(ref.kind, box));
        const tolv::EntryBox kind = ref.kind;
        QLineEdit* typedInto = box;
        connect(box, &QLineEdit::inputRejected, this, [this, kind, typedInto] {
            if (typedInto->hasFocus()) say(q(tolv::EntryEditRules::tooLongMessage(kind)));
        });
    }

    for (int i = 0; i < 2; ++i)
        connect(h.optSuiro[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setCourse(std::int16_t(i));
            saveHeader();
        });
    for (int i = 0; i < 3; ++i)
        connect(h.optKubun[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setKubun(std::int16_t(i));
            saveHeader();
            showBuffer(); // the grade text depends on the kind
        });
    for (int i = 0; i < 4; ++i)
        connect(h.optBotai[i], &QRadioButton::clicked, this, [this, i] {
            store_.header().setBotai(std::int16_t(i));
            saveHeader();
        });
    connect(h.cmdYobi, &QPushButton::clicked, this, [this] { reserve_->toggleBeside(*this, header_->cmdYobi); });

    for (int i = 0; i < 6; ++i)
        connect(w.chkShubetu[i], &QCheckBox::clicked, this, [this] {
            std::string flags;
            for (QCheckBox* c : swimmer_->chkShubetu) flags += c->isChecked() ? '1' : '0';
            store_.swimmer().setShubetu(flags);
            if (!swimmerChanged()) showBuffer();
        });
    for (int i = 0; i < 2; ++i)
        connect(w.chkNissui[i], &QCheckBox::clicked, this, [this, i](bool on) {
            if (i == 0) store_.swimmer().setCard(on ? "1" : "0");
            else store_.swimmer().setDaishi(on ? "1" : "0");
            if (!swimmerChanged()) showBuffer();
        });
    connect(w.cboSei, &QComboBox::activated, this, [this](int i) {
        store_.swimmer().setSei(std::to_string(i));
        if (!swimmerChanged()) showBuffer();
    });
    connect(w.cboShuFuku, &QComboBox::activated, this, [this](int i) {
        store_.swimmer().setShuFuku(std::to_string(i));
        if (!swimmerChanged()) showBuffer();
    });
    for (int i = 0; i < tolv::kReserveEvents; ++i)
        connect(reserve_->cboYobiF[i], &QComboBox::activated, this, [this, i](int pos) {
            store_.reserve().setYobiRelay(i, pos == 1 ? "1" : "0");
            saveHeader();
        });
    connect(reserve_->cmdKakutei, &QPushButton::clicked, this, &FrmZepi::copyReserveEvents);
    h.cmdYobi->installEventFilter(keys_);
    reserve_->cmdKakutei->installEventFilter(keys_);

    connect(input_->cmdShinki, &QPushButton::clicked, this, &FrmZepi::startNewEntry);
    connect(input_->cmdMae, &QPushButton::clicked, this, &FrmZepi::previous);
    connect(input_->cmdTugi, &QPushButton::clicked, this, &FrmZepi::next);
    connect(input_->cmdSakuzo, &QPushButton::clicked, this, &FrmZepi::deleteShown);
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
        header_->lblTrDr->setText(q(ten.folder));
        header_->lblTrDr->setToolTip(q(ten.folder));
        lookup_ = std::make_unique<tolv::AthleteLookup>(session, tolv::toHostPath(tor.folder), ctl, tolv::tempDir());
    } catch (const std::exception& e) {
        if (!carryOnAfterError(ctx_, e, "OK: 既定の場所で続けます。\nキャンセル: プログラムを終了します。")) return;
        lookup_ = std::make_unique<tolv::AthleteLookup>(session, tolv::homeDir(), ctl, tolv::tempDir());
    }

    // In internet mode the start-up window has fetched kanriken.ctl and ken.ctl (or the user chose
    // to go on without the unit flags).
    lookup_->loadUnitFlags();
    setState(Browse, "検索・修正");

    if (!openEntry(entryFolder_ / entryName_)) return; // nothing to show without the entry file
    reserve_->drive1->setDriveOf(entryFolder_);
    reserve_->dir1->setRoot(reserve_->drive1->root());
    reserve_->dir1->setPath(entryFolder_);
    showHeader();
    current_ = store_.header().total();
    showSwimmer(current_);
    if (!openingNote_.isEmpty()) say(openingNote_);
    if (session.internet() && lookup_->unitFlags().empty())
        say("管理ユニットの設定（kanriken.ctl）がないため、所属の検索とﾌﾘｶﾅ・生年月日の検索はできません。");
}

bool FrmZepi::openEntry(const fs::path& path)
{
    using Outcome = tolv::EntryOpening::Outcome;
    tolv::EntryOpening opening(path);
    const Outcome outcome = opening.open(store_);
    openingNote_ = q(opening.note());
    readOnly_ = opening.readOnly();
    const char* const back = "OK: 開かずに起動画面に戻ります。\nキャンセル: プログラムを終了します。";
    try {
        if (opening.error()) std::rethrow_exception(opening.error());
    } catch (const std::exception& e) {
        switch (outcome) {
        case Outcome::DamagedUnreadable:
            carryOnAfterError(ctx_, tolv::TolvError(errorText(e) + "\n" + opening.damageList()), back);
            return false;
        case Outcome::AskReadOnly:
            if (!ctx_.ask().ask(errNoMessage(e) + tolv::EntryOpening::readOnlyQuestion())) return false;
            try {
                opening.openReadOnly(store_);
            } catch (const std::exception& reading) {
                ctx_.ask().tell(errNoMessage(reading));
                return false;
            }
            readOnly_ = true;
            return true;
        default: carryOnAfterError(ctx_, e, back); return false;
        }
    }
    if (outcome == Outcome::Damaged) ctx_.ask().tell(opening.damagedMessage());
    return true;
}

// A read-only file: every box, button and command that would change it is off.
void FrmZepi::applyAccess()
{
    if (!readOnly_) return;
    for (const auto& [box, ref] : boxes_) box->setReadOnly(true);
    for (QWidget* w : std::initializer_list<QWidget*>{header_, swimmer_, reserve_})
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            if (b != header_->cmdYobi) b->setEnabled(false);
    for (QComboBox* c : findChildren<QComboBox*>())
        if (c != reserve_->drive1) c->setEnabled(false);
    input_->cmdShinki->setEnabled(false);
    input_->cmdSakuzo->setEnabled(false);
    for (const char* name : {"mIn", "mSot", "mWk2"})
        if (QAction* a = menuAction(name)) a->setEnabled(false);
    for (const tolv::CheckMenuItem& c : tolv::checkMenuItems())
        if (c.kind == tolv::CheckKind::Rewrite)
            if (QAction* a = menuAction(c.objectName)) a->setEnabled(false);
    setTitle("検索・修正");
}

void FrmZepi::setTitle(const QString& title) { setWindowTitle(readOnly_ ? title + "（読み取り専用）" : title); }

void FrmZepi::closeEntry()
{
    if (closed_) return;
    closed_ = true;
    entry_.reset();
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
    if (!ctx_.ending) {
        commitPending();
        if (!mayLeave()) {
            event->ignore();
            return;
        }
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
    commitPending();
    entry_.reset();
    enableButtons(true);
    setState(Browse, "検索・修正");
    store_.close();
    const QPoint where = pos();
    child->setAttribute(Qt::WA_DeleteOnClose);
    connect(child, &QObject::destroyed, this, [this, where] {
        if (closed_) return;
        // The child may have added swimmers: the last one is shown, as on loading.
        if (guard([this] { store_.reopen(); })) refreshAt(store_.header().total());
        show();
        move(where);
    });
    hide();
    showPlaced(child);
}

void FrmZepi::say(const QString& message) { statusBar()->showMessage(message); }

bool FrmZepi::mayLeave()
{
    if (state_ == Browse || !entry_) return true;
    return askCancelFirst(ctx_.ask(), "入力中の選手（" + std::to_string(entry_->run().number()) + "人目）は登録されていません。" +
                                          "破棄して終わりますか？\n"
                                          "OK: 入力中の選手を破棄して終わります。\n"
                                          "キャンセル: 終わらずに入力を続けます。");
}

// --- confirming boxes ----------------------------------------------------------------------------

void FrmZepi::commitPending()
{
    if (committing_ || !store_.isOpen()) return;
    leaving_->confirmAll();
}

bool FrmZepi::confirmBox(QLineEdit* box, bool leaving)
{
    auto it = boxes_.find(box);
    if (it == boxes_.end() || !box->isModified() || !store_.isOpen() || committing_) return true;
    const BoxRef ref = it->second;
    // Cleared however the confirmation ends (a message box, an exception through the guard).
    const QScopedValueRollback confirming(committing_, true);
    // The box changes the store's draft; a draft whose write fails goes back to what the file
    // holds, and the boxes show it again.
    tolv::EntryEditRules editRules = rules();
    const tolv::BoxEdit e = editRules.confirm(ref.kind, s(box->text()), ref.index);
    bool stored = e.stored();
    if (stored) {
        box->setModified(false);
        if (e.writes == tolv::BoxEdit::Writes::Header) stored = guard([this] { store_.saveHeader(); });
        else if (e.writes == tolv::BoxEdit::Writes::Swimmer) stored = swimmerChanged();
        if (ref.kind == tolv::EntryBox::YobiKubun || ref.kind == tolv::EntryBox::YobiName ||
            e.writes == tolv::BoxEdit::Writes::Header)
            showHeader();
        if (e.writes == tolv::BoxEdit::Writes::Swimmer || !stored) showBuffer();
        if (stored && !e.notice.empty()) say(q(e.notice));
    } else if (leaving) {
        say(q(e.refusal) + "（元の値に戻しました）");
        box->setText(q(editRules.shown(ref.kind, ref.index)));
        box->setModified(false);
    } else {
        // Enter: the text stays for correcting; a refused time is asked for again in a box.
        if (ref.kind == tolv::EntryBox::Kiro) ctx_.ask().tell(e.refusal);
        else say(q(e.refusal));
        box->setFocus();
        box->selectAll();
    }
    return stored;
}

// --- header --------------------------------------------------------------------------------------

void FrmZepi::showHeader()
{
    // An unset reserve row shows as an individual event without a category.
    store_.settleReserveRows();
    const tolv::EntryEditRules editRules = rules();
    header_->showHeader(editRules, store_.header());
    reserve_->showReserve(editRules, store_.reserve());
    for (int i = 0; i < tolv::kReserveEvents; ++i) swimmer_->setReserveTip(i, q(editRules.shown(tolv::EntryBox::YobiName, i)));
}

void FrmZepi::saveHeader()
{
    // Not written: the store's header is again the file's, and so are the buttons.
    if (!guard([this] { store_.saveHeader(); })) showHeader();
}

void FrmZepi::copyReserveEvents()
{
    const QString name = reserve_->file1->fileName();
    if (name.isEmpty()) {
        ctx_.ask().tell("コピー元の申込ファイルを選んでください");
        return;
    }
    const fs::path source = reserve_->file1->folder() / s(name);
    const bool ok = guard([&] {
        store_.copyReserveEventsFrom(source);
        store_.reopen();
    });
    if (!ok) return;
    showHeader();
    reserve_->cmdKakutei->setEnabled(false);
}

// --- swimmer area --------------------------------------------------------------------------------

void FrmZepi::showSwimmer(int n)
{
    if (!guard([&] { store_.readSwimmer(n); })) store_.readSwimmer(0);
    showBuffer();
}

void FrmZepi::showBuffer()
{
    const tolv::EntryEditRules editRules = rules();
    swimmer_->showSwimmer(editRules, store_.swimmer(), current_, entry_ ? entry_->run().number() : store_.header().total());
    header_->txtTorobi->setText(q(editRules.shown(tolv::EntryBox::Torobi)));
    showInfoLines();
}

void FrmZepi::showInfoLines()
{
    header_->lblFile->setText(q(entryStored_ + entryName_));
    header_->lblFile->setToolTip(header_->lblFile->text());
    if (lookup_) {
        std::string where;
        guard([&] { where = lookup_->masterLocation(); });
        header_->lblToroDr->setText(q(ctx_.session.internet() ? where : registrationStored_));
        header_->lblToroDr->setToolTip(header_->lblToroDr->text());
    }
}

void FrmZepi::copyLabelToField(int i)
{
    if (readOnly_) return;
    const std::string text = s(input_->lblCopy[i]->text());
    using B = tolv::EntryBox;
    const B kinds[5] = {B::Namae, B::Kana, B::Shozoku, B::ShozokuKana, B::Torobi};
    const tolv::BoxEdit e = rules().confirm(kinds[i], text);
    if (!e.stored()) {
        say(q(e.refusal));
        return;
    }
    swimmerChanged(); // a failed write puts the draft back
    showBuffer();
}

bool FrmZepi::swimmerChanged()
{
    if (state_ != Browse) return true; // a new entry is written when it ends
    if (current_ < 1) {
        ctx_.ask().tell("表示中の選手がありません。「新規入力」で選手を登録してください。");
        store_.discardDraft();
        return false;
    }
    return guard([this] { store_.writeSwimmer(current_); });
}

int FrmZepi::pickAthlete(const tolv::SearchList& list)
{
    int line = FrmZepiKensaku::pickLine(list, this);
    activateWindow(); // the input continues here
    return line;
}

void FrmZepi::qbangoEntered()
{
    QLineEdit* box = swimmer_->txtQBango;
    if (state_ == Browse) {
        if (confirmBox(box, false)) swimmer_->txtKana->setFocus();
        return;
    }
    tolv::NewEntryInput::Found r;
    say(QString()); // what the last search said is not about this one
    const bool ok = guard([&] {
        BusyCursor busy;
        r = entry_->lookUpNumber(*lookup_, s(box->text()), [this](const tolv::SearchList& l) { return pickAthlete(l); });
    });
    if (!ok) return; // the record stays as it was
    box->setModified(false);
    showBuffer();
    say(q(r.notice));
    (r.found ? input_->txtBiko : swimmer_->txtNamae)->setFocus();
}

void FrmZepi::kanaEntered()
{
    QLineEdit* box = swimmer_->txtKana;
    const std::string typed = s(box->text().trimmed());
    // The number typed so far, as the box shows it (its team code starts the athlete's number).
    const std::string typedNumber = s(swimmer_->txtQBango->text());
    // The reading is stored as the master spells it (half-width): the box shows what is searched.
    if (!confirmBox(box, false)) return;
    if (state_ == Browse) {
        swimmer_->txtNamae->setFocus();
        return;
    }
    tolv::NewEntryInput::Found r;
    say(QString()); // what the last search said is not about this one
    const bool ok = guard([&] {
        BusyCursor busy;
        r = entry_->lookUpReading(*lookup_, typedNumber, typed, [this](const tolv::SearchList& l) { return pickAthlete(l); });
    });
    if (!ok) return;
    showBuffer();
    say(q(r.notice));
    (r.found ? input_->txtBiko : swimmer_->txtNamae)->setFocus();
}

// --- input line, navigation, new entry, deletion ---------------------------------------------------

void FrmZepi::setState(State st, const char* title)
{
    state_ = st;
    setTitle(title);
    // Commands of other parts work on the file one record at a time: not while a record is being
    // made in the buffer.
    for (const char* name : {"mIn", "mOut", "mSot", "mShu", "mCheck"})
        if (QAction* a = menuAction(name))
            a->setEnabled(st == Browse && !(readOnly_ && (std::string(name) == "mIn" || std::string(name) == "mSot")));
}

void FrmZepi::enableButtons(bool on)
{
    input_->enableButtons(on);
    // A read-only file has nothing to add or delete.
    if (readOnly_) {
        input_->cmdShinki->setEnabled(false);
        input_->cmdSakuzo->setEnabled(false);
    }
}

void FrmZepi::inputLineEnter()
{
    QLineEdit* line = input_->txtBiko;
    const QString text = line->text();
    if (state_ == Browse) {
        int total = store_.header().total();
        long long n = tolv::numericValue(s(text));
        n = total < 1 ? 0 : std::clamp<long long>(n, 1, total);
        moveTo(static_cast<int>(n));
        line->selectAll();
        return;
    }
    if (!entry_) return;
    using Kind = tolv::NewEntryInput::Reply::Kind;
    const tolv::NewEntryInput::Reply r = entry_->enter(s(text), codePointsBefore(text, line->cursorPosition()));
    switch (r.kind) {
    case Kind::Wait: return;
    case Kind::End: endNewEntry(); return;
    case Kind::UnknownCode:
        say(q(r.text));
        line->selectAll(); // no such event: still waiting for a code
        return;
    case Kind::AskTime:
        say(QString());
        input_->lblBiko->setText(QString::number(r.slot));
        setState(NewTime, "記録入力");
        line->setText(q(r.text));
        line->selectAll();
        return;
    case Kind::TimeRefused:
        ctx_.ask().tell(r.text);
        line->setFocus();
        line->selectAll();
        return;
    case Kind::TimeStored:
        showBuffer();
        input_->lblBiko->setText("種目No");
        setState(NewEntry, "種目入力");
        line->clear();
        return;
    }
}

void FrmZepi::moveTo(int n)
{
    commitPending();
    input_->fillCopyLabels(rules());
    current_ = n;
    showSwimmer(n);
}

void FrmZepi::previous()
{
    commitPending();
    setState(Browse, "検索・修正");
    if (current_ <= 1) {
        ctx_.ask().tell("１より小さいレコードはありません。");
        showSwimmer(current_);
    } else {
        moveTo(current_ - 1);
    }
    input_->txtBiko->setFocus();
}

void FrmZepi::next()
{
    commitPending();
    setState(Browse, "検索・修正");
    int total = store_.header().total();
    if (current_ >= total) {
        ctx_.ask().tell(" " + std::to_string(total) + "より大きいデータはありません。");
        showSwimmer(current_);
    } else {
        moveTo(current_ + 1);
    }
    input_->txtBiko->setFocus();
}

void FrmZepi::startNewEntry()
{
    if (!store_.isOpen() || readOnly_) return;
    commitPending();
    input_->fillCopyLabels(rules());
    setState(NewEntry, "登録");
    input_->txtBiko->setToolTip("新規登録終了は「種目コード」入力で「99」を入力");
    enableButtons(false);
    entry_ = std::make_unique<tolv::NewEntryInput>(store_);
    current_ = entry_->run().number();
    showBuffer();
    input_->lblBiko->setText("種目No");
    input_->txtBiko->clear();
    swimmer_->txtQBango->setFocus();
}

void FrmZepi::endNewEntry()
{
    commitPending();                                        // what the boxes show goes into the new record
    if (!guard([this] { entry_->run().finish(); })) return; // still in the new entry: nothing lost
    current_ = entry_->run().number();
    entry_.reset();
    setState(Browse, "検索・修正");
    enableButtons(true);
    input_->txtBiko->setToolTip(QString());
    input_->lblBiko->clear();
    input_->txtBiko->clear();
    showBuffer();
    input_->cmdShinki->setFocus();
}

void FrmZepi::deleteShown()
{
    if (readOnly_ || current_ < 1 || current_ > store_.header().total()) return;
    commitPending();
    setState(NewTime, "削除");
    if (askCancelFirst(ctx_.ask(), "削除します")) {
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
        entry_.reset();
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
        tellError(ctx_.ask(), e);
        return false;
    }
}

} // namespace tolv::gui
