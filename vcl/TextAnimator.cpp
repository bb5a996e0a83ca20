// TTextAnimator: the size patterns, the colour cycle and the per-character paint.
#include "vcl/TextAnimator.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <random>

#include "classes/ClassBuilder.h"
#include "vcl/AnimationTimer.h"
#include "vcl/Graphic.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

std::mt19937& generator() {
    static std::mt19937 g;
    return g;
}

std::function<int(int)>& randomSource() {
    static std::function<int(int)> source;
    return source;
}

int randomUpTo(int max) {
    if (randomSource()) return randomSource()(max);
    return std::uniform_int_distribution<int>(0, std::max(0, max))(generator());
}

}  // namespace

const classes::TypeInfo& types::textAnimStyle() {
    static const auto t =
        classes::TypeInfo::enumeration("TTextAnimStyle", {"taAll", "taRandom", "taWave", "taWind"});
    return t;
}

void TTextAnimator::setRandomSource(std::function<int(int)> source) { randomSource() = std::move(source); }

const classes::ClassInfo& TTextAnimator::staticClass() {
    static const auto info = [] {
        ClassBuilder<TTextAnimator> b("TTextAnimator", TGraphicControl::staticClass());
        const auto sizeStored = [](const classes::TObject& o) {
            return !static_cast<const TTextAnimator&>(o).autoSize();
        };
        b.property("Width", ct::integer(), &TControl::width, [](TTextAnimator& a, int v) { a.setWidth(v); },
                   {.defaultValue = {}, .stored = sizeStored})
            .property("Height", ct::integer(), &TControl::height,
                      [](TTextAnimator& a, int v) { a.setHeight(v); },
                      {.defaultValue = {}, .stored = sizeStored})
            .property("Font", TFont::staticClass().typeInfo(), &TControl::font,
                      [](TTextAnimator& a, TFont* f) { a.setFont(f); },
                      {.defaultValue = {},
                       .stored =
                           [](const classes::TObject& o) {
                               return static_cast<const TTextAnimator&>(o).fontModified();
                           }})
            .property("Caption", ct::string(), &TControl::caption,
                      [](TTextAnimator& a, const std::string& v) { a.setCaption(v); })
            .property("Active", ct::boolean(), &TTextAnimator::active, &TTextAnimator::setActive,
                      {.defaultValue = 1})
            .property("Alignment", types::alignment(), &TTextAnimator::alignment,
                      &TTextAnimator::setAlignment, {.defaultValue = taCenter})
            .property("AutoSize", ct::boolean(), &TTextAnimator::autoSize, &TTextAnimator::setAutoSize,
                      {.defaultValue = 1})
            .property("ColorAnimation", ct::boolean(), &TTextAnimator::colorAnimation,
                      &TTextAnimator::setColorAnimation, {.defaultValue = 1})
            .property("ColorStart", ct::color(), &TTextAnimator::colorStart, &TTextAnimator::setColorStart,
                      {.defaultValue = 65535})
            .property("ColorStop", ct::color(), &TTextAnimator::colorStop, &TTextAnimator::setColorStop,
                      {.defaultValue = 255})
            .property("Delay", ct::word(), &TTextAnimator::delay, &TTextAnimator::setDelay,
                      {.defaultValue = 70})
            .property("MaxStep", ct::word(), &TTextAnimator::maxStep, &TTextAnimator::setMaxStep,
                      {.defaultValue = 20})
            .property("Step", ct::word(), &TTextAnimator::step, &TTextAnimator::setStep, {.defaultValue = 2})
            .property("Style", types::textAnimStyle(), &TTextAnimator::style, &TTextAnimator::setStyle,
                      {.defaultValue = taWind})
            .property("Transparent", ct::boolean(), &TTextAnimator::transparent,
                      &TTextAnimator::setTransparent, {.defaultValue = 1})
            .publicMethod("Procedure AdjustClientSize", &TTextAnimator::adjustClientSize)
            .publicMethod("Procedure NextFrame", &TTextAnimator::nextFrame);
        return b.build();
    }();
    return *info;
}

