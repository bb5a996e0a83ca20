// Windows paths on a POSIX file system. Scripts and projects name files the Windows way
// ("%SRCDIR%\pics\a.jpg", "C:\x"); every file access of the player goes through this one
// translation: backslash and slash both separate, a drive letter maps through the drive
// table, and a name that does not exist as written is looked up case-insensitively,
// component by component.
//
// The drive table:
//   C:  a virtual system drive, $XDG_DATA_HOME/vantrel/drive_c, holding the Windows
//       folder "C:\WINDOWS" and the system folder "C:\WINDOWS\system32";
//   D:..Y:  mount points that hold a project (the first free letter from D: on);
//   Z:  the root of the file system, so every native path has a Windows form.
// A path starting with a forward slash is taken as a native absolute path; doubled
// separators count as one everywhere except the two backslashes that start a share name.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class DriveTable {
public:
    // Maps `letter` (case-insensitive) to a native folder; replaces an earlier mapping.
    void map(char letter, std::filesystem::path root);
    void unmap(char letter);
    std::optional<std::filesystem::path> root(char letter) const;

    // Gives the mount point holding `nativePath` a drive letter (Z: for the root file
    // system) and returns it, upper case.
    char mountDriveFor(const std::filesystem::path& nativePath);

    // The Windows form of an absolute native path, in the ANSI code page: the drive
    // whose root is the longest prefix wins. Relative paths are made absolute first.
    std::string toWindows(const std::filesystem::path& nativePath) const;

    // The native form of a Windows path without touching the disk; empty for a path on
    // an unmapped drive or a UNC share. ".." never climbs above a drive's root.
    std::filesystem::path toNative(std::string_view windowsPath) const;

    // As toNative, then every component that does not exist as written is replaced by
    // the single case-insensitive match in its folder, if there is one.
    std::filesystem::path resolve(std::string_view windowsPath) const;

private:
    mutable std::mutex m_mutex;
    std::map<char, std::filesystem::path> m_roots;
};

// The process-wide drive table, with C: and Z: set up on first use.
DriveTable& drives();

// Shorthands on the process-wide table.
inline std::filesystem::path resolvePath(std::string_view windowsPath) {
    return drives().resolve(windowsPath);
}
inline std::string windowsPath(const std::filesystem::path& nativePath) {
    return drives().toWindows(nativePath);
}

// Case-insensitive comparison of two UTF-8 file names (simple case folding).
bool sameFileName(std::string_view a, std::string_view b);

// The mount point of the file system holding `path`, from /proc/self/mountinfo; "/" when
// unknown.
std::filesystem::path mountPointOf(const std::filesystem::path& path);

// The virtual system drive's folder (C:), created on first use.
std::filesystem::path systemDriveRoot();

}  // namespace platform
