#include "gui/FrmSeiko.h"

#include "gui/ErrNo.h"

#include "platform/Prompt.h"
#include "storage/Codes.h"
#include "storage/EntryStore.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tolv::gui {

namespace {

QString q(const char* s) { return QString::fromUtf8(s); }

// The caption of the event box of slot 0..28: the stroke name on the first box of each group.
QString eventCaption(int slot)
{
    struct Group {
        int first;
        const char* stroke;
    };
    static const Group groups[] = {{0, "自由形   "},  {7, "背泳ぎ   "},  {11, "平泳ぎ   "}, {15, "ﾊﾞﾀﾌﾗｲ  "},
                                   {19, "個人メ   "}, {22, "メドレー "}, {25, "リレー   "}};
    const std::string code = timing::seikoEventCode(slot);
    const QString distance = QString::number(std::stoi(code.substr(1)));
    for (const Group& g : groups)
        if (g.first == slot) return q(g.stroke) + distance;
    return distance;
}

} // namespace

FrmSeiko::FrmSeiko(const std::filesystem::path& entryFile, const std::filesystem::path& transferFolder,
                   const std::filesystem::path& ctlFolder, tolv::Prompt& prompt, QWidget* parent)
    : QWidget(parent), entryFile_(entryFile), transfer_(transferFolder), ctl_(ctlFolder), prompt_(prompt)
{
    setObjectName("frmSeiko");
    setWindowTitle(q("Ｓｅｉｋｏデータ書出し(csvcomp.csv csvteam.csv) DurIduz"));
    auto* top = new QVBoxLayout(this);

    auto* fraShumoku = new QGroupBox(q("種目選択"), this);
    fraShumoku->setObjectName("fraShumoku");
    auto* shuLayout = new QGridLayout(fraShumoku);
    const char* modes[] = {"全員", "種目選択"};
    for (int i = 0; i < 2; ++i) {
        optShumoku_[i] = new QRadioButton(q(modes[i]), fraShumoku);
        optShumoku_[i]->setObjectName(QString("optShumoku_%1").arg(i));
        shuLayout->addWidget(optShumoku_[i], 0, i * 2, 1, 2);
    }
    optShumoku_[0]->setChecked(true);
    // One column per stroke group, as the events stand in the entry window.
    const int groupStart[] = {0, 7, 11, 15, 19, 22, 25, 29};
    for (int g = 0; g < 7; ++g) {
        for (int slot = groupStart[g]; slot < groupStart[g + 1]; ++slot) {
            auto* box = new QCheckBox(eventCaption(slot), fraShumoku);
            box->setObjectName(QString("chkShu_%1").arg(slot));
            chkShu_[static_cast<std::size_t>(slot)] = box;
            shuLayout->addWidget(box, 1 + slot - groupStart[g], g);
        }
    }
    top->addWidget(fraShumoku);

    auto* fraKubun = new QGroupBox(q("クラス設定"), this);
    fraKubun->setObjectName("fraKubun");
    auto* kubunLayout = new QGridLayout(fraKubun);
    const char* kinds[] = {"無差別", "年齢別", "学年別"};
    auto* kindRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        optKubun_[i] = new QRadioButton(q(kinds[i]), fraKubun);
        optKubun_[i]->setObjectName(QString("optKubun_%1").arg(i));
        kindRow->addWidget(optKubun_[i]);
    }
    kindRow->addStretch();
    kubunLayout->addLayout(kindRow, 0, 0, 1, 3);
    optKubun_[0]->setChecked(true);
    for (int i = 0; i < timing::kClassRows; ++i) {
        auto* label = new QLabel(QString("%1        ->").arg(i + 1, 2, 10, QChar('0')), fraKubun);
        label->setObjectName(QString("lblClass_%1").arg(i));
        txtClass1_[i] = new QLineEdit(fraKubun);
        txtClass1_[i]->setObjectName(QString("txtClass1_%1").arg(i));
        txtClass2_[i] = new QLineEdit(fraKubun);
        txtClass2_[i]->setObjectName(QString("txtClass2_%1").arg(i));
        for (QLineEdit* e : {txtClass1_[i], txtClass2_[i]}) {
            e->setFixedWidth(60);
            e->setAlignment(Qt::AlignRight);
        }
        kubunLayout->addWidget(label, 1 + i, 0);
        kubunLayout->addWidget(txtClass1_[i], 1 + i, 1);
        kubunLayout->addWidget(txtClass2_[i], 1 + i, 2);
    }
    txtClass1_[0]->setText("1");
    txtClass2_[0]->setText("100");

    auto* side = new QVBoxLayout;
    const char* countCaptions[] = {"書出し人数(個人)", "(リレー)"};
    auto* counts = new QGridLayout;
    for (int i = 0; i < 2; ++i) {
        counts->addWidget(new QLabel(q(countCaptions[i]), this), i, 0);
        lblKensu_[i] = new QLabel("0", this);
        lblKensu_[i]->setObjectName(QString("lblKensu_%1").arg(i));
        lblKensu_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lblKensu_[i]->setMinimumWidth(60);
        counts->addWidget(lblKensu_[i], i, 1);
    }
    auto* cmdZikko = new QPushButton(q("追加書出し"), this);
    cmdZikko->setObjectName("cmdZikko");
    cmdZikko->setToolTip("csvcomp.csv");
    auto* cmdZikko2 = new QPushButton(q("追加書出し"), this);
    cmdZikko2->setObjectName("cmdZikko2");
    cmdZikko2->setToolTip("csvteam.csv");
    auto* cmdOwari = new QPushButton(q("終"), this);
    cmdOwari->setObjectName("cmdOwari");
    for (QPushButton* b : {cmdZikko, cmdZikko2, cmdOwari}) b->setAutoDefault(false);
    counts->addWidget(cmdZikko, 0, 2);
    counts->addWidget(cmdZikko2, 1, 2);
    side->addLayout(counts);
    side->addStretch();
    side->addWidget(cmdOwari, 0, Qt::AlignRight);

    auto* lower = new QHBoxLayout;
    lower->addWidget(fraKubun);
    lower->addLayout(side);
    top->addLayout(lower);

    connect(cmdZikko, &QPushButton::clicked, this, &FrmSeiko::appendIndividuals);
    connect(cmdZikko2, &QPushButton::clicked, this, &FrmSeiko::appendRelays);
    connect(cmdOwari, &QPushButton::clicked, this, &QWidget::close);
}

