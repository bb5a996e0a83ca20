// TImage, TShape, TBevel, TPaintBox, TPanel and TTimer: drawing as the system's controls
// draw, and their metadata.
#include "vcl/ExtCtrls.h"

#include "classes/ClassBuilder.h"
#include "vcl/Forms.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
using classes::TComponent;
namespace ct = classes::types;

namespace {
const classes::TypeInfo& shapeType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
    return t;
}
const classes::TypeInfo& bevelShapeType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TBevelShape",
        {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"});
    return t;
}
const classes::TypeInfo& bevelStyleType() {
    static const auto t = classes::TypeInfo::enumeration("TBevelStyle", {"bsLowered", "bsRaised"});
    return t;
}
}  // namespace

const classes::ClassInfo& TImage::staticClass() {
    static const auto info = [] {
        ClassBuilder<TImage> b("TImage", TGraphicControl::staticClass());
        b.property("Picture", TPicture::staticClass().typeInfo(), &TImage::picture, &TImage::setPicture)
            .property("Stretch", ct::boolean(), &TImage::stretch, &TImage::setStretch, {.defaultValue = 0})
            .property("Center", ct::boolean(), &TImage::center, &TImage::setCenter, {.defaultValue = 0})
            .property("Proportional", ct::boolean(), &TImage::proportional, &TImage::setProportional,
                      {.defaultValue = 0})
            .property("Transparent", ct::boolean(), &TImage::transparent, &TImage::setTransparent,
                      {.defaultValue = 0})
            .property("AutoSize", ct::boolean(), &TImage::autoSize, &TImage::setAutoSize, {.defaultValue = 0})
            .readOnly("Canvas", TCanvas::staticClass().typeInfo(),
                      [](const TImage& i) { return &const_cast<TImage&>(i).imageCanvas(); },
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }});
        keptProperty(b, "IncrementalDisplay", ct::boolean(), 0);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TShape::staticClass() {
    static const auto info =
        ClassBuilder<TShape>("TShape", TGraphicControl::staticClass())
            .property("Brush", TBrush::staticClass().typeInfo(), &TShape::brush, &TShape::setBrush)
            .property("Pen", TPen::staticClass().typeInfo(), &TShape::pen, &TShape::setPen)
            .property("Shape", shapeType(), &TShape::shape, &TShape::setShape, {.defaultValue = stRectangle})
            .build();
    return *info;
}

const classes::ClassInfo& TBevel::staticClass() {
    static const auto info =
        ClassBuilder<TBevel>("TBevel", TGraphicControl::staticClass())
            .property("Shape", bevelShapeType(), &TBevel::shape, &TBevel::setShape, {.defaultValue = bsBox})
            .property("Style", bevelStyleType(), &TBevel::style, &TBevel::setStyle,
                      {.defaultValue = bsLowered})
            .build();
    return *info;
}

const classes::ClassInfo& TPaintBox::staticClass() {
    static const auto info =
        ClassBuilder<TPaintBox>("TPaintBox", TGraphicControl::staticClass())
            .property(
                "OnPaint", ct::notifyEvent(), [](const TPaintBox& p) { return p.onPaint; },
                [](TPaintBox& p, const classes::TMethod& m) { p.onPaint = m; })
            .build();
    return *info;
}

