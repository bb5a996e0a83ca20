// The transition effects, driven by hand through a picture show: the frames at progress
// 0, 25, 50, 75 and 100 are compared with frames a slow per-pixel reference builds here
// from the geometry of each effect.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "vcl/Graphic.h"
#include "vcl/PicShow.h"
#include "vcl/PicShowEffects.h"
#include "vcl/Picture.h"

using namespace vcl;

namespace {

int rmd(int a, int b, int c) {
    const double q = static_cast<double>(a) * b / c;
    return static_cast<int>(q < 0 ? -std::floor(-q + 0.5) : std::floor(q + 0.5));
}

struct Geo {
    int W, H, X, Y, Z;
};

Geo geo(int W, int H, int P, int step) {
    Geo g{W, H, 0, 0, rmd(std::max(W, H), step, 90)};
    if (W >= H) {
        g.X = rmd(W, P, 100);
        g.Y = rmd(g.X, H, W);
    } else {
        g.Y = rmd(H, P, 100);
        g.X = rmd(g.Y, W, H);
    }
    return g;
}

// Where a pixel of the frame comes from.
struct Src {
    enum Kind { Keep, New, Old } kind = Keep;
    int x = 0, y = 0;
};
Src keep() { return {}; }
Src fromNew(int x, int y) { return {Src::New, x, y}; }
Src fromOld(int x, int y) { return {Src::Old, x, y}; }

// A shape along one axis of length L with amount A: the source index for index c, if any.
using Shape = std::function<std::optional<int>(int c, int L, int A, int Z)>;

std::optional<int> none() { return std::nullopt; }

const std::map<std::string, Shape>& shapes() {
    static const std::map<std::string, Shape> s = {
        {"expand", [](int c, int L, int A, int) { return c < A ? std::optional(c * L / A) : none(); }},
        {"slide", [](int c, int L, int A, int) { return c < A ? std::optional(L - A + c) : none(); }},
        {"reveal", [](int c, int, int A, int) { return c < A ? std::optional(c) : none(); }},
        {"expandIn", [](int c, int L, int A, int) { return A > 0 ? std::optional(c * A / L) : none(); }},
        {"expandInMiddle",
         [](int c, int L, int A, int) { return A > 0 ? std::optional((L - A) / 2 + c * A / L) : none(); }},
        {"expandOutMiddle",
         [](int c, int L, int A, int) {
             const int d0 = (L - A) / 2;
             return c >= d0 && c < d0 + A ? std::optional((c - d0) * L / A) : none();
         }},
        {"revealOutMiddle",
         [](int c, int L, int A, int) {
             const int d0 = (L - A) / 2;
             return c >= d0 && c < d0 + A ? std::optional(c) : none();
         }},
        {"revealSides",
         [](int c, int L, int A, int) { return c < A / 2 || c >= L - A / 2 ? std::optional(c) : none(); }},
        {"expandSides",
         [](int c, int L, int A, int) {
             if (c < A / 2) return std::optional(c * (L / 2) / (A / 2));
             if (c >= L - A / 2) return std::optional(L / 2 + (c - (L - A / 2)) * (L - L / 2) / (A / 2));
             return none();
         }},
        {"slideSides",
         [](int c, int L, int A, int) {
             if (c < A / 2) return std::optional(L / 2 - A / 2 + c);
             if (c >= L - A / 2) return std::optional(L / 2 + c - (L - A / 2));
             return none();
         }},
        // Columns below A in place; a strip of r beyond shows the columns from R = A + r
        // up to 2R - A, mirrored.
        {"unroll",
         [](int c, int L, int A, int) {
             if (c < A) return std::optional(c);
             const int r = A < L / 5 ? A / 2 : A + L / 5 > L ? (L - A) / 2 : L / 10;
             const int R = A + r;
             if (c < R) return std::optional(std::min(2 * R - 1 - c, L - 1));
             return none();
         }},
        // Columns below A in place, and the next L div Z columns stretched over the rest.
        {"buildUp",
         [](int c, int L, int A, int Z) {
             if (c < A) return std::optional(c);
             const int strip = std::min(A + std::max(1, L / std::max(Z, 1)), L) - A;
             return std::optional(A + (c - A) * strip / (L - A));
         }},
        {"contract",
         [](int c, int L, int A, int) { return A > 0 ? std::optional(c * A / (2 * L - A)) : none(); }},
        {"contractMiddle",
         [](int c, int L, int A, int) {
             const int span = 2 * L - A, d0 = (L - span) / 2;
             return A > 0 ? std::optional((L - A) / 2 + (c - d0) * A / span) : none();
         }},
    };
    return s;
}

// An axis shape, read from the far end when mirrored.
std::optional<int> along(const std::string& shape, bool mirrored, int c, int L, int A, int Z) {
    const Shape& f = shapes().at(shape);
    if (!mirrored) return f(c, L, A, Z);
    const std::optional<int> v = f(L - 1 - c, L, A, Z);
    return v ? std::optional(L - 1 - *v) : none();
}

using Ref = std::function<Src(int x, int y, const Geo& g, int P)>;

Ref horizontal(const std::string& s, bool mirrored) {
    return [=](int x, int y, const Geo& g, int) {
        const auto c = along(s, mirrored, x, g.W, g.X, g.Z);
        return c ? fromNew(*c, y) : keep();
    };
}
Ref vertical(const std::string& s, bool mirrored) {
    return [=](int x, int y, const Geo& g, int) {
        const auto c = along(s, mirrored, y, g.H, g.Y, g.Z);
        return c ? fromNew(x, *c) : keep();
    };
}
Ref box(const std::string& s, bool mx, bool my) {
    return [=](int x, int y, const Geo& g, int) {
        const auto cx = along(s, mx, x, g.W, g.X, g.Z), cy = along(s, my, y, g.H, g.Y, g.Z);
        return cx && cy ? fromNew(*cx, *cy) : keep();
    };
}

// Pixel centres inside a rounded rectangle, in doubled coordinates.
bool inRoundRect(int x, int y, int64_t l, int64_t t, int64_t r, int64_t b, int64_t ew, int64_t eh) {
    ew = std::clamp<int64_t>(ew, 0, r - l), eh = std::clamp<int64_t>(eh, 0, b - t);
    const int64_t px = 2 * x + 1, py = 2 * y + 1;
    if (px < 2 * l || px > 2 * r || py < 2 * t || py > 2 * b) return false;
    if (ew == 0 || eh == 0) return true;
    const int64_t cxl = 2 * l + ew, cxr = 2 * r - ew, cyt = 2 * t + eh, cyb = 2 * b - eh;
    const int64_t dx = px < cxl ? px - cxl : px > cxr ? px - cxr : 0;
    const int64_t dy = py < cyt ? py - cyt : py > cyb ? py - cyb : 0;
    // (dx / ew)^2 + (dy / eh)^2 <= 1
    return (dx * eh) * (dx * eh) + (dy * ew) * (dy * ew) <= (ew * eh) * (ew * eh);
}

// Bands five pixels across: the even ones first, over 2A (all of L within Z of the end),
// then the odd ones over 2A - L.
int barReach(int band, int L, int A, int Z) {
    const bool even = band % 2 == 0;
    if (2 * A <= L) return even ? (L - 2 * A < Z ? L : 2 * A) : 0;
    return even ? L : 2 * A - L;
}
int barReach(int band, const Geo& g) { return barReach(band, g.W, g.X, g.Z); }

// A reference seen in a mirror: left and right (or top and bottom) swapped, in the frame
// and in the pictures it reads.
Ref mirroredX(Ref r) {
    return [r](int x, int y, const Geo& g, int P) {
        Src s = r(g.W - 1 - x, y, g, P);
        if (s.kind != Src::Keep) s.x = g.W - 1 - s.x;
        return s;
    };
}
Ref mirroredY(Ref r) {
    return [r](int x, int y, const Geo& g, int P) {
        Src s = r(x, g.H - 1 - y, g, P);
        if (s.kind != Src::Keep) s.y = g.H - 1 - s.y;
        return s;
    };
}
// The same frame with rows and columns exchanged: a horizontal effect made vertical.
Ref transposed(Ref r) {
    return [r](int x, int y, const Geo& g, int P) {
        const Geo t{g.H, g.W, g.Y, g.X, g.Z};
        Src s = r(y, x, t, P);
        std::swap(s.x, s.y);
        return s;
    };
}
Ref where(std::function<bool(int x, int y, const Geo& g, int P)> shown) {
    return [shown](int x, int y, const Geo& g, int P) { return shown(x, y, g, P) ? fromNew(x, y) : keep(); };
}

uint32_t lcgSeedNext(uint32_t& seed, int n) {
    seed = seed * 134775813u + 1u;
    return static_cast<uint32_t>((static_cast<uint64_t>(seed) * static_cast<uint64_t>(n)) >> 32);
}

// Curved reveals sweep a rounded edge in from a side or a corner; bars come in as bands five
// pixels across; criss-crosses grow strips from the named sides at once.
void addCurvesBarsAndCrosses(std::map<int, Ref>& m) {
    m[59] = mirroredX(m.at(58));
    m[69] = transposed(m.at(58));
    m[70] = mirroredY(m.at(69));
    m[80] = where([](int x, int y, const Geo& g, int) {
        return inRoundRect(x, y, -2 * g.W, -2 * g.H, 2 * g.X, 2 * g.Y, 2 * g.W, 2 * g.H);
    });
    m[81] = mirroredX(m.at(80));
    m[82] = mirroredY(m.at(80));
    m[83] = mirroredX(mirroredY(m.at(80)));
    // The reverse of 84: the clip is the one 84 uses at 100 - P, and the new picture lies outside it.
    m[85] = where([](int x, int y, const Geo& g, int P) {
        const Geo r = geo(g.W, g.H, 100 - P, 1);
        const int cx = g.W / 2, cy = g.H / 2;
        return !inRoundRect(x, y, cx - r.X, cy - r.Y, cx + r.X, cy + r.Y, 9 * r.X / 5, 9 * r.Y / 5);
    });

    // Even bands from one side, then odd bands from the same or the other side.
    const auto bars = [](bool evenFromEnd, bool oddFromEnd) {
        return where([=](int x, int y, const Geo& g, int) {
            const int band = y / 5, reach = barReach(band, g);
            return (band % 2 == 0 ? evenFromEnd : oddFromEnd) ? x >= g.W - reach : x < reach;
        });
    };
    m[62] = bars(false, true);
    m[63] = bars(true, false);
    m[64] =
        where([](int x, int y, const Geo& g, int) { return (y / 5) % 2 == 0 ? x < g.X : x >= g.W - g.X; });
    m[71] = transposed(m.at(60));
    m[72] = transposed(m.at(61));
    m[73] = transposed(m.at(62));
    m[74] = transposed(m.at(63));
    m[75] = transposed(m.at(64));

    m[87] = where([](int x, int y, const Geo& g, int) { return x >= g.W - g.X || y < g.Y; });
    m[88] = where([](int x, int y, const Geo& g, int) { return x < g.X || y >= g.H - g.Y; });
    // Two opposite sides come in as interleaved bands, as in 98; the third as one strip.
    const auto rowBands = [](int x, int y, const Geo& g) {
        return (y / 5) % 2 == 0 ? x < g.X : x >= g.W - g.X;
    };
    const auto columnBands = [](int x, int y, const Geo& g) {
        return (x / 5) % 2 == 0 ? y < g.Y : y >= g.H - g.Y;
    };
    m[94] = where([=](int x, int y, const Geo& g, int) { return x >= g.W - g.X || columnBands(x, y, g); });
    m[95] = where([=](int x, int y, const Geo& g, int) { return x < g.X || columnBands(x, y, g); });
    m[96] = where([=](int x, int y, const Geo& g, int) { return y >= g.H - g.Y || rowBands(x, y, g); });
    m[97] = where([=](int x, int y, const Geo& g, int) { return y < g.Y || rowBands(x, y, g); });
    m[99] = where([](int x, int y, const Geo& g, int) {
        const bool row = (y / 5) % 2 == 0 ? x < g.X : x >= g.W - g.X;
        const bool col = (x / 5) % 2 == 0 ? y >= g.H - g.Y : y < g.Y;
        return row || col;
    });

    // A bounce is a bars-then-bars effect along both axes at once: the even bands cross from
    // the named side, then the odd ones come back from the other, rows along x and columns
    // along y.
    const auto bounce = [](bool rowsFromRight, bool colsFromBottom) {
        return where([=](int x, int y, const Geo& g, int) {
            const int rowBand = y / 5, colBand = x / 5;
            const int rowReach = barReach(rowBand, g.W, g.X, g.Z),
                      colReach = barReach(colBand, g.H, g.Y, g.Z);
            const bool rowFromEnd = (rowBand % 2 == 0) == rowsFromRight;
            const bool colFromEnd = (colBand % 2 == 0) == colsFromBottom;
            const bool row = rowFromEnd ? x >= g.W - rowReach : x < rowReach;
            const bool col = colFromEnd ? y >= g.H - colReach : y < colReach;
            return row || col;
        });
    };
    m[90] = bounce(false, false);
    m[91] = bounce(false, true);
    m[92] = bounce(true, false);
    m[93] = bounce(true, true);
}

// Diagonal reveals, pushes that squeeze the old picture, and the pivots.
void addDiagonalsPushesAndPivots(std::map<int, Ref>& m) {
    m[111] = mirroredX(m.at(110));
    m[112] = mirroredY(m.at(110));
    m[131] = mirroredX(m.at(130));
    m[133] = mirroredY(m.at(132));
    m[134] = [](int x, int y, const Geo& g, int) {
        return y < g.Y ? fromNew(x, g.H - g.Y + y) : fromOld(x, (y - g.Y) * g.H / (g.H - g.Y));
    };
    m[135] = mirroredY(m.at(134));

    // The picture turned about its top-left corner, a quarter turn at 0 and none at 100;
    // every frame pixel looks up its source through the inverse turn in 16.16 fixed point.
    m[119] = [](int x, int y, const Geo& g, int P) {
        const double a = (100 - P) * M_PI / 200;
        const int64_t s = std::llround(std::sin(a) * 65536), c = std::llround(std::cos(a) * 65536);
        const int64_t sx = (x * c + y * s) >> 16, sy = (y * c - x * s) >> 16;
        return sx >= 0 && sx < g.W && sy >= 0 && sy < g.H ? fromNew(int(sx), int(sy)) : keep();
    };
    m[120] = mirroredY(m.at(119));
    m[121] = mirroredX(m.at(119));
    m[122] = mirroredX(mirroredY(m.at(119)));
}

// How far a pixel centre lies round from the direction (ax, ay), seen from the picture's
// centre, in turns (0 up to 1) clockwise on the screen or anticlockwise.
long double turnsFrom(int ax, int ay, int x, int y, int W, int H, bool clockwise) {
    const int64_t px = 2 * x + 1 - W, py = 2 * y + 1 - H;
    const int64_t cross = ax * py - ay * px, dot = ax * px + ay * py;
    const long double a =
        std::atan2(static_cast<long double>(clockwise ? cross : -cross), static_cast<long double>(dot));
    const long double t = a / (2 * static_cast<long double>(M_PIl));
    return t < 0 ? t + 1 : t;
}

// Sweeps turn `blades` hands about the centre at an even angular pace, each over its own
// 1 / blades of the turn, the first starting in the direction `start` gives; rotations turn
// the picture's shapes back to upright as the pivots do.
void addSweepsAndRotations(std::map<int, Ref>& m) {
    using Dir = std::pair<int, int>;
    const auto sweep = [](int blades, bool clockwise, std::function<Dir(const Geo&)> start) {
        return where([=](int x, int y, const Geo& g, int P) {
            if (2 * x + 1 == g.W && 2 * y + 1 == g.H) return true;  // the hub turns with every blade
            const auto [ax, ay] = start(g);
            long double t = turnsFrom(ax, ay, x, y, g.W, g.H, clockwise) * blades;
            t -= std::floor(t);
            return t < P / 100.0L;
        });
    };
    const auto noon = [](const Geo&) { return Dir{0, -1}; };
    // The diagonal through the top-left and bottom-right corners, taken at its top-left end.
    const auto diagonal = [](const Geo& g) { return Dir{-g.W, -g.H}; };
    m[143] = sweep(1, true, noon);
    m[144] = sweep(1, false, noon);
    m[114] = sweep(2, false, diagonal);
    m[115] = sweep(2, true, diagonal);
    m[116] = sweep(8, true, noon);

    // A centred X by Y rectangle, a quarter turn off upright at 0 and upright at 100, turned
    // the way the pivots turn; pixel centres in doubled offsets against the 16.16 turn.
    m[149] = where([](int x, int y, const Geo& g, int P) {
        const double a = (100 - P) * M_PI / 200;
        const int64_t s = std::llround(std::sin(a) * 65536), c = std::llround(std::cos(a) * 65536);
        const int64_t dx = 2 * x + 1 - g.W, dy = 2 * y + 1 - g.H;
        return std::abs(dx * c + dy * s) <= int64_t{g.X} * 65536 &&
               std::abs(dy * c - dx * s) <= int64_t{g.Y} * 65536;
    });
}

const std::map<int, Ref>& references() {
    static const std::map<int, Ref> r = [] {
        std::map<int, Ref> m;
        const std::pair<int, std::pair<const char*, bool>> axis[] = {
            {1, {"expand", true}},
            {2, {"expand", false}},
            {3, {"slide", true}},
            {4, {"slide", false}},
            {5, {"reveal", false}},
            {6, {"reveal", true}},
            {7, {"expandIn", true}},
            {8, {"expandIn", false}},
            {9, {"expandInMiddle", false}},
            {10, {"expandOutMiddle", false}},
            {11, {"revealOutMiddle", false}},
            {12, {"revealSides", false}},
            {13, {"expandSides", false}},
            {14, {"unroll", false}},
            {15, {"unroll", true}},
            {16, {"buildUp", false}},
            {17, {"buildUp", true}},
        };
        for (const auto& [n, s] : axis) m[n] = horizontal(s.first, s.second);
        const std::pair<int, std::pair<const char*, bool>> vert[] = {
            {18, {"expand", true}},
            {19, {"expand", false}},
            {20, {"slide", true}},
            {21, {"slide", false}},
            {22, {"reveal", false}},
            {23, {"reveal", true}},
            {24, {"expandIn", true}},
            {25, {"expandIn", false}},
            {26, {"expandInMiddle", false}},
            {27, {"expandOutMiddle", false}},
            {28, {"revealOutMiddle", false}},
            {29, {"slideSides", false}},
            {30, {"expandSides", false}},
            {31, {"unroll", false}},
            {32, {"unroll", true}},
            {33, {"expand", true}},
            {34, {"expandIn", false}},
        };
        for (const auto& [n, s] : vert) m[n] = vertical(s.first, s.second);
        const char* corners[] = {"expand", "slide"};
        for (int i = 0; i < 2; ++i) {
            m[35 + 4 * i] = box(corners[i], true, true);
            m[36 + 4 * i] = box(corners[i], true, false);
            m[37 + 4 * i] = box(corners[i], false, false);
            m[38 + 4 * i] = box(corners[i], false, true);
        }
        m[43] = box("reveal", false, false);
        m[44] = box("reveal", false, true);
        m[45] = box("reveal", true, true);
        m[46] = box("reveal", true, false);
        m[47] = box("contract", false, false);
        m[48] = box("contract", false, true);
        m[49] = box("contract", true, true);
        m[50] = box("contract", true, false);
        m[51] = box("contractMiddle", false, false);
        m[52] = box("expandOutMiddle", false, false);
        m[53] = box("revealOutMiddle", false, false);
        m[54] = [](int x, int y, const Geo& g, int) {
            const int hw = g.W - g.X, hh = g.H - g.Y, l = (g.W - hw) / 2, t = (g.H - hh) / 2;
            return x >= l && x < l + hw && y >= t && y < t + hh ? keep() : fromNew(x, y);
        };
        m[55] = box("revealSides", false, false);
        m[56] = box("expandSides", false, false);
        m[57] = box("slideSides", false, false);
        m[58] = [](int x, int y, const Geo& g, int) {
            return inRoundRect(x, y, -2 * g.W, -5, 2 * g.X, g.H + 5, 2 * g.W, 2 * g.W) ? fromNew(x, y)
                                                                                       : keep();
        };
        m[60] = [](int x, int y, const Geo& g, int) {
            return x >= g.W - barReach(y / 5, g) ? fromNew(x, y) : keep();
        };
        m[61] = [](int x, int y, const Geo& g, int) {
            return x < barReach(y / 5, g) ? fromNew(x, y) : keep();
        };
        m[84] = [](int x, int y, const Geo& g, int) {
            const int cx = g.W / 2, cy = g.H / 2;
            return inRoundRect(x, y, cx - g.X, cy - g.Y, cx + g.X, cy + g.Y, 9 * g.X / 5, 9 * g.Y / 5)
                       ? fromNew(x, y)
                       : keep();
        };
        m[110] = [](int x, int y, const Geo& g, int) { return x + y < g.X + g.Y ? fromNew(x, y) : keep(); };
        m[113] = [](int x, int y, const Geo& g, int) {
            return (g.W - 1 - x) + (g.H - 1 - y) < g.X + g.Y ? fromNew(x, y) : keep();
        };
        m[127] = [](int x, int y, const Geo& g, int P) {
            // The generator restarts from W * H for every frame, cells row by row.
            const int d = std::max(1, g.Z <= 1 ? g.Z : g.Z / 2);
            uint32_t seed = static_cast<uint32_t>(g.W * g.H);
            bool shown = false;
            for (int cy = 0; cy < g.H; cy += d)
                for (int cx = 0; cx < g.W; cx += d)
                    if (static_cast<int>(lcgSeedNext(seed, 100)) < P && x >= cx - d && x < cx + d &&
                        y >= cy - d && y < cy + d)
                        shown = true;
            return shown ? fromNew(x, y) : keep();
        };
        m[128] = [](int x, int y, const Geo& g, int) {
            return x < g.X ? fromNew(g.W - g.X + x, y) : fromOld(x - g.X, y);
        };
        m[129] = [](int x, int y, const Geo& g, int) {
            const int mx = g.W - 1 - x;  // the mirror of pushing right
            return mx < g.X ? fromNew(g.W - 1 - (g.W - g.X + mx), y) : fromOld(g.W - 1 - (mx - g.X), y);
        };
        m[130] = [](int x, int y, const Geo& g, int) {
            return x < g.X ? fromNew(g.W - g.X + x, y) : fromOld((x - g.X) * g.W / (g.W - g.X), y);
        };
        m[132] = [](int x, int y, const Geo& g, int) {
            return y < g.Y ? fromNew(x, g.H - g.Y + y) : fromOld(x, y - g.Y);
        };
        m[136] = [](int x, int y, const Geo& g, int P) {
            const int c = std::max(1, g.W / std::max(g.Z, 1));
            return x % c < P * c / 100 ? fromNew(x, y) : keep();
        };
        m[137] = [](int x, int y, const Geo& g, int P) {
            const int c = std::max(1, g.H / std::max(g.Z, 1));
            return y % c < P * c / 100 ? fromNew(x, y) : keep();
        };
        // Criss-cross: bands of five rows grow along x, bands of five columns along y.
        m[86] = [](int x, int y, const Geo& g, int) {
            return x >= g.W - g.X || y >= g.H - g.Y ? fromNew(x, y) : keep();
        };
        m[89] = [](int x, int y, const Geo& g, int) { return x < g.X || y < g.Y ? fromNew(x, y) : keep(); };
        m[98] = [](int x, int y, const Geo& g, int) {
            const bool rowFromLeft = (y / 5) % 2 == 0, colFromTop = (x / 5) % 2 == 0;
            const bool row = rowFromLeft ? x < g.X : x >= g.W - g.X;
            const bool col = colFromTop ? y < g.Y : y >= g.H - g.Y;
            return row || col ? fromNew(x, y) : keep();
        };
        m[118] = [](int x, int y, const Geo&, int) { return Src{Src::Keep, x, y}; };  // blended below
        addCurvesBarsAndCrosses(m);
        addDiagonalsPushesAndPivots(m);
        addSweepsAndRotations(m);
        return m;
    }();
    return r;
}

uint32_t oldPixel(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>((x * 37 + y * 101) * 2654435761u >> 8);
}
uint32_t newPixel(int x, int y) {
    return 0xFF000000u | (static_cast<uint32_t>((x * 59 + y * 13 + 7) * 40503u) & 0xFFFFFFu);
}

pictures::Image makeImage(int w, int h, uint32_t (*f)(int, int)) {
    pictures::Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, f(x, y));
    return img;
}

