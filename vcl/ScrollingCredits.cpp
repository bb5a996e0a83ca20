// TScrollingCredits: the line codes, the scroll and its announcements.
#include "vcl/ScrollingCredits.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "classes/ClassBuilder.h"
#include "classes/TStrings.h"
#include "vcl/AnimationTimer.h"
#include "vcl/Graphic.h"
#include "vcl/KeptProperties.h"
#include "vcl/Picture.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

// A colour code's numbers: exactly three decimal numbers from 0 to 255, else nothing.
std::optional<TColor> parseColor(std::string_view text) {
    int parts[3];
    size_t at = 0;
    for (int k = 0; k < 3; ++k) {
        const size_t comma = k < 2 ? text.find(',', at) : text.size();
        if (comma == std::string_view::npos) return std::nullopt;
        std::string_view part = text.substr(at, comma - at);
        while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ') part.remove_suffix(1);
        if (part.empty() || part.size() > 3) return std::nullopt;
        int v = 0;
        const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        if (ec != std::errc() || end != part.data() + part.size() || v < 0 || v > 255) return std::nullopt;
        parts[k] = v;
        at = comma + 1;
    }
    return rgb(parts[0], parts[1], parts[2]);
}

const char* const kBuiltIn[] = {
    "&b&uTScrollingCredits",
    "",
    "This version includes basic formatting!!",
    "&bMake a line bold with &&b",
    "&uMake a line underlined with &&u",
    "&iMake a line italicized with &&i",
    "&c255,255,0;Make a line a different color",
    "&c0,255,255;with &&c[red],[green],[blue];",
    "",
    "And put that ampersand in with &&&&",
};

}  // namespace

CreditLine parseCreditLine(std::string_view line) {
    CreditLine out;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '&') {
            out.text += line[i];
            continue;
        }
        if (i + 1 >= line.size()) break;  // a lone ampersand at the end goes with nothing
        const char code = line[++i];
        switch (code) {
        case '&': out.text += '&'; break;
        case 'b':
        case 'B': out.bold = true; break;
        case 'i':
        case 'I': out.italic = true; break;
        case 'u':
        case 'U': out.underline = true; break;
        case 'c':
        case 'C': {
            const size_t end = line.find(';', i + 1);
            const std::string_view code =
                line.substr(i + 1, (end == std::string_view::npos ? line.size() : end) - (i + 1));
            // A malformed code is dropped with its numbers and leaves the colour alone.
            if (auto c = parseColor(code)) out.color = c;
            i = end == std::string_view::npos ? line.size() : end;
            break;
        }
        default: break;
        }
    }
    return out;
}

const classes::TypeInfo& types::creditEvent() {
    static const auto t =
        classes::TypeInfo::method("TCreditEvent", "Procedure ( Sender : TObject; CreditText : String)");
    return t;
}

const classes::ClassInfo& TScrollingCredits::staticClass() {
    static const auto info = [] {
        ClassBuilder<TScrollingCredits> b("TScrollingCredits", TGraphicControl::staticClass());
        b.property("Credits", classes::TStringList::staticClass().typeInfo(), &TScrollingCredits::credits,
                   [](TScrollingCredits& s, classes::TStrings* v) { s.setCredits(v); })
            .property("CreditsFont", TFont::staticClass().typeInfo(), &TScrollingCredits::creditsFont,
                      &TScrollingCredits::setCreditsFont)
            .property("BackgroundColor", ct::color(), &TScrollingCredits::backgroundColor,
                      &TScrollingCredits::setBackgroundColor)
            .property("BorderColor", ct::color(), &TScrollingCredits::borderColor,
                      &TScrollingCredits::setBorderColor)
            .property("Animate", ct::boolean(), &TScrollingCredits::animate, &TScrollingCredits::setAnimate)
            .property("Interval", ct::cardinal(), &TScrollingCredits::interval,
                      &TScrollingCredits::setInterval)
            .property("Visible", ct::boolean(), &TScrollingCredits::creditsVisible,
                      &TScrollingCredits::setCreditsVisible, {.defaultValue = 1})
            .property("BackgroundImage", TPicture::staticClass().typeInfo(),
                      &TScrollingCredits::backgroundImage, &TScrollingCredits::setBackgroundImage)
            .property("ShowBorder", ct::boolean(), &TScrollingCredits::showBorder,
                      &TScrollingCredits::setShowBorder)
            .event("AfterLastCredit", ct::notifyEvent(), &TScrollingCredits::afterLastCredit)
            .event("OnShowCredit", types::creditEvent(), &TScrollingCredits::onShowCredit)
            .publicMethod("Procedure TimerFired( Sender : TObject)",
                          [](TScrollingCredits& s, classes::TObject*) { s.timerFired(); })
            .publicMethod("Procedure Reset", &TScrollingCredits::reset);
        return b.build();
    }();
    return *info;
}

