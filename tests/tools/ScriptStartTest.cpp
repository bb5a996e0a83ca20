// The utility programs started from a script by their ".exe" names, as projects start them,
// with their windows found on a private X server and closed again.
// The script engine's headers go before Xlib's, whose macros (Bool, None) clash with them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "library/IFSI_Conventions.h"
#include "library/IFSI_Shell.h"
#include "library/IFSI_Strings.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "script/Imports.h"
#include "tests/script/ScriptSession.h"

#include "tests/tools/X11Fixture.h"

#include <X11/Xatom.h>

namespace fs = std::filesystem;

namespace tools::testing {
namespace {

const fs::path kTools = fs::path(VANTREL_BINARY_DIR) / "tools";

// The viewable top-level window with that title, and the process that shows it.
struct Found {
    Window window = None;
    long pid = 0;
};

Found findWindow(Display* display, const std::string& title) {
    Found found;
    Window root = None;
    Window parent = None;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    for (unsigned int i = 0; i < count && found.window == None; ++i) {
        if (mapState(display, children[i]) != IsViewable ||
            utf8Property(display, children[i], "_NET_WM_NAME") != title)
            continue;
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                               &items, &after, &data) == Success &&
            data != nullptr) {
            if (items == 1) found = {children[i], *reinterpret_cast<const long*>(data)};
            XFree(data);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

fs::path programOf(long pid) {
    std::error_code ec;
    return fs::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
}

class ScriptStart : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        // Our own process stays headless; the programs it starts go to the test's server.
        for (const char* name : {"DISPLAY", "QT_QPA_PLATFORM", "LSAN_OPTIONS"}) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        setenv("DISPLAY", displayName().c_str(), 1);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        if (!std::getenv("LSAN_OPTIONS"))
            setenv(
                "LSAN_OPTIONS",
                (std::string("suppressions=") + VANTREL_SOURCE_DIR + "/tests/lsan.supp:print_suppressions=0")
                    .c_str(),
                1);
        m_helpers.routine("function Tools: string;", [] { return platform::windowsPath(kTools); });
        m_session.tables.push_back(&library::conventionImports());
        m_session.tables.push_back(&library::stringImports());
        m_session.tables.push_back(&library::shellImports());
        m_session.tables.push_back(&m_helpers);
    }
    void TearDown() override {
        platform::setMessagePump(nullptr);
        for (const auto& [name, value] : m_saved)
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        X11Test::TearDown();
    }

    script::Imports m_helpers;
    ScriptSession m_session;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(ScriptStart, UtilityProgramsStartByTheirExeNamesAndShowTheirWindows) {
    ASSERT_TRUE(m_session.run(R"(
var E: Integer;
begin
  if ShellExec(Tools + '\keyboard.exe', '', '', 1, E) then Log('keyboard');
  if ShellExec(Tools + '\Desktop.EXE', '', Tools, 1, E) then Log('desktop');
  if AppExec(Tools + '\mouse.exe', '', 1) then Log('mouse');
  E := 0;
  if not ShellExec(Tools + '\trackball.exe', '', '', 1, E) then Log('trackball ' + IntToStr(E));
end.
)")) << m_session.error;
    EXPECT_EQ(m_session.log, "keyboard\ndesktop\nmouse\ntrackball 2\n");

    // Each window belongs to the native program beside the ".exe" name.
    const std::pair<const char*, const char*> programs[] = {
        {"keyboard", "Клавиатура"}, {"desktop", "Работен Плот"}, {"mouse", "Мишка"}};
    std::vector<Found> windows;
    for (const auto& program : programs) {
        const char* name = program.first;
        const std::string title = program.second;
        Found f;
        EXPECT_TRUE(pollUntil([&] { return (f = findWindow(display(), title)).window != None; }))
            << name << " showed no window";
        if (f.window == None) continue;
        EXPECT_EQ(programOf(f.pid), kTools / name);
        windows.push_back(f);
    }
    // Closed, they end; the player reaps them, so none is left behind.
    for (const Found& f : windows) requestClose(display(), f.window);
    for (const Found& f : windows)
        EXPECT_TRUE(pollUntil([&] { return !fs::exists("/proc/" + std::to_string(f.pid)); })) << f.pid;
}

TEST_F(ScriptStart, AWaitingStartSeesTheWindowAndTheCleanExit) {
    // The message pump runs while the script waits: it closes the window once it shows.
    bool closed = false;
    platform::setMessagePump([&] {
        if (closed) return;
        const Found f = findWindow(display(), "Клавиатура");
        if (f.window == None) return;
        requestClose(display(), f.window);
        closed = true;
    });
    ASSERT_TRUE(m_session.run(R"(
var R: Integer;
begin
  R := -1;
  if FileExecEx(Tools + '\KEYBOARD.exe', False, True, R) then Log('exit ' + IntToStr(R));
end.
)")) << m_session.error;
    EXPECT_TRUE(closed);
    EXPECT_EQ(m_session.log, "exit 0\n");
}

}  // namespace
}  // namespace tools::testing
