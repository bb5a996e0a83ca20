#include "player/gui/AutomationDriver.h"

#include <QImage>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Json.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "runtime/Termination.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Clock.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"

namespace player {
namespace {

constexpr int kPollMs = 10;
constexpr int64_t kTargetTimeoutMs = 5000;

using platform::AutomationStep;
using vcl::TControl;
using vcl::TCustomForm;

std::string ansi(std::string_view utf8) { return base::CodePage::active().fromUtf8(utf8); }

// The first word of an argument and the rest after one space.
std::pair<std::string, std::string> splitFirst(std::string_view argument) {
    size_t space = argument.find(' ');
    if (space == std::string_view::npos) return {std::string(argument), {}};
    return {std::string(argument.substr(0, space)), std::string(argument.substr(space + 1))};
}

TCustomForm* findForm(std::string_view name) {
    for (TCustomForm* f : vcl::screen().forms())
        if (base::ansiSameText(f->name(), name)) return f;
    return nullptr;
}

// A component of the form, else an entry of a main form's own context menu (the form's
// components come first, so a project's names always win).
classes::TComponent* componentOf(TCustomForm& form, std::string_view name) {
    if (classes::TComponent* c = form.findComponent(name)) return c;
    auto* main = dynamic_cast<vcl::TAutorunForm*>(&form);
    return main && main->windowMenu() ? main->windowMenu()->findComponent(name) : nullptr;
}

// "FORM.NAME", or "NAME" looked up on the forms that show first, the active one before all.
classes::TComponent* findComponent(std::string_view target) {
    if (size_t dot = target.find('.'); dot != std::string_view::npos) {
        TCustomForm* form = findForm(target.substr(0, dot));
        return form ? componentOf(*form, target.substr(dot + 1)) : nullptr;
    }
    std::vector<TCustomForm*> order;
    if (TCustomForm* active = vcl::screen().activeForm()) order.push_back(active);
    for (bool shown : {true, false})
        for (TCustomForm* f : vcl::screen().forms())
            if (f->showing() == shown && f != vcl::screen().activeForm()) order.push_back(f);
    for (TCustomForm* f : order) {
        if (base::ansiSameText(f->name(), target)) return f;
        if (classes::TComponent* c = componentOf(*f, target)) return c;
    }
    return nullptr;
}

// A control a person could reach: shown, enabled, on an enabled window.
bool reachable(const TControl& c) {
    if (!c.showing()) return false;
    for (const TControl* p = &c; p; p = p->parent())
        if (!p->enabled()) return false;
    return true;
}

// Runs an action as the toolkit runs an event: an exception is the error box, not the end.
template <class F>
void guarded(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        vcl::application().handleException(e);
    }
}

void clickControl(TControl& c) {
    if (auto* button = dynamic_cast<vcl::TButtonControl*>(&c)) {
        button->handleClicked();
    } else if (c.controlStyle() & vcl::csClickEvents) {
        const int x = c.clientWidth() / 2, y = c.clientHeight() / 2;
        const auto alive = c.aliveToken();
        c.mouseDown(vcl::mbLeft, 1u << vcl::ssLeft, x, y);
        if (!alive.expired()) c.mouseUp(vcl::mbLeft, 0, x, y);
    } else {
        c.click();
    }
}

// One character typed into a focused control: the key events, then the edit takes it.
void typeChar(vcl::TWinControl& c, char ch) {
    const char taken = c.handleKeyPress(ch);
    auto* edit = dynamic_cast<vcl::TCustomEdit*>(&c);
    if (!taken || !edit || edit->readOnly()) return;
    std::string text = edit->text();
    size_t start = std::min<size_t>(static_cast<size_t>(std::max(0, edit->selStart())), text.size());
    size_t length =
        std::min<size_t>(static_cast<size_t>(std::max(0, edit->selLength())), text.size() - start);
    if (taken == '\b') {
        if (length == 0 && start > 0) --start, length = 1;
        text.erase(start, length);
    } else {
        if (edit->maxLength() > 0 && text.size() - length >= static_cast<size_t>(edit->maxLength())) return;
        text.replace(start, length, edit->applyCharCase(std::string(1, taken)));
        ++start;
    }
    edit->handleTextEdited(text);
    edit->setSelStart(static_cast<int>(start));
    edit->setSelLength(0);
}

char keyChar(int key, uint32_t shift) {
    if (key == 13) return '\r';
    if (key == 27) return 27;
    if (key == 9) return '\t';
    if (key == 8) return '\b';
    if (key == 32) return ' ';
    if (key >= '0' && key <= '9') return static_cast<char>(key);
    if (key >= 'A' && key <= 'Z') return static_cast<char>((shift & (1u << vcl::ssShift)) ? key : key + 32);
    return 0;
}

bool savePng(const pictures::Image& image, const std::string& file) {
    QImage q(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height,
             QImage::Format_ARGB32);
    return q.copy().save(QString::fromStdString(file), "PNG");
}

}  // namespace