timing::SeikoOptions FrmSeiko::options() const
{
    timing::SeikoOptions o;
    o.everyone = optShumoku_[0]->isChecked();
    for (int slot = 0; slot < kStandardSlots; ++slot) o.events[static_cast<std::size_t>(slot)] = chkShu_[slot]->isChecked();
    o.classBy = optKubun_[2]->isChecked()   ? timing::ClassBy::Grade
                : optKubun_[1]->isChecked() ? timing::ClassBy::Age
                                            : timing::ClassBy::Open;
    for (int i = 0; i < timing::kClassRows; ++i)
        o.classes[static_cast<std::size_t>(i)] = {txtClass1_[i]->text().trimmed().toStdString(),
                                                  txtClass2_[i]->text().trimmed().toStdString()};
    return o;
}

void FrmSeiko::appendIndividuals() { append(false); }
void FrmSeiko::appendRelays() { append(true); }

void FrmSeiko::append(bool relays)
{
    const int which = relays ? 1 : 0;
    try {
        EntryStore store;
        store.openEntryFile(entryFile_, EntryStore::Access::Read);
        timing::SeikoOptions o = options();
        o.prefectureTeams = store.header().botai() == 1;
        const std::vector<SwimmerRecord> swimmers = store.readAllSwimmers();
        store.close();
        const timing::SeikoAppend a = relays ? timing::appendSeikoRelays(transfer_, ctl_, swimmers, o, counts_[which])
                                             : timing::appendSeikoIndividuals(transfer_, ctl_, swimmers, o, counts_[which]);
        counts_[which] = a.counter;
        lblKensu_[which]->setText(QString::number(counts_[which]));
        if (!a.lost.empty()) {
            std::string text = "1 行に書けるのは 10 種目までです。次の選手の 11 種目目以降は書き出していません:";
            for (const timing::LostEvents& l : a.lost) text += "\n" + std::to_string(l.swimmer) + " " + l.name;
            prompt_.tell(text);
        }
    } catch (const std::exception& e) {
        tellError(prompt_, e);
    }
}

} // namespace tolv::gui
