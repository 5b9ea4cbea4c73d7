#include "gui/FrmKetugo.h"

#include "gui/ErrNo.h"
#include "gui/AppContext.h"
#include "gui/MessagePrompt.h"
#include "gui/Pickers.h"
#include "merge/Merge.h"
#include "platform/Error.h"
#include "platform/Paths.h"
#include "storage/AthleteLookup.h"
#include "storage/Codes.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace tolv::gui {

namespace fs = std::filesystem;
using namespace tolv::merge;

namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& q) { return q.toStdString(); }

constexpr int kPreviewColumns = 70;
constexpr int kRowHeight = 18;

int clampedInt(const QString& text)
{
    const long long v = numericValue(s(text));
    return static_cast<int>(std::clamp<long long>(v, INT32_MIN, INT32_MAX));
}

} // namespace

FrmKetugo::FrmKetugo(AppContext& ctx, const fs::path& entryFile, tolv::AthleteLookup& lookup, QWidget* parent)
    : QWidget(parent), ctx_(ctx), lookup_(lookup), entryFile_(entryFile)
{
    setObjectName("frmKetugo");
    setWindowTitle("申込結合");
    setWindowFlag(Qt::Window);
    buildWindow();
    drive1_->setDriveOf(entryFile.parent_path());
    dir1_->setRoot(drive1_->root());
    dir1_->setPath(entryFile.parent_path());
    guard([this] { fillFormatList(); });
}

FrmKetugo::~FrmKetugo() { store_.close(); }

void FrmKetugo::openEntry() { store_.openEntryFile(entryFile_, tolv::EntryStore::Access::Write); }

// --- building ------------------------------------------------------------------------------------

