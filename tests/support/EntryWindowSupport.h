#pragma once
// What the entry-window tests share: control files pointing at a test's folders, and opening the
// window as the start-up window does.
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/GuiTestSupport.h"
#include "support/MasterFixture.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tolvtest {

// Writes dr_zep.ctl (entry folder, file TEST.zep), dr_tor.ctl and dr_ten.ctl into the working tree.
inline void pointControlFilesAt(const std::filesystem::path& entry, const std::filesystem::path& registration,
                                const std::filesystem::path& transfer)
{
    tolv::ensureWorkTree();
#ifdef _WIN32
    // Windows: drive paths of the control files are mapped into the test's working tree, so the
    // folders are named in their stored form, on the drive that form gives.
    const std::string zep = tolv::toStoredPath(entry, true), tor = tolv::toStoredPath(registration, true);
    tolv::writeZepControl(tolv::ctlDir(), tolv::ZepControl{zep.substr(0, 2), zep, 0, "TEST.zep"});
    tolv::writeTorControl(tolv::ctlDir(), tolv::TorControl{tor.substr(0, 2), tor});
    tolv::writeTenControl(tolv::ctlDir(), tolv::TenControl{tolv::toStoredPath(transfer, true)});
#else
    tolv::writeZepControl(tolv::ctlDir(), tolv::ZepControl{"/", entry.string() + "/", 0, "TEST.zep"});
    tolv::writeTorControl(tolv::ctlDir(), tolv::TorControl{"/", registration.string() + "/"});
    tolv::writeTenControl(tolv::ctlDir(), tolv::TenControl{transfer.string() + "/"});
#endif
}

// Opens the entry window on the control files and waits until it is shown.
inline tolv::gui::FrmZepi* openEntryWindow(tolv::gui::AppContext& ctx, bool activate = false)
{
    auto* w = new tolv::gui::FrmZepi(ctx);
    w->show();
    if (activate) w->activateWindow();
    if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
    return w;
}

// One swimmer of a test's entry file, as the window tests need them.
struct FixtureSwimmer {
    std::string qbango;
    std::string sei = "1";
    std::string namae{};
    std::int32_t time1 = 0; // entry time of slot 1, 0 for none
};

// What every window test sets up and tears down: a fresh working tree, a recording context, the
// clock fixed at 2008-10-01 09:00 and the control files pointing at <tree>/entry (TEST.zep),
// <tree>/registration and <tree>/transfer. Held by the test class and called from its init() and
// cleanup() slots.
class WindowFixture {
public:
    // Only the working tree and the context: no control files, the real clock.
    void setUpBare()
    {
        tree_ = std::make_unique<TempTree>();
        ctx_ = std::make_unique<TestContext>();
    }
    void setUp()
    {
        setUpBare();
        tolv::setFixedNow({2008, 10, 1, 9, 0, 0});
        for (const char* d : {"entry", "transfer"}) std::filesystem::create_directories(tree_->dir() / d);
        pointControlFilesAt(entryDir(), registration(), transfer());
    }
    // The fixture registration master and ken.ctl as well.
    void setUpWithMaster()
    {
        setUp();
        writeFixtureMaster(registration());
        writeFixturePrefectures(tolv::ctlDir() / "ken.ctl");
    }
    void tearDown()
    {
        deleteWindows();
        ctx_.reset();
        tree_.reset();
        tolv::resetClock();
    }

    // Writes TEST.zep with the given swimmers (numbered 1 …) and reference date.
    void writeEntryFile(const std::vector<FixtureSwimmer>& swimmers, const std::string& kijunBi = "2008/10/16")
    {
        tolv::EntryStore store;
        store.openEntryFile(file());
        store.header().setKijunBi(kijunBi);
        int n = 0;
        for (const FixtureSwimmer& w : swimmers) {
            ++n;
            store.swimmer() = tolv::EntryStore::emptySwimmer();
            store.swimmer().setSeq(n);
            store.swimmer().setQBango(w.qbango);
            store.swimmer().setSei(w.sei);
            store.swimmer().setNamae(w.namae);
            if (w.time1) store.swimmer().setKiro(1, w.time1);
            store.header().setTotal(n);
            store.writeSwimmer(n);
        }
        if (swimmers.empty()) store.saveHeader();
    }

    tolv::gui::FrmZepi* openEntryWindow(bool activate = false) { return tolvtest::openEntryWindow(ctx(), activate); }

    const std::filesystem::path& dir() const { return tree_->dir(); }
    std::filesystem::path entryDir() const { return dir() / "entry"; }
    std::filesystem::path file() const { return entryDir() / "TEST.zep"; }
    std::filesystem::path registration() const { return dir() / "registration"; }
    std::filesystem::path transfer() const { return dir() / "transfer"; }
    tolv::gui::AppContext& ctx() { return ctx_->ctx; }
    RecordingPrompt& prompt() { return ctx_->prompt; }
    const RecordingPrompt& prompt() const { return ctx_->prompt; }
    TestContext& context() { return *ctx_; }

private:
    std::unique_ptr<TempTree> tree_;
    std::unique_ptr<TestContext> ctx_;
};

} // namespace tolvtest
