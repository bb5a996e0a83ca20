// Colours, fonts and the canvas's pixel rules, checked on bitmap surfaces.
#include <gtest/gtest.h>

#include "vcl/Canvas.h"
#include "vcl/Graphic.h"

using namespace vcl;

namespace {

// A white bitmap of the given size with a canvas ready to draw.
struct Surface {
    TBitmap bmp;
    Surface(int w, int h) {
        bmp.setSize(w, h);
        bmp.canvas().brush().setColor(clWhite);
        bmp.canvas().fillRect({0, 0, w, h});
    }
    TCanvas& c() { return bmp.canvas(); }
    TColor at(int x, int y) { return bmp.canvas().pixel(x, y); }
    int countOf(TColor color) {
        int n = 0;
        for (int y = 0; y < bmp.height(); ++y)
            for (int x = 0; x < bmp.width(); ++x) n += at(x, y) == color;
        return n;
    }
};

}  // namespace

TEST(Color, SystemColoursComeFromTheFixedTable) {
    EXPECT_EQ(colorToRGB(clBtnFace), rgb(212, 208, 200));
    EXPECT_EQ(colorToRGB(clWindow), clWhite);
    EXPECT_EQ(colorToRGB(clRed), clRed);
    EXPECT_EQ(colorToRGB(systemColor(99)), clBlack);
    EXPECT_EQ(colorToArgb(clRed), 0xFFFF0000u);
    EXPECT_EQ(colorToArgb(clBlue), 0xFF0000FFu);
    EXPECT_EQ(argbToColor(0xFF102030u), rgb(0x10, 0x20, 0x30));
}

TEST(Font, SizeAndHeightConvertAtNinetySixDpi) {
    TFont f;
    EXPECT_EQ(f.name(), "MS Sans Serif");
    EXPECT_EQ(f.height(), -11);
    EXPECT_EQ(f.size(), 8);
    f.setSize(12);
    EXPECT_EQ(f.height(), -16);
    f.setHeight(-13);
    EXPECT_EQ(f.size(), 10);
    int changes = 0;
    f.onChange = [&] { ++changes; };
    f.setStyle(fontStyle(fsBold) | fontStyle(fsItalic));
    f.setStyle(fontStyle(fsBold) | fontStyle(fsItalic));
    EXPECT_EQ(changes, 1) << "setting the same value does not notify";
}

