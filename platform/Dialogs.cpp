#include "platform/Dialogs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Json.h"
#include "platform/Automation.h"

namespace platform {
namespace {

const char* iconName(DialogIcon icon) {
    switch (icon) {
    case DialogIcon::Information: return "information";
    case DialogIcon::Warning: return "warning";
    case DialogIcon::Error: return "error";
    case DialogIcon::Question: return "question";
    case DialogIcon::None: break;
    }
    return "none";
}

std::string utf8(std::string_view ansi) { return base::CodePage::active().toUtf8(ansi); }

std::vector<std::string> utf8Items(const std::vector<std::string>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(utf8(item));
    return out;
}

// Without a backend every dialog behaves as if a person pressed Escape.
class EscapeBackend final : public DialogBackend {
public:
    DialogAnswer ask(const DialogRequest& request) override { return escapeAnswer(request); }
};

std::unique_ptr<DialogService>& serviceSlot() {
    static std::unique_ptr<DialogService> service;
    return service;
}

std::shared_ptr<AutomationScript>& automationSlot() {
    static std::shared_ptr<AutomationScript> script;
    return script;
}

}  // namespace

std::shared_ptr<AutomationScript> automationScript() { return automationSlot(); }

const char* dialogKindName(DialogKind kind) {
    switch (kind) {
    case DialogKind::Message: return "message";
    case DialogKind::Input: return "input";
    case DialogKind::OpenFile: return "open";
    case DialogKind::SaveFile: return "save";
    case DialogKind::Folder: return "folder";
    case DialogKind::Color: return "color";
    case DialogKind::Choice: return "choice";
    case DialogKind::About: return "about";
    case DialogKind::Font: return "font";
    case DialogKind::PrinterSetup: return "printer";
    case DialogKind::Progress: return "progress";
    }
    return "unknown";
}

const char* buttonName(int id) {
    static const char* const kNames[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    if (id == IDYESTOALL) return "Yes to All";
    if (id == IDNOTOALL) return "No to All";
    return id >= IDOK && id <= IDNO ? kNames[id] : "";
}

int buttonFromName(std::string_view name) {
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO, IDYESTOALL, IDNOTOALL}) {
        if (base::asciiSameText(name, buttonName(id))) return id;
    }
    return 0;
}

namespace {

class UnstoppableProgress final : public ProgressWindow {
public:
    bool step(std::string_view, double) override { return true; }
};

}  // namespace

std::unique_ptr<ProgressWindow> DialogBackend::progress(const DialogRequest&) {
    return std::make_unique<UnstoppableProgress>();
}

void DialogLog::write(const std::string& line) {
    std::lock_guard lock(m_mutex);
    // Opened per line in append mode, so the log survives an abrupt end of the process.
    int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    std::string out = line + "\n";
    ssize_t written = ::write(fd, out.data(), out.size());
    (void)written;
    ::close(fd);
}

DialogService::DialogService(std::unique_ptr<DialogBackend> backend, std::unique_ptr<DialogLog> log)
    : m_backend(backend ? std::move(backend) : std::make_unique<EscapeBackend>()), m_log(std::move(log)) {}

DialogService::~DialogService() = default;

DialogAnswer DialogService::ask(const DialogRequest& request) {
    DialogAnswer answer = m_backend->ask(request);
    if (m_log) {
        base::JsonObject line;
        line.add("kind", dialogKindName(request.kind)).add("caption", utf8(request.caption));
        line.add("text", utf8(request.text)).add("icon", iconName(request.icon));
        if (request.kind == DialogKind::Message) {
            std::vector<std::string> names;
            for (int id : request.buttons) names.emplace_back(buttonName(id));
            line.add("buttons", names).add("answer", buttonName(answer.button));
        } else {
            if (!request.filter.empty()) line.add("filter", utf8(request.filter));
            if (!request.initialText.empty()) line.add("initial", utf8(request.initialText));
            if (request.kind == DialogKind::Font) line.add("initial", utf8(fontText(request.font)));
            if (request.kind == DialogKind::Choice) line.add("items", utf8Items(request.items));
            line.add("accepted", answer.accepted).add("answer", utf8(answer.text));
        }
        m_log->write(line.str());
    }
    return answer;
}

std::string fontText(const DialogFont& font) {
    std::string styles;
    auto add = [&](bool on, const char* word) {
        if (!on) return;
        if (!styles.empty()) styles += ' ';
        styles += word;
    };
    add(font.bold, "bold");
    add(font.italic, "italic");
    add(font.underline, "underline");
    add(font.strikeOut, "strikeout");
    return font.name + "," + std::to_string(font.size) + "," + styles + "," + std::to_string(font.color);
}

