#pragma once
// How the entry window opens its entry file, and what it asks and tells on the way:
//
//   the file                                   outcome
//   missing or 10 bytes or less                Opened: created and initialised
//   sound (data findings only noted)           Opened
//   damaged (size, count, undecodable bytes)   Damaged: opened read-only, the damage told; a write
//                                              could spread it. DamagedUnreadable when it cannot
//                                              even be read.
//   cannot be written, but read                AskReadOnly: the user is asked, then openReadOnly()
//   (write-protected, another program reads)
//   cannot be opened at all                    Failed (held by another writer, no such folder …)
//
// The window shows error() as its failures are shown, with the texts given here.
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

namespace tolv {

class EntryStore;

class EntryOpening {
public:
    enum class Outcome { Opened, Damaged, DamagedUnreadable, AskReadOnly, Failed };

    explicit EntryOpening(std::filesystem::path path);

    // Checks the file and opens it into `store` as the table above says.
    Outcome open(EntryStore& store);
    // After AskReadOnly, when the user agreed: opens the file read-only. Throws what failed.
    void openReadOnly(EntryStore& store);

    bool readOnly() const { return readOnly_; }
    // Data findings of a sound file, for the status bar; empty when there are none.
    const std::string& note() const { return note_; }
    // The damage found, at most five lines and how many more.
    const std::string& damageList() const { return damageList_; }
    // Why the file could not be opened for writing (AskReadOnly, Failed) or read
    // (DamagedUnreadable).
    const std::exception_ptr& error() const { return error_; }
    // What Damaged tells the user.
    std::string damagedMessage() const;
    // What follows the error in the AskReadOnly question.
    static const char* readOnlyQuestion();

private:
    std::filesystem::path path_;
    bool readOnly_ = false;
    std::string note_;
    std::string damageList_;
    std::exception_ptr error_;
};

} // namespace tolv