TScrollingCredits::TScrollingCredits(classes::TComponent* owner)
    : TGraphicControl(owner),
      m_credits(std::make_unique<classes::TStringList>()),
      m_creditsFont(std::make_unique<TFont>()),
      m_backgroundImage(std::make_unique<TPicture>()),
      m_timer(std::make_unique<AnimationTimer>([this] { timerFired(); }, 50)),
      m_bitmap(std::make_unique<TBitmap>()) {
    for (const char* line : kBuiltIn) m_credits->add(line);
    m_creditsFont->setName("Tahoma");
    m_creditsFont->setColor(clWhite);
    m_creditsFont->setSize(8);
    m_creditsFont->onChange = [this] { invalidate(); };
    m_backgroundImage->onChange = [this] { invalidate(); };
    setBounds(0, 0, 305, 201);
}

TScrollingCredits::~TScrollingCredits() {
    setState(classes::ComponentState::Destroying, true);
    m_timer.reset();
    m_creditsFont->onChange = nullptr;
    m_backgroundImage->onChange = nullptr;
}

bool TScrollingCredits::timerRunning() const { return m_timer && m_timer->enabled(); }

void TScrollingCredits::updateTimer() { m_timer->setEnabled(m_animate && m_visible); }

int TScrollingCredits::heightOfA(const TFont& f) {
    TCanvas& c = m_bitmap->canvas();
    c.setFont(f);
    return c.textHeight("A");
}

int TScrollingCredits::lineHeight() { return heightOfA(*m_creditsFont); }

void TScrollingCredits::setCredits(classes::TStrings* value) {
    if (value && value != m_credits.get()) m_credits->assign(*value);
    paintNow();
}

void TScrollingCredits::setCreditsFont(TFont* value) {
    if (value && value != m_creditsFont.get()) m_creditsFont->assign(*value);
    invalidate();
}

void TScrollingCredits::setBackgroundColor(TColor value) {
    m_backgroundColor = value;
    invalidate();
}

void TScrollingCredits::setBorderColor(TColor value) {
    m_borderColor = value;
    invalidate();
}

void TScrollingCredits::setShowBorder(bool value) {
    m_showBorder = value;
    invalidate();
}

void TScrollingCredits::setBackgroundImage(TPicture* value) {
    if (value && value != m_backgroundImage.get()) m_backgroundImage->assign(*value);
    invalidate();
}

void TScrollingCredits::setAnimate(bool value) {
    m_scrollPos = heightOfA(m_canvasHasCreditsFont ? *m_creditsFont : *font()) + height();
    m_animate = value;
    updateTimer();
    paintNow();
}

void TScrollingCredits::setInterval(int64_t value) {
    m_interval = std::clamp<int64_t>(value, 0, 4294967295LL);
    m_timer->setInterval(static_cast<int>(std::min<int64_t>(m_interval, INT32_MAX)));
}

void TScrollingCredits::setCreditsVisible(bool value) {
    if (value == m_visible) return;
    m_visible = value;
    updateTimer();
    restart();
    if (parent()) parent()->invalidate();
}

