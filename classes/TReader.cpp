// Component stream reading: buffered value reads with the "read as" rules, then records,
// properties through the class metadata, references and end-of-loading notifications.
#include "classes/TReader.h"

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "classes/Extended.h"
#include "classes/Streams.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"

#include <algorithm>
#include <cstring>

namespace classes {

// The reader aborts with this once an error has been offered to the handler and refused,
// so enclosing property reads pass it on instead of asking again.
class EReadAbort : public EReadError {
public:
    using EReadError::EReadError;
};

struct TReader::Fixup {
    TPersistent* instance;
    const PropInfo* prop;
    std::string name;
    TComponent* component;  // the component whose record held the reference
    TComponent* root;
};

struct TReader::DepthGuard {
    explicit DepthGuard(TReader& r) : reader(r) {
        if (++reader.m_depth > kMaxDepth) {
            --reader.m_depth;
            throw EInvalidStream(msg::kInvalidStreamFormat);
        }
    }
    ~DepthGuard() { --reader.m_depth; }
    TReader& reader;
};

TReader::TReader(TStream& stream, int bufferSize)
    : m_stream(stream), m_buf(static_cast<size_t>(std::max(bufferSize, 16))), m_bufPos(stream.position()) {}

TReader::~TReader() {
    try {
        flushBuffer();
    } catch (...) {
        // A stream that cannot seek back keeps its read-ahead position.
    }
}

void TReader::flushBuffer() {
    int64_t pos = position();
    if (m_end != 0) m_stream.setPosition(pos);
    m_bufPos = pos;
    m_index = m_end = 0;
}

void TReader::fill() {
    size_t left = m_end - m_index;
    if (m_index > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_index, left);
        m_bufPos += static_cast<int64_t>(m_index);
        m_index = 0;
        m_end = left;
    }
    int64_t n = m_stream.read(m_buf.data() + m_end, static_cast<int64_t>(m_buf.size() - m_end));
    if (n > 0) m_end += static_cast<size_t>(n);
}

void TReader::need(size_t count) {
    while (m_end - m_index < count) {
        size_t before = m_end - m_index;
        fill();
        if (m_end - m_index == before) throw EStreamTruncated(msg::kReadError);
    }
}

uint8_t TReader::readByte() {
    if (m_index == m_end) need(1);
    return m_buf[m_index++];
}

void TReader::read(void* dest, size_t count) {
    auto* out = static_cast<unsigned char*>(dest);
    while (count > 0) {
        if (m_index == m_end) need(1);
        size_t n = std::min(count, m_end - m_index);
        std::memcpy(out, m_buf.data() + m_index, n);
        m_index += n;
        out += n;
        count -= n;
    }
}

std::string TReader::readBytes(size_t count) {
    std::string out;
    // Grow with the data actually present, so a lying length cannot reserve gigabytes.
    while (out.size() < count) {
        if (m_index == m_end) need(1);
        size_t n = std::min(count - out.size(), m_end - m_index);
        out.append(reinterpret_cast<const char*>(m_buf.data() + m_index), n);
        m_index += n;
    }
    return out;
}

void TReader::skipBytes(uint64_t count) {
    while (count > 0) {
        if (m_index == m_end) need(1);
        size_t n = static_cast<size_t>(std::min<uint64_t>(count, m_end - m_index));
        m_index += n;
        count -= n;
    }
}

std::string TReader::readStr() {
    size_t n = readByte();
    if (m_end - m_index >= n) {
        std::string s(reinterpret_cast<const char*>(m_buf.data() + m_index), n);
        m_index += n;
        return s;
    }
    return readBytes(n);
}

ValueTag TReader::nextValue() {
    if (m_index == m_end) need(1);
    return static_cast<ValueTag>(m_buf[m_index]);
}

ValueTag TReader::readValue() { return static_cast<ValueTag>(readByte()); }

bool TReader::endOfList() { return nextValue() == ValueTag::Null; }

void TReader::checkValue(ValueTag expected) {
    if (readValue() != expected) throw EReadError(msg::kInvalidPropertyValue);
}

