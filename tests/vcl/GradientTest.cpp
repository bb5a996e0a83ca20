// The gradient: its colour table and every style's pattern checked against pixels computed
// here from the formulas, the stretch over the control, and when the pattern is rebuilt.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "vcl/Gradient.h"
#include "vcl/Graphic.h"

using namespace vcl;

namespace {

// Rounded multiply-and-divide, computed in floating point with halves away from zero.
int refMulDiv(int a, int b, int c) {
    const double q = static_cast<double>(a) * b / c;
    return static_cast<int>(q < 0 ? -std::floor(-q + 0.5) : std::floor(q + 0.5));
}

struct Rgb {
    int r, g, b;
};

Rgb split(TColor c) { return {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF}; }

// One channel of the table exactly as the formulas read, one entry at a time.
int refEntry(int c1, int c2, int shift, int rotation, int i) {
    if (shift > 0) c1 += refMulDiv(c2 - c1, shift, 100);
    if (shift < 0) c2 += refMulDiv(c2 - c1, shift, 100);
    const int d = c2 - c1, r = refMulDiv(255, rotation, 100);
    // Division truncating toward zero, spelled out.
    auto div = [](int n, int m) {
        return (n < 0) != (m < 0) ? -(std::abs(n) / std::abs(m)) : std::abs(n) / std::abs(m);
    };
    if (r == 0) return c1 + div(d * i, 255);
    if (r > 0) {
        const int p = 255 - r;
        return i < p ? c1 + div(d * i, p) : c1 + div(d * (255 - i), r);
    }
    const int q = -r;
    return i <= q ? c2 - div(d * i, q) : c2 - div(d * (255 - i), 255 - q);
}

uint32_t refTableArgb(TColor c1, TColor c2, int shift, int rotation, int i) {
    const Rgb a = split(c1), b = split(c2);
    const int r = refEntry(a.r, b.r, shift, rotation, i), g = refEntry(a.g, b.g, shift, rotation, i),
              bl = refEntry(a.b, b.b, shift, rotation, i);
    return 0xFF000000u | static_cast<uint32_t>(r << 16 | g << 8 | bl);
}

struct RefStyle {
    int w, h;
    std::function<int(int, int)> index;
};

int mir(int i) { return i <= 180 ? 180 - i : i - 181; }
int dist(int a, int b) { return static_cast<int>(std::floor(std::hypot(double(a), double(b)) + 0.5)); }

RefStyle refStyle(int s) {
    switch (s) {
    case 1: return {362, 362, [](int x, int y) { return dist(mir(x), mir(y)); }};
    case 2: return {362, 181, [](int x, int y) { return dist(mir(x), y); }};
    case 3: return {362, 181, [](int x, int y) { return dist(mir(x), 180 - y); }};
    case 4: return {181, 362, [](int x, int y) { return dist(x, mir(y)); }};
    case 5: return {181, 362, [](int x, int y) { return dist(180 - x, mir(y)); }};
    case 6: return {181, 181, [](int x, int y) { return dist(x, y); }};
    case 7: return {181, 181, [](int x, int y) { return dist(180 - x, y); }};
    case 8: return {181, 181, [](int x, int y) { return dist(x, 180 - y); }};
    case 9: return {181, 181, [](int x, int y) { return dist(180 - x, 180 - y); }};
    case 10: return {1, 256, [](int, int y) { return y; }};
    case 11: return {256, 1, [](int x, int) { return x; }};
    case 12: return {1, 512, [](int, int y) { return y < 256 ? 255 - y : y - 256; }};
    case 13: return {512, 1, [](int x, int) { return x < 256 ? 255 - x : x - 256; }};
    case 14: return {128, 129, [](int x, int y) { return y - x + 127; }};
    case 15: return {128, 129, [](int x, int y) { return x + y; }};
    case 16: return {256, 256, [](int x, int y) { return std::abs(x - y); }};
    case 17: return {256, 256, [](int x, int y) { return std::abs(x + y - 255); }};
    case 18: return {129, 256, [](int x, int y) { return y < 128 ? 255 - x - y : y - x; }};
    case 19: return {129, 256, [](int x, int y) { return y < 128 ? x - y + 127 : x + y - 128; }};
    case 20: return {256, 129, [](int x, int y) { return x < 128 ? 255 - x - y : x - y; }};
    case 21: return {256, 129, [](int x, int y) { return x < 128 ? y - x + 127 : x + y - 128; }};
    case 22:
        return {256, 256, [](int x, int y) {
                    if (x < 128 && y < 128) return 255 - x - y;
                    if (x >= 128 && y < 128) return x - y;
                    if (x < 128) return y - x;
                    return x + y - 255;
                }};
    default:
        return {256, 256, [](int x, int y) {
                    if (x < 128 && y < 128) return x - y + 128;
                    if (x >= 128 && y < 128) return 383 - x - y;
                    if (x < 128) return x + y - 128;
                    return y - x + 128;
                }};
    }
}

const TColor kBegin = 0x204080, kEnd = 0xF0C010;

TEST(GradientTable, MatchesTheFormulasForShiftsAndRotations) {
    const int values[] = {0, 1, 33, 50, 99, 100, -1, -37, -50, -100};
    for (int shift : values)
        for (int rotation : values) {
            const TGradientColors t = gradientTable(kBegin, kEnd, shift, rotation);
            for (int i = 0; i < 256; ++i) {
                const GradientColor& c = t[static_cast<size_t>(i)];
                const uint32_t got = 0xFF000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b;
                ASSERT_EQ(got, refTableArgb(kBegin, kEnd, shift, rotation, i))
                    << "shift " << shift << " rotation " << rotation << " entry " << i;
            }
        }
}

TEST(GradientTable, RotationFiftyTurnsAtEntry127AndShiftHundredIsOneColour) {
    const TGradientColors t = gradientTable(clBlack, clWhite, 0, 50);
    EXPECT_EQ(t[127], (GradientColor{255, 255, 255})) << "r = 128 (rounded), so p = 127";
    EXPECT_EQ(t[255], (GradientColor{0, 0, 0}));
    EXPECT_LT(t[126].r, 255);
    for (const GradientColor& c : gradientTable(kBegin, kEnd, 100, 0))
        ASSERT_EQ(c, (GradientColor{0xF0, 0xC0, 0x10})) << "blue, green, red of the end colour";
    for (const GradientColor& c : gradientTable(kBegin, kEnd, -100, 0))
        ASSERT_EQ(c, (GradientColor{0x20, 0x40, 0x80}));
}

TEST(GradientPattern, EveryStyleMatchesItsIndependentLayout) {
    const TGradientColors t = gradientTable(kBegin, kEnd, 10, -30);
    for (int s = 1; s <= 23; ++s) {
        const RefStyle ref = refStyle(s);
        const pictures::Image img = gradientPattern(static_cast<TGradientStyle>(s), t);
        ASSERT_EQ(img.width, ref.w) << "style " << s;
        ASSERT_EQ(img.height, ref.h) << "style " << s;
        for (int y = 0; y < ref.h; ++y)
            for (int x = 0; x < ref.w; ++x) {
                const int i = ref.index(x, y);
                ASSERT_TRUE(i >= 0 && i <= 255) << "style " << s << " leaves the table at " << x << "," << y;
                ASSERT_EQ(img.pixel(x, y), refTableArgb(kBegin, kEnd, 10, -30, i))
                    << "style " << s << " pixel " << x << "," << y;
            }
    }
}

TEST(Gradient, DefaultsShowWhiteCentreFadingToButtonFace) {
    TGradient g(nullptr);
    EXPECT_EQ(g.style(), gsRadialC);
    const pictures::Image out = g.render();
    ASSERT_EQ(out.width, 100);
    EXPECT_EQ(out.pixel(50, 50), 0xFFFFFFFFu) << "the pattern's centre lands at the control's centre";
    EXPECT_NE(out.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(out.pixel(0, 0), colorToArgb(clBtnFace)) << "the corners reach the table's last entry";
}

TEST(Gradient, PaintingStretchesThePatternByNearestNeighbour) {
    TGradient g(nullptr);
    g.setColorBegin(clBlack);
    g.setColorEnd(clWhite);
    g.setStyle(gsLinearV);  // 256 x 1: entry x across
    g.setBounds(0, 0, 100, 3);
    const pictures::Image out = g.render();
    const TGradientColors t = gradientTable(clBlack, clWhite, 0, 0);
    for (int x = 0; x < 100; ++x) {
        const GradientColor c = t[static_cast<size_t>(x * 256 / 100)];
        EXPECT_EQ(out.pixel(x, 2), 0xFF000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b) << x;
    }
}

TEST(Gradient, ShiftAndRotationAreReadAsSignedBytesThenClamped) {
    TGradient g(nullptr);
    g.setShift(120);
    EXPECT_EQ(g.shift(), 100);
    g.setShift(-128);
    EXPECT_EQ(g.shift(), -100);
    g.setShift(150);
    EXPECT_EQ(g.shift(), -100) << "150 is -106 as a signed byte";
    g.setRotation(300);
    EXPECT_EQ(g.rotation(), 44);
}

TEST(Gradient, CustomWithoutHandlerIsACheckerAndWithOneDrawsItsOwn) {
    TGradient g(nullptr);
    g.setColorBegin(clRed);
    g.setColorEnd(clBlue);
    g.setReverse(true);
    g.setStyle(gsCustom);
    const pictures::Image& p = const_cast<TBitmap&>(g.pattern()).pixels();
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(p.pixel(0, 0), colorToArgb(clBlue)) << "reversed: C1 is the end colour";
    EXPECT_EQ(p.pixel(1, 1), colorToArgb(clBlue));
    EXPECT_EQ(p.pixel(1, 0), colorToArgb(clRed));
    EXPECT_EQ(p.pixel(0, 1), colorToArgb(clRed));

    int seen = -1;
    g.onCustom = classes::TMethod(&seen, nullptr, [&](std::span<const classes::EventArg> args) {
        EXPECT_EQ(std::get<classes::TObject*>(args[0]), &g);
        seen = customGradientColors(args)[0].b;
        auto* pattern = static_cast<TBitmap*>(std::get<classes::TObject*>(args[2]));
        pattern->pixels() = pictures::Image(3, 1, 0xFF010203u);
    });
    g.invalidatePattern();
    EXPECT_EQ(seen, 0xFF) << "the handler gets the table from the blue begin colour";
    EXPECT_EQ(g.render().pixel(99, 99), 0xFF010203u);
}

TEST(Gradient, RebuildsOnlyOnRealChangesAndOnceAfterTheLock) {
    TGradient g(nullptr);
    const int built = g.patternBuilds();
    g.setColorBegin(clWhite);
    g.setStyle(gsRadialC);
    g.setShift(0);
    EXPECT_EQ(g.patternBuilds(), built) << "unchanged writes rebuild nothing";
    g.setBounds(0, 0, 300, 40);
    (void)g.render();
    EXPECT_EQ(g.patternBuilds(), built) << "resizing and painting only stretch";

    g.beginUpdate();
    g.setColorBegin(clRed);
    g.setStyle(gsDiamond);
    g.setRotation(20);
    EXPECT_EQ(g.patternBuilds(), built);
    g.endUpdate();
    EXPECT_EQ(g.patternBuilds(), built + 1);

    g.endUpdate();  // unmatched: the lock goes to -1
    g.setStyle(gsButterfly);
    EXPECT_EQ(g.patternBuilds(), built + 1) << "suspended until the lock is back at 0";
    g.beginUpdate();
    EXPECT_EQ(g.patternBuilds(), built + 1) << "reaching 0 by BeginUpdate does not build";
    g.invalidatePattern();
    EXPECT_EQ(g.patternBuilds(), built + 2);
    EXPECT_EQ(g.pattern().width(), 256);
}

}  // namespace