pictures::Image referenceFrame(int effect, int W, int H, int P, int step) {
    const pictures::Image old = makeImage(W, H, oldPixel), pic = makeImage(W, H, newPixel);
    if (P == 0) return old;
    if (P == 100) return pic;
    pictures::Image out = old;
    const Geo g = geo(W, H, P, step);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            if (effect == 118) {
                uint32_t v = 0xFF000000u;
                for (int sh = 0; sh <= 16; sh += 8) {
                    const uint32_t a = (old.pixel(x, y) >> sh) & 0xFF, b = (pic.pixel(x, y) >> sh) & 0xFF;
                    v |= (a * (100 - P) / 100 + b * P / 100) << sh;
                }
                out.setPixel(x, y, v);
                continue;
            }
            const Src s = references().at(effect)(x, y, g, P);
            if (s.kind == Src::New) out.setPixel(x, y, pic.pixel(s.x, s.y));
            if (s.kind == Src::Old) out.setPixel(x, y, old.pixel(s.x, s.y));
        }
    return out;
}

uint64_t checksum(const pictures::Image& img) {
    uint64_t h = 1469598103934665603ull;
    for (uint32_t p : img.pixels) h = (h ^ (p & 0xFFFFFFu)) * 1099511628211ull;
    return h ^ static_cast<uint64_t>(img.width) << 32 ^ static_cast<uint64_t>(img.height);
}

