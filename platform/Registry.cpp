#include "platform/Registry.h"

namespace platform {
namespace {

class EmptyRegistry final : public RegistryStore {
public:
    std::optional<std::string> readString(RegistryRoot, std::string_view, std::string_view) const override {
        return std::nullopt;
    }
};

std::unique_ptr<RegistryStore>& slot() {
    static std::unique_ptr<RegistryStore> store = std::make_unique<EmptyRegistry>();
    return store;
}

}  // namespace

const RegistryStore& registry() { return *slot(); }

void setRegistry(std::unique_ptr<RegistryStore> store) {
    if (store) slot() = std::move(store);
}

}  // namespace platform
