// The registry routines of the script library as plain functions over the registry store.
// Roots are the script's integers (HKEY_CURRENT_USER is hex 80000001); sub-key names are
// paths below the root. Every routine catches every failure and returns its failure
// value (False, the default); none expands placeholders.
#pragma once

#include <cstdint>
#include <string>

namespace classes {
class TStrings;
class Variant;
}  // namespace classes

namespace library {

// A String or ExpandString value into resultStr (left alone when the value is missing);
// False when the key is missing or the value has another type.
bool regQueryStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         std::string& resultStr);
// The value's raw data less its last byte, so the strings of a multi-string value arrive
// separated by zero bytes; empty data gives the empty text.
bool regQueryMultiStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                              std::string& resultStr);
// With an empty valueName whether the key exists, otherwise whether it has the value.
bool regValueExists(int32_t rootKey, const std::string& subKeyName, const std::string& valueName);
// The key with everything below it; False for a missing key and for an empty name or
// "\", which would name the root itself.
bool regDeleteKeyIncludingSubkeys(int32_t key, const std::string& name);
// The key when it has neither sub-keys nor values.
bool regDeleteKeyIfEmpty(int32_t rootKey, const std::string& subkeyName);
// Replaces the list's lines with the key's sub-key (value) names, creating the list when
// nil (the caller owns it); a missing key gives an empty list and True.
bool regGetSubkeyNames(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names);
bool regGetValueNames(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names);
// Writers create the key when missing.
bool regWriteStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         const std::string& value);
// The bytes of value and one zero byte as a multi-string value; the caller separates the
// strings with zero characters and ends the list with one more.
bool regWriteMultiStringValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                              const std::string& value);
bool regWriteDWordValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                        uint32_t value);
bool regWriteBinaryValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName,
                         const std::string& value);
bool regDeleteValue(int32_t rootKey, const std::string& subKeyName, const std::string& valueName);

// Variants in the registry, by variant type:
//   Integer, Int64               DWORD, the low 32 bits (64-bit values wrap)
//   Single, Double, Extended     binary, 8 bytes: an IEEE double
//   Currency                     binary, 8 bytes: the amount times 10000 as a 64-bit integer
//   Date                         binary, 8 bytes: an IEEE double, days since 30 December 1899
//   Boolean                      DWORD 1 or 0; any non-zero reads as True
//   String                       string
//   anything else                nothing written, nothing read
// The typed read: `value` (the default) unless the value exists with the registry type the
// default's variant type is stored as (binary data exactly 8 bytes); then the stored value
// in the default's type. Creates the key when missing; projects may test for the key
// after reading it.
classes::Variant readFromRegistry(int32_t key, const std::string& subkey, const std::string& name,
                                  const classes::Variant& value);
void writeToRegistry(int32_t key, const std::string& subkey, const std::string& name,
                     const classes::Variant& value);

}  // namespace library
