// Named mutexes shared between processes, as scripts use them to tell whether another
// program (or another player) runs. A mutex is a lock file in a private folder of the user:
// every process that has created it holds a shared lock on it for the rest of its life, so
// the mutex exists exactly while some process holds it, and a holder that dies or ends
// releases it. Names are case-sensitive; "Local\" names the same mutex as the bare name.
// Main thread only; no Qt.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

// $XDG_RUNTIME_DIR/vantrel-mutexes, else /tmp/vantrel-mutexes-<uid>; made (mode 0700) on
// first use. Empty when it cannot be made or is not the user's own folder.
std::filesystem::path mutexFolder();

// The lock file's name for a mutex name: every byte outside letters, digits, "-" and "_" is
// written as %XX, so "\", "/" and ".." cannot leave the folder; overlong names end in a hash.
std::string mutexFileName(std::string_view name);

// Creates the mutex, or opens the existing one, and holds it until the process ends. False
// for an empty name or when the lock file cannot be made.
bool createMutex(std::string_view name);

// True while any process, this one included, holds the mutex.
bool mutexExists(std::string_view name);

}  // namespace platform
