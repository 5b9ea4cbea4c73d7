#include "storage/TeamTotalsFile.h"

#include "platform/Error.h"

#include <algorithm>

namespace tolv {

ZedControlRecord ZedControlRecord::fresh()
{
    ZedControlRecord c;
    c.setTeamCount(0);
    for (int k = 0; k < kFeeItems; ++k) {
        c.setFeeName(k, "");
        c.setPrice(k, 0);
    }
    for (int i = 0; i < kZedCounters; ++i) c.setCounter(i, 0);
    return c;
}

TeamTotalRecord TeamTotalRecord::cleared()
{
    TeamTotalRecord t;
    for (const Field& f :
         {kKey, kName, kShortName, kScoreboard, kRepresentative, kPostal, kAddress1, kAddress2, kPhone, kMonthFlag})
        t.setTextBytes(f, "");
    return t; // numbers, reserved pairs and the unused tail are already 0
}

std::filesystem::path teamTotalsPath(const std::filesystem::path& entryFile)
{
    std::string name = entryFile.filename().string();
    return entryFile.parent_path() / (name.substr(0, name.find('.')) + ".zed");
}

void TeamTotalsFile::open(const std::filesystem::path& path, Access access)
{
    close();
    if (access == Access::Read)
        enforce(std::filesystem::is_regular_file(path), "申込団体ファイルがありません。先に集計してください: " + path.string());
    FileLock lock(path, access == Access::Write ? FileLock::Kind::Exclusive : FileLock::Kind::Shared);
    file_ = CountedRecordFile(path, kZedRecordLength,
                              access == Access::Write ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly);
    lock_ = std::move(lock);
    access_ = access;
    team_ = TeamTotalRecord::cleared();
    if (file_.byteSize() < 11) {
        if (access == Access::Read) {
            close();
            throw TolvError("申込団体ファイルが空です。先に集計してください: " + path.string());
        }
        control_ = ZedControlRecord::fresh();
        writeControl();
        return;
    }
    ZedControlRecord c;
    file_.read(1, c.bytes().data());
    const CountedRecordFile::Count count = file_.check(c.teamCount());
    if (!count.fits()) {
        close();
        throw TolvError("申込団体ファイルが壊れています（団体数 " + std::to_string(c.teamCount()) +
                        "、ファイル内の団体レコード " + std::to_string(count.present) + "）: " + path.string());
    }
    control_ = c;
}

void TeamTotalsFile::close()
{
    file_.close();
    lock_.release();
}

void TeamTotalsFile::readTeam(int n)
{
    if (n == 0) {
        clearTeam();
        return;
    }
    enforce(file_.isOpen(), "申込団体ファイルが開かれていません");
    file_.read(1, control_.bytes().data());
    file_.readData(n, team_.bytes().data());
}

TeamTotalRecord TeamTotalsFile::teamAt(int n) const
{
    TeamTotalRecord t;
    if (n >= 1) file_.readData(n, t.bytes().data());
    return t;
}

void TeamTotalsFile::writeTeam(int n)
{
    enforce(n >= 1 && n <= 32767, "団体番号が不正です: " + std::to_string(n));
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    file_.writeData(n, team_.bytes().data());
    writeControl();
}

void TeamTotalsFile::writeControl()
{
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    file_.write(1, control_.bytes().data());
}

} // namespace tolv
