#pragma once
// What the entry-window tests share: control files pointing at a test's folders, and opening the
// window as the start-up window does.
#include "gui/FrmZepi.h"
#include "platform/Paths.h"
#include "storage/ControlFiles.h"

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
