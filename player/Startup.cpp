#include "player/Startup.h"

#include <initializer_list>

#include "base/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "player/AppendedProject.h"
#include "player/Loader.h"
#include "player/Placeholders.h"
#include "player/ProcessState.h"
#include "player/TempFolders.h"
#include "player/Termination.h"

namespace fs = std::filesystem;

namespace player {
namespace {

constexpr int kExitDfp = 50;
constexpr int kExitNoProject = 102;
constexpr int kExitAbout = 123;
constexpr int kExitInformation = 124;

constexpr const char* kTemplateA =
    "Vantrel%nVersion %S%nMade by Tamberlo%n%n"
    "Run \"%S /ABOUT\" to display the about box.%n"
    "Run \"%S filename.zep\" to open a file.%n"
    "Run \"%S /?\" to display this message."
    "%n%nRun \"%s /DFP\" to try download and install Macromedia Flash Player (You must be connected to the "
    "Internet).%nIf combined with \"/SILENT\" then no messages will be shown.";
constexpr const char* kTemplateB = "%n%nNOTE : This is an embedded project.%nRun \"%s\" to play.";

constexpr const char* kCredits =
    "Vantrel plays autorun presentation projects.\r\n\r\n"
    "Built on Qt, zlib, libjpeg, libpng, mpg123, libvorbis, libsndfile, libopenmpt and SDL.";

// The "%s" (or "%S") directives of the run-time's Format, taking the arguments in order;
// "%%" is a percent sign and any other directive is kept as written.
std::string formatStrings(std::string_view format, std::initializer_list<std::string_view> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 >= format.size()) {
            out.push_back(format[i]);
        } else if (format[i + 1] == '%') {
            out.push_back('%');
            ++i;
        } else if ((format[i + 1] == 's' || format[i + 1] == 'S') && next != args.end()) {
            out.append(*next++);
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}

bool isExistingFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

}  // namespace

std::string informationMessage(std::string_view exeName, bool embeddedProject) {
    std::string text =
        formatStrings(RepConst(kTemplateA), {kPlayerVersion, exeName, exeName, exeName, exeName});
    if (embeddedProject) text += formatStrings(RepConst(kTemplateB), {exeName});
    return text;
}

void showInternalError(std::string_view text, uint32_t iconFlags) {
    std::string message = RepConst(formatStrings("Internal error: %s", {text}));
    platform::dialogs().messageBox(message, "Error", platform::MB_OK | iconFlags);
}

void initialiseModule(const fs::path& executable) {
    ProcessState& s = state();
    s.setExecutable(executable);
    try {
        s.setSoundSettingsMenuDisabled(
            platform::readProfileInt(s.iniFile(), "Autorun", "DisableSoundSettingsMenuItem", 0) != 0);
        s.setSourceFolder(executable.parent_path());
        const std::vector<fs::path> candidates = platform::userTempFolderCandidates();
        for (const fs::path& userTemp : candidates) TempFolders::removeStaleFolders(userTemp);
        addCleanupStep(kCleanupTempFiles, [] { TempFolders::instance().cleanup(); });
        // Without a folder the player still answers "/?" and "/ABOUT"; loading a project
        // refuses to start (see the loader).
        TempFolders::instance().createAppFolder(candidates);
    } catch (const std::exception&) {
        // The player runs on without whatever could not be set up.
    }
}

void handleInformationSwitches(const CommandLine& commandLine) {
    const fs::path exe = state().executable();
    if (commandLine.has("/?")) {
        std::string name = base::CodePage::active().fromUtf8(exe.filename().string());
        std::string message = informationMessage(name, appendedProjectOffset(exe).has_value());
        platform::dialogs().messageBox(message, "Information",
                                       platform::MB_OK | platform::MB_ICONINFORMATION);
        ExitProcess(kExitInformation);
    }
    if (commandLine.has("/ABOUT")) {
        platform::dialogs().about(
            "About ...", formatStrings("Vantrel\r\nVersion %s\r\nMade by Tamberlo", {kPlayerVersion}),
            kCredits);
        ExitProcess(kExitAbout);
    }
}

std::string loadingTitle() {
    std::string text = platform::readProfileString(state().iniFile(), "Autorun", "LoadingText", "", 1024);
    return text.empty() ? std::string("Vantrel") : text;
}

std::optional<ProjectLocation> locateProject(const CommandLine& commandLine, const fs::path& executable) {
    if (std::string first = commandLine.argument(1); !first.empty()) {
        fs::path file = platform::resolvePath(first);
        if (isExistingFile(file)) return ProjectLocation{file, 0};
    }
    fs::path beside = executable;
    beside.replace_extension(".zep");
    if (isExistingFile(beside)) return ProjectLocation{beside, 0};
    if (auto offset = appendedProjectOffset(executable)) return ProjectLocation{executable, *offset};

    platform::DialogRequest open;
    open.kind = platform::DialogKind::OpenFile;
    open.caption = "Open project to play...";
    open.filter = "Ossimar (*.zep)|*.zep|*.*|*.*";
    open.mustExist = true;
    open.readOnlyChecked = true;
    if (auto chosen = platform::dialogs().fileDialog(open)) {
        fs::path file = platform::resolvePath(*chosen);
        if (isExistingFile(file)) return ProjectLocation{file, 0};
    }
    return std::nullopt;
}

void startRoutine(const CommandLine& commandLine) {
    if (commandLine.has("/DFP")) {
        // FIXME: the Flash Player offer is not built; "/DFP" ends with its code.
        ExitProcess(kExitDfp);
    }
    // The task-bar window's system menu has no counterpart on Linux desktops: nothing to remove.
    state().setDebuggerHandle(commandLine.debuggerHandle());
    auto location = locateProject(commandLine, state().executable());
    if (!location) {
        showInternalError("\r\n102 : No file to load !", platform::MB_ICONWARNING);
        ExitProcess(kExitNoProject);
    }
    loadProject(location->file, location->offset);
}

}  // namespace player