const classes::ClassInfo& TPanel::staticClass() {
    static const auto info = [] {
        ClassBuilder<TPanel> b("TPanel", TCustomControl::staticClass());
        b.property("Caption", ct::string(), &TControl::caption,
                   [](TPanel& p, const std::string& v) { p.setCaption(v); })
            .property("Alignment", types::alignment(), &TPanel::alignment, &TPanel::setAlignment,
                      {.defaultValue = taCenter})
            .property("BevelInner", types::bevelCut(), &TPanel::bevelInner, &TPanel::setBevelInner,
                      {.defaultValue = bvNone})
            .property("BevelOuter", types::bevelCut(), &TPanel::bevelOuter, &TPanel::setBevelOuter,
                      {.defaultValue = bvRaised})
            .property("BevelWidth", ct::integer(), &TPanel::bevelWidth, &TPanel::setBevelWidth,
                      {.defaultValue = 1})
            .property("BorderWidth", ct::integer(), &TPanel::borderWidth, &TPanel::setBorderWidth,
                      {.defaultValue = 0});
        keptProperty(b, "FullRepaint", ct::boolean(), 1);
        keptProperty(b, "Locked", ct::boolean(), 0);
        keptProperty(b, "AutoSize", ct::boolean(), 0);
        keptProperty(b, "BorderStyle", types::borderStyle(), bsNone);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TTimer::staticClass() {
    static const auto info =
        ClassBuilder<TTimer>("TTimer", TComponent::staticClass())
            .property("Enabled", ct::boolean(), &TTimer::enabled, &TTimer::setEnabled, {.defaultValue = 1})
            .property("Interval", ct::cardinal(), &TTimer::interval, &TTimer::setInterval,
                      {.defaultValue = 1000})
            .property("OnTimer", ct::notifyEvent(), &TTimer::onTimer, &TTimer::setOnTimer)
            .build();
    return *info;
}

// --- TImage ---

TImage::TImage(TComponent* owner) : TGraphicControl(owner), m_picture(std::make_unique<TPicture>()) {
    m_picture->onChange = [this] { pictureChanged(); };
    setBounds(0, 0, 105, 105);
}

TImage::~TImage() { m_picture->onChange = nullptr; }

void TImage::setPicture(TPicture* picture) {
    if (picture) m_picture->assign(*picture);
}

void TImage::setStretch(bool v) {
    m_stretch = v;
    invalidate();
}
void TImage::setCenter(bool v) {
    m_center = v;
    invalidate();
}
void TImage::setProportional(bool v) {
    m_proportional = v;
    invalidate();
}
void TImage::setTransparent(bool v) {
    m_transparent = v;
    pictureChanged();
}
void TImage::setAutoSize(bool v) {
    m_autoSize = v;
    pictureChanged();
}

void TImage::pictureChanged() {
    if (TGraphic* g = m_picture->graphic()) {
        // Icons and metafiles carry their own transparency.
        const bool own = dynamic_cast<TIcon*>(g) || dynamic_cast<TMetafile*>(g);
        if (!own && g->transparent() != m_transparent) g->setTransparent(m_transparent);
        if (m_autoSize && !g->empty()) setBounds(left(), top(), g->width(), g->height());
    }
    invalidate();
}

TCanvas& TImage::imageCanvas() {
    TGraphic* g = m_picture->graphic();
    if (g && !g->empty() && !dynamic_cast<TBitmap*>(g))
        throw base::Error("Can only modify an image if it contains a bitmap");
    TBitmap& b = m_picture->bitmap();
    if (b.empty()) b.setSize(width(), height());
    return b.canvas();
}

TRect TImage::destRect() const {
    int w = m_picture->width(), h = m_picture->height();
    const int cw = width(), ch = height();
    if (m_stretch || (m_proportional && (w > cw || h > ch))) {
        if (m_proportional && w > 0 && h > 0) {
            const double aspect = static_cast<double>(w) / h;
            if (w > h) {
                w = cw;
                h = static_cast<int>(cw / aspect);
                if (h > ch) h = ch, w = static_cast<int>(ch * aspect);
            } else {
                h = ch;
                w = static_cast<int>(ch * aspect);
                if (w > cw) w = cw, h = static_cast<int>(cw / aspect);
            }
        } else {
            w = cw, h = ch;
        }
    }
    TRect r{0, 0, w, h};
    if (m_center) r = r.offset((cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::paint() {
    if (TGraphic* g = m_picture->graphic(); g && !g->empty()) canvas().stretchDraw(destRect(), *g);
}

// --- TShape ---

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), m_brush(std::make_unique<TBrush>()), m_pen(std::make_unique<TPen>()) {
    m_brush->onChange = [this] { invalidate(); };
    m_pen->onChange = [this] { invalidate(); };
    setBounds(0, 0, 65, 65);
}

TShape::~TShape() {
    m_brush->onChange = nullptr;
    m_pen->onChange = nullptr;
}

void TShape::setShape(TShapeType s) {
    m_shape = s;
    invalidate();
}

void TShape::paint() {
    TCanvas& c = canvas();
    c.setPen(*m_pen);
    c.setBrush(*m_brush);
    const int pw = m_pen->width();
    int x = pw / 2, y = x;
    int w = width() - pw + 1, h = height() - pw + 1;
    if (pw == 0) --w, --h;
    const int s = std::min(w, h);
    if (m_shape == stSquare || m_shape == stRoundSquare || m_shape == stCircle) {
        x += (w - s) / 2, y += (h - s) / 2;
        w = h = s;
    }
    switch (m_shape) {
    case stRectangle:
    case stSquare: c.rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c.roundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stEllipse:
    case stCircle: c.ellipse(x, y, x + w, y + h); break;
    }
}

// --- TBevel ---

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { setBounds(0, 0, 50, 50); }

void TBevel::setShape(TBevelShape s) {
    m_shape = s;
    invalidate();
}
void TBevel::setStyle(TBevelStyle s) {
    m_style = s;
    invalidate();
}

namespace {
// One ring of a 3-D frame on the inclusive rectangle (l, t, r, b), as two polylines draw it.
void bevelRing(TCanvas& c, int l, int t, int r, int b, TColor topLeft, TColor bottomRight) {
    c.brush().setStyle(bsSolid);
    c.brush().setColor(topLeft);
    c.fillRect({l, t, l + 1, b});
    c.fillRect({l, t, r, t + 1});
    c.brush().setColor(bottomRight);
    c.fillRect({r, t, r + 1, b + 1});
    c.fillRect({l, b, r + 1, b + 1});
}

void hLine(TCanvas& c, TColor color, int x1, int x2, int y) {
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color);
    c.fillRect({x1, y, x2, y + 1});
}

void vLine(TCanvas& c, TColor color, int x, int y1, int y2) {
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color);
    c.fillRect({x, y1, x + 1, y2});
}
}  // namespace

void TBevel::paint() {
    TCanvas& c = canvas();
    TColor c1 = m_style == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = m_style == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = width(), h = height();
    switch (m_shape) {
    case bsBox: bevelRing(c, 0, 0, w - 1, h - 1, c1, c2); break;
    case bsFrame:
        bevelRing(c, 1, 1, w - 1, h - 1, c2, c2);
        bevelRing(c, 0, 0, w - 2, h - 2, c1, c1);
        break;
    case bsTopLine:
        hLine(c, c1, 0, w, 0);
        hLine(c, c2, 0, w, 1);
        break;
    case bsBottomLine:
        hLine(c, c1, 0, w, h - 2);
        hLine(c, c2, 0, w, h - 1);
        break;
    case bsLeftLine:
        vLine(c, c1, 0, 0, h);
        vLine(c, c2, 1, 0, h);
        break;
    case bsRightLine:
        vLine(c, c1, w - 2, 0, h);
        vLine(c, c2, w - 1, 0, h);
        break;
    case bsSpacer: break;
    }
}

// --- TPaintBox ---

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) { setBounds(0, 0, 105, 105); }

void TPaintBox::paint() { fireEvent(onPaint, {static_cast<classes::TObject*>(this)}); }

// --- TPanel ---

void frame3D(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
    for (; width > 0 && !r.isEmpty(); --width) {
        bevelRing(canvas, r.left, r.top, r.right - 1, r.bottom - 1, topLeft, bottomRight);
        r = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    }
}

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
    m_controlStyle |= csAcceptsControls;
    setBounds(0, 0, 185, 41);
    setColor(clBtnFace);
}

