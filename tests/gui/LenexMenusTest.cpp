// The entry window's Lenex items: new last items of "転入" and "転出", export into the chosen file
// (the city asked once per entry file) and import of it into the open entry file (the header
// replaced only when the user agrees; folded names listed in the closing message).
#include "gui/FrmZepi.h"
#include "exchange/LenexWriter.h"
#include "gui/LenexMenus.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;

namespace fs = std::filesystem;

class LenexMenusTest : public QObject {
    Q_OBJECT

    tolvtest::WindowFixture fx_;
    fs::path file_, transfer_;
    QString chosen_;
    bool askedToSave_ = false;
    QString startFolder_;
    QString city_;
    int cityAsked_ = 0;

private slots:
    void init()
    {
        fx_.setUp();
        transfer_ = fx_.transfer();
        file_ = fx_.file();
        EntryStore store;
        store.openEntryFile(file_);
        std::vector<SwimmerRecord> swimmers;
        for (int n = 1; n <= 3; ++n) {
            SwimmerRecord s = EntryStore::emptySwimmer();
            s.setSeq(n);
            s.setQBango(n == 3 ? "13002199804015" : "13001200105011");
            s.setSei(n == 3 ? "2" : "1");
            s.setNamae("選手　" + std::to_string(n));
            s.setKiro(1, 3000 + n);
            swimmers.push_back(s);
        }
        store.appendSwimmers(swimmers, "test");
        gui::lenexFileChooser() = [this](QWidget*, bool forSaving, const QString& folder, const QString&) {
            askedToSave_ = forSaving;
            startFolder_ = folder;
            return chosen_;
        };
        cityAsked_ = 0;
        city_ = "横浜市";
        gui::lenexCityAsker() = [this](QWidget*) {
            ++cityAsked_;
            return city_;
        };
    }

    void cleanup() { fx_.tearDown(); }

    void lenexIsTheNewLastItemOfBothMenus()
    {
        FrmZepi w(fx_.ctx());
        for (auto [menu, before, item, caption] : {std::tuple{"mIn", "mInLenex", "mInLenexMeet", "Lenex大会"},
                                                   std::tuple{"mOut", "mOutSeiko", "mOutLenex", "Lenex"}}) {
            const QList<QAction*> actions = w.findChild<QMenu*>(menu)->actions();
            QVERIFY(actions.size() >= 2);
            QCOMPARE(actions.last()->objectName(), QString(item));
            QCOMPARE(actions.last()->text(), QString(caption));
            QVERIFY(actions.last()->isEnabled());
            QCOMPARE(actions[actions.size() - 2]->objectName(), QString(before));
        }
    }

    void exportsToTheChosenFileAndImportsItBack()
    {
        FrmZepi w(fx_.ctx());
        w.show();
        chosen_ = QString::fromStdString((transfer_ / "TEST.lxf").string());
        // Without a city the export is cancelled; the city given is kept and not asked again.
        city_.clear();
        w.menuAction("mOutLenex")->trigger();
        QCOMPARE(cityAsked_, 1);
        QVERIFY(!fs::exists(transfer_ / "TEST.lxf"));
        city_ = "横浜市";
        w.menuAction("mOutLenex")->trigger();
        w.menuAction("mOutLenex")->trigger();
        QCOMPARE(cityAsked_, 2);
        QVERIFY(askedToSave_);
        QVERIFY(fs::equivalent(fs::path(startFolder_.toStdString()), transfer_));
        QVERIFY2(fx_.prompt().last().find("書き出しました") != std::string::npos, fx_.prompt().last().c_str());
        QCOMPARE(tolvtest::readBytes(transfer_ / "TEST.lxf").substr(0, 2), std::string("PK"));
        QCOMPARE(tolv::lenex::rememberedCity(file_), std::string("横浜市"));

        // The file has swimmers: the meet replaces the header only when the user agrees.
        const std::string zigyo = w.store().header().zigyo();
        w.store().header().setZigyo("県大会");
        w.store().saveHeader();
        fx_.prompt().answers = {false};
        w.menuAction("mInLenex")->trigger();
        QVERIFY(!askedToSave_);
        QCOMPARE(fx_.prompt().asked.size(), std::size_t(1));
        QVERIFY2(fx_.prompt().asked[0].find("Lenexファイルの大会の情報でヘッダーを置き換えますか") != std::string::npos,
                 fx_.prompt().asked[0].c_str());
        QVERIFY2(fx_.prompt().last().find("3 人を追加しました") != std::string::npos, fx_.prompt().last().c_str());
        QCOMPARE(w.store().header().total(), 6);
        QCOMPARE(tolvtest::readEntry(file_).header.zigyo(), std::string("県大会  "));
        // The same file again: asked first.
        fx_.prompt().answers = {true, true};
        w.menuAction("mInLenex")->trigger();
        QVERIFY2(fx_.prompt().asked[1].find("取り込み済みです") != std::string::npos, fx_.prompt().asked[1].c_str());
        QCOMPARE(tolvtest::readEntry(file_).header.zigyo(), zigyo);
        QCOMPARE(w.findChild<QLineEdit*>("txtZigyo")->text().trimmed(), QString::fromStdString(zigyo).trimmed());
        QCOMPARE(w.store().header().total(), 9);
        const auto after = tolvtest::readEntry(file_);
        QCOMPARE(after.swimmerAt(6).Namae(), after.swimmerAt(3).Namae());
        QCOMPARE(after.swimmerAt(6).kiro(1), 3003);

        // Cancelling the dialog does nothing.
        fx_.prompt().clear();
        chosen_.clear();
        w.menuAction("mInLenex")->trigger();
        QVERIFY(fx_.prompt().said.empty());
        QCOMPARE(w.store().header().total(), 9);
    }