TTextAnimator::TTextAnimator(classes::TComponent* owner)
    : TGraphicControl(owner), m_bitmap(std::make_unique<TBitmap>()) {
    m_controlStyle |= csOpaque;
    generator().seed(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()));
    setParentFont(false);
    font()->setName("Times New Roman");
    font()->setSize(10);
    font()->setStyle(fontStyle(fsBold));
    recompute(true);
    setupColors();
    setActive(true);
    m_fontModified = false;
    m_constructed = true;
}

TTextAnimator::~TTextAnimator() {
    setState(classes::ComponentState::Destroying, true);
    setActive(false);
}

void TTextAnimator::setActive(bool value) {
    if (value == active()) return;
    if (value) {
        m_timer = std::make_unique<AnimationTimer>([this] { nextFrame(); }, m_delay);
        m_timer->setEnabled(true);
    } else {
        m_timer.reset();
    }
}

void TTextAnimator::setDelay(int value) {
    value = std::clamp(value, 0, 65535);
    if (value == m_delay) return;
    m_delay = value;
    if (m_timer) m_timer->setInterval(value);
}

void TTextAnimator::setMaxStep(int value) {
    value = std::clamp(value, 0, 65535);
    if (value == m_maxStep) return;
    m_maxStep = value;
    recompute(false);
    if (m_autoSize) applySize();
    if (m_step > m_maxStep) m_step = m_maxStep;
}

void TTextAnimator::setStep(int value) { m_step = std::min(std::clamp(value, 0, 65535), m_maxStep); }

void TTextAnimator::setStyle(TTextAnimStyle value) {
    if (value == m_style) return;
    m_style = value;
    recompute(false);
}

void TTextAnimator::setAutoSize(bool value) {
    if (value == m_autoSize) return;
    m_autoSize = value;
    if (value) applySize();
}

void TTextAnimator::setAlignment(TAlignment value) {
    if (value == m_alignment) return;
    m_alignment = value;
    invalidate();
}

void TTextAnimator::setTransparent(bool value) {
    if (value == m_transparent) return;
    m_transparent = value;
    invalidate();
}

void TTextAnimator::setColorAnimation(bool value) {
    if (value == m_colorAnimation) return;
    m_colorAnimation = value;
    invalidate();
}

void TTextAnimator::setColorStart(TColor value) {
    if (value == m_colorStart) return;
    m_colorStart = value;
    setupColors();
}

void TTextAnimator::setColorStop(TColor value) {
    if (value == m_colorStop) return;
    m_colorStop = value;
    setupColors();
}

void TTextAnimator::textChanged() {
    recompute(true);
    if (m_autoSize) applySize();
    TGraphicControl::textChanged();
}

void TTextAnimator::fontChanged() {
    TGraphicControl::fontChanged();
    if (!m_bitmap || hasState(classes::ComponentState::Destroying)) return;
    recompute(false);
    m_fontModified = true;
    if (m_autoSize) applySize();
}

void TTextAnimator::loaded() {
    TGraphicControl::loaded();
    if (m_autoSize) applySize();
}

void TTextAnimator::recompute(bool reallocate) {
    const std::string& text = caption();
    const size_t n = text.size();
    if (reallocate || m_offset.size() != n) {
        m_offset.assign(n, 0);
        m_direction.assign(n, 1);
        m_advance.assign(n, 0);
    }
    for (size_t i = 0; i < n; ++i) {
        m_direction[i] = 1;
        switch (m_style) {
        case taAll: m_offset[i] = 0; break;
        case taRandom: m_offset[i] = randomUpTo(m_maxStep); break;
        case taWave: {
            // In extended precision, as the pattern was first computed: double precision
            // truncates a few of these products to the integer below.
            const long double x = static_cast<long double>(i) / static_cast<long double>(n);
            m_offset[i] =
                static_cast<int32_t>(std::trunc(sinl(x * std::numbers::pi_v<long double>) * m_maxStep));
            break;
        }
        case taWind: m_offset[i] = static_cast<int32_t>(static_cast<int64_t>(i) * m_maxStep / n); break;
        }
    }
    TCanvas& c = m_bitmap->canvas();
    TFont big;
    big.assign(*font());
    big.setSize(font()->size() + m_maxStep - 1);
    c.setFont(big);
    m_lineWidth = 0;
    for (size_t i = 0; i < n; ++i) {
        m_advance[i] = c.textWidth(std::string_view(&text[i], 1));
        m_lineWidth += m_advance[i];
    }
    m_lineHeight = c.textHeight("X");
}

