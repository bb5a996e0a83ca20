// Variants in the registry: which registry type each variant type is stored as, and the
// typed read that returns a stored value only when it has the type the default asks for.
//
//   integer types     DWORD, the low 32 bits (64-bit and unsigned values wrap)
//   Single, Double    binary, 8 bytes: an IEEE double
//   Currency          binary, 8 bytes: the amount times 10000 as a 64-bit integer
//   Date              binary, 8 bytes: an IEEE double, days since 30 December 1899
//   Boolean           DWORD 1 or 0; any non-zero reads as True
//   String            string
//   anything else     nothing written, nothing read
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Variant.h"
#include "platform/Registry.h"

namespace platform {

// The value a variant is stored as; nullopt for a type that is not stored.
std::optional<RegistryValue> registryValueFor(const base::Variant& v);

// The stored value in the variant type of `like`; nullopt when the stored type is not
// the one that type is stored as, binary data is not 8 bytes, or the number does not fit
// the type (300 for a Byte).
std::optional<base::Variant> variantFromRegistry(const RegistryValue& stored, const base::Variant& like);

// The typed read: `def` unless the value exists with the type `def` asks for. A missing
// key is created, as the reads of the original create it. Throws on store failures.
base::Variant readVariant(RegistryStore& store, RegistryRoot root, std::string_view key,
                          std::string_view name, const base::Variant& def);

// Writes the values whose types are stored (others are skipped), creating the key; all in
// one transaction. False when nothing could be written. Throws on store failures.
bool writeVariants(RegistryStore& store, RegistryRoot root, std::string_view key,
                   const std::vector<std::pair<std::string, base::Variant>>& values);
inline bool writeVariant(RegistryStore& store, RegistryRoot root, std::string_view key, std::string_view name,
                         const base::Variant& v) {
    return writeVariants(store, root, key, {{std::string(name), v}});
}

}  // namespace platform
