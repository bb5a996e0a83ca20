#include "platform/RegistryVariant.h"

#include <bit>
#include <cstdint>

namespace platform {
namespace {

using base::Variant;
using base::VarType;

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

// The DWORD in the integer type of `like`, or nullopt when it does not fit.
std::optional<Variant> integerAs(uint32_t dword, VarType type) {
    const int64_t v = static_cast<int32_t>(dword);
    auto within = [&](int64_t lo, int64_t hi) -> std::optional<Variant> {
        if (v < lo || v > hi) return std::nullopt;
        return Variant::ofInteger(v, type);
    };
    switch (type) {
    case VarType::SmallInt: return within(INT16_MIN, INT16_MAX);
    case VarType::ShortInt: return within(INT8_MIN, INT8_MAX);
    case VarType::Byte: return within(0, UINT8_MAX);
    case VarType::Word: return within(0, UINT16_MAX);
    case VarType::LongWord: return Variant::ofInteger(int64_t(dword), type);
    default: return Variant::ofInteger(v, type);
    }
}

}  // namespace

std::optional<RegistryValue> registryValueFor(const Variant& v) {
    if (v.isInteger()) return RegistryValue::dword(static_cast<uint32_t>(v.integer()));
    switch (v.type()) {
    case VarType::Single:
    case VarType::Double:
    case VarType::Date: return RegistryValue::binary(eightBytes(std::bit_cast<uint64_t>(v.real())));
    case VarType::Currency: return RegistryValue::binary(eightBytes(static_cast<uint64_t>(v.integer())));
    case VarType::Boolean: return RegistryValue::dword(v.boolean() ? 1 : 0);
    case VarType::String: return RegistryValue::string(v.text());
    default: return std::nullopt;
    }
}

std::optional<Variant> variantFromRegistry(const RegistryValue& stored, const Variant& like) {
    if (like.isInteger()) {
        auto dword = stored.dwordValue();
        if (!dword) return std::nullopt;
        return integerAs(*dword, like.type());
    }
    switch (like.type()) {
    case VarType::Boolean: {
        auto dword = stored.dwordValue();
        if (!dword) return std::nullopt;
        return Variant::ofBoolean(*dword != 0);
    }
    case VarType::Single:
    case VarType::Double:
    case VarType::Date: {
        auto bits = eightBytesOf(stored);
        if (!bits) return std::nullopt;
        return Variant::ofReal(std::bit_cast<double>(*bits), like.type());
    }
    case VarType::Currency: {
        auto bits = eightBytesOf(stored);
        if (!bits) return std::nullopt;
        return Variant::ofCurrency(static_cast<int64_t>(*bits));
    }
    case VarType::String:
        if (!stored.isString()) return std::nullopt;
        return Variant::ofString(stored.data);
    default: return std::nullopt;
    }
}

Variant readVariant(RegistryStore& store, RegistryRoot root, std::string_view key, std::string_view name,
                    const Variant& def) {
    RegistryLookup found = store.lookup(root, key, name);
    if (!found.keyFound) {
        store.createKey(root, key);
        return def;
    }
    if (!found.value) return def;
    auto v = variantFromRegistry(*found.value, def);
    return v ? *v : def;
}

bool writeVariants(RegistryStore& store, RegistryRoot root, std::string_view key,
                   const std::vector<std::pair<std::string, Variant>>& values) {
    std::vector<NamedValue> stored;
    stored.reserve(values.size());
    for (const auto& [name, v] : values) {
        if (auto rv = registryValueFor(v)) stored.push_back({name, std::move(*rv)});
    }
    if (stored.empty()) return false;
    return store.setValues(root, key, stored);
}

}  // namespace platform