void TReader::readSignature() {
    char sig[4];
    read(sig, 4);
    if (std::memcmp(sig, "TPF0", 4) != 0) throw EInvalidStream(msg::kInvalidStreamFormat);
}

namespace {
inline uint32_t le32(const unsigned char* p) { return base::readLE32(p); }
}  // namespace

int32_t TReader::readIntegerTagged(ValueTag tag) {
    unsigned char b[4];
    switch (tag) {
    case ValueTag::Int8: return static_cast<int8_t>(readByte());
    case ValueTag::Int16: read(b, 2); return static_cast<int16_t>(base::readLE16(b));
    case ValueTag::Int32: read(b, 4); return static_cast<int32_t>(le32(b));
    default: throw EReadError(msg::kInvalidPropertyValue);
    }
}

int32_t TReader::readInteger() { return readIntegerTagged(readValue()); }

int64_t TReader::readInt64() {
    ValueTag tag = readValue();
    if (tag == ValueTag::Int64) {
        unsigned char b[8];
        read(b, 8);
        return static_cast<int64_t>(base::readLE64(b));
    }
    return readIntegerTagged(tag);
}

long double TReader::readFloat() {
    if (nextValue() == ValueTag::Extended) {
        readByte();
        Extended80 e;
        read(e.data(), e.size());
        return extendedToLongDouble(e);
    }
    return static_cast<long double>(readInt64());
}

float TReader::readSingle() {
    if (nextValue() == ValueTag::Single) {
        readByte();
        unsigned char b[4];
        read(b, 4);
        uint32_t bits = le32(b);
        float f;
        std::memcpy(&f, &bits, 4);
        return f;
    }
    return static_cast<float>(readInt64());
}

int64_t TReader::readCurrency() {
    if (nextValue() == ValueTag::Currency) {
        readByte();
        unsigned char b[8];
        read(b, 8);
        return static_cast<int64_t>(base::readLE64(b));
    }
    int64_t v = readInt64();
    // Amounts beyond the currency range saturate rather than overflow.
    constexpr int64_t kLimit = INT64_MAX / 10000;
    return std::clamp(v, -kLimit, kLimit) * 10000;
}

