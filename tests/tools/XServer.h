// Test helpers for the X11 tests: a private Xvfb server per test program, polling with a
// deadline, state probes through the server, and a utility program run as a child process.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace tools::testing {

// Starts Xvfb on a display number it picks itself (-displayfd), so parallel test runs never
// collide; stops it on destruction.
class XvfbServer {
public:
    XvfbServer();
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return m_pid > 0 && !m_display.empty(); }
    const std::string& display() const { return m_display; }  // ":N"
    const std::string& error() const { return m_error; }

private:
    pid_t m_pid = -1;
    std::string m_display;
    std::string m_error;
};

// Calls `condition` until it holds or `timeout` passes; true when it held.
bool pollUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));

// Lock state: the locked real modifiers, and the named indicator (-1 when unknown).
unsigned int lockedModifiers(Display* display);
int indicatorState(Display* display, const char* name);
unsigned int modifierOfKeysym(Display* display, unsigned long keysym);

std::vector<unsigned char> pointerMapping(Display* display);
void setPointerMapping(Display* display, const std::vector<unsigned char>& map);

// A top-level window with the given _NET_WM_WINDOW_TYPE atom; mapped when `map` is set
// (waits until it is viewable).
Window createTypedWindow(Display* display, const char* type, int x, int y, int width, int height,
                         bool map = true, Window parent = None);
int mapState(Display* display, Window window);

// True when the cursor image the server shows now has no visible pixel.
bool cursorIsBlank(Display* display);

void movePointer(Display* display, int x, int y);
void click(Display* display, unsigned int physicalButton);

std::string utf8Property(Display* display, Window window, const char* name);

// Asks the window to close as a window manager would (WM_DELETE_WINDOW).
void requestClose(Display* display, Window window);

// One of the utility programs started against the test's display.
class ProgramProcess {
public:
    ProgramProcess(const std::string& executable, const std::string& display);
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    pid_t pid() const { return m_pid; }
    // The program's viewable top-level window, once it is shown; None on timeout.
    Window waitForWindow(Display* display);
    // The window's top-left corner on the root window.
    void origin(Display* display, Window window, int& x, int& y) const;
    // Returns only after the program has handled every event sent to it before the call,
    // and the server has carried out every request it made while doing so.
    bool barrier(Display* display, Window window);
    // Asks the window to close as a window manager would; the exit code, or -1.
    int closeAndWait(Display* display, Window window);

private:
    bool ping(Display* display, Window window);

    pid_t m_pid = -1;
    long m_token = 0;
};

}  // namespace tools::testing
