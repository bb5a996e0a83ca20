// Type descriptions of published properties: the kind, the name scripts declare it by, and
// the data each kind needs (identifier table, enumeration names, set element type, float
// size, class, event signature). Immutable once built; safe to share between threads.
#pragma once

#include "classes/Forward.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace classes {

enum class TypeKind {
    Integer,      // 32-bit (or smaller) integer, optionally with an identifier table
    Char,         // one ANSI character
    Enumeration,  // ordinal 0..n-1, named elements
    Set,          // bit mask of an enumeration's elements (bit n = element n, at most 32)
    Float,        // see FloatType
    String,       // ANSI byte string
    WString,      // UTF-16 string
    Class,        // object reference (TObject*); the object is never owned through the property
    Method,       // event handler (TMethod)
    Variant,      // Variant
    Int64,        // 64-bit integer
    Boolean,      // False/True, stored as the tags False and True
};

enum class FloatType { Single, Double, Extended, Currency, DateTime };

// Names for integer values ("clBtnFace" = 0xFF00000F). Names compare case-insensitively.
class IdentTable {
public:
    IdentTable(std::initializer_list<std::pair<const char*, int32_t>> entries);

    // False when the name is unknown.
    bool toInt(std::string_view name, int32_t& value) const;
    // False when no name has this value; the first matching entry wins.
    bool toIdent(int32_t value, std::string& name) const;
    const std::vector<std::pair<std::string, int32_t>>& entries() const { return m_entries; }

private:
    std::vector<std::pair<std::string, int32_t>> m_entries;
};

class TypeInfo {
public:
    // Builders. The returned object must outlive every PropInfo that points at it: keep
    // types in function-local statics, as the standard types below do.
    static TypeInfo integer(std::string name, const IdentTable* idents = nullptr,
                            int64_t minValue = INT32_MIN, int64_t maxValue = INT32_MAX);
    static TypeInfo enumeration(std::string name, std::vector<std::string> elements);
    static TypeInfo set(std::string name, const TypeInfo& elementType);
    static TypeInfo floating(std::string name, FloatType floatType);
    // `declaration` is the event's parameter list as scripts declare it,
    // e.g. "procedure (Sender: TObject; var Key: Char);".
    static TypeInfo method(std::string name, std::string declaration);
    static TypeInfo simple(std::string name,
                           TypeKind kind);               // Char, String, WString, Variant, Int64, Boolean
    static TypeInfo object(const ClassInfo& classInfo);  // kind Class; ClassInfo::typeInfo() has one

    const std::string& name() const { return m_name; }
    TypeKind kind() const { return m_kind; }
    bool isOrdinal() const;  // Integer, Char, Enumeration, Set, Boolean, Int64

    // Integer: identifier table (or null) and range.
    const IdentTable* idents() const { return m_idents; }
    int64_t minValue() const { return m_min; }
    int64_t maxValue() const { return m_max; }
    // Enumeration: element names in ordinal order; index of a name (case-insensitive) or -1.
    const std::vector<std::string>& elements() const { return m_elements; }
    int elementIndex(std::string_view name) const;
    // Set: its element type (an Enumeration).
    const TypeInfo* elementType() const { return m_elementType; }
    FloatType floatType() const { return m_floatType; }
    const ClassInfo* classInfo() const { return m_class; }
    const std::string& declaration() const { return m_declaration; }

private:
    TypeInfo(std::string name, TypeKind kind) : m_name(std::move(name)), m_kind(kind) {}

    std::string m_name;
    TypeKind m_kind;
    const IdentTable* m_idents = nullptr;
    int64_t m_min = 0;
    int64_t m_max = 0;
    std::vector<std::string> m_elements;
    const TypeInfo* m_elementType = nullptr;
    FloatType m_floatType = FloatType::Extended;
    const ClassInfo* m_class = nullptr;
    std::string m_declaration;
};

// The standard types every layer shares.
namespace types {
const TypeInfo& integer();        // "Integer"
const TypeInfo& cardinal();       // "Cardinal" (0..4294967295)
const TypeInfo& byte();           // "Byte"
const TypeInfo& word();           // "Word"
const TypeInfo& smallint();       // "SmallInt"
const TypeInfo& int64();          // "Int64"
const TypeInfo& boolean();        // "Boolean"
const TypeInfo& character();      // "Char"
const TypeInfo& string();         // "String"
const TypeInfo& wideString();     // "WideString"
const TypeInfo& single();         // "Single"
const TypeInfo& doubleFloat();    // "Double"
const TypeInfo& extended();       // "Extended"
const TypeInfo& currency();       // "Currency"
const TypeInfo& dateTime();       // "TDateTime"
const TypeInfo& variant();        // "Variant"
const TypeInfo& notifyEvent();    // "TNotifyEvent" = procedure (Sender: TObject)
const TypeInfo& componentName();  // "TComponentName" (String)
const TypeInfo& color();          // "TColor" with the colour names
const TypeInfo& cursor();         // "TCursor" with the cursor names
const TypeInfo& fontCharset();    // "TFontCharset" with the charset names
}  // namespace types

}  // namespace classes
