// The entry window's Lenex items: new last items of "転入" and "転出", export into the chosen file
// and import of it into the open entry file.
#include "gui/FrmZepi.h"
#include "gui/LenexMenus.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/EntrySnapshot.h"
#include "support/EntryWindowSupport.h"
#include "support/GuiTestSupport.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QMenu>
#include <QtTest>

#include <memory>

using namespace tolv;
using tolv::gui::FrmZepi;

namespace fs = std::filesystem;

class LenexMenusTest : public QObject {
    Q_OBJECT

    std::unique_ptr<tolvtest::TempTree> tree_;
    std::unique_ptr<tolvtest::TestContext> t_;
    fs::path file_, transfer_;
    QString chosen_;
    bool askedToSave_ = false;
    QString startFolder_;

private slots:
    void init()
    {
        tree_ = std::make_unique<tolvtest::TempTree>();
        setFixedNow({2008, 10, 1, 9, 0, 0});
        t_ = std::make_unique<tolvtest::TestContext>();
        fs::path entry = tree_->dir() / "entry";
        transfer_ = tree_->dir() / "transfer";
        fs::create_directories(entry);
        fs::create_directories(transfer_);
        file_ = entry / "TEST.zep";
        tolvtest::pointControlFilesAt(entry, tree_->dir() / "registration", transfer_);
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
    }

    void cleanup()
    {
        tolvtest::deleteWindows();
        t_.reset();
        tree_.reset();
    }

    void lenexIsTheNewLastItemOfBothMenus()
    {
        FrmZepi w(t_->ctx);
        for (auto [menu, before, item] : {std::tuple{"mIn", "mInResults2", "mInLenex"},
                                          std::tuple{"mOut", "mOutSeiko", "mOutLenex"}}) {
            const QList<QAction*> actions = w.findChild<QMenu*>(menu)->actions();
            QVERIFY(actions.size() >= 2);
            QCOMPARE(actions.last()->objectName(), QString(item));
            QCOMPARE(actions.last()->text(), QString("Lenex"));
            QVERIFY(actions.last()->isEnabled());
            QCOMPARE(actions[actions.size() - 2]->objectName(), QString(before));
        }
    }

    void exportsToTheChosenFileAndImportsItBack()
    {
        FrmZepi w(t_->ctx);
        w.show();
        chosen_ = QString::fromStdString((transfer_ / "TEST.lxf").string());
        w.menuAction("mOutLenex")->trigger();
        QVERIFY(askedToSave_);
        QVERIFY(fs::equivalent(fs::path(startFolder_.toStdString()), transfer_));
        QVERIFY2(t_->prompt.last().find("書き出しました") != std::string::npos, t_->prompt.last().c_str());
        QCOMPARE(tolvtest::readBytes(transfer_ / "TEST.lxf").substr(0, 2), std::string("PK"));

        w.menuAction("mInLenex")->trigger();
        QVERIFY(!askedToSave_);
        QVERIFY2(t_->prompt.last().find("3 人を追加しました") != std::string::npos, t_->prompt.last().c_str());
        QCOMPARE(w.store().header().total(), 6);
        const auto after = tolvtest::readEntry(file_);
        QCOMPARE(after.swimmerAt(6).Namae(), after.swimmerAt(3).Namae());
        QCOMPARE(after.swimmerAt(6).kiro(1), 3003);

        // Cancelling the dialog does nothing.
        t_->prompt.clear();
        chosen_.clear();
        w.menuAction("mInLenex")->trigger();
        QVERIFY(t_->prompt.said.empty());
        QCOMPARE(w.store().header().total(), 6);
    }
};

QTEST_MAIN(LenexMenusTest)
#include "LenexMenusTest.moc"
