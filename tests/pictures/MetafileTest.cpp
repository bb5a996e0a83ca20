// Metafiles written by the tests' own writer, played and checked at chosen pixels: each
// record kind of both formats, the mappings, clipping, saved states, bitmaps, and what
// malformed records do.
#include <gtest/gtest.h>

#include <cstring>

#include "MetafileWriter.h"
#include "pictures/Loaders.h"
#include "pictures/Metafile.h"

using namespace pictures;
using mfw::Emf;
using mfw::Pt;
using mfw::rgb;
using mfw::Wmf;

namespace {

constexpr uint32_t kRed = rgb(255, 0, 0), kGreen = rgb(0, 255, 0), kBlue = rgb(0, 0, 255), kBlack = 0,
                   kWhite = rgb(255, 255, 255);
constexpr uint32_t kNone = 0;  // a transparent pixel

struct Picture {
    Image image;
    explicit Picture(const std::string& data, int w = 100, int h = 100) : image(renderMetafile(data, w, h)) {}
    // The pixel as a COLORREF, or kNone when nothing was drawn there.
    uint32_t at(int x, int y) const {
        const uint32_t p = image.pixel(x, y);
        if ((p >> 24) == 0) return kNone;
        return ((p >> 16) & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16;
    }
    bool drawn(int x, int y) const { return (image.pixel(x, y) >> 24) != 0; }
    int countIn(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += drawn(x, y);
        return n;
    }
};

// Red brush and black pen selected, as objects 0 and 1.
Wmf wmfWithRedBrush(bool placeable = true) {
    Wmf w(placeable);
    w.createBrush(0, kRed).createPen(0, 1, kBlack).selectObject(0).selectObject(1);
    return w;
}

TEST(Wmf, ShapesFillWithTheBrushAndOutlineWithThePen) {
    Wmf w = wmfWithRedBrush();
    w.rectangle(10, 10, 50, 30);
    w.createBrush(0, kBlue).selectObject(2).ellipse(60, 10, 90, 40);
    w.createBrush(0, kGreen).selectObject(3).roundRect(10, 60, 50, 90, 10, 10);
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(30, 20), kRed);
    EXPECT_EQ(p.at(10, 20), kBlack);  // the left edge
    EXPECT_EQ(p.at(49, 20), kBlack);  // the right edge is the last pixel inside
    EXPECT_EQ(p.at(50, 20), kNone);   // right and bottom are exclusive
    EXPECT_EQ(p.at(30, 29), kBlack);
    EXPECT_EQ(p.at(30, 30), kNone);
    EXPECT_EQ(p.at(75, 25), kBlue);
    EXPECT_EQ(p.at(61, 11), kNone);  // outside the ellipse, inside its box
    EXPECT_EQ(p.at(30, 75), kGreen);
    EXPECT_EQ(p.at(10, 60), kNone);  // the rounded corner
    EXPECT_EQ(p.at(5, 5), kNone);
}

TEST(Wmf, LinesPolygonsAndHolesFollowTheFillMode) {
    Wmf w = wmfWithRedBrush();
    w.createPen(0, 1, kBlue).selectObject(2);
    w.moveTo(0, 5).lineTo(100, 5);
    w.polyline({{0, 8}, {50, 8}, {50, 12}});
    w.createPen(5, 0, 0).selectObject(3);  // no outline
    w.polygon({{10, 20}, {40, 20}, {10, 50}});
    // A square with a square inside it: alternate fill leaves a hole, winding fills it.
    w.polyPolygon({{{50, 20}, {90, 20}, {90, 60}, {50, 60}}, {{60, 30}, {80, 30}, {80, 50}, {60, 50}}});
    w.setPolyFillMode(2);
    w.polyPolygon({{{50, 65}, {90, 65}, {90, 95}, {50, 95}}, {{60, 70}, {80, 70}, {80, 90}, {60, 90}}});
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(50, 5), kBlue);
    EXPECT_EQ(p.at(50, 6), kNone);
    EXPECT_EQ(p.at(25, 8), kBlue);
    EXPECT_EQ(p.at(50, 10), kBlue);
    EXPECT_EQ(p.at(15, 25), kRed);
    EXPECT_EQ(p.at(35, 45), kNone);  // beyond the triangle's slanted side
    EXPECT_EQ(p.at(55, 25), kRed);
    EXPECT_EQ(p.at(70, 40), kNone);  // the hole
    EXPECT_EQ(p.at(70, 80), kRed);   // winding: no hole
}

