#include "gui/ZepiSwimmerPanel.h"

#include "gui/ZepiHeaderPanel.h"
#include "storage/Codes.h"
#include "storage/EntryEditRules.h"
#include "storage/Records.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tolv::gui {
namespace {

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

QString q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

ZepiSwimmerPanel::ZepiSwimmerPanel(QObject* keys, QWidget* parent) : QWidget(parent)
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(2);
    const int digit = fontMetrics().horizontalAdvance('0');

    auto* sw = new QGroupBox(this);
    sw->setObjectName("fraSwimmer");
    auto* sl = new QGridLayout(sw);
    sl->setContentsMargins(6, 2, 6, 2);
    sl->setVerticalSpacing(2);
    txtJun = new QLineEdit(sw);
    txtJun->setObjectName("txtJun");
    txtJun->setReadOnly(true);
    txtJun->setFocusPolicy(Qt::NoFocus);
    txtJun->setFixedWidth(digit * 12 + 14);
    txtBango = entryBox("txtBango", 8, keys, sw);
    txtQBango = entryBox("txtQBango", 15, keys, sw);
    txtKana = entryBox("txtKana", 17, keys, sw);
    txtNamae = entryBox("txtNamae", 17, keys, sw);
    txtKen = entryBox("txtKen", 9, keys, sw);
    txtKenKana = entryBox("txtKenKana", 7, keys, sw);
    txtShozoku = entryBox("txtShozoku", 13, keys, sw);
    txtShozokuKana = entryBox("txtShozokuKana", 7, keys, sw);
    txtGakunen = entryBox("txtGakunen", 5, keys, sw);
    txtNenrei = entryBox("txtNenrei", 4, keys, sw);
    cboSei = new QComboBox(sw);
    cboSei->setObjectName("cboSei");
    cboShuFuku = new QComboBox(sw);
    cboShuFuku->setObjectName("cboShuFuku");
    cboSei->addItems({"", "男子", "女子", "混合"});
    cboShuFuku->addItems({"", "主", "副"});
    auto label = [sw](const char* text) { return new QLabel(text, sw); };
    sl->addWidget(label("順(総数)"), 0, 0);
    sl->addWidget(txtJun, 0, 1);
    sl->addWidget(label("番号"), 0, 2);
    sl->addWidget(txtBango, 0, 3);
    sl->addWidget(label("旧番号"), 0, 4);
    sl->addWidget(txtQBango, 0, 5);
    sl->addWidget(label("ﾌﾘｶﾅ"), 0, 6);
    sl->addWidget(txtKana, 0, 7);
    sl->addWidget(label("名前"), 0, 8);
    sl->addWidget(txtNamae, 0, 9);
    sl->addWidget(label("県"), 1, 0);
    sl->addWidget(txtKen, 1, 1);
    sl->addWidget(label("県ｶﾅ"), 1, 2);
    sl->addWidget(txtKenKana, 1, 3);
    sl->addWidget(label("所属"), 1, 4);
    sl->addWidget(txtShozoku, 1, 5);
    sl->addWidget(label("所属ｶﾅ"), 1, 6);
    sl->addWidget(txtShozokuKana, 1, 7);
    auto* row3 = new QHBoxLayout;
    row3->addWidget(label("学年"));
    row3->addWidget(txtGakunen);
    row3->addWidget(label("年令"));
    row3->addWidget(txtNenrei);
    row3->addWidget(label("性別"));
    row3->addWidget(cboSei);
    row3->addWidget(label("主副"));
    row3->addWidget(cboShuFuku);
    auto* shu = new QGroupBox("種別", sw);
    shu->setObjectName("fraShubetu");
    auto* shl = new QHBoxLayout(shu);
    shl->setContentsMargins(4, 0, 4, 0);
    const char* const disciplines[6] = {"泳", "飛", "球", "シ", "日", "Ｏ"};
    for (int i = 0; i < 6; ++i) {
        chkShubetu[i] = new QCheckBox(disciplines[i], shu);
        chkShubetu[i]->setObjectName(QString("chkShubetu_%1").arg(i));
        shl->addWidget(chkShubetu[i]);
    }
    row3->addWidget(shu);
    const char* const nissui[2] = {"ｶｰﾄﾞ", "台紙"};
    for (int i = 0; i < 2; ++i) {
        chkNissui[i] = new QCheckBox(nissui[i], sw);
        chkNissui[i]->setObjectName(QString("chkNissui_%1").arg(i));
        row3->addWidget(chkNissui[i]);
    }
    row3->addStretch();
    sl->addLayout(row3, 2, 0, 1, 10);

