// Font, pen and brush values; the face mapping table.
#include "vcl/Graphics.h"

#include <array>
#include <cmath>
#include <string_view>

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace types {
const classes::TypeInfo& fontStyles() {
    static const auto element =
        classes::TypeInfo::enumeration("TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
    static const auto set = classes::TypeInfo::set("TFontStyles", element);
    return set;
}
const classes::TypeInfo& fontPitch() {
    static const auto t =
        classes::TypeInfo::enumeration("TFontPitch", {"fpDefault", "fpVariable", "fpFixed"});
    return t;
}
const classes::TypeInfo& penStyle() {
    static const auto t = classes::TypeInfo::enumeration(
        "TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"});
    return t;
}
const classes::TypeInfo& penMode() {
    static const auto t = classes::TypeInfo::enumeration(
        "TPenMode", {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                     "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                     "pmNotMask", "pmXor", "pmNotXor"});
    return t;
}
const classes::TypeInfo& brushStyle() {
    static const auto t = classes::TypeInfo::enumeration(
        "TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                        "bsCross", "bsDiagCross"});
    return t;
}
}  // namespace types

const classes::ClassInfo& TGraphicsObject::staticClass() {
    static const auto info =
        ClassBuilder<TGraphicsObject>("TGraphicsObject", classes::TPersistent::staticClass())
            .factory({})
            .build();
    return *info;
}

const classes::ClassInfo& TFont::staticClass() {
    static const auto info =
        ClassBuilder<TFont>("TFont", TGraphicsObject::staticClass())
            .property("Charset", ct::fontCharset(), &TFont::charset, &TFont::setCharset)
            .property("Color", ct::color(), &TFont::color, &TFont::setColor)
            .property("Height", ct::integer(), &TFont::height, &TFont::setHeight)
            .property("Name", ct::string(), &TFont::name,
                      [](TFont& f, const std::string& v) { f.setName(v); })
            .property("Pitch", types::fontPitch(), &TFont::pitch, &TFont::setPitch,
                      {.defaultValue = fpDefault})
            .property("Size", ct::integer(), &TFont::size, &TFont::setSize,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("Style", types::fontStyles(), &TFont::style, &TFont::setStyle)
            .build();
    return *info;
}

const classes::ClassInfo& TPen::staticClass() {
    static const auto info =
        ClassBuilder<TPen>("TPen", TGraphicsObject::staticClass())
            .property("Color", ct::color(), &TPen::color, &TPen::setColor, {.defaultValue = clBlack})
            .property("Mode", types::penMode(), &TPen::mode, &TPen::setMode, {.defaultValue = pmCopy})
            .property("Style", types::penStyle(), &TPen::style, &TPen::setStyle, {.defaultValue = psSolid})
            .property("Width", ct::integer(), &TPen::width, &TPen::setWidth, {.defaultValue = 1})
            .build();
    return *info;
}

const classes::ClassInfo& TBrush::staticClass() {
    static const auto info =
        ClassBuilder<TBrush>("TBrush", TGraphicsObject::staticClass())
            .property("Color", ct::color(), &TBrush::color, &TBrush::setColor, {.defaultValue = clWhite})
            .property("Style", types::brushStyle(), &TBrush::style, &TBrush::setStyle,
                      {.defaultValue = bsSolid})
            .build();
    return *info;
}

void TFont::assign(const classes::TPersistent& source) {
    if (auto* f = dynamic_cast<const TFont*>(&source)) return assign(*f);
    TPersistent::assign(source);
}

void TPen::assign(const classes::TPersistent& source) {
    if (auto* p = dynamic_cast<const TPen*>(&source)) return assign(*p);
    TPersistent::assign(source);
}

void TBrush::assign(const classes::TPersistent& source) {
    if (auto* b = dynamic_cast<const TBrush*>(&source)) return assign(*b);
    TPersistent::assign(source);
}

TFont::TFont() = default;

void TFont::touched() {
    m_handle.reset();
    changed();
}

void TFont::assign(const TFont& o) {
    if (sameAs(o)) return;
    m_name = o.m_name;
    m_height = o.m_height;
    m_style = o.m_style;
    m_color = o.m_color;
    m_charset = o.m_charset;
    m_pitch = o.m_pitch;
    touched();
}

bool TFont::sameAs(const TFont& o) const {
    return m_name == o.m_name && m_height == o.m_height && m_style == o.m_style && m_color == o.m_color &&
           m_charset == o.m_charset && m_pitch == o.m_pitch;
}

void TFont::setName(const std::string& name) {
    if (name.empty() || name == m_name) return;
    m_name = name;
    touched();
}

void TFont::setHeight(int height) {
    if (height == m_height) return;
    m_height = height;
    touched();
}

int TFont::size() const {
    return static_cast<int>(std::lround(-static_cast<double>(m_height) * 72.0 / kPixelsPerInch));
}

void TFont::setSize(int points) {
    setHeight(-static_cast<int>(std::lround(static_cast<double>(points) * kPixelsPerInch / 72.0)));
}

void TFont::setStyle(TFontStyles style) {
    style &= 15;
    if (style == m_style) return;
    m_style = style;
    touched();
}

void TFont::setColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    changed();  // colour is not part of the toolkit font
}

void TFont::setCharset(TFontCharset charset) {
    if (charset == m_charset) return;
    m_charset = charset;
    touched();
}

void TFont::setPitch(TFontPitch pitch) {
    if (pitch == m_pitch) return;
    m_pitch = pitch;
    touched();
}

void TPen::assign(const TPen& o) {
    m_color = o.m_color;
    m_width = o.m_width;
    m_style = o.m_style;
    m_mode = o.m_mode;
    changed();
}

void TPen::setColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    changed();
}

void TPen::setWidth(int width) {
    if (width == m_width) return;
    m_width = width;
    changed();
}

void TPen::setStyle(TPenStyle style) {
    if (style == m_style) return;
    m_style = style;
    changed();
}

void TPen::setMode(TPenMode mode) {
    if (mode == m_mode) return;
    m_mode = mode;
    changed();
}

void TBrush::assign(const TBrush& o) {
    m_color = o.m_color;
    m_style = o.m_style;
    changed();
}

void TBrush::setColor(TColor color) {
    if (color == m_color && m_style != bsClear) return;
    m_color = color;
    if (m_style == bsClear) m_style = bsSolid;
    changed();
}

void TBrush::setStyle(TBrushStyle style) {
    if (style == m_style) return;
    m_style = style;
    changed();
}

namespace {
struct FaceMapping {
    std::string_view windows;
    std::string_view installed;
};
// Metric-compatible faces where they exist (Liberation), DejaVu for the rest.
constexpr std::array<FaceMapping, 22> kFaces = {{
    {"MS Sans Serif", "Liberation Sans"},
    {"Microsoft Sans Serif", "Liberation Sans"},
    {"Arial", "Liberation Sans"},
    {"Helvetica", "Liberation Sans"},
    {"System", "Liberation Sans"},
    {"MS Shell Dlg", "Liberation Sans"},
    {"MS Shell Dlg 2", "Liberation Sans"},
    {"Arial Narrow", "Liberation Sans Narrow"},
    {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},
    {"Georgia", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},
    {"Fixedsys", "Liberation Mono"},
    {"Lucida Console", "DejaVu Sans Mono"},
    {"Consolas", "DejaVu Sans Mono"},
    {"Tahoma", "DejaVu Sans"},
    {"Verdana", "DejaVu Sans"},
    {"Segoe UI", "DejaVu Sans"},
    {"Comic Sans MS", "DejaVu Sans"},
    {"Trebuchet MS", "DejaVu Sans"},
}};
}  // namespace

std::string mapFontFace(const std::string& windowsName) {
    for (const auto& f : kFaces)
        if (base::asciiSameText(f.windows, windowsName)) return std::string(f.installed);
    return windowsName;
}

}  // namespace vcl
