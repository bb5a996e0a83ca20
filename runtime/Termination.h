// How the player ends: the cleanup that runs at a normal end, `ExitProcess` (cleanup, then
// an immediate end with a code), and the same for SIGINT, SIGTERM and SIGHUP.
#pragma once

#include <functional>

namespace runtime {

// Cleanup steps run in ascending `order` (the media subsystem saves its settings before
// the temporary files go). Register during start-up.
enum CleanupOrder : int { kCleanupMedia = 0, kCleanupTempFiles = 100 };
void addCleanupStep(int order, std::function<void()> step);

// Runs every cleanup step once; later calls do nothing. Errors inside are swallowed.
void runCleanup();

// Cleanup, the exit code as the log's last line, then the process ends at once: no
// destructors, no further event handling. Safe to call from any thread; a second caller
// waits for the first to end the process.
[[noreturn]] void ExitProcess(int code);

// SIGINT, SIGTERM and SIGHUP end the player through ExitProcess(128 + signal). A watcher
// thread does the work, so nothing unsafe runs inside the signal handler.
void installTerminationSignals();

}  // namespace runtime