std::string firstDifference(const pictures::Image& a, const pictures::Image& b) {
    if (a.width != b.width || a.height != b.height) return "sizes differ";
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF))
                return "first difference at " + std::to_string(x) + "," + std::to_string(y);
    return {};
}

// A manual show over a background of the old picture, so its old screen is that picture.
struct ManualShow {
    TPicShow show{nullptr};
    pictures::Image started;
    ManualShow(int W, int H, int effect, int step) {
        TBitmap bg, fg;
        bg.pixels() = makeImage(W, H, oldPixel);
        fg.pixels() = makeImage(W, H, newPixel);
        show.bgPicture()->setGraphic(&bg);
        show.setBgMode(bmStretched);
        show.picture()->setGraphic(&fg);
        show.setManual(true);
        show.setStyle(effect);
        show.setStep(step);
        show.onStart = classes::TMethod(this, nullptr, [this](std::span<const classes::EventArg> args) {
            started = static_cast<TBitmap*>(std::get<classes::TObject*>(args[2]))->pixels();
        });
        show.execute();
    }
};

void checkEffect(int effect, int W, int H, int step) {
    ManualShow m(W, H, effect, step);
    ASSERT_TRUE(m.show.busy());
    ASSERT_EQ(checksum(m.started), checksum(makeImage(W, H, oldPixel))) << "the old screen is the background";
    for (int P : {0, 25, 50, 75, 100}) {
        m.show.setProgress(P);
        const pictures::Image expected = referenceFrame(effect, W, H, P, step);
        const pictures::Image& got = m.show.screenImage();
        EXPECT_EQ(checksum(got), checksum(expected))
            << "effect " << effect << " (" << picshow::effect(effect)->name << ") " << W << "x" << H
            << " step " << step << " at " << P << ": " << firstDifference(got, expected);
    }
    m.show.stop();
}