double TReader::readDate() {
    if (nextValue() == ValueTag::Date) {
        readByte();
        unsigned char b[8];
        read(b, 8);
        uint64_t bits = base::readLE64(b);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    return static_cast<double>(readInt64());
}

namespace {
std::u16string utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t pos = 0;
    while (pos < utf8.size()) {
        char32_t cp = base::decodeUtf8(utf8, pos);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string utf16ToAnsi(std::u16string_view text) {
    const base::CodePage& cp = base::CodePage::active();
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        out.push_back(static_cast<char>(cp.fromUnicode(c)));
    }
    return out;
}

std::u16string ansiToUtf16(std::string_view ansi) {
    const base::CodePage& cp = base::CodePage::active();
    std::u16string out;
    out.reserve(ansi.size());
    for (char c : ansi) out.push_back(static_cast<char16_t>(cp.toUnicode(static_cast<unsigned char>(c))));
    return out;
}
}  // namespace

std::u16string TReader::readWideString() {
    ValueTag tag = readValue();
    unsigned char b[4];
    switch (tag) {
    case ValueTag::WString: {
        read(b, 4);
        uint64_t units = le32(b);
        std::string raw = readBytes(static_cast<size_t>(units * 2));
        std::u16string out(static_cast<size_t>(units), u'\0');
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                           (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
        }
        return out;
    }
    case ValueTag::UTF8String: read(b, 4); return utf8ToUtf16(readBytes(le32(b)));
    case ValueTag::String: return ansiToUtf16(readStr());
    case ValueTag::LString: read(b, 4); return ansiToUtf16(readBytes(le32(b)));
    default: throw EReadError(msg::kInvalidPropertyValue);
    }
}

std::string TReader::readString() {
    ValueTag tag = nextValue();
    if (tag == ValueTag::String) {
        readByte();
        return readStr();
    }
    if (tag == ValueTag::LString) {
        readByte();
        unsigned char b[4];
        read(b, 4);
        return readBytes(le32(b));
    }
    if (tag == ValueTag::WString || tag == ValueTag::UTF8String) return utf16ToAnsi(readWideString());
    readByte();
    throw EReadError(msg::kInvalidPropertyValue);
}

bool TReader::readBoolean() { return readValue() == ValueTag::True; }

std::string TReader::readIdent() {
    switch (readValue()) {
    case ValueTag::Ident: return readStr();
    case ValueTag::False: return "False";
    case ValueTag::True: return "True";
    case ValueTag::Nil: return "nil";
    case ValueTag::Null: return "Null";
    default: throw EReadError(msg::kInvalidPropertyValue);
    }
}

char TReader::readChar() {
    std::string s = readString();
    if (s.size() > 1) throw EReadError(msg::kInvalidPropertyValue);
    return s.empty() ? '\0' : s[0];
}

std::string TReader::readBinary() {
    checkValue(ValueTag::Binary);
    unsigned char b[4];
    read(b, 4);
    return readBytes(le32(b));
}

std::vector<std::string> TReader::readSetNames() {
    checkValue(ValueTag::Set);
    std::vector<std::string> names;
    while (true) {
        std::string s = readStr();
        if (s.empty()) break;
        names.push_back(std::move(s));
    }
    return names;
}

Variant TReader::readVariant() {
    DepthGuard guard(*this);
    switch (nextValue()) {
    case ValueTag::Nil: readByte(); return Variant();
    case ValueTag::Null: readByte(); return Variant::null();
    case ValueTag::Int8:
    case ValueTag::Int16:
    case ValueTag::Int32: return Variant::integer(readInteger());
    case ValueTag::Int64: return Variant::int64(readInt64());
    case ValueTag::Extended: return Variant::floating(readFloat(), Variant::Type::Extended);
    case ValueTag::Single: return Variant::floating(readSingle(), Variant::Type::Single);
    case ValueTag::Currency: return Variant::currency(readCurrency());
    case ValueTag::Date: return Variant::floating(readDate(), Variant::Type::Date);
    case ValueTag::String:
    case ValueTag::LString: return Variant::string(readString());
    case ValueTag::WString:
    case ValueTag::UTF8String: return Variant::wideString(readWideString());
    case ValueTag::False:
    case ValueTag::True: return Variant::boolean(readBoolean());
    case ValueTag::List: {
        readByte();
        std::vector<Variant> items;
        while (!endOfList()) items.push_back(readVariant());
        readListEnd();
        return Variant::array(std::move(items));
    }
    default: skipValue(); throw EReadError(msg::kInvalidPropertyValue);
    }
}

void TReader::skipSetBody() {
    while (true) {
        size_t n = readByte();
        if (n == 0) break;
        skipBytes(n);
    }
}

void TReader::skipValue() {
    DepthGuard guard(*this);
    unsigned char b[4];
    ValueTag tag = readValue();
    switch (tag) {
    case ValueTag::Null:
    case ValueTag::False:
    case ValueTag::True:
    case ValueTag::Nil: return;
    case ValueTag::List:
        while (!endOfList()) skipValue();
        readByte();
        return;
    case ValueTag::Int8: skipBytes(1); return;
    case ValueTag::Int16: skipBytes(2); return;
    case ValueTag::Int32:
    case ValueTag::Single: skipBytes(4); return;
    case ValueTag::Extended: skipBytes(10); return;
    case ValueTag::Currency:
    case ValueTag::Date:
    case ValueTag::Int64: skipBytes(8); return;
    case ValueTag::String:
    case ValueTag::Ident: skipBytes(readByte()); return;
    case ValueTag::Binary:
    case ValueTag::LString:
    case ValueTag::UTF8String:
        read(b, 4);
        skipBytes(le32(b));
        return;
    case ValueTag::WString:
        read(b, 4);
        skipBytes(static_cast<uint64_t>(le32(b)) * 2);
        return;
    case ValueTag::Set: skipSetBody(); return;
    case ValueTag::Collection:
        while (!endOfList()) {
            ValueTag t = nextValue();
            if (t == ValueTag::Int8 || t == ValueTag::Int16 || t == ValueTag::Int32) skipValue();
            checkValue(ValueTag::List);
            skipProperties();
        }
        readByte();
        return;
    }
    // A tag this format does not have: nothing after it can be located.
    throw EInvalidStream(msg::kInvalidStreamFormat);
}

void TReader::skipProperties() {
    while (!endOfList()) {
        skipBytes(readByte());  // the name
        skipValue();
    }
    readByte();
}

void TReader::skipComponentRecord(bool skipHeader) {
    DepthGuard guard(*this);
    if (skipHeader) {
        uint8_t first = static_cast<uint8_t>(nextValue());
        if ((first & 0xF0) == 0xF0) {
            readByte();
            if (first & 0x02) readInteger();
        }
        skipBytes(readByte());
        skipBytes(readByte());
    }
    skipProperties();
    while (!endOfList()) skipComponentRecord(true);
    readByte();
}

bool TReader::handleError(const std::string& message) { return onError && onError(message); }

// ---- Components ----

namespace {
struct Prefix {
    uint8_t flags = 0;
    int32_t position = -1;
};
}  // namespace

const ClassInfo* TReader::findComponentClass(std::string_view className) {
    const ClassInfo* found = nullptr;
    if (m_root) found = m_root->classType().findFieldClass(className);
    if (!found) found = ClassRegistry::find(className);
    if (onFindComponentClass) found = onFindComponentClass(className, found);
    if (!found || !found->isComponent()) throw EClassNotFound(format(msg::kClassNotFound, {className}));
    return found;
}

TComponent* TReader::readRootComponent(TComponent* root) {
    readSignature();
    DepthGuard guard(*this);
    m_loaded.clear();
    m_fixups.clear();
    bool created = false;
    try {
        uint8_t first = static_cast<uint8_t>(nextValue());
        if ((first & 0xF0) == 0xF0) {
            readByte();
            if (first & 0x02) readInteger();
        }
        std::string className = readStr();
        std::string name = readStr();
        if (!root) {
            const ClassInfo* cls = findComponentClass(className);
            TObject* obj = nullptr;
            if (onCreateComponent) obj = onCreateComponent(*cls, nullptr);
            if (!obj) obj = cls->create(nullptr);
            root = dynamic_cast<TComponent*>(obj);
            created = true;
            if (!root) {
                delete obj;
                throw EClassNotFound(format(msg::kClassNotFound, {className}));
            }
        }
        root->setState(ComponentState::Loading, true);
        root->setState(ComponentState::Reading, true);
        // Another root of the process may already use the name: number this one.
        std::string unique = name;
        for (int i = 1; !unique.empty(); ++i) {
            TComponent* other = findGlobalComponent(unique);
            if (!other || other == root) break;
            unique = format("%s_%d", {name, std::to_string(i)});
        }
        root->setName(unique);
        m_root = m_owner = m_current = root;
        m_parent = root;
        m_loaded.push_back(root);
        readProperties(*root);
        while (!endOfList()) readComponentRecord();
        readByte();
        root->setState(ComponentState::Reading, false);
        resolveFixups();
        for (TComponent* c : m_loaded) c->loaded();
        m_loaded.clear();
    } catch (...) {
        for (TComponent* c : m_loaded) {
            c->setState(ComponentState::Loading, false);
            c->setState(ComponentState::Reading, false);
        }
        m_loaded.clear();
        m_fixups.clear();
        if (created) delete root;
        m_root = m_owner = m_parent = m_current = nullptr;
        throw;
    }
    m_fixups.clear();
    resolvePendingFixups(onError);
    return root;
}

void TReader::readComponentRecord() {
    DepthGuard guard(*this);
    Prefix prefix;
    uint8_t first = static_cast<uint8_t>(nextValue());
    if ((first & 0xF0) == 0xF0) {
        readByte();
        prefix.flags = first & 0x0F;
        if (prefix.flags & 0x02) prefix.position = readInteger();
    }
    std::string className = readStr();
    std::string name = readStr();

    TComponent* comp = nullptr;
    bool created = false;
    try {
        if (prefix.flags & 0x01) {
            comp = m_owner->findComponent(name);
            if (!comp) throw EReadError(format("Ancestor for '%s' not found", {name}));
        } else {
            const ClassInfo* cls = findComponentClass(className);
            TObject* obj = nullptr;
            if (onCreateComponent) obj = onCreateComponent(*cls, m_owner);
            if (!obj) obj = cls->create(m_owner);
            created = true;
            comp = dynamic_cast<TComponent*>(obj);
            if (!comp) {
                delete obj;
                created = false;
                throw EClassNotFound(format(msg::kClassNotFound, {className}));
            }
            comp->setState(ComponentState::Loading, true);
            if (prefix.flags & 0x04) comp->setState(ComponentState::Inline, true);
            comp->setParentComponent(m_parent);
            comp->setName(name);
        }
    } catch (const EReadAbort&) {
        throw;
    } catch (const EStreamTruncated&) {
        throw;
    } catch (const EInvalidStream&) {
        throw;
    } catch (const std::exception& e) {
        if (created) delete comp;
        std::string message = e.what();
        skipComponentRecord(false);
        if (!handleError(message)) throw EReadAbort(message);
        return;
    }

    comp->setState(ComponentState::Loading, true);
    comp->setState(ComponentState::Reading, true);
    // Only an inherited record can name a component that is already in the list.
    if (created || std::find(m_loaded.begin(), m_loaded.end(), comp) == m_loaded.end())
        m_loaded.push_back(comp);
    TComponent* oldParent = m_parent;
    TComponent* oldCurrent = m_current;
    m_parent = comp;
    m_current = comp;
    try {
        readProperties(*comp);
        while (!endOfList()) readComponentRecord();
        readByte();
    } catch (...) {
        m_parent = oldParent;
        m_current = oldCurrent;
        throw;
    }
    m_parent = oldParent;
    m_current = oldCurrent;
    comp->setState(ComponentState::Reading, false);
    if (prefix.position >= 0 && m_parent) m_parent->setChildOrder(comp, prefix.position);
}

void TReader::readProperties(TPersistent& instance) {
    while (!endOfList()) readProperty(instance);
    readByte();
}

void TReader::readProperty(TPersistent& instance) {
    std::string path = readStr();
    // An error inside a defined property's reader leaves the stream somewhere inside the
    // value, so it can never be skipped past.
    bool inDefined = m_inDefined > 0;
    try {
        TPersistent* obj = &instance;
        std::string_view rest = path;
        size_t dot;
        while ((dot = rest.find('.')) != std::string_view::npos) {
            std::string_view part = rest.substr(0, dot);
            const PropInfo* p = obj->classType().findProperty(part);
            if (!p) {
                skipValue();
                throw EReadError(format(msg::kUnknownProperty, {part}));
            }
            TPersistent* next = nullptr;
            if (p->type->kind() == TypeKind::Class) {
                next = dynamic_cast<TPersistent*>(std::get<TObject*>(p->get(*obj)));
            }
            if (!next) {
                skipValue();
                throw EReadError(msg::kInvalidPropertyPath);
            }
            obj = next;
            rest.remove_prefix(dot + 1);
        }
        if (const PropInfo* p = obj->classType().findProperty(rest)) {
            readPropValue(*obj, *p);
        } else if (const DefinedProp* d = obj->classType().findDefinedProperty(rest)) {
            ++m_inDefined;
            inDefined = true;
            try {
                d->read(*obj, *this);
            } catch (...) {
                --m_inDefined;
                throw;
            }
            --m_inDefined;
            inDefined = m_inDefined > 0;
        } else {
            skipValue();
            throw EReadError(format(msg::kUnknownProperty, {rest}));
        }
    } catch (const EReadAbort&) {
        throw;
    } catch (const EStreamTruncated&) {
        throw;
    } catch (const EInvalidStream&) {
        throw;
    } catch (const std::exception& e) {
        std::string owner = m_current
                                ? (m_current->name().empty() ? m_current->className() : m_current->name())
                                : instance.className();
        std::string message = format(msg::kPropertyException, {owner, ".", path, e.what()});
        if (!inDefined && handleError(message)) return;
        throw EReadAbort(message);
    }
}

void TReader::readPropValue(TPersistent& instance, const PropInfo& prop) {
    const TypeInfo& type = *prop.type;
    TypeKind kind = type.kind();
    ValueTag tag = nextValue();
    auto invalid = [this]() {
        skipValue();
        throw EReadError(msg::kInvalidPropertyValue);
    };
    auto isInt = [](ValueTag t) {
        return t == ValueTag::Int8 || t == ValueTag::Int16 || t == ValueTag::Int32;
    };
    auto isStr = [](ValueTag t) {
        return t == ValueTag::String || t == ValueTag::LString || t == ValueTag::WString ||
               t == ValueTag::UTF8String;
    };

    if (prop.readOnly() && !(kind == TypeKind::Class && tag == ValueTag::Collection)) {
        skipValue();
        throw EReadError(msg::kPropertyReadOnly);
    }
    switch (kind) {
    case TypeKind::Integer: {
        if (tag == ValueTag::Ident) {
            std::string ident = readIdent();
            int32_t v;
            if (!type.idents() || !type.idents()->toInt(ident, v))
                throw EReadError(msg::kInvalidPropertyValue);
            prop.set(instance, int64_t{v});
        } else {
            if (!isInt(tag)) invalid();
            prop.set(instance, int64_t{readInteger()});
        }
        return;
    }
    case TypeKind::Char:
        if (!isStr(tag)) invalid();
        prop.set(instance, int64_t{static_cast<unsigned char>(readChar())});
        return;
    case TypeKind::Enumeration:
    case TypeKind::Boolean: {
        if (tag != ValueTag::Ident && tag != ValueTag::False && tag != ValueTag::True) invalid();
        std::string ident = readIdent();
        int index = type.elementIndex(ident);
        if (index < 0) throw EReadError(msg::kInvalidPropertyValue);
        prop.set(instance, int64_t{index});
        return;
    }
    case TypeKind::Set: {
        if (tag != ValueTag::Set) invalid();
        readByte();
        int64_t bits = 0;
        while (true) {
            std::string s = readStr();
            if (s.empty()) break;
            int index = type.elementType() ? type.elementType()->elementIndex(s) : -1;
            if (index < 0) {
                skipSetBody();
                throw EReadError(msg::kInvalidPropertyValue);
            }
            if (index < 32) bits |= int64_t{1} << index;
        }
        prop.set(instance, bits);
        return;
    }
    case TypeKind::Float: {
        bool ok = isInt(tag) || tag == ValueTag::Int64;
        switch (type.floatType()) {
        case FloatType::Single:
            if (!ok && tag != ValueTag::Single) invalid();
            prop.set(instance, static_cast<long double>(readSingle()));
            return;
        case FloatType::Currency:
            if (!ok && tag != ValueTag::Currency) invalid();
            prop.set(instance, static_cast<long double>(readCurrency()) / 10000);
            return;
        case FloatType::DateTime:
            if (!ok && tag != ValueTag::Date) invalid();
            prop.set(instance, static_cast<long double>(readDate()));
            return;
        default:
            if (!ok && tag != ValueTag::Extended) invalid();
            prop.set(instance, readFloat());
            return;
        }
    }
    case TypeKind::String:
        if (!isStr(tag)) invalid();
        prop.set(instance, readString());
        return;
    case TypeKind::WString:
        if (!isStr(tag)) invalid();
        prop.set(instance, readWideString());
        return;
    case TypeKind::Class:
        if (tag == ValueTag::Nil) {
            readByte();
            prop.set(instance, static_cast<TObject*>(nullptr));
        } else if (tag == ValueTag::Collection) {
            auto* coll = dynamic_cast<TCollection*>(std::get<TObject*>(prop.get(instance)));
            if (!coll) invalid();
            readByte();
            readCollection(*coll);
        } else if (tag == ValueTag::Ident) {
            addFixup(instance, prop, readIdent());
        } else {
            invalid();
        }
        return;
    case TypeKind::Method:
        if (tag == ValueTag::Nil) {
            readByte();
            prop.set(instance, TMethod());
        } else if (tag == ValueTag::Ident) {
            std::string name = readIdent();
            const MethodInfo* m = m_root ? m_root->classType().findMethod(name) : nullptr;
            if (!m) throw EReadError(msg::kInvalidPropertyValue);
            prop.set(instance, m->bind(*m_root));
        } else {
            invalid();
        }
        return;
    case TypeKind::Variant: prop.set(instance, readVariant()); return;
    case TypeKind::Int64:
        if (!isInt(tag) && tag != ValueTag::Int64) invalid();
        prop.set(instance, readInt64());
        return;
    }
}

void TReader::readCollection(TCollection& collection) {
    DepthGuard guard(*this);
    collection.beginUpdate();
    try {
        if (!endOfList()) collection.clear();
        while (!endOfList()) {
            ValueTag t = nextValue();
            if (t == ValueTag::Int8 || t == ValueTag::Int16 || t == ValueTag::Int32) readInteger();
            checkValue(ValueTag::List);
            TCollectionItem* item = collection.add();
            readProperties(*item);
        }
        readByte();
    } catch (...) {
        collection.endUpdate();
        throw;
    }
    collection.endUpdate();
}

// ---- References ----

namespace {

struct PendingFixup {
    TPersistent* instance;
    const PropInfo* prop;
    std::string name;
    TComponent* component;
    TComponent* root;
};

std::vector<PendingFixup>& pending() {
    static std::vector<PendingFixup> list;
    return list;
}

// Looks `path` up from `root`: a name among its components (or the root itself), or a
// dotted path whose first part may also name another root of the process.
TComponent* findReference(TComponent* root, std::string_view path) {
    size_t dot = path.find('.');
    std::string_view first = path.substr(0, dot);
    TComponent* c = root ? root->findComponent(first) : nullptr;
    if (!c && root && base::asciiSameText(root->name(), first)) c = root;
    if (!c && dot != std::string_view::npos) c = findGlobalComponent(first);
    while (c && dot != std::string_view::npos) {
        path.remove_prefix(dot + 1);
        dot = path.find('.');
        c = c->findComponent(path.substr(0, dot));
    }
    return c;
}

}  // namespace

void TReader::addFixup(TPersistent& instance, const PropInfo& prop, std::string name) {
    m_fixups.push_back({&instance, &prop, std::move(name), m_current, m_root});
}

void TReader::resolveFixups() {
    std::vector<Fixup> fixups;
    fixups.swap(m_fixups);
    for (Fixup& f : fixups) {
        TComponent* target = findReference(f.root, f.name);
        if (!target) {
            if (f.name.find('.') != std::string::npos) {
                pending().push_back({f.instance, f.prop, f.name, f.component, f.root});
            }
            continue;
        }
        try {
            f.prop->set(*f.instance, static_cast<TObject*>(target));
        } catch (const std::exception& e) {
            std::string owner = f.component ? f.component->name() : std::string();
            std::string message = format(msg::kPropertyException, {owner, ".", f.prop->name, e.what()});
            if (!handleError(message)) throw EReadAbort(message);
        }
    }
}

void resolvePendingFixups(const std::function<bool(const std::string&)>& onError) {
    auto& list = pending();
    for (size_t i = 0; i < list.size();) {
        PendingFixup f = list[i];
        TComponent* target = findReference(f.root, f.name);
        if (!target) {
            ++i;
            continue;
        }
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        try {
            f.prop->set(*f.instance, static_cast<TObject*>(target));
        } catch (const std::exception& e) {
            std::string owner = f.component ? f.component->name() : std::string();
            std::string message = format(msg::kPropertyException, {owner, ".", f.prop->name, e.what()});
            if (!onError || !onError(message)) throw EReadError(message);
        }
    }
}

void removePendingFixups(const TPersistent* object) {
    auto& list = pending();
    if (list.empty()) return;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const PendingFixup& f) {
                                  return f.instance == object ||
                                         static_cast<const TPersistent*>(f.component) == object ||
                                         static_cast<const TPersistent*>(f.root) == object;
                              }),
               list.end());
}

int pendingFixupCount() { return static_cast<int>(pending().size()); }

}  // namespace classes