void FrmKetugo::buildWindow()
{
    auto* outer = new QHBoxLayout(this);
    outer->setSpacing(8);

    // Source file and the actions.
    auto* left = new QVBoxLayout;
    outer->addLayout(left);
    drive1_ = new DrivePicker(ctx_.ask(), this);
    drive1_->setObjectName("Drive1");
    dir1_ = new DirPicker(this);
    dir1_->setObjectName("Dir1");
    file1_ = new FilePicker(this);
    file1_->setObjectName("File1");
    left->addWidget(drive1_);
    left->addWidget(dir1_, 2);
    left->addWidget(file1_, 2);
    auto label = [this](const char* name, QWidget* parent = nullptr) {
        auto* l = new QLabel(parent ? parent : this);
        l->setObjectName(name);
        return l;
    };
    lblYomiFile_ = label("lblYomiFile");
    lblKakiFile_ = label("lblKakiFile");
    // The window's parts keep their places whatever the labels say: every label has a fixed
    // height, the findings scroll in their own area, so the buttons never move.
    const int line = fontMetrics().lineSpacing();
    for (QLabel* l : {lblYomiFile_, lblKakiFile_}) {
        l->setWordWrap(true);
        l->setFixedHeight(2 * line + 4);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    left->addWidget(lblYomiFile_);
    auto* dirRow = new QHBoxLayout;
    lblSys_ = label("lblSys");
    lblSys_->setMinimumWidth(70);
    lblShori_ = label("lblShori");
    lblShori_->setText("<=");
    lblShori_->setToolTip("クリックで読込み・書き込みの切り替えができます");
    lblShori_->setCursor(Qt::PointingHandCursor);
    lblShori_->installEventFilter(this);
    QFont big = lblShori_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    lblShori_->setFont(big);
    dirRow->addWidget(lblSys_);
    dirRow->addWidget(lblShori_);
    dirRow->addStretch();
    left->addLayout(dirRow);
    left->addWidget(lblKakiFile_);
    lblChuui_ = label("lblChuui");
    lblChuui_->setWordWrap(true);
    lblChuui_->setFixedHeight(5 * line + 4);
    lblChuui_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    left->addWidget(lblChuui_);
    auto* buttons = new QHBoxLayout;
    auto button = [this](const char* name, const char* caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        return b;
    };
    cmdKetugo_ = button("cmdKetugo", "読込み");
    cmdKakunin_ = button("cmdKakunin", "データ確認");
    cmdOwari_ = button("cmdOwari", "終");
    buttons->addWidget(cmdKetugo_);
    buttons->addWidget(cmdKakunin_);
    buttons->addWidget(cmdOwari_);
    left->addLayout(buttons);
    auto* findings = new QScrollArea(this);
    findings->setObjectName("scrKekka");
    findings->setWidgetResizable(true);
    findings->setFixedHeight(8 * line + 8);
    lblKekka_ = label("lblKekka", findings);
    lblKekka_->setWordWrap(true);
    lblKekka_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblKekka_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    findings->setWidget(lblKekka_);
    // Grown by a merge, the area scrolls to its end.
    QScrollBar* bar = findings->verticalScrollBar();
    connect(bar, &QScrollBar::rangeChanged, bar, [bar](int, int max) { bar->setValue(max); });
    left->addWidget(findings);

    // Reading formats.
    auto* middle = new QVBoxLayout;
    outer->addLayout(middle);
    lstKeisiki_ = new QListWidget(this);
    lstKeisiki_->setObjectName("lstKeisiki");
    middle->addWidget(lstKeisiki_, 1);
    auto* names = new QGridLayout;
    txtKeisiki_ = new QLineEdit(this);
    txtKeisiki_->setObjectName("txtKeisiki");
    txtFileNa_ = new QLineEdit(this);
    txtFileNa_->setObjectName("txtFileNa");
    names->addWidget(new QLabel("形式", this), 0, 0);
    names->addWidget(txtKeisiki_, 0, 1);
    names->addWidget(new QLabel("ファイル", this), 1, 0);
    names->addWidget(txtFileNa_, 1, 1);
    middle->addLayout(names);
    auto* maintain = new QHBoxLayout;
    cmdTouroku_ = button("cmdTouroku", "登録");
    cmdShusei_ = button("cmdShusei", "修正");
    cmdSakujo_ = button("cmdSakujo", "削除");
    maintain->addWidget(cmdTouroku_);
    maintain->addWidget(cmdShusei_);
    maintain->addWidget(cmdSakujo_);
    middle->addLayout(maintain);

    auto* title = new QGroupBox("タイトル項目", this);
    title->setObjectName("fraTitle");
    auto* tl = new QHBoxLayout(title);
    txtTitle_ = new QLineEdit("0", title);
    txtTitle_->setObjectName("txtTitle");
    tl->addWidget(txtTitle_);
    middle->addWidget(title);

    auto* shumoku = new QGroupBox("種目の読込方法", this);
    shumoku->setObjectName("fraShumoku");
    auto* sl = new QGridLayout(shumoku);
    optShumoku_[0] = new QRadioButton("固定位置", shumoku);
    optShumoku_[1] = new QRadioButton("種目番号", shumoku);
    for (int i = 0; i < 2; ++i) {
        optShumoku_[static_cast<std::size_t>(i)]->setObjectName(QString("optShumoku_%1").arg(i));
        txtIchi_[static_cast<std::size_t>(i)] = new QLineEdit(shumoku);
        txtIchi_[static_cast<std::size_t>(i)]->setObjectName(QString("txtIchi_%1").arg(i));
        txtIchi_[static_cast<std::size_t>(i)]->setFixedWidth(44);
    }
    optShumoku_[0]->setChecked(true);
    sl->addWidget(optShumoku_[0], 0, 0, 1, 3);
    sl->addWidget(optShumoku_[1], 1, 0, 1, 3);
    sl->addWidget(txtIchi_[0], 2, 0);
    sl->addWidget(new QLabel("->", shumoku), 2, 1);
    sl->addWidget(txtIchi_[1], 2, 2);
    middle->addWidget(shumoku);

    auto* genpon = new QGroupBox("登録原本優先", this);
    genpon->setObjectName("fraGenpon");
    auto* gl = new QVBoxLayout(genpon);
    chkGenpon_ = new QCheckBox("優先する", genpon);
    chkGenpon_->setObjectName("chkGenpon");
    auto* explain = new QLabel("旧番号により、登録原本の登録内容を優先します。", genpon);
    explain->setWordWrap(true);
    gl->addWidget(explain);
    gl->addWidget(chkGenpon_);
    middle->addWidget(genpon);

    auto* count = new QHBoxLayout;
    lblKoumokuSuu_ = label("lblKoumokuSuu");
    lblKoumokuSuu_->setMinimumWidth(30);
    lblKoumokuSuu_->setFrameShape(QFrame::Panel);
    lblKoumokuSuu_->setFrameShadow(QFrame::Sunken);
    count->addWidget(new QLabel("項目/レコード", this));
    count->addWidget(lblKoumokuSuu_);
    count->addStretch();
    middle->addLayout(count);

    // The source columns of the record previewed, in two rows of 35.
    auto* sourceBox = new QGroupBox(this);
    sourceBox->setObjectName("fraSdat");
    auto* sg = new QGridLayout(sourceBox);
    sg->setVerticalSpacing(1);
    sg->setHorizontalSpacing(4);
    for (int j = 0; j < kPreviewColumns; ++j) {
        const auto u = static_cast<std::size_t>(j);
        lblSno_[u] = new QLabel(QString::number(j + 1), sourceBox);
        lblSno_[u]->setObjectName(QString("lblSno_%1").arg(j));
        lblSno_[u]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblSdat_[u] = new QLabel(sourceBox);
        lblSdat_[u]->setObjectName(QString("lblSdat_%1").arg(j));
        lblSdat_[u]->setFixedSize(124, kRowHeight);
        lblSdat_[u]->setFrameShape(QFrame::Panel);
        lblSdat_[u]->setFrameShadow(QFrame::Sunken);
        lblSno_[u]->setFixedHeight(kRowHeight);
        const int row = j % 35, col = (j / 35) * 2;
        sg->addWidget(lblSno_[u], row, col);
        sg->addWidget(lblSdat_[u], row, col + 1);
    }
    outer->addWidget(sourceBox);

    // The 35 target fields: caption, column reference, preview.
    auto* targetBox = new QGroupBox(this);
    targetBox->setObjectName("fraTolv");
    auto* tg = new QGridLayout(targetBox);
    tg->setVerticalSpacing(1);
    tg->setHorizontalSpacing(4);
    for (int i = 0; i < kTargetFields; ++i) {
        const auto u = static_cast<std::size_t>(i);
        lblTolv_[u] = new QLabel(targetCaptions()[u], targetBox);
        lblTolv_[u]->setObjectName(QString("lblTolv_%1").arg(i));
        lblTolv_[u]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblTolv_[u]->setFixedHeight(kRowHeight);
        txtSno_[u] = new QLineEdit("0", targetBox);
        txtSno_[u]->setObjectName(QString("txtSno_%1").arg(i));
        txtSno_[u]->setFixedSize(40, kRowHeight);
        lblKakutei_[u] = new QLabel(targetBox);
        lblKakutei_[u]->setObjectName(QString("lblKakutei_%1").arg(i));
        lblKakutei_[u]->setFixedSize(150, kRowHeight);
        lblKakutei_[u]->setFrameShape(QFrame::Panel);
        lblKakutei_[u]->setFrameShadow(QFrame::Sunken);
        tg->addWidget(lblTolv_[u], i, 0);
        tg->addWidget(txtSno_[u], i, 1);
        tg->addWidget(lblKakutei_[u], i, 2);
        connect(txtSno_[u], &QLineEdit::textEdited, this, [this, i] { columnRefEdited(i); });
    }
    outer->addWidget(targetBox);

    connect(drive1_, &DrivePicker::driveChanged, this, [this](const QString& r) { dir1_->setRoot(s(r)); });
    connect(dir1_, &DirPicker::pathChanged, this, [this](const QString& p) { file1_->setFolder(s(p)); });
    connect(file1_, &FilePicker::fileClicked, this, &FrmKetugo::fileClicked);
    connect(lstKeisiki_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        txtKeisiki_->setText(item->text());
        loadFormat(lstKeisiki_->row(item));
    });
    connect(cmdTouroku_, &QPushButton::clicked, this, &FrmKetugo::registerFormat);
    connect(cmdShusei_, &QPushButton::clicked, this, &FrmKetugo::modifyFormat);
    connect(cmdSakujo_, &QPushButton::clicked, this, &FrmKetugo::deleteFormat);
    connect(cmdKetugo_, &QPushButton::clicked, this, &FrmKetugo::execute);
    connect(cmdKakunin_, &QPushButton::clicked, this, &FrmKetugo::preview);
    connect(cmdOwari_, &QPushButton::clicked, this, &QWidget::close);
}

