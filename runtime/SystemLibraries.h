// Which exports of the Windows system libraries (kernel32, user32, gdi32, shell32, advapi32,
// winmm, version) the player serves itself: one table (SystemExports.def) that the script
// library binds and the project tool reports from. Names match in any case; a library
// may be named with or without ".dll"; a routine taking texts answers to "NameA" and "Name".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace runtime {

enum class SystemExport : uint16_t {
#define EXPORT(library, name, params, ansi) name,
#include "runtime/SystemExports.def"
#undef EXPORT
    Count
};

struct SystemExportInfo {
    const char* library;  // upper case, without ".dll"
    const char* name;     // without the "A"
    int params;
    bool ansi;
};

const SystemExportInfo& systemExportInfo(SystemExport e);
// Whether a script's library name is one of the seven.
bool isSystemLibrary(std::string_view library);
// The export "Proc@Library" names; nullopt for another library or an export not served.
std::optional<SystemExport> findSystemExport(std::string_view library, std::string_view proc);

}  // namespace runtime
