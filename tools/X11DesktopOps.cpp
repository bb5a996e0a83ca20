// Lock keys are pressed through XTest so the server's own keyboard logic toggles the lock;
// where the keymap has no such key, or the key drives nothing (Scroll Lock on most X
// keymaps), the named indicator is switched through Xkb instead.
#include "tools/X11DesktopOps.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace tools {
namespace {

struct LockKeyInfo {
    unsigned long keysym;
    const char* indicator;
};

LockKeyInfo lockKeyInfo(LockKey key) {
    switch (key) {
    case LockKey::NumLock: return {XK_Num_Lock, "Num Lock"};
    case LockKey::CapsLock: return {XK_Caps_Lock, "Caps Lock"};
    case LockKey::ScrollLock: return {XK_Scroll_Lock, "Scroll Lock"};
    }
    return {XK_Num_Lock, "Num Lock"};
}

// Other clients' windows may vanish between listing and querying them; the default Xlib
// handler would end the program for that, so errors are swallowed while a trap is alive.
int ignoreError(Display*, XErrorEvent*) { return 0; }

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False);
        m_previous = XSetErrorHandler(ignoreError);
    }
    ~ErrorTrap() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

private:
    Display* m_display;
    XErrorHandler m_previous;
};

bool hasWindowType(Display* display, Window window, Atom typeProperty, Atom type) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, typeProperty, 0, 64, False, XA_ATOM, &actualType, &format, &count,
                           &after, &data) != Success) {
        return false;
    }
    bool found = false;
    if (data != nullptr && actualType == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const unsigned long*>(data);
        found = std::find(atoms, atoms + count, type) != atoms + count;
    }
    if (data != nullptr) {
        XFree(data);
    }
    return found;
}

std::vector<Window> childrenOf(Display* display, Window window) {
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    std::vector<Window> result;
    if (XQueryTree(display, window, &root, &parent, &children, &count) != 0 && children != nullptr) {
        result.assign(children, children + count);
        XFree(children);
    }
    return result;
}

std::vector<Window> clientList(Display* display, Window root) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::vector<Window> result;
    Atom property = XInternAtom(display, "_NET_CLIENT_LIST", False);
    if (XGetWindowProperty(display, root, property, 0, 4096, False, XA_WINDOW, &actualType, &format, &count,
                           &after, &data) == Success &&
        data != nullptr) {
        if (actualType == XA_WINDOW && format == 32) {
            const auto* windows = reinterpret_cast<const unsigned long*>(data);
            result.assign(windows, windows + count);
        }
        XFree(data);
    }
    return result;
}

}  // namespace

X11DesktopOps::X11DesktopOps(Display* display) : m_display(display) {
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    m_hasXTest = XTestQueryExtension(m_display, &event, &error, &major, &minor) != 0;
    int opcode = 0;
    major = XkbMajorVersion;
    minor = XkbMinorVersion;
    m_hasXkb = XkbQueryExtension(m_display, &opcode, &event, &error, &major, &minor) != 0;
}

X11DesktopOps::~X11DesktopOps() { XCloseDisplay(m_display); }

std::unique_ptr<X11DesktopOps> X11DesktopOps::open(const std::string& displayName) {
    Display* display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
    if (display == nullptr) {
        return nullptr;
    }
    return std::make_unique<X11DesktopOps>(display);
}

std::unique_ptr<DesktopOps> makeDesktopOps(const std::string& displayName) {
    if (auto ops = X11DesktopOps::open(displayName)) {
        return ops;
    }
    return std::make_unique<NullDesktopOps>();
}

void X11DesktopOps::toggleLock(LockKey key) {
    const LockKeyInfo info = lockKeyInfo(key);
    const int before = indicatorState(info.indicator);
    const unsigned int keycode = m_hasXTest ? findKeycode(info.keysym) : 0;
    if (keycode != 0) {
        XTestFakeKeyEvent(m_display, keycode, True, CurrentTime);
        XTestFakeKeyEvent(m_display, keycode, False, CurrentTime);
        XSync(m_display, False);
        if (before < 0 || indicatorState(info.indicator) != before) {
            return;
        }
    }
    if (before >= 0) {
        setIndicator(info.indicator, before == 0);
    }
}

