// Compile-time type descriptors. The checker resolves every expression to one of these;
// the VM only looks at them for aggregates (layout, managed slots) and comparisons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/Value.h"

namespace script {

enum class TypeKind : uint8_t {
    Void,
    Integer,
    Boolean,
    Char,
    Enum,
    Float,
    String,
    Variant,
    Set,
    Record,
    StaticArray,
    DynArray,
    Proc,
    Class,
    Nil,
};

enum class IntKind : uint8_t { Byte, ShortInt, Word, SmallInt, Integer, Cardinal, Int64, UInt64 };
enum class FloatKind : uint8_t { Single, Double, Extended, Currency };
enum class ParamMode : uint8_t { Value, Const, Var, Out };
enum class PropertyAccess : uint8_t { ReadWrite = 0, ReadOnly = 1, WriteOnly = 2 };

struct TypeDesc;
struct ClassDecl;

constexpr uint8_t kPlainSlot = 0, kManagedSlot = 1, kAggregateSlot = 2;

struct Param {
    std::string name;
    const TypeDesc* type = nullptr;
    ParamMode mode = ParamMode::Value;
    bool byRef() const { return mode == ParamMode::Var || mode == ParamMode::Out; }
};

struct ProcSig {
    std::vector<Param> params;
    const TypeDesc* result = nullptr;  // null for procedures
};

struct Field {
    std::string name;  // upper case
    const TypeDesc* type;
};

struct TypeDesc {
    TypeKind kind = TypeKind::Void;
    std::string name;
    IntKind intKind = IntKind::Integer;
    FloatKind floatKind = FloatKind::Double;
    int64_t low = 0, high = 0;         // ordinal range; static array bounds
    const TypeDesc* elem = nullptr;    // set, arrays
    std::vector<std::string> members;  // enumeration names, original spelling
    std::vector<Field> fields;         // records
    ProcSig sig;                       // procedural types
    const ClassDecl* cls = nullptr;    // imported classes
    // Per slot of an aggregate: kPlainSlot, kManagedSlot, or kAggregateSlot (a nested record or
    // static array, copied element by element so addresses into it stay valid).
    std::vector<uint8_t> managedSlots;
    bool openArray = false;  // `array of T` parameter

    bool isManaged() const {
        switch (kind) {
        case TypeKind::String:
        case TypeKind::Variant:
        case TypeKind::Set:
        case TypeKind::Record:
        case TypeKind::StaticArray:
        case TypeKind::DynArray: return true;
        default: return false;
        }
    }
    bool isOrdinal() const {
        return kind == TypeKind::Integer || kind == TypeKind::Boolean || kind == TypeKind::Char ||
               kind == TypeKind::Enum;
    }
    bool isAggregate() const { return kind == TypeKind::Record || kind == TypeKind::StaticArray; }
    uint8_t slotKind() const {
        return isAggregate() ? kAggregateSlot : isManaged() ? kManagedSlot : kPlainSlot;
    }
    int slotCount() const { return kind == TypeKind::Record ? int(fields.size()) : int(high - low + 1); }
};

// Deep equality of two values of one type (records compare field by field).
bool valuesEqual(const TypeDesc* t, Slot a, Slot b);

}  // namespace script
