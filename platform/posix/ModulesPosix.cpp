// The module table over dlopen.
#include "platform/Modules.h"

#include <dlfcn.h>

#include <cfenv>
#include <limits>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

// Above the window and canvas ids, multiples of four as the system's handles are.
constexpr int32_t kFirstModule = 0x40000000;

struct ModuleTable {
    std::mutex mutex;
    std::unordered_map<int32_t, void*> byHandle;
    std::unordered_map<void*, int32_t> handleOf;
    int32_t next = kFirstModule;
};

ModuleTable& table() {
    static ModuleTable* t = new ModuleTable;  // libraries outlive static destruction
    return *t;
}

}  // namespace

int32_t loadModule(const std::string& file) {
    if (file.empty()) return 0;
    std::fenv_t saved;
    std::fegetenv(&saved);
    void* lib = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::fesetenv(&saved);
    if (!lib) return 0;
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    if (auto it = t.handleOf.find(lib); it != t.handleOf.end()) {
        ::dlclose(lib);  // one reference per handle is enough
        return it->second;
    }
    if (t.next > std::numeric_limits<int32_t>::max() - 4) {
        ::dlclose(lib);
        return 0;
    }
    const int32_t handle = t.next;
    t.next += 4;
    t.byHandle.emplace(handle, lib);
    t.handleOf.emplace(lib, handle);
    return handle;
}

void* moduleSymbol(int32_t handle, const std::string& symbol) {
    ModuleTable& t = table();
    std::lock_guard lock(t.mutex);
    auto it = t.byHandle.find(handle);
    return it == t.byHandle.end() ? nullptr : ::dlsym(it->second, symbol.c_str());
}

}  // namespace platform
