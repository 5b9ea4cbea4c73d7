// tolv backups ENTRY / tolv undo ENTRY: the automatic backups of bulk changes and their undo.
#include "cli/Commands.h"
#include "platform/Error.h"
#include "platform/FileLock.h"
#include "platform/HostSystem.h"
#include "storage/Backups.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace tolv::cli {
namespace {

namespace fs = std::filesystem;

// Asks on the terminal; without one there is nobody to answer, so the answer is no.
bool confirmOnTerminal(Context& ctx, const std::string& question)
{
    if (!standardInputIsTerminal()) return false;
    ctx.err << question << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    return answer == "y" || answer == "Y" || answer == "yes" || answer == "はい";
}

} // namespace

int cmdBackups(Context& ctx)
{
    const fs::path entry(ctx.args.need(0, "ENTRY"));
    const std::vector<BackupInfo> all = listBackups(entry);
    if (all.empty()) ctx.err << "バックアップはありません: " << entry.string() << "\n";
    // STEP, when, the step in the menu's words, the backup file.
    for (std::size_t i = 0; i < all.size(); ++i)
        ctx.out << i + 1 << "\t" << all[i].stamp << "\t" << all[i].caption() << "\t" << all[i].file.string() << "\n";
    return 0;
}

int cmdUndo(Context& ctx)
{
    const fs::path entry(ctx.args.need(0, "ENTRY"));
    std::size_t step = 0;
    if (ctx.args.positional.size() > 1) {
        const std::string& text = ctx.args.positional[1];
        if (text.empty() || text.size() > 4 || text.find_first_not_of("0123456789") != std::string::npos || std::stoi(text) < 1)
            throw UsageError("STEP は tolv backups の番号（1 以上）です: " + text);
        step = static_cast<std::size_t>(std::stoi(text)) - 1;
    }
    enforce(!fs::is_directory(entry), "申込ファイルではなくフォルダです: " + entry.string());
    // The entry file's writer lock for the whole restore: no other program works on the file meanwhile.
    FileLock lock(entry, FileLock::Kind::Exclusive);
    // Refused with the reason when the backup cannot be restored.
    const UndoCheck check = checkUndo(entry, step);
    const std::string what = check.step.stamp + " の「" + check.step.caption() + "」";
    const bool terminal = standardInputIsTerminal();
    if (check.changedSince && !ctx.args.flag("--force")) {
        if (!terminal)
            throw TolvError("申込ファイルは最後の一括処理の後に変更されています（元に戻すには --force を付けてください）: " +
                            entry.string());
        if (!confirmOnTerminal(ctx, changedSinceQuestion(entry))) {
            ctx.err << "元に戻しませんでした。\n";
            return 1;
        }
    }
    if (!ctx.args.flag("--yes")) {
        if (!terminal) throw TolvError("元に戻すには確認が要ります（端末で答えるか --yes を付けてください）: " + entry.string());
        if (!confirmOnTerminal(ctx, entry.string() + " を " + what + "の前の状態に戻します。よろしいですか？")) {
            ctx.err << "元に戻しませんでした。\n";
            return 1;
        }
    }
    restoreBackup(entry, check);
    ctx.out << "元に戻しました: " << what << "の前の状態（戻す前の状態は「元に戻す」のバックアップに残りました）\n";
    return 0;
}

} // namespace tolv::cli
