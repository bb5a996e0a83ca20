#include "library/Registry.h"

#include <bit>

#include "classes/PropValue.h"
#include "classes/TStrings.h"
#include "library/Guarded.h"
#include "platform/Registry.h"

namespace library {
namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegType;

RegistryRoot rootOf(int32_t key) { return static_cast<RegistryRoot>(static_cast<uint32_t>(key)); }

bool queryString(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                 std::string& resultStr, bool multi) {
    return guardedOr(false, [&] {
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
    return guardedOr(false, [&] {
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

using classes::Variant;
using VarType = classes::Variant::Type;

std::string eightBytes(uint64_t bits) {
    std::string out(8, '\0');
    for (size_t i = 0; i < 8; ++i) out[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return out;
}

std::optional<uint64_t> eightBytesOf(const RegistryValue& v) {
    if (v.type != uint32_t(RegType::Binary) || v.data.size() != 8) return std::nullopt;
    uint64_t bits = 0;
    for (size_t i = 8; i-- > 0;) bits = (bits << 8) | static_cast<unsigned char>(v.data[i]);
    return bits;
}

// The value a variant is stored as; nullopt for a type that is not stored.
std::optional<RegistryValue> storedForm(const Variant& v) {
    switch (v.type()) {
    case VarType::Integer:
    case VarType::Int64: return RegistryValue::dword(static_cast<uint32_t>(v.asInt64()));
    case VarType::Single:
    case VarType::Double:
    case VarType::Extended:
    case VarType::Date:
        return RegistryValue::binary(eightBytes(std::bit_cast<uint64_t>(static_cast<double>(v.asFloat()))));
    case VarType::Currency: return RegistryValue::binary(eightBytes(static_cast<uint64_t>(v.asInt64())));
    case VarType::Boolean: return RegistryValue::dword(v.asBoolean() ? 1 : 0);
    case VarType::String: return RegistryValue::string(v.asString());
    default: return std::nullopt;
    }
}

// The stored value in the variant type of `like`; nullopt when it is not stored as that type.
std::optional<Variant> variantOf(const RegistryValue& stored, const Variant& like) {
    switch (like.type()) {
    case VarType::Integer:
        if (auto dword = stored.dwordValue()) return Variant::integer(static_cast<int32_t>(*dword));
        return std::nullopt;
    case VarType::Int64:
        if (auto dword = stored.dwordValue()) return Variant::int64(static_cast<int32_t>(*dword));
        return std::nullopt;
    case VarType::Boolean:
        if (auto dword = stored.dwordValue()) return Variant::boolean(*dword != 0);
        return std::nullopt;
    case VarType::Single:
    case VarType::Double:
    case VarType::Extended:
    case VarType::Date:
        if (auto bits = eightBytesOf(stored))
            return Variant::floating(std::bit_cast<double>(*bits), like.type());
        return std::nullopt;
    case VarType::Currency:
        if (auto bits = eightBytesOf(stored)) return Variant::currency(static_cast<int64_t>(*bits));
        return std::nullopt;
    case VarType::String:
        if (stored.isString()) return Variant::string(stored.data);
        return std::nullopt;
    default: return std::nullopt;
    }
}

bool writeValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                const RegistryValue& v) {
    return guardedOr(
        false, [&] { return platform::registry().setValue(rootOf(rootKey), subKeyName, valueName, v); });
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
    return guardedOr(false, [&] {
        if (valueName.empty()) return platform::registry().keyExists(rootOf(rootKey), subKeyName);
        return platform::registry().lookup(rootOf(rootKey), subKeyName, valueName).value.has_value();
    });
}

bool regDeleteKeyIncludingSubkeys(int32_t key, const std::string& name) {
    // An empty name (or a lone backslash) names the root itself; deleting every key of a
    // hive is never what a script wants.
    if (name.find_first_not_of('\\') == std::string::npos) return false;
    return guardedOr(false, [&] { return platform::registry().deleteTree(rootOf(key), name); });
}

bool regDeleteKeyIfEmpty(int32_t rootKey, const std::string& subkeyName) {
    if (subkeyName.find_first_not_of('\\') == std::string::npos) return false;
    return guardedOr(false,
                     [&] { return platform::registry().deleteKey(rootOf(rootKey), subkeyName, true); });
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
    return guardedOr(
        false, [&] { return platform::registry().deleteValue(rootOf(rootKey), subKeyName, valueName); });
}

Variant readFromRegistry(int32_t key, const std::string& subkey, const std::string& name,
                         const Variant& value) {
    return guardedOr(value, [&] {
        auto& store = platform::registry();
        platform::RegistryLookup found = store.lookup(rootOf(key), subkey, name);
        if (!found.keyFound) {
            store.createKey(rootOf(key), subkey);
            return value;
        }
        if (!found.value) return value;
        auto v = variantOf(*found.value, value);
        return v ? *v : value;
    });
}

void writeToRegistry(int32_t key, const std::string& subkey, const std::string& name, const Variant& value) {
    guardedOr(false, [&] {
        auto stored = storedForm(value);
        return stored && platform::registry().setValue(rootOf(key), subkey, name, *stored);
    });
}

}  // namespace library