void TTextAnimator::setupColors() {
    const TColor a = colorToRGB(m_colorStart), b = colorToRGB(m_colorStop);
    const int start[3] = {getRValue(a), getGValue(a), getBValue(a)};
    const int stop[3] = {getRValue(b), getGValue(b), getBValue(b)};
    m_colorRange = 0;
    for (int k = 0; k < 3; ++k) {
        m_startRGB[k] = static_cast<uint8_t>(start[k]);
        m_diff[k] = stop[k] - start[k];
        m_colorRange = std::max(m_colorRange, std::abs(m_diff[k]));
    }
    m_colorPos = 0;
    m_colorDir = 1;
}

TColor TTextAnimator::nextColor() {
    int v[3];
    for (int k = 0; k < 3; ++k) {
        const int s = m_startRGB[k], d = m_diff[k];
        if (std::abs(d) < m_colorPos)
            v[k] = s + d;
        else if (d > 0)
            v[k] = s + m_colorPos % (d + 1);
        else if (d < 0)
            v[k] = s - m_colorPos % (-d + 1);
        else
            v[k] = s;
    }
    m_colorPos = static_cast<uint8_t>(m_colorPos + m_colorDir);
    if (m_colorPos == m_colorRange || m_colorPos == 0) m_colorDir = -m_colorDir;
    return rgb(v[0], v[1], v[2]);
}

void TTextAnimator::applySize() {
    if (hasState(classes::ComponentState::Loading)) return;
    setBounds(left(), top(), m_lineWidth, m_lineHeight);
}

void TTextAnimator::adjustClientSize() { setBounds(left(), top(), m_lineWidth, m_lineHeight); }

void TTextAnimator::nextFrame() {
    const int32_t maxStep = m_maxStep;
    for (size_t i = 0; i < m_offset.size(); ++i) {
        m_offset[i] += m_step * m_direction[i];
        if (m_offset[i] > maxStep) {
            m_offset[i] = 2 * maxStep - m_offset[i];
            m_direction[i] = -1;
        }
        if (m_offset[i] <= 0) {
            m_offset[i] = -m_offset[i];
            m_direction[i] = 1;
        }
    }
    paintNow();
}

void TTextAnimator::paintNow() {
    if (!parent() || !visible() || !parent()->handleAllocated()) {
        invalidate();
        return;
    }
    paint();
}

void TTextAnimator::paint() {
    if (m_painting || width() <= 0 || height() <= 0) return;
    m_painting = true;
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{m_painting};
    m_bitmap->setSize(width(), height());
    TCanvas& c = m_bitmap->canvas();
    int x = 0;
    if (m_alignment == taRightJustify)
        x = width() - m_lineWidth;
    else if (m_alignment == taCenter)
        x = (width() - m_lineWidth) / 2;
    const int y = (height() - m_lineHeight) / 2;
    c.setFont(*font());
    c.brush().setColor(color());
    if (m_transparent && parent()) {
        parent()->paintBelow(*this, m_bitmap->pixels());
        c.brush().setStyle(bsClear);
    } else {
        c.brush().setStyle(bsSolid);
        c.fillRect({0, 0, width(), height()});
    }
    const std::string& text = caption();
    const int baseSize = font()->size();
    TFont f;
    f.assign(*font());
    for (size_t i = 0; i < text.size() && i < m_offset.size(); ++i) {
        if (m_colorAnimation) f.setColor(nextColor());
        f.setSize(baseSize + m_offset[i]);
        c.setFont(f);
        c.textOut(x, y, std::string_view(&text[i], 1));
        x += m_advance[i];
    }
    canvas().drawImage({0, 0, width(), height()}, m_bitmap->pixels());
}

}  // namespace vcl
