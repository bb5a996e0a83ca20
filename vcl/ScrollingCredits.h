// TScrollingCredits: rolls a list of lines upward through its rectangle one pixel per tick,
// film-credits style, over a colour or a stretched picture. Lines carry formatting codes
// (&b, &i, &u, &c r,g,b; and && for an ampersand); each line is announced as it comes into
// view and the end of every pass is announced too.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vcl/Controls.h"

namespace classes {
class TStringList;
}

namespace vcl {

class AnimationTimer;
class TBitmap;
class TPicture;

// One line with its codes resolved.
struct CreditLine {
    std::string text;
    bool bold = false, italic = false, underline = false;
    std::optional<TColor> color;  // a well-formed colour code
};
CreditLine parseCreditLine(std::string_view line);

class TScrollingCredits : public TGraphicControl {
public:
    CLASSES_OBJECT(TScrollingCredits)
    explicit TScrollingCredits(classes::TComponent* owner);
    ~TScrollingCredits() override;

    classes::TStringList* credits() const { return m_credits.get(); }
    void setCredits(classes::TStrings* value);
    TFont* creditsFont() const { return m_creditsFont.get(); }
    void setCreditsFont(TFont* value);
    TColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(TColor value);
    TColor borderColor() const { return m_borderColor; }
    void setBorderColor(TColor value);
    bool animate() const { return m_animate; }
    void setAnimate(bool value);
    int64_t interval() const { return m_interval; }
    void setInterval(int64_t value);
    // The component's own visibility: the control stays where it is and only stops drawing.
    bool creditsVisible() const { return m_visible; }
    void setCreditsVisible(bool value);
    TPicture* backgroundImage() const { return m_backgroundImage.get(); }
    void setBackgroundImage(TPicture* value);
    bool showBorder() const { return m_showBorder; }
    void setShowBorder(bool value);

    // One step of the scroll (the timer's handler).
    void timerFired();
    // Starts the text again one line below the bottom edge; lines already announced stay so.
    void reset();

    int scrollPos() const { return m_scrollPos; }
    int lastShown() const { return m_lastShown; }
    bool timerRunning() const;
    // The height of one line in the credits font.
    int lineHeight();

    classes::TMethod onShowCredit, afterLastCredit;

protected:
    void paint() override;

private:
    void restart();
    void paintNow();
    void updateTimer();
    int heightOfA(const TFont& f);
    void drawBackground(TCanvas& c);
    std::string drawCredit(TCanvas& c, const std::string& raw, int y);
    void drawScrolled(TCanvas& c, const std::vector<std::string>& lines, int h,
                      std::vector<std::string>& announce);

    std::unique_ptr<classes::TStringList> m_credits;
    std::unique_ptr<TFont> m_creditsFont;
    TColor m_backgroundColor = 0, m_borderColor = clWhite;
    bool m_animate = false, m_visible = true, m_showBorder = true;
    int64_t m_interval = 50;
    std::unique_ptr<TPicture> m_backgroundImage;
    int32_t m_scrollPos = 0;
    int m_lastShown = -1;
    int m_topMargin = 4;
    // Heights are measured with the canvas's font: the control's own until the first step
    // or reset selects the credits font.
    bool m_canvasHasCreditsFont = false;
    std::unique_ptr<AnimationTimer> m_timer;
    std::unique_ptr<TBitmap> m_bitmap;
    bool m_painting = false;
};

namespace types {
const classes::TypeInfo& creditEvent();  // "TCreditEvent"
}

}  // namespace vcl