TEST(PicShowEffects, FramesMatchTheReferenceOnAWidePicture) {
    for (const auto& [effect, ref] : references()) checkEffect(effect, 67, 41, 4);
}

TEST(PicShowEffects, FramesMatchTheReferenceOnATallPictureWithACoarseStep) {
    for (const auto& [effect, ref] : references()) checkEffect(effect, 29, 47, 30);
}

TEST(PicShowEffects, GeometryFollowsTheLongerSide) {
    const picshow::Geometry wide = picshow::geometry(200, 100, 33, 9);
    EXPECT_EQ(wide.x, 66);
    EXPECT_EQ(wide.y, 33);
    EXPECT_EQ(wide.z, 20);
    const picshow::Geometry tall = picshow::geometry(100, 300, 50, 4);
    EXPECT_EQ(tall.y, 150);
    EXPECT_EQ(tall.x, 50);
    EXPECT_EQ(tall.z, 13);
}

TEST(PicShowEffects, TheGeneratorIsTheClassicLinearCongruence) {
    picshow::Lcg lcg(1);
    EXPECT_EQ(lcg.next(100), 3) << "seed 1 becomes 134775814, and 134775814 * 100 >> 32 is 3";
    EXPECT_EQ(lcg.next(100), 86) << "then 134775814 * 134775813 + 1 mod 2^32 = 3698175007";
    uint32_t seed = 12345;
    picshow::Lcg mine(12345);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(mine.next(100), static_cast<int>(lcgSeedNext(seed, 100)));
}

