// The player program: module initialisation, the information switches, then the event
// loop, whose hidden loading form starts the project.
#include <QApplication>
#include <clocale>
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

}  // namespace

int main(int argc, char** argv) {
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
