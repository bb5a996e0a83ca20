// TMarquee: a one-line ticker that scrolls its text in from the right and repeats it,
// blinks it in place or bounces it between the edges, one frame per timer tick. Frames are
// drawn into a one-line bitmap and copied onto the control; widths are the sums of the
// characters' own widths, measured once per font.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "vcl/Controls.h"

namespace vcl {

class AnimationTimer;
class TBitmap;

enum TMarqueeStyle { ssScroll, ssBlink, ssBounce };

class TMarquee : public TCustomControl {
public:
    CLASSES_OBJECT(TMarquee)
    explicit TMarquee(classes::TComponent* owner);
    ~TMarquee() override;

    bool active() const { return m_active; }
    void setActive(bool value);
    bool autoCenter() const { return m_autoCenter; }
    void setAutoCenter(bool value);
    bool autoSizeHeight() const { return m_autoSizeHeight; }
    void setAutoSizeHeight(bool value);
    TBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle value);
    char newControlCode() const { return m_newControlCode; }
    // Codes 1..31 are refused with an error box; #0 removes control characters.
    void setNewControlCode(char value);
    int scrollAmount() const { return m_scrollAmount; }
    void setScrollAmount(int value);
    int scrollDelay() const { return m_scrollDelay; }
    void setScrollDelay(int value);
    TMarqueeStyle scrollStyle() const { return m_style; }
    void setScrollStyle(TMarqueeStyle value);
    const std::string& scrollText() const { return m_text; }
    void setScrollText(const std::string& value);
    bool stripControlCodes() const { return m_strip; }
    void setStripControlCodes(bool value);
    // The text on screen while the animation runs; empty while it is stopped.
    std::string currentOutput() const;

    // True while frames come from the timer.
    bool running() const;
    // Where the current style draws its text (client x), for observers of the animation.
    int textX() const;
    // The text's width as the marquee measures it: the sum of its characters' widths.
    int textWidth(const std::string& s);

    void loaded() override;

protected:
    void paint() override;
    void fontChanged() override;
    void colorChanged() override;
    void enabledChanged() override;
    void visibleChanged() override;
    void boundsChanged() override;

private:
    void tick();
    void step(bool prepare, bool reset);
    void stepScroll(bool reset);
    void stepBlink(bool reset);
    void stepBounce(bool reset);
    void bounceLeft(int cw);
    void bounceRight(int cw);
    void dropLeading(std::string& text, int& x);
    void present(const std::string& text, int x);
    void refresh();
    void prepare();
    void fitHeight();
    void filter();
    void updateTimer();
    int charWidth(unsigned char c);
    int lineHeight(const std::string& s);
    int innerWidth() const;
    int innerHeight() const;
    int edge() const;
    void fillInner();
    void drawBorder(TCanvas& c);
    void paintContent(TCanvas& c);

    bool m_active = false, m_autoCenter = true, m_autoSizeHeight = false, m_strip = true;
    TBorderStyle m_borderStyle = bsSingle;
    char m_newControlCode = ' ';
    int m_scrollAmount = 1, m_scrollDelay = 50;
    TMarqueeStyle m_style = ssScroll;
    std::string m_text = "+++ Marquee 2.4 ";
    std::unique_ptr<AnimationTimer> m_timer;
    std::unique_ptr<TBitmap> m_line;
    bool m_started = false, m_inTick = false, m_inResize = false;
    // Per-style state.
    int m_scrollX = 0, m_nextIndex = 1;
    std::string m_visibleText;
    bool m_blinkOn = false;
    std::string m_blinkText;
    int m_bounceX = 0, m_bounceDir = 1, m_bounceIndex = 1;
    std::string m_bounceText;
    // Where the last frame went, so a repaint of the window shows it again.
    int m_frameY = 0;
    bool m_haveFrame = false;
    int m_lastWidth = -1, m_lastHeight = -1;
    std::array<int, 256> m_widths{};
    bool m_widthsValid = false;
};

namespace types {
const classes::TypeInfo& marqueeScrollStyle();  // "TMarqueeScrollStyle": ssScroll, ssBlink, ssBounce
}

}  // namespace vcl