TEST(Wmf, ArcsChordsAndPiesTakeTheirPartOfTheEllipse) {
    Wmf w = wmfWithRedBrush();
    // Counter-clockwise from the ray to the right to the ray upwards: the top-right quarter.
    w.arcLike(0x081A, 0, 0, 40, 40, {40, 20}, {20, 0});
    w.arcLike(0x0830, 50, 0, 90, 40, {90, 20}, {50, 20});  // chord: the top half
    w.createPen(0, 1, kBlue).selectObject(2).arcLike(0x0817, 0, 50, 40, 90, {20, 50}, {20, 90});  // left half
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(28, 12), kRed);
    EXPECT_EQ(p.at(12, 12), kNone);
    EXPECT_EQ(p.at(28, 28), kNone);
    EXPECT_EQ(p.at(70, 10), kRed);
    EXPECT_EQ(p.at(70, 30), kNone);
    EXPECT_GT(p.countIn(0, 50, 20, 91), 10);  // the left half of the outline
    EXPECT_EQ(p.countIn(22, 52, 41, 88), 0);  // nothing on the right
}

TEST(Wmf, MappingModesWindowsAndViewportsScaleThePicture) {
    // The window spans 200 units: everything is drawn at half size.
    Wmf half = wmfWithRedBrush();
    half.setMapMode(8).setWindowOrg(0, 0).setWindowExt(200, 200).rectangle(100, 100, 200, 200);
    const Picture h(half.bytes());
    EXPECT_EQ(h.at(75, 75), kRed);
    EXPECT_EQ(h.at(40, 40), kNone);
    // A window origin moves the picture; a viewport scales it.
    Wmf moved = wmfWithRedBrush();
    moved.setMapMode(8).setWindowOrg(-20, 0).setWindowExt(100, 100).setViewportExt(50, 100);
    moved.rectangle(0, 0, 20, 20);
    const Picture m(moved.bytes());
    EXPECT_EQ(m.at(15, 10), kRed);  // x: (0 + 20) * 0.5 = 10 .. 20
    EXPECT_EQ(m.at(5, 10), kNone);
    EXPECT_EQ(m.at(25, 10), kNone);
    // Fixed modes count up from the bottom: a twips picture, 1440 units to the inch.
    Wmf twips(true, 0, 0, 1440, 1440, 1440);
    twips.createBrush(0, kRed).selectObject(0).createPen(5, 0, 0).selectObject(1);
    twips.setMapMode(6).setWindowOrg(0, 0).rectangle(0, 0, 720, -720);
    const Picture t(twips.bytes(), 96, 96);
    EXPECT_EQ(t.at(20, 20), kRed);
    EXPECT_EQ(t.at(70, 70), kNone);
}

TEST(Wmf, TextUsesItsFontColourAndAlignment) {
    Wmf w;
    w.createFont(-40, "Arial", 700).selectObject(0).setTextColor(kBlue).setBkMode(1);
    w.textOut(5, 5, "HI");
    w.setTextAlign(2).textOut(95, 50, "HI");  // right-aligned: ends at x 95
    w.setBkMode(2).setBkColor(kGreen).setTextAlign(0);
    w.extTextOut(5, 60, "H", 2, {0, 58}, {100, 100});  // ETO_OPAQUE fills the box first
    const Picture p(w.bytes());
    EXPECT_GT(p.countIn(5, 5, 60, 50), 40);
    EXPECT_EQ(p.countIn(0, 0, 100, 4), 0);
    EXPECT_GT(p.countIn(40, 50, 96, 95), 40);
    EXPECT_EQ(p.countIn(96, 45, 100, 58), 0);
    EXPECT_EQ(p.at(90, 95), kGreen);
    bool blue = false;
    for (int y = 5; y < 50 && !blue; ++y)
        for (int x = 5; x < 60 && !blue; ++x) blue = p.at(x, y) == kBlue;
    EXPECT_TRUE(blue);
}

