// The player's start-up steps, free of any user-interface toolkit: module initialisation,
// the "/?" and "/ABOUT" switches, and the start routine that finds and loads the project.
// The program's main() runs them around its event loop.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/CommandLine.h"

namespace player {

// The "/?" text: template A formatted with the version and four times `exeName`, plus
// template B when the executable carries a project.
std::string informationMessage(std::string_view exeName, bool embeddedProject);

// Module initialisation: the sound-settings flag, the source folder, stale folders of
// dead players, the temporary application folder and its removal at exit.
void initialiseModule(const std::filesystem::path& executable);

// "/?" ends the player with 124 after the information message; "/ABOUT" with 123 after
// the about box. Returns when neither switch is given.
void handleInformationSwitches(const runtime::CommandLine& commandLine);

// The player's about box (modal; through the dialog service), and its credits (rich text).
void showAboutBox();
std::string_view creditsText();

// "LoadingText" of the INI file, else "Vantrel".
std::string loadingTitle();

struct ProjectLocation {
    std::filesystem::path file;
    uint64_t offset = 0;
};

// The first argument, the ".zep" beside the player, a project appended to the player, or
// the open dialog, in that order.
std::optional<ProjectLocation> locateProject(const runtime::CommandLine& commandLine,
                                             const std::filesystem::path& executable);

// The start routine run by the loading form's timer: "/DFP", the debugger handle, then
// the project is located and loaded, or the player ends with 102.
void startRoutine(const runtime::CommandLine& commandLine);

}  // namespace player
