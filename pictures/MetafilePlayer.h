// The device context both metafile kinds play into: mapping, objects, colours, modes,
// clip region, current position, path and the stack of saved states. The record readers
// (WmfPlayer.cpp, EmfPlayer.cpp) decode their records and call these operations.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "base/ByteReader.h"
#include "pictures/Metafile.h"

namespace pictures::metafile {

// A record whose contents do not fit its size: the record is skipped.
struct BadRecord {};
[[noreturn]] void badRecord(const base::ByteReader& reader, size_t needed);
// A header that cannot be read: the data is no metafile.
[[noreturn]] void badHeader(const base::ByteReader& reader, size_t needed);

// Limits that keep a hostile file from costing unbounded time or memory.
inline constexpr size_t kMaxSavedStates = 256;
inline constexpr size_t kMaxClipRects = 256;
inline constexpr size_t kMaxPathOps = 1 << 20;
inline constexpr int64_t kMaxEmbeddedPixels = 16LL * 1024 * 1024;
// All the bitmaps of one playback together: a small file cannot ask for endless decoding.
inline constexpr int64_t kMaxPlaybackPixels = 4 * kMaxEmbeddedPixels;

// Rectangles in output pixels, never overlapping; an empty list clips everything away.
class Region {
public:
    Region() = default;
    explicit Region(const PixelRect& r);
    const std::vector<PixelRect>& rects() const { return m_rects; }
    PixelRect bounds() const;
    void intersect(const Region& other);
    void subtract(const Region& other);
    void unite(const Region& other);
    void exclusiveOr(const Region& other);
    void offset(int dx, int dy);

private:
    void add(const PixelRect& r);
    std::vector<PixelRect> m_rects;
};

// Region combination modes of the system.
enum RegionMode { kRgnAnd = 1, kRgnOr = 2, kRgnXor = 3, kRgnDiff = 4, kRgnCopy = 5 };

struct Palette {
    std::vector<uint32_t> colors;  // COLORREF
};

using GdiObject = std::variant<MetaPen, MetaBrush, MetaFont, Palette, Region>;

enum MapMode {
    kMmText = 1,
    kMmLoMetric = 2,
    kMmHiMetric = 3,
    kMmLoEnglish = 4,
    kMmHiEnglish = 5,
    kMmTwips = 6,
    kMmIsotropic = 7,
    kMmAnisotropic = 8
};

struct DcState {
    int mapMode = kMmText;
    PointF windowOrg{0, 0};
    PointF windowExt{1, 1};
    PointF viewportOrg{0, 0};
    PointF viewportExt{1, 1};
    Transform world;  // enhanced metafiles only
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
    std::shared_ptr<const Palette> palette;
    uint32_t textColor = 0;
    uint32_t bkColor = 0xFFFFFF;
    bool opaqueBackground = true;
    bool winding = false;
    int rop2 = 13;
    int textAlign = 0;
    bool clockwise = false;
    PointF position;
    std::optional<Region> clip;  // none: nothing clipped
};

class Player {
public:
    // `referenceToOutput` maps the metafile's device units to output pixels; `output`
    // is the output rectangle (the surface that exclusions are taken from).
    Player(MetafileDevice& device, const Transform& referenceToOutput, const PixelRect& output,
           double pixelsPerMillimetre);

    DcState& dc() { return m_dc; }
    // Logical coordinates to output pixels under the current mapping.
    Transform transform() const;
    DrawState drawState() const;
    PointF toOutput(PointF logical) const { return transform().map(logical); }
    // Colours through the selected palette (PALETTEINDEX) or as they are.
    uint32_t color(uint32_t colorRef) const;

    // Mapping.
    void setMapMode(int mode);
    void setWindowOrg(PointF p) { m_dc.windowOrg = p; }
    void setWindowExt(PointF p);
    void setViewportOrg(PointF p) { m_dc.viewportOrg = p; }
    void setViewportExt(PointF p);
    void setWorld(const Transform& t) { m_dc.world = t; }
    void modifyWorld(const Transform& t, int mode);

