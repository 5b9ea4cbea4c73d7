#pragma once
// The open entry file: header (record 1), reserve events (record 2) and swimmer n (data record n of a counted file).
// Every swimmer write also writes the header, so `total` on disk always matches the last change.
//
// Changes are transactions. The store keeps what the file holds (and the swimmer last read) and a
// draft of the next change: header(), reserve() and swimmer() are the draft, which callers may
// change. A write (saveHeader, writeSwimmer, writeHeader, commitAll, appendSwimmers) writes the
// draft, or the change it is given, and the store adopts it only once the file holds it. When the
// write of a draft fails, the draft goes back to what the file holds; when a change passed in
// fails, it is not adopted and the draft stays as it was (a new swimmer being typed is not lost).
// Nobody restores anything by hand, and the store's count never runs ahead of the file.
#include "platform/FileLock.h"
#include "storage/Backups.h"
#include "storage/CountedRecordFile.h"
#include "storage/Records.h"

#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tolv {

// The most swimmers an entry file may hold; checked when a file is opened and before every append.
constexpr int kMaxSwimmers = 100000;

class EntryStore {
public:
    // Write: the file is opened read-write under an exclusive lock (a second writer is refused),
    // created and initialised when missing or 10 bytes or less. Read: read-only under a shared lock;
    // a missing file is an error and a short file is shown as empty without being written.
    enum class Access { Write, Read };

    EntryStore() = default;

    // Closes a previously open file, opens folder/fileName (created when missing), then loadHeader.
    void openEntryFile(const std::filesystem::path& folder, const std::string& fileName);
    void openEntryFile(const std::filesystem::path& path, Access access = Access::Write);
    bool isOpen() const { return file_.isOpen(); }
    Access access() const { return access_; }
    const std::filesystem::path& path() const { return file_.path(); }
    void close();
    // Opens the same file again, re-reading header and reserve events; the lock of an open store is
    // kept throughout, so no other program can slip in between (a closed one takes it anew).
    void reopen();
    // Puts automatic backup `step` (0 = the newest) back in place of the file (and its team totals
    // file) under the lock this store holds, then reads the restored file. Needs Access::Write.
    BackupInfo undoLastChange(std::size_t step = 0);
    // The same for a backup checkUndo has read and checked (not read a second time).
    BackupInfo undoLastChange(const UndoCheck& checked);

    // Reads records 1 and 2, or initialises a new file (10 bytes or less) and writes them.
    void loadHeader();
    void saveHeader();

    // n >= 1 reads swimmer n into the swimmer buffer (normalised as readIntoBuffer says);
    // n == 0 clears the buffer. A read that fails leaves the buffer as it was.
    void readSwimmer(int n);
    // Writes the draft swimmer as swimmer n, then the draft header records.
    void writeSwimmer(int n);
    // Swimmer `s` is written as swimmer n and `header` as record 1 (with the reserve events), and
    // only then do the store's header and swimmer buffer take them.
    void writeSwimmer(int n, const SwimmerRecord& s, const EntryHeader& header);
    // The same for the header records alone.
    void writeHeader(const EntryHeader& header, const ReserveEvents& reserve);
    // The reserve events of another entry file (only read: never initialised or changed) written in
    // place of these, and adopted once written.
    void copyReserveEventsFrom(const std::filesystem::path& source);
    // Drops the draft: header, reserve events and swimmer are again what the file holds.
    void discardDraft();
    // Reserve rows whose relay flag is neither "0" nor "1" are read as individual events without a
    // category, as the entry window shows them; held in the store and written with the next header
    // change.
    void settleReserveRows();
    // Reads swimmer n without touching the buffer.
    SwimmerRecord swimmerAt(int n) const;

    // Every swimmer record 1 .. total, read in one pass over the file.
    std::vector<SwimmerRecord> readAllSwimmers() const;

    // Bulk changes, whole or not at all: the old file (and its team totals file) is first copied
    // to the backup folder under `command`, then the file is rewritten under a temporary name and
    // renamed into place. header() and reserve() are written as they are in the store, with the
    // count set to the swimmers written; every other byte of the old file is kept. The store stays
    // open on the new file, under the same lock. Needs Access::Write.
    void commitAll(const std::vector<SwimmerRecord>& swimmers, const std::string& command);
    // The same with a changed header, which the store adopts once the file is in place.
    void commitAll(const std::vector<SwimmerRecord>& swimmers, const std::string& command, const EntryHeader& header);
    // Appends swimmers after the last one, the same way. Refused past kMaxSwimmers.
    void appendSwimmers(const std::vector<SwimmerRecord>& more, const std::string& command);
    // The same with a changed header and reserve events, which the store adopts once the file is
    // in place (the header's count is set to the swimmers the file then holds).
    void appendSwimmers(const std::vector<SwimmerRecord>& more, const std::string& command, const EntryHeader& header,
                        const ReserveEvents& reserve);
    // The same for swimmers held in several parts (one per merged source), appended in order
    // without gathering them into one vector first.
    using SwimmerParts = std::vector<std::span<const SwimmerRecord>>;
    void appendSwimmers(const SwimmerParts& parts, const std::string& command);

    // The draft (see above); the same as the file holds except between a change and its write.
    EntryHeader& header() { return draft_.header; }
    const EntryHeader& header() const { return draft_.header; }
    ReserveEvents& reserve() { return draft_.reserve; }
    const ReserveEvents& reserve() const { return draft_.reserve; }
    SwimmerRecord& swimmer() { return draft_.swimmer; }
    const SwimmerRecord& swimmer() const { return draft_.swimmer; }

    // An emptied swimmer buffer: texts empty, shubetu "000000", numbers 0.
    static SwimmerRecord emptySwimmer();
    // What reading a record into the swimmer buffer makes of it: discipline flags whose numeric
    // value is 0 (blank, NUL, "0") become "000000". Bulk changes that work on records read with
    // readAllSwimmers apply it to every record they change, as if each went through the buffer.
    static void readIntoBuffer(SwimmerRecord& s);
    // The base name rule for a new file's competition name: text before the first ".".
    static std::string baseName(const std::string& fileName);

private:
    BackupInfo withFileLetGo(const std::function<BackupInfo(const std::filesystem::path&)>& put);
    struct State {
        EntryHeader header;
        ReserveEvents reserve;
        SwimmerRecord swimmer;
    };

    void replaceWhole(const SwimmerParts& parts, long long firstChanged, const std::string& command, const EntryHeader& header,
                      const ReserveEvents& reserve);
    void writeWhole(const SwimmerParts& parts, long long firstChanged, const std::string& command, State& next);
    void appendParts(const SwimmerParts& parts, const std::string& command, const EntryHeader& header,
                     const ReserveEvents& reserve);
    // The file holds these header records: the store and its draft take them.
    void adoptHeader(const EntryHeader& header, const ReserveEvents& reserve);
    // A change of the draft's header records that could not be written is dropped.
    void dropHeaderDraft();

    FileLock lock_;
    Access access_ = Access::Write;
    CountedRecordFile file_;
    State stored_; // what the file holds, and the swimmer last read or written
    State draft_;  // the next change, as callers build it
};

} // namespace tolv
