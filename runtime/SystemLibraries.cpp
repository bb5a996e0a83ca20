// The served exports, looked up the way Windows compares the names.
#include "runtime/SystemLibraries.h"

#include <string>

#include "base/AnsiText.h"

namespace runtime {

namespace {

constexpr SystemExportInfo kExports[] = {
#define EXPORT(library, name, params, ansi) {#library, #name, params, ansi},
#include "runtime/SystemExports.def"
#undef EXPORT
};
static_assert(std::size(kExports) == size_t(SystemExport::Count));

std::string_view withoutDll(std::string_view library) {
    if (library.size() > 4 && base::ansiSameText(library.substr(library.size() - 4), ".dll"))
        library.remove_suffix(4);
    return library;
}

}  // namespace

const SystemExportInfo& systemExportInfo(SystemExport e) { return kExports[size_t(e)]; }

bool isSystemLibrary(std::string_view library) {
    library = withoutDll(library);
    for (const char* name : {"KERNEL32", "USER32", "GDI32", "SHELL32", "ADVAPI32", "WINMM", "VERSION"})
        if (base::ansiSameText(library, name)) return true;
    return false;
}

std::optional<SystemExport> findSystemExport(std::string_view library, std::string_view proc) {
    library = withoutDll(library);
    for (size_t i = 0; i < std::size(kExports); ++i) {
        const SystemExportInfo& e = kExports[i];
        if (!base::ansiSameText(library, e.library)) continue;
        std::string_view name = e.name;
        if (base::ansiSameText(proc, name) || (e.ansi && proc.size() == name.size() + 1 &&
                                               base::ansiSameText(proc.substr(0, name.size()), name) &&
                                               (proc.back() == 'A' || proc.back() == 'a')))
            return SystemExport(i);
    }
    return std::nullopt;
}

}  // namespace runtime
