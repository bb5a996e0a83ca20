// The automation file named by VANTREL_AUTOMATION: a UTF-8 text, one step per line, taken
// in order from one queue.
//
//   # a comment          blank lines and lines starting with # are skipped
//   answer TEXT          the next dialog gets TEXT: a button name (OK, Cancel, Abort, Retry,
//                        Ignore, Yes, No), a file or folder name, a text, a colour number,
//                        a list item, a font ("Name,Size,styles,colour")
//   cancel               the next dialog is cancelled (its Escape answer)
//   click NAME           steps for the user-interface driver, which takes them when it is
//   type NAME TEXT       their turn (see the program's driver): controls clicked, typed
//   key NAME KEY         into and sent keys, a pause, a form closed, a form's picture
//   wait MS              saved
//   close FORM
//   screenshot FORM FILE
//
// A dialog takes the first step when it is an answer or a cancel; when the first step is a
// driver step, or none is left, the dialog gets its Escape answer and the queue stays as
// it is. Main thread only.
#pragma once

#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

struct AutomationStep {
    int line = 0;
    std::string verb;      // lower case
    std::string argument;  // UTF-8, the rest of the line after one space
    bool isAnswer() const { return verb == "answer" || verb == "cancel"; }
};

class AutomationScript {
public:
    // Lines that cannot be understood are reported in `problems` ("line N: ...") and skipped.
    static AutomationScript parse(std::string_view text, std::vector<std::string>* problems = nullptr);
    static AutomationScript load(const std::filesystem::path& file,
                                 std::vector<std::string>* problems = nullptr);

    bool empty() const { return m_steps.empty(); }
    // The next step; check empty() first.
    const AutomationStep& front() const { return m_steps.front(); }
    AutomationStep take();
    // The next step is an answer or a cancel.
    bool hasAnswer() const { return !m_steps.empty() && m_steps.front().isAnswer(); }
    size_t size() const { return m_steps.size(); }

private:
    std::deque<AutomationStep> m_steps;
};

// Answers each dialog from the queue it shares with the user-interface driver.
class AutomationBackend final : public DialogBackend {
public:
    explicit AutomationBackend(AutomationScript script)
        : m_script(std::make_shared<AutomationScript>(std::move(script))) {}
    explicit AutomationBackend(std::shared_ptr<AutomationScript> script) : m_script(std::move(script)) {}
    DialogAnswer ask(const DialogRequest& request) override;

private:
    std::shared_ptr<AutomationScript> m_script;
};

// The answer a dialog gets from Escape (or closing it).
DialogAnswer escapeAnswer(const DialogRequest& request);

// The queue of the running automation file, or null for a person at the screen.
std::shared_ptr<AutomationScript> automationScript();

}  // namespace platform
