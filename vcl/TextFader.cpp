// TTextFader: the show's timer states, the cross-fade and the background modes; the tiling
// and blending routines.
#include "vcl/TextFader.h"

#include <algorithm>
#include <array>

#include "classes/ClassBuilder.h"
#include "vcl/AnimationTimer.h"
#include "vcl/Graphic.h"
#include "vcl/KeptProperties.h"
#include "vcl/Picture.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

// The interval that starts a show almost at once.
constexpr int kStartDelay = 5;

const classes::TypeInfo& progressStepType() {
    static const auto t = classes::TypeInfo::integer("TProgressStep", nullptr, 1, 100);
    return t;
}

const classes::TypeInfo& borderWidthType() {
    static const auto t = classes::TypeInfo::integer("TBorderWidth", nullptr, 0, INT32_MAX);
    return t;
}

}  // namespace

const classes::TypeInfo& types::backgroundMode() {
    static const auto t =
        classes::TypeInfo::enumeration("TBackgroundMode", {"bmNone", "bmTiled", "bmStretched", "bmCentered"});
    return t;
}

const std::string& TTextFader::builtInText() {
    static const std::string text =
        "TTextFader v1.22\r\n"
        "Each line fades out of the one before it\r\n"
        "Write your own lines into Lines\r\n"
        "\\n breaks a line, \\t moves to the next tab\r\n"
        "Over a colour, a picture or the form itself\r\n"
        "Thanks for watching\r\n";
    return text;
}

const classes::ClassInfo& TTextFader::staticClass() {
    static const auto info = [] {
        ClassBuilder<TTextFader> b("TTextFader", TGraphicControl::staticClass());
        b.publicMethod("Procedure Reset", &TTextFader::reset)
            .publicProperty("property ReapeatedCount: Integer;", &TTextFader::repeatedCount)
            .publicProperty("property LineIndex: Integer;", &TTextFader::lineIndex, &TTextFader::setLineIndex)
            .property("Active", ct::boolean(), &TTextFader::active, &TTextFader::setActive,
                      {.defaultValue = 0})
            .property("Alignment", types::alignment(), &TTextFader::alignment, &TTextFader::setAlignment,
                      {.defaultValue = taCenter})
            .property("Background", TPicture::staticClass().typeInfo(), &TTextFader::background,
                      &TTextFader::setBackground)
            .property("BackgroundMode", types::backgroundMode(), &TTextFader::backgroundMode,
                      &TTextFader::setBackgroundMode, {.defaultValue = bmTiled})
            .property("FadeDelay", ct::word(), &TTextFader::fadeDelay, &TTextFader::setFadeDelay,
                      {.defaultValue = 30})
            .property("FadeStep", progressStepType(), &TTextFader::fadeStep, &TTextFader::setFadeStep,
                      {.defaultValue = 4})
            .property("LineDelay", ct::word(), &TTextFader::lineDelay, &TTextFader::setLineDelay,
                      {.defaultValue = 2000})
            .property("Lines", classes::TStrings::staticClass().typeInfo(), &TTextFader::lines,
                      &TTextFader::setLines,
                      {.defaultValue = {},
                       .stored =
                           [](const classes::TObject& o) {
                               return static_cast<const TTextFader&>(o).lines()->text() != builtInText();
                           }})
            .property("RepeatCount", borderWidthType(), &TTextFader::repeatCount, &TTextFader::setRepeatCount,
                      {.defaultValue = 0})
            .property("Transparent", ct::boolean(), &TTextFader::transparent, &TTextFader::setTransparent,
                      {.defaultValue = 0})
            .property("WordWrap", ct::boolean(), &TTextFader::wordWrap, &TTextFader::setWordWrap,
                      {.defaultValue = 1})
            .event("OnComplete", ct::notifyEvent(), &TTextFader::onComplete);
        return b.build();
    }();
    return *info;
}

TTextFader::TTextFader(classes::TComponent* owner)
    : TGraphicControl(owner),
      m_background(std::make_unique<TPicture>()),
      m_lines(std::make_unique<TControlStrings>(static_cast<TControlStrings::Listener&>(*this))),
      m_timer(std::make_unique<AnimationTimer>([this] { tick(); })) {
    m_controlStyle |= csOpaque;
    m_lines->setText(builtInText());
    m_background->onChange = [this] { invalidate(); };
    setBounds(0, 0, 200, 16);
}

TTextFader::~TTextFader() {
    setState(classes::ComponentState::Destroying, true);
    m_timer.reset();
    m_background->onChange = nullptr;
}

