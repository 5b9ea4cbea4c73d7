#pragma once
// The input line of the entry window while a new swimmer is entered. It asks for an event code
// (two characters; "99" ends the entry), then for that event's time, preset from the looked-up
// athlete's best time, then for the next code. The window shows what each reply says; the record
// in the making is the run's.
#include "storage/AthleteLookup.h"

#include <string>

namespace tolv {

class EntryStore;

class NewEntryInput {
public:
    enum class Step { Code, Time };

    struct Reply {
        enum class Kind {
            Wait,        // not a whole code yet: nothing happens
            End,         // "99": the window ends the entry (finish)
            UnknownCode, // no event has that code; `text` says so, the code is asked again
            AskTime,     // the time for `slot` is asked, the line preset with `text`
            TimeRefused, // the text gives no time; `text` says why, the time is asked again
            TimeStored,  // the time is in the record; the next code is asked
        };
        Kind kind = Kind::Wait;
        int slot = -1;
        std::string text;
    };

    // Starts a new swimmer in `store` (number: the count + 1).
    explicit NewEntryInput(EntryStore& store);

    Step step() const { return step_; }
    // The event slot whose time is asked (Step::Time), -1 before the first code.
    int slot() const { return slot_; }
    NewEntryRun& run() { return run_; }
    const NewEntryRun& run() const { return run_; }

    // What Enter on the input line does with `text`; `caret` is the cursor position in characters
    // (a time is read from the text before it).
    Reply enter(const std::string& text, int caret);

    // The look-ups of the new swimmer. A found athlete (or, without one, the typed number) goes
    // into the record; `notice` is what the window then says (empty: nothing). A master that cannot
    // be read throws and leaves the record as it was.
    struct Found {
        bool found = false;
        std::string notice;
    };
    // By the old number as typed, completed with the century of the reference date.
    Found lookUpNumber(AthleteLookup& lookup, const std::string& typed, const AthletePicker& pick);
    // By the reading the record holds (already confirmed: folded to the master's spelling), with the
    // number typed so far, whose team code starts the athlete's number. `typedReading` is the
    // reading as the user typed it, to say how it was searched.
    Found lookUpReading(AthleteLookup& lookup, const std::string& typedNumber, const std::string& typedReading,
                        const AthletePicker& pick);

private:
    EntryStore& store_;
    NewEntryRun run_;
    Step step_ = Step::Code;
    int slot_ = -1;
};

} // namespace tolv
