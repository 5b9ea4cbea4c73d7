#pragma once
// The open entry file: header (record 1), reserve events (record 2) and swimmer n (record n + 10),
// edited in place. Every swimmer write also writes the header, so `total` on disk always matches
// the last change.
#include "storage/RecordFile.h"
#include "storage/Records.h"

#include <filesystem>
#include <string>

namespace tolv {

class EntryStore {
public:
    EntryStore() = default;

    // Closes a previously open file, opens folder/fileName (created when missing), then loadHeader.
    void openEntryFile(const std::filesystem::path& folder, const std::string& fileName);
    void openEntryFile(const std::filesystem::path& path);
    bool isOpen() const { return file_.isOpen(); }
    const std::filesystem::path& path() const { return file_.path(); }
    void close() { file_.close(); }
    // Closes and opens the same file again, re-reading header and reserve events.
    void reopen();

    // Reads records 1 and 2, or initialises a new file (10 bytes or less) and writes them.
    void loadHeader();
    void saveHeader();

    // n >= 1 reads record n + 10 into the swimmer buffer; n == 0 clears the buffer.
    void readSwimmer(int n);
    // Writes the swimmer buffer as record n + 10, then the header records.
    void writeSwimmer(int n);
    // Reads swimmer n without touching the buffer.
    SwimmerRecord swimmerAt(int n) const;

    EntryHeader& header() { return header_; }
    const EntryHeader& header() const { return header_; }
    ReserveEvents& reserve() { return reserve_; }
    const ReserveEvents& reserve() const { return reserve_; }
    SwimmerRecord& swimmer() { return swimmer_; }
    const SwimmerRecord& swimmer() const { return swimmer_; }

    // An emptied swimmer buffer: texts empty, shubetu "000000", numbers 0.
    static SwimmerRecord emptySwimmer();
    // The base name rule for a new file's competition name: text before the first ".".
    static std::string baseName(const std::string& fileName);

private:
    RecordFile file_;
    EntryHeader header_;
    ReserveEvents reserve_;
    SwimmerRecord swimmer_;
};

} // namespace tolv
