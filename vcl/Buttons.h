// Buttons with pictures: TBitBtn (a push button with a glyph and standard kinds such as OK
// and Cancel) and TSpeedButton (a graphic control that paints itself, toggling in groups).
// Glyphs are bitmaps holding up to four images side by side (up, disabled, down, held
// down); the colour of their bottom-left pixel is transparent.
#pragma once

#include <memory>

#include "pictures/Image.h"
#include "vcl/ButtonCtrls.h"

namespace vcl {

class TBitmap;

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

enum class GlyphState { Up, Disabled, Down, Exclusive };

// Where a glyph and a caption go in a button. Margin is the distance of the glyph from
// its edge (-1: glyph and caption centred together); Spacing the distance between glyph
// and caption (-1: the free space shared out evenly).
struct ButtonLayout {
    TPoint glyph;
    TPoint text;
};
ButtonLayout layoutButton(TButtonLayout layout, int margin, int spacing, const TRect& client,
                          TPoint glyphSize, TPoint textSize);

// The image of `state` from a glyph bitmap holding `numGlyphs` images, its transparent
// colour made transparent; a state the bitmap lacks is made from the up image (greyed when
// disabled). Empty for an empty bitmap.
pictures::Image glyphImage(const TBitmap& glyph, int numGlyphs, GlyphState state);

class TBitBtn : public TButton {
public:
    CLASSES_OBJECT(TBitBtn)
    explicit TBitBtn(classes::TComponent* owner);
    ~TBitBtn() override;

    using GlyphState = vcl::GlyphState;

    // bkCustom once Default, Cancel, ModalResult or the glyph no longer match the kind.
    TBitBtnKind kind() const;
    // A standard kind sets the caption, ModalResult, Default or Cancel and the glyph.
    void setKind(TBitBtnKind value);
    TBitmap* glyph() const { return m_glyph.get(); }
    void setGlyph(TBitmap* value);
    TButtonLayout layout() const { return m_layout; }
    void setLayout(TButtonLayout value);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    int margin() const { return m_margin; }
    void setMargin(int value);
    int spacing() const { return m_spacing; }
    void setSpacing(int value);
    TButtonStyle style() const { return m_style; }
    void setStyle(TButtonStyle value) { m_style = value; }
    // The picture drawn for a state: the Glyph, or the kind's own.
    pictures::Image glyphFor(GlyphState state) const;

    // A Close button closes its form.
    void click() override;

private:
    void glyphChanged();

    std::unique_ptr<TBitmap> m_glyph;
    TBitBtnKind m_kind = bkCustom;
    bool m_modifiedGlyph = false;
    TButtonLayout m_layout = blGlyphLeft;
    int m_numGlyphs = 1, m_margin = -1, m_spacing = 4;
    TButtonStyle m_style = bsAutoDetect;
};

class TSpeedButton : public TGraphicControl {
public:
    CLASSES_OBJECT(TSpeedButton)
    explicit TSpeedButton(classes::TComponent* owner);
    ~TSpeedButton() override;

    // Buttons of one parent with the same GroupIndex (not 0) act together: one of them is
    // down at a time (or none, with AllowAllUp).
    int groupIndex() const { return m_groupIndex; }
    void setGroupIndex(int value);
    bool down() const { return m_down; }
    // Only buttons of a group stay down; putting one down releases the others.
    void setDown(bool value);
    bool allowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool value);
    bool flat() const { return m_flat; }
    void setFlat(bool value);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    TBitmap* glyph() const { return m_glyph.get(); }
    void setGlyph(TBitmap* value);
    TButtonLayout layout() const { return m_layout; }
    void setLayout(TButtonLayout value);
    int numGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    int margin() const { return m_margin; }
    void setMargin(int value);
    int spacing() const { return m_spacing; }
    void setSpacing(int value);

    void mouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void mouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void mouseEnter() override;
    void mouseLeave() override;
    void click() override;
    bool dialogChar(char c) override;

protected:
    void paint() override;

private:
    void releaseGroup();

    std::unique_ptr<TBitmap> m_glyph;
    int m_groupIndex = 0;
    bool m_down = false, m_allowAllUp = false, m_flat = false, m_transparent = true;
    bool m_pressed = false, m_hot = false;
    TButtonLayout m_layout = blGlyphLeft;
    int m_numGlyphs = 1, m_margin = -1, m_spacing = 4;
};

}  // namespace vcl
