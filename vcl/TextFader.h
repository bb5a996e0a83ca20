// TTextFader: shows the lines of a list one after another, each cross-fading out of the
// previous one over a colour, a background picture or whatever lies beneath the control.
// Also the two picture routines scripts call: tiling a graphic and blending two bitmaps.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "vcl/ControlStrings.h"
#include "vcl/Controls.h"

namespace vcl {

class AnimationTimer;
class TBitmap;
class TGraphic;
class TPicture;

enum TBackgroundMode { bmNone, bmTiled, bmStretched, bmCentered };

class TTextFader : public TGraphicControl, private TControlStrings::Listener {
public:
    CLASSES_OBJECT(TTextFader)
    explicit TTextFader(classes::TComponent* owner);
    ~TTextFader() override;

    bool active() const { return m_active; }
    void setActive(bool value);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    TPicture* background() const { return m_background.get(); }
    void setBackground(TPicture* value);
    TBackgroundMode backgroundMode() const { return m_backgroundMode; }
    void setBackgroundMode(TBackgroundMode value);
    int fadeDelay() const { return m_fadeDelay; }
    void setFadeDelay(int value);
    // Percent added per fade step, kept within 1..100.
    int fadeStep() const { return m_fadeStep; }
    void setFadeStep(int value);
    int lineDelay() const { return m_lineDelay; }
    void setLineDelay(int value);
    classes::TStrings* lines() const;
    void setLines(classes::TStrings* value);
    int repeatCount() const { return m_repeatCount; }
    void setRepeatCount(int value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool wordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    int lineIndex() const { return m_lineIndex; }
    // Clamped to the lines; the display changes at the next step.
    void setLineIndex(int value);
    int repeatedCount() const { return m_repeatedCount; }
    // Starts the show again at the first line (at once when active).
    void reset();

    // How far the current line has faded in (percent) and the two lines being blended.
    int progress() const { return m_progress; }
    const std::string& currentText() const { return m_currentText; }
    const std::string& previousText() const { return m_previousText; }
    bool timerRunning() const;
    int timerInterval() const;
    // The control's picture as it paints it now, at its own size.
    void renderTo(TBitmap& target);

    classes::TMethod onComplete;

    void loaded() override;
    static const std::string& builtInText();

protected:
    void paint() override;

private:
    void tick();
    std::string nextLine();
    void paintNow();
    void drawLine(TBitmap& bmp, const std::string& text);
    void itemInserted(int) override { linesChanged(); }
    void itemRemoved(int) override { linesChanged(); }
    void itemChanged(int) override { linesChanged(); }
    void itemsReset() override { linesChanged(); }
    void linesChanged();

    bool m_active = false, m_transparent = false, m_wordWrap = true;
    TAlignment m_alignment = taCenter;
    std::unique_ptr<TPicture> m_background;
    TBackgroundMode m_backgroundMode = bmTiled;
    int m_fadeDelay = 30, m_fadeStep = 4, m_lineDelay = 2000, m_repeatCount = 0;
    std::unique_ptr<TControlStrings> m_lines;
    int m_lineIndex = -1, m_repeatedCount = 0, m_progress = 100;
    std::string m_currentText, m_previousText;
    std::unique_ptr<AnimationTimer> m_timer;
    bool m_painting = false;
};

// Resolves a fader line's escapes: "\\" a backslash, "\n" a line break (CR LF), "\t" a tab;
// a backslash before anything else, or at the end, vanishes with that character.
std::string decodeFaderEscapes(std::string_view line);

// Tiles `graphic` over `rect` from its top-left corner, clipped to it; nothing for a
// missing or empty graphic.
void drawTiled(TCanvas& canvas, const TRect& rect, const TGraphic* graphic);
// dst := (dst * (100 - transparency) + src * transparency) div 100 per channel, over the
// part both bitmaps cover; both become opaque. Missing bitmaps do nothing; the
// transparency is kept within 0..100.
void drawTransparent(TBitmap* dst, const TBitmap* src, int transparency);

namespace types {
const classes::TypeInfo& backgroundMode();  // "TBackgroundMode"
}

}  // namespace vcl