TEST(PicShowEffects, EveryEffectStaysInsideTinyAndOddPictures) {
    // Pattern sizes fall to 0 on small pictures; every effect must still draw a frame.
    for (int n = 1; n <= picshow::kEffectCount; ++n)
        for (const auto& [w, h] : {std::pair{1, 1}, {3, 2}, {2, 7}, {13, 5}})
            for (int p : {1, 50, 99}) {
                pictures::Image screen(w, h, 0xFF000000u), pic(w, h, 0xFFFFFFFFu);
                TRect r{0, 0, w, h};
                picshow::effect(n)->proc(screen, pic, r, p, 1);
                for (uint32_t px : screen.pixels) ASSERT_TRUE(px == 0xFF000000u || px >> 24 == 0xFF) << n;
            }
}

// The effects whose drawing rests on scattered or uneven choices of their own (band shares,
// speckle scatter, slat widths, cells) have no frame to compare with; they are held to what
// their names promise instead. Pixels carry their coordinates, so a pixel of the new picture
// out of place shows.
uint32_t oldAt(int x, int y) {
    return 0xFF000000u | static_cast<uint32_t>(x) << 10 | static_cast<uint32_t>(y);
}
uint32_t newAt(int x, int y) {
    return 0xFF800000u | static_cast<uint32_t>(x) << 10 | static_cast<uint32_t>(y);
}