TEST(Wmf, BitmapsStretchIntoTheirRectangle) {
    const std::string dib = mfw::dib24({{kRed, kGreen}, {kBlue, kWhite}});
    Wmf w;
    w.stretchDib(0, 0, 20, 20, 0, 0, 2, 2, dib);
    w.dibStretchBlt(30, 0, 20, 20, 0, 0, 2, 2, dib);
    w.dibBitBlt(60, 0, 2, 2, 0, 0, dib);
    w.stretchDib(0, 30, 20, 20, 1, 0, 1, 1, dib);  // the bottom-right pixel: y counts from the bottom
    w.createBrush(0, kGreen).selectObject(0).patBlt(70, 30, 10, 10, 0x00F00021);
    w.patBlt(70, 45, 10, 10, 0x00000042);
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(5, 5), kRed);
    EXPECT_EQ(p.at(15, 5), kGreen);
    EXPECT_EQ(p.at(5, 15), kBlue);
    EXPECT_EQ(p.at(15, 15), kWhite);
    EXPECT_EQ(p.at(35, 5), kRed);
    EXPECT_EQ(p.at(45, 15), kWhite);
    EXPECT_EQ(p.at(60, 0), kRed);
    EXPECT_EQ(p.at(61, 1), kWhite);
    EXPECT_EQ(p.at(10, 40), kWhite);
    EXPECT_EQ(p.at(75, 35), kGreen);
    EXPECT_EQ(p.at(75, 50), kBlack);
}

TEST(Wmf, ClippingAndSavedStatesConfineTheDrawing) {
    Wmf w = wmfWithRedBrush();
    w.createPen(5, 0, 0).selectObject(2);
    w.saveDC().intersectClipRect(0, 0, 50, 100).excludeClipRect(10, 10, 20, 20);
    w.rectangle(0, 0, 100, 30);
    w.restoreDC(-1).rectangle(0, 40, 100, 60);
    w.createRegion(0, 70, 30, 100).selectClipRegion(3).rectangle(0, 70, 100, 100);
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(5, 5), kRed);
    EXPECT_EQ(p.at(15, 15), kNone);  // excluded
    EXPECT_EQ(p.at(60, 5), kNone);   // outside the clip
    EXPECT_EQ(p.at(60, 50), kRed);   // the state before the clip is back
    EXPECT_EQ(p.at(10, 80), kRed);
    EXPECT_EQ(p.at(60, 80), kNone);
}

TEST(Wmf, PalettesPixelsAndPatternBrushes) {
    Wmf w;
    w.createPalette({kBlack, kBlue, kGreen}).selectPalette(0);
    w.createBrush(0, 0x01000002).selectObject(1).createPen(5, 0, 0).selectObject(2);  // PALETTEINDEX(2)
    w.rectangle(0, 0, 20, 20);
    w.setPixel(50, 50, kRed);
    w.createPatternBrush(mfw::dib24({{kBlue, kWhite}, {kWhite, kBlue}}))
        .selectObject(3)
        .rectangle(60, 60, 70, 70);
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(5, 5), kGreen);
    EXPECT_EQ(p.at(50, 50), kRed);
    EXPECT_EQ(p.at(49, 50), kNone);
    EXPECT_EQ(p.countIn(60, 60, 69, 69), 81);
    EXPECT_NE(p.at(60, 60), p.at(61, 60));  // a checker pattern
}

TEST(Wmf, ObjectsTakeTheLowestFreeSlot) {
    Wmf w;
    w.createBrush(0, kRed).createBrush(0, kBlue).deleteObject(0);
    w.createBrush(0, kGreen);  // slot 0 again
    w.createPen(5, 0, 0).selectObject(2).selectObject(0).rectangle(0, 0, 10, 10);
    w.selectObject(1).rectangle(20, 0, 30, 10);
    const Picture p(w.bytes());
    EXPECT_EQ(p.at(5, 5), kGreen);
    EXPECT_EQ(p.at(25, 5), kBlue);
}

