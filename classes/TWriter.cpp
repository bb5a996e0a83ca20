// Component stream writing through the class metadata.
#include "classes/TWriter.h"

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/LittleEndian.h"
#include "classes/Extended.h"
#include "classes/Streams.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"

#include <cmath>
#include <cstring>

namespace classes {

TWriter::TWriter(TStream& stream, int bufferSize)
    : m_stream(stream), m_limit(static_cast<size_t>(std::max(bufferSize, 16))) {
    m_buf.reserve(m_limit);
    m_flushed = stream.position();
}

TWriter::~TWriter() {
    try {
        flush();
    } catch (...) {
        // Destructors must not throw; a failing stream already lost the data.
    }
}

void TWriter::flush() {
    if (m_buf.empty()) return;
    m_stream.writeBuffer(m_buf);
    m_flushed += static_cast<int64_t>(m_buf.size());
    m_buf.clear();
}

int64_t TWriter::position() const { return m_flushed + static_cast<int64_t>(m_buf.size()); }

void TWriter::writeRaw(const void* data, size_t count) {
    m_buf.append(static_cast<const char*>(data), count);
    if (m_buf.size() >= m_limit) flush();
}

void TWriter::writeValue(ValueTag tag) {
    m_buf.push_back(static_cast<char>(tag));
    if (m_buf.size() >= m_limit) flush();
}

void TWriter::writeInteger(int64_t v) {
    std::string b;
    if (v >= INT8_MIN && v <= INT8_MAX) {
        b.push_back(static_cast<char>(ValueTag::Int8));
        b.push_back(static_cast<char>(v));
    } else if (v >= INT16_MIN && v <= INT16_MAX) {
        b.push_back(static_cast<char>(ValueTag::Int16));
        base::appendLE16(b, static_cast<uint16_t>(v));
    } else if (v >= INT32_MIN && v <= INT32_MAX) {
        b.push_back(static_cast<char>(ValueTag::Int32));
        base::appendLE32(b, static_cast<uint32_t>(v));
    } else {
        b.push_back(static_cast<char>(ValueTag::Int64));
        base::appendLE64(b, static_cast<uint64_t>(v));
    }
    writeRaw(b.data(), b.size());
}

void TWriter::writeFloat(long double v) {
    writeValue(ValueTag::Extended);
    Extended80 e = longDoubleToExtended(v);
    writeRaw(e.data(), e.size());
}

void TWriter::writeSingle(float v) {
    writeValue(ValueTag::Single);
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    std::string b;
    base::appendLE32(b, bits);
    writeRaw(b.data(), b.size());
}

void TWriter::writeCurrency(int64_t scaled) {
    writeValue(ValueTag::Currency);
    std::string b;
    base::appendLE64(b, static_cast<uint64_t>(scaled));
    writeRaw(b.data(), b.size());
}

void TWriter::writeDate(double days) {
    writeValue(ValueTag::Date);
    uint64_t bits;
    std::memcpy(&bits, &days, 8);
    std::string b;
    base::appendLE64(b, bits);
    writeRaw(b.data(), b.size());
}

void TWriter::writeString(std::string_view s) {
    std::string b;
    if (s.size() <= 255) {
        b.push_back(static_cast<char>(ValueTag::String));
        b.push_back(static_cast<char>(s.size()));
    } else {
        b.push_back(static_cast<char>(ValueTag::LString));
        base::appendLE32(b, static_cast<uint32_t>(s.size()));
    }
    writeRaw(b.data(), b.size());
    writeRaw(s.data(), s.size());
}

void TWriter::writeWideString(std::u16string_view text) {
    bool ascii = true;
    for (char16_t c : text) ascii = ascii && c < 0x80;
    if (ascii) {
        std::string s(text.begin(), text.end());
        writeString(s);
        return;
    }
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        base::appendUtf8(utf8, c);
    }
    writeUtf8String(utf8);
}

void TWriter::writeUtf8String(std::string_view utf8) {
    writeValue(ValueTag::UTF8String);
    std::string b;
    base::appendLE32(b, static_cast<uint32_t>(utf8.size()));
    writeRaw(b.data(), b.size());
    writeRaw(utf8.data(), utf8.size());
}

void TWriter::writeWString(std::u16string_view text) {
    writeValue(ValueTag::WString);
    std::string b;
    base::appendLE32(b, static_cast<uint32_t>(text.size()));
    for (char16_t c : text) base::appendLE16(b, c);
    writeRaw(b.data(), b.size());
}

