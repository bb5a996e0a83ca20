#include "platform/Automation.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "platform/Paths.h"

namespace platform {
namespace {

bool isDriverVerb(std::string_view verb) {
    static const char* const kVerbs[] = {"click", "key", "wait", "screenshot", "type", "close"};
    return std::any_of(std::begin(kVerbs), std::end(kVerbs), [&](const char* v) { return verb == v; });
}

bool isPathDialog(DialogKind kind) {
    return kind == DialogKind::OpenFile || kind == DialogKind::SaveFile || kind == DialogKind::Folder;
}

}  // namespace

AutomationScript AutomationScript::parse(std::string_view text, std::vector<std::string>* problems) {
    AutomationScript script;
    int lineNo = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view trimmed = base::trimText(line);
        if (trimmed.empty() || trimmed.front() == '#') continue;
        size_t space = trimmed.find(' ');
        AutomationStep step;
        step.line = lineNo;
        for (char c : trimmed.substr(0, space)) step.verb.push_back(static_cast<char>(std::tolower(c)));
        if (space != std::string_view::npos) step.argument = std::string(trimmed.substr(space + 1));
        if (step.verb == "answer" || step.verb == "cancel") {
            script.m_answers.push_back(std::move(step));
        } else if (isDriverVerb(step.verb)) {
            script.m_driverSteps.push_back(std::move(step));
        } else if (problems) {
            problems->push_back("line " + std::to_string(lineNo) + ": unknown step '" + step.verb + "'");
        }
    }
    return script;
}

AutomationScript AutomationScript::load(const std::filesystem::path& file,
                                        std::vector<std::string>* problems) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (problems) problems->push_back("cannot read " + file.string());
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), problems);
}

AutomationStep AutomationScript::takeAnswer() {
    AutomationStep step = std::move(m_answers.front());
    m_answers.pop_front();
    return step;
}

DialogAnswer escapeAnswer(const DialogRequest& request) {
    DialogAnswer answer;
    if (request.kind == DialogKind::Message) {
        answer.button = request.escapeButton;
        answer.accepted = request.escapeButton != IDCANCEL;
    } else if (request.kind == DialogKind::About) {
        answer.accepted = true;
    }
    return answer;
}

DialogAnswer AutomationBackend::ask(const DialogRequest& request) {
    if (!m_script.hasAnswer()) return escapeAnswer(request);
    AutomationStep step = m_script.takeAnswer();
    if (step.verb == "cancel") return escapeAnswer(request);

    DialogAnswer answer;
    switch (request.kind) {
    case DialogKind::Message: {
        int id = buttonFromName(step.argument);
        if (std::find(request.buttons.begin(), request.buttons.end(), id) == request.buttons.end()) {
            std::fprintf(stderr, "automation: line %d: the dialog has no button '%s'\n", step.line,
                         step.argument.c_str());
            return escapeAnswer(request);
        }
        answer.accepted = id != IDCANCEL;
        answer.button = id;
        return answer;
    }
    case DialogKind::About: answer.accepted = true; return answer;
    default: break;
    }
    answer.accepted = true;
    // Native paths in the file are handed on in the Windows form, as a person's choice would be.
    if (isPathDialog(request.kind) && !step.argument.empty() && step.argument.front() == '/') {
        answer.text = drives().toWindows(step.argument);
    } else {
        answer.text = base::CodePage::active().fromUtf8(step.argument);
    }
    return answer;
}

}  // namespace platform
