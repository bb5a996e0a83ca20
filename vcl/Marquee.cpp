// TMarquee: the three animation styles, the control-code filter and the static paint.
#include "vcl/Marquee.h"

#include <algorithm>

#include "classes/ClassBuilder.h"
#include "vcl/AnimationTimer.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& scrollAmountType() {
    static const auto t = classes::TypeInfo::integer("TScrollAmount", nullptr, 1, 20);
    return t;
}

const classes::TypeInfo& scrollDelayType() {
    static const auto t = classes::TypeInfo::integer("TScrollDelay", nullptr, 1, INT32_MAX);
    return t;
}

bool notStored(const classes::TObject&) { return false; }

bool isControlCode(char c) { return static_cast<unsigned char>(c) <= 31; }

}  // namespace

// Named apart from the memo's TScrollStyle (ssNone .. ssBoth): scripts resolve property types
// by name, and one name for both would take the scroll bars' members from memos.
const classes::TypeInfo& types::marqueeScrollStyle() {
    static const auto t =
        classes::TypeInfo::enumeration("TMarqueeScrollStyle", {"ssScroll", "ssBlink", "ssBounce"});
    return t;
}

const classes::ClassInfo& TMarquee::staticClass() {
    static const auto info = [] {
        ClassBuilder<TMarquee> b("TMarquee", TCustomControl::staticClass());
        b.property("Active", ct::boolean(), &TMarquee::active, &TMarquee::setActive)
            .property("AutoCenter", ct::boolean(), &TMarquee::autoCenter, &TMarquee::setAutoCenter)
            .property("AutoSizeHeight", ct::boolean(), &TMarquee::autoSizeHeight,
                      &TMarquee::setAutoSizeHeight)
            .property("BorderStyle", types::borderStyle(), &TMarquee::borderStyle, &TMarquee::setBorderStyle)
            .readOnly("CurrentOutput", ct::string(), &TMarquee::currentOutput,
                      {.defaultValue = {}, .stored = notStored})
            .property("NewControlCode", ct::character(), &TMarquee::newControlCode,
                      &TMarquee::setNewControlCode)
            .property("ScrollAmount", scrollAmountType(), &TMarquee::scrollAmount, &TMarquee::setScrollAmount)
            .property("ScrollDelay", scrollDelayType(), &TMarquee::scrollDelay, &TMarquee::setScrollDelay)
            .property("ScrollStyle", types::marqueeScrollStyle(), &TMarquee::scrollStyle,
                      &TMarquee::setScrollStyle)
            .property("ScrollText", ct::string(), &TMarquee::scrollText,
                      [](TMarquee& m, const std::string& v) { m.setScrollText(v); })
            .property("StripControlCodes", ct::boolean(), &TMarquee::stripControlCodes,
                      &TMarquee::setStripControlCodes);
        return b.build();
    }();
    return *info;
}

TMarquee::TMarquee(classes::TComponent* owner)
    : TCustomControl(owner),
      m_timer(std::make_unique<AnimationTimer>([this] { tick(); }, 50)),
      m_line(std::make_unique<TBitmap>()) {
    m_controlStyle |= csOpaque;
    setColor(clWhite);
    setBounds(0, 0, 217, 21);
}

TMarquee::~TMarquee() {
    setState(classes::ComponentState::Destroying, true);
    m_timer.reset();
}

// --- measuring ---

int TMarquee::charWidth(unsigned char c) {
    if (!m_widthsValid) {
        m_widths.fill(-1);
        m_line->canvas().setFont(*font());
        m_widthsValid = true;
    }
    int& w = m_widths[c];
    if (w < 0) w = m_line->canvas().textWidth(std::string(1, static_cast<char>(c)));
    return w;
}

int TMarquee::textWidth(const std::string& s) {
    int w = 0;
    for (char c : s) w += charWidth(static_cast<unsigned char>(c));
    return w;
}

int TMarquee::lineHeight(const std::string& s) {
    m_line->canvas().setFont(*font());
    return m_line->canvas().textHeight(s.empty() ? "X" : s);
}

int TMarquee::edge() const {
    if (m_borderStyle != bsSingle) return 0;
    return keptValue("Ctl3D", 1) ? 2 : 1;
}

int TMarquee::innerWidth() const { return std::max(0, width() - 2 * edge()); }
int TMarquee::innerHeight() const { return std::max(0, height() - 2 * edge()); }

// --- properties ---

bool TMarquee::running() const { return m_timer && m_timer->enabled(); }

void TMarquee::updateTimer() {
    if (!m_timer) return;
    m_timer->setEnabled(m_active && enabled() && visible() && !m_text.empty());
}

