// The shell family on real children, a recording opener first on PATH, special folders
// under a temporary HOME, desktop entries and shared counts in a private registry, and the
// family called from a script whose timer handler runs while it waits for a program.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "base/Error.h"
#include "library/IFSI_Conventions.h"
#include "library/IFSI_Shell.h"
#include "library/IFSI_Strings.h"
#include "library/Shell.h"
#include "library/SystemMessages.h"
#include "platform/EventPump.h"
#include "platform/Modules.h"
#include "platform/Paths.h"
#include "platform/PendingRenames.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsVersion.h"
#include "runtime/ProcessState.h"
#include "script/Imports.h"
#include "tests/script/ScriptSession.h"
#include "vcl/Clock.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"

namespace fs = std::filesystem;
using namespace library;

namespace {

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Shell : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("vantrel-shell-" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        for (const char* name : {"PATH", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) saveEnv(name);
        setenv("PATH", ((dir / "bin").string() + ":" + savedEnv[0].second.value_or("/usr/bin:/bin")).c_str(),
               1);
        setenv("HOME", (dir / "home").c_str(), 1);
        unsetenv("XDG_CONFIG_HOME");
        setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
        // The opener stand-in: records its arguments, starts nothing.
        program("bin/xdg-open", "printf '%s|%s\\n' \"$#\" \"$1\" >> '" + (dir / "opened.txt").string() + "'");
        platform::setRegistry(platform::RegistryStore::openInMemory());
    }
    void TearDown() override {
        platform::setMessagePump(nullptr);
        platform::setRegistry(nullptr);
        fs::remove_all(dir);
        for (const auto& [name, value] : savedEnv)
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
    }
    void saveEnv(const char* name) {
        const char* value = std::getenv(name);
        savedEnv.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
    fs::path program(const std::string& name, const std::string& body) {
        fs::path p = dir / name;
        std::ofstream(p) << "#!/bin/sh\n" << body << "\n";
        fs::permissions(p, fs::perms::owner_all);
        return p;
    }
    std::string win(const fs::path& p) { return platform::windowsPath(p); }
    // The opener runs detached; its lines arrive when it is done.
    std::string opened(size_t lines) {
        std::string text;
        for (int i = 0; i < 300; ++i) {
            text = readText(dir / "opened.txt");
            if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines) break;
            usleep(10000);
        }
        return text;
    }

    fs::path dir;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv;
};

TEST_F(Shell, ShellExecReportsRealFailures) {
    int32_t e = 0;
    EXPECT_FALSE(shellExec(win(dir / "nonexistent.exe"), "", "", 1, e));
    EXPECT_EQ(e, 2);
    EXPECT_FALSE(shellExec(win(dir / "nofolder" / "x.exe"), "", "", 1, e));
    EXPECT_EQ(e, 3);
    std::ofstream(dir / "plain.exe") << "not a program";
    EXPECT_FALSE(shellExec(win(dir / "plain.exe"), "", "", 1, e));
    EXPECT_EQ(e, 5);
    std::ofstream(dir / "win32.exe") << "MZ\x90";
    EXPECT_FALSE(shellExec(win(dir / "win32.exe"), "", "", 1, e));
    EXPECT_EQ(e, 11);
    e = -1;
    program("tool", "exit 0");
    EXPECT_TRUE(shellExec(win(dir / "tool.exe"), "a", "", 1, e));
    EXPECT_EQ(e, -1);  // untouched on success
}

TEST_F(Shell, DocumentsAndAddressesGoToTheOpenerAsOneArgument) {
    std::ofstream(dir / "read me.txt") << "x";
    int32_t e = 0;
    EXPECT_TRUE(shellExec(win(dir / "read me.txt"), "", "", 1, e));
    EXPECT_TRUE(shellExec("read me.txt", "", win(dir), 1, e));  // a bare name in the working folder
    EXPECT_TRUE(appExec("http://example.org/?q=a b", "", 1));
    startNewBrowserWindow("calc.exe & rm -rf x");  // never a command line
    startNewBrowserWindow("mailto:someone@example.org");
    // The openers run side by side, so their lines may come in any order.
    std::vector<std::string> lines;
    std::istringstream in(opened(4));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "1|" + (dir / "read me.txt").string(), "1|" + (dir / "read me.txt").string(),
                         "1|http://example.org/?q=a b", "1|mailto:someone@example.org"}));
    setenv("PATH", "/nonexistent", 1);
    EXPECT_FALSE(shellExec(win(dir / "read me.txt"), "", "", 1, e));
    EXPECT_EQ(e, 31);
}

