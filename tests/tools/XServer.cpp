// Xvfb start-up, probes and the child-process driver used by the X11 tests.
#include "tests/tools/XServer.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tools::testing {
namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
            posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(const_cast<char*>(arg.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : env) {
        envp.push_back(const_cast<char*>(entry.c_str()));
    }
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0].c_str(), actions, nullptr, argv.data(), envp.data()) != 0) {
        return -1;
    }
    return pid;
}

// The current environment with the named variables replaced.
std::vector<std::string> environmentWith(const std::vector<std::string>& overrides) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        bool replaced = false;
        for (const std::string& override : overrides) {
            const std::string key = override.substr(0, override.find('=') + 1);
            replaced = replaced || text.compare(0, key.size(), key) == 0;
        }
        if (!replaced) {
            env.push_back(text);
        }
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

int waitExit(pid_t pid, std::chrono::milliseconds timeout) {
    int status = 0;
    const bool ended = pollUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, timeout);
    if (!ended) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

XvfbServer::XvfbServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        m_error = "pipe failed";
        return;
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    m_pid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset", "-screen",
                   "0", "1024x768x24"},
                  environmentWith({}), &actions);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (m_pid <= 0) {
        m_error = "cannot start Xvfb";
        close(fds[0]);
        return;
    }
    // Xvfb writes the display number and a newline once it accepts connections.
    std::string number;
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < deadline && number.find('\n') == std::string::npos) {
        pollfd p{fds[0], POLLIN, 0};
        if (poll(&p, 1, 100) > 0) {
            char buffer[32];
            const ssize_t got = read(fds[0], buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            number.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        m_error = "Xvfb did not report its display";
        return;
    }
    number.resize(number.find('\n'));
    m_display = ':';
    m_display += number;
}

XvfbServer::~XvfbServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        if (waitExit(m_pid, std::chrono::seconds(5)) < 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
}

bool pollUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

unsigned int lockedModifiers(Display* display) {
    XkbStateRec state{};
    XkbGetState(display, XkbUseCoreKbd, &state);
    return state.locked_mods;
}

int indicatorState(Display* display, const char* name) {
    Bool state = False;
    int index = 0;
    if (!XkbGetNamedIndicator(display, XInternAtom(display, name, False), &index, &state, nullptr, nullptr)) {
        return -1;
    }
    return state ? 1 : 0;
}

unsigned int modifierOfKeysym(Display* display, unsigned long keysym) {
    return XkbKeysymToModifiers(display, keysym);
}

std::vector<unsigned char> pointerMapping(Display* display) {
    unsigned char map[256];
    const int count = XGetPointerMapping(display, map, sizeof map);
    return {map, map + count};
}

void setPointerMapping(Display* display, const std::vector<unsigned char>& map) {
    std::vector<unsigned char> copy = map;
    XSetPointerMapping(display, copy.data(), static_cast<int>(copy.size()));
    XSync(display, False);
}

Window createTypedWindow(Display* display, const char* type, int x, int y, int width, int height, bool map,
                         Window parent) {
    if (parent == None) {
        parent = DefaultRootWindow(display);
    }
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, DefaultScreen(display));
    const Window window =
        XCreateWindow(display, parent, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
                      CopyFromParent, InputOutput, CopyFromParent, CWBackPixel, &attributes);
    const Atom typeAtom = XInternAtom(display, type, False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&typeAtom), 1);
    if (map) {
        XMapWindow(display, window);
        XSync(display, False);
        pollUntil([&] { return mapState(display, window) == IsViewable; });
    }
    XSync(display, False);
    return window;
}

int mapState(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return -1;
    }
    return attributes.map_state;
}

bool cursorIsBlank(Display* display) {
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) {
        return false;
    }
    bool blank = true;
    for (int i = 0; i < image->width * image->height; ++i) {
        if ((image->pixels[i] & 0xFF000000UL) != 0) {
            blank = false;
            break;
        }
    }
    XFree(image);
    return blank;
}

void movePointer(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XSync(display, False);
}

void click(Display* display, unsigned int physicalButton) {
    XTestFakeButtonEvent(display, physicalButton, True, CurrentTime);
    XTestFakeButtonEvent(display, physicalButton, False, CurrentTime);
    XSync(display, False);
}

std::string utf8Property(Display* display, Window window, const char* name) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    std::string text;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                           &data) == Success &&
        data != nullptr) {
        text.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    return text;
}

ProgramProcess::ProgramProcess(const std::string& executable, const std::string& display) {
    // The programs are ASan builds in the sanitizer flavour; Qt keeps some allocations to
    // the end by design, which the shared suppression list covers.
    std::vector<std::string> overrides = {"DISPLAY=" + display, "QT_QPA_PLATFORM=xcb"};
    if (getenv("LSAN_OPTIONS") == nullptr) {
        overrides.push_back(std::string("LSAN_OPTIONS=suppressions=") + VANTREL_SOURCE_DIR +
                            "/tests/lsan.supp:print_suppressions=0");
    }
    m_pid = spawn({executable}, environmentWith(overrides), nullptr);
}

ProgramProcess::~ProgramProcess() {
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

Window ProgramProcess::waitForWindow(Display* display) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Window found = None;
    pollUntil(
        [&] {
            Window root = None;
            Window parent = None;
            Window* children = nullptr;
            unsigned int count = 0;
            XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
            for (unsigned int i = 0; i < count && found == None; ++i) {
                Atom type = None;
                int format = 0;
                unsigned long items = 0;
                unsigned long after = 0;
                unsigned char* data = nullptr;
                if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                                       &format, &items, &after, &data) == Success &&
                    data != nullptr) {
                    if (items == 1 &&
                        *reinterpret_cast<const unsigned long*>(data) == static_cast<unsigned long>(m_pid) &&
                        mapState(display, children[i]) == IsViewable) {
                        found = children[i];
                    }
                    XFree(data);
                }
            }
            if (children != nullptr) {
                XFree(children);
            }
            return found != None;
        },
        std::chrono::seconds(20));
    return found;
}

void ProgramProcess::origin(Display* display, Window window, int& x, int& y) const {
    Window child = None;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
}

// The program answers a window manager's ping on its own connection. The first answer can
// overtake input that Qt has queued but not yet delivered; the second cannot, since it is
// handled only after that delivery and the requests it made are ahead of it on the wire.
bool ProgramProcess::barrier(Display* display, Window window) {
    return ping(display, window) && ping(display, window);
}

bool ProgramProcess::ping(Display* display, Window window) {
    const Window root = DefaultRootWindow(display);
    // Window managers get the answer through substructure redirection on the root; Qt also
    // sends it to structure listeners, which any client may be.
    XSelectInput(display, root, StructureNotifyMask | SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom pingAtom = XInternAtom(display, "_NET_WM_PING", False);
    const long token = ++m_token + 1000;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(pingAtom);
    event.xclient.data.l[1] = token;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return pollUntil([&] {
        while (XPending(display) > 0) {
            XEvent reply{};
            XNextEvent(display, &reply);
            if (reply.type == ClientMessage && reply.xclient.message_type == protocols &&
                static_cast<Atom>(reply.xclient.data.l[0]) == pingAtom && reply.xclient.data.l[1] == token) {
                return true;
            }
        }
        return false;
    });
}

void requestClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

int ProgramProcess::closeAndWait(Display* display, Window window) {
    requestClose(display, window);
    const int code = waitExit(m_pid, std::chrono::seconds(20));
    if (code >= 0) {
        m_pid = -1;
    }
    return code;
}

}  // namespace tools::testing