void TScrollingCredits::restart() {
    m_scrollPos = height();
    m_lastShown = -1;
}

void TScrollingCredits::timerFired() {
    m_canvasHasCreditsFont = true;
    const int h = lineHeight();
    const int64_t n = m_credits->count();
    if (m_scrollPos < -(n * h)) {
        const auto alive = aliveToken();
        fireEvent(afterLastCredit, {static_cast<classes::TObject*>(this)});
        if (alive.expired()) return;
        restart();
    } else {
        --m_scrollPos;
    }
    paintNow();
}

void TScrollingCredits::reset() {
    m_canvasHasCreditsFont = true;
    m_scrollPos = lineHeight() + height();
}

void TScrollingCredits::paintNow() {
    if (!parent() || !visible() || !parent()->handleAllocated()) {
        invalidate();
        return;
    }
    paint();
}

void TScrollingCredits::drawBackground(TCanvas& c) {
    if (m_backgroundImage->empty()) {
        c.brush().setStyle(bsSolid);
        c.brush().setColor(m_backgroundColor);
        c.fillRect({0, 0, width(), height()});
    } else {
        c.stretchDraw(c.clipRect(), *m_backgroundImage->graphic());
    }
    c.brush().setStyle(bsClear);
}

// Draws one line centred at y in its own font and returns its plain text.
std::string TScrollingCredits::drawCredit(TCanvas& c, const std::string& raw, int y) {
    CreditLine line = parseCreditLine(raw);
    TFont f;
    f.assign(*m_creditsFont);
    if (line.color) f.setColor(*line.color);
    TFontStyles style = f.style();
    if (line.bold) style = fontStyle(fsBold);
    if (line.italic) style |= fontStyle(fsItalic);
    if (line.underline) style |= fontStyle(fsUnderline);
    f.setStyle(style);
    c.setFont(f);
    c.textOut(width() / 2 - c.textWidth(line.text) / 2, y, line.text);
    return std::move(line.text);
}

// The lines in view, from the first one; those coming into view for the first time in this
// pass are added to `announce`.
void TScrollingCredits::drawScrolled(TCanvas& c, const std::vector<std::string>& lines, int h,
                                     std::vector<std::string>& announce) {
    int y = m_scrollPos;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (y + h > 0) {
            std::string plain = drawCredit(c, lines[i], y);
            if (m_lastShown < static_cast<int>(i)) {
                announce.push_back(std::move(plain));
                m_lastShown = static_cast<int>(i);
            }
        }
        y += h;
        if (y > height()) break;
    }
}

void TScrollingCredits::paint() {
    // Handlers run after the drawing; one that changes the credits repaints then, not inside.
    if (m_painting || !m_visible || width() <= 0 || height() <= 0) return;
    m_painting = true;
    std::vector<std::string> announce;
    try {
        m_bitmap->setSize(width(), height());
        TCanvas& c = m_bitmap->canvas();
        c.setFont(*m_creditsFont);
        drawBackground(c);
        const int h = c.textHeight("A");
        // A snapshot: handlers may change the list once the painting is done.
        std::vector<std::string> lines;
        for (int i = 0; i < m_credits->count(); ++i) lines.push_back(m_credits->get(i));
        if (m_animate) {
            drawScrolled(c, lines, h, announce);
        } else {
            for (size_t i = 0; i < lines.size(); ++i)
                drawCredit(c, lines[i], m_topMargin + static_cast<int>(i) * h);
        }
        if (m_showBorder) {
            c.pen().setColor(m_borderColor);
            c.brush().setStyle(bsClear);
            c.rectangle(0, 0, width(), height());
        }
        canvas().drawImage({0, 0, width(), height()}, m_bitmap->pixels());
    } catch (...) {
        m_painting = false;
        throw;
    }
    m_painting = false;
    const auto alive = aliveToken();
    for (const std::string& text : announce) {
        fireEvent(onShowCredit, {static_cast<classes::TObject*>(this), text});
        if (alive.expired()) return;
    }
}

}  // namespace vcl
