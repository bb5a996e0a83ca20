// The player program: module initialisation, the information switches, then the event
// loop, whose hidden loading form starts the project.
#include <cstdio>
#include <cstdlib>

#include "base/CodePage.h"
#include "components/InternalPlayList.h"
#include "components/Registration.h"
#include "components/VideoBackend.h"
#include "components/qt/RtfReader.h"
#include "host/ClassImporter.h"
#include "host/DebuggerLink.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "library/Music.h"
#include "library/MusicPlayList.h"
#include "library/WinApi.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/SystemInfo.h"
#include "player/DebuggerConnection.h"
#include "player/Loader.h"
#include "player/Startup.h"
#include "player/gui/AutomationDriver.h"
#include "player/gui/EmbeddedLoadForm.h"
#include "player/gui/LoadingForm.h"
#include "player/loader/ProjectLoader.h"
#include "runtime/CommandLine.h"
#include "runtime/ProcessState.h"
#include "runtime/Termination.h"
#include "vcl/Forms.h"
#include "vcl/ReadWatch.h"
#include "vcl/Registration.h"

namespace {

int ansiCodePageFromLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        if (const char* v = std::getenv(name); v && *v) return base::CodePage::forLocale(v);
    }
    return 1252;
}

bool hasEnv(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// Qt aborts when it finds no display; an unattended run needs none, anyone else is told why.
bool chooseDisplay() {
    if (hasEnv("QT_QPA_PLATFORM") || hasEnv("DISPLAY") || hasEnv("WAYLAND_DISPLAY")) return true;
    if (hasEnv("VANTREL_AUTOMATION")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        return true;
    }
    std::fprintf(stderr, "vantrel: no display found (DISPLAY and WAYLAND_DISPLAY are not set)\n");
    return false;
}

// The script host's reports and the script's commands go out over the player's link.
class LinkToDebugger final : public host::DebuggerLink {
public:
    bool active() const override { return player::debuggerConnection().active(); }
    void report(const std::string& text, int position, int row, int col) override {
        player::debuggerConnection().report(text, position, row, col);
    }
    void command(int kind, const std::string& text) override {
        player::debuggerConnection().command(kind, text);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (!chooseDisplay()) return 1;
    base::CodePage::setActive(ansiCodePageFromLocale());
    runtime::installTerminationSignals();
    vcl::toolkit::Session toolkit(argc, argv);
    platform::installDialogs(platform::dialogServiceFromEnvironment(platform::makeQtDialogBackend(
        [](std::string_view text) { return components::qt::rtfToHtml(text); })));

    player::initialiseModule(platform::executablePath());
    library::startMusic();
    runtime::addCleanupStep(runtime::kCleanupMedia, [] {
        // The play list lets go of its channel while the library is still there.
        library::setPlayListActive(components::internalPlayList(), false);
        library::releaseSystemResources();
        library::stopMusic();
    });
    host::fillClassImporter(host::classImporter());
    const auto commandLine = runtime::CommandLine::fromMain(argc, argv);
    runtime::state().setArguments(commandLine.arguments());

    runtime::state().onTitleChanged([](const std::string& title) {
        vcl::application().setTitle(title);
        vcl::toolkit::setApplicationName(title);
    });
    runtime::state().setApplicationTitle(std::string("Vantrel ") + runtime::kPlayerVersion);
    player::handleInformationSwitches(commandLine);
    // FIXME: of the 45 component classes a project form may name, those built so far.
    vcl::registerVclClasses();
    components::registerComponentClasses();
    components::installVideoBackend();

    platform::setMessagePump([] { vcl::toolkit::processMessages(); });
    vcl::application().showErrorBox = [](const std::string& caption, const std::string& text) {
        platform::dialogs().messageBox(text, caption, platform::MB_OK | platform::MB_ICONERROR);
    };
    runtime::state().setApplicationTitle(player::loadingTitle());
    player::TEmbeddedLoad embeddedLoad(nullptr);
    // The debugger's requests are answered from the event loop while the link is open.
    LinkToDebugger linkToDebugger;
    host::setDebuggerLink(&linkToDebugger);
    std::unique_ptr<vcl::toolkit::ReadWatch> debuggerWatch;
    player::debuggerConnection().setOnChange([&debuggerWatch](bool open) {
        if (open)
            debuggerWatch = vcl::toolkit::watchReadable(
                player::debuggerConnection().fd(), [] { player::debuggerConnection().serviceRequests(); });
        else if (debuggerWatch)
            debuggerWatch->stop();
    });
    player::setScriptHost([&debuggerWatch](const player::ScriptHandover& h) {
        if (vcl::TAutorunForm* form = player::mainForm()) {
            form->onSoundSettings = [] { library::bassSettingsDialog(); };
            form->onAbout = [] { player::showAboutBox(); };
            form->installWindowMenu(library::musicLoaded(), runtime::state().soundSettingsMenuDisabled());
        }
        host::ScriptHost scriptHost(player::mainForm(), host::classImporter());
        scriptHost.play(h.hasSource, h.source, h.bytecode, h.debugInfo);
        // The link lives as long as the script host; the run's end has been reported.
        player::debuggerConnection().close();
        debuggerWatch.reset();
    });
    player::setProjectLoader([&embeddedLoad](const std::filesystem::path& file, uint64_t offset) {
        if (player::loadProjectFile(file, offset, embeddedLoad) == player::LoadResult::Failed) {
            runtime::ExitProcess(player::kExitLoadError);
        }
    });
    std::unique_ptr<player::AutomationDriver> driver;
    if (auto script = platform::automationScript()) {
        driver = std::make_unique<player::AutomationDriver>(std::move(script));
        driver->start();
    }
    player::TLoadingForm loadingForm(nullptr, [&commandLine] { player::startRoutine(commandLine); });
    // The loading form's window exists; the debugger's number is not read yet, so this
    // announces nothing: the start routine does, once.
    player::debuggerConnection().hookup();
    vcl::application().run();

    runtime::runCleanup();
    platform::dialogs().logExit(0);
    return 0;
}