// Asks the server for the current keymap rather than Xlib's cached copy, which a program
// that reads no events would never see updated.
unsigned int X11DesktopOps::findKeycode(unsigned long keysym) const {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(m_display, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    const int count = maxKeycode - minKeycode + 1;
    KeySym* map = XGetKeyboardMapping(m_display, static_cast<KeyCode>(minKeycode), count, &perKeycode);
    if (map == nullptr) {
        return 0;
    }
    unsigned int found = 0;
    for (int i = 0; i < count * perKeycode; ++i) {
        if (map[i] == keysym) {
            found = static_cast<unsigned int>(minKeycode + i / perKeycode);
            break;
        }
    }
    XFree(map);
    return found;
}

int X11DesktopOps::indicatorState(const char* name) const {
    if (!m_hasXkb) {
        return -1;
    }
    const Atom atom = XInternAtom(m_display, name, False);
    int index = 0;
    Bool state = False;
    if (!XkbGetNamedIndicator(m_display, atom, &index, &state, nullptr, nullptr)) {
        return -1;
    }
    return state ? 1 : 0;
}

// An indicator that shows a locked modifier cannot be set directly; locking the modifier
// switches both the lock and its light, as the key would have.
void X11DesktopOps::setIndicator(const char* name, bool on) {
    const Atom atom = XInternAtom(m_display, name, False);
    int index = 0;
    Bool state = False;
    XkbIndicatorMapRec map{};
    Bool real = False;
    if (!XkbGetNamedIndicator(m_display, atom, &index, &state, &map, &real)) {
        return;
    }
    const unsigned int mask = map.mods.mask;
    if (mask != 0 && (map.which_mods & (XkbIM_UseLocked | XkbIM_UseEffective)) != 0) {
        XkbLockModifiers(m_display, XkbUseCoreKbd, mask, on ? mask : 0);
    } else {
        XkbSetNamedIndicator(m_display, atom, True, on ? True : False, False, nullptr);
    }
    XSync(m_display, False);
}

std::vector<unsigned long> X11DesktopOps::windowsOfType(const char* typeName) const {
    ErrorTrap trap(m_display);
    const Atom typeProperty = XInternAtom(m_display, "_NET_WM_WINDOW_TYPE", False);
    const Atom type = XInternAtom(m_display, typeName, False);
    std::vector<Window> candidates;
    for (int screen = 0; screen < ScreenCount(m_display); ++screen) {
        const Window root = RootWindow(m_display, screen);
        // Unmapped clients sit directly under the root; mapped ones may sit inside a
        // window manager's frame, one level down, or be listed in the client list.
        for (Window top : childrenOf(m_display, root)) {
            candidates.push_back(top);
            for (Window child : childrenOf(m_display, top)) {
                candidates.push_back(child);
            }
        }
        for (Window client : clientList(m_display, root)) {
            candidates.push_back(client);
        }
    }
    std::vector<unsigned long> result;
    for (Window window : candidates) {
        if (std::find(result.begin(), result.end(), window) == result.end() &&
            hasWindowType(m_display, window, typeProperty, type)) {
            result.push_back(window);
        }
    }
    return result;
}

void X11DesktopOps::setShown(const char* typeName, bool shown) {
    const std::vector<unsigned long> windows = windowsOfType(typeName);
    ErrorTrap trap(m_display);
    for (Window window : windows) {
        if (shown) {
            XMapWindow(m_display, window);
            continue;
        }
        // Withdrawing as the client itself would tells a window manager to let go of it
        // instead of treating the unmap as iconification.
        XWindowAttributes attributes{};
        const int screen = XGetWindowAttributes(m_display, window, &attributes) != 0
                               ? XScreenNumberOfScreen(attributes.screen)
                               : DefaultScreen(m_display);
        XWithdrawWindow(m_display, window, screen);
    }
}

void X11DesktopOps::setDesktopShown(bool shown) { setShown("_NET_WM_WINDOW_TYPE_DESKTOP", shown); }

void X11DesktopOps::setPanelShown(bool shown) { setShown("_NET_WM_WINDOW_TYPE_DOCK", shown); }

void X11DesktopOps::setButtonsSwapped(bool swapped) {
    unsigned char map[256];
    const int count = XGetPointerMapping(m_display, map, sizeof map);
    if (count < 3) {
        return;
    }
    map[0] = swapped ? 3 : 1;
    map[2] = swapped ? 1 : 3;
    // The server refuses while either button is held; a click's release has normally been
    // processed by then, so a short wait covers the rare case of another button still down.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (XSetPointerMapping(m_display, map, count) != MappingBusy) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace tools
