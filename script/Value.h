// Run-time values of the VM: every variable and stack entry is one 8-byte Slot; managed
// types (strings, variants, sets, records, static and dynamic arrays) hold a pointer to a
// reference-counted heap object, null meaning the type's empty/default value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace script {

struct HeapObj;

union Slot {
    int64_t i;
    double d;
    HeapObj* p;
    Slot* a;  // address of another slot (var parameters, designator chains)
};
static_assert(sizeof(Slot) == 8);

struct HeapObj {
    int32_t rc = 1;
    virtual ~HeapObj() = default;
};

inline void retain(HeapObj* p) {
    if (p) ++p->rc;
}
inline void release(HeapObj* p) {
    if (p && --p->rc == 0) delete p;
}

// Byte string with copy-on-write: writers call uniqueStr() first.
struct StrObj : HeapObj {
    std::string s;
    explicit StrObj(std::string v) : s(std::move(v)) {}
};

inline const std::string kNoText;  // constant-initialised: no guard on every use
inline const std::string& strOf(const Slot& v) { return v.p ? static_cast<StrObj*>(v.p)->s : kNoText; }
inline HeapObj* newStr(std::string v) { return v.empty() ? nullptr : new StrObj(std::move(v)); }

struct TypeDesc;

// Records and static arrays: a fixed row of slots with value semantics. Every variable,
// field and element owns its object alone: a load that keeps the value takes a deep copy and
// an assignment copies into the existing object, so the address of a slot inside one (a
// `var` argument, a `with` target) stays valid and sees every later assignment. Sharing
// happens only for a moment on the stack, and writers still copy a shared object first.
struct AggObj : HeapObj {
    const TypeDesc* type;
    std::vector<Slot> slots;
    explicit AggObj(const TypeDesc* t);
    AggObj(const AggObj& other);  // deep: nested aggregates are copied, not shared
    ~AggObj() override;
};

// Dynamic arrays: shared by reference.
struct ArrObj : HeapObj {
    const TypeDesc* elem;
    bool managed;
    std::vector<Slot> items;
    ArrObj(const TypeDesc* e, bool m) : elem(e), managed(m) {}
    ~ArrObj() override {
        if (managed)
            for (Slot& s : items) release(s.p);
    }
};

// Sets of up to 256 ordinal values; immutable once built, so sharing needs no copy.
struct SetObj : HeapObj {
    uint64_t bits[4] = {0, 0, 0, 0};
    bool test(int64_t v) const { return v >= 0 && v < 256 && (bits[v >> 6] >> (v & 63)) & 1; }
    void set(int64_t v) {
        if (v >= 0 && v < 256) bits[v >> 6] |= uint64_t(1) << (v & 63);
    }
    void reset(int64_t v) {
        if (v >= 0 && v < 256) bits[v >> 6] &= ~(uint64_t(1) << (v & 63));
    }
    bool empty() const { return !(bits[0] | bits[1] | bits[2] | bits[3]); }
};

// Variant payload; immutable, replaced whole on assignment.
enum class VarKind : uint8_t { Empty, Null, Integer, Int64, Double, Boolean, String };
struct VarObj : HeapObj {
    VarKind kind = VarKind::Empty;
    int64_t i = 0;
    double d = 0;
    std::string s;
};

}  // namespace script