    sl->setColumnStretch(10, 1);
    main->addWidget(sw);

    // Event slots.
    auto slotBox = [&](const SlotGroup& g, QHBoxLayout* into) {
        auto* box = new QGroupBox(g.title, this);
        auto* l = new QGridLayout(box);
        l->setVerticalSpacing(1);
        l->setContentsMargins(4, 0, 4, 2);
        for (int slot = g.first; slot <= g.last; ++slot) {
            int row = slot - g.first;
            lblKiro[slot] = new QLabel(q(tolv::slotLabel(slot)), box);
            lblKiro[slot]->setObjectName(QString("lblKiro_%1").arg(slot));
            QFont mono = lblKiro[slot]->font();
            mono.setFamilies({"IPAGothic", "monospace"});
            lblKiro[slot]->setFont(mono);
            txtKiro[slot] = entryBox(QString("txtKiro_%1").arg(slot), 8, keys, box);
            txtKiro[slot]->setAlignment(Qt::AlignRight);
            l->addWidget(lblKiro[slot], row, 0);
            l->addWidget(txtKiro[slot], row, 1);
            if (slot < tolv::kIndividualSlots) {
                lblMark[slot] = new QLabel(box);
                lblMark[slot]->setObjectName(QString("lblMark_%1").arg(slot));
                lblMark[slot]->setFixedWidth(digit * 3);
                l->addWidget(lblMark[slot], row, 2);
            }
        }
        l->setRowStretch(g.last - g.first + 1, 1);
        into->addWidget(box);
    };
    auto* individual = new QHBoxLayout;
    for (const SlotGroup& g : kIndividualGroups) slotBox(g, individual);
    individual->addStretch();
    main->addLayout(individual);
    auto* relays = new QHBoxLayout;
    for (const SlotGroup& g : kRelayGroups) slotBox(g, relays);
    relays->addStretch();
    main->addLayout(relays);
}

void ZepiSwimmerPanel::showSwimmer(const tolv::EntryEditRules& rules, const tolv::SwimmerRecord& r, int number, int total)
{
    using B = tolv::EntryBox;
    txtJun->setText(QString("%1  (%2)").arg(number).arg(total));
    const std::pair<QLineEdit*, B> boxes[] = {
        {txtBango, B::Bango},     {txtQBango, B::QBango},   {txtKana, B::Kana},       {txtNamae, B::Namae},
        {txtKen, B::Ken},         {txtKenKana, B::KenKana}, {txtShozoku, B::Shozoku}, {txtShozokuKana, B::ShozokuKana},
        {txtGakunen, B::Gakunen}, {txtNenrei, B::Nenrei}};
    for (const auto& [box, kind] : boxes) box->setText(q(rules.shown(kind)));
    int sei = tolv::SwimmerRecord::digitValue(r.sei());
    cboSei->setCurrentIndex(sei <= 3 ? sei : -1);
    int shuFuku = tolv::SwimmerRecord::digitValue(r.shuFuku());
    cboShuFuku->setCurrentIndex(shuFuku <= 2 ? shuFuku : -1);
    std::string flags = r.shubetu();
    for (int i = 0; i < 6; ++i) chkShubetu[i]->setChecked(std::size_t(i) < flags.size() && flags[std::size_t(i)] == '1');
    chkNissui[0]->setChecked(r.card() == "1");
    chkNissui[1]->setChecked(r.daishi() == "1");
    for (int slot = 0; slot < tolv::kEventSlots; ++slot) txtKiro[slot]->setText(q(rules.shown(B::Kiro, slot)));
    for (int slot = 0; slot < tolv::kIndividualSlots; ++slot) lblMark[slot]->setText(q(r.markA(slot) + r.markB(slot)).trimmed());
}

void ZepiSwimmerPanel::setReserveTip(int row, const QString& name)
{
    txtKiro[tolv::kFirstReserveSlot + row]->setToolTip(name);
    lblKiro[tolv::kFirstReserveSlot + row]->setToolTip(name);
}

} // namespace tolv::gui