struct Shown {
    int W = 0, H = 0;
    std::vector<char> on;
    bool at(int x, int y) const { return on[static_cast<size_t>(y * W + x)] != 0; }
    int count() const { return static_cast<int>(std::count(on.begin(), on.end(), 1)); }
    int countIn(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += at(x, y);
        return n;
    }
    bool within(const Shown& o) const {
        for (size_t i = 0; i < on.size(); ++i)
            if (on[i] && !o.on[i]) return false;
        return true;
    }
};

Shown shownAt(int effect, int W, int H, int P, int step = 4) {
    pictures::Image screen = makeImage(W, H, oldAt);
    const pictures::Image pic = makeImage(W, H, newAt);
    TRect r{0, 0, W, H};
    picshow::effect(effect)->proc(screen, pic, r, P, step);
    Shown s{W, H, std::vector<char>(static_cast<size_t>(W * H))};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const uint32_t v = screen.pixel(x, y);
            s.on[static_cast<size_t>(y * W + x)] = v == newAt(x, y);
            EXPECT_TRUE(v == newAt(x, y) || v == oldAt(x, y))
                << "effect " << effect << " at " << P << " moved a pixel to " << x << "," << y;
        }
    return s;
}

constexpr int kProgress[] = {10, 25, 50, 75, 90};

// Frames of one effect at rising progress, each holding all the earlier one showed.
std::vector<Shown> growing(int effect, int W, int H, int step = 4) {
    std::vector<Shown> frames;
    for (int P : kProgress) {
        frames.push_back(shownAt(effect, W, H, P, step));
        if (frames.size() > 1) {
            EXPECT_TRUE(frames[frames.size() - 2].within(frames.back()))
                << "effect " << effect << " hid part of the new picture again at " << P;
        }
    }
    return frames;
}

// Uneven: neither all alike nor rising or falling steadily from one to the next (a steady
// change would be a slanted edge, not a ragged one).
bool ragged(const std::vector<int>& v) {
    bool up = false, down = false;
    for (size_t i = 1; i < v.size(); ++i) up |= v[i] > v[i - 1], down |= v[i] < v[i - 1];
    return up && down;
}

enum class Grow { Start, End, Out, In };

// Whether a line of a band has the shape a shred growing that way leaves: a run from the
// start or the end, a run about the middle, or runs from both ends towards it.
bool runShape(Grow how, const std::vector<char>& line) {
    const int L = static_cast<int>(line.size());
    const auto at = [&](int i) { return line[static_cast<size_t>(i)] != 0; };
    const auto symmetric = [&] {
        for (int i = 0; i < L; ++i)
            if (at(i) != at(L - 1 - i)) return false;
        return true;
    };
    const auto oneRun = [&](bool value) {
        int first = -1, last = -1, n = 0;
        for (int i = 0; i < L; ++i)
            if (at(i) == value) {
                if (first < 0) first = i;
                last = i, ++n;
            }
        return n == 0 || last - first + 1 == n;
    };
    switch (how) {
    case Grow::Start:
        for (int i = 1; i < L; ++i)
            if (at(i) && !at(i - 1)) return false;
        return true;
    case Grow::End:
        for (int i = 0; i + 1 < L; ++i)
            if (at(i) && !at(i + 1)) return false;
        return true;
    case Grow::Out: return symmetric() && oneRun(true);
    case Grow::In: return symmetric() && oneRun(false);
    }
    return false;
}

