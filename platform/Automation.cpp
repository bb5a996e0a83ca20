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

bool isKnownVerb(std::string_view verb) {
    static const char* const kVerbs[] = {"answer", "cancel",     "click", "key",
                                         "wait",   "screenshot", "type",  "close"};
    return std::any_of(std::begin(kVerbs), std::end(kVerbs), [&](const char* v) { return verb == v; });
}

bool isPathDialog(DialogKind kind) {
    return kind == DialogKind::OpenFile || kind == DialogKind::SaveFile || kind == DialogKind::Folder;
}

// A list item by its text (any case); an empty answer or "OK" keeps the selection.
DialogAnswer chooseItem(const DialogRequest& request, const AutomationStep& step) {
    const std::string wanted = base::CodePage::active().fromUtf8(step.argument);
    DialogAnswer answer;
    answer.accepted = true;
    if (wanted.empty() || base::asciiSameText(wanted, "OK")) {
        answer.text = request.initialText;
        return answer;
    }
    for (const std::string& item : request.items) {
        if (base::ansiSameText(item, wanted)) {
            answer.text = item;
            return answer;
        }
    }
    std::fprintf(stderr, "automation: line %d: the list has no item '%s'\n", step.line,
                 step.argument.c_str());
    return escapeAnswer(request);
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
        if (isKnownVerb(step.verb)) {
            script.m_steps.push_back(std::move(step));
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

AutomationStep AutomationScript::take() {
    AutomationStep step = std::move(m_steps.front());
    m_steps.pop_front();
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
    if (!m_script->hasAnswer()) return escapeAnswer(request);
    AutomationStep step = m_script->take();
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
    case DialogKind::PrinterSetup: {
        answer.accepted = !base::asciiSameText(step.argument, "Cancel");
        return answer;
    }
    case DialogKind::Font:
        answer.accepted = true;
        answer.text = fontText(parseFontText(base::CodePage::active().fromUtf8(step.argument), request.font));
        return answer;
    case DialogKind::Choice: return chooseItem(request, step);
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
