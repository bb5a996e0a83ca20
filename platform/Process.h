// Starting programs and documents the way the shell would, without a shell in between:
// Windows command lines are split into arguments here, programs start with posix_spawn,
// documents and addresses go to the desktop's opener. Failures are Windows error numbers.
// Thread: any, except waitForExit, which runs the message pump and so belongs to the
// user-interface thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A command line cut into the program name (quotes removed) and the tail after it.
struct SplitCommand {
    std::string program;
    std::string tail;
};
// The program name ends at the first space outside double quotes; the spaces after it
// are skipped.
SplitCommand splitProgram(std::string_view commandLine);
// The parameters of a command tail: runs of characters above 32, a quoted section copied
// with its spaces and without its quotes, a lone "" pair between parameters skipped, at
// most 4096 characters kept of each.
std::vector<std::string> splitParameters(std::string_view tail);

// Windows error numbers the start routines report.
enum StartError : int {
    kFileNotFound = 2,
    kPathNotFound = 3,
    kAccessDenied = 5,
    kOutOfMemory = 8,
    kBadFormat = 11,  // a Windows program with no native twin
    kNoAssociation = 31,
};

// A program ready to start: its native file, or the error that stops it.
struct ResolvedProgram {
    std::filesystem::path file;
    int error = 0;
};
// Finds the native program for a native path, trying "name" beside "name.exe" first when
// the name ends in ".exe", then the file itself. A bare name is looked for in `folders`
// and then on PATH. A Windows program without a twin gives kBadFormat, a missing file
// kFileNotFound, a missing folder kPathNotFound, a file that cannot run kAccessDenied.
ResolvedProgram resolveProgram(const std::filesystem::path& program,
                               const std::vector<std::filesystem::path>& folders = {});

// True when the file starts like a Windows executable ("MZ").
bool isWindowsProgram(const std::filesystem::path& file);

struct StartRequest {
    std::filesystem::path program;       // native, already resolved
    std::vector<std::string> arguments;  // after the program name, UTF-8
    std::filesystem::path workingDir;    // empty: the caller's
};
// The started process, or the Windows error number of the failure.
struct Started {
    int pid = 0;
    int error = 0;
    explicit operator bool() const { return pid > 0; }
};
// Starts the program. Without `wait`, the child is reaped by a watcher thread later, so
// no zombie stays behind; with it, the caller must call waitForExit.
Started startProgram(const StartRequest& request, bool wait);

// Waits for the child to end, running the message pump between checks every
// `pollMillis`. The exit code, or 128 + N when signal N ended it; nullopt for a pid that
// is not our child.
std::optional<int> waitForExit(int pid, int pollMillis = 10);
// Whether the child has ended, without waiting: its exit code as waitForExit gives it (it is
// then reaped, so ask once), nullopt while it runs. A pid that is no child of ours gives -1.
std::optional<int> exitCodeIfEnded(int pid);
// Hands a child started with `wait` to a watcher that reaps it when it ends.
void reapLater(int pid);

// Hands a document, folder or address to the desktop's opener (the first "xdg-open" on
// PATH) as one argument. 0 when the opener started, kNoAssociation when there is none.
int openWithDesktop(const std::string& target);

// The program the desktop opens files with extension `ext` (no dot) with: the MIME type
// from the shared MIME database's globs, its default application from mimeapps.list, and
// the program of that desktop entry's Exec key. Empty when any step finds nothing.
std::filesystem::path desktopProgramFor(std::string_view ext);

// The first executable file called `name` in the folders of PATH; empty when none.
std::filesystem::path findOnPath(std::string_view name);

}  // namespace platform
