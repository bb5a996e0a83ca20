// Facts about the user and the machine that the player reports or builds paths from.
// Paths are native; callers turn them into the Windows form scripts see.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// The first of TMP, TEMP, TMPDIR that names an existing folder, else /tmp; absolute.
std::filesystem::path userTempFolder();
// Every one of TMP, TEMP, TMPDIR that names an existing folder, in that order and without
// repeats, else /tmp alone: where a temporary folder may be made when the first refuses.
std::vector<std::filesystem::path> userTempFolderCandidates();

// The login name, at most 256 characters; empty when it cannot be found. ANSI code page.
std::string userName();
// The host name up to its first dot, upper case, at most 15 characters; empty on failure.
std::string computerName();

// The player executable (from /proc/self/exe).
std::filesystem::path executablePath();

// The virtual Windows folder and system folder on drive C:.
std::filesystem::path windowsFolder();
std::filesystem::path systemFolder();

// Shell folder identifiers, with the values Windows gives them.
enum class ShellFolder : int {
    Programs = 2,
    Personal = 5,
    Startup = 7,
    Recent = 8,
    SendTo = 9,
    StartMenu = 11,
    MyMusic = 13,
    MyVideo = 14,
    DesktopDirectory = 16,
    NetHood = 19,
    Fonts = 20,
    Templates = 21,
    AppData = 26,
    LocalAppData = 28,
    MyPictures = 39,
    Profile = 40,
};

// The folder standing in for a shell folder: XDG user folders and the desktop's own
// folders. Folders with no meaning here (network neighbourhood, recent documents,
// Send To, unknown identifiers) give an empty path.
std::filesystem::path shellFolder(int csidl);
inline std::filesystem::path shellFolder(ShellFolder id) { return shellFolder(static_cast<int>(id)); }

}  // namespace platform