void TMarquee::setActive(bool value) {
    if (value == m_active) return;
    m_active = value;
    if (!value) m_started = false;
    // Hidden marquees wait: the timer runs only while the control can be seen.
    if (m_active && enabled() && visible() && !m_text.empty()) {
        m_timer->setEnabled(true);
        return;
    }
    m_timer->setEnabled(false);
    refresh();
}

void TMarquee::setAutoCenter(bool value) {
    if (value == m_autoCenter) return;
    m_autoCenter = value;
    refresh();
}

void TMarquee::setAutoSizeHeight(bool value) {
    if (value == m_autoSizeHeight) return;
    m_autoSizeHeight = value;
    fitHeight();
}

void TMarquee::setBorderStyle(TBorderStyle value) {
    if (value == m_borderStyle) return;
    m_borderStyle = value;
    refresh();
    invalidate();
}

void TMarquee::setNewControlCode(char value) {
    if (value == m_newControlCode) return;
    if (value != 0 && isControlCode(value)) {
        const std::string text = "You cannot enter characters which are control codes themselves!";
        if (application().showErrorBox) application().showErrorBox("Error", text);
        return;
    }
    m_newControlCode = value;
}

void TMarquee::setScrollAmount(int value) { m_scrollAmount = std::clamp(value, 1, 20); }

void TMarquee::setScrollDelay(int value) {
    value = std::max(1, value);
    if (value == m_scrollDelay) return;
    m_scrollDelay = value;
    m_timer->setInterval(value);
}

void TMarquee::setScrollStyle(TMarqueeStyle value) {
    if (value == m_style) return;
    m_style = value;
    if (running()) {
        m_timer->setEnabled(false);
        step(false, true);
        m_timer->setEnabled(true);
    }
}

void TMarquee::setScrollText(const std::string& value) {
    if (value == m_text) return;
    const bool wasActive = m_active;
    if (wasActive) setActive(false);
    m_text = value;
    if (m_strip) filter();
    if (m_autoSizeHeight) fitHeight();
    if (wasActive) setActive(true);
}

void TMarquee::setStripControlCodes(bool value) {
    if (value == m_strip) return;
    m_strip = value;
    if (value) filter();
    refresh();
}

std::string TMarquee::currentOutput() const {
    if (!running()) return {};
    switch (m_style) {
    case ssScroll: return m_visibleText;
    case ssBlink: return m_blinkText;
    case ssBounce: return m_bounceText;
    }
    return {};
}

int TMarquee::textX() const {
    switch (m_style) {
    case ssScroll: return m_scrollX;
    case ssBlink: return (innerWidth() - const_cast<TMarquee*>(this)->textWidth(m_blinkText)) / 2;
    case ssBounce: return m_bounceX;
    }
    return 0;
}

void TMarquee::filter() {
    std::string out;
    out.reserve(m_text.size());
    for (char c : m_text) {
        if (!isControlCode(c))
            out += c;
        else if (m_newControlCode != 0)
            out += m_newControlCode;
    }
    m_text = std::move(out);
}

void TMarquee::fitHeight() {
    const int h = lineHeight(m_text) + 2 + 2 * edge();
    if (h != height()) setHeight(h);
}

// --- notifications ---

void TMarquee::fontChanged() {
    if (!hasState(classes::ComponentState::Destroying)) {
        m_widthsValid = false;
        m_line->canvas().setFont(*font());
        canvas().setFont(*font());
        if (m_autoSizeHeight) fitHeight();
        refresh();
    }
    TCustomControl::fontChanged();
}

void TMarquee::colorChanged() {
    TCustomControl::colorChanged();
    if (!hasState(classes::ComponentState::Loading) && running()) fillInner();
}

void TMarquee::enabledChanged() {
    if (!hasState(classes::ComponentState::Destroying) && !hasState(classes::ComponentState::Loading))
        updateTimer();
    TCustomControl::enabledChanged();
}

void TMarquee::visibleChanged() {
    TCustomControl::visibleChanged();
    if (!hasState(classes::ComponentState::Destroying)) updateTimer();
}

void TMarquee::boundsChanged() {
    TCustomControl::boundsChanged();
    if (m_inResize || hasState(classes::ComponentState::Destroying) || !m_timer) return;
    m_inResize = true;
    if (m_autoSizeHeight) fitHeight();
    refresh();
    // A change of size raises OnResize through the control itself; a move alone does here.
    const bool moved = width() == m_lastWidth && height() == m_lastHeight;
    m_lastWidth = width(), m_lastHeight = height();
    if (moved && !hasState(classes::ComponentState::Loading)) {
        const auto alive = aliveToken();
        fireEvent(onResize, {static_cast<classes::TObject*>(this)});
        if (alive.expired()) return;
    }
    m_inResize = false;
}

