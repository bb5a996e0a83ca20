// Windows metafiles (placeable and plain) and enhanced metafiles, played by our own
// interpreter. The interpreter reads the records and keeps the device context: mapping
// mode, window and viewport, world transform, selected pen, brush, font and palette,
// colours, modes, clip region and the saved states. It hands each drawing operation, in
// the metafile's logical coordinates together with the transform to output pixels, to a
// MetafileDevice; pictures/qt/MetafilePainter.cpp paints them with the toolkit.
//
// Records the interpreter does not know are skipped by their size. Every size, count and
// offset is checked against the record and the data before it is used: a malformed
// record ends the playback at that point, with everything before it drawn, and nothing
// is ever read past the data. Only an unreadable header is an error (DecodeError).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pictures/Image.h"

namespace pictures {

struct PointF {
    double x = 0;
    double y = 0;
};

// Corners as stored: left/top and right/bottom may come in either order.
struct RectF {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

// Whole pixels, right and bottom exclusive.
struct PixelRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
};

// An affine map: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct Transform {
    double m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
    PointF map(PointF p) const { return {m11 * p.x + m21 * p.y + dx, m12 * p.x + m22 * p.y + dy}; }
    // This map followed by `next`.
    Transform then(const Transform& next) const;
    // The length one logical unit along x (along y) becomes.
    double scaleX() const;
    double scaleY() const;
};

// Colours are the system's COLORREF: 0x00BBGGRR.
enum class MetaPenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Null, InsideFrame };
struct MetaPen {
    MetaPenStyle style = MetaPenStyle::Solid;
    double width = 0;  // logical units; 0 is one pixel whatever the mapping
    uint32_t color = 0;
};

enum class MetaBrushStyle { Solid, Null, Hatched, Pattern };
struct MetaBrush {
    MetaBrushStyle style = MetaBrushStyle::Solid;
    int hatch = 0;  // HS_HORIZONTAL .. HS_DIAGCROSS
    uint32_t color = 0xFFFFFF;
    std::shared_ptr<const Image> pattern;  // Pattern brushes
};

struct MetaFont {
    double height = 0;  // logical units: negative the character height, positive the cell height
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 1;
    int escapement = 0;  // tenths of a degree, counter-clockwise
    std::string face;    // UTF-8
};

// Text alignment flags of the system.
inline constexpr int kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;

struct DrawState {
    Transform transform;  // logical coordinates to output pixels
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
    uint32_t textColor = 0;
    uint32_t bkColor = 0xFFFFFF;
    bool opaqueBackground = true;
    bool winding = false;  // polygon fill mode: winding, else alternate
    int rop2 = 13;         // R2_COPYPEN
    int textAlign = 0;
    // Output pixels the drawing is confined to; null when nothing is clipped.
    const std::vector<PixelRect>* clip = nullptr;
};

enum class ArcKind { Arc, Chord, Pie };

struct PathOp {
    enum Kind { Move, Line, Bezier, Close } kind = Move;
    PointF p[3];  // Move and Line use p[0]; Bezier has two controls then the end
};

// Where a metafile draws. Coordinates are logical; `state.transform` maps them to
// output pixels. Implementations draw nothing outside the output.
class MetafileDevice {
public:
    virtual ~MetafileDevice() = default;
    // Lines with the pen, no fill.
    virtual void polyline(const DrawState& state, const std::vector<PointF>& points) = 0;
    // Filled with the brush and outlined with the pen; the polygons fill together, so
    // one inside another makes a hole by the fill mode.
    virtual void polygons(const DrawState& state, const std::vector<std::vector<PointF>>& polygons) = 0;
    // A rectangle, rounded by the corner ellipse's width and height when they are not 0.
    virtual void rectangle(const DrawState& state, const RectF& r, double cornerWidth,
                           double cornerHeight) = 0;
    virtual void ellipse(const DrawState& state, const RectF& r) = 0;
    // Part of the ellipse in `box`, from the ray towards `start` to the ray towards `end`.
    virtual void arc(const DrawState& state, const RectF& box, PointF start, PointF end, ArcKind kind,
                     bool clockwise) = 0;
    virtual void path(const DrawState& state, const std::vector<PathOp>& ops, bool fill, bool stroke) = 0;
    // Text at `reference` aligned by the state; `advances` (logical units, empty or one
    // per character) places each character. `opaque` is filled with the background
    // colour first; `clipRect` confines the text. Returns the advance in logical units.
    virtual double text(const DrawState& state, PointF reference, std::u16string_view text,
                        const std::vector<double>& advances, const RectF* opaque, const RectF* clipRect) = 0;
    // A bitmap's `source` part stretched into `dest`, combined by a ternary raster operation.
    virtual void image(const DrawState& state, const RectF& dest, const Image& image, const PixelRect& source,
                       uint32_t rop) = 0;
    // A rectangle painted by a raster operation with no source: brush, black, white, inversion.
    virtual void pattern(const DrawState& state, const RectF& dest, uint32_t rop) = 0;
    virtual void pixel(const DrawState& state, PointF p, uint32_t color) = 0;
};

struct MetafileInfo {
    bool enhanced = false;
    bool placeable = false;
    int width = 0;  // pixels at 96 dots per inch
    int height = 0;
};

// Whether `data` starts like a metafile of either kind.
bool looksLikeMetafile(std::string_view data);
// Throws DecodeError("Metafile is not valid") when the header cannot be read.
MetafileInfo metafileInfo(std::string_view data);

// Plays the metafile so that its picture frame fills `output` (output pixels). Throws
// DecodeError only for an unreadable header.
void playMetafile(std::string_view data, MetafileDevice& device, const PixelRect& output);

// Maps a Windows font name to an installed face; empty keeps the name.
using FontFaceMapper = std::function<std::string(const std::string& windowsFace)>;

// A new width x height image of the metafile, transparent where nothing is drawn. Text
// needs the toolkit's application object (its font database); without one it is left
// out. Throws DecodeError when the header cannot be read.
Image renderMetafile(std::string_view data, int width, int height, const FontFaceMapper& faces = {});
// The mapper used when renderMetafile() is given none (the component layer installs its own).
void setDefaultFontFaceMapper(FontFaceMapper faces);

// The size a metafile is decoded at: its own size, scaled down to at most
// kMaxMetafileSide on either side.
inline constexpr int kMaxMetafileSide = 2048;

}  // namespace pictures
