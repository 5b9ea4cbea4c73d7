#include "storage/EntryStore.h"

#include "platform/HostSystem.h"

#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/ContentDigest.h"
#include "platform/Error.h"
#include "storage/Backups.h"
#include "storage/Codes.h"

#include <algorithm>
#include <type_traits>

namespace tolv {

void EntryStore::openEntryFile(const std::filesystem::path& folder, const std::string& fileName)
{
    openEntryFile(folder / fileName);
}

void EntryStore::openEntryFile(const std::filesystem::path& path, Access access)
{
    close();
    if (access == Access::Read) enforce(std::filesystem::is_regular_file(path), "申込ファイルがありません: " + path.string());
    FileLock lock(path, access == Access::Write ? FileLock::Kind::Exclusive : FileLock::Kind::Shared);
    CountedRecordFile f(path, kEntryRecordLength,
                        access == Access::Write ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly);
    file_ = std::move(f);
    lock_ = std::move(lock);
    access_ = access;
    try {
        loadHeader();
    } catch (...) {
        close();
        throw;
    }
}

void EntryStore::close()
{
    file_.close();
    lock_.release();
}

void EntryStore::reopen()
{
    const std::filesystem::path p = file_.path();
    enforce(!p.empty(), "申込ファイルが開かれていません");
    // A store closed in between (its lock let go) opens again from the start.
    if (!file_.isOpen()) {
        openEntryFile(p, access_);
        return;
    }
    file_.close();
    file_ = CountedRecordFile(p, kEntryRecordLength,
                              access_ == Access::Write ? RecordFile::Mode::ReadWrite : RecordFile::Mode::ReadOnly);
    try {
        loadHeader();
    } catch (...) {
        close();
        throw;
    }
}

// Windows replaces no file that is open, even by the program that holds it: the store lets go of
// its file (never of its lock) while `put` puts another in its place, and opens it again after,
// whether that worked or not.
BackupInfo EntryStore::withFileLetGo(const std::function<BackupInfo(const std::filesystem::path&)>& put)
{
    const std::filesystem::path p = file_.path();
    file_.close();
    BackupInfo done;
    try {
        done = put(p);
    } catch (...) {
        file_ = CountedRecordFile(p, kEntryRecordLength, RecordFile::Mode::ReadWrite);
        throw;
    }
    file_ = CountedRecordFile(p, kEntryRecordLength, RecordFile::Mode::ReadWrite);
    reopen();
    return done;
}

BackupInfo EntryStore::undoLastChange(std::size_t step)
{
    enforce(file_.isOpen(), "申込ファイルが開かれていません");
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    return withFileLetGo([&](const std::filesystem::path& p) { return restoreBackup(p, step); });
}

BackupInfo EntryStore::undoLastChange(const UndoCheck& checked)
{
    enforce(file_.isOpen(), "申込ファイルが開かれていません");
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    return withFileLetGo([&](const std::filesystem::path& p) { return restoreBackup(p, checked); });
}

std::string EntryStore::baseName(const std::string& fileName) { return fileName.substr(0, fileName.find('.')); }

void EntryStore::loadHeader()
{
    enforce(file_.isOpen(), "申込ファイルが開かれていません");
    long long size = file_.byteSize();
    if (size <= 10) {
        State fresh = stored_;
        fresh.header.clear();
        fresh.reserve.clear();
        fresh.header.setCourse(1);
        if (access_ == Access::Read) {
            // Shown as an empty file; only a writer initialises it.
            adoptHeader(fresh.header, fresh.reserve);
            return;
        }
        EntryHeader& h = fresh.header;
        h.setTotal(0);
        std::string today = todayText();
        h.setKijunBi(today);
        h.setStBi(today);
        h.setEnBi(today);
        std::string name = file_.path().filename().string();
        // The competition name field is 8 bytes; a name that cannot be encoded stays empty.
        try {
            h.setZigyo(baseName(name));
        } catch (const TolvError&) {
            h.setZigyo("");
        }
        h.setBasho("");
        h.setTcod("");
        h.setKubun(0);
        h.setBotai(0);
        for (int i = 0; i < kReserveEvents; ++i) {
            fresh.reserve.setYobiKubun(i, "");
            fresh.reserve.setYobiName(i, "");
            fresh.reserve.setYobiRelay(i, "");
        }
        writeHeader(fresh.header, fresh.reserve);
        return;
    }
    State read = stored_;
    file_.read(1, read.header.bytes().data());
    file_.read(2, read.reserve.bytes().data());
    // Distrust the count: it must fit the records the file actually holds.
    const CountedRecordFile::Count count = file_.check(read.header.total());
    if (!count.fits() || read.header.total() > kMaxSwimmers) {
        throw TolvError("申込ファイルではないか、壊れています（総数 " + std::to_string(read.header.total()) +
                            "、ファイル内の選手レコード " + std::to_string(count.present) + "）: " + file_.path().string(),
                        ErrorKind::Damaged);
    }
    adoptHeader(read.header, read.reserve);
}

void EntryStore::adoptHeader(const EntryHeader& header, const ReserveEvents& reserve)
{
    stored_.header = draft_.header = header;
    stored_.reserve = draft_.reserve = reserve;
}

void EntryStore::dropHeaderDraft()
{
    draft_.header = stored_.header;
    draft_.reserve = stored_.reserve;
}

void EntryStore::discardDraft() { draft_ = stored_; }

void EntryStore::settleReserveRows()
{
    for (State* s : {&stored_, &draft_})
        for (int i = 0; i < kReserveEvents; ++i) {
            const std::string flag = s->reserve.yobiRelay(i);
            if (flag != "0" && flag != "1") {
                s->reserve.setYobiRelay(i, "0");
                s->reserve.setYobiKubun(i, "");
            }
        }
}

void EntryStore::saveHeader()
{
    // Copies: a failed write puts the draft back, which must not pull the change from under it.
    const EntryHeader h = draft_.header;
    const ReserveEvents r = draft_.reserve;
    try {
        writeHeader(h, r);
    } catch (...) {
        dropHeaderDraft();
        throw;
    }
}

void EntryStore::writeHeader(const EntryHeader& header, const ReserveEvents& reserve)
{
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    file_.write(1, header.bytes().data());
    file_.write(2, reserve.bytes().data());
    adoptHeader(header, reserve);
}

void EntryStore::copyReserveEventsFrom(const std::filesystem::path& source)
{
    ReserveEvents r;
    {
        RecordFile f(source, kEntryRecordLength, RecordFile::Mode::ReadOnly);
        enforce(f.byteSize() > 10, "申込ファイルではありません: " + source.string());
        f.read(2, r.bytes().data());
    }
    const EntryHeader h = stored_.header;
    writeHeader(h, r);
}

SwimmerRecord EntryStore::emptySwimmer()
{
    // Emptied text fields are written padded with blanks, like any short value; only the
    // reserved tail stays NUL. Made once: imports start every new record from it.
    static const SwimmerRecord empty = [] {
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
    }();
    return empty;
}

void EntryStore::readIntoBuffer(SwimmerRecord& s)
{
    if (numericValue(std::string(s.raw(SwimmerRecord::kShubetu))) == 0) s.setShubetu("000000");
}

void EntryStore::readSwimmer(int n)
{
    SwimmerRecord s = emptySwimmer();
    if (n >= 1) {
        file_.readData(n, s.bytes().data());
        readIntoBuffer(s);
    }
    // A draft header waiting for its write stays; the swimmer shown is the one just read.
    stored_.swimmer = draft_.swimmer = s;
}

SwimmerRecord EntryStore::swimmerAt(int n) const
{
    SwimmerRecord s;
    if (n >= 1) file_.readData(n, s.bytes().data());
    return s;
}

void EntryStore::writeSwimmer(int n)
{
    const SwimmerRecord s = draft_.swimmer;
    const EntryHeader h = draft_.header;
    try {
        writeSwimmer(n, s, h);
    } catch (...) {
        discardDraft();
        throw;
    }
}

void EntryStore::writeSwimmer(int n, const SwimmerRecord& s, const EntryHeader& header)
{
    enforce(n >= 1, "選手番号が不正です: " + std::to_string(n));
    // A full file says so, as an append past the limit does.
    enforce(n <= kMaxSwimmers, "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです（選手 " +
                                   std::to_string(n) + " は入りません）: " + file_.path().string());
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    const ReserveEvents reserve = draft_.reserve;
    // The record first, then the count: a failure between them leaves a record past the count,
    // never a count past the records.
    file_.writeData(n, s.bytes().data());
    file_.write(1, header.bytes().data());
    file_.write(2, reserve.bytes().data());
    adoptHeader(header, reserve);
    stored_.swimmer = draft_.swimmer = s;
}

std::vector<SwimmerRecord> EntryStore::readAllSwimmers() const
{
    const int total = std::max(0, stored_.header.total());
    // The records are read straight into the vector's storage: a federation file is not held twice.
    static_assert(sizeof(SwimmerRecord) == kEntryRecordLength && std::is_trivially_copyable_v<SwimmerRecord>);
    std::vector<SwimmerRecord> all;
    if (total == 0) return all;
    // Reserved first (fresh memory, untouched), so the system can back it with huge pages before
    // it is filled.
    all.reserve(static_cast<std::size_t>(total));
    adviseWholeFill(all.data(), static_cast<std::size_t>(total) * sizeof(SwimmerRecord));
    all.resize(static_cast<std::size_t>(total));
    file_.readDataRangeInto(1, total, reinterpret_cast<char*>(all.data()));
    return all;
}

void EntryStore::commitAll(const std::vector<SwimmerRecord>& swimmers, const std::string& command)
{
    const EntryHeader h = draft_.header;
    const ReserveEvents r = draft_.reserve;
    try {
        replaceWhole({std::span<const SwimmerRecord>(swimmers)}, 1, command, h, r);
    } catch (...) {
        dropHeaderDraft();
        throw;
    }
}

void EntryStore::commitAll(const std::vector<SwimmerRecord>& swimmers, const std::string& command, const EntryHeader& header)
{
    const ReserveEvents reserve = draft_.reserve;
    replaceWhole({std::span<const SwimmerRecord>(swimmers)}, 1, command, header, reserve);
}

void EntryStore::appendSwimmers(const std::vector<SwimmerRecord>& more, const std::string& command)
{
    appendSwimmers(SwimmerParts{std::span<const SwimmerRecord>(more)}, command);
}

void EntryStore::appendSwimmers(const std::vector<SwimmerRecord>& more, const std::string& command, const EntryHeader& header,
                                const ReserveEvents& reserve)
{
    appendParts(SwimmerParts{std::span<const SwimmerRecord>(more)}, command, header, reserve);
}

void EntryStore::appendSwimmers(const SwimmerParts& parts, const std::string& command)
{
    const EntryHeader h = draft_.header;
    const ReserveEvents r = draft_.reserve;
    try {
        appendParts(parts, command, h, r);
    } catch (...) {
        dropHeaderDraft();
        throw;
    }
}

void EntryStore::appendParts(const SwimmerParts& parts, const std::string& command, const EntryHeader& header,
                             const ReserveEvents& reserve)
{
    // The count is the file's, whatever the change's header says.
    const long long total = std::max(0, stored_.header.total());
    std::size_t more = 0;
    for (const auto& p : parts) more += p.size();
    enforce(total + static_cast<long long>(more) <= kMaxSwimmers,
            "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです（現在 " + std::to_string(total) +
                " 人、追加 " + std::to_string(more) + " 人）: " + file_.path().string());
    replaceWhole(parts, total + 1, command, header, reserve);
}

void EntryStore::replaceWhole(const SwimmerParts& parts, long long firstChanged, const std::string& command,
                              const EntryHeader& header, const ReserveEvents& reserve)
{
    // A whole-file change leaves the swimmer buffer alone.
    State next = stored_;
    next.header = header;
    next.reserve = reserve;
    writeWhole(parts, firstChanged, command, next);
    adoptHeader(next.header, next.reserve);
}

void EntryStore::writeWhole(const SwimmerParts& parts, long long firstChanged, const std::string& command, State& next)
{
    enforce(file_.isOpen(), "申込ファイルが開かれていません");
    enforce(access_ == Access::Write, "読み取り専用で開かれています: " + file_.path().string());
    std::size_t count = 0;
    for (const auto& p : parts) count += p.size();
    const long long newTotal = firstChanged - 1 + static_cast<long long>(count);
    enforce(newTotal <= kMaxSwimmers,
            "申込ファイルに入る選手は " + std::to_string(kMaxSwimmers) + " 人までです: " + file_.path().string());
    const std::filesystem::path path = file_.path();
    makeBackup(path, command);

    // The old file's bytes with the header, reserve events and the changed swimmers laid over
    // them, written a megabyte at a time so a large file is never held twice: first the records
    // before the changed ones (missing bytes as zeros), then the swimmers, then whatever the old
    // file held beyond them. Without swimmers to write the file keeps its length (at least the
    // two header records).
    const long long len = static_cast<long long>(kEntryRecordLength);
    const long long oldSize = file_.byteSize();
    EntryHeader& h = next.header;
    h.setTotal(static_cast<std::int32_t>(newTotal));
    AtomicFile out(path);
    constexpr std::size_t kChunk = 1 << 20;
    // What is written is also digested: the backups learn what this command leaves.
    ContentDigest digest;
    auto put = [&](const std::string& bytes) {
        out.write(bytes);
        digest.update(bytes);
    };
    const long long pieceRecords = static_cast<long long>(kChunk) / len;
    // Bytes [from, to) of the old file, zeros where it has none.
    auto copyOld = [&](long long from, long long to, bool withHeader) {
        for (long long at = from; at < to; at += pieceRecords * len) {
            const long long first = at / len + 1, bytes = std::min(pieceRecords * len, to - at);
            std::string piece = file_.readRange(first, (bytes + len - 1) / len);
            piece.resize(static_cast<std::size_t>(bytes), '\0');
            if (withHeader && at == 0) {
                std::copy_n(h.bytes().data(), kEntryRecordLength, piece.data());
                std::copy_n(next.reserve.bytes().data(), kEntryRecordLength, piece.data() + kEntryRecordLength);
            }
            put(piece);
        }
    };
    if (count == 0) {
        copyOld(0, std::max(oldSize, 2 * len), true);
    } else {
        copyOld(0, static_cast<long long>(CountedRecordFile::offsetOf(firstChanged, kEntryRecordLength)), true);
        std::string chunk;
        chunk.reserve(kChunk + kEntryRecordLength);
        for (const auto& part : parts)
            for (const SwimmerRecord& s : part) {
                chunk.append(s.bytes().data(), kEntryRecordLength);
                if (chunk.size() >= kChunk) {
                    put(chunk);
                    chunk.clear();
                }
            }
        put(chunk);
        copyOld(static_cast<long long>(CountedRecordFile::offsetOf(newTotal + 1, kEntryRecordLength)), oldSize, false);
    }
    // The backups learn what this command leaves before it is put in place.
    noteEntryWritten(path, out.tempPath(), digest.text());

    file_.close();
    try {
        out.commit();
    } catch (...) {
        file_ = CountedRecordFile(path, kEntryRecordLength, RecordFile::Mode::ReadWrite);
        throw;
    }
    file_ = CountedRecordFile(path, kEntryRecordLength, RecordFile::Mode::ReadWrite);
}

} // namespace tolv