// Bands five pixels across, as the bars have, each reaching its own way from the named
// edge: rows along x for the shreds from the sides, columns along y for those from the top
// and bottom.
TEST(PicShowEffects, UnevenShredsGrowBandsFromTheirNamedEdges) {
    struct Case {
        int effect;
        bool rows;
        Grow how;
    };
    const Case cases[] = {{65, true, Grow::End},  {66, true, Grow::Start}, {67, true, Grow::Out},
                          {68, true, Grow::In},   {76, false, Grow::End},  {77, false, Grow::Start},
                          {78, false, Grow::Out}, {79, false, Grow::In}};
    const int W = 60, H = 40;
    for (const Case& c : cases) {
        const std::vector<Shown> frames = growing(c.effect, W, H);
        for (size_t f = 0; f < frames.size(); ++f) {
            const Shown& s = frames[f];
            const int lines = c.rows ? H : W, length = c.rows ? W : H;
            std::vector<int> reach;
            for (int i = 0; i < lines; ++i) {
                std::vector<char> line(static_cast<size_t>(length));
                for (int j = 0; j < length; ++j)
                    line[static_cast<size_t>(j)] = c.rows ? s.at(j, i) : s.at(i, j);
                EXPECT_TRUE(runShape(c.how, line))
                    << "effect " << c.effect << " line " << i << " at " << kProgress[f];
                const int n = static_cast<int>(std::count(line.begin(), line.end(), 1));
                if (i % 5 == 0) {
                    reach.push_back(n);
                } else {
                    EXPECT_EQ(n, reach.back())
                        << "effect " << c.effect << " line " << i << " leaves its band";
                }
            }
            if (kProgress[f] == 50) {
                EXPECT_TRUE(ragged(reach)) << "effect " << c.effect << " has an even or slanted edge";
            }
        }
    }
}

// Shreds from two sides are exactly the row shred and the column shred of those sides at once.
TEST(PicShowEffects, TwoWayShredsAreTheirRowAndColumnShredsTogether) {
    // effect: the shred of the rows (from the right, left, or out from the vertical middle,
    // or in to it) and of the columns (from the bottom, top, out from the horizon, or in).
    const std::array<int, 3> cases[] = {{100, 65, 76}, {101, 65, 77}, {102, 66, 76}, {103, 66, 77},
                                        {104, 65, 78}, {105, 66, 78}, {106, 67, 76}, {107, 67, 77},
                                        {108, 67, 78}, {109, 68, 79}};
    for (const auto& [both, rows, cols] : cases)
        for (const auto& [W, H] : {std::pair{60, 40}, {23, 57}})
            for (int P : kProgress) {
                const Shown s = shownAt(both, W, H, P), r = shownAt(rows, W, H, P),
                            c = shownAt(cols, W, H, P);
                for (size_t i = 0; i < s.on.size(); ++i)
                    ASSERT_EQ(s.on[i] != 0, r.on[i] || c.on[i])
                        << "effect " << both << " " << W << "x" << H << " at " << P << " pixel " << i;
            }
}

// Speckles come in scattered, thickest near the edge they start from.
TEST(PicShowEffects, SpecklesAppearScatteredFromTheirEdge) {
    const int W = 60, H = 40;
    for (int effect : {123, 124, 125, 126}) {
        const std::vector<Shown> frames = growing(effect, W, H);
        const Shown& s = frames[2];  // halfway
        const int left = s.countIn(0, 0, W / 4, H), right = s.countIn(W - W / 4, 0, W, H);
        const int top = s.countIn(0, 0, W, H / 4), bottom = s.countIn(0, H - H / 4, W, H);
        const int nearEdge = effect == 123 ? right : effect == 124 ? left : effect == 125 ? bottom : top;
        const int farEdge = effect == 123 ? left : effect == 124 ? right : effect == 125 ? top : bottom;
        EXPECT_GT(nearEdge, farEdge) << effect;
        // Scattered: in the quarter nearest the edge, neither nothing nor everything yet.
        EXPECT_GT(frames[1].count(), 0) << effect;
        EXPECT_LT(frames[1].count(), W * H / 2) << effect;
        bool mixedRow = false;
        for (int y = 0; y < H && !mixedRow; ++y) {
            const int n = s.countIn(0, y, W, y + 1);
            mixedRow =
                n > 0 && n < W &&
                !runShape(Grow::Start, std::vector<char>(s.on.begin() + y * W, s.on.begin() + (y + 1) * W)) &&
                !runShape(Grow::End, std::vector<char>(s.on.begin() + y * W, s.on.begin() + (y + 1) * W));
        }
        EXPECT_TRUE(mixedRow) << effect << " shows no scatter";
    }
}

// Uneven blinds open whole slats across the picture, of uneven widths, each from its named
// side.
TEST(PicShowEffects, UnevenBlindsOpenSlatsOfUnevenWidth) {
    const int W = 60, H = 40, step = 12;
    for (int effect : {138, 139, 140, 141}) {
        const bool columns = effect <= 139;  // slats standing up for left and right
        for (const Shown& s : growing(effect, W, H, step)) {
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    ASSERT_EQ(s.at(x, y), columns ? s.at(x, 0) : s.at(0, y))
                        << effect << " at " << x << "," << y;
        }
        const Shown half = shownAt(effect, W, H, 50, step);
        std::vector<int> runs;  // lengths of the open parts, the last (perhaps cut) one left out
        const int L = columns ? W : H;
        for (int i = 0, n = 0; i < L; ++i) {
            const bool open = columns ? half.at(i, 0) : half.at(0, i);
            if (open) ++n;
            if (!open && n > 0) runs.push_back(n), n = 0;
        }
        EXPECT_TRUE(ragged(runs)) << effect << " opens even slats";
        // The first slat starts at the picture's edge: open there when it opens from that side.
        EXPECT_EQ(half.at(0, 0), effect == 138 || effect == 140) << effect;
    }
}