TEST(Wmf, SizeComesFromThePlaceableBoxOrTheWindow) {
    const MetafileInfo placeable = metafileInfo(Wmf(true, 0, 0, 1440, 720, 1440).bytes());
    EXPECT_FALSE(placeable.enhanced);
    EXPECT_EQ(placeable.width, 96);
    EXPECT_EQ(placeable.height, 48);
    Wmf plain(false);
    plain.setWindowOrg(10, 10).setWindowExt(60, 30).createBrush(0, kRed).selectObject(0);
    plain.rectangle(10, 10, 40, 40);
    const MetafileInfo info = metafileInfo(plain.bytes());
    EXPECT_EQ(info.width, 60);
    EXPECT_EQ(info.height, 30);
    const Decoded d = decode(plain.bytes());
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.frames[0].image.width, 60);
    EXPECT_EQ((d.frames[0].image.pixel(5, 5) >> 24), 0xFFu);
    EXPECT_EQ((d.frames[0].image.pixel(50, 5) >> 24), 0u);
    // A plain file without a window measures what it draws.
    Wmf bare(false);
    bare.createBrush(0, kRed).selectObject(0).rectangle(0, 0, 30, 20);
    EXPECT_EQ(metafileInfo(bare.bytes()).width, 30);
}

TEST(Wmf, UnknownAndMalformedRecordsAreSkippedByTheirSize) {
    Wmf w = wmfWithRedBrush();
    w.raw(0x0999, std::string(10, '\x7f'));                        // unknown
    w.raw(0x0324, Wmf::word(1000) + Wmf::word(1) + Wmf::word(2));  // a polygon claiming 1000 points
    w.raw(0x02FB, Wmf::word(-10));                                 // a font record cut short
    w.raw(0x0F43,
          Wmf::color(0x00CC0020) + std::string(18, '\0') + std::string("\x28\0\0\0\xff\xff\xff\x7f", 8));
    w.rectangle(10, 10, 20, 20);
    const std::string good = w.bytes();
    const Picture p(good);
    EXPECT_EQ(p.at(15, 15), kRed);
    // A record whose size runs past the data ends the playback there.
    std::string cut = good;
    cut.resize(cut.size() - 6);  // drop the end record
    cut.replace(cut.size() - 14, 4, std::string("\xff\xff\x00\x00", 4));
    EXPECT_NO_THROW(Picture{cut});
    EXPECT_THROW(renderMetafile("\xd7\xcd\xc6\x9a", 10, 10), DecodeError);
    EXPECT_THROW(metafileInfo(std::string("\x01\x00\x09\x00\x00\x04", 6) + std::string(12, '\0')),
                 DecodeError);
}

// --- enhanced metafiles ---

Emf emfWithRedBrush() {
    Emf e;
    e.createBrush(1, 0, kRed).selectObject(1).createPen(2, 0, 1, kBlack).selectObject(2);
    return e;
}

