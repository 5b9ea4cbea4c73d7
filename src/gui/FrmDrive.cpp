#include "gui/FrmDrive.h"

#include "gui/AppContext.h"
#include "gui/ErrNo.h"
#include "gui/FrmZepi.h"
#include "gui/MessagePrompt.h"
#include "gui/Pickers.h"
#include "gui/WindowPlacement.h"
#include "platform/Clock.h"
#include "platform/Download.h"
#include "platform/Error.h"
#include "platform/FileReading.h"
#include "platform/Paths.h"
#include "platform/Version.h"
#include "storage/ControlFiles.h"
#include "storage/DownloadLayout.h"
#include "storage/FileChecks.h"
#include "storage/PrefectureTable.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tolv::gui {

namespace fs = std::filesystem;

namespace {

const char* const kNewAddress = "新規";
// The caption users know, "Ver 3.26", from the program's one version.
QString versionText()
{
    return QString("Ver %1\n2008.10.16\nhttps://tolvsys.example.org/").arg(QString::fromUtf8(tolv::programVersion()));
}

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

// The drive field of a control file for a stored folder: "c:" of "c:\data\", "/" for host paths.
std::string driveOf(const std::string& storedFolder)
{
    if (storedFolder.size() >= 2 && storedFolder[1] == ':') return storedFolder.substr(0, 2);
    return "/";
}

// What the start-up window says when a download fails: which file, why, and from where.
std::string failureText(const std::string& what, const std::exception& e)
{
    if (auto* d = dynamic_cast<const tolv::DownloadError*>(&e))
        return what + "を受け取れませんでした。\n" + d->cause() + "\n" + d->url();
    return what + "を受け取れませんでした。\n" + errorText(e);
}

// A ken.ctl on disk that answers for every prefecture: one can go on with it.
bool goodPrefectureTable(const fs::path& ctl)
{
    try {
        const fs::path ken = tolv::findNoCase(ctl, "ken.ctl");
        tolv::checkPrefectureTable(tolv::readWholeFile(ken), ken.string());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

FrmDrive::FrmDrive(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx)
{
    setObjectName("frmDrive");
    setWindowTitle("tolvsys");
    tolv::Prompt& prompt = ctx_.ask();

    // Entry data: drive, folder, file type, files, file name.
    auto* zep = new QGroupBox("申込データ", this);
    zep->setObjectName("fraZep");
    drive1_ = new DrivePicker(prompt, zep);
    drive1_->setObjectName("Drive1");
    dir1_ = new DirPicker(zep);
    dir1_->setObjectName("Dir1");
    cboPatt_ = new QComboBox(zep);
    cboPatt_->setObjectName("cboPatt");
    cboPatt_->addItems({"申込(*.zep)", "結果(*.kek)", "登録(*.tor)"});
    file1_ = new FilePicker(zep);
    file1_->setObjectName("File1");
    txtFile_ = new QLineEdit(zep);
    txtFile_->setObjectName("txtFile");
    auto* zl = new QGridLayout(zep);
    zl->addWidget(drive1_, 0, 0);
    zl->addWidget(cboPatt_, 0, 1);
    zl->addWidget(dir1_, 1, 0);
    zl->addWidget(file1_, 1, 1);
    zl->addWidget(txtFile_, 2, 0, 1, 2);

    auto* tor = new QGroupBox("登録データ", this);
    tor->setObjectName("fraTor");
    drive2_ = new DrivePicker(prompt, tor);
    drive2_->setObjectName("Drive2");
    dir2_ = new DirPicker(tor);
    dir2_->setObjectName("Dir2");
    auto* tl = new QVBoxLayout(tor);
    tl->addWidget(drive2_);
    tl->addWidget(dir2_);

    auto* ten = new QGroupBox("転送データ", this);
    ten->setObjectName("fraTen");
    drive3_ = new DrivePicker(prompt, ten);
    drive3_->setObjectName("Drive3");
    dir3_ = new DirPicker(ten);
    dir3_->setObjectName("Dir3");
    auto* nl = new QVBoxLayout(ten);
    nl->addWidget(drive3_);
    nl->addWidget(dir3_);

    // Local or internet mode.
    auto* web = new QGroupBox("登録データの取得", this);
    web->setObjectName("frmWeb");
    optWeb_[0] = new QRadioButton("ﾛｰｶﾙ", web);
    optWeb_[1] = new QRadioButton("ｲﾝﾀｰﾈｯﾄ", web);
    optWeb_[0]->setObjectName("optWeb_0");
    optWeb_[1]->setObjectName("optWeb_1");
    optWeb_[0]->setChecked(true);
    cboWeb_ = new QComboBox(web);
    cboWeb_->setObjectName("cboWeb");
    cboWeb_->setEditable(true);
    cboWeb_->setInsertPolicy(QComboBox::NoInsert);
    cboWeb_->setMinimumContentsLength(28);
    txtNendo_ = new QLineEdit(web);
    txtNendo_->setObjectName("txtNendo");
    txtNendo_->setMaximumWidth(70);
    lstKen_ = new QListWidget(web);
    lstKen_->setObjectName("lstKen");
    lblWeb_ = new QLabel(web);
    lblWeb_->setObjectName("lblWeb");
    lblWeb_->setWordWrap(true);
    txtPassO_ = new QLineEdit(web);
    txtPassO_->setObjectName("txtPassO");
    txtPassW_ = new QLineEdit(web);
    txtPassW_->setObjectName("txtPassW");
    txtPassW_->setEchoMode(QLineEdit::Password);
    // Room for a club code and a password of twelve characters (the echo dots included).
    for (QLineEdit* e : {txtPassO_, txtPassW_})
        e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QString(12, QChar(0x25CF))) + 16);
    auto* wl = new QGridLayout(web);
    auto* modes = new QHBoxLayout;
    modes->addWidget(optWeb_[0]);
    modes->addWidget(optWeb_[1]);
    modes->addStretch();
    wl->addLayout(modes, 0, 0, 1, 4);
    wl->addWidget(cboWeb_, 1, 0, 1, 4);
    wl->addWidget(new QLabel("年度", web), 2, 0);
    wl->addWidget(txtNendo_, 2, 1);
    wl->addWidget(lstKen_, 3, 0, 1, 4);
    wl->addWidget(lblWeb_, 4, 0, 1, 4);
    wl->addWidget(new QLabel("ｸﾗﾌﾞ", web), 5, 0);
    wl->addWidget(txtPassO_, 5, 1);
    wl->addWidget(new QLabel("ﾊﾟｽﾜｰﾄﾞ", web), 5, 2);
    wl->addWidget(txtPassW_, 5, 3);

    lblVersion_ = new QLabel(this);
    lblVersion_->setObjectName("lblVersion");
    cmdZepi_ = new QPushButton("申込", this);
    cmdZepi_->setObjectName("cmdZepi");
    cmdOwari_ = new QPushButton("終", this);
    cmdOwari_->setObjectName("cmdOwari");

    auto* grid = new QGridLayout(this);
    grid->addWidget(zep, 0, 0, 2, 1);
    grid->addWidget(tor, 0, 1);
    grid->addWidget(ten, 1, 1);
    grid->addWidget(web, 0, 2, 2, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblVersion_);
    bottom->addStretch();
    bottom->addWidget(cmdZepi_);
    bottom->addWidget(cmdOwari_);
    grid->addLayout(bottom, 2, 0, 1, 3);
    grid->setColumnStretch(0, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    resize(1000, 560);

    // Wiring.
    connect(drive1_, &DrivePicker::driveChanged, this, [this](const QString& r) { dir1_->setRoot(s(r)); });
    connect(drive2_, &DrivePicker::driveChanged, this, [this](const QString& r) { dir2_->setRoot(s(r)); });
    connect(drive3_, &DrivePicker::driveChanged, this, [this](const QString& r) { dir3_->setRoot(s(r)); });
    connect(dir1_, &DirPicker::pathChanged, this, [this](const QString& p) { file1_->setFolder(s(p)); });
    connect(file1_, &FilePicker::fileClicked, txtFile_, &QLineEdit::setText);
    connect(cboPatt_, &QComboBox::currentIndexChanged, this, &FrmDrive::fileTypeChanged);
    connect(optWeb_[0], &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseMode(0);
    });
    connect(optWeb_[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on) chooseMode(1);
    });
    connect(txtNendo_, &QLineEdit::editingFinished, this, &FrmDrive::reloadWhenChanged);
    connect(lstKen_, &QListWidget::itemClicked, this, [this](QListWidgetItem* i) { chooseUnit(i->text()); });
    connect(cmdZepi_, &QPushButton::clicked, this, &FrmDrive::openEntry);
    connect(cmdOwari_, &QPushButton::clicked, this, [this] { ctx_.end(); });
    txtFile_->installEventFilter(this);
    cboWeb_->installEventFilter(this);

