// Routines of system libraries the host serves itself: a script declares them "external
// 'Proc@Library stdcall'" with whatever types it likes (Integer, DWORD or a type of its own
// for a handle; PChar or string for a text; a record of its own for a structure), so their
// code reads the arguments by position and kind instead of through a typed C++ signature.
//
// Buffers: a string argument the routine writes into holds as many bytes as its length (a
// script prepares it with SetLength); nothing is written past that, whatever size the
// script claims in another argument. A value (PChar) string is written in place, as the
// system's routines write through the pointer they get, and keeps its length; a `var`
// string comes back cut at its first zero byte. String constants of the script are never
// written. Main thread only, while the routine runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace script {

class NativeCall;

class ForeignCall {
public:
    explicit ForeignCall(NativeCall& call) : m_call(call) {}

    // Arguments past the declared ones read as nil and take no writes.
    int count() const;
    // An ordinal (integer, Boolean, character, enumeration) or a float truncated; 0 for a
    // string or a structure, as a pointer would not fit in the script's integers.
    int64_t integer(int i) const;
    uint32_t dword(int i) const { return static_cast<uint32_t>(integer(i)); }
    // A string argument up to its first zero byte; empty for an integer (a nil pointer).
    std::string text(int i) const;
    bool isText(int i) const;
    // A string argument whole, zero bytes included (binary data).
    std::string bytes(int i) const;
    // The bytes a string (or `var` array of Char) argument can take; 0 when it cannot be written.
    size_t capacity(int i) const;
    // Writes `bytes` at the start of the buffer, no further than its capacity; the number
    // written.
    size_t fill(int i, std::string_view bytes);
    // A `var` ordinal argument (the low bytes of its type for an integer); false when the
    // argument is not one.
    bool setInteger(int i, int64_t value);
    // `var` records: the number of fields (0 for anything else), a field's ordinal value, and
    // setting a field: ordinals wrap to their type, floats take the value, strings and arrays
    // of Char take the text (an array within its length, ending with a zero when it fits).
    int fieldCount(int i) const;
    int64_t field(int i, int f) const;
    void setField(int i, int f, int64_t value);
    void setFieldText(int i, int f, std::string_view text);
    // The result in the declared type (wrapped); ignored for a procedure. A string result
    // takes the text.
    void returnInteger(int64_t value);
    void returnText(std::string value);

private:
    NativeCall& m_call;
};

using ForeignFn = std::function<void(ForeignCall&)>;

// What a host table offers for one library routine: its code and how many parameters its
// declaration must have (a declaration with another count cannot be served).
struct ForeignRoutine {
    ForeignFn fn;
    int params = 0;
    explicit operator bool() const { return static_cast<bool>(fn); }
};

// Asked with the library and routine names as the script wrote them; an empty routine when
// the host does not serve it (the engine then opens the library itself).
using ForeignProvider = std::function<ForeignRoutine(std::string_view library, std::string_view proc)>;

}  // namespace script