void TPanel::setBevelInner(TBevelCut v) {
    m_bevelInner = v;
    invalidate();
}
void TPanel::setBevelOuter(TBevelCut v) {
    m_bevelOuter = v;
    invalidate();
}
void TPanel::setBevelWidth(int v) {
    m_bevelWidth = std::max(1, v);
    invalidate();
}
void TPanel::setBorderWidth(int v) {
    m_borderWidth = std::max(0, v);
    invalidate();
}
void TPanel::setAlignment(TAlignment v) {
    m_alignment = v;
    invalidate();
}

void TPanel::paint() {
    TCanvas& c = canvas();
    TRect r = clientRect();
    auto bevel = [&](TBevelCut cut) {
        const TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        frame3D(c, r, top, bottom, m_bevelWidth);
    };
    if (keptValue("BorderStyle", bsNone) == bsSingle) frame3D(c, r, clWindowFrame, clWindowFrame, 1);
    if (m_bevelOuter != bvNone) bevel(m_bevelOuter);
    frame3D(c, r, color(), color(), m_borderWidth);
    if (m_bevelInner != bvNone) bevel(m_bevelInner);
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color());
    c.fillRect(r);
    c.brush().setStyle(bsClear);
    c.setFont(*font());
    const int fh = c.textHeight("W");
    r.top = (r.bottom + r.top - fh) / 2;
    r.bottom = r.top + fh;
    static constexpr unsigned kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    c.drawText(caption(), r, DT_EXPANDTABS | DT_VCENTER | kAlign[m_alignment]);
}

// --- TTimer ---

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
    if (m_id && m_service) m_service->stop(m_id);
}

void TTimer::setEnabled(bool v) {
    if (v == m_enabled) return;
    m_enabled = v;
    updateTimer();
}

void TTimer::setInterval(int v) {
    if (v == m_interval) return;
    m_interval = std::max(0, v);
    updateTimer();
}

void TTimer::setOnTimer(const classes::TMethod& m) {
    m_onTimer = m;
    updateTimer();
}

void TTimer::loaded() {
    TComponent::loaded();
    updateTimer();
}

void TTimer::updateTimer() {
    if (m_id && m_service) m_service->stop(m_id);
    m_id = 0;
    m_service = nullptr;
    if (!m_enabled || m_interval <= 0 || !m_onTimer || hasState(classes::ComponentState::Loading)) return;
    m_service = &TimerService::active();
    m_id = m_service->start(m_interval, [this] { timer(); });
}

void TTimer::timer() {
    try {
        fireEvent(m_onTimer, {static_cast<classes::TObject*>(this)});
    } catch (const std::exception& e) {
        application().handleException(e);
    }
}

}  // namespace vcl