TEST(Emf, ShapesPolygonsAndArcs) {
    Emf e = emfWithRedBrush();
    e.rectangle(10, 10, 50, 30);
    e.createBrush(3, 0, kBlue).selectObject(3).ellipse(60, 10, 90, 40).roundRect(60, 60, 90, 90, 8, 8);
    e.selectObject(0x80000008);  // NULL_PEN
    e.selectObject(0x80000004);  // BLACK_BRUSH
    e.poly(86, {{10, 40}, {40, 40}, {10, 70}});
    e.createBrush(4, 0, kGreen).selectObject(4);
    e.polyPolygon({{{0, 75}, {30, 75}, {30, 100}, {0, 100}}, {{10, 80}, {20, 80}, {20, 90}, {10, 90}}}, true);
    e.arcLike(47, 40, 40, 60, 60, {60, 50}, {50, 40});  // pie: the top-right quarter
    e.createPen(5, 0, 1, kBlue).selectObject(5).poly(87, {{0, 3}, {100, 3}}).moveTo(0, 6).lineTo(100, 6);
    const Picture p(e.bytes());
    EXPECT_EQ(p.at(30, 20), kRed);
    EXPECT_EQ(p.at(10, 20), kBlack);
    EXPECT_EQ(p.at(50, 20), kNone);
    EXPECT_EQ(p.at(75, 25), kBlue);
    EXPECT_EQ(p.at(75, 75), kBlue);
    EXPECT_EQ(p.at(15, 45), kBlack);
    EXPECT_EQ(p.at(5, 95), kGreen);
    EXPECT_EQ(p.at(15, 85), kNone);
    EXPECT_EQ(p.at(55, 45), kGreen);
    EXPECT_EQ(p.at(45, 55), kNone);
    EXPECT_EQ(p.at(50, 3), kBlue);
    EXPECT_EQ(p.at(50, 6), kBlue);
}

TEST(Emf, ArcsAndChordsFollowTheArcDirection) {
    Emf e = emfWithRedBrush();
    e.arcLike(46, 0, 0, 40, 40, {40, 20}, {0, 20});    // chord: the top half
    e.rec(57, {2});                                    // AD_CLOCKWISE
    e.arcLike(46, 50, 0, 90, 40, {90, 20}, {50, 20});  // now the bottom half
    e.createPen(3, 0, 1, kBlue).selectObject(3).arcLike(45, 0, 50, 40, 90, {20, 50}, {20, 90});  // right half
    const Picture p(e.bytes());
    EXPECT_EQ(p.at(20, 10), kRed);
    EXPECT_EQ(p.at(20, 30), kNone);
    EXPECT_EQ(p.at(70, 30), kRed);
    EXPECT_EQ(p.at(70, 10), kNone);
    EXPECT_GT(p.countIn(21, 50, 41, 91), 10);
    EXPECT_EQ(p.countIn(0, 52, 18, 88), 0);
}

TEST(Emf, WorldTransformsMappingModesAndViewports) {
    Emf e = emfWithRedBrush();
    e.selectObject(0x80000008);
    e.setWorldTransform(1, 0, 0, 1, 50, 0).rectangle(0, 0, 20, 20);  // moved right by 50
    e.setWorldTransform(1, 0, 0, 1, 0, 0);
    e.setMapMode(8).setWindowExt(200, 200).setViewportExt(100, 100).rectangle(0, 100, 40, 140);  // half size
    e.setMapMode(2).setWindowOrg(0, 0).setViewportOrg(0, 100);  // tenths of a millimetre, y up
    e.rectangle(20, 20, 40, 0);  // 8 to 16 pixels in, 0 to 8 up from the bottom
    const Picture p(e.bytes());
    EXPECT_EQ(p.at(60, 10), kRed);
    EXPECT_EQ(p.at(10, 10), kNone);
    EXPECT_EQ(p.at(10, 60), kRed);
    EXPECT_EQ(p.at(10, 75), kNone);
    EXPECT_EQ(p.at(10, 95), kRed);
    EXPECT_EQ(p.at(10, 90), kNone);
    EXPECT_EQ(p.at(20, 95), kNone);
}

TEST(Emf, PathsBeziersAndClipping) {
    Emf e = emfWithRedBrush();
    e.selectObject(0x80000008);
    e.beginPath().moveTo(10, 10).lineTo(40, 10).lineTo(40, 40).closeFigure().endPath().fillPath();
    e.createPen(5, 0, 2, kBlue).selectObject(5).poly(2, {{50, 50}, {60, 20}, {90, 20}, {99, 50}});  // a curve
    e.selectObject(0x80000008);
    e.saveDC().extSelectClipRect(0, 60, 50, 100, 5).excludeClipRect(10, 70, 20, 80);
    e.rectangle(0, 60, 100, 100);
    e.restoreDC(-1).intersectClipRect(60, 90, 100, 100).rectangle(0, 60, 100, 100);
    const Picture p(e.bytes());
    EXPECT_EQ(p.at(35, 15), kRed);
    EXPECT_EQ(p.at(15, 35), kNone);  // below the diagonal
    EXPECT_GT(p.countIn(50, 20, 100, 45), 10);
    EXPECT_EQ(p.at(5, 65), kRed);
    EXPECT_EQ(p.at(15, 75), kNone);
    EXPECT_EQ(p.at(55, 65), kNone);
    EXPECT_EQ(p.at(70, 95), kRed);
    EXPECT_EQ(p.at(70, 85), kNone);
}

