// Exceptions of the classes layer and the system's own message texts they carry.
#pragma once

#include "base/Error.h"

#include <string>
#include <string_view>

namespace classes {

// A component stream that cannot be read (any reading error, recoverable or not).
class EReadError : public base::StreamError {
public:
    using base::StreamError::StreamError;
};
// The stream ended inside a value ("Stream read error"); never recoverable.
class EStreamTruncated : public EReadError {
public:
    using EReadError::EReadError;
};
// "Invalid stream format"; never recoverable.
class EInvalidStream : public EReadError {
public:
    using EReadError::EReadError;
};
// "Class %s not found".
class EClassNotFound : public EReadError {
public:
    using EReadError::EReadError;
};
// Published-property access: unknown name, bad path, read-only, value of the wrong kind.
class EPropertyError : public base::StreamError {
public:
    using base::StreamError::StreamError;
};
// Stream (TStream) failures: open, read, write, seek.
class EStreamError : public base::StreamError {
public:
    using base::StreamError::StreamError;
};
// Component naming and ownership ("A component named %s already exists").
class EComponentError : public base::Error {
public:
    using base::Error::Error;
};
// String list and collection index or state errors.
class EListError : public base::Error {
public:
    using base::Error::Error;
};
// TBits index errors ("Bits index out of range").
class EBitsError : public base::Error {
public:
    using base::Error::Error;
};
// TPersistent::assign between incompatible classes ("Cannot assign a %s to a %s").
class EConvertError : public base::Error {
public:
    using base::Error::Error;
};

namespace msg {
inline constexpr const char* kInvalidStreamFormat = "Invalid stream format";
inline constexpr const char* kReadError = "Stream read error";
inline constexpr const char* kWriteError = "Stream write error";
inline constexpr const char* kInvalidPropertyValue = "Invalid property value";
inline constexpr const char* kUnknownProperty = "Property %s does not exist";
inline constexpr const char* kInvalidPropertyPath = "Invalid property path";
inline constexpr const char* kPropertyReadOnly = "Property is read-only";
inline constexpr const char* kClassNotFound = "Class %s not found";
inline constexpr const char* kPropertyException = "Error reading %s%s%s: %s";
inline constexpr const char* kDuplicateName = "A component named %s already exists";
inline constexpr const char* kInvalidName = "'%s' is not a valid component name";
inline constexpr const char* kAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* kListIndexError = "List index out of bounds (%d)";
inline constexpr const char* kDuplicateString = "String list does not allow duplicates";
inline constexpr const char* kSortedListError = "Operation not allowed on sorted string list";
inline constexpr const char* kOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* kCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* kResNotFound = "Resource %s not found";
inline constexpr const char* kAbstractClass = "Cannot create an instance of %s";
inline constexpr const char* kDuplicateClass = "Class %s already registered";
inline constexpr const char* kBitsIndexError = "Bits index out of range";
}  // namespace msg

// Replaces each "%s" and "%d" in `pattern` by the next argument, in order; "%%" is "%".
std::string format(std::string_view pattern, std::initializer_list<std::string_view> args);

}  // namespace classes