    void listsWhatWasFoldedInTheClosingMessage()
    {
        FrmZepi w(fx_.ctx());
        w.show();
        const fs::path file = transfer_ / "abroad.lef";
        tolvtest::writeBytes(file, R"(<?xml version="1.0" encoding="UTF-8"?>
<LENEX version="3.0"><CONSTRUCTOR name="x" registration="x" version="1"><CONTACT email="a@b.c" /></CONSTRUCTOR>
<MEETS><MEET name="Meet" city="Graz" nation="AUT" course="SCM"><SESSIONS><SESSION number="1" date="2024-03-02"><EVENTS>
<EVENT eventid="1" number="1"><SWIMSTYLE distance="50" relaycount="1" stroke="FREE" /></EVENT></EVENTS></SESSION></SESSIONS>
<CLUBS><CLUB name="ASV Graz" code="GRAZ"><ATHLETES>
<ATHLETE athleteid="1" lastname="Kärntner" firstname="Jörg" gender="M" birthdate="2010-01-01">
<ENTRIES><ENTRY eventid="1" entrytime="00:00:30.00" /></ENTRIES></ATHLETE>
</ATHLETES></CLUB></CLUBS></MEET></MEETS></LENEX>)");
        chosen_ = QString::fromStdString(file.string());
        fx_.prompt().answers = {false};
        w.menuAction("mInLenex")->trigger();
        const std::string said = fx_.prompt().last();
        QVERIFY2(said.find("文字を基本の文字に置き換えた選手（氏名・所属） 1 件:\n  Kärntner Jörg（ASV Graz）") !=
                     std::string::npos,
                 said.c_str());
        QVERIFY2(said.find("ASV Graz (GRAZ) → L0001") != std::string::npos, said.c_str());
        const auto after = tolvtest::readEntry(file_);
        QCOMPARE(after.swimmerAt(4).Namae(), std::string("Karntner　Jorg  "));
        QCOMPARE(after.swimmerAt(4).kiro(1), 3000);

        // The same file as the organiser's meet: the export enters against its event.
        fx_.prompt().answers = {false};
        w.menuAction("mInLenexMeet")->trigger();
        QVERIFY2(fx_.prompt().last().find("主催者の大会を取り込みました: Meet") != std::string::npos,
                 fx_.prompt().last().c_str());
        QVERIFY(tolvtest::readBytes(fs::path(file_.string() + ".lenex")).find("meet\t4\tEVENT\teventid=1") != std::string::npos);
        chosen_ = QString::fromStdString((transfer_ / "OUT.lef").string());
        w.menuAction("mOutLenex")->trigger();
        QVERIFY2(fx_.prompt().last().find("取り込んだ主催者の大会の種目にエントリーしました") != std::string::npos,
                 fx_.prompt().last().c_str());
        QVERIFY(tolvtest::readBytes(transfer_ / "OUT.lef").find("<MEET name=\"Meet\" city=\"Graz\"") != std::string::npos);
    }
};

QTEST_MAIN(LenexMenusTest)
#include "LenexMenusTest.moc"