// --- reading formats -----------------------------------------------------------------------------

void FrmKetugo::fillFormatList()
{
    lstKeisiki_->clear();
    for (const ReadingFormat& f : readReadingFormats(readingFormatsPath())) lstKeisiki_->addItem(q(f.name));
}

ReadingFormat FrmKetugo::formatFromControls() const
{
    ReadingFormat f;
    f.name = s(txtKeisiki_->text());
    f.fileName = s(txtFileNa_->text());
    f.titleRecords = clampedInt(txtTitle_->text());
    f.fixedPosition = optShumoku_[0]->isChecked();
    f.eventNumber = optShumoku_[1]->isChecked();
    f.rangeFirst = clampedInt(txtIchi_[0]->text());
    f.rangeLast = clampedInt(txtIchi_[1]->text());
    for (int i = 0; i < kTargetFields; ++i)
        f.columns[static_cast<std::size_t>(i)] = parseColumnRef(s(txtSno_[static_cast<std::size_t>(i)]->text()));
    return f;
}

void FrmKetugo::showFormat(const ReadingFormat& f)
{
    txtFileNa_->setText(q(f.fileName));
    txtTitle_->setText(QString::number(f.titleRecords));
    optShumoku_[0]->setAutoExclusive(false);
    optShumoku_[1]->setAutoExclusive(false);
    optShumoku_[0]->setChecked(f.fixedPosition);
    optShumoku_[1]->setChecked(f.eventNumber);
    optShumoku_[0]->setAutoExclusive(true);
    optShumoku_[1]->setAutoExclusive(true);
    txtIchi_[0]->setText(QString::number(f.rangeFirst));
    txtIchi_[1]->setText(QString::number(f.rangeLast));
    for (int i = 0; i < kTargetFields; ++i)
        txtSno_[static_cast<std::size_t>(i)]->setText(q(columnRefText(f.columns[static_cast<std::size_t>(i)])));
}

