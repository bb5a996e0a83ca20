// The tag byte that starts every value of a component stream.
#pragma once

#include <cstdint>

namespace classes {

enum class ValueTag : uint8_t {
    Null = 0,  // end of a list; null in a variant
    List = 1,  // values up to a Null
    Int8 = 2,
    Int16 = 3,
    Int32 = 4,
    Extended = 5,  // 10-byte x87 extended float
    String = 6,    // 1-byte length + bytes
    Ident = 7,     // 1-byte length + bytes
    False = 8,
    True = 9,
    Binary = 10,   // 4-byte length + bytes
    Set = 11,      // short names up to an empty one
    LString = 12,  // 4-byte length + bytes
    Nil = 13,
    Collection = 14,  // items (optional index, List, properties, Null) up to a Null
    Single = 15,
    Currency = 16,  // int64 amount x 10000
    Date = 17,      // double, days since 1899-12-30
    WString = 18,   // 4-byte length in UTF-16 units + 2n bytes
    Int64 = 19,
    UTF8String = 20,  // 4-byte length in bytes + UTF-8
};

inline constexpr uint8_t kMaxValueTag = 20;

}  // namespace classes
