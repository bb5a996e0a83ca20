// TGradient: a two-colour gradient control. The two colours give a 256-entry colour table,
// the style lays the table out as a small pattern bitmap, and painting stretches the pattern
// over the control (nearest neighbour). The pattern is rebuilt only when a property changes,
// never by painting or resizing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>

#include "vcl/Controls.h"

namespace vcl {

class TBitmap;

enum TGradientStyle {
    gsCustom,
    gsRadialC,
    gsRadialT,
    gsRadialB,
    gsRadialL,
    gsRadialR,
    gsRadialTL,
    gsRadialTR,
    gsRadialBL,
    gsRadialBR,
    gsLinearH,
    gsLinearV,
    gsReflectedH,
    gsReflectedV,
    gsDiagonalLF,
    gsDiagonalLB,
    gsDiagonalRF,
    gsDiagonalRB,
    gsArrowL,
    gsArrowR,
    gsArrowU,
    gsArrowD,
    gsDiamond,
    gsButterfly
};

// One table entry, stored blue, green, red as the system's 24-bit rows hold it.
struct GradientColor {
    uint8_t b = 0, g = 0, r = 0;
    bool operator==(const GradientColor&) const = default;
};
using TGradientColors = std::array<GradientColor, 256>;

// The colour table for two plain RGB colours (0x00BBGGRR), a shift and a rotation, both
// percent within -100..100.
TGradientColors gradientTable(TColor c1, TColor c2, int shift, int rotation);
// The pattern of a built-in style (gsRadialC..gsButterfly) laid out from `table`; an empty
// image for gsCustom.
pictures::Image gradientPattern(TGradientStyle style, const TGradientColors& table);

class TGradient : public TGraphicControl {
public:
    CLASSES_OBJECT(TGradient)
    explicit TGradient(classes::TComponent* owner);
    ~TGradient() override;

    TColor colorBegin() const { return m_colorBegin; }
    void setColorBegin(TColor value);
    TColor colorEnd() const { return m_colorEnd; }
    void setColorEnd(TColor value);
    TGradientStyle style() const { return m_style; }
    void setStyle(TGradientStyle value);
    // Written values are read as a signed byte, then kept within -100..100.
    int shift() const { return m_shift; }
    void setShift(int value);
    int rotation() const { return m_rotation; }
    void setRotation(int value);
    bool reverse() const { return m_reverse; }
    void setReverse(bool value);

    void beginUpdate() { ++m_updateLock; }
    // The pattern is rebuilt when the lock returns from 1 to 0 with a change pending; an
    // unmatched call makes the lock negative and keeps updates suspended until it is back.
    void endUpdate();
    void invalidatePattern() { updatePattern(); }

    // Draws the pattern for gsCustom; without one the pattern is a 2 x 2 checker of the
    // two colours. Raised with the sender, a copy of the colour table (a RecordArg that
    // customGradientColors reads) and the pattern bitmap.
    classes::TMethod onCustom;

    const TBitmap& pattern() const { return *m_pattern; }
    const TGradientColors& colors() const { return m_colors; }
    // How often the pattern has been built (a property write that changes nothing must not).
    int patternBuilds() const { return m_builds; }
    // The control as it paints: the pattern stretched over width x height.
    pictures::Image render() const;

    void loaded() override;

protected:
    void paint() override;

private:
    void updatePattern();
    void buildPattern();

    TColor m_colorBegin = clWhite, m_colorEnd = clBtnFace;
    TGradientStyle m_style = gsRadialC;
    int m_shift = 0, m_rotation = 0;
    bool m_reverse = false;
    int m_updateLock = 0;
    bool m_dirty = false, m_building = false;
    int m_builds = 0;
    TGradientColors m_colors{};
    std::unique_ptr<TBitmap> m_pattern;
};

// The colour table of an OnCustom call, as its handler (a script's or a C++ one) reads it.
const TGradientColors& customGradientColors(std::span<const classes::EventArg> args);

namespace types {
const classes::TypeInfo& gradientStyle();        // "TGradientStyle"
const classes::TypeInfo& customGradientEvent();  // "TCustomGradientEvent"
}  // namespace types

}  // namespace vcl