    try {
        load();
    } catch (const std::exception& e) {
        carryOnAfterError(ctx_, e);
    }
}

// The base destructor hides the window, and the year box losing the focus then finishes its edit:
// no slot of this class may run on the half-destroyed window, so its controls are cut off first.
FrmDrive::~FrmDrive()
{
    for (QObject* child : findChildren<QObject*>()) {
        child->disconnect(this);
        child->removeEventFilter(this);
    }
}

void FrmDrive::load()
{
    lblVersion_->setText(versionText());
    const fs::path ctl = tolv::ctlDir();
    tolv::ensureControlDefaults(ctl, &ctx_.ask());
    tolv::installShippedPrefectureTable(ctl);
    // A folder that climbs out of its drive is refused naming its control file; the pickers stay
    // where they are, so that a folder can be chosen and saved here.
    try {
        presetFromControlFiles();
    } catch (const tolv::TolvError& e) {
        tellError(ctx_.ask(), e);
    }
    fillWebFromControl();
    txtNendo_->setText(QString::number(tolv::fiscalYear(tolv::now())));
    file1_->setPatterns({q(tolv::fileTypePattern(cboPatt_->currentIndex()))});
    // No entry window is open now: a password list or master left by a run that ended abruptly
    // goes at once.
    try {
        tolv::cleanTempFolder(tolv::tempDir());
    } catch (const std::exception&) {
        // What cannot be removed now is removed when the entry window closes.
    }
    showSession();
}

