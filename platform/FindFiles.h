// The find-file search of Windows over a POSIX folder: a Windows path whose last component
// may hold the wildcards "*" and "?", matched against names without regard to case. Unlike
// a POSIX glob, "*.*" matches every name (also names without a dot), a trailing ".*" also
// matches a name without an extension and a trailing "." only such names. Directory order
// is arbitrary here, so results are sorted: "." and ".." first, then by name, ignoring case.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct FoundFile {
    std::string name;            // as stored on disk, in the ANSI code page
    std::filesystem::path path;  // native, the folder's path joined with the name
    bool isFolder = false;       // a folder, or a link to one
    bool isLink = false;         // a symbolic link (to anything)
    uint64_t size = 0;           // files only
};

// Whether `name` matches the DOS-style `pattern`; both are in the ANSI code page.
bool matchesFileMask(std::string_view name, std::string_view pattern);
bool hasWildcards(std::string_view pattern);

// The entries of the native `folder` that match `pattern`, sorted as above; "." and ".."
// are included when the pattern matches them. Empty when the folder cannot be read.
std::vector<FoundFile> findInFolder(const std::filesystem::path& folder, std::string_view pattern);

// The entries a Windows search path names ("C:\x\*.txt", "Z:\tmp\a.txt"): the folder part
// goes through the drive table and the case-insensitive lookup; a last component without
// wildcards names one entry.
std::vector<FoundFile> findFiles(std::string_view windowsPattern);

// Splits a Windows path before its last component: ("C:\x\", "*.txt"). Both separators count.
std::pair<std::string, std::string> splitLastComponent(std::string_view windowsPath);

// Orders names as listings show them: case-insensitively, then byte-wise.
bool fileNameLess(std::string_view a, std::string_view b);

}  // namespace platform
