// TGradient: the colour table, the pattern of each style and the update lock.
#include "vcl/Gradient.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "classes/ClassBuilder.h"
#include "classes/NativeType.h"
#include "vcl/Graphic.h"
#include "vcl/MulDiv.h"

// The table's entries as scripts see them: three bytes, blue first.
template <>
struct classes::RecordFields<vcl::GradientColor>
    : classes::Fields<&vcl::GradientColor::b, &vcl::GradientColor::g, &vcl::GradientColor::r> {};

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& percentRangeType(const char* name) {
    // Two distinct names share one shape; the engine knows neither, so scripts never see them.
    static const auto rotation = classes::TypeInfo::integer("TGradientRotation", nullptr, -100, 100);
    static const auto shift = classes::TypeInfo::integer("TGradientShift", nullptr, -100, 100);
    return std::string_view(name) == "TGradientRotation" ? rotation : shift;
}

int channel(TColor c, int shiftBits) {
    return static_cast<int>((static_cast<uint32_t>(c) >> shiftBits) & 0xFF);
}

// One channel of the table: C1 to C2, with the turning point moved by the rotation.
void fillChannel(TGradientColors& t, uint8_t GradientColor::*field, int c1, int c2, int r) {
    const int d = c2 - c1;
    for (int i = 0; i < 256; ++i) {
        int v;
        if (r == 0) {
            v = c1 + d * i / 255;
        } else if (r > 0) {
            const int p = 255 - r;
            v = i < p ? c1 + d * i / p : c1 + d * (255 - i) / r;
        } else {
            const int q = -r;
            v = i <= q ? c2 - d * i / q : c2 - d * (255 - i) / (255 - q);
        }
        t[static_cast<size_t>(i)].*field = static_cast<uint8_t>(std::clamp(v, 0, 255));
    }
}