void FrmDrive::showSession()
{
    const tolv::Session& session = ctx_.session;
    {
        QSignalBlocker b0(optWeb_[0]), b1(optWeb_[1]);
        optWeb_[session.internet() ? 1 : 0]->setChecked(true);
    }
    drive2_->setEnabled(!session.internet());
    dir2_->setEnabled(!session.internet());
    lstKen_->clear();
    if (!session.internet()) {
        lblWeb_->clear();
        return;
    }
    if (cboWeb_->currentText() != q(session.downloadRoot)) cboWeb_->setEditText(q(session.downloadRoot));
    txtNendo_->setText(q(session.year));
    for (const std::string& unit : session.units) {
        lstKen_->addItem(q(unit));
        if (unit == session.unitName) lstKen_->setCurrentRow(lstKen_->count() - 1);
    }
    lblWeb_->setText(q(session.unitFolder()));
}

void FrmDrive::presetFromControlFiles()
{
    const fs::path ctl = tolv::ctlDir();
    tolv::TorControl tor = tolv::loadTorControl(ctl);
    drive2_->setDrive(q(tor.drive));
    dir2_->setRoot(drive2_->root());
    dir2_->setPath(tolv::toHostPath(tor.folder));

    tolv::TenControl ten = tolv::loadTenControl(ctl);
    fs::path tenHost = tolv::toHostPath(ten.folder);
    drive3_->setDriveOf(tenHost);
    dir3_->setRoot(drive3_->root());
    dir3_->setPath(tenHost);

    tolv::ZepControl zep = tolv::loadZepControl(ctl);
    drive1_->setDrive(q(zep.drive));
    dir1_->setRoot(drive1_->root());
    dir1_->setPath(tolv::toHostPath(zep.folder));
    {
        // Presetting the type must not empty the preset name.
        QSignalBlocker block(cboPatt_);
        cboPatt_->setCurrentIndex(zep.fileType >= 0 && zep.fileType < tolv::kFileTypes ? zep.fileType : 0);
    }
    txtFile_->setText(q(zep.fileName));
}

void FrmDrive::fillWebFromControl()
{
    tolv::WebControl web = tolv::loadWebControl(tolv::ctlDir());
    txtPassO_->setText(q(web.clubCode));
    txtPassW_->setText(q(web.password));
    QSignalBlocker block(cboWeb_);
    cboWeb_->clear();
    for (const std::string& a : web.addresses) cboWeb_->addItem(q(a));
    cboWeb_->addItem(kNewAddress);
    int chosen = web.chosen >= 0 && web.chosen < cboWeb_->count() ? web.chosen : 0;
    cboWeb_->setCurrentIndex(chosen);
}