void TWriter::writeBoolean(bool v) { writeValue(v ? ValueTag::True : ValueTag::False); }

void TWriter::writeIdent(std::string_view ident) {
    if (base::asciiSameText(ident, "False")) {
        writeValue(ValueTag::False);
    } else if (base::asciiSameText(ident, "True")) {
        writeValue(ValueTag::True);
    } else if (base::asciiSameText(ident, "nil")) {
        writeValue(ValueTag::Nil);
    } else if (base::asciiSameText(ident, "Null")) {
        writeValue(ValueTag::Null);
    } else {
        writeValue(ValueTag::Ident);
        writeStr(ident);
    }
}

void TWriter::writeBinary(std::string_view bytes) {
    writeValue(ValueTag::Binary);
    std::string b;
    base::appendLE32(b, static_cast<uint32_t>(bytes.size()));
    writeRaw(b.data(), b.size());
    writeRaw(bytes.data(), bytes.size());
}

void TWriter::writeSet(const std::vector<std::string>& names) {
    writeValue(ValueTag::Set);
    for (const std::string& n : names) {
        if (!n.empty()) writeStr(n);
    }
    writeStr({});
}

void TWriter::writeVariant(const Variant& v) {
    switch (v.type()) {
    case Variant::Type::Unassigned: writeValue(ValueTag::Nil); return;
    case Variant::Type::Null: writeValue(ValueTag::Null); return;
    case Variant::Type::Boolean: writeBoolean(v.asBoolean()); return;
    case Variant::Type::Integer:
    case Variant::Type::Int64: writeInteger(v.asInt64()); return;
    case Variant::Type::Single: writeSingle(static_cast<float>(v.asFloat())); return;
    case Variant::Type::Double:
    case Variant::Type::Extended: writeFloat(v.asFloat()); return;
    case Variant::Type::Currency: writeCurrency(v.asInt64()); return;
    case Variant::Type::Date: writeDate(static_cast<double>(v.asFloat())); return;
    case Variant::Type::String: writeString(v.asString()); return;
    case Variant::Type::WString: writeWideString(v.asWideString()); return;
    case Variant::Type::Array:
        writeListBegin();
        for (const Variant& item : v.items()) {
            // The Null tag ends a list, so a null element can only be stored as unassigned.
            if (item.type() == Variant::Type::Null) {
                writeValue(ValueTag::Nil);
            } else {
                writeVariant(item);
            }
        }
        writeListEnd();
        return;
    }
}

void TWriter::writeStr(std::string_view s) {
    if (s.size() > 255) s = s.substr(0, 255);
    char n = static_cast<char>(s.size());
    writeRaw(&n, 1);
    writeRaw(s.data(), s.size());
}

void TWriter::writeSignature() { writeRaw("TPF0", 4); }

void TWriter::writeRootComponent(TComponent& root) {
    m_root = &root;
    writeSignature();
    writeComponent(root);
    flush();
}

void TWriter::writeComponent(TComponent& component) {
    if (!m_root) m_root = &component;
    component.setState(ComponentState::Writing, true);
    writeStr(component.className());
    writeStr(component.name());
    writeProperties(component);
    writeListEnd();
    component.getChildren([this](TComponent* child) { writeComponent(*child); }, m_root);
    writeListEnd();
    component.setState(ComponentState::Writing, false);
}

void TWriter::writeProperties(const TPersistent& instance, const std::string& prefix) {
    // Sub-objects can refer back to their owner; a bound keeps such cycles finite.
    if (++m_depth > 64) {
        --m_depth;
        return;
    }
    for (const PropInfo* p : instance.classType().properties()) writeProperty(instance, *p, prefix);
    for (const DefinedProp* d : instance.classType().definedProperties()) {
        if (!d->write || (d->hasData && !d->hasData(instance))) continue;
        writeStr(prefix + d->name);
        d->write(instance, *this);
    }
    --m_depth;
}

void TWriter::writeCollection(const TCollection& collection) {
    writeValue(ValueTag::Collection);
    for (int i = 0; i < collection.count(); ++i) {
        writeListBegin();
        writeProperties(*collection.item(i));
        writeListEnd();
    }
    writeListEnd();
}