TEST(Emf, TextBitmapsPalettesAndPixels) {
    const std::string dib = mfw::dib24({{kRed, kGreen}, {kBlue, kWhite}});
    Emf e;
    e.font(1, -40, u"Arial", 700).selectObject(1).setTextColor(kBlue).setBkMode(1);
    e.textOutW(5, 5, u"HI");
    e.textOutW(5, 50, u"HI", 0, {30, 30});  // spaced out
    e.stretchDiBits(60, 0, 20, 20, 0, 0, 2, 2, dib);
    e.bitBlt(60, 30, 2, 2, 0, 0, dib);
    e.createPalette(7, {kBlack, kGreen}).selectObject(7).createBrush(8, 0, 0x01000001).selectObject(8);
    e.patBlt(90, 0, 10, 10, 0x00F00021);
    e.setPixel(95, 95, kRed);
    const Picture p(e.bytes());
    EXPECT_GT(p.countIn(5, 5, 55, 50), 40);
    EXPECT_GT(p.countIn(35, 50, 60, 95), 10);  // the second letter moved by its spacing
    EXPECT_EQ(p.at(65, 5), kRed);
    EXPECT_EQ(p.at(75, 15), kWhite);
    EXPECT_EQ(p.at(60, 30), kRed);
    EXPECT_EQ(p.at(61, 31), kWhite);
    EXPECT_EQ(p.at(95, 5), kGreen);
    EXPECT_EQ(p.at(95, 95), kRed);
}

TEST(Emf, TheFrameGivesTheSizeAndFillsTheOutput) {
    Emf e(200, 100);
    e.createBrush(1, 0, kRed).selectObject(1).selectObject(0x80000008).rectangle(100, 0, 200, 100);
    const MetafileInfo info = metafileInfo(e.bytes());
    EXPECT_TRUE(info.enhanced);
    EXPECT_EQ(info.width, 189);  // 50 mm at 96 dots per inch
    EXPECT_EQ(info.height, 94);
    const Picture small(e.bytes(), 40, 20);  // drawn smaller, the right half stays red
    EXPECT_EQ(small.at(30, 10), kRed);
    EXPECT_EQ(small.at(10, 10), kNone);
}

TEST(Emf, UnknownAndMalformedRecordsAreSkippedByTheirSize) {
    Emf e = emfWithRedBrush();
    e.raw(999, std::string(12, '\x55'));                                      // unknown
    e.raw(3, Emf::ints({0, 0, 0, 0, 1000000, 1, 2}));                         // more points than bytes
    e.raw(8, Emf::ints({0, 0, 0, 0, 2, 3, 1, 1, 5, 5}));                      // counts that disagree
    e.raw(81, Emf::ints({0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 5000, 40, 9000, 4}));  // offsets past the record
    e.raw(84, Emf::ints({0, 0, 0, 0, 1, 0, 0, 0, 0, 100000, 76, 0}));         // text longer than the record
    e.rectangle(10, 10, 20, 20);
    const std::string good = e.bytes();
    EXPECT_EQ(Picture(good).at(15, 15), kRed);
    // A record whose size runs past the data ends the playback.
    std::string bad = good;
    const uint32_t huge = 0x7FFFFFF0;
    std::memcpy(bad.data() + 88 + 4, &huge, 4);
    EXPECT_EQ(Picture(bad).at(15, 15), kNone);
    EXPECT_THROW(metafileInfo(std::string(good.data(), 40)), DecodeError);
}

}  // namespace
