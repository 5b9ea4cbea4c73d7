#pragma once
// The entry window's "Work" → "元に戻す" (mWk2): offers the steps that can be undone (dialog
// frmUndo: list lstUndo, buttons cmdUndoOk / cmdUndoCancel), each named by the menu caption of the
// command that made its backup and its time. The chosen step is checked (a backup that does not
// verify or does not belong to the file is refused with the reason), a file changed since that
// step asks first; then, after a question, it is put back under the lock the window holds, the
// restored file is shown and the status bar says what was restored.
namespace tolv::gui {

class FrmZepi;

void wireSafetyMenus(FrmZepi& window);

} // namespace tolv::gui
