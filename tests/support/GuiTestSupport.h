#pragma once
// Helpers for the window tests (header only): a prompt that records what the windows say and
// answers their questions, typing Japanese text through key events, and finding controls by name.
#include "gui/AppContext.h"
#include "platform/Prompt.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tolvtest {

class RecordingPrompt : public tolv::Prompt {
public:
    void tell(const std::string& message) override { said.push_back(message); }
    bool ask(const std::string& message) override
    {
        said.push_back(message);
        asked.push_back(message);
        if (answers.empty()) return true;
        bool a = answers.front();
        answers.pop_front();
        return a;
    }
    // The buttons offered are recorded with the question; the answer is the next of `choices`
    // (the first button when none is left).
    int choose(const std::string& message, const std::vector<std::string>& buttons) override
    {
        said.push_back(message);
        asked.push_back(message);
        offered.push_back(buttons);
        if (choices.empty()) return 0;
        int c = choices.front();
        choices.pop_front();
        return c;
    }
    std::string last() const { return said.empty() ? std::string() : said.back(); }
    void clear()
    {
        said.clear();
        asked.clear();
        offered.clear();
    }

    std::vector<std::string> said;
    std::vector<std::string> asked;
    std::deque<bool> answers; // answers to ask(), OK when empty
    std::deque<int> choices;  // answers to choose()
    std::vector<std::vector<std::string>> offered;
};

// A context whose end of the program is only recorded.
struct TestContext {
    RecordingPrompt prompt;
    tolv::gui::AppContext ctx;
    int endCalls = 0;
    TestContext()
    {
        ctx.prompt = &prompt;
        ctx.endProgram = [this] { ++endCalls; };
    }
};

template <typename T> T* child(QObject* root, const QString& name)
{
    T* w = root->findChild<T*>(name);
    if (!w) qWarning("no control named %s", qPrintable(name));
    return w;
}

// Types text one character at a time as key events (Japanese included).
inline void typeText(QWidget* w, const QString& text)
{
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

inline void pressEnter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }

// Focuses a line edit, replaces its text by typing, and presses Enter.
inline void enterText(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    typeText(box, text);
    pressEnter(box);
}

// Deletes every window a test left open (deleting one may take others with it).
inline void deleteWindows()
{
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isWindow() && !w->parentWidget()) windows << QPointer<QWidget>(w);
    for (const QPointer<QWidget>& w : windows)
        if (w) delete w.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Pictures for the user guide (`make guide-shots`): when TOLV_GUIDE_SHOTS names a folder, the window
// holding `w` is saved there as <name>.png at the moment of the call; without it nothing is done.
inline void guideShot(QWidget* w, const char* name)
{
    static const QString folder = qEnvironmentVariable("TOLV_GUIDE_SHOTS");
    if (folder.isEmpty() || !w) return;
    if (!w->window()->grab().save(folder + "/" + name + ".png"))
        qWarning("guide picture %s not saved in %s", name, qPrintable(folder));
}

// Runs `act` on the next modal dialog that opens (the search dialog), from inside its event loop.
inline void onNextModal(const std::function<void(QWidget*)>& act, int triesLeft = 200)
{
    QTimer::singleShot(10, [act, triesLeft] {
        if (QWidget* m = QApplication::activeModalWidget()) act(m);
        else if (triesLeft > 0) onNextModal(act, triesLeft - 1);
    });
}

} // namespace tolvtest