    // Objects, by index in the object table.
    void createObject(uint32_t index, GdiObject object);
    void selectObject(uint32_t index);
    void deleteObject(uint32_t index);
    const GdiObject* object(uint32_t index) const;
    void selectStockObject(uint32_t stock);

    void save();
    void restore(int which);

    // Clipping, in logical coordinates or output pixels.
    void intersectClip(const RectF& logical);
    void excludeClip(const RectF& logical);
    void combineClip(const Region& output, int mode);
    void resetClip() { m_dc.clip.reset(); }
    void offsetClip(PointF logical);
    // A region given in the metafile's device units, in output pixels.
    Region deviceRegion(const std::vector<PixelRect>& deviceRects) const;
    PixelRect outputRect(const RectF& logical) const;

    // Drawing.
    void moveTo(PointF p);
    void lineTo(PointF p);
    void polyline(const std::vector<PointF>& points);
    void polylineTo(const std::vector<PointF>& points);
    void polyBezier(const std::vector<PointF>& points);
    void polyBezierTo(const std::vector<PointF>& points);
    void polygons(const std::vector<std::vector<PointF>>& polygons);
    void rectangle(const RectF& r, double cornerWidth = 0, double cornerHeight = 0);
    void ellipse(const RectF& r);
    void arc(const RectF& box, PointF start, PointF end, ArcKind kind);
    void arcTo(const RectF& box, PointF start, PointF end);
    void text(PointF reference, std::u16string_view text, const std::vector<double>& advances,
              const RectF* opaque, const RectF* clipRect);
    void image(const RectF& dest, const Image& image, const PixelRect& source, uint32_t rop);
    void pattern(const RectF& dest, uint32_t rop);
    void pixel(PointF p, uint32_t colorRef);
    void fillRegion(const Region& output, const MetaBrush& brush);

    // Paths: while one is open, lines and curves are recorded instead of drawn.
    void beginPath();
    void endPath() { m_recording = false; }
    void abortPath();
    void closeFigure();
    void drawPath(bool fill, bool stroke);
    void clipToPath(int mode);

private:
    bool recordLine(const std::vector<PointF>& points, bool fromCurrent);
    void addOp(const PathOp& op);

    MetafileDevice& m_device;
    Transform m_referenceToOutput;
    PixelRect m_output;
    double m_pixelsPerMillimetre;
    DcState m_dc;
    std::vector<DcState> m_saved;
    std::map<uint32_t, GdiObject> m_objects;
    std::vector<PathOp> m_path;
    bool m_recording = false;
};

// The pixels of a device-independent bitmap from its header (with colour table) and
// its bits, top row first; null when they do not make a picture. `bottomUp` tells
// whether the bits were stored bottom row first, which decides where a source
// rectangle's origin lies. The bitmap's pixels are taken from `budget`; a bitmap larger
// than what is left is not decoded.
std::shared_ptr<const Image> decodeDib(std::string_view info, std::string_view bits, int64_t& budget,
                                       bool* bottomUp = nullptr);
// The same from a packed DIB: header, colour table and bits in one block.
std::shared_ptr<const Image> decodePackedDib(std::string_view packed, int64_t& budget,
                                             bool* bottomUp = nullptr);
// The part of a bitmap a blt names, clamped to the bitmap; `fromBottom` counts the
// source's y from the bottom row, as device-independent blts of bottom-up bitmaps do.
PixelRect sourceRect(const Image& image, int x, int y, int width, int height, bool fromBottom);

// A font's characters as Unicode, from bytes in the font's character set.
std::u16string textFromCharset(std::string_view bytes, int charset);

// The record readers.
void playWmf(std::string_view data, const MetafileInfo& info, MetafileDevice& device,
             const PixelRect& output);
void playEmf(std::string_view data, MetafileDevice& device, const PixelRect& output);
MetafileInfo wmfInfo(std::string_view data);
MetafileInfo emfInfo(std::string_view data);

}  // namespace pictures::metafile