void FrmKetugo::loadFormat(int position)
{
    for (QLineEdit* t : txtSno_) t->clear();
    guard([&] {
        std::vector<ReadingFormat> formats = readReadingFormats(readingFormatsPath());
        enforce(position >= 0 && position < static_cast<int>(formats.size()),
                "読込形式 " + std::to_string(position + 1) + " 番目はありません");
        showFormat(formats[static_cast<std::size_t>(position)]);
    });
}

void FrmKetugo::registerFormat()
{
    ReadingFormat f = formatFromControls();
    guard([&] {
        ensureWorkTree();
        registerReadingFormat(readingFormatsPath(), f);
    });
    guard([this] { fillFormatList(); });
}

void FrmKetugo::modifyFormat()
{
    const int p = lstKeisiki_->currentRow();
    if (p < 0 || !lstKeisiki_->currentItem()->isSelected()) return;
    ReadingFormat f = formatFromControls();
    guard([&] { modifyReadingFormat(readingFormatsPath(), p, f); });
    guard([this] { fillFormatList(); });
}

void FrmKetugo::deleteFormat()
{
    const int p = lstKeisiki_->currentRow();
    if (p < 0 || !lstKeisiki_->currentItem()->isSelected()) return;
    guard([&] { deleteReadingFormat(readingFormatsPath(), p); });
    guard([this] { fillFormatList(); });
}

// --- source file ---------------------------------------------------------------------------------

void FrmKetugo::fileClicked(const QString& name)
{
    folder_ = file1_->folder();
    fileName_ = name;
    lblYomiFile_->setText(q((folder_ / s(name)).string()));
    lblKakiFile_->setText(q((folder_ / "").string()));
    classify();
}

fs::path FrmKetugo::selectedFile() const { return fileName_.isEmpty() ? fs::path() : folder_ / s(fileName_); }

void FrmKetugo::classify()
{
    // An entry file is labelled by its structure check, not by its name alone; the file this
    // window merges into is held under its lock and is no source.
    std::error_code ec;
    SourceClass c = classifySource(selectedFile().string());
    if (store_.isOpen() && fs::equivalent(selectedFile(), store_.path(), ec))
        c.note = "開いている申込ファイルそのものです。\n\n結合できません。";
    else c = describeSource(selectedFile());
    lblSys_->setText(q(c.sys));
    lblChuui_->setText(q(c.note));
}

void FrmKetugo::toggleDirection()
{
    reading_ = !reading_;
    lblShori_->setText(reading_ ? "<=" : "=>");
    cmdKetugo_->setText(reading_ ? "読込み" : "書出し");
}

