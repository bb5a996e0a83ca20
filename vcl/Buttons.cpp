// TBitBtn and TSpeedButton: glyphs, kinds, layout and the speed button's own painting.
#include "vcl/Buttons.h"

#include <algorithm>

#include "base/CodePage.h"
#include "classes/ClassBuilder.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& layoutType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
    return t;
}
const classes::TypeInfo& kindType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
                        "bkRetry", "bkIgnore", "bkAll"});
    return t;
}
const classes::TypeInfo& buttonStyleType() {
    static const auto t =
        classes::TypeInfo::enumeration("TButtonStyle", {"bsAutoDetect", "bsWin31", "bsNew"});
    return t;
}
const classes::TypeInfo& numGlyphsType() {
    static const auto t = classes::TypeInfo::integer("TNumGlyphs", nullptr, 1, 4);
    return t;
}

struct KindInfo {
    const char* caption;
    int modalResult;
};
// The caption and result of each kind, as the system's bitmap buttons have them.
constexpr KindInfo kKinds[] = {
    {"", 0},         {"OK", mrOk},  {"Cancel", mrCancel}, {"&Help", 0},        {"&Yes", mrYes},
    {"&No", mrNo},   {"&Close", 0}, {"Abort", mrAbort},   {"&Retry", mrRetry}, {"&Ignore", mrIgnore},
    {"&All", mrAll},
};

