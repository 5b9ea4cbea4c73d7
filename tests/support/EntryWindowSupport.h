#pragma once
// What the entry-window tests share: control files pointing at a test's folders, and opening the
// window as the start-up window does.
#include "gui/FrmZepi.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"
#include "support/MasterFixture.h"

#include <QtTest>

#include <filesystem>

namespace tolvtest {

// Writes dr_zep.ctl (entry folder, file TEST.zep), dr_tor.ctl and dr_ten.ctl into the working tree.
inline void pointControlFilesAt(const std::filesystem::path& entry, const std::filesystem::path& registration,
                                const std::filesystem::path& transfer)
{
    tolv::ensureWorkTree();
    tolv::writeZepControl(tolv::ctlDir(), tolv::ZepControl{"/", entry.string() + "/", 0, "TEST.zep"});
    tolv::writeTorControl(tolv::ctlDir(), tolv::TorControl{"/", registration.string() + "/"});
    tolv::writeTenControl(tolv::ctlDir(), tolv::TenControl{transfer.string() + "/"});
}

// The folders of an entry-window test under `dir`: entry/ (TEST.zep, not yet made), the fixture
// registration master in registration/, ken.ctl, and the control files pointing at them; the clock
// fixed at 2008-10-01 09:00. Returns the entry folder.
inline std::filesystem::path prepareEntryTree(const std::filesystem::path& dir)
{
    tolv::setFixedNow({2008, 10, 1, 9, 0, 0});
    const std::filesystem::path entry = dir / "entry", root = dir / "registration";
    std::filesystem::create_directories(entry);
    tolv::ensureWorkTree();
    writeFixtureMaster(root);
    writeFixturePrefectures(tolv::ctlDir() / "ken.ctl");
    pointControlFilesAt(entry, root, dir / "transfer");
    return entry;
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

} // namespace tolvtest