bool FrmKetugo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lblShori_ && event->type() == QEvent::MouseButtonRelease) {
        toggleDirection();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// --- execute and preview -------------------------------------------------------------------------

void FrmKetugo::execute()
{
    if (!reading_) {
        ctx_.ask().tell("書出しでは何もしません。矢印をクリックすると読込みに切り替わります。");
        return;
    }
    const fs::path source = selectedFile();
    if (source.empty()) {
        ctx_.ask().tell("結合するファイルを選んでください");
        return;
    }
    BusyCursor busy;
    guard([&] {
        enforce(store_.isOpen(), "申込ファイルが開かれていません: " + entryFile_.string());
        const SourceClass kind = classifySource(source.string());
        const ReadingFormat f = formatFromControls();
        MergeRequest request;
        request.format = &f;
        request.preferMaster = chkGenpon_->isChecked() ? &lookup_ : nullptr;
        request.prefectureTable = lookup_.prefectureTablePath();
        if (kind.kind != SourceKind::Entry && kind.kind != SourceKind::TeamTotals)
            lblKoumokuSuu_->setText(QString::number(itemCountOfFirstLine(readSourceBytes(source))));
        PreparedSource p = prepareSource(source, store_, request);
        // The same bytes merged before: appended again only when the user says so.
        // Enter answers キャンセル: a file is merged twice only on purpose.
        if (p.mergedBefore && !askCancelFirst(ctx_.ask(), mergedBeforeQuestion(p))) return;
        appendSources(store_, {p});
        QString done = QString("%1 人を結合しました（総数 %2 人）").arg(p.swimmers.size()).arg(store_.header().total());
        if (request.preferMaster) done += QString("。登録原本から %1 人").arg(p.fromMaster);
        // Data findings do not stop a merge: they are listed for the checks after it, all of
        // them, newest last, in the scrolling area.
        // The area shows its end: the newest findings and, last, this merge's result.
        for (const std::string& line : findingLines({p})) findings_.push_back(line);
        QString shown;
        if (!findings_.empty()) {
            shown = "データの指摘（結合は止めていません）:";
            for (const std::string& line : findings_) shown += "\n" + QString::fromStdString(line);
            shown += "\n";
        }
        lblKekka_->setText(shown + done);
    });
}

void FrmKetugo::preview()
{
    const fs::path source = selectedFile();
    if (source.empty()) return;
    const std::string sys = s(lblSys_->text());
    if (sys == "csv") previewCsv(source);
    else if (sys == "tolvsys") previewEntry(source);
}

void FrmKetugo::previewCsv(const fs::path& source)
{
    CsvPreview p;
    if (!guard([&] { p = readCsvPreview(source); })) return;
    lblKoumokuSuu_->setText(QString::number(p.itemCount));
    for (const std::vector<std::string>& items : p.records) {
        previewed_ = items;
        for (int j = 0; j < kPreviewColumns; ++j) {
            const auto u = static_cast<std::size_t>(j);
            lblSdat_[u]->setText(u < items.size() ? q(items[u]) : QString());
        }
        refreshTargetPreviews();
        if (!ctx_.ask().ask("次のデータを確認しますか？")) break;
    }
}

void FrmKetugo::previewEntry(const fs::path& source)
{
    std::vector<tolv::SwimmerRecord> swimmers;
    bool ok = guard([&] {
        enforce(classifySource(source.string()).kind != SourceKind::TeamTotals,
                "tolvsysの申込団体ファイルです。ここでは読込できません: " + source.string());
        std::error_code ec;
        if (fs::equivalent(source, store_.path(), ec)) {
            swimmers = store_.readAllSwimmers();
            return;
        }
        tolv::EntryStore other;
        other.openEntryFile(source, tolv::EntryStore::Access::Read);
        swimmers = other.readAllSwimmers();
    });
    if (!ok) return;
    previewed_.clear();
    for (const tolv::SwimmerRecord& r : swimmers) {
        const auto shown = previewSwimmer(r);
        for (int i = 0; i < kTargetFields; ++i)
            lblKakutei_[static_cast<std::size_t>(i)]->setText(q(shown[static_cast<std::size_t>(i)]));
        if (!ctx_.ask().ask("次のデータを確認しますか？")) break;
    }
}

void FrmKetugo::refreshTargetPreviews()
{
    std::array<std::string, kTargetFields> refs;
    for (int i = 0; i < kTargetFields; ++i) refs[static_cast<std::size_t>(i)] = s(txtSno_[static_cast<std::size_t>(i)]->text());
    const auto shown = previewTargets(previewed_, refs);
    for (int i = 0; i < kTargetFields; ++i)
        lblKakutei_[static_cast<std::size_t>(i)]->setText(q(shown[static_cast<std::size_t>(i)]));
}

void FrmKetugo::columnRefEdited(int field)
{
    QLineEdit* box = txtSno_[static_cast<std::size_t>(field)];
    const long long v = numericValue(s(box->text()));
    if (v < 0) {
        box->setText("0");
        lblKakutei_[static_cast<std::size_t>(field)]->clear();
    } else if (v > 0 && !previewed_.empty()) {
        refreshTargetPreviews();
    }
}

bool FrmKetugo::guard(const std::function<void()>& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        tellError(ctx_.ask(), e);
        return false;
    }
}

void FrmKetugo::closeEvent(QCloseEvent* event)
{
    store_.close();
    event->accept();
}

} // namespace tolv::gui
