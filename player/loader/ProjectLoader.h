// Loads a project: reads its stream into a hidden main form, restores its files and its
// script source, and hands the script over to the host.
//
// Failures end as the player's messages: a file that is no project, or one made for a
// newer version, ends the load (the player then ends normally); without a temporary
// folder to extract into, the load is refused before anything is read; any other failure
// shows "An error occured while loading ...". After those two the player ends with exit
// code 30.
#pragma once

#include <cstdint>
#include <filesystem>

namespace vcl {
class TAutorunForm;
}

namespace player {

class EmbeddedLoad;

inline constexpr int kMaxFormatVersion = 20;

enum class LoadResult {
    Ran,           // the script was handed over and has finished
    NotAProject,   // after its message; the player ends normally
    NewerVersion,  // after its message; the player ends normally
    Failed,        // after its error message; the player ends with kExitLoadError
};

inline constexpr int kExitLoadError = 30;

// The load procedure; every failure has shown its message when it returns.
LoadResult loadProjectFile(const std::filesystem::path& file, uint64_t offset, EmbeddedLoad& progress);

// The main form of the loaded project; null before a load. Lives until the process ends.
vcl::TAutorunForm* mainForm();
// Frees the main form (tests and fuzzing load many projects in one process).
void freeMainForm();

// The embedded folder's name suffix and the script folder's.
inline constexpr const char* kEmbeddedSuffix = "Embedded";
inline constexpr const char* kScriptSuffix = "SCP";

}  // namespace player
