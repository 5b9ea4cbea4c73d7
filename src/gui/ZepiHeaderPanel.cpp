#include "gui/ZepiHeaderPanel.h"

#include "storage/EntryEditRules.h"
#include "storage/Records.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tolv::gui {

QLineEdit* entryBox(const QString& name, int chars, QObject* keys, QWidget* parent)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance('0') * chars + 14);
    e->installEventFilter(keys);
    return e;
}

namespace {

// Sets one row of radio buttons without emitting clicks.
template <std::size_t N> void check(std::array<QRadioButton*, N>& buttons, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        buttons[i]->setAutoExclusive(false);
        buttons[i]->setChecked(int(i) == index);
        buttons[i]->setAutoExclusive(true);
    }
}

} // namespace

ZepiHeaderPanel::ZepiHeaderPanel(QObject* keys, QWidget* parent) : QWidget(parent)
{
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(2);

    // Where the data lie: one line, each path cut to the room it has (the full path as its tip).
    auto* info = new QHBoxLayout;
    auto place = [&](const char* caption, const char* name) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        l->setMinimumWidth(120);
        info->addWidget(new QLabel(caption, this));
        info->addWidget(l, 1);
        return l;
    };
    lblFile = place("申込", "lblFile");
    lblToroDr = place("登録", "lblToroDr");
    lblTrDr = place("転送", "lblTrDr");
    main->addLayout(info);

    auto* band = new QHBoxLayout;
    auto* head = new QGroupBox(this);
    head->setObjectName("fraHeader");
    auto* hl = new QGridLayout(head);
    hl->setContentsMargins(6, 2, 6, 2);
    hl->setVerticalSpacing(2);
    txtZigyo = entryBox("txtZigyo", 9, keys, head);
    txtBasho = entryBox("txtBasho", 13, keys, head);
    txtStBi = entryBox("txtStBi", 10, keys, head);
    txtEnBi = entryBox("txtEnBi", 10, keys, head);
    txtTcod = entryBox("txtTcod", 8, keys, head);
    txtKijunBi = entryBox("txtKijunBi", 10, keys, head);
    txtKijunBi->setToolTip("年齢計算基準日");
    txtTorobi = entryBox("txtTorobi", 10, keys, head);
    auto label = [head](const char* text) { return new QLabel(text, head); };
    hl->addWidget(label("事業名"), 0, 0);
    hl->addWidget(txtZigyo, 0, 1);
    hl->addWidget(label("場  所"), 0, 2);
    hl->addWidget(txtBasho, 0, 3);
    hl->addWidget(label("期  日"), 0, 4);
    hl->addWidget(txtStBi, 0, 5);
    hl->addWidget(label("～"), 0, 6);
    hl->addWidget(txtEnBi, 0, 7);
    hl->addWidget(label("大会番号"), 1, 0);
    hl->addWidget(txtTcod, 1, 1);
    auto* kijunLabel = label("基 準 日");
    kijunLabel->setToolTip("年齢計算基準日");
    hl->addWidget(kijunLabel, 1, 2);
    hl->addWidget(txtKijunBi, 1, 3);
    hl->addWidget(label("登録日"), 1, 4);
    hl->addWidget(txtTorobi, 1, 5);
    band->addWidget(head);

    // The option frames beside the header, two above one, and the reserve-panel button.
    auto* options = new QGridLayout;
    options->setVerticalSpacing(0);
    auto frame = [&](const char* name, const char* title, const char* array, std::initializer_list<const char*> captions,
                     QRadioButton** out, int row, int column, int span) {
        auto* g = new QGroupBox(title, this);
        g->setObjectName(name);
        auto* l = new QHBoxLayout(g);
        l->setContentsMargins(6, 0, 6, 0);
        int i = 0;
        for (const char* c : captions) {
            auto* b = new QRadioButton(c, g);
            b->setObjectName(QString("%1_%2").arg(array).arg(i));
            l->addWidget(b);
            out[i++] = b;
        }
        options->addWidget(g, row, column, 1, span);
    };
    frame("fraSuiro", "水路", "optSuiro", {"長水", "短水"}, optSuiro.data(), 0, 0, 1);
    frame("fraKubun", "学年", "optKubun", {"一般", "ﾏｽﾀｰ", "身障"}, optKubun.data(), 0, 1, 1);
    frame("fraBotai", "母体", "optBotai", {"団体", "県", "地方", "日本"}, optBotai.data(), 1, 0, 2);
    band->addLayout(options);
    cmdYobi = new QPushButton("予 >> 備", this);
    cmdYobi->setObjectName("cmdYobi");
    band->addWidget(cmdYobi, 0, Qt::AlignBottom);
    band->addStretch();
    main->addLayout(band);
}

void ZepiHeaderPanel::showHeader(const tolv::EntryEditRules& rules, const tolv::EntryHeader& h)
{
    using B = tolv::EntryBox;
    const std::pair<QLineEdit*, B> boxes[] = {{txtZigyo, B::Zigyo}, {txtBasho, B::Basho}, {txtStBi, B::StBi},
                                              {txtEnBi, B::EnBi},   {txtTcod, B::Tcod},   {txtKijunBi, B::KijunBi}};
    for (const auto& [box, kind] : boxes) box->setText(QString::fromStdString(rules.shown(kind)));
    check(optSuiro, h.course());
    check(optKubun, h.kubun());
    check(optBotai, h.botai());
}

} // namespace tolv::gui
