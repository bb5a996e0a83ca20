// TReader: reads component streams. The value layer reads one tagged value at a time with
// the "read as" rules (an integer from Int8/Int16/Int32, a string from any string tag, ...);
// the component layer reads a root record with its properties and children into live
// objects through the class metadata, records and resolves references, and reports
// recoverable errors to `onError`.
//
// The reader buffers its input, so the stream's own position runs ahead of the reader's
// logical position(); the destructor (or flushBuffer()) seeks the stream back to the
// logical position, so a second stream in the same file can be read right after the first.
// Every read is bounded by the stream's data: a truncated stream throws EStreamTruncated
// ("Stream read error"), never reads past the end. Main thread only.
#pragma once

#include "classes/ClassInfo.h"
#include "classes/Errors.h"
#include "classes/ValueTag.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace classes {

class TStream;
class TComponent;
class TPersistent;
class TCollection;

class TReader {
public:
    // `stream` is borrowed and must outlive the reader.
    explicit TReader(TStream& stream, int bufferSize = 4096);
    virtual ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // ---- Events (set by the reader's owner before reading) ----
    // Called with the full message of each recoverable error; return true to skip the
    // offending property or component and go on, false to let the error propagate.
    std::function<bool(const std::string& message)> onError;
    // Called after the reader's own class look-up with the class found so far (maybe null);
    // returns the class to create (null: "Class %s not found").
    std::function<const ClassInfo*(std::string_view className, const ClassInfo* found)> onFindComponentClass;
    // May create the component itself (owned by `owner`); null lets the reader create it.
    std::function<TComponent*(const ClassInfo& cls, TComponent* owner)> onCreateComponent;

    // ---- Position ----
    // Logical position in the stream: the next unread byte.
    int64_t position() const { return m_bufPos + m_index; }
    // Seeks the stream to the logical position and drops the buffer.
    void flushBuffer();

    // ---- Values ----
    ValueTag nextValue();                // peeks at the next tag
    ValueTag readValue();                // consumes a tag byte (any byte value 0..255 is returned as is)
    bool endOfList();                    // next byte is 0
    void checkValue(ValueTag expected);  // consumes; else "Invalid property value"
    void readListBegin() { checkValue(ValueTag::List); }
    void readListEnd() { checkValue(ValueTag::Null); }
    int32_t readInteger();
    int64_t readInt64();
    long double readFloat();
    float readSingle();
    int64_t readCurrency();  // amount x 10000
    double readDate();
    std::string readString();  // ANSI
    std::u16string readWideString();
    bool readBoolean();
    std::string readIdent();
    char readChar();
    std::string readBinary();                 // Binary tag + payload
    std::vector<std::string> readSetNames();  // Set tag + names
    Variant readVariant();
    void skipValue();
    void readSignature();  // "TPF0" or "Invalid stream format"

    // ---- Raw ----
    uint8_t readByte();
    void read(void* dest, size_t count);
    std::string readBytes(size_t count);  // bounded by the data actually present
    std::string readStr();                // 1-byte length + bytes, no tag

    // ---- Components ----
    // Reads the signature and one root record into `root` (or, when null, into a new
    // component of the stream's class, found as for children), then resolves references
    // and calls loaded() on every component read, root first. The root's name is made
    // unique among the global components ("%s_%d"). Returns the root.
    TComponent* readRootComponent(TComponent* root);
    // Reads properties into `instance` until the 0 byte (consumed); used for collection
    // items and by readRootComponent.
    void readProperties(TPersistent& instance);
    void readCollection(TCollection& collection);

    TComponent* root() const { return m_root; }
    TComponent* owner() const { return m_owner; }
    TComponent* parent() const { return m_parent; }
    // True while a property's value is read by a defined-property reader (errors inside it
    // are not recoverable then).
    bool inDefinedProperty() const { return m_inDefined > 0; }
    int nestingDepth() const { return m_depth; }

    // Deepest nesting of records, lists and collections accepted; deeper input is
    // "Invalid stream format", so hostile input cannot exhaust the C++ stack.
    static constexpr int kMaxDepth = 200;

protected:
    void readComponentRecord();
    void readProperty(TPersistent& instance);
    void readPropValue(TPersistent& instance, const PropInfo& prop);
    const ClassInfo* findComponentClass(std::string_view className);
    void skipProperties();
    void skipComponentRecord(bool skipHeader);
    void skipSetBody();
    void skipBytes(uint64_t count);
    // Calls onError; true when handled.
    bool handleError(const std::string& message);

private:
    struct Fixup;
    void fill();
    void need(size_t count);
    int32_t readIntegerTagged(ValueTag tag);
    void addFixup(TPersistent& instance, const PropInfo& prop, std::string name);
    void resolveFixups();
    struct DepthGuard;

    TStream& m_stream;
    std::vector<unsigned char> m_buf;
    size_t m_index = 0;
    size_t m_end = 0;
    int64_t m_bufPos = 0;  // stream position of m_buf[0]

    TComponent* m_root = nullptr;
    TComponent* m_owner = nullptr;
    TComponent* m_parent = nullptr;
    TComponent* m_current = nullptr;  // the component whose properties are being read
    std::vector<TComponent*> m_loaded;
    std::vector<Fixup> m_fixups;
    int m_inDefined = 0;
    int m_depth = 0;
    std::string m_propPath;
};

// Resolves dotted references parked by earlier reads whose target now exists. The reader
// calls it after every root read; call it after creating a root by other means.
void resolvePendingFixups(const std::function<bool(const std::string&)>& onError = {});
// Drops parked references held by `object` or read with it as component or root (called by
// the destructors of TComponent and TCollectionItem, so nothing is written into freed memory).
void removePendingFixups(const TPersistent* object);
int pendingFixupCount();

}  // namespace classes