DialogFont parseFontText(std::string_view text, const DialogFont& base) {
    DialogFont font = base;
    std::vector<std::string_view> fields;
    for (size_t start = 0;;) {
        size_t comma = text.find(',', start);
        fields.push_back(
            base::trimText(text.substr(start, comma == std::string_view::npos ? comma : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    auto number = [](std::string_view v, long long& out) {
        if (v.empty()) return false;
        char* end = nullptr;
        std::string s(v);
        out = std::strtoll(s.c_str(), &end, 0);
        return end && *end == 0;
    };
    long long n = 0;
    if (!fields[0].empty()) font.name = std::string(fields[0]);
    if (fields.size() > 1 && number(fields[1], n) && n > 0 && n < 2000) font.size = static_cast<int>(n);
    if (fields.size() > 2) {
        font.bold = font.italic = font.underline = font.strikeOut = false;
        std::string words(fields[2]);
        for (size_t i = 0; i < words.size();) {
            size_t end = words.find(' ', i);
            std::string w = words.substr(i, end == std::string::npos ? std::string::npos : end - i);
            if (base::asciiSameText(w, "bold")) font.bold = true;
            if (base::asciiSameText(w, "italic")) font.italic = true;
            if (base::asciiSameText(w, "underline")) font.underline = true;
            if (base::asciiSameText(w, "strikeout")) font.strikeOut = true;
            if (end == std::string::npos) break;
            i = end + 1;
        }
    }
    if (fields.size() > 3 && number(fields[3], n) && n >= 0 && n <= 0xFFFFFF)
        font.color = static_cast<uint32_t>(n);
    return font;
}

ChoiceLayout choiceLayout(int promptHeight, int listHeight) {
    ChoiceLayout l;
    l.clientWidth = 337;
    l.icon = {16, 8, 32, 32};
    l.prompt = {16 + 40, 16, 260, promptHeight};
    l.list = {16, l.prompt.top + promptHeight + 12, 305, listHeight};
    const int buttonTop = l.list.top + listHeight + 10;
    l.ok = {91, buttonTop, 75, 21};
    l.cancel = {171, buttonTop, 75, 21};
    l.clientHeight = buttonTop + 21 + 15;
    return l;
}

int DialogService::messageBox(std::string_view text, std::string_view caption, uint32_t flags) {
    DialogRequest r;
    r.kind = DialogKind::Message;
    r.text = text;
    r.caption = caption;
    switch (flags & 0xF0) {
    case MB_ICONERROR: r.icon = DialogIcon::Error; break;
    case MB_ICONQUESTION: r.icon = DialogIcon::Question; break;
    case MB_ICONWARNING: r.icon = DialogIcon::Warning; break;
    case MB_ICONINFORMATION: r.icon = DialogIcon::Information; break;
    default: break;
    }
    // Escape gives Cancel where there is one; boxes without it give their "stop" answer.
    switch (flags & 0x0F) {
    case MB_OKCANCEL:
        r.buttons = {IDOK, IDCANCEL};
        r.escapeButton = IDCANCEL;
        break;
    case MB_ABORTRETRYIGNORE:
        r.buttons = {IDABORT, IDRETRY, IDIGNORE};
        r.escapeButton = IDABORT;
        break;
    case MB_YESNOCANCEL:
        r.buttons = {IDYES, IDNO, IDCANCEL};
        r.escapeButton = IDCANCEL;
        break;
    case MB_YESNO:
        r.buttons = {IDYES, IDNO};
        r.escapeButton = IDNO;
        break;
    case MB_RETRYCANCEL:
        r.buttons = {IDRETRY, IDCANCEL};
        r.escapeButton = IDCANCEL;
        break;
    default:
        r.buttons = {IDOK};
        r.escapeButton = IDOK;
        break;
    }
    int def = static_cast<int>((flags >> 8) & 0x0F);
    r.defaultButton = def < static_cast<int>(r.buttons.size()) ? def : 0;
    return ask(r).button;
}

std::optional<std::string> DialogService::inputBox(std::string_view caption, std::string_view prompt,
                                                   std::string_view defaultText) {
    DialogRequest r;
    r.kind = DialogKind::Input;
    r.caption = caption;
    r.text = prompt;
    r.initialText = defaultText;
    DialogAnswer a = ask(r);
    if (!a.accepted) return std::nullopt;
    return a.text;
}

std::optional<std::string> DialogService::fileDialog(DialogRequest request) {
    DialogAnswer a = ask(request);
    if (!a.accepted) return std::nullopt;
    return a.text;
}

void DialogService::about(std::string_view caption, std::string_view text, std::string_view credits) {
    DialogRequest r;
    r.kind = DialogKind::About;
    r.caption = caption;
    r.text = text;
    r.detailText = credits;
    ask(r);
}

std::unique_ptr<ProgressWindow> DialogService::progress(std::string_view caption, std::string_view text) {
    DialogRequest r;
    r.kind = DialogKind::Progress;
    r.caption = caption;
    r.text = text;
    if (m_log) {
        base::JsonObject line;
        line.add("kind", dialogKindName(r.kind)).add("caption", utf8(r.caption)).add("text", utf8(r.text));
        m_log->write(line.str());
    }
    return m_backend->progress(r);
}

void DialogService::logEvent(const base::JsonObject& event) {
    if (m_log) m_log->write(event.str());
}

void DialogService::logExit(int exitCode) {
    if (m_log) m_log->write(base::JsonObject().add("kind", "exit").add("code", exitCode).str());
}

DialogService& dialogs() {
    auto& slot = serviceSlot();
    if (!slot) slot = std::make_unique<DialogService>(nullptr, nullptr);
    return *slot;
}

void installDialogs(std::unique_ptr<DialogService> service) { serviceSlot() = std::move(service); }

std::unique_ptr<DialogService> dialogServiceFromEnvironment(std::unique_ptr<DialogBackend> interactive) {
    std::unique_ptr<DialogLog> log;
    if (const char* path = std::getenv("VANTREL_LOG"); path && *path) log = std::make_unique<DialogLog>(path);
    std::unique_ptr<DialogBackend> backend = std::move(interactive);
    if (const char* path = std::getenv("VANTREL_AUTOMATION"); path && *path) {
        std::vector<std::string> problems;
        auto script = std::make_shared<AutomationScript>(AutomationScript::load(path, &problems));
        for (const auto& p : problems) std::fprintf(stderr, "automation: %s\n", p.c_str());
        automationSlot() = script;
        backend = std::make_unique<AutomationBackend>(std::move(script));
    }
    return std::make_unique<DialogService>(std::move(backend), std::move(log));
}

}  // namespace platform
