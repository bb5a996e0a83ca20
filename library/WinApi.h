// The exports of the Windows system libraries that scripts declare themselves ("GetTickCount@
// kernel32.dll stdcall", "MessageBoxA@user32.dll stdcall"), served by the player's own layers
// instead of a library that does not exist here. Which exports are served is the table in
// runtime/SystemExports.def; an export not in it is left to the engine, which fails to
// import it. Paths are Windows paths through the drive table, buffers are filled within
// their length, and process and registry-key handles are small ids that name nothing once
// closed. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "script/Foreign.h"

namespace script {
class Executor;
}

namespace library {

// The served routine for "Proc@Library"; empty when the table does not have it.
script::ForeignRoutine systemLibraryRoutine(std::string_view library, std::string_view proc);
// Makes the executor ask the table before it opens any library.
void bindSystemLibraries(script::Executor& executor);

// Where mciSendString commands go: the MCI error code (0 for success) and the result text.
// By default the player's own command interpreter, with file names through the drive table
// and no placeholder expansion (the script called the system, not the player's routine);
// tests put a recorder here, and an empty function restores the interpreter.
using MciSender = std::function<uint32_t(std::string_view command, std::string& result)>;
void setMciSender(MciSender sender);
uint32_t sendMciString(std::string_view command, std::string& result);

// The channel PlaySound and sndPlaySound are playing (0: none); the music routines answer
// for it.
int32_t systemSoundChannel();

// Closes every process and registry-key handle scripts still hold (a run's end, tests).
void closeSystemHandles();

// A run's end: the handles above, and every multimedia device the script left open.
void releaseSystemResources();

}  // namespace library
