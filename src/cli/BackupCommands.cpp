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
    for (const BackupInfo& b : all) ctx.out << b.stamp << "\t" << b.command << "\t" << b.file.string() << "\n";
    return 0;
}

int cmdUndo(Context& ctx)
{
    const fs::path entry(ctx.args.need(0, "ENTRY"));
    enforce(!fs::is_directory(entry), "申込ファイルではなくフォルダです: " + entry.string());
    // The entry file's writer lock for the whole restore: no other program works on the file meanwhile.
    FileLock lock(entry, FileLock::Kind::Exclusive);
    const std::vector<BackupInfo> all = listBackups(entry);
    enforce(!all.empty(), "元に戻せるバックアップがありません: " + entry.string());
    const BackupInfo& latest = all.front();
    const std::string what = latest.stamp + " " + latest.command;
    if (!ctx.args.flag("--yes")) {
        if (!standardInputIsTerminal())
            throw TolvError("元に戻すには確認が要ります（端末で答えるか --yes を付けてください）: " + entry.string());
        if (!confirmOnTerminal(ctx, entry.string() + " を " + what + " の前の状態に戻します。よろしいですか？")) {
            ctx.err << "元に戻しませんでした。\n";
            return 1;
        }
    }
    restoreLatestBackup(entry);
    ctx.out << "元に戻しました: " << what << "\n";
    return 0;
}

} // namespace tolv::cli
