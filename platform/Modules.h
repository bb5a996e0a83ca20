// Shared libraries loaded for scripts, known to them by module handle: small ids looked up
// on every use and never reused within a run, so a stale or made-up handle finds nothing.
// A library stays loaded until the process ends. Thread: any.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Loads the library (a native path, or a bare name for the loader's own search) and gives
// its module handle: the same handle for a library already loaded, 0 when it cannot be
// loaded. The floating-point environment is restored afterwards, whatever the library's
// initialisers did to it.
int32_t loadModule(const std::string& file);

// The address of `symbol` in the module, or null for an unknown handle or symbol.
void* moduleSymbol(int32_t handle, const std::string& symbol);

}  // namespace platform
