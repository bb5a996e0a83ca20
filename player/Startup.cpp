#include "player/Startup.h"

#include <initializer_list>

#include "base/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "platform/PendingRenames.h"
#include "platform/Profile.h"
#include "platform/SystemInfo.h"
#include "player/DebuggerConnection.h"
#include "player/FlashOffer.h"
#include "player/Loader.h"
#include "runtime/AppendedProject.h"
#include "runtime/InternalError.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"
#include "runtime/TempFolders.h"
#include "runtime/Termination.h"

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

// Rich text for the about box's viewer; the box drops the empty first line.
constexpr const char* kCredits =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Tahoma;}}"
    "{\\colortbl;\\red0\\green0\\blue128;}\\f0\\fs18\\par\n"
    "{\\b Vantrel} plays autorun presentation projects.\\par\\par\n"
    "{\\cf1\\b Built on}\\par\n"
    "Qt, zlib, libjpeg, libpng, mpg123, libvorbis, libsndfile, libopenmpt, SDL, SQLite, libffi, "
    "libcdio, FluidSynth, eSpeak NG and CUPS.\\par}";

bool isExistingFile(const fs::path& p) {
    std::error_code ec;
    return !p.empty() && fs::is_regular_file(p, ec);
}

}  // namespace

std::string informationMessage(std::string_view exeName, bool embeddedProject) {
    std::string text = runtime::formatStrings(runtime::RepConst(kTemplateA),
                                              {runtime::kPlayerVersion, exeName, exeName, exeName, exeName});
    if (embeddedProject) text += runtime::formatStrings(runtime::RepConst(kTemplateB), {exeName});
    return text;
}

void initialiseModule(const fs::path& executable) {
    runtime::ProcessState& s = runtime::state();
    s.setExecutable(executable);
    try {
        s.setSoundSettingsMenuDisabled(
            platform::readProfileInt(s.iniFile(), "Autorun", "DisableSoundSettingsMenuItem", 0) != 0);
        s.setSourceFolder(executable.parent_path());
        // Replacements a script asked for "at the next restart" happen at the player's.
        platform::applyPendingRenames();
        const std::vector<fs::path> candidates = platform::userTempFolderCandidates();
        for (const fs::path& userTemp : candidates) runtime::TempFolders::removeStaleFolders(userTemp);
        runtime::addCleanupStep(runtime::kCleanupTempFiles,
                                [] { runtime::TempFolders::instance().cleanup(); });
        // Without a folder the player still answers "/?" and "/ABOUT"; loading a project
        // refuses to start (see the loader).
        runtime::TempFolders::instance().createAppFolder(candidates);
    } catch (const std::exception&) {
        // The player runs on without whatever could not be set up.
    }
}

void handleInformationSwitches(const runtime::CommandLine& commandLine) {
    const fs::path exe = runtime::state().executable();
    if (commandLine.has("/?")) {
        std::string name = base::CodePage::active().fromUtf8(exe.filename().string());
        std::string message = informationMessage(name, runtime::appendedProjectOffset(exe).has_value());
        platform::dialogs().messageBox(message, "Information",
                                       platform::MB_OK | platform::MB_ICONINFORMATION);
        runtime::ExitProcess(kExitInformation);
    }
    if (commandLine.has("/ABOUT")) {
        showAboutBox();
        runtime::ExitProcess(kExitAbout);
    }
}

std::string_view creditsText() { return kCredits; }

void showAboutBox() {
    platform::dialogs().about(
        "About ...",
        runtime::formatStrings("Vantrel\r\nVersion %s\r\nMade by Tamberlo", {runtime::kPlayerVersion}),
        kCredits);
}

std::string loadingTitle() {
    std::string text =
        platform::readProfileString(runtime::state().iniFile(), "Autorun", "LoadingText", "", 1024);
    return text.empty() ? std::string("Vantrel") : text;
}

std::optional<ProjectLocation> locateProject(const runtime::CommandLine& commandLine,
                                             const fs::path& executable) {
    if (std::string first = commandLine.argument(1); !first.empty()) {
        fs::path file = platform::resolvePath(first);
        if (isExistingFile(file)) return ProjectLocation{file, 0};
    }
    fs::path beside = executable;
    beside.replace_extension(".zep");
    if (isExistingFile(beside)) return ProjectLocation{beside, 0};
    if (auto offset = runtime::appendedProjectOffset(executable)) return ProjectLocation{executable, *offset};

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

void startRoutine(const runtime::CommandLine& commandLine) {
    if (commandLine.has("/DFP")) {
        // Nothing can be installed here; the offer says so, then "/DFP" ends with its code.
        offerFlashInstallation();
        runtime::ExitProcess(kExitDfp);
    }
    // The task-bar window's system menu has no counterpart on Linux desktops: nothing to remove.
    runtime::state().setDebuggerHandle(commandLine.debuggerHandle());
    // The debugger hears of the player once, now that its number is known.
    debuggerConnection().hookup();
    auto location = locateProject(commandLine, runtime::state().executable());
    if (!location) {
        runtime::showInternalError("\r\n102 : No file to load !", platform::MB_ICONWARNING);
        runtime::ExitProcess(kExitNoProject);
    }
    loadProject(location->file, location->offset);
}

}  // namespace player
