// The automation file named by VANTREL_AUTOMATION: a UTF-8 text, one step per line.
//
//   # a comment          blank lines and lines starting with # are skipped
//   answer TEXT          the next dialog gets TEXT: a button name (OK, Cancel, Abort, Retry,
//                        Ignore, Yes, No), a file or folder name, a text, a colour number
//   cancel               the next dialog is cancelled (its Escape answer)
//
// A dialog that finds no answer left gets its Escape answer. Other verbs are steps for the
// user-interface driver (click, key, wait, screenshot); they are kept in order for it.
#pragma once

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Dialogs.h"

namespace platform {

struct AutomationStep {
    int line = 0;
    std::string verb;      // lower case
    std::string argument;  // UTF-8, the rest of the line after one space
};

class AutomationScript {
public:
    // Lines that cannot be understood are reported in `problems` ("line N: ...") and skipped.
    static AutomationScript parse(std::string_view text, std::vector<std::string>* problems = nullptr);
    static AutomationScript load(const std::filesystem::path& file,
                                 std::vector<std::string>* problems = nullptr);

    bool hasAnswer() const { return !m_answers.empty(); }
    AutomationStep takeAnswer();
    const std::vector<AutomationStep>& driverSteps() const { return m_driverSteps; }

private:
    std::deque<AutomationStep> m_answers;
    std::vector<AutomationStep> m_driverSteps;
};

// Answers each dialog with the next answer of the script.
class AutomationBackend final : public DialogBackend {
public:
    explicit AutomationBackend(AutomationScript script) : m_script(std::move(script)) {}
    DialogAnswer ask(const DialogRequest& request) override;

private:
    AutomationScript m_script;
};

// The answer a dialog gets from Escape (or closing it).
DialogAnswer escapeAnswer(const DialogRequest& request);

}  // namespace platform
