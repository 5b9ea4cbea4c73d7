#pragma once
// What every transfer file is written from and where: the entry data read once and the target
// folders, with the swimmer fields the line builders share.
#include "platform/Clock.h"
#include "storage/MasterSource.h"
#include "storage/Records.h"
#include "transfer/FileSet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tolv {
class EntryStore;
class Prompt;
} // namespace tolv

namespace tolv::exchange {

// The open entry file as the exports see it: read once.
struct EntryData {
    fs::path entryPath;
    EntryHeader header;
    std::vector<SwimmerRecord> swimmers;

    static EntryData read(const EntryStore& store);
};

// Where and how an export writes.
struct ExportTarget {
    fs::path transfer;          // the transfer folder (host path)
    fs::path ctl;               // the control folder holding the templates
    MasterSource master;        // the team registers, for the team files
    Prompt* prompt = nullptr;   // the medium prompt; nullptr: nobody to ask (command line)
    bool mediaQuestion = false; // several media: ask "全媒体を一括作成しますか？" first (the entry window)
    DateTime when;              // the current date and time, taken once per export
};

// hh:mm:ss of a date and time.
std::string timeOfDayText(const DateTime& when);
// "選手 12 山田太郎" for messages.
std::string swimmerLabel(std::size_t n, const SwimmerRecord& s);
// A time as `width` digits padded on the left with `pad`; a value that does not fit (negative or
// too long) is refused with a message naming the swimmer and the slot.
std::string timeField(std::int32_t value, std::size_t width, char pad, std::size_t n, const SwimmerRecord& s, int slot);
// encodeLine for the line of swimmer n of `file`; the swimmer's label is made only for the message.
std::string encodeSwimmerLine(const std::string& utf8, const char* file, std::size_t n, const SwimmerRecord& s);

} // namespace tolv::exchange