AutomationDriver::AutomationDriver(std::shared_ptr<platform::AutomationScript> script)
    : m_script(std::move(script)) {}

AutomationDriver::~AutomationDriver() {
    if (m_timer) vcl::TimerService::active().stop(m_timer);
}

void AutomationDriver::start() {
    if (!m_timer) m_timer = vcl::TimerService::active().start(kPollMs, [this] { tick(); });
}

bool AutomationDriver::parseKey(std::string_view name, int& key, uint32_t& shift) {
    shift = 0;
    for (;;) {
        size_t plus = name.find('+');
        if (plus == std::string_view::npos || plus + 1 >= name.size()) break;
        std::string_view mod = name.substr(0, plus);
        if (base::asciiSameText(mod, "Shift"))
            shift |= 1u << vcl::ssShift;
        else if (base::asciiSameText(mod, "Ctrl"))
            shift |= 1u << vcl::ssCtrl;
        else if (base::asciiSameText(mod, "Alt"))
            shift |= 1u << vcl::ssAlt;
        else
            return false;
        name.remove_prefix(plus + 1);
    }
    static const std::pair<const char*, int> kNames[] = {
        {"Enter", 13},    {"Return", 13}, {"Escape", 27}, {"Esc", 27},   {"Tab", 9},   {"Space", 32},
        {"Backspace", 8}, {"Delete", 46}, {"Insert", 45}, {"Home", 36},  {"End", 35},  {"PageUp", 33},
        {"PageDown", 34}, {"Left", 37},   {"Up", 38},     {"Right", 39}, {"Down", 40},
    };
    for (const auto& [text, code] : kNames) {
        if (base::asciiSameText(name, text)) {
            key = code;
            return true;
        }
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
        key = std::toupper(static_cast<unsigned char>(name[0]));
        return true;
    }
    if (name.size() >= 2 && (name[0] == 'F' || name[0] == 'f')) {
        int n = std::atoi(std::string(name.substr(1)).c_str());
        if (n >= 1 && n <= 24 && std::to_string(n) == name.substr(1)) {
            key = 111 + n;
            return true;
        }
    }
    return false;
}

void AutomationDriver::tick() {
    vcl::TimerService& clock = vcl::TimerService::active();
    if (m_waitUntil > clock.nowMs()) return;
    if (m_script->empty()) {
        // Nothing can join the queue any more.
        clock.stop(m_timer);
        m_timer = 0;
        return;
    }
    if (m_script->hasAnswer()) {
        m_headSince = -1;
        return;
    }
    const AutomationStep& head = m_script->front();
    if (m_headSince < 0 || m_headLine != head.line) {
        m_headSince = clock.nowMs();
        m_headLine = head.line;
    }
    std::string problem;
    // Taken before it runs: the step's handlers may run nested event loops, in which the
    // following steps take their turn.
    AutomationStep step = head;
    if (!perform(step, problem)) {
        if (!problem.empty() && clock.nowMs() - m_headSince >= kTargetTimeoutMs) fail(step, problem);
        return;
    }
}