// Drawn once per kind: an 18 x 18 picture on an olive ground, which becomes transparent.
const TBitmap& kindGlyph(TBitBtnKind kind) {
    static std::unique_ptr<TBitmap> glyphs[11];
    auto& g = glyphs[kind];
    if (g) return *g;
    g = std::make_unique<TBitmap>();
    g->setSize(18, 18);
    TCanvas& c = g->canvas();
    c.brush().setColor(clOlive);
    c.fillRect({0, 0, 18, 18});
    auto thick = [&](TColor color, std::initializer_list<TPoint> points) {
        c.pen().setColor(color);
        c.pen().setWidth(3);
        c.polyline(points);
    };
    auto cross = [&](TColor color) {
        thick(color, {{4, 4}, {13, 13}});
        thick(color, {{13, 4}, {4, 13}});
    };
    switch (kind) {
    case bkOK:
    case bkYes: thick(clGreen, {{3, 9}, {7, 13}, {14, 4}}); break;
    case bkAll:
        thick(clGreen, {{1, 9}, {4, 12}, {9, 4}});
        thick(clGreen, {{7, 11}, {9, 13}, {16, 4}});
        break;
    case bkCancel: cross(clRed); break;
    case bkAbort:
        c.brush().setColor(clRed);
        c.pen().setColor(clMaroon);
        c.ellipse(1, 1, 17, 17);
        cross(clWhite);
        break;
    case bkNo:
        c.brush().setStyle(bsClear);
        c.pen().setColor(clRed);
        c.pen().setWidth(2);
        c.ellipse(2, 2, 16, 16);
        thick(clRed, {{5, 5}, {13, 13}});
        break;
    case bkHelp:
    case bkRetry:
    case bkIgnore:
    case bkClose: {
        // A letter in a coloured disc: the kinds without a drawn symbol of their own.
        static constexpr TColor kDisc[] = {clBlue, clGreen, clGray, clTeal};
        static constexpr const char* kLetter[] = {"?", "R", "I", "X"};
        const int i = kind == bkHelp ? 0 : kind == bkRetry ? 1 : kind == bkIgnore ? 2 : 3;
        c.brush().setColor(kDisc[i]);
        c.pen().setColor(kDisc[i]);
        c.ellipse(1, 1, 17, 17);
        c.font().setName("Arial");
        c.font().setHeight(-13);
        c.font().setStyle(fontStyle(fsBold));
        c.font().setColor(clWhite);
        c.brush().setStyle(bsClear);
        TRect r{1, 1, 17, 17};
        c.drawText(kLetter[i], r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        break;
    }
    default: break;
    }
    return *g;
}

pictures::Image greyed(const pictures::Image& up) {
    // The system's disabled glyph: the picture's shape embossed in highlight and shadow.
    pictures::Image out(up.width, up.height, 0);
    const uint32_t shadow = colorToArgb(clBtnShadow), light = colorToArgb(clBtnHighlight);
    for (int y = 0; y < up.height; ++y)
        for (int x = 0; x < up.width; ++x) {
            const uint32_t p = up.pixel(x, y);
            if ((p >> 24) == 0) continue;
            const int lum =
                static_cast<int>(((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
            if (lum > 192) continue;
            if (x + 1 < up.width && y + 1 < up.height && (out.pixel(x + 1, y + 1) >> 24) == 0)
                out.setPixel(x + 1, y + 1, light);
            out.setPixel(x, y, shadow);
        }
    return out;
}

template <class T>
void glyphProperties(ClassBuilder<T>& b) {
    b.property(
         "Glyph", TBitmap::staticClass().typeInfo(), &T::glyph, &T::setGlyph,
         {.defaultValue = {},
          .stored = [](const classes::TObject& o) { return !static_cast<const T&>(o).glyph()->empty(); }})
        .property("Layout", layoutType(), &T::layout, &T::setLayout, {.defaultValue = blGlyphLeft})
        .property("Margin", ct::integer(), &T::margin, &T::setMargin, {.defaultValue = -1})
        .property("NumGlyphs", numGlyphsType(), &T::numGlyphs, &T::setNumGlyphs, {.defaultValue = 1})
        .property("Spacing", ct::integer(), &T::spacing, &T::setSpacing, {.defaultValue = 4});
}

// How many images a glyph bitmap holds: its width in whole squares, up to four.
int glyphCount(const TBitmap& glyph, int current) {
    if (glyph.empty() || glyph.height() <= 0 || glyph.width() % glyph.height() != 0) return current;
    return std::clamp(glyph.width() / glyph.height(), 1, 4);
}

void copyBitmap(TBitmap& to, const TBitmap* from) {
    const pictures::Image* img = from ? from->image() : nullptr;
    to.assignImage(img ? *img : pictures::Image());
}

}  // namespace

ButtonLayout layoutButton(TButtonLayout layout, int margin, int spacing, const TRect& client,
                          TPoint glyphSize, TPoint textSize) {
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    const int avail = across ? client.width() : client.height();
    const int glyphLen = across ? glyphSize.x : glyphSize.y;
    const int textLen = across ? textSize.x : textSize.y;
    if (glyphLen == 0 || textLen == 0) spacing = 0;
    if (margin < 0) {
        if (spacing < 0) {
            margin = spacing = (avail - glyphLen - textLen) / 3;
        } else {
            margin = (avail - glyphLen - spacing - textLen) / 2;
        }
    } else if (spacing < 0) {
        spacing = (avail - margin - glyphLen - textLen) / 2;
    }
    int glyphAt = margin, textAt = margin + glyphLen + spacing;
    if (layout == blGlyphRight || layout == blGlyphBottom) {
        glyphAt = avail - margin - glyphLen;
        textAt = glyphAt - spacing - textLen;
    }
    ButtonLayout out;
    if (across) {
        out.glyph = {client.left + glyphAt, client.top + (client.height() - glyphSize.y) / 2};
        out.text = {client.left + textAt, client.top + (client.height() - textSize.y) / 2};
    } else {
        out.glyph = {client.left + (client.width() - glyphSize.x) / 2, client.top + glyphAt};
        out.text = {client.left + (client.width() - textSize.x) / 2, client.top + textAt};
    }
    return out;
}

pictures::Image glyphImage(const TBitmap& glyph, int numGlyphs, GlyphState state) {
    const pictures::Image* all = glyph.image();
    if (!all || all->empty()) return {};
    numGlyphs = std::clamp(numGlyphs, 1, 4);
    const int w = all->width / numGlyphs, h = all->height;
    if (w <= 0) return {};
    int index = static_cast<int>(state);
    const bool makeGrey = state == GlyphState::Disabled && numGlyphs < 2;
    if (index >= numGlyphs) index = 0;
    pictures::Image out(w, h, 0);
    const uint32_t key = all->pixel(0, h - 1) | 0xFF000000u;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = all->pixel(index * w + x, y);
            out.setPixel(x, y, (p | 0xFF000000u) == key ? 0u : p);
        }
    return makeGrey ? greyed(out) : out;
}

// --- metadata ---

const classes::ClassInfo& TBitBtn::staticClass() {
    static const auto info = [] {
        ClassBuilder<TBitBtn> b("TBitBtn", TButton::staticClass());
        b.property("Kind", kindType(), &TBitBtn::kind, &TBitBtn::setKind, {.defaultValue = bkCustom})
            .property("Style", buttonStyleType(), &TBitBtn::style, &TBitBtn::setStyle,
                      {.defaultValue = bsAutoDetect});
        glyphProperties(b);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TSpeedButton::staticClass() {
    static const auto info = [] {
        ClassBuilder<TSpeedButton> b("TSpeedButton", TGraphicControl::staticClass());
        b.property("Caption", ct::string(), &TControl::caption,
                   [](TSpeedButton& s, const std::string& v) { s.setCaption(v); })
            .property("AllowAllUp", ct::boolean(), &TSpeedButton::allowAllUp, &TSpeedButton::setAllowAllUp,
                      {.defaultValue = 0})
            .property("GroupIndex", ct::integer(), &TSpeedButton::groupIndex, &TSpeedButton::setGroupIndex,
                      {.defaultValue = 0})
            .property("Down", ct::boolean(), &TSpeedButton::down, &TSpeedButton::setDown, {.defaultValue = 0})
            .property("Flat", ct::boolean(), &TSpeedButton::flat, &TSpeedButton::setFlat, {.defaultValue = 0})
            .property("Transparent", ct::boolean(), &TSpeedButton::transparent, &TSpeedButton::setTransparent,
                      {.defaultValue = 1});
        glyphProperties(b);
        b.property(
            "Action", classes::TComponent::staticClass().typeInfo(),
            [](const TSpeedButton&) { return static_cast<classes::TComponent*>(nullptr); },
            [](TSpeedButton&, classes::TComponent*) {});
        b.publicMethod("procedure Click;", &TSpeedButton::click);
        return b.build();
    }();
    return *info;
}

// --- TBitBtn ---

TBitBtn::TBitBtn(classes::TComponent* owner) : TButton(owner), m_glyph(std::make_unique<TBitmap>()) {
    m_glyph->onChange = [this] { glyphChanged(); };
}

TBitBtn::~TBitBtn() { m_glyph->onChange = nullptr; }

TBitBtnKind TBitBtn::kind() const {
    if (m_kind == bkCustom) return bkCustom;
    const bool isDefaultKind = m_kind == bkOK || m_kind == bkYes;
    const bool isCancelKind = m_kind == bkCancel || m_kind == bkNo;
    if (isDefaultKind != isDefault() || isCancelKind != cancel() ||
        modalResult() != kKinds[m_kind].modalResult || m_modifiedGlyph)
        return bkCustom;
    return m_kind;
}

void TBitBtn::setKind(TBitBtnKind value) {
    if (value == m_kind) return;
    m_kind = value;
    if (value != bkCustom) {
        setDefault(value == bkOK || value == bkYes);
        setCancel(value == bkCancel || value == bkNo);
        // A stream keeps the caption it names; a new kind brings its own.
        if (!hasState(classes::ComponentState::Loading) || caption().empty())
            setCaption(kKinds[value].caption);
        setModalResult(kKinds[value].modalResult);
        m_modifiedGlyph = false;
    }
    syncHandle();
    invalidate();
}

void TBitBtn::setGlyph(TBitmap* value) { copyBitmap(*m_glyph, value); }

void TBitBtn::glyphChanged() {
    m_modifiedGlyph = !m_glyph->empty();
    m_numGlyphs = glyphCount(*m_glyph, m_numGlyphs);
    if (handleAllocated()) handle().invalidate();
}

void TBitBtn::setLayout(TButtonLayout value) {
    m_layout = value;
    if (handleAllocated()) handle().invalidate();
}

void TBitBtn::setNumGlyphs(int value) {
    m_numGlyphs = std::clamp(value, 1, 4);
    if (handleAllocated()) handle().invalidate();
}

void TBitBtn::setMargin(int value) {
    m_margin = std::max(-1, value);
    if (handleAllocated()) handle().invalidate();
}

void TBitBtn::setSpacing(int value) {
    m_spacing = std::max(-1, value);
    if (handleAllocated()) handle().invalidate();
}

pictures::Image TBitBtn::glyphFor(GlyphState state) const {
    if (!m_glyph->empty()) return glyphImage(*m_glyph, m_numGlyphs, state);
    if (m_kind != bkCustom) return glyphImage(kindGlyph(m_kind), 1, state);
    return {};
}

void TBitBtn::click() {
    if (m_kind == bkClose) {
        if (auto* form = dynamic_cast<TCustomForm*>(topLevel())) {
            const auto alive = aliveToken();
            TButton::click();
            if (!alive.expired()) form->close();
            return;
        }
    }
    TButton::click();
}

// --- TSpeedButton ---

TSpeedButton::TSpeedButton(classes::TComponent* owner)
    : TGraphicControl(owner), m_glyph(std::make_unique<TBitmap>()) {
    m_glyph->onChange = [this] {
        m_numGlyphs = glyphCount(*m_glyph, m_numGlyphs);
        invalidate();
    };
    setBounds(0, 0, 23, 22);
    setParentFont(true);
}

TSpeedButton::~TSpeedButton() { m_glyph->onChange = nullptr; }

void TSpeedButton::setGroupIndex(int value) {
    m_groupIndex = std::max(0, value);
    if (m_down && m_groupIndex == 0) m_down = false;
    releaseGroup();
    invalidate();
}

void TSpeedButton::setDown(bool value) {
    // Only a button of a group can stay down; the last one down stays unless all may be up.
    if (m_groupIndex == 0) value = false;
    if (value == m_down) return;
    if (!value && !m_allowAllUp && !hasState(classes::ComponentState::Loading)) return;
    m_down = value;
    if (value) releaseGroup();
    invalidate();
}

void TSpeedButton::setAllowAllUp(bool value) {
    m_allowAllUp = value;
    if (!parent()) return;
    for (TControl* c : parent()->controls())
        if (auto* b = dynamic_cast<TSpeedButton*>(c);
            b && b != this && b->m_groupIndex == m_groupIndex && m_groupIndex != 0)
            b->m_allowAllUp = value;
}

void TSpeedButton::releaseGroup() {
    if (!m_down || m_groupIndex == 0 || !parent()) return;
    for (TControl* c : parent()->controls()) {
        auto* b = dynamic_cast<TSpeedButton*>(c);
        if (b && b != this && b->m_groupIndex == m_groupIndex && b->m_down) {
            b->m_down = false;
            b->invalidate();
        }
    }
}

void TSpeedButton::setFlat(bool value) {
    m_flat = value;
    invalidate();
}

void TSpeedButton::setTransparent(bool value) {
    m_transparent = value;
    invalidate();
}

void TSpeedButton::setGlyph(TBitmap* value) { copyBitmap(*m_glyph, value); }

void TSpeedButton::setLayout(TButtonLayout value) {
    m_layout = value;
    invalidate();
}

void TSpeedButton::setNumGlyphs(int value) {
    m_numGlyphs = std::clamp(value, 1, 4);
    invalidate();
}

void TSpeedButton::setMargin(int value) {
    m_margin = std::max(-1, value);
    invalidate();
}

void TSpeedButton::setSpacing(int value) {
    m_spacing = std::max(-1, value);
    invalidate();
}

void TSpeedButton::mouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && enabled()) {
        m_pressed = true;
        invalidate();
    }
    TGraphicControl::mouseDown(button, shift, x, y);
}

void TSpeedButton::mouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && m_pressed) {
        m_pressed = false;
        invalidate();
    }
    TGraphicControl::mouseUp(button, shift, x, y);
}

