#pragma once
// How the core tells or asks the user something: the GUI answers with message boxes, the CLI on
// the terminal or from its flags. The core never opens a window itself.
#include <string>
#include <vector>

namespace tolv {

class Prompt {
public:
    virtual ~Prompt() = default;
    // A message with OK only.
    virtual void tell(const std::string& message) = 0;
    // A question with OK and Cancel; true for OK.
    virtual bool ask(const std::string& message) = 0;
    // A question whose buttons say what they do (the first is the default); the index of the one
    // chosen. Where buttons cannot be named it is asked with OK (the first) and Cancel (the last).
    virtual int choose(const std::string& message, const std::vector<std::string>& buttons)
    {
        return ask(message) || buttons.size() < 2 ? 0 : static_cast<int>(buttons.size()) - 1;
    }
};

// Answers every question with a fixed choice and collects what was said (CLI flags, tests).
class ScriptedPrompt : public Prompt {
public:
    explicit ScriptedPrompt(bool answer = true) : answer_(answer) {}
    void tell(const std::string& message) override { said += message + "\n"; }
    bool ask(const std::string& message) override
    {
        said += message + "\n";
        return answer_;
    }
    std::string said;

private:
    bool answer_;
};

} // namespace tolv
