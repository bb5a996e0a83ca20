// Hand-made component-stream bytes for tests: each call appends one piece.
#pragma once

#include "base/LittleEndian.h"
#include "classes/ValueTag.h"

#include <string>
#include <string_view>

namespace sample {

struct Bytes {
    std::string s;

    Bytes& raw(std::string_view b) {
        s += b;
        return *this;
    }
    Bytes& byte(int b) {
        s.push_back(static_cast<char>(b));
        return *this;
    }
    Bytes& tag(classes::ValueTag t) { return byte(static_cast<int>(t)); }
    Bytes& str(std::string_view text) {  // short string without tag
        byte(static_cast<int>(text.size()));
        return raw(text);
    }
    Bytes& sig() { return raw("TPF0"); }
    Bytes& end() { return byte(0); }
    Bytes& i8(int v) { return tag(classes::ValueTag::Int8).byte(v & 0xFF); }
    Bytes& i16(int v) {
        tag(classes::ValueTag::Int16);
        base::appendLE16(s, static_cast<uint16_t>(v));
        return *this;
    }
    Bytes& i32(int32_t v) {
        tag(classes::ValueTag::Int32);
        base::appendLE32(s, static_cast<uint32_t>(v));
        return *this;
    }
    Bytes& i64(int64_t v) {
        tag(classes::ValueTag::Int64);
        base::appendLE64(s, static_cast<uint64_t>(v));
        return *this;
    }
    Bytes& string(std::string_view text) { return tag(classes::ValueTag::String).str(text); }
    Bytes& lstring(std::string_view text) {
        tag(classes::ValueTag::LString);
        base::appendLE32(s, static_cast<uint32_t>(text.size()));
        return raw(text);
    }
    Bytes& utf8(std::string_view text) {
        tag(classes::ValueTag::UTF8String);
        base::appendLE32(s, static_cast<uint32_t>(text.size()));
        return raw(text);
    }
    Bytes& wstring(std::u16string_view text) {
        tag(classes::ValueTag::WString);
        base::appendLE32(s, static_cast<uint32_t>(text.size()));
        for (char16_t c : text) base::appendLE16(s, c);
        return *this;
    }
    Bytes& ident(std::string_view text) { return tag(classes::ValueTag::Ident).str(text); }
    Bytes& binary(std::string_view data) {
        tag(classes::ValueTag::Binary);
        base::appendLE32(s, static_cast<uint32_t>(data.size()));
        return raw(data);
    }
    Bytes& prop(std::string_view name) { return str(name); }
    // Class name and component name of a record (no prefix).
    Bytes& record(std::string_view cls, std::string_view name) { return str(cls).str(name); }
};

}  // namespace sample