classes::TStrings* TTextFader::lines() const { return m_lines.get(); }

void TTextFader::setLines(classes::TStrings* value) {
    if (value && value != m_lines.get()) m_lines->assign(*value);
}

void TTextFader::setBackground(TPicture* value) {
    if (value && value != m_background.get()) m_background->assign(*value);
}

bool TTextFader::timerRunning() const { return m_timer && m_timer->enabled(); }
int TTextFader::timerInterval() const { return m_timer->interval(); }

void TTextFader::setActive(bool value) {
    if (value == m_active) return;
    m_active = value;
    m_progress = 100;
    if (hasState(classes::ComponentState::Loading)) return;
    if (value) {
        m_repeatedCount = 0;
        m_timer->setInterval(kStartDelay);
    }
    m_timer->setEnabled(value);
    if (!value) paintNow();
}

void TTextFader::loaded() {
    TGraphicControl::loaded();
    if (m_active) {
        m_timer->setInterval(kStartDelay);
        m_timer->setEnabled(true);
    }
}

void TTextFader::setLineIndex(int value) {
    const int count = m_lines->count();
    value = count == 0 ? -1 : std::clamp(value, 0, count - 1);
    if (value == m_lineIndex) return;
    m_lineIndex = value;
    if (m_progress == 100) m_timer->setInterval(m_lineDelay);
}

void TTextFader::setLineDelay(int value) {
    m_lineDelay = std::clamp(value, 0, 65535);
    if (m_progress == 100) m_timer->setInterval(m_lineDelay);
}

void TTextFader::setFadeDelay(int value) {
    m_fadeDelay = std::clamp(value, 0, 65535);
    if (m_progress < 100) m_timer->setInterval(m_fadeDelay);
}

// 0 would never finish a fade, and larger steps would wrap the byte the progress lives in.
void TTextFader::setFadeStep(int value) { m_fadeStep = std::clamp(value, 1, 100); }

void TTextFader::setRepeatCount(int value) { m_repeatCount = std::max(0, value); }

void TTextFader::setAlignment(TAlignment value) {
    if (value == m_alignment) return;
    m_alignment = value;
    invalidate();
}

void TTextFader::setWordWrap(bool value) {
    if (value == m_wordWrap) return;
    m_wordWrap = value;
    invalidate();
}

void TTextFader::setTransparent(bool value) {
    if (value == m_transparent) return;
    m_transparent = value;
    invalidate();
}

void TTextFader::setBackgroundMode(TBackgroundMode value) {
    if (value == m_backgroundMode) return;
    m_backgroundMode = value;
    invalidate();
}

void TTextFader::linesChanged() {
    if (m_lineIndex >= m_lines->count()) setLineIndex(m_lines->count() - 1);
}

void TTextFader::reset() {
    m_progress = 100;
    m_previousText.clear();
    m_currentText.clear();
    // Straight to "no line", so the next step shows the first line (the clamping write
    // would land on it and the show would start at the second).
    m_lineIndex = -1;
    if (m_active)
        m_timer->setInterval(kStartDelay);
    else
        paintNow();
}

std::string TTextFader::nextLine() {
    if (m_lines->count() == m_lineIndex + 1) {
        ++m_repeatedCount;
        if (m_repeatCount != 0 && m_repeatedCount >= m_repeatCount)
            setActive(false);
        else
            setLineIndex(0);
    } else {
        setLineIndex(m_lineIndex + 1);
    }
    return m_lineIndex == -1 ? std::string() : decodeFaderEscapes(m_lines->get(m_lineIndex));
}

void TTextFader::tick() {
    if (m_progress == 100) {
        m_previousText = m_currentText;
        m_currentText = nextLine();
        if (m_active) {
            m_progress = 0;
            m_timer->setInterval(m_fadeDelay);
        }
    }
    m_progress = std::min(m_progress + m_fadeStep, 100);
    paintNow();
    if (m_progress == 100) {
        m_timer->setInterval(m_lineDelay);
        fireEvent(onComplete, {static_cast<classes::TObject*>(this)});
    }
}

// A repaint at once: straight onto the parent's surface, without repainting the parent.
void TTextFader::paintNow() {
    if (!parent() || !visible() || !parent()->handleAllocated()) {
        invalidate();
        return;
    }
    paint();
}