TEST_F(Shell, FileExecExWaitsAndGivesTheExitCode) {
    program("tool", "[ \"$1\" = 'two words' ] && exit 9; exit 1");
    int32_t code = -1;
    EXPECT_TRUE(fileExecEx(win(dir / "tool.exe") + " \"two words\"", false, false, code));
    EXPECT_EQ(code, 9);
    code = -1;
    EXPECT_FALSE(fileExecEx(win(dir / "absent.exe"), false, true, code));
    EXPECT_EQ(code, -1);
    EXPECT_TRUE(fileExec(win(dir / "tool.exe"), true, true));
}

TEST_F(Shell, SpecialFoldersFollowHomeAndXdgAndAreNeverCreated) {
    const std::string home = win(dir / "home");
    EXPECT_EQ(getSpecialFolder(dwspfAppData), home + "\\.config\\");
    EXPECT_EQ(getSpecialFolder(dwspfLocalAppData), win(dir / "data") + "\\");
    EXPECT_EQ(getSpecialFolder(dwspfStartUp), home + "\\.config\\autostart\\");
    EXPECT_EQ(getSpecialFolder(dwspfPrograms), win(dir / "data" / "applications") + "\\");
    EXPECT_EQ(getSpecialFolder(dwspfFonts), win(dir / "data" / "fonts") + "\\");
    EXPECT_EQ(getSpecialFolder(dwspfDesktop), home + "\\Desktop\\");
    EXPECT_EQ(getSpecialFolder(dwspfRecent), "");  // no meaning here, and never "\"
    EXPECT_EQ(getSpecialFolder(dwspfRecycleBin), "");
    EXPECT_EQ(getSpecialFolder(dwspfWindows).back(), '\\');
    EXPECT_FALSE(fs::exists(dir / "home"));
    EXPECT_EQ(specialFolderToCSIDL(dwspfAdminTools), 48);
    EXPECT_EQ(specialFolderToCSIDL(dwspfDesktop), 0);
    EXPECT_EQ(specialFolderToCSIDL(dwspfWindows), 36);
    EXPECT_EQ(specialFolderToCSIDL(dwspfStartUp), 7);

    platform::registry().deleteValue(platform::RegistryRoot::LocalMachine,
                                     "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    EXPECT_EQ(getProgramFilesPath(), "");
    EXPECT_EQ(getSpecialFolder(dwspfProgramFiles), "");
    platform::registry().setValue(platform::RegistryRoot::LocalMachine,
                                  "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                                  platform::RegistryValue::string("D:\\Apps"));
    EXPECT_EQ(getProgramFilesPath(), "D:\\Apps");
    EXPECT_EQ(getSpecialFolder(dwspfProgramFiles), "D:\\Apps\\");
}

TEST_F(Shell, ShortcutsAreDesktopEntries) {
    program("my tool", "exit 0");
    fs::create_directories(dir / "links");
    ASSERT_TRUE(createShellLink(win(dir / "links" / "My Tool.lnk"), "Starts\\the tool",
                                win(dir / "my tool.exe"), "-x \"100% sure\" $HOME", win(dir),
                                win(dir / "tool.ico"), 0, 1, 0));
    EXPECT_FALSE(fs::exists(dir / "links" / "My Tool.lnk"));
    EXPECT_EQ(readText(dir / "links" / "My Tool.desktop"),
              "[Desktop Entry]\nType=Application\nName=My Tool\nComment=Starts\\\\the tool\n"
              "Exec=\"" +
                  (dir / "my tool").string() +
                  "\" -x \"100%% sure\" \"\\\\$HOME\"\n"
                  "Path=" +
                  dir.string() + "\nIcon=" + (dir / "tool.ico").string() + "\nTerminal=false\n");
    std::ofstream(dir / "doc.pdf") << "%PDF";
    ASSERT_TRUE(
        createShellLink(win(dir / "links" / "Doc.lnk"), "", win(dir / "doc.pdf"), "", "", "", 0, 1, 0));
    EXPECT_NE(
        readText(dir / "links" / "Doc.desktop").find("\nExec=xdg-open " + (dir / "doc.pdf").string() + "\n"),
        std::string::npos);
}

TEST_F(Shell, SharedCountsKeepTheirType) {
    const auto root = platform::RegistryRoot::LocalMachine;
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
    EXPECT_THROW(decrementSharedCount("C:\\a.dll"), base::ScriptError);  // no key yet
    incrementSharedCount("C:\\a.dll", true);
    EXPECT_EQ(platform::registry().value(root, key, "C:\\a.dll"), platform::RegistryValue::dword(2));
    EXPECT_FALSE(decrementSharedCount("C:\\a.dll"));
    EXPECT_TRUE(decrementSharedCount("C:\\a.dll"));
    EXPECT_FALSE(platform::registry().value(root, key, "C:\\a.dll"));
    EXPECT_FALSE(decrementSharedCount("C:\\a.dll"));  // missing: nothing changes

    platform::registry().setValue(root, key, "C:\\s.dll", platform::RegistryValue::string("4"));
    incrementSharedCount("C:\\s.dll", false);
    EXPECT_EQ(platform::registry().value(root, key, "C:\\s.dll"), platform::RegistryValue::string("5"));
    platform::registry().setValue(root, key, "C:\\b.dll",
                                  platform::RegistryValue::binary(std::string("\x03\x00", 2)));
    incrementSharedCount("C:\\b.dll", false);
    EXPECT_EQ(platform::registry().value(root, key, "C:\\b.dll"),
              platform::RegistryValue::binary(std::string("\x04\x00", 2)));
    platform::registry().setValue(root, key, "C:\\x.dll", platform::RegistryValue::binary("12345"));
    EXPECT_FALSE(decrementSharedCount("C:\\x.dll"));  // unreadable: left alone
    EXPECT_TRUE(platform::registry().value(root, key, "C:\\x.dll"));
}

TEST_F(Shell, ReplacementsWaitForTheNextStart) {
    std::ofstream(dir / "new.dll") << "new";
    std::ofstream(dir / "old.dll") << "old";
    std::ofstream(dir / "gone.tmp") << "x";
    restartReplace(win(dir / "new.dll"), win(dir / "old.dll"));
    restartReplace(win(dir / "gone.tmp"), "");
    restartReplace(win(dir / "never.tmp"), win(dir / "x.dll"));  // fails then, dropped
    EXPECT_EQ(readText(dir / "old.dll"), "old");                 // nothing happens before the restart
    EXPECT_EQ(platform::applyPendingRenames(), 2u);
    EXPECT_EQ(readText(dir / "old.dll"), "new");
    EXPECT_FALSE(fs::exists(dir / "new.dll"));
    EXPECT_FALSE(fs::exists(dir / "gone.tmp"));
    EXPECT_EQ(platform::applyPendingRenames(), 0u);  // done once
    EXPECT_THROW(restartReplace("\\\\server\\share\\a", ""), base::ScriptError);
}

TEST_F(Shell, FontsAreAddedForThisProcessFromThePlayersFolder) {
    const fs::path font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!fs::exists(font)) GTEST_SKIP() << "no DejaVu font installed";
    const fs::path exe = runtime::state().executable();
    runtime::state().setExecutable(dir / "vantrel");
    fs::copy_file(font, dir / "Face.ttf");
    std::ofstream(dir / "broken.ttf") << "not a font";
    EXPECT_TRUE(fontAdd("Face.ttf"));
    EXPECT_FALSE(fontAdd("broken.ttf"));
    EXPECT_FALSE(fontAdd("absent.ttf"));
    EXPECT_TRUE(fontRemove(win(dir / "Face.ttf")));
    EXPECT_FALSE(fontRemove("Face.ttf"));  // already gone
    runtime::state().setExecutable(exe);
}

TEST_F(Shell, ServersAndTypeLibrariesFailAsTheLoaderDoes) {
    std::ofstream(dir / "server.dll") << "MZ";
    auto message = [](auto&& call) {
        try {
            call();
        } catch (const base::ScriptError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { registerServer(win(dir / "server.dll"), true); }),
              win32ErrorMessage("LoadLibrary", 193));
    EXPECT_EQ(message([&] { registerServer(win(dir / "absent.dll"), false); }),
              win32ErrorMessage("LoadLibrary", 126));
    EXPECT_FALSE(unregisterServer(win(dir / "server.dll"), true));
    EXPECT_EQ(message([&] { registerTypeLibrary(win(dir / "server.dll")); }),
              "LoadTypeLib failed; code 80029C4A");
    EXPECT_EQ(message([&] { registerTypeLibrary(win(dir / "absent.tlb")); }),
              "LoadTypeLib failed; code 80030002");
}

TEST_F(Shell, AssociatedProgramFromTheClassesRoot) {
    const auto root = platform::RegistryRoot::ClassesRoot;
    platform::registry().setValue(root, ".txt", "", platform::RegistryValue::string("txtfile"));
    platform::registry().setValue(root, "txtfile\\shell\\open\\command", "",
                                  platform::RegistryValue::string("\"C:\\Apps\\Edit.exe\"  %1"));
    EXPECT_EQ(getAssociatedProgram("txt"), "C:\\Apps\\Edit.exe");
    platform::registry().setValue(root, ".abc\\shell\\open\\command", "",
                                  platform::RegistryValue::string("C:\\viewer.exe /open %1"));
    EXPECT_EQ(getAssociatedProgram("abc"), "C:\\viewer.exe /open");
    EXPECT_EQ(getAssociatedProgram("none"), "");
}

TEST_F(Shell, AssociatedProgramFromTheDesktopWhenNoneIsRegistered) {
    saveEnv("XDG_DATA_DIRS");
    setenv("XDG_DATA_DIRS", (dir / "system").c_str(), 1);
    fs::create_directories(dir / "system" / "mime");
    fs::create_directories(dir / "data" / "applications");
    fs::create_directories(dir / "home" / ".config");
    std::ofstream(dir / "system" / "mime" / "globs2") << "# comment\n10:text/x-low:*.zep\n"
                                                      << "60:application/x-zep:*.ZEP\n50:text/plain:*.txt\n";
    std::ofstream(dir / "home" / ".config" / "mimeapps.list")
        << "[Added Associations]\napplication/x-zep=wrong.desktop;\n"
        << "[Default Applications]\napplication/x-zep=viewer.desktop;other.desktop;\n";
    std::ofstream(dir / "data" / "applications" / "viewer.desktop")
        << "[Desktop Entry]\nType=Application\nExec=zepview --open %f\n";
    const fs::path viewer = program("bin/zepview", "exit 0");
    EXPECT_EQ(getAssociatedProgram("zep"), win(viewer));
    EXPECT_EQ(getAssociatedProgram("txt"), "");  // a type without a default application
    EXPECT_EQ(getAssociatedProgram(""), "");
}

TEST_F(Shell, ScriptTimerRunsWhileAProgramIsAwaited) {
    program("slow", "sleep 0.3; exit 4");
    vcl::ManualClock clock;
    vcl::TimerService::setActive(&clock);
    platform::setMessagePump([&] { clock.advance(10); });
    vcl::TTimer timer(nullptr);
    timer.setEnabled(false);
    script::Imports helpers;
    helpers.classType(vcl::TTimer::staticClass()).routine("function Slow: string;", [this] {
        return win(dir / "slow.exe");
    });
    ScriptSession session;
    session.tables.push_back(&library::conventionImports());
    session.tables.push_back(&library::stringImports());
    session.tables.push_back(&library::shellImports());
    session.tables.push_back(&helpers);
    session.global("Timer1", "TTimer", &timer);
    const bool ok = session.run(R"(
var Ticks, R: Integer;
procedure Tick(Sender: TObject);
begin
  Ticks := Ticks + 1;
  if Ticks = 2 then Log('ticked twice');
end;
begin
  Timer1.Interval := 20;
  Timer1.OnTimer := @Tick;
  Timer1.Enabled := True;
  if FileExecEx(Slow + ' x', False, False, R) then Log('exit ' + IntToStr(R));
  Timer1.Enabled := False;
  if Ticks > 5 then Log('many ticks');
  if GetEnv('HOME') <> '' then Log('home');
  Log(IntToStr(SpecialFolderToCSIDL(dwspfFonts)));
end.
)");
    vcl::TimerService::setActive(nullptr);
    ASSERT_TRUE(ok) << session.error;
    EXPECT_EQ(session.log, "ticked twice\nexit 4\nmany ticks\nhome\n20\n");
}

TEST_F(Shell, ModulesAreHandlesIntoATableOfLoadedLibraries) {
    const fs::path lib = VANTREL_TESTLIB;
    const int32_t h = safeLoadLibrary(win(lib), 0);
    ASSERT_NE(h, 0);
    EXPECT_EQ(h % 4, 0);
    EXPECT_NE(platform::moduleSymbol(h, "add_ints"), nullptr);
    EXPECT_EQ(platform::moduleSymbol(h, "no_such_symbol"), nullptr);
    EXPECT_EQ(safeLoadLibrary(win(lib), 32769), h) << "a library already loaded keeps its handle";
    // Made-up handles find nothing.
    for (int32_t made : {0, 1, h + 4, h - 4, -h})
        EXPECT_EQ(platform::moduleSymbol(made, "add_ints"), nullptr);

    // "name.dll" finds its native twin "name.so" beside it.
    fs::copy_file(lib, dir / "plugin.so");
    const int32_t twin = safeLoadLibrary(win(dir / "plugin.dll"), 0);
    ASSERT_NE(twin, 0);
    EXPECT_NE(platform::moduleSymbol(twin, "greeting"), nullptr);

    std::ofstream(dir / "windows.dll") << "MZ\x90\0";
    EXPECT_EQ(safeLoadLibrary(win(dir / "windows.dll"), 0), 0);
    EXPECT_EQ(safeLoadLibrary(win(dir / "missing.dll"), 0), 0);
    EXPECT_EQ(safeLoadLibrary("", 0), 0);
}

TEST_F(Shell, FontEntriesGoFromTheProfileOrTheRegistryByFamily) {
    // The NT family keeps fonts in win.ini's "Fonts" section; its other lines stay.
    const fs::path winIni = platform::windowsFolder() / "win.ini";
    std::error_code ec;
    fs::create_directories(winIni.parent_path(), ec);
    const bool hadIni = fs::exists(winIni);
    const std::string oldIni = hadIni ? readText(winIni) : std::string();
    std::ofstream(winIni, std::ios::binary) << "[Fonts]\r\nDemo (TrueType)=demo.ttf\r\nOther=o.ttf\r\n";
    platform::WindowsVersion nt;
    platform::setWindowsVersion(nt);
    unregisterFont("DEMO (TrueType)", "demo.ttf");
    const std::string after = readText(winIni);
    if (hadIni)
        std::ofstream(winIni, std::ios::binary) << oldIni;
    else
        fs::remove(winIni, ec);
    EXPECT_EQ(after, "[Fonts]\r\nOther=o.ttf\r\n");

    // The older family keeps them in the registry.
    platform::WindowsVersion old;
    old.major = 4;
    old.minor = 10;
    old.platformId = 1;
    platform::setWindowsVersion(old);
    platform::RegistryStore& reg = platform::registry();
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    reg.setValue(platform::RegistryRoot::LocalMachine, key, "Demo",
                 platform::RegistryValue::string("demo.ttf"));
    reg.setValue(platform::RegistryRoot::LocalMachine, key, "Other",
                 platform::RegistryValue::string("o.ttf"));
    unregisterFont("Demo", "demo.ttf");
    platform::setWindowsVersion(std::nullopt);
    EXPECT_FALSE(reg.value(platform::RegistryRoot::LocalMachine, key, "Demo").has_value());
    EXPECT_TRUE(reg.value(platform::RegistryRoot::LocalMachine, key, "Other").has_value());
}

TEST_F(Shell, OwnFormsStandForTheDesktopsWindowsInAScript) {
    vcl::TForm shown(nullptr);
    vcl::TForm hidden(nullptr);
    vcl::TForm maximised(nullptr);
    shown.show();
    maximised.setWindowState(vcl::wsMaximized);
    maximised.show();
    script::Imports helpers;
    helpers.routine("function TestLib: string;", [this] { return win(VANTREL_TESTLIB); });
    ScriptSession session;
    session.tables.push_back(&library::conventionImports());
    session.tables.push_back(&library::stringImports());
    session.tables.push_back(&library::shellImports());
    session.tables.push_back(&helpers);
    const bool ok = session.run(R"(
var H: Integer;
begin
  if AppIsResponding('tform', 100) then Log('a form answers');
  if AppIsResponding('TApplication', 0) then Log('the application answers');
  if not AppIsResponding('TNoSuchWindow', 100) then Log('no such window');
  MinimizeAllWindows;
  H := SafeLoadLibrary(TestLib, 0);
  if (H <> 0) and (SafeLoadLibrary(TestLib, 1) = H) then Log('one module');
  Log(IntToStr(SafeLoadLibrary('no-such-library.dll', 0)));
  UnregisterFont('No Such Font', 'no-such-font.ttf');
  Log('done');
end.
)");
    ASSERT_TRUE(ok) << session.error;
    EXPECT_EQ(session.log, "a form answers\nthe application answers\nno such window\none module\n0\ndone\n");
    EXPECT_EQ(shown.windowState(), vcl::wsMinimized);
    EXPECT_EQ(maximised.windowState(), vcl::wsMinimized);
    EXPECT_EQ(hidden.windowState(), vcl::wsNormal) << "a hidden form stays as it is";

    // ShowDesktop clears the way the same way.
    shown.setWindowState(vcl::wsNormal);
    showDesktop();
    EXPECT_EQ(shown.windowState(), vcl::wsMinimized);
}

TEST_F(Shell, AFormAnswersOnlyWhileItLives) {
    EXPECT_FALSE(appIsResponding("TShellTestForm", 10));
    const bool before = appIsResponding("TForm", 10);
    {
        vcl::TForm form(nullptr);
        EXPECT_TRUE(appIsResponding("TFORM", 10));
    }
    EXPECT_EQ(appIsResponding("TForm", 10), before) << "a freed form no longer answers";
}

}  // namespace