void TMarquee::loaded() {
    TCustomControl::loaded();
    m_widthsValid = false;
    updateTimer();
}

// --- drawing ---

void TMarquee::fillInner() {
    TCanvas& c = canvas();
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color());
    c.fillRect(bounds(edge(), edge(), innerWidth(), innerHeight()));
}

void TMarquee::drawBorder(TCanvas& c) {
    TRect r = clientRect();
    if (m_borderStyle != bsSingle) return;
    if (edge() == 2) {
        frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
        frame3D(c, r, cl3DDkShadow, cl3DLight, 1);
    } else {
        frame3D(c, r, clWindowFrame, clWindowFrame, 1);
    }
}

void TMarquee::refresh() {
    if (running())
        prepare();
    else
        invalidate();
}

void TMarquee::prepare() {
    fillInner();
    m_line->setSize(innerWidth(), lineHeight(m_text));
    TCanvas& lc = m_line->canvas();
    lc.brush().setStyle(bsSolid);
    lc.brush().setColor(color());
    lc.fillRect({0, 0, m_line->width(), m_line->height()});
    m_haveFrame = false;
}

void TMarquee::tick() {
    if (m_inTick) return;
    m_inTick = true;
    try {
        if (!m_started) {
            step(true, true);
            m_started = true;
        } else {
            step(false, false);
        }
    } catch (...) {
        m_inTick = false;
        throw;
    }
    m_inTick = false;
}

void TMarquee::step(bool prep, bool reset) {
    if (prep || m_line->width() != innerWidth()) prepare();
    TCanvas& c = canvas();
    c.brush().setColor(color());
    m_line->canvas().brush().setColor(color());
    if (reset) fillInner();
    if (m_text.empty()) return;
    switch (m_style) {
    case ssScroll: stepScroll(reset); break;
    case ssBlink: stepBlink(reset); break;
    case ssBounce: stepBounce(reset); break;
    }
}

void TMarquee::dropLeading(std::string& text, int& x) {
    while (!text.empty()) {
        const int w = charWidth(static_cast<unsigned char>(text.front()));
        if (w + x >= 0) break;
        x += w;
        text.erase(0, 1);
    }
}

void TMarquee::stepScroll(bool reset) {
    const int cw = innerWidth();
    if (reset) {
        m_scrollX = cw;
        m_nextIndex = 1;
        m_visibleText.clear();
    }
    m_scrollX -= m_scrollAmount;
    if (m_scrollX < 0 && !m_visibleText.empty()) dropLeading(m_visibleText, m_scrollX);
    const int len = static_cast<int>(m_text.size());
    int w = textWidth(m_visibleText);
    // A text whose characters all measure nothing would never fill the line: stop after a
    // whole pass of the text that gained no width.
    int sincePass = 0, widthAtPass = w;
    while (w + m_scrollX < cw) {
        const char ch = m_text[static_cast<size_t>(m_nextIndex - 1)];
        m_visibleText += ch;
        w += charWidth(static_cast<unsigned char>(ch));
        if (++m_nextIndex > len) m_nextIndex = 1;
        if (++sincePass >= len) {
            if (w == widthAtPass) {
                // Nothing to show: drop the pass again and start over at the right edge.
                m_visibleText.resize(m_visibleText.size() - static_cast<size_t>(len));
                if (m_visibleText.empty() && m_scrollX < 0) m_scrollX = cw;
                break;
            }
            sincePass = 0;
            widthAtPass = w;
        }
    }
    present(m_visibleText, m_scrollX);
}

void TMarquee::stepBlink(bool reset) {
    const int cw = innerWidth();
    if (reset) {
        m_blinkOn = false;
        m_blinkText = m_text;
        while (!m_blinkText.empty() && textWidth(m_blinkText) > cw) m_blinkText.pop_back();
    }
    const int x = (cw - textWidth(m_blinkText)) / 2;
    present(m_blinkOn ? std::string() : m_blinkText, x);
    m_blinkOn = !m_blinkOn;
}

void TMarquee::stepBounce(bool reset) {
    const int cw = innerWidth();
    if (reset) {
        m_bounceX = cw;
        m_bounceIndex = 1;
        m_bounceText.clear();
        m_bounceDir = 1;
    }
    if (textWidth(m_text) < cw) {
        m_bounceText = m_text;
        if (m_bounceDir == 1) {
            m_bounceX -= m_scrollAmount;
            if (m_bounceX <= 0) m_bounceDir = -1;
        } else {
            m_bounceX += m_scrollAmount;
            if (textWidth(m_bounceText) + m_bounceX >= cw) m_bounceDir = 1;
        }
    } else if (m_bounceDir == 1) {
        bounceLeft(cw);
    } else {
        bounceRight(cw);
    }
    present(m_bounceText, m_bounceX);
}