// Cells of the pattern size: triangles in every cell growing towards its top-left corner;
// rectangles; waves of rectangles from the named side; a star turning about the centre.
TEST(PicShowEffects, CellsAndShapesFollowTheirNames) {
    const int W = 60, H = 40, step = 12;
    const int Z = geo(W, H, 0, step).Z;
    for (const Shown& s : growing(117, W, H, step))
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int i = x % Z, j = y % Z;
                // The same in every cell, depends on i + j only, and whole towards the bottom right.
                ASSERT_EQ(s.at(x, y), s.at(i, j)) << x << "," << y;
                if (i + 1 < Z && j > 0) {
                    ASSERT_EQ(s.at(i, j), s.at(i + 1, j - 1)) << i << "," << j;
                }
                if (i + 1 < Z && s.at(i, j)) {
                    ASSERT_TRUE(s.at(i + 1, j)) << i << "," << j;
                }
            }
    // Rectangles in cells of the pattern size, each cell at its own pace.
    const std::vector<Shown> rects = growing(142, W, H, step);
    std::vector<int> perCell;
    for (int x = 0; x + Z <= W; x += Z) perCell.push_back(rects[2].countIn(x, 0, x + Z, Z));
    EXPECT_TRUE(ragged(perCell)) << "rectangular shred cells keep one pace";
    // Turning shapes are the same seen upside down; a turning star may uncover a pixel it
    // covered before, so it need not only grow.
    for (int effect : {149, 150})
        for (int P : kProgress) {
            const Shown s = shownAt(effect, W, H, P, step);
            EXPECT_TRUE(s.at(W / 2, H / 2)) << effect << " at " << P;
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x)
                    ASSERT_EQ(s.at(x, y), s.at(W - 1 - x, H - 1 - y))
                        << effect << " at " << P << " turns about the centre";
        }
    // Rectangles from the left are ahead on the left halfway through, and so on.
    const Shown l = shownAt(145, W, H, 50), r = shownAt(146, W, H, 50), u = shownAt(147, W, H, 50),
                d = shownAt(148, W, H, 50);
    EXPECT_GT(l.countIn(0, 0, W / 2, H), l.countIn(W / 2, 0, W, H));
    EXPECT_GT(r.countIn(W / 2, 0, W, H), r.countIn(0, 0, W / 2, H));
    EXPECT_GT(u.countIn(0, 0, W, H / 2), u.countIn(0, H / 2, W, H));
    EXPECT_GT(d.countIn(0, H / 2, W, H), d.countIn(0, 0, W, H / 2));
    for (int effect : {145, 146, 147, 148}) growing(effect, W, H, step);
}

// The scattered, uneven and turning effects: more of the new picture at every step.
TEST(PicShowEffects, ScatteredAndTurningEffectsMoveFromOldToNew) {
    std::vector<int> effects = {65, 66, 67, 68, 76, 77, 78, 79};
    for (int n = 100; n <= 109; ++n) effects.push_back(n);
    for (int n = 114; n <= 126; ++n) effects.push_back(n);
    for (int n = 138; n <= 150; ++n) effects.push_back(n);
    effects.erase(std::remove(effects.begin(), effects.end(), 118), effects.end());
    for (int n : effects) {
        int shown[3] = {};
        int i = 0;
        for (int p : {10, 50, 90}) {
            pictures::Image screen(60, 40, 0xFF000000u), pic(60, 40, 0xFFFFFFFFu);
            TRect r{0, 0, 60, 40};
            picshow::effect(n)->proc(screen, pic, r, p, 4);
            for (uint32_t px : screen.pixels) shown[i] += px == 0xFFFFFFFFu;
            ++i;
        }
        EXPECT_LT(shown[0], shown[1]) << n;
        EXPECT_LT(shown[1], shown[2]) << n;
        EXPECT_GT(shown[2], 60 * 40 / 2) << n;
    }
}

// On a large picture the turned edges and offsets grow far beyond the small pictures' (a
// wrong sign from an overflow would show here); every 91st pixel is checked.
TEST(PicShowEffects, TurningEffectsHoldOnALargePicture) {
    const int W = 3001, H = 2000;
    for (int effect : {114, 115, 116, 143, 149})
        for (int P : {25, 50, 75}) {
            pictures::Image screen(W, H, 0xFF000000u);
            const pictures::Image pic(W, H, 0xFFFFFFFFu);
            TRect r{0, 0, W, H};
            picshow::effect(effect)->proc(screen, pic, r, P, 4);
            const Geo g = geo(W, H, P, 4);
            for (int y = 0; y < H; y += 7)
                for (int x = 0; x < W; x += 13)
                    ASSERT_EQ(screen.pixel(x, y) == 0xFFFFFFFFu,
                              references().at(effect)(x, y, g, P).kind == Src::New)
                        << "effect " << effect << " at " << P << " pixel " << x << "," << y;
        }
}

// Square, thin and tiny pictures put pixel centres exactly on the edges of the shapes.
TEST(PicShowEffects, FramesMatchTheReferenceOnSquareThinAndTinyPictures) {
    for (const auto& [effect, ref] : references())
        for (const auto& [w, h] : {std::pair{64, 64}, {8, 120}, {2, 3}, {1, 1}}) checkEffect(effect, w, h, 7);
}

}  // namespace