void TWriter::writeProperty(const TPersistent& instance, const PropInfo& prop, const std::string& prefix) {
    if (!prop.isStored(instance)) return;
    const TypeInfo& type = *prop.type;
    const std::string name = prefix + prop.name;
    PropValue value = prop.get(instance);
    auto ordinalIsDefault = [&](int64_t v) { return prop.defaultValue && *prop.defaultValue == v; };

    if (type.kind() == TypeKind::Class) {
        TObject* obj = std::get<TObject*>(value);
        if (!obj) return;
        if (auto* coll = dynamic_cast<const TCollection*>(obj)) {
            if (coll->count() == 0) return;
            writeStr(name);
            writeCollection(*coll);
            return;
        }
        auto* comp = dynamic_cast<const TComponent*>(obj);
        if (comp && !prop.readOnly()) {
            if (comp->name().empty()) return;
            std::string ref = comp->name();
            if (comp->owner() && comp->owner() != m_root && !comp->owner()->name().empty()) {
                ref = comp->owner()->name() + "." + ref;
            }
            writeStr(name);
            writeIdent(ref);
            return;
        }
        if (auto* sub = dynamic_cast<const TPersistent*>(obj)) writeProperties(*sub, name + ".");
        return;
    }
    if (prop.readOnly()) return;

    switch (type.kind()) {
    case TypeKind::Integer: {
        int64_t v = std::get<int64_t>(value);
        if (ordinalIsDefault(v)) return;
        writeStr(name);
        std::string ident;
        if (type.idents() && type.idents()->toIdent(static_cast<int32_t>(v), ident)) {
            writeIdent(ident);
        } else {
            writeInteger(static_cast<int32_t>(v));
        }
        return;
    }
    case TypeKind::Char: {
        int64_t v = std::get<int64_t>(value);
        if (ordinalIsDefault(v)) return;
        writeStr(name);
        writeString(v == 0 ? std::string() : std::string(1, static_cast<char>(v)));
        return;
    }
    case TypeKind::Enumeration:
    case TypeKind::Boolean: {
        int64_t v = std::get<int64_t>(value);
        if (ordinalIsDefault(v)) return;
        if (v < 0 || v >= static_cast<int64_t>(type.elements().size())) return;
        writeStr(name);
        writeIdent(type.elements()[static_cast<size_t>(v)]);
        return;
    }
    case TypeKind::Set: {
        int64_t v = std::get<int64_t>(value);
        if (ordinalIsDefault(v)) return;
        std::vector<std::string> names;
        if (type.elementType()) {
            const auto& elems = type.elementType()->elements();
            for (size_t i = 0; i < elems.size() && i < 32; ++i) {
                if (v & (int64_t{1} << i)) names.push_back(elems[i]);
            }
        }
        writeStr(name);
        writeSet(names);
        return;
    }
    case TypeKind::Int64: {
        int64_t v = std::get<int64_t>(value);
        if (ordinalIsDefault(v)) return;
        writeStr(name);
        writeInteger(v);
        return;
    }
    case TypeKind::Float: {
        long double v = std::get<long double>(value);
        if (v == 0 && !std::signbit(v)) return;
        writeStr(name);
        switch (type.floatType()) {
        case FloatType::Single: writeSingle(static_cast<float>(v)); break;
        case FloatType::Currency: writeCurrency(std::llround(v * 10000)); break;
        case FloatType::DateTime: writeDate(static_cast<double>(v)); break;
        default: writeFloat(v); break;
        }
        return;
    }
    case TypeKind::String: {
        const std::string& s = std::get<std::string>(value);
        if (s.empty()) return;
        writeStr(name);
        writeString(s);
        return;
    }
    case TypeKind::WString: {
        const std::u16string& s = std::get<std::u16string>(value);
        if (s.empty()) return;
        writeStr(name);
        writeWideString(s);
        return;
    }
    case TypeKind::Method: {
        const TMethod& m = std::get<TMethod>(value);
        if (!m || !m_root) return;
        // Only handlers bound to a published method of the root have a name to write.
        for (const MethodInfo* mi : m_root->classType().methods()) {
            if (mi->bind(*m_root) == m) {
                writeStr(name);
                writeIdent(mi->name);
                return;
            }
        }
        return;
    }
    case TypeKind::Variant: {
        const Variant& v = std::get<Variant>(value);
        if (v.type() == Variant::Type::Unassigned) return;
        writeStr(name);
        writeVariant(v);
        return;
    }
    case TypeKind::Class: return;
    }
}

}  // namespace classes
