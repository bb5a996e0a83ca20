// Values that cross the generic property interface: PropValue (one alternative per family
// of property kinds), Variant (the Variant property kind) and TMethod (bound event handlers).
#pragma once

#include "classes/Forward.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace classes {

// A Variant property value. Keeps the stream's own type (Single, Currency, Date) so that a
// value read from a stream is written back with the same tag.
class Variant {
public:
    enum class Type {
        Unassigned,
        Null,
        Boolean,
        Integer,
        Int64,
        Single,
        Double,
        Extended,
        Currency,
        Date,
        String,
        WString,
        Array
    };

    Variant() = default;
    static Variant null();
    static Variant boolean(bool v);
    static Variant integer(int32_t v);
    static Variant int64(int64_t v);
    static Variant floating(long double v, Type type = Type::Extended);  // Single, Double, Extended, Date
    static Variant currency(int64_t scaledBy10000);
    static Variant string(std::string ansi);
    static Variant wideString(std::u16string text);
    static Variant array(std::vector<Variant> items);

    Type type() const { return m_type; }
    bool asBoolean() const { return m_int != 0; }
    int64_t asInt64() const { return m_int; }        // Integer, Int64, Boolean; Currency scaled by 10000
    long double asFloat() const { return m_float; }  // Single, Double, Extended, Date
    const std::string& asString() const { return m_string; }
    const std::u16string& asWideString() const { return m_wide; }
    const std::vector<Variant>& items() const { return m_items; }

    bool operator==(const Variant& other) const;

private:
    Type m_type = Type::Unassigned;
    int64_t m_int = 0;
    long double m_float = 0;
    std::string m_string;
    std::u16string m_wide;
    std::vector<Variant> m_items;
};

struct NativeType;

// A record or array passed to an event handler (the mouse message of an image button, the
// colour table of a gradient's OnCustom): the raiser's own value and its description
// (classes::recordArg builds one). A value parameter reads it, and may move its strings out;
// a var parameter's final value is written back into it.
struct RecordArg {
    const NativeType* type = nullptr;
    void* data = nullptr;
};

// One argument of an event call. A `var` parameter is passed as a pointer so the handler
// can write it back (Key: Word in OnKeyDown, CanClose: Boolean in OnCloseQuery).
using EventArg = std::variant<int64_t, long double, bool, std::string, TObject*, int64_t*, long double*,
                              bool*, std::string*, TObject**, RecordArg>;

// A bound event handler, the value of a Method-kind property. `code` identifies the
// procedure (a script procedure, a published method) and `data` the object it runs on;
// two TMethods are equal when both match, which is what scripts compare. The call
// itself goes through `invoke`, which the assigner supplies (the script engine marshals
// the arguments according to the event type's declaration). Copies share the invoker.
class TMethod {
public:
    using Invoker = std::function<void(std::span<const EventArg> args)>;

    TMethod() = default;
    TMethod(const void* code, TObject* data, Invoker invoke)
        : m_code(code), m_data(data), m_invoke(std::make_shared<const Invoker>(std::move(invoke))) {}

    bool assigned() const { return m_code != nullptr || m_invoke != nullptr; }
    explicit operator bool() const { return assigned(); }
    const void* code() const { return m_code; }
    TObject* data() const { return m_data; }
    // Calls the handler; does nothing when unassigned. Exceptions of the handler propagate.
    void operator()(std::span<const EventArg> args) const {
        if (m_invoke && *m_invoke) (*m_invoke)(args);
    }
    void operator()(std::initializer_list<EventArg> args) const {
        (*this)(std::span<const EventArg>(args.begin(), args.size()));
    }
    bool operator==(const TMethod& other) const { return m_code == other.m_code && m_data == other.m_data; }
    // The assigner's invoker, so it can recognise its own handlers (std::function::target).
    const Invoker* invoker() const { return m_invoke.get(); }

private:
    const void* m_code = nullptr;
    TObject* m_data = nullptr;
    std::shared_ptr<const Invoker> m_invoke;
};

// The generic value of a published property, by kind:
//   int64_t         Integer, Char (the byte), Enumeration (ordinal), Set (bit mask), Boolean (0/1), Int64
//   long double     Float (Currency as its amount, TDateTime as days since 1899-12-30)
//   std::string     String (ANSI bytes)
//   std::u16string  WString
//   TObject*        Class (borrowed; never transfers ownership)
//   TMethod         Method
//   Variant         Variant
using PropValue = std::variant<int64_t, long double, std::string, std::u16string, TObject*, TMethod, Variant>;

}  // namespace classes
