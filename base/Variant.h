// A variant value as native routines take and return it: the variant type a script sees
// (the VarType codes) and its payload. Routines that store variants (registry, INI files,
// the variables store) choose their encoding by the type, so the type is kept exactly,
// not just the kind of number.
#pragma once

#include <cstdint>
#include <string>

namespace base {

enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    OleStr = 8,
    Dispatch = 9,
    Error = 10,
    Boolean = 11,
    Variant = 12,
    Unknown = 13,
    ShortInt = 16,
    Byte = 17,
    Word = 18,
    LongWord = 19,
    Int64 = 20,
    String = 256,
};

class Variant {
public:
    Variant() = default;

    // An integer of one of the integer types, wrapped to that type's range.
    static Variant ofInteger(int64_t value, VarType type = VarType::Integer);
    // Single, Double or Date (days since 30 December 1899); Single is rounded to float.
    static Variant ofReal(double value, VarType type = VarType::Double);
    // A currency value given as the amount times 10000.
    static Variant ofCurrency(int64_t scaled);
    static Variant ofBoolean(bool value);
    static Variant ofString(std::string value);
    // A value of a type without payload here (Empty, Null, Dispatch, ...).
    static Variant ofType(VarType type);

    VarType type() const { return m_type; }
    bool isInteger() const;
    bool isReal() const {
        return m_type == VarType::Single || m_type == VarType::Double || m_type == VarType::Date;
    }

    // Integer types and Boolean (0 or 1); Currency gives the scaled amount.
    int64_t integer() const { return m_integer; }
    // Single, Double and Date.
    double real() const { return m_real; }
    bool boolean() const { return m_integer != 0; }
    const std::string& text() const { return m_text; }

    bool operator==(const Variant&) const = default;

private:
    VarType m_type = VarType::Empty;
    int64_t m_integer = 0;
    double m_real = 0;
    std::string m_text;
};

inline bool Variant::isInteger() const {
    switch (m_type) {
    case VarType::SmallInt:
    case VarType::Integer:
    case VarType::ShortInt:
    case VarType::Byte:
    case VarType::Word:
    case VarType::LongWord:
    case VarType::Int64: return true;
    default: return false;
    }
}

inline Variant Variant::ofInteger(int64_t value, VarType type) {
    Variant v;
    v.m_type = type;
    switch (type) {
    case VarType::SmallInt: v.m_integer = static_cast<int16_t>(value); break;
    case VarType::ShortInt: v.m_integer = static_cast<int8_t>(value); break;
    case VarType::Byte: v.m_integer = static_cast<uint8_t>(value); break;
    case VarType::Word: v.m_integer = static_cast<uint16_t>(value); break;
    case VarType::LongWord: v.m_integer = static_cast<uint32_t>(value); break;
    case VarType::Int64: v.m_integer = value; break;
    default:
        v.m_type = VarType::Integer;
        v.m_integer = static_cast<int32_t>(value);
        break;
    }
    return v;
}

inline Variant Variant::ofReal(double value, VarType type) {
    Variant v;
    v.m_type = type == VarType::Single || type == VarType::Date ? type : VarType::Double;
    v.m_real = type == VarType::Single ? static_cast<double>(static_cast<float>(value)) : value;
    return v;
}

inline Variant Variant::ofCurrency(int64_t scaled) {
    Variant v;
    v.m_type = VarType::Currency;
    v.m_integer = scaled;
    return v;
}

inline Variant Variant::ofBoolean(bool value) {
    Variant v;
    v.m_type = VarType::Boolean;
    v.m_integer = value ? 1 : 0;
    return v;
}

inline Variant Variant::ofString(std::string value) {
    Variant v;
    v.m_type = VarType::String;
    v.m_text = std::move(value);
    return v;
}

inline Variant Variant::ofType(VarType type) {
    Variant v;
    v.m_type = type;
    return v;
}

}  // namespace base
