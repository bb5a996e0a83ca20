// TTextAnimator: draws its caption one character at a time, each at its own font size, and
// makes the sizes pulse frame by frame (together, at random, as a wave or as a wind running
// along the line), optionally cycling the characters' colours.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "vcl/Controls.h"

namespace vcl {

class AnimationTimer;
class TBitmap;

enum TTextAnimStyle { taAll, taRandom, taWave, taWind };

class TTextAnimator : public TGraphicControl {
public:
    CLASSES_OBJECT(TTextAnimator)
    explicit TTextAnimator(classes::TComponent* owner);
    ~TTextAnimator() override;

    bool active() const { return m_timer != nullptr; }
    void setActive(bool value);
    TAlignment alignment() const { return m_alignment; }
    void setAlignment(TAlignment value);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    bool colorAnimation() const { return m_colorAnimation; }
    void setColorAnimation(bool value);
    TColor colorStart() const { return m_colorStart; }
    void setColorStart(TColor value);
    TColor colorStop() const { return m_colorStop; }
    void setColorStop(TColor value);
    int delay() const { return m_delay; }
    void setDelay(int value);
    int maxStep() const { return m_maxStep; }
    void setMaxStep(int value);
    int step() const { return m_step; }
    // Limited to MaxStep.
    void setStep(int value);
    TTextAnimStyle style() const { return m_style; }
    void setStyle(TTextAnimStyle value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);

    // Sizes the control to the line at the largest character size.
    void adjustClientSize();
    // Advances one frame exactly as a timer tick does, and repaints.
    void nextFrame();

    // The animation's state, per character: size offset (points), and the measured line.
    const std::vector<int32_t>& offsets() const { return m_offset; }
    int lineWidth() const { return m_lineWidth; }
    int lineHeight() const { return m_lineHeight; }
    // The colour the next character drawn gets; advances the cycle.
    TColor nextColor();
    // Whether the font was changed after construction (a writer stores it only then).
    bool fontModified() const { return m_fontModified; }

    // The random style's source: returns 0..max inclusive. Null restores the default
    // generator (seeded from the clock).
    static void setRandomSource(std::function<int(int max)> source);

    void loaded() override;

protected:
    void paint() override;
    void fontChanged() override;
    void textChanged() override;

private:
    void recompute(bool reallocate);
    void setupColors();
    void applySize();
    void paintNow();

    TAlignment m_alignment = taCenter;
    bool m_autoSize = true, m_colorAnimation = true, m_transparent = true;
    TColor m_colorStart = 65535, m_colorStop = 255;
    int m_delay = 70, m_maxStep = 20, m_step = 2;
    TTextAnimStyle m_style = taWind;
    std::vector<int32_t> m_offset;
    std::vector<int8_t> m_direction;
    std::vector<int> m_advance;
    int m_lineWidth = 0, m_lineHeight = 0;
    uint8_t m_startRGB[3] = {0, 0, 0};
    int m_diff[3] = {0, 0, 0};
    int m_colorRange = 0;
    uint8_t m_colorPos = 0;
    int m_colorDir = 1;
    std::unique_ptr<AnimationTimer> m_timer;
    std::unique_ptr<TBitmap> m_bitmap;
    bool m_painting = false, m_fontModified = false, m_constructed = false;
};

namespace types {
const classes::TypeInfo& textAnimStyle();  // "TTextAnimStyle"
}

}  // namespace vcl
