// Variant construction and comparison.
#include "classes/PropValue.h"

namespace classes {

Variant Variant::null() {
    Variant v;
    v.m_type = Type::Null;
    return v;
}

Variant Variant::boolean(bool b) {
    Variant v;
    v.m_type = Type::Boolean;
    v.m_int = b ? 1 : 0;
    return v;
}

Variant Variant::integer(int32_t i) {
    Variant v;
    v.m_type = Type::Integer;
    v.m_int = i;
    return v;
}

Variant Variant::int64(int64_t i) {
    Variant v;
    v.m_type = Type::Int64;
    v.m_int = i;
    return v;
}

Variant Variant::floating(long double f, Type type) {
    Variant v;
    v.m_type = type;
    v.m_float = f;
    return v;
}

Variant Variant::currency(int64_t scaled) {
    Variant v;
    v.m_type = Type::Currency;
    v.m_int = scaled;
    return v;
}

Variant Variant::string(std::string ansi) {
    Variant v;
    v.m_type = Type::String;
    v.m_string = std::move(ansi);
    return v;
}

Variant Variant::wideString(std::u16string text) {
    Variant v;
    v.m_type = Type::WString;
    v.m_wide = std::move(text);
    return v;
}

Variant Variant::array(std::vector<Variant> items) {
    Variant v;
    v.m_type = Type::Array;
    v.m_items = std::move(items);
    return v;
}

bool Variant::operator==(const Variant& o) const {
    if (m_type != o.m_type) return false;
    switch (m_type) {
    case Type::Unassigned:
    case Type::Null: return true;
    case Type::Boolean:
    case Type::Integer:
    case Type::Int64:
    case Type::Currency: return m_int == o.m_int;
    case Type::Single:
    case Type::Double:
    case Type::Extended:
    case Type::Date: return m_float == o.m_float;
    case Type::String: return m_string == o.m_string;
    case Type::WString: return m_wide == o.m_wide;
    case Type::Array: return m_items == o.m_items;
    }
    return false;
}

}  // namespace classes
