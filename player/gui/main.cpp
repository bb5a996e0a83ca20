// The player program: module initialisation, the information switches, then the event
// loop, whose hidden loading form starts the project.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "base/CodePage.h"
#include "platform/Dialogs.h"
#include "platform/SystemInfo.h"
#include "player/CommandLine.h"
#include "player/ProcessState.h"
#include "player/Startup.h"
#include "player/Termination.h"
#include "player/gui/LoadingForm.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (!chooseDisplay()) return 1;
    base::CodePage::setActive(ansiCodePageFromLocale());
    player::installTerminationSignals();
    QApplication app(argc, argv);
    platform::installDialogs(platform::dialogServiceFromEnvironment(platform::makeQtDialogBackend()));

    player::initialiseModule(platform::executablePath());
    const auto commandLine = player::CommandLine::fromMain(argc, argv);

    player::state().onTitleChanged([](const std::string& title) {
        QApplication::setApplicationName(QString::fromStdString(base::CodePage::active().toUtf8(title)));
    });
    player::state().setApplicationTitle(std::string("Vantrel ") + player::kPlayerVersion);
    player::handleInformationSwitches(commandLine);
    // FIXME: the 45 component classes are registered here once the component model exists.

    player::state().setApplicationTitle(player::loadingTitle());
    player::TLoadingForm loadingForm([&commandLine] { player::startRoutine(commandLine); });
    app.exec();

    player::runCleanup();
    platform::dialogs().logExit(0);
    return 0;
}