void FrmDrive::writeWebControl(bool storeLogin)
{
    const QString typedClub = txtPassO_->text(), typedPassword = txtPassW_->text();
    tolv::WebControl web;
    if (storeLogin) {
        web.clubCode = s(typedClub);
        web.password = s(typedPassword);
    } else {
        const tolv::WebControl stored = tolv::loadWebControl(tolv::ctlDir());
        web.clubCode = stored.clubCode;
        web.password = stored.password;
    }
    web.addresses.clear();
    int n = cboWeb_->count();
    if (n > 0 && cboWeb_->itemText(n - 1) == kNewAddress) --n;
    for (int i = 0; i < n; ++i) web.addresses.push_back(s(cboWeb_->itemText(i)));
    web.chosen = cboWeb_->currentIndex();
    tolv::writeWebControl(tolv::ctlDir(), web);
    fillWebFromControl();
    // What is typed stays in the boxes until a login accepts or refuses it.
    txtPassO_->setText(typedClub);
    txtPassW_->setText(typedPassword);
}

bool FrmDrive::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFile_ && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            fileNameEntered();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && watched == cboWeb_) {
        try {
            int i = cboWeb_->currentIndex();
            QString text = cboWeb_->currentText();
            if (i >= 0) cboWeb_->setItemText(i, text);
            else cboWeb_->addItem(text);
            writeWebControl();
        } catch (const std::exception& e) {
            tellError(ctx_.ask(), e);
        }
        reloadWhenChanged();
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDrive::fileTypeChanged(int index)
{
    txtFile_->clear();
    file1_->setPatterns({q(tolv::fileTypePattern(index))});
}

void FrmDrive::fileNameEntered()
{
    txtFile_->setText(q(tolv::withFileTypeExtension(s(txtFile_->text()), cboPatt_->currentIndex())));
}

void FrmDrive::chooseMode(int mode)
{
    if (switchingMode_) return;
    tolv::Session& session = ctx_.session;
    if (mode == 0) {
        // Local data from now on, whatever the last entry window used.
        session.mode = tolv::Session::Local;
        session.unitName.clear();
        session.units.clear();
        session.forgetMaster();
        showSession();
        return;
    }
    session.mode = tolv::Session::Internet;
    loadUnits();
}

void FrmDrive::backToLocal()
{
    switchingMode_ = true;
    ctx_.session.mode = tolv::Session::Local;
    ctx_.session.unitName.clear();
    ctx_.session.units.clear();
    showSession();
    switchingMode_ = false;
}

bool FrmDrive::loadUnits()
{
    tolv::Session& session = ctx_.session;
    session.downloadRoot = s(cboWeb_->currentText());
    session.year = s(txtNendo_->text().trimmed());
    session.unitName.clear();
    session.units.clear();
    session.forgetMaster();
    showSession();
    tolv::UnitList list;
    try {
        BusyCursor busy;
        tolv::ensureWorkTree();
        fs::path file = tolv::downloadUnitList(session.downloadRoot, session.year, tolv::tempDir());
        list = tolv::parseUnitListBytes(tolv::readWholeFile(file), file.string());
    } catch (const std::exception& e) {
        // Without the unit list there is nothing to log in to: back to local data.
        ctx_.ask().choose(failureText("管理ユニットの一覧（torlist.dat）", e) + "\n\nﾛｰｶﾙのデータで続けます。", {"ﾛｰｶﾙで続ける"});
        backToLocal();
        return false;
    }
    session.units = list.units;
    showSession();
    if (!list.leftOut.empty()) {
        std::string note = "次の管理ユニットは名前がアドレスのフォルダ名に使えないため、一覧から外しました:";
        for (const std::string& line : list.leftOut) note += "\n" + line;
        ctx_.ask().tell(note);
    }
    return true;
}

void FrmDrive::reloadWhenChanged()
{
    const tolv::Session& session = ctx_.session;
    if (!session.internet() || switchingMode_) return;
    if (s(cboWeb_->currentText()) == session.downloadRoot && s(txtNendo_->text().trimmed()) == session.year) return;
    loadUnits();
}

void FrmDrive::chooseUnit(const QString& unit)
{
    ctx_.session.unitName = s(unit);
    lblWeb_->setText(q(ctx_.session.unitFolder()));
}

bool FrmDrive::checkLogin()
{
    tolv::Session& session = ctx_.session;
    bool matches = false;
    try {
        BusyCursor busy;
        tolv::ensureWorkTree();
        matches = tolv::clubLoginMatches(session.unitUrl(), tolv::tempDir(), s(txtPassO_->text()), s(txtPassW_->text()));
    } catch (const std::exception& e) {
        ctx_.ask().choose(failureText("パスワードの一覧（pass.dat）", e) +
                              "\n\nログインを確かめられないため、申込データを開きません。",
                          {"戻る"});
        return false;
    }
    if (!matches) {
        ctx_.ask().tell("パスワードが違います");
        return false;
    }
    // Accepted: now the club code and password may be kept for the next start.
    try {
        writeWebControl(true);
    } catch (const std::exception& e) {
        tellError(ctx_.ask(), e);
    }
    return true;
}

bool FrmDrive::downloadForEntryWindow()
{
    tolv::Session& session = ctx_.session;
    const fs::path ctl = tolv::ctlDir(), temp = tolv::tempDir();
    try {
        BusyCursor busy;
        tolv::downloadUnitFlags(session.unitUrl(), temp);
    } catch (const std::exception& e) {
        const int c = ctx_.ask().choose(
            failureText("管理ユニットの設定（kanriken.ctl）", e) +
                "\n\nこの設定がないと、旧番号で選手を検索しても所属が入らず、ﾌﾘｶﾅと生年月日の検索もできません。",
            {"開かない", "所属の検索なしで開く"});
        if (c != 1) return false;
        std::error_code ec;
        fs::remove(temp / "kanriken.ctl", ec);
    }
    try {
        BusyCursor busy;
        tolv::downloadPrefectureTable(session.downloadRoot, ctl);
    } catch (const std::exception& e) {
        const std::string text = failureText("都道府県の表（ken.ctl）", e);
        if (!goodPrefectureTable(ctl)) {
            ctx_.ask().choose(text + "\n\n都道府県名を入れられないため、申込データを開きません。", {"戻る"});
            return false;
        }
        const int c =
            ctx_.ask().choose(text + "\n\n手元の ken.ctl はそのまま残っています。", {"手元の ken.ctl で続ける", "開かない"});
        if (c != 0) return false;
    }
    return true;
}

void FrmDrive::openEntry()
{
    const std::string name = s(txtFile_->text());
    if (name.find('.') == std::string::npos) {
        ctx_.ask().tell("ファイル形式  ＴＥＳＴ．ｚｅｐ");
        return;
    }
    tolv::Session& session = ctx_.session;
    try {
        if (session.internet()) {
            if (s(cboWeb_->currentText()) != session.downloadRoot || s(txtNendo_->text().trimmed()) != session.year) {
                // The list shown belongs to another address or year.
                if (loadUnits()) ctx_.ask().tell("管理ユニットの一覧を読み直しました。管理ユニットを選んでください");
                return;
            }
            if (session.unitName.empty()) {
                // The password list belongs to a unit: without one there is nothing to check.
                ctx_.ask().tell("管理ユニットを選んでください");
                return;
            }
            if (!checkLogin()) return;
            if (!downloadForEntryWindow()) return;
        }
        const fs::path ctl = tolv::ctlDir();
        std::string torFolder = tolv::toStoredPath(dir2_->path(), true);
        tolv::writeTorControl(ctl, tolv::TorControl{driveOf(torFolder), torFolder});
        tolv::writeTenControl(ctl, tolv::TenControl{tolv::toStoredPath(dir3_->path(), true)});
        std::string zepFolder = tolv::toStoredPath(dir1_->path(), true);
        tolv::writeZepControl(ctl, tolv::ZepControl{driveOf(zepFolder), zepFolder, cboPatt_->currentIndex(), name});
    } catch (const std::exception& e) {
        tellError(ctx_.ask(), e);
        return;
    }
    auto* entry = new FrmZepi(ctx_);
    if (!entry->isLoaded()) {
        // The entry file could not be opened: the choice can be made again here.
        delete entry;
        return;
    }
    opened_ = entry;
    entry->setAttribute(Qt::WA_DeleteOnClose);
    showPlaced(entry);
    close();
}

} // namespace tolv::gui
