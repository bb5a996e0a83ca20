#include "library/Registry.h"

#include "base/Variant.h"
#include "classes/TStrings.h"
#include "platform/Registry.h"
#include "platform/RegistryVariant.h"

namespace library {
namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegType;

RegistryRoot rootOf(int32_t key) { return static_cast<RegistryRoot>(static_cast<uint32_t>(key)); }

// Runs `body`; any failure of the store gives `failure`.
template <typename T, typename F>
T guarded(T failure, F&& body) {
    try {
        return body();
    } catch (const std::exception&) {
        return failure;
    }
}

bool queryString(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                 std::string& resultStr, bool multi) {
    return guarded(false, [&] {
        auto found = platform::registry().lookup(rootOf(rootKey), subKeyName, valueName);
        if (!found.keyFound) return false;
        if (!found.value) return true;
        const RegistryValue& v = *found.value;
        if (!multi) {
            if (!v.isString()) return false;
            resultStr = v.data;
            return true;
        }
        if (!v.isString() && v.type != uint32_t(RegType::MultiString)) return false;
        std::string raw = v.rawData();
        if (!raw.empty()) raw.pop_back();
        resultStr = std::move(raw);
        return true;
    });
}

bool fillNames(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names, bool subKeys) {
    return guarded(false, [&] {
        if (!names) names = new classes::TStringList;
        auto& store = platform::registry();
        auto list = subKeys ? store.subKeyNames(rootOf(rootKey), subKeyName)
                            : store.valueNames(rootOf(rootKey), subKeyName);
        names->beginUpdate();
        names->clear();
        if (list) {
            for (const std::string& n : *list) names->add(n);
        }
        names->endUpdate();
        return true;
    });
}

bool writeValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                const RegistryValue& v) {
    return guarded(false,
                   [&] { return platform::registry().setValue(rootOf(rootKey), subKeyName, valueName, v); });
}

}  // namespace

bool regQueryStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         std::string& resultStr) {
    return queryString(rootKey, subKeyName, valueName, resultStr, false);
}

bool regQueryMultiStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                              std::string& resultStr) {
    return queryString(rootKey, subKeyName, valueName, resultStr, true);
}

bool regValueExists(int32_t rootKey, const std::string& subKeyName, const std::string& valueName) {
    return guarded(false, [&] {
        if (valueName.empty()) return platform::registry().keyExists(rootOf(rootKey), subKeyName);
        return platform::registry().lookup(rootOf(rootKey), subKeyName, valueName).value.has_value();
    });
}

bool regDeleteKeyIncludingSubkeys(int32_t key, const std::string& name) {
    // An empty name (or a lone backslash) names the root itself; deleting every key of a
    // hive is never what a script wants.
    if (name.find_first_not_of('\\') == std::string::npos) return false;
    return guarded(false, [&] { return platform::registry().deleteTree(rootOf(key), name); });
}

bool regDeleteKeyIfEmpty(int32_t rootKey, const std::string& subkeyName) {
    if (subkeyName.find_first_not_of('\\') == std::string::npos) return false;
    return guarded(false, [&] { return platform::registry().deleteKey(rootOf(rootKey), subkeyName, true); });
}

bool regGetSubkeyNames(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names) {
    return fillNames(rootKey, subKeyName, names, true);
}

bool regGetValueNames(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names) {
    return fillNames(rootKey, subKeyName, names, false);
}

bool regWriteStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         const std::string& value) {
    return writeValue(rootKey, subKeyName, valueName, RegistryValue::string(value));
}

bool regWriteMultiStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                              const std::string& value) {
    std::string data = value;
    data.push_back('\0');
    return writeValue(rootKey, subKeyName, valueName,
                      RegistryValue::binary(std::move(data), RegType::MultiString));
}

bool regWriteDWordValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                        uint32_t value) {
    return writeValue(rootKey, subKeyName, valueName, RegistryValue::dword(value));
}

bool regWriteBinaryValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         const std::string& value) {
    return writeValue(rootKey, subKeyName, valueName, RegistryValue::binary(value));
}

bool regDeleteValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName) {
    return guarded(false,
                   [&] { return platform::registry().deleteValue(rootOf(rootKey), subKeyName, valueName); });
}

base::Variant readFromRegistry(int32_t key, const std::string& subkey, const std::string& name,
                               const base::Variant& value) {
    return guarded(
        value, [&] { return platform::readVariant(platform::registry(), rootOf(key), subkey, name, value); });
}

void writeToRegistry(int32_t key, const std::string& subkey, const std::string& name,
                     const base::Variant& value) {
    guarded(false,
            [&] { return platform::writeVariant(platform::registry(), rootOf(key), subkey, name, value); });
}

}  // namespace library
