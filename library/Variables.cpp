#include "library/Variables.h"

#include "classes/PropValue.h"
#include "library/Registry.h"
#include "platform/Registry.h"

namespace library {
namespace {

constexpr int32_t kCurrentUser = static_cast<int32_t>(platform::RegistryRoot::CurrentUser);

}  // namespace

std::string variablesKey(bool global) {
    std::string key = global ? std::string(platform::kProductKey) : platform::currentPlayerKey();
    return key + "\\Variables";
}

classes::Variant getVariable(bool global, const std::string& name, const classes::Variant& defaultValue) {
    try {
        return readFromRegistry(kCurrentUser, variablesKey(global), name, defaultValue);
    } catch (const std::exception&) {
        return defaultValue;
    }
}

void setVariable(bool global, const std::string& name, const classes::Variant& value) {
    try {
        writeToRegistry(kCurrentUser, variablesKey(global), name, value);
    } catch (const std::exception&) {
        // Failures are swallowed: a script that cannot store a variable runs on.
    }
}

}  // namespace library
