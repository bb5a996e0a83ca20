// Case-insensitive hashed symbol tables of the checker: one global scope (system unit and
// script globals share it, a script name shadowing a built-in) and one routine scope.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "script/Types.h"

namespace script {

enum class SymKind : uint8_t { Const, Type, Var, Proc, Native, Intrinsic, Label };

enum class Intrinsic : uint8_t {
    Length,
    SetLength,
    High,
    Low,
    Inc,
    Dec,
    Include,
    Exclude,
    SizeOf,
    Ord,
    Chr,
    Succ,
    Pred,
    Assigned,
    Abs,
    Exit,
    Break,
    Continue,
    GetArrayLength,
    SetArrayLength,
    RaiseException,
};

struct Symbol {
    SymKind kind = SymKind::Var;
    std::string name;  // as declared
    const TypeDesc* type = nullptr;
    Slot value{};     // constants
    std::string str;  // string constants
    bool global = false;
    int slot = -1;  // variables; procedures; natives; labels
    bool byRef = false;
    bool readOnly = false;  // const parameters, for-loop variables are not
    bool builtin = false;
    Intrinsic intrinsic = Intrinsic::Length;
    bool used = false;
};

inline std::string upperName(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

class Scope {
public:
    Symbol* find(const std::string& upper) {
        auto it = m_map.find(upper);
        return it == m_map.end() ? nullptr : it->second.get();
    }
    // Returns null when the name is taken (and not a shadowable built-in).
    Symbol* add(const std::string& upper, Symbol sym) {
        auto& slot = m_map[upper];
        if (slot && !slot->builtin) return nullptr;
        slot = std::make_unique<Symbol>(std::move(sym));
        return slot.get();
    }
    void clear() { m_map.clear(); }
    template <typename F>
    void forEach(F f) const {
        for (auto& [k, v] : m_map) f(*v);
    }

private:
    std::unordered_map<std::string, std::unique_ptr<Symbol>> m_map;
};

}  // namespace script
