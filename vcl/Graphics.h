// Font, pen and brush: plain values with a change notification, read by TCanvas when it
// draws. Sizes are in pixels at 96 dots per inch.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "classes/TObject.h"
#include "vcl/Color.h"

namespace vcl {

inline constexpr int kPixelsPerInch = 96;

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = uint32_t;  // bit (1 << TFontStyle)
inline constexpr TFontStyles fontStyle(TFontStyle s) { return 1u << s; }

enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
inline constexpr TFontCharset ANSI_CHARSET = 0;
inline constexpr TFontCharset DEFAULT_CHARSET = 1;
inline constexpr TFontCharset SYMBOL_CHARSET = 2;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack,
    pmWhite,
    pmNop,
    pmNot,
    pmCopy,
    pmNotCopy,
    pmMergePenNot,
    pmMaskPenNot,
    pmMergeNotPen,
    pmMaskNotPen,
    pmMerge,
    pmNotMerge,
    pmMask,
    pmNotMask,
    pmXor,
    pmNotXor
};
enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

// Shared part: a change callback the owner installs (a control repaints, a canvas
// re-selects). Copying values with assign() notifies once.
class TGraphicsObject : public classes::TPersistent {
public:
    CLASSES_OBJECT(TGraphicsObject)
    std::function<void()> onChange;

protected:
    void changed() {
        if (onChange) onChange();
    }
};

struct FontHandle;  // the toolkit's font, cached by the toolkit side (vcl/qt)

class TFont : public TGraphicsObject {
public:
    CLASSES_OBJECT(TFont)
    TFont();
    using TPersistent::assign;
    void assign(const TFont& other);
    void assign(const classes::TPersistent& source) override;

    const std::string& name() const { return m_name; }
    void setName(const std::string& name);
    // Negative: character height (em) in pixels; positive: cell height including internal
    // leading, as the system's font mapper takes it.
    int height() const { return m_height; }
    void setHeight(int height);
    // Points: size = -height * 72 / 96, rounded half away from zero.
    int size() const;
    void setSize(int points);
    TFontStyles style() const { return m_style; }
    void setStyle(TFontStyles style);
    TColor color() const { return m_color; }
    void setColor(TColor color);
    TFontCharset charset() const { return m_charset; }
    void setCharset(TFontCharset charset);
    TFontPitch pitch() const { return m_pitch; }
    void setPitch(TFontPitch pitch);

    bool sameAs(const TFont& o) const;
    // Toolkit side only: the cached toolkit font, dropped whenever a value changes.
    std::shared_ptr<FontHandle>& handleCache() const { return m_handle; }

private:
    void touched();

    std::string m_name = "MS Sans Serif";
    int m_height = -11;
    TFontStyles m_style = 0;
    TColor m_color = clWindowText;
    TFontCharset m_charset = DEFAULT_CHARSET;
    TFontPitch m_pitch = fpDefault;
    mutable std::shared_ptr<FontHandle> m_handle;
};

class TPen : public TGraphicsObject {
public:
    CLASSES_OBJECT(TPen)
    using TPersistent::assign;
    void assign(const TPen& other);
    void assign(const classes::TPersistent& source) override;
    TColor color() const { return m_color; }
    void setColor(TColor color);
    int width() const { return m_width; }
    void setWidth(int width);  // values below 1 draw one pixel wide
    TPenStyle style() const { return m_style; }
    void setStyle(TPenStyle style);
    TPenMode mode() const { return m_mode; }
    void setMode(TPenMode mode);

private:
    TColor m_color = clBlack;
    int m_width = 1;
    TPenStyle m_style = psSolid;
    TPenMode m_mode = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
    CLASSES_OBJECT(TBrush)
    using TPersistent::assign;
    void assign(const TBrush& other);
    void assign(const classes::TPersistent& source) override;
    TColor color() const { return m_color; }
    // Setting a colour on a clear brush makes it solid again, as the system's brush does.
    void setColor(TColor color);
    TBrushStyle style() const { return m_style; }
    void setStyle(TBrushStyle style);

private:
    TColor m_color = clWhite;
    TBrushStyle m_style = bsSolid;
};

// The installed face that stands in for a Windows face name ("MS Sans Serif" ->
// "Liberation Sans"); names of installed faces come back unchanged.
std::string mapFontFace(const std::string& windowsName);

namespace types {
const classes::TypeInfo& fontStyles();
const classes::TypeInfo& penStyle();
const classes::TypeInfo& penMode();
const classes::TypeInfo& brushStyle();
}  // namespace types

}  // namespace vcl