bool AutomationDriver::perform(const AutomationStep& step, std::string& problem) {
    auto take = [&] {
        m_script->take();
        m_headSince = -1;
        platform::dialogs().logEvent(
            base::JsonObject()
                .add("kind", "step")
                .add("line", step.line)
                .add("step", step.verb + (step.argument.empty() ? "" : " " + step.argument)));
    };
    if (step.verb == "wait") {
        char* end = nullptr;
        long ms = std::strtol(step.argument.c_str(), &end, 10);
        if (step.argument.empty() || *end || ms < 0) fail(step, "wait needs a number of milliseconds");
        take();
        m_waitUntil = vcl::TimerService::active().nowMs() + ms;
        return true;
    }
    auto [name, rest] = splitFirst(step.argument);
    if (name.empty()) fail(step, step.verb + " needs the name of a control");
    const std::string target = ansi(name);

    if (step.verb == "close" || step.verb == "screenshot") {
        TCustomForm* form = findForm(target);
        if (!form || !form->showing()) {
            problem = form ? "form \"" + name + "\" is not shown" : "no form named \"" + name + "\"";
            return false;
        }
        if (step.verb == "screenshot" && rest.empty()) fail(step, "screenshot needs a file name");
        take();
        if (step.verb == "close") {
            guarded([form] { form->close(); });
        } else if (!savePng(form->grab(), rest)) {
            fail(step, "cannot write \"" + rest + "\"");
        }
        return true;
    }

    classes::TComponent* component = findComponent(target);
    if (!component) {
        problem = "no control named \"" + name + "\"";
        return false;
    }
    if (auto* item = dynamic_cast<vcl::TMenuItem*>(component); item && step.verb == "click") {
        if (!item->enabled()) {
            problem = "menu item \"" + name + "\" is disabled";
            return false;
        }
        take();
        // From the event loop, not from this step: an entry that opens a modal dialog would
        // otherwise hold the driver inside its own tick, and the next step could never run.
        QTimer::singleShot(0, [target] {
            if (auto* again = dynamic_cast<vcl::TMenuItem*>(findComponent(target)))
                guarded([again] { again->click(); });
        });
        return true;
    }
    auto* control = dynamic_cast<TControl*>(component);
    if (!control) fail(step, "\"" + name + "\" is no control");
    if (!reachable(*control)) {
        problem = "control \"" + name + "\" is not shown or not enabled";
        return false;
    }
    if (step.verb == "click") {
        take();
        guarded([control] { clickControl(*control); });
        return true;
    }
    auto* window = dynamic_cast<vcl::TWinControl*>(control);
    if (!window) fail(step, "\"" + name + "\" takes no keys");
    if (step.verb == "type") {
        take();
        const std::string text = ansi(rest);
        guarded([window, &text] {
            window->setFocus();
            for (char ch : text) typeChar(*window, ch);
        });
        return true;
    }
    // key NAME KEY
    int key = 0;
    uint32_t shift = 0;
    if (!parseKey(rest, key, shift)) fail(step, "unknown key \"" + rest + "\"");
    take();
    guarded([window, key, shift] {
        window->setFocus();
        const auto alive = window->aliveToken();
        if (!window->handleKeyDown(key, shift)) {
            if (char ch = keyChar(key, shift); ch && !alive.expired()) typeChar(*window, ch);
        }
        if (!alive.expired()) window->handleKeyUp(key, shift);
    });
    return true;
}

void AutomationDriver::fail(const AutomationStep& step, const std::string& problem) {
    const std::string where = "line " + std::to_string(step.line) + ": " + step.verb + " " + step.argument;
    std::fprintf(stderr, "automation: %s: %s\n", where.c_str(), problem.c_str());
    platform::dialogs().logEvent(base::JsonObject()
                                     .add("kind", "automation")
                                     .add("line", step.line)
                                     .add("step", step.verb + " " + step.argument)
                                     .add("error", problem));
    runtime::ExitProcess(kExitAutomationFailed);
}

}  // namespace player