void TTextFader::drawLine(TBitmap& bmp, const std::string& text) {
    if (text.empty()) return;
    TCanvas& c = bmp.canvas();
    c.setFont(*font());
    c.brush().setStyle(bsClear);
    unsigned format = DT_EXPANDTABS | DT_NOPREFIX;
    format |= m_alignment == taRightJustify ? DT_RIGHT : m_alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (m_wordWrap) format |= DT_WORDBREAK;
    TRect measure{0, 0, width(), 0};
    c.drawText(text, measure, format | DT_CALCRECT);
    const int h = measure.height();
    TRect r{0, 0, width(), height()};
    r = r.offset(0, (height() - h) / 2);
    c.drawText(text, r, format);
}

void TTextFader::renderTo(TBitmap& bmp) {
    bmp.setSize(width(), height());
    TCanvas& c = bmp.canvas();
    if (m_transparent && parent()) {
        parent()->paintBelow(*this, bmp.pixels());
    } else {
        c.brush().setStyle(bsSolid);
        c.brush().setColor(color());
        c.fillRect({0, 0, width(), height()});
        const TGraphic* g = m_background->graphic();
        if (g && !g->empty()) {
            switch (m_backgroundMode) {
            case bmNone: break;
            case bmTiled: drawTiled(c, {0, 0, width(), height()}, g); break;
            case bmStretched: c.stretchDraw({0, 0, width(), height()}, *g); break;
            case bmCentered: c.draw((width() - g->width()) / 2, (height() - g->height()) / 2, *g); break;
            }
        }
    }
    if (m_progress >= 100) {
        drawLine(bmp, m_currentText);
        return;
    }
    TBitmap old(bmp);
    drawLine(old, m_previousText);
    drawLine(bmp, m_currentText);
    drawTransparent(&bmp, &old, 100 - m_progress);
}

void TTextFader::paint() {
    if (m_painting || width() <= 0 || height() <= 0) return;
    m_painting = true;
    try {
        TBitmap bmp;
        renderTo(bmp);
        canvas().drawImage({0, 0, width(), height()}, bmp.pixels());
    } catch (...) {
        m_painting = false;
        throw;
    }
    m_painting = false;
}

std::string decodeFaderEscapes(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '\\') {
            out += line[i];
            continue;
        }
        if (++i >= line.size()) break;
        switch (line[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += "\r\n"; break;
        case 't': out += '\t'; break;
        default: break;
        }
    }
    return out;
}

void drawTiled(TCanvas& canvas, const TRect& rect, const TGraphic* graphic) {
    if (!graphic || graphic->empty()) return;
    const int gw = graphic->width(), gh = graphic->height();
    const std::optional<TRect> savedClip = canvas.surfaceClip();
    // Clip to the rectangle (surface coordinates), within any clip already in force.
    TRect clip = rect.offset(canvas.origin().x, canvas.origin().y);
    if (savedClip) clip = clip.intersect(*savedClip);
    pictures::Image* surface = canvas.target();
    const TPoint origin = canvas.origin();
    canvas.setTarget(surface, origin, clip);
    for (int i = 0; i <= rect.height() / gh; ++i)
        for (int j = 0; j <= rect.width() / gw; ++j)
            canvas.draw(rect.left + j * gw, rect.top + i * gh, *graphic);
    canvas.setTarget(surface, origin, savedClip);
}

void drawTransparent(TBitmap* dst, const TBitmap* src, int transparency) {
    if (!dst || !src) return;
    transparency = std::clamp(transparency, 0, 100);
    pictures::Image& d = dst->pixels();
    const pictures::Image& s = const_cast<TBitmap*>(src)->pixels();
    const int w = std::min(d.width, s.width), h = std::min(d.height, s.height);
    // v * (100 - T) and v * T for every byte value, so a pixel costs two look-ups per channel.
    std::array<int, 256> keep{}, take{};
    for (int v = 0; v < 256; ++v) keep[v] = v * (100 - transparency), take[v] = v * transparency;
    for (int y = 0; y < h; ++y) {
        uint32_t* dr = d.row(y);
        const uint32_t* sr = s.row(y);
        for (int x = 0; x < w; ++x) {
            const uint32_t a = dr[x], b = sr[x];
            uint32_t out = 0xFF000000u;
            for (int shift = 0; shift <= 16; shift += 8) {
                const int v = (keep[(a >> shift) & 0xFF] + take[(b >> shift) & 0xFF]) / 100;
                out |= static_cast<uint32_t>(v) << shift;
            }
            dr[x] = out;
        }
    }
    // Both end up as 24-bit pictures: no alpha left anywhere.
    for (uint32_t& p : d.pixels) p |= 0xFF000000u;
}

}  // namespace vcl
