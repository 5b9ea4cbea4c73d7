#include "gui/FrmNichi.h"

#include "gui/ErrNo.h"

#include "exchange/Exports.h"
#include "platform/Clock.h"
#include "platform/Printer.h"
#include "platform/Prompt.h"
#include "registration/RegistrationDocs.h"
#include "registration/RegistrationExport.h"
#include "storage/Backups.h"
#include "storage/EntryStore.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tolv::gui {

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

QLabel* valueLabel(QWidget* parent, const char* name)
{
    auto* l = new QLabel("0", parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(60);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    return l;
}

// Teams of the team totals file; none when there is no (readable) file yet.
int teamCount(const std::filesystem::path& zed)
{
    try {
        return static_cast<int>(registration::readRegisteredTeams(zed, MasterSource{}).size());
    } catch (const std::exception&) {
        return 0;
    }
}

} // namespace

FrmNichi::FrmNichi(tolv::EntryStore& store, const std::filesystem::path& transferFolder, const std::filesystem::path& ctlFolder,
                   const MasterSource& master, tolv::Prompt& prompt, QWidget* parent)
    : QWidget(parent), store_(store), transfer_(transferFolder), ctl_(ctlFolder), master_(master), prompt_(prompt)
{
    setObjectName("frmNichi");
    setWindowTitle(q("日本水泳連盟  団体・競技者登録"));
    print_ = [this](const DrawReport& draw) { return printWithPreview(this, draw); };

    swimmers_ = std::max(0, store_.header().total());
    media_ = registration::registrationMediaCount(swimmers_);

    auto* grid = new QGridLayout(this);
    QLabel* lblKozin = valueLabel(this, "lblKozin");
    lblKozin->setText(QString::number(swimmers_));
    QLabel* lblDantai = valueLabel(this, "lblDantai");
    lblDantai->setText(QString::number(teamCount(teamTotalsPathFor(store_.path()))));
    grid->addWidget(new QLabel(q("個人数"), this), 0, 0);
    grid->addWidget(lblKozin, 0, 1);
    grid->addWidget(new QLabel(q("団体数"), this), 0, 2);
    grid->addWidget(lblDantai, 0, 3);

    lblMai_ = valueLabel(this, "lblMai");
    lblSohsu_ = valueLabel(this, "lblSohsu");
    lblHazime_ = valueLabel(this, "lblHazime");
    lblOwari_ = valueLabel(this, "lblOwari");
    grid->addWidget(lblMai_, 1, 0);
    grid->addWidget(new QLabel("/", this), 1, 1, Qt::AlignCenter);
    grid->addWidget(lblSohsu_, 1, 2);
    grid->addWidget(lblHazime_, 2, 0);
    grid->addWidget(new QLabel("->", this), 2, 1, Qt::AlignCenter);
    grid->addWidget(lblOwari_, 2, 2);
    cmdUp_ = new QPushButton(q("∧"), this);
    cmdUp_->setObjectName("cmdUp");
    cmdDown_ = new QPushButton(q("∨"), this);
    cmdDown_->setObjectName("cmdDown");
    grid->addWidget(cmdUp_, 1, 3);
    grid->addWidget(cmdDown_, 2, 3);

    auto* cmdFd = new QPushButton(q("作成(FD)"), this);
    cmdFd->setObjectName("cmdZikkoh_0");
    auto* cmdAll = new QPushButton(q("一括作成"), this);
    cmdAll->setObjectName("cmdZikkoh_1");
    auto* cmdInsatu = new QPushButton(q("印刷(csv)"), this);
    cmdInsatu->setObjectName("cmdInsatu");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdFd, cmdAll, cmdInsatu}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, 3, 0, 1, 4);

    connect(cmdUp_, &QPushButton::clicked, this, &FrmNichi::previousMedium);
    connect(cmdDown_, &QPushButton::clicked, this, &FrmNichi::nextMedium);
    connect(cmdFd, &QPushButton::clicked, this, [this] { writeTransfer(true); });
    connect(cmdAll, &QPushButton::clicked, this, [this] { writeTransfer(false); });
    connect(cmdInsatu, &QPushButton::clicked, this, &FrmNichi::writeDocuments);
    showMedium();
}

void FrmNichi::showMedium()
{
    const int per = static_cast<int>(registration::kRegistrationSwimmersPerMedium);
    lblMai_->setText(QString::number(medium_));
    lblSohsu_->setText(QString::number(media_));
    lblHazime_->setText(QString::number((medium_ - 1) * per + 1));
    lblOwari_->setText(QString::number(std::min(medium_ * per, swimmers_)));
    cmdUp_->setEnabled(medium_ > 1);
    cmdDown_->setEnabled(medium_ < media_);
}

void FrmNichi::previousMedium()
{
    if (medium_ > 1) --medium_;
    showMedium();
}

void FrmNichi::nextMedium()
{
    if (medium_ < media_) ++medium_;
    showMedium();
}

void FrmNichi::writeTransfer(bool perMedium)
{
    try {
        exchange::ExportTarget target;
        target.transfer = transfer_;
        target.ctl = ctl_;
        target.master = master_;
        target.prompt = &prompt_;
        target.when = now();
        const exchange::ExportResult r =
            registration::writeRegistrationTransfer(exchange::EntryData::read(store_), target, medium_ == 1, perMedium);
        prompt_.tell(exchange::summaryText(r));
    } catch (const std::exception& e) {
        tellError(prompt_, e);
        return;
    }
    close();
}

void FrmNichi::writeDocuments()
{
    try {
        const std::vector<registration::RegisteredTeam> teams =
            registration::readRegisteredTeams(teamTotalsPathFor(store_.path()), master_);
        const std::vector<std::filesystem::path> files =
            registration::writeRegistrationDocs(transfer_, store_.readAllSwimmers(), teams, todayNumber());
        const registration::CsvLines lines = registration::teamListLines(teams);
        print_([&lines](Printer& p) { registration::printTeamList(p, lines); });
        std::string said = "書き出しました:";
        for (const auto& f : files) said += "\n" + f.string();
        prompt_.tell(said);
    } catch (const std::exception& e) {
        tellError(prompt_, e);
    }
}

} // namespace tolv::gui
