// Type descriptions and the standard types, with the colour, cursor and charset names.
#include "classes/TypeInfo.h"

#include "base/AnsiText.h"
#include "classes/ClassInfo.h"

namespace classes {

IdentTable::IdentTable(std::initializer_list<std::pair<const char*, int32_t>> entries) {
    m_entries.reserve(entries.size());
    for (const auto& [name, value] : entries) m_entries.emplace_back(name, value);
}

bool IdentTable::toInt(std::string_view name, int32_t& value) const {
    for (const auto& [n, v] : m_entries) {
        if (base::asciiSameText(n, name)) {
            value = v;
            return true;
        }
    }
    return false;
}

bool IdentTable::toIdent(int32_t value, std::string& name) const {
    for (const auto& [n, v] : m_entries) {
        if (v == value) {
            name = n;
            return true;
        }
    }
    return false;
}

TypeInfo TypeInfo::integer(std::string name, const IdentTable* idents, int64_t minValue, int64_t maxValue) {
    TypeInfo t(std::move(name), TypeKind::Integer);
    t.m_idents = idents;
    t.m_min = minValue;
    t.m_max = maxValue;
    return t;
}

TypeInfo TypeInfo::enumeration(std::string name, std::vector<std::string> elements) {
    TypeInfo t(std::move(name), TypeKind::Enumeration);
    t.m_elements = std::move(elements);
    t.m_max = static_cast<int64_t>(t.m_elements.size()) - 1;
    return t;
}

TypeInfo TypeInfo::set(std::string name, const TypeInfo& elementType) {
    TypeInfo t(std::move(name), TypeKind::Set);
    t.m_elementType = &elementType;
    return t;
}

TypeInfo TypeInfo::floating(std::string name, FloatType floatType) {
    TypeInfo t(std::move(name), TypeKind::Float);
    t.m_floatType = floatType;
    return t;
}

TypeInfo TypeInfo::method(std::string name, std::string declaration) {
    TypeInfo t(std::move(name), TypeKind::Method);
    t.m_declaration = std::move(declaration);
    return t;
}

TypeInfo TypeInfo::simple(std::string name, TypeKind kind) {
    TypeInfo t(std::move(name), kind);
    if (kind == TypeKind::Boolean) {
        t.m_elements = {"False", "True"};
        t.m_max = 1;
    } else if (kind == TypeKind::Char) {
        t.m_max = 255;
    } else if (kind == TypeKind::Int64) {
        t.m_min = INT64_MIN;
        t.m_max = INT64_MAX;
    }
    return t;
}

TypeInfo TypeInfo::object(const ClassInfo& classInfo) {
    TypeInfo t(classInfo.name(), TypeKind::Class);
    t.m_class = &classInfo;
    return t;
}

bool TypeInfo::isOrdinal() const {
    switch (m_kind) {
    case TypeKind::Integer:
    case TypeKind::Char:
    case TypeKind::Enumeration:
    case TypeKind::Set:
    case TypeKind::Boolean:
    case TypeKind::Int64: return true;
    default: return false;
    }
}

int TypeInfo::elementIndex(std::string_view name) const {
    for (size_t i = 0; i < m_elements.size(); ++i) {
        if (base::asciiSameText(m_elements[i], name)) return static_cast<int>(i);
    }
    return -1;
}

namespace {

constexpr int32_t sysColor(int index) {
    return static_cast<int32_t>(0x80000000u | static_cast<uint32_t>(index));
}

const IdentTable& colorNames() {
    static const IdentTable table{
        {"clBlack", 0x000000},
        {"clMaroon", 0x000080},
        {"clGreen", 0x008000},
        {"clOlive", 0x008080},
        {"clNavy", 0x800000},
        {"clPurple", 0x800080},
        {"clTeal", 0x808000},
        {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},
        {"clLime", 0x00FF00},
        {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},
        {"clFuchsia", 0xFF00FF},
        {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},
        {"clMoneyGreen", 0xC0DCC0},
        {"clSkyBlue", 0xF0CAA6},
        {"clCream", 0xF0FBFF},
        {"clMedGray", 0xA4A0A0},
        {"clActiveBorder", sysColor(10)},
        {"clActiveCaption", sysColor(2)},
        {"clAppWorkSpace", sysColor(12)},
        {"clBackground", sysColor(1)},
        {"clBtnFace", sysColor(15)},
        {"clBtnHighlight", sysColor(20)},
        {"clBtnShadow", sysColor(16)},
        {"clBtnText", sysColor(18)},
        {"clCaptionText", sysColor(9)},
        {"clDefault", 0x20000000},
        {"clGradientActiveCaption", sysColor(27)},
        {"clGradientInactiveCaption", sysColor(28)},
        {"clGrayText", sysColor(17)},
        {"clHighlight", sysColor(13)},
        {"clHighlightText", sysColor(14)},
        {"clHotLight", sysColor(26)},
        {"clInactiveBorder", sysColor(11)},
        {"clInactiveCaption", sysColor(3)},
        {"clInactiveCaptionText", sysColor(19)},
        {"clInfoBk", sysColor(24)},
        {"clInfoText", sysColor(23)},
        {"clMenu", sysColor(4)},
        {"clMenuBar", sysColor(30)},
        {"clMenuHighlight", sysColor(29)},
        {"clMenuText", sysColor(7)},
        {"clNone", 0x1FFFFFFF},
        {"clScrollBar", sysColor(0)},
        {"cl3DDkShadow", sysColor(21)},
        {"cl3DLight", sysColor(22)},
        {"clWindow", sysColor(5)},
        {"clWindowFrame", sysColor(6)},
        {"clWindowText", sysColor(8)},
        // Aliases: read from streams, never chosen when writing.
        {"clDkGray", 0x808080},
        {"clLtGray", 0xC0C0C0},
    };
    return table;
}

const IdentTable& cursorNames() {
    static const IdentTable table{
        {"crDefault", 0},   {"crArrow", -2},    {"crCross", -3},     {"crIBeam", -4},    {"crSizeNESW", -6},
        {"crSizeNS", -7},   {"crSizeNWSE", -8}, {"crSizeWE", -9},    {"crUpArrow", -10}, {"crHourGlass", -11},
        {"crDrag", -12},    {"crNoDrop", -13},  {"crHSplit", -14},   {"crVSplit", -15},  {"crMultiDrag", -16},
        {"crSQLWait", -17}, {"crNo", -18},      {"crAppStart", -19}, {"crHelp", -20},    {"crHandPoint", -21},
        {"crSizeAll", -22}, {"crNone", -1},     {"crSize", -22},
    };
    return table;
}

const IdentTable& charsetNames() {
    static const IdentTable table{
        {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
        {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
        {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
        {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
        {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
        {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
        {"OEM_CHARSET", 255},
    };
    return table;
}

}  // namespace

namespace types {
// clang-format off
const TypeInfo& integer() { static const TypeInfo t = TypeInfo::integer("Integer"); return t; }
const TypeInfo& cardinal() { static const TypeInfo t = TypeInfo::integer("Cardinal", nullptr, 0, UINT32_MAX); return t; }
const TypeInfo& byte() { static const TypeInfo t = TypeInfo::integer("Byte", nullptr, 0, 255); return t; }
const TypeInfo& word() { static const TypeInfo t = TypeInfo::integer("Word", nullptr, 0, 65535); return t; }
const TypeInfo& smallint() { static const TypeInfo t = TypeInfo::integer("SmallInt", nullptr, INT16_MIN, INT16_MAX); return t; }
const TypeInfo& int64() { static const TypeInfo t = TypeInfo::simple("Int64", TypeKind::Int64); return t; }
const TypeInfo& boolean() { static const TypeInfo t = TypeInfo::simple("Boolean", TypeKind::Boolean); return t; }
const TypeInfo& character() { static const TypeInfo t = TypeInfo::simple("Char", TypeKind::Char); return t; }
const TypeInfo& string() { static const TypeInfo t = TypeInfo::simple("String", TypeKind::String); return t; }
const TypeInfo& wideString() { static const TypeInfo t = TypeInfo::simple("WideString", TypeKind::WString); return t; }
const TypeInfo& single() { static const TypeInfo t = TypeInfo::floating("Single", FloatType::Single); return t; }
const TypeInfo& doubleFloat() { static const TypeInfo t = TypeInfo::floating("Double", FloatType::Double); return t; }
const TypeInfo& extended() { static const TypeInfo t = TypeInfo::floating("Extended", FloatType::Extended); return t; }
const TypeInfo& currency() { static const TypeInfo t = TypeInfo::floating("Currency", FloatType::Currency); return t; }
const TypeInfo& dateTime() { static const TypeInfo t = TypeInfo::floating("TDateTime", FloatType::DateTime); return t; }
const TypeInfo& variant() { static const TypeInfo t = TypeInfo::simple("Variant", TypeKind::Variant); return t; }
const TypeInfo& notifyEvent() {
    static const TypeInfo t = TypeInfo::method("TNotifyEvent", "procedure (Sender: TObject);");
    return t;
}
const TypeInfo& componentName() { static const TypeInfo t = TypeInfo::simple("TComponentName", TypeKind::String); return t; }
const TypeInfo& color() { static const TypeInfo t = TypeInfo::integer("TColor", &colorNames()); return t; }
const TypeInfo& cursor() { static const TypeInfo t = TypeInfo::integer("TCursor", &cursorNames(), INT16_MIN, INT16_MAX); return t; }
const TypeInfo& fontCharset() { static const TypeInfo t = TypeInfo::integer("TFontCharset", &charsetNames(), 0, 255); return t; }
// clang-format on
}  // namespace types

}  // namespace classes
