// TWriter: writes component streams in the format TReader reads. Integers use the smallest
// tag that holds them; strings use String up to 255 bytes and LString beyond; wide strings
// that are plain ASCII are written as ANSI strings, others as UTF8String. Properties are
// written in metadata order, skipping read-only ones (except objects, written by path),
// unstored ones and values equal to their default.
#pragma once

#include "classes/ClassInfo.h"
#include "classes/ValueTag.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace classes {

class TStream;
class TComponent;
class TPersistent;
class TCollection;

class TWriter {
public:
    // `stream` is borrowed; bytes reach it at flush() or destruction.
    explicit TWriter(TStream& stream, int bufferSize = 4096);
    ~TWriter();
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;
    void flush();
    int64_t position() const;

    // ---- Values ----
    void writeValue(ValueTag tag);
    void writeListBegin() { writeValue(ValueTag::List); }
    void writeListEnd() { writeValue(ValueTag::Null); }
    void writeInteger(int64_t v);    // Int8/Int16/Int32, Int64 only when needed
    void writeFloat(long double v);  // Extended
    void writeSingle(float v);
    void writeCurrency(int64_t scaledBy10000);
    void writeDate(double days);
    void writeString(std::string_view ansi);  // String or LString
    void writeWideString(std::u16string_view text);
    void writeUtf8String(std::string_view utf8);
    void writeWString(std::u16string_view text);  // the WString tag
    void writeBoolean(bool v);
    // "False", "True", "nil" and "Null" become their own tags, as the reader reads them back.
    void writeIdent(std::string_view ident);
    void writeBinary(std::string_view bytes);
    void writeSet(const std::vector<std::string>& names);
    // Null elements of arrays are written as Nil (unassigned): the Null tag would end the list.
    void writeVariant(const Variant& v);
    void writeStr(std::string_view s);  // 1-byte length + bytes, no tag; at most 255 bytes
    void writeSignature();
    void writeRaw(const void* data, size_t count);

    // ---- Components ----
    // Signature, root record with its properties and children (getChildren order).
    void writeRootComponent(TComponent& root);
    void writeComponent(TComponent& component);
    // Published then defined properties of `instance`, each as a property record; `prefix`
    // is prepended to names (for properties of sub-objects: "Font.").
    void writeProperties(const TPersistent& instance, const std::string& prefix = {});
    void writeCollection(const TCollection& collection);

private:
    void writeProperty(const TPersistent& instance, const PropInfo& prop, const std::string& prefix);

    TStream& m_stream;
    std::string m_buf;
    size_t m_limit;
    int64_t m_flushed = 0;
    TComponent* m_root = nullptr;
    int m_depth = 0;
};

}  // namespace classes
