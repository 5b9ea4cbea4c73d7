#pragma once
// The entry window: the competition header, the reserve events, one swimmer record at a time, the
// input line with its browse, new-entry and time states, look-ups in the registration master, and
// the menus that reach every other part of the program. Every confirmed change is written to the
// entry file at once; there is no save.
//
// A box is confirmed when Enter is pressed in it and when it is left in any other way (Tab, a
// click elsewhere, a button, a menu, another swimmer, closing the window), by the same rule
// (EntryEditRules) and with the same writes. A refused value is told in the status bar; a box left
// with a refused value shows the stored value again.
//
// The window is built of panels, each with one job: ZepiHeaderPanel (where the data lie, header,
// option frames), ZepiReservePanel (reserve events), ZepiSwimmerPanel (the swimmer and its event
// slots) and ZepiInputLine (the input line and its buttons). The controls keep their names
// (txtZigyo, txtKiro_0 …, cmdShinki …).
#include "storage/AthleteLookup.h"
#include "storage/EntryEditRules.h"
#include "storage/EntryStore.h"
#include "storage/NewEntryInput.h"

#include <QMainWindow>

#include <memory>
#include <unordered_map>

class QAction;
class QLineEdit;

namespace tolv::gui {

struct AppContext;
class BoxConfirmer;
class ZepiHeaderPanel;
class ZepiInputLine;
class ZepiKeys;
class ZepiReservePanel;
class ZepiSwimmerPanel;

class FrmZepi : public QMainWindow {
    Q_OBJECT
public:
    // The editing states of the window.
    enum State { Browse = 1, NewEntry = 2, NewTime = 3 };

    // Loads the window: control files, (internet mode) downloads, unit flags, the entry file, and
    // the last swimmer shown. isLoaded() tells whether the entry file could be opened. A file that
    // cannot be written, or that does not verify as sound, is opened read-only after a warning.
    explicit FrmZepi(AppContext& ctx, QWidget* parent = nullptr);
    ~FrmZepi() override;

    bool isLoaded() const { return store_.isOpen(); }
    // Opened for looking and printing only ("読み取り専用" in the title).
    bool isReadOnly() const { return readOnly_; }
    int state() const { return state_; }
    int current() const { return current_; }

    // For the commands of other parts that work on the open entry file.
    tolv::EntryStore& store() { return store_; }
    tolv::AthleteLookup& lookup() { return *lookup_; }
    AppContext& context() { return ctx_; }
    const std::filesystem::path& entryFolder() const { return entryFolder_; }
    const std::filesystem::path& transferFolder() const { return transferFolder_; }
    // A menu item by its name (mCheck1, mSotSei, mOutTichi …); nullptr for an unknown name.
    QAction* menuAction(const QString& name) const;
    // Tells the user something in the status bar (stbZepi): no box, the focus stays where it is.
    void say(const QString& message);
    // Confirms every box that holds typed text not yet stored (before a command reads the file).
    void commitPending();

public slots:
    // Reads the header and the current swimmer again and shows them (after a command changed the
    // file). The count may have changed: the current number is kept within 0 … total.
    void refreshCurrent();
    // The same, then shows swimmer n (kept within 0 … total): an import shows its last swimmer.
    void refreshAt(int n);
    // Closes the entry file and empties the temp folder (once); the window stays.
    void closeEntry();
    // Shows `child`, a window that works on the entry file itself (merge, Mcompd, timing export),
    // with the entry window closed behind it: the entry file and its lock are released meanwhile.
    // When the child closes (it is deleted on close), the entry window reopens the entry file,
    // shows the last swimmer and comes back where it was on the screen.
    void handOverTo(QWidget* child);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class ZepiKeys; // the window's keys drive its boxes and input line

    struct BoxRef {
        tolv::EntryBox kind;
        int index;
    };

    void buildMenus();
    void buildWindow();
    void wirePanels();
    void load();
    bool openEntry(const std::filesystem::path& path);
    void applyAccess();
    void setTitle(const QString& title);

    // The boxes edit the store's draft; it is written (or, in a new entry, kept) by what they name.
    tolv::EntryEditRules rules() { return {store_.header(), store_.reserve(), store_.swimmer()}; }
    // Stores what a box holds; leaving = the box is being left (not Enter). True when stored or
    // unchanged.
    bool confirmBox(QLineEdit* box, bool leaving);

    // Header
    void showHeader();
    void saveHeader();
    void copyReserveEvents();
    // "終わり" and closing the window: true when nothing is being typed or the user drops it.
    bool mayLeave();

    // Swimmer area
    void showSwimmer(int n); // reads swimmer n (0 = empty) and shows it
    void showBuffer();       // shows the buffer as it is
    void showInfoLines();
    bool swimmerChanged(); // state 1: writes the record; otherwise the buffer waits
    void copyLabelToField(int i);
    void qbangoEntered();
    void kanaEntered();
    int pickAthlete(const tolv::SearchList& list);

    // Input line and buttons
    void inputLineEnter();
    void previous();
    void next();
    void moveTo(int n);
    void startNewEntry();
    void endNewEntry();
    void deleteShown();
    void setState(State s, const char* title);
    void enableButtons(bool on);

    bool guard(const std::function<void()>& action); // runs, tells a failure, true when done

    AppContext& ctx_;
    tolv::EntryStore store_;
    std::unique_ptr<tolv::AthleteLookup> lookup_;
    std::unique_ptr<tolv::NewEntryInput> entry_; // the input line while a new swimmer is entered
    std::filesystem::path entryFolder_, transferFolder_;
    std::string entryName_;
    std::string entryStored_; // the entry folder as dr_zep.ctl names it
    std::string registrationStored_;
    int state_ = Browse;
    int current_ = 0;
    bool closed_ = false;
    bool readOnly_ = false;
    QString openingNote_;     // the data findings of the file, noted in the status bar when opened
    bool committing_ = false; // a box is being confirmed (a message box may take the focus)

    ZepiHeaderPanel* header_;
    ZepiReservePanel* reserve_;
    ZepiSwimmerPanel* swimmer_;
    ZepiInputLine* input_;
    ZepiKeys* keys_;
    std::unordered_map<QLineEdit*, BoxRef> boxes_;
    // Confirms a box left by Tab, a click, a button, a menu or closing (Enter is the window's own).
    std::unique_ptr<BoxConfirmer> leaving_;
};

} // namespace tolv::gui