// A text wider than the line, moving left: characters enter at the right until the last
// one is inside, then the direction turns.
void TMarquee::bounceLeft(int cw) {
    const int len = static_cast<int>(m_text.size());
    m_bounceX -= m_scrollAmount;
    if (m_bounceX < 0) dropLeading(m_bounceText, m_bounceX);
    while (textWidth(m_bounceText) + m_bounceX < cw) {
        if (m_bounceIndex > len) {
            m_bounceDir = -1;
            m_bounceIndex = len - static_cast<int>(m_bounceText.size());
            break;
        }
        m_bounceText += m_text[static_cast<size_t>(m_bounceIndex - 1)];
        ++m_bounceIndex;
    }
}

// Moving right: characters leave at the right and enter at the left until the first one is
// inside, then the direction turns.
void TMarquee::bounceRight(int cw) {
    m_bounceX += m_scrollAmount;
    while (!m_bounceText.empty() &&
           textWidth(m_bounceText) - charWidth(static_cast<unsigned char>(m_bounceText.back())) + m_bounceX >
               cw)
        m_bounceText.pop_back();
    while (m_bounceX > 0) {
        if (m_bounceIndex < 1) {
            m_bounceDir = 1;
            m_bounceIndex = static_cast<int>(m_bounceText.size()) + 1;
            break;
        }
        const char ch = m_text[static_cast<size_t>(m_bounceIndex - 1)];
        m_bounceText.insert(m_bounceText.begin(), ch);
        m_bounceX -= charWidth(static_cast<unsigned char>(ch));
        --m_bounceIndex;
    }
}

// Draws `text` into the line image at x and copies the image onto the control.
void TMarquee::present(const std::string& text, int x) {
    TCanvas& lc = m_line->canvas();
    lc.brush().setStyle(bsSolid);
    lc.brush().setColor(color());
    lc.fillRect({0, 0, m_line->width(), m_line->height()});
    lc.setFont(*font());
    lc.brush().setStyle(bsClear);
    const int cw = m_line->width();
    for (char ch : text) {
        const int w = charWidth(static_cast<unsigned char>(ch));
        if (x + w > 0 && x < cw) lc.textOut(x, 0, std::string_view(&ch, 1));
        x += w;
        if (x >= cw) break;
    }
    m_frameY = m_autoCenter ? (innerHeight() - m_line->height()) / 2 : 0;
    m_haveFrame = true;
    TCanvas& c = canvas();
    const TRect inner = bounds(edge(), edge(), innerWidth(), innerHeight());
    const TRect dest = bounds(edge(), edge() + m_frameY, m_line->width(), m_line->height()).intersect(inner);
    if (!dest.isEmpty())
        c.drawImage(dest, m_line->pixels(),
                    bounds(0, dest.top - edge() - m_frameY, dest.width(), dest.height()));
}

void TMarquee::paint() {
    TCanvas& c = canvas();
    paintContent(c);
    drawBorder(c);
}

void TMarquee::paintContent(TCanvas& c) {
    if (running()) {
        // Frames come from the timer; a repaint of the window shows the last one again.
        if (m_haveFrame && !m_line->pixels().empty()) {
            const TRect inner = bounds(edge(), edge(), innerWidth(), innerHeight());
            const TRect dest =
                bounds(edge(), edge() + m_frameY, m_line->width(), m_line->height()).intersect(inner);
            if (!dest.isEmpty())
                c.drawImage(dest, m_line->pixels(),
                            bounds(0, dest.top - edge() - m_frameY, dest.width(), dest.height()));
        }
        return;
    }
    const int cw = innerWidth();
    std::string prefix;
    int w = 0;
    for (size_t i = 0; i < m_text.size() && w < cw; ++i) {
        prefix += m_text[i];
        w += charWidth(static_cast<unsigned char>(m_text[i]));
    }
    const int y = m_autoCenter ? (innerHeight() - lineHeight(prefix)) / 2 : 0;
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color());
    c.fillRect(bounds(edge(), edge(), innerWidth(), innerHeight()));
    c.setFont(*font());
    int x = edge();
    for (char ch : prefix) {
        c.textOut(x, edge() + y, std::string_view(&ch, 1));
        x += charWidth(static_cast<unsigned char>(ch));
    }
}

}  // namespace vcl