uint32_t argb(const GradientColor& c) {
    return 0xFF000000u | (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

// Distance on a 362-pixel axis mirrored about its middle.
int mirrored(int i) { return i <= 180 ? 180 - i : i - 181; }
int radius(int dx, int dy) { return static_cast<int>(std::lround(std::sqrt(double(dx * dx + dy * dy)))); }

struct Layout {
    int w, h;
    int (*entry)(int x, int y);
};

Layout layoutOf(TGradientStyle style) {
    switch (style) {
    case gsRadialC: return {362, 362, [](int x, int y) { return radius(mirrored(x), mirrored(y)); }};
    case gsRadialT: return {362, 181, [](int x, int y) { return radius(mirrored(x), y); }};
    case gsRadialB: return {362, 181, [](int x, int y) { return radius(mirrored(x), 180 - y); }};
    case gsRadialL: return {181, 362, [](int x, int y) { return radius(x, mirrored(y)); }};
    case gsRadialR: return {181, 362, [](int x, int y) { return radius(180 - x, mirrored(y)); }};
    case gsRadialTL: return {181, 181, [](int x, int y) { return radius(x, y); }};
    case gsRadialTR: return {181, 181, [](int x, int y) { return radius(180 - x, y); }};
    case gsRadialBL: return {181, 181, [](int x, int y) { return radius(x, 180 - y); }};
    case gsRadialBR: return {181, 181, [](int x, int y) { return radius(180 - x, 180 - y); }};
    case gsLinearH: return {1, 256, [](int, int y) { return y; }};
    case gsLinearV: return {256, 1, [](int x, int) { return x; }};
    case gsReflectedH: return {1, 512, [](int, int y) { return y < 256 ? 255 - y : y - 256; }};
    case gsReflectedV: return {512, 1, [](int x, int) { return x < 256 ? 255 - x : x - 256; }};
    case gsDiagonalLF: return {128, 129, [](int x, int y) { return y - x + 127; }};
    case gsDiagonalLB: return {128, 129, [](int x, int y) { return x + y; }};
    case gsDiagonalRF: return {256, 256, [](int x, int y) { return std::abs(x - y); }};
    case gsDiagonalRB: return {256, 256, [](int x, int y) { return std::abs(x + y - 255); }};
    case gsArrowL: return {129, 256, [](int x, int y) { return y < 128 ? 255 - x - y : y - x; }};
    case gsArrowR: return {129, 256, [](int x, int y) { return y < 128 ? x - y + 127 : x + y - 128; }};
    case gsArrowU: return {256, 129, [](int x, int y) { return x < 128 ? 255 - x - y : x - y; }};
    case gsArrowD: return {256, 129, [](int x, int y) { return x < 128 ? y - x + 127 : x + y - 128; }};
    case gsDiamond:
        return {256, 256, [](int x, int y) {
                    if (y < 128) return x < 128 ? 255 - x - y : x - y;
                    return x < 128 ? y - x : x + y - 255;
                }};
    case gsButterfly:
        return {256, 256, [](int x, int y) {
                    if (y < 128) return x < 128 ? x - y + 128 : 383 - x - y;
                    return x < 128 ? x + y - 128 : y - x + 128;
                }};
    case gsCustom: break;
    }
    return {0, 0, nullptr};
}

}  // namespace

TGradientColors gradientTable(TColor c1, TColor c2, int shift, int rotation) {
    TGradientColors t{};
    const int r = mulDiv(255, rotation, 100);
    const std::pair<int, uint8_t GradientColor::*> channels[] = {
        {0, &GradientColor::r}, {8, &GradientColor::g}, {16, &GradientColor::b}};
    for (const auto& [bits, field] : channels) {
        int a = channel(c1, bits), b = channel(c2, bits);
        if (shift > 0) a += mulDiv(b - a, shift, 100);
        if (shift < 0) b += mulDiv(b - a, shift, 100);
        fillChannel(t, field, a, b, r);
    }
    return t;
}

pictures::Image gradientPattern(TGradientStyle style, const TGradientColors& table) {
    const Layout l = layoutOf(style);
    if (!l.entry) return {};
    pictures::Image img(l.w, l.h);
    for (int y = 0; y < l.h; ++y) {
        uint32_t* row = img.row(y);
        // Each index is within 0..255 for the sizes above; the clamp guards the table itself.
        for (int x = 0; x < l.w; ++x)
            row[x] = argb(table[static_cast<size_t>(std::clamp(l.entry(x, y), 0, 255))]);
    }
    return img;
}

const classes::TypeInfo& types::gradientStyle() {
    static const auto t = classes::TypeInfo::enumeration(
        "TGradientStyle",
        {"gsCustom",     "gsRadialC",    "gsRadialT",    "gsRadialB",    "gsRadialL",    "gsRadialR",
         "gsRadialTL",   "gsRadialTR",   "gsRadialBL",   "gsRadialBR",   "gsLinearH",    "gsLinearV",
         "gsReflectedH", "gsReflectedV", "gsDiagonalLF", "gsDiagonalLB", "gsDiagonalRF", "gsDiagonalRB",
         "gsArrowL",     "gsArrowR",     "gsArrowU",     "gsArrowD",     "gsDiamond",    "gsButterfly"});
    return t;
}

const classes::TypeInfo& types::customGradientEvent() {
    static const auto t = classes::TypeInfo::method(
        "TCustomGradientEvent",
        "procedure (Sender: TObject; const Colors: TGradientColors; Pattern: TBitmap);");
    return t;
}

const TGradientColors& customGradientColors(std::span<const classes::EventArg> args) {
    const auto* v = args.size() > 1 ? std::get_if<classes::RecordArg>(&args[1]) : nullptr;
    if (!v || v->type != &classes::nativeType<TGradientColors>())
        throw std::invalid_argument("not the arguments of OnCustom");
    return *static_cast<const TGradientColors*>(v->data);
}

const classes::ClassInfo& TGradient::staticClass() {
    static const auto info = [] {
        ClassBuilder<TGradient> b("TGradient", TGraphicControl::staticClass());
        b.publicMethod("Procedure InvalidatePattern", &TGradient::invalidatePattern)
            .publicMethod("Procedure BeginUpdate", &TGradient::beginUpdate)
            .publicMethod("Procedure EndUpdate", &TGradient::endUpdate)
            .property("ColorBegin", ct::color(), &TGradient::colorBegin, &TGradient::setColorBegin,
                      {.defaultValue = clWhite})
            .property("ColorEnd", ct::color(), &TGradient::colorEnd, &TGradient::setColorEnd,
                      {.defaultValue = clBtnFace})
            .property("Reverse", ct::boolean(), &TGradient::reverse, &TGradient::setReverse,
                      {.defaultValue = 0})
            .property("Rotation", percentRangeType("TGradientRotation"), &TGradient::rotation,
                      &TGradient::setRotation, {.defaultValue = 0})
            .property("Shift", percentRangeType("TGradientShift"), &TGradient::shift, &TGradient::setShift,
                      {.defaultValue = 0})
            .property("Style", types::gradientStyle(), &TGradient::style, &TGradient::setStyle,
                      {.defaultValue = gsRadialC})
            .event("OnCustom", types::customGradientEvent(), &TGradient::onCustom);
        return b.build();
    }();
    return *info;
}

TGradient::TGradient(classes::TComponent* owner)
    : TGraphicControl(owner), m_pattern(std::make_unique<TBitmap>()) {
    m_controlStyle |= csOpaque;
    setBounds(0, 0, 100, 100);
    updatePattern();
}

TGradient::~TGradient() = default;

void TGradient::setColorBegin(TColor value) {
    if (value == m_colorBegin) return;
    m_colorBegin = value;
    updatePattern();
}

void TGradient::setColorEnd(TColor value) {
    if (value == m_colorEnd) return;
    m_colorEnd = value;
    updatePattern();
}

void TGradient::setStyle(TGradientStyle value) {
    if (value == m_style || value < gsCustom || value > gsButterfly) return;
    m_style = value;
    updatePattern();
}

void TGradient::setReverse(bool value) {
    if (value == m_reverse) return;
    m_reverse = value;
    updatePattern();
}

void TGradient::setShift(int value) {
    value = std::clamp<int>(static_cast<int8_t>(value & 0xFF), -100, 100);
    if (value == m_shift) return;
    m_shift = value;
    updatePattern();
}

void TGradient::setRotation(int value) {
    value = std::clamp<int>(static_cast<int8_t>(value & 0xFF), -100, 100);
    if (value == m_rotation) return;
    m_rotation = value;
    updatePattern();
}

void TGradient::endUpdate() {
    --m_updateLock;
    if (m_updateLock == 0 && m_dirty) updatePattern();
}

void TGradient::loaded() {
    TGraphicControl::loaded();
    updatePattern();
}

void TGradient::updatePattern() {
    m_dirty = true;
    if (hasState(classes::ComponentState::Loading) || m_updateLock != 0) return;
    m_dirty = false;
    m_building = true;
    try {
        buildPattern();
    } catch (...) {
        m_building = false;
        throw;
    }
    m_building = false;
    ++m_builds;
    invalidate();
}

void TGradient::buildPattern() {
    TColor c1 = colorToRGB(m_colorBegin), c2 = colorToRGB(m_colorEnd);
    if (m_reverse) std::swap(c1, c2);
    m_colors = gradientTable(c1, c2, m_shift, m_rotation);
    if (m_style != gsCustom) {
        m_pattern->pixels() = gradientPattern(m_style, m_colors);
        return;
    }
    if (onCustom) {
        // The handler gets its own copy: a script's may keep or change what it was given.
        TGradientColors colors = m_colors;
        fireEvent(onCustom, {static_cast<classes::TObject*>(this),
                             classes::RecordArg{&classes::nativeType<TGradientColors>(), &colors},
                             static_cast<classes::TObject*>(m_pattern.get())});
        return;
    }
    const uint32_t a = colorToArgb(c1), b = colorToArgb(c2);
    pictures::Image checker(2, 2, a);
    checker.setPixel(1, 0, b);
    checker.setPixel(0, 1, b);
    m_pattern->pixels() = std::move(checker);
}

pictures::Image TGradient::render() const {
    const int w = std::max(0, width()), h = std::max(0, height());
    const pictures::Image& src = const_cast<TBitmap&>(*m_pattern).pixels();
    pictures::Image out(w, h);
    if (src.empty() || out.empty()) return out;
    for (int y = 0; y < h; ++y) {
        const uint32_t* s = src.row(static_cast<int>(int64_t{y} * src.height / h));
        uint32_t* d = out.row(y);
        for (int x = 0; x < w; ++x) d[x] = s[int64_t{x} * src.width / w] | 0xFF000000u;
    }
    return out;
}

void TGradient::paint() {
    if (m_building || width() <= 0 || height() <= 0) return;
    canvas().drawImage({0, 0, width(), height()}, render());
}

}  // namespace vcl