TEST(Font, WindowsFacesMapToInstalledFaces) {
    EXPECT_EQ(mapFontFace("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(mapFontFace("arial"), "Liberation Sans");
    EXPECT_EQ(mapFontFace("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(mapFontFace("Courier New"), "Liberation Mono");
    EXPECT_EQ(mapFontFace("Tahoma"), "DejaVu Sans");
    EXPECT_EQ(mapFontFace("DejaVu Serif"), "DejaVu Serif");
}

TEST(Brush, ColourOnAClearBrushMakesItSolid) {
    TBrush b;
    b.setStyle(bsClear);
    b.setColor(clRed);
    EXPECT_EQ(b.style(), bsSolid);
}

TEST(Canvas, RectanglesExcludeRightAndBottom) {
    Surface s(12, 12);
    s.c().brush().setColor(clRed);
    s.c().fillRect({2, 2, 5, 5});
    EXPECT_EQ(s.at(2, 2), clRed);
    EXPECT_EQ(s.at(4, 4), clRed);
    EXPECT_EQ(s.at(5, 5), clWhite);
    EXPECT_EQ(s.at(1, 1), clWhite);
    EXPECT_EQ(s.countOf(clRed), 9);

    Surface r(12, 12);
    r.c().pen().setColor(clBlack);
    r.c().brush().setColor(clBlue);
    r.c().rectangle(1, 1, 7, 6);
    EXPECT_EQ(r.at(1, 1), clBlack);
    EXPECT_EQ(r.at(6, 5), clBlack);
    EXPECT_EQ(r.at(7, 5), clWhite);
    EXPECT_EQ(r.at(6, 6), clWhite);
    EXPECT_EQ(r.at(3, 3), clBlue);
    EXPECT_EQ(r.countOf(clBlue), 4 * 3);
    EXPECT_EQ(r.countOf(clBlack), 6 * 5 - 4 * 3);

    Surface n(12, 12);
    n.c().pen().setStyle(psClear);
    n.c().brush().setColor(clLime);
    n.c().rectangle(0, 0, 5, 5);
    EXPECT_EQ(n.countOf(clLime), 16) << "without a pen the fill is one pixel smaller";
}

TEST(Canvas, LinesLeaveOutTheirEndPoint) {
    Surface s(10, 10);
    s.c().moveTo(1, 2);
    s.c().lineTo(6, 2);
    EXPECT_EQ(s.countOf(clBlack), 5);
    EXPECT_EQ(s.at(5, 2), clBlack);
    EXPECT_EQ(s.at(6, 2), clWhite);
    EXPECT_EQ(s.c().penPos(), (TPoint{6, 2}));
    s.c().lineTo(6, 8);
    EXPECT_EQ(s.at(6, 7), clBlack);
    EXPECT_EQ(s.at(6, 8), clWhite);
}

TEST(Canvas, EllipseAndPolygonFillInside) {
    Surface s(20, 20);
    s.c().brush().setColor(clRed);
    s.c().pen().setColor(clRed);
    s.c().ellipse(0, 0, 20, 20);
    EXPECT_EQ(s.at(10, 10), clRed);
    EXPECT_EQ(s.at(0, 0), clWhite);
    EXPECT_EQ(s.at(19, 19), clWhite);

    Surface p(20, 20);
    p.c().brush().setColor(clBlue);
    p.c().pen().setStyle(psClear);
    p.c().polygon({{0, 0}, {19, 0}, {0, 19}});
    EXPECT_EQ(p.at(3, 3), clBlue);
    EXPECT_EQ(p.at(17, 17), clWhite);
}

TEST(Canvas, PixelsOutsideAreInvalid) {
    Surface s(4, 4);
    s.c().setPixel(1, 2, clFuchsia);
    EXPECT_EQ(s.at(1, 2), clFuchsia);
    EXPECT_EQ(s.at(-1, 0), CLR_INVALID);
    EXPECT_EQ(s.at(4, 0), CLR_INVALID);
    s.c().setPixel(9, 9, clRed);  // ignored, no crash
    TCanvas detached;
    EXPECT_EQ(detached.pixel(0, 0), CLR_INVALID);
    detached.fillRect({0, 0, 5, 5});
}

TEST(Canvas, OriginAndClipConfineDrawing) {
    pictures::Image img(30, 30, 0xFFFFFFFFu);
    TCanvas c;
    c.setTarget(&img, {10, 10}, TRect{10, 10, 20, 20});
    EXPECT_EQ(c.clipRect(), (TRect{0, 0, 10, 10}));
    c.brush().setColor(clRed);
    c.fillRect({-5, -5, 50, 50});
    int red = 0;
    for (uint32_t p : img.pixels) red += p == 0xFFFF0000u;
    EXPECT_EQ(red, 100);
    EXPECT_EQ(img.pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(img.pixel(20, 20), 0xFFFFFFFFu);
    EXPECT_EQ(c.pixel(0, 0), clRed);
}

TEST(Canvas, TextOutIsOpaqueUnlessTheBrushIsClear) {
    Surface s(100, 30);
    s.c().font().setName("Arial");
    s.c().font().setHeight(-11);
    s.c().font().setColor(clBlack);
    s.c().brush().setColor(clYellow);
    const int w = s.c().textWidth("Hello");
    const int h = s.c().textHeight("Hello");
    EXPECT_GT(w, 15);
    EXPECT_GE(h, 12);
    EXPECT_LE(h, 15);
    s.c().textOut(5, 5, "Hello");
    EXPECT_EQ(s.c().penPos(), (TPoint{5 + w, 5}));
    EXPECT_EQ(s.at(5, 5), clYellow) << "the cell's top-left pixel is background";
    EXPECT_EQ(s.at(4, 5), clWhite);
    EXPECT_EQ(s.at(5 + w, 5), clWhite);
    int ink = 0;
    for (int y = 5; y < 5 + h; ++y)
        for (int x = 5; x < 5 + w; ++x) ink += s.at(x, y) != clYellow;
    EXPECT_GT(ink, 20) << "glyphs are drawn over the background";

    Surface t(100, 30);
    t.c().brush().setStyle(bsClear);
    t.c().textOut(5, 5, "Hello");
    EXPECT_EQ(t.countOf(clYellow), 0);
    EXPECT_GT(t.countOf(clWhite), 100 * 30 - 400);
}

TEST(Canvas, DrawTextWrapsAlignsAndMeasures) {
    Surface s(200, 100);
    s.c().brush().setStyle(bsClear);
    const int lineH = s.c().textHeight("X");
    TRect calc{0, 0, 60, 0};
    const int h = s.c().drawText("one two three four five six", calc, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_GE(h, 3 * lineH);
    EXPECT_EQ(calc.bottom, h);
    EXPECT_LE(calc.right, 60 + 1);
    EXPECT_EQ(s.countOf(clBlack), 0) << "calculating draws nothing";

    TRect single{0, 0, 0, 0};
    EXPECT_EQ(s.c().drawText("a\r\nb\nc", single, DT_CALCRECT), 3 * lineH);
    TRect prefixed{0, 0, 0, 0};
    s.c().drawText("&File", prefixed, DT_CALCRECT);
    EXPECT_EQ(prefixed.right, s.c().textWidth("File"));
    TRect literal{0, 0, 0, 0};
    s.c().drawText("&File", literal, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(literal.right, s.c().textWidth("&File"));

    TRect right{0, 0, 200, 20};
    s.c().drawText("Right", right, DT_RIGHT | DT_SINGLELINE);
    int leftInk = 0, rightInk = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x)
            if (s.at(x, y) != clWhite) (x < 100 ? leftInk : rightInk)++;
    EXPECT_EQ(leftInk, 0);
    EXPECT_GT(rightInk, 0);

    TRect tabs{0, 0, 0, 0};
    s.c().drawText("a\tb", tabs, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_GT(tabs.right, s.c().textWidth("a    b"));
}

TEST(Canvas, StretchIsNearestNeighbour) {
    TBitmap two;
    two.setSize(2, 1);
    two.canvas().setPixel(0, 0, clRed);
    two.canvas().setPixel(1, 0, clBlue);
    Surface s(10, 4);
    s.c().stretchDraw({0, 0, 10, 4}, two);
    for (int y = 0; y < 4; ++y) {
        EXPECT_EQ(s.at(4, y), clRed);
        EXPECT_EQ(s.at(5, y), clBlue);
    }
    Surface d(6, 6);
    d.c().draw(2, 3, two);
    EXPECT_EQ(d.at(2, 3), clRed);
    EXPECT_EQ(d.at(3, 3), clBlue);
    EXPECT_EQ(d.at(4, 3), clWhite);
}

TEST(Canvas, CopyRectCopiesAndTransparentBitmapsSkipTheirKeyColour) {
    Surface src(4, 4);
    src.c().brush().setColor(clGreen);
    src.c().fillRect({0, 0, 2, 2});
    Surface dst(8, 8);
    dst.c().copyRect({4, 4, 8, 8}, src.c(), {0, 0, 2, 2});
    EXPECT_EQ(dst.at(4, 4), clGreen);
    EXPECT_EQ(dst.at(7, 7), clGreen);
    EXPECT_EQ(dst.at(3, 3), clWhite);

    TBitmap keyed;
    keyed.setSize(2, 2);
    keyed.canvas().brush().setColor(clFuchsia);
    keyed.canvas().fillRect({0, 0, 2, 2});
    keyed.canvas().setPixel(1, 0, clNavy);
    keyed.setTransparent(true);  // key = bottom-left pixel, fuchsia
    Surface t(2, 2);
    t.c().draw(0, 0, keyed);
    EXPECT_EQ(t.at(0, 0), clWhite);
    EXPECT_EQ(t.at(1, 0), clNavy);
}

TEST(Canvas, PenModesCombineWithWhatIsThere) {
    Surface s(10, 10);
    s.c().brush().setColor(clRed);
    s.c().fillRect({0, 0, 5, 10});
    s.c().pen().setMode(pmNot);
    s.c().moveTo(0, 2);
    s.c().lineTo(10, 2);
    EXPECT_EQ(s.at(1, 2), clAqua) << "not red is cyan";
    EXPECT_EQ(s.at(7, 2), clBlack) << "not white is black";
    EXPECT_EQ(s.bmp.image()->pixel(1, 2) >> 24, 0xFFu) << "pixels stay opaque";
    // Drawing the same line again in xor mode restores the background: the rubber band.
    s.c().pen().setMode(pmXor);
    s.c().pen().setColor(clWhite);
    s.c().moveTo(0, 5);
    s.c().lineTo(10, 5);
    s.c().moveTo(0, 5);
    s.c().lineTo(10, 5);
    EXPECT_EQ(s.at(1, 5), clRed);
    EXPECT_EQ(s.at(7, 5), clWhite);
    s.c().pen().setMode(pmNop);
    s.c().rectangle(0, 0, 10, 10);
    EXPECT_EQ(s.at(0, 0), clRed);
}
