#include "storage/EntryStore.h"

#include "platform/Clock.h"
#include "platform/Error.h"

#include <algorithm>

namespace tolv {

void EntryStore::openEntryFile(const std::filesystem::path& folder, const std::string& fileName)
{
    openEntryFile(folder / fileName);
}

void EntryStore::openEntryFile(const std::filesystem::path& path)
{
    file_.close();
    RecordFile f(path, kEntryRecordLength, RecordFile::Mode::ReadWrite);
    file_ = std::move(f);
    try {
        loadHeader();
    } catch (...) {
        file_.close();
        throw;
    }
}

void EntryStore::reopen()
{
    std::filesystem::path p = file_.path();
    openEntryFile(p);
}

std::string EntryStore::baseName(const std::string& fileName)
{
    return fileName.substr(0, fileName.find('.'));
}

void EntryStore::loadHeader()
{
    enforce(file_.isOpen(), "申込ファイルが開かれていません");
    long long size = file_.byteSize();
    if (size <= 10) {
        header_.clear();
        reserve_.clear();
        header_.setTotal(0);
        header_.setCourse(1);
        std::string today = todayText();
        header_.setKijunBi(today);
        header_.setStBi(today);
        header_.setEnBi(today);
        std::string name = file_.path().filename().string();
        // The competition name field is 8 bytes; a name that cannot be encoded stays empty.
        try {
            header_.setZigyo(baseName(name));
        } catch (const TolvError&) {
            header_.setZigyo("");
        }
        header_.setBasho("");
        header_.setTcod("");
        header_.setKubun(0);
        header_.setBotai(0);
        for (int i = 0; i < kReserveEvents; ++i) {
            reserve_.setYobiKubun(i, "");
            reserve_.setYobiName(i, "");
            reserve_.setYobiRelay(i, "");
        }
        saveHeader();
        return;
    }
    EntryHeader h;
    ReserveEvents r;
    file_.read(1, h.bytes().data());
    file_.read(2, r.bytes().data());
    // Distrust the count: it must fit the records the file actually holds.
    long long present = std::max(0LL, file_.recordCount() - 10);
    if (h.total() < 0 || h.total() > present) {
        throw TolvError("申込ファイルではないか、壊れています（総数 " + std::to_string(h.total()) +
                        "、ファイル内の選手レコード " + std::to_string(present) + "）: " +
                        file_.path().string());
    }
    header_ = h;
    reserve_ = r;
}

void EntryStore::saveHeader()
{
    file_.write(1, header_.bytes().data());
    file_.write(2, reserve_.bytes().data());
}

SwimmerRecord EntryStore::emptySwimmer()
{
    // Emptied text fields are written padded with blanks, like any short value; only the
    // reserved tail stays NUL.
    SwimmerRecord s;
    s.setBango("");
    s.setQBango("");
    s.setNamae("");
    s.setKana("");
    s.setKen("");
    s.setKenKana("");
    s.setShozoku("");
    s.setShozokuKana("");
    s.setGakunen("");
    s.setSei("");
    s.setShuFuku("");
    s.setShubetu("000000");
    for (int i = 0; i < kEventSlots; ++i) {
        s.setMarkA(i, "");
        s.setMarkB(i, "");
    }
    s.setCard("");
    s.setDaishi("");
    return s;
}

void EntryStore::readSwimmer(int n)
{
    if (n < 1) {
        swimmer_ = emptySwimmer();
        return;
    }
    file_.read(n + 10, swimmer_.bytes().data());
}

SwimmerRecord EntryStore::swimmerAt(int n) const
{
    SwimmerRecord s;
    if (n >= 1) file_.read(n + 10, s.bytes().data());
    return s;
}

void EntryStore::writeSwimmer(int n)
{
    enforce(n >= 1, "選手番号が不正です: " + std::to_string(n));
    file_.write(n + 10, swimmer_.bytes().data());
    saveHeader();
}

} // namespace tolv