void TSpeedButton::mouseEnter() {
    m_hot = true;
    if (m_flat) invalidate();
    TGraphicControl::mouseEnter();
}

void TSpeedButton::mouseLeave() {
    m_hot = false;
    if (m_flat) invalidate();
    TGraphicControl::mouseLeave();
}

void TSpeedButton::click() {
    if (m_groupIndex != 0) {
        if (!m_down)
            setDown(true);
        else if (m_allowAllUp)
            setDown(false);
    }
    TGraphicControl::click();
}

bool TSpeedButton::dialogChar(char c) {
    // Alt + the caption's accelerator clicks the button.
    const std::string& text = caption();
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        const auto& cp = base::CodePage::active();
        if (cp.upper(static_cast<unsigned char>(text[i + 1])) != cp.upper(static_cast<unsigned char>(c)))
            return false;
        if (!enabled() || !visible()) return false;
        click();
        return true;
    }
    return false;
}

void TSpeedButton::paint() {
    TCanvas& c = canvas();
    TRect r = clientRect();
    const bool sunken = m_pressed || m_down;
    if (!(m_flat && m_transparent)) {
        c.brush().setStyle(bsSolid);
        // A button held down by its group shows the system's lighter face.
        c.brush().setColor(m_down && !m_pressed ? cl3DLight : clBtnFace);
        c.fillRect(r);
    }
    if (sunken) {
        frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    } else if (!m_flat) {
        frame3D(c, r, clBtnHighlight, cl3DDkShadow, 1);
        frame3D(c, r, cl3DLight, clBtnShadow, 1);
    } else if (m_hot && enabled()) {
        frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    }
    const GlyphState state = !enabled()  ? GlyphState::Disabled
                             : m_pressed ? GlyphState::Down
                             : m_down    ? GlyphState::Exclusive
                                         : GlyphState::Up;
    const pictures::Image g = glyphImage(*m_glyph, m_numGlyphs, state);
    c.setFont(*font());
    TRect calc{0, 0, 0, 0};
    if (!caption().empty()) c.drawText(caption(), calc, DT_CALCRECT | DT_SINGLELINE);
    const ButtonLayout at = layoutButton(m_layout, m_margin, m_spacing, clientRect(), {g.width, g.height},
                                         {calc.width(), calc.height()});
    const int shift = sunken ? 1 : 0;
    if (!g.empty()) c.drawImage(bounds(at.glyph.x + shift, at.glyph.y + shift, g.width, g.height), g);
    if (!caption().empty()) {
        c.brush().setStyle(bsClear);
        TRect t = bounds(at.text.x + shift, at.text.y + shift, calc.width(), calc.height());
        if (!enabled()) {
            TRect light = t.offset(1, 1);
            c.font().setColor(clBtnHighlight);
            c.drawText(caption(), light, DT_SINGLELINE);
            c.font().setColor(clBtnShadow);
        }
        c.drawText(caption(), t, DT_SINGLELINE);
    }
}

}  // namespace vcl
