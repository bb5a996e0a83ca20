// The registry as the player reads it. The persistent store arrives with the registry
// and INI routines; until then the process-wide store is empty, so every value reads as
// missing, which every caller already treats as "not set".
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class RegistryRoot : uint32_t {
    ClassesRoot = 0x80000000u,
    CurrentUser = 0x80000001u,
    LocalMachine = 0x80000002u,
    Users = 0x80000003u,
    PerformanceData = 0x80000004u,
    CurrentConfig = 0x80000005u,
    DynData = 0x80000006u,
};

class RegistryStore {
public:
    virtual ~RegistryStore() = default;
    // A string value; nullopt when the key or value is missing. Texts are ANSI.
    virtual std::optional<std::string> readString(RegistryRoot root, std::string_view key,
                                                  std::string_view name) const = 0;
};

// The process-wide store; set it once at start-up.
const RegistryStore& registry();
void setRegistry(std::unique_ptr<RegistryStore> store);

}  // namespace platform
