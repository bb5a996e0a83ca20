// The transition effects by family. Most effects are a source map per axis: for every
// column (and every row) the column of the new picture it shows, the column of the old
// picture it shows, or "unchanged"; a pixel takes its source from both maps. Shapes that
// do not split by axis (curves, circles, diagonals, speckles) test each pixel with integer
// arithmetic, so no floating-point rounding can differ between machines.
#include "vcl/PicShowEffects.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <vector>

#include "vcl/MulDiv.h"

namespace vcl::picshow {

namespace {

using Img = pictures::Image;

// Map entries: >= 0 a column or row of the new picture, kKeep the old screen as it is,
// <= kOld a column or row of the old picture (kOld - index).
constexpr int kKeep = -1;
constexpr int kOld = -2;
constexpr int old(int i) { return kOld - i; }
constexpr int decode(int v) { return v >= 0 ? v : kOld - v; }

struct Maps {
    std::vector<int> x, y;
    Maps(int w, int h, int fillX, int fillY)
        : x(static_cast<size_t>(w), fillX), y(static_cast<size_t>(h), fillY) {}
};

std::vector<int> identity(int n) {
    std::vector<int> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = i;
    return v;
}

// Destination [d0, d1) shows source [s0, s1) stretched to fit (nearest neighbour); `tag`
// turns a source index into a map entry.
void put(std::vector<int>& m, int d0, int d1, int s0, int s1, bool fromOld = false) {
    if (d1 <= d0 || s1 <= s0) return;
    const int n = static_cast<int>(m.size());
    const int64_t dw = d1 - d0, sw = s1 - s0;
    for (int d = std::max(d0, 0); d < std::min(d1, n); ++d) {
        const int s = std::clamp(static_cast<int>(s0 + (d - d0) * sw / dw), 0, n - 1);
        m[static_cast<size_t>(d)] = fromOld ? old(s) : s;
    }
}

void apply(Img& screen, const Img& pic, const Maps& m) {
    const int w = screen.width, h = screen.height;
    bool needsOld = false;
    for (int v : m.x) needsOld |= v <= kOld;
    for (int v : m.y) needsOld |= v <= kOld;
    const Img before = needsOld ? screen : Img();
    for (int y = 0; y < h; ++y) {
        const int my = m.y[static_cast<size_t>(y)];
        if (my == kKeep) continue;
        uint32_t* d = screen.row(y);
        for (int x = 0; x < w; ++x) {
            const int mx = m.x[static_cast<size_t>(x)];
            if (mx == kKeep) continue;
            const Img& src = mx <= kOld || my <= kOld ? before : pic;
            d[x] = src.pixel(decode(mx), decode(my));
        }
    }
}

// Reverses an axis map, so an effect written for one edge serves the opposite one.
std::vector<int> flipped(const std::vector<int>& m) {
    const int n = static_cast<int>(m.size());
    std::vector<int> r(m.size());
    for (int i = 0; i < n; ++i) {
        const int v = m[static_cast<size_t>(n - 1 - i)];
        r[static_cast<size_t>(i)] = v == kKeep ? kKeep : v >= 0 ? n - 1 - v : old(n - 1 - decode(v));
    }
    return r;
}

template <class Inside>
void masked(Img& screen, const Img& pic, Inside inside) {
    for (int y = 0; y < screen.height; ++y) {
        uint32_t* d = screen.row(y);
        const uint32_t* s = pic.row(y);
        for (int x = 0; x < screen.width; ++x)
            if (inside(x, y)) d[x] = s[x];
    }
}

void revealSpan(Img& screen, const Img& pic, int y, int x0, int x1) {
    x0 = std::max(x0, 0), x1 = std::min(x1, screen.width);
    if (y < 0 || y >= screen.height || x1 <= x0) return;
    std::memcpy(screen.row(y) + x0, pic.row(y) + x0, static_cast<size_t>(x1 - x0) * 4);
}

// ---- One axis: the horizontal effects and their vertical twins --------------------------

enum class Axis { Horizontal, Vertical };
enum class Edge { Start, End };

// A map along an axis of length L with the amount A reached; `e` End mirrors the shape.
using AxisShape = void (*)(std::vector<int>& m, int L, int A, int step);

void expandFrom(std::vector<int>& m, int L, int A, int) { put(m, 0, A, 0, L); }
void slideFrom(std::vector<int>& m, int L, int A, int) { put(m, 0, A, L - A, L); }
void revealFrom(std::vector<int>& m, int, int A, int) { put(m, 0, A, 0, A); }
void expandInFrom(std::vector<int>& m, int L, int A, int) { put(m, 0, L, 0, A); }
void expandInToMiddle(std::vector<int>& m, int L, int A, int) { put(m, 0, L, (L - A) / 2, (L - A) / 2 + A); }
void expandOutFromMiddle(std::vector<int>& m, int L, int A, int) {
    put(m, (L - A) / 2, (L - A) / 2 + A, 0, L);
}
void revealOutFromMiddle(std::vector<int>& m, int L, int A, int) {
    put(m, (L - A) / 2, (L - A) / 2 + A, (L - A) / 2, (L - A) / 2 + A);
}
void revealInFromSides(std::vector<int>& m, int L, int A, int) {
    put(m, 0, A / 2, 0, A / 2);
    put(m, L - A / 2, L, L - A / 2, L);
}
void expandInFromSides(std::vector<int>& m, int L, int A, int) {
    put(m, 0, A / 2, 0, L / 2);
    put(m, L - A / 2, L, L / 2, L);
}
void slideFromSides(std::vector<int>& m, int L, int A, int) {
    put(m, 0, A / 2, L / 2 - A / 2, L / 2);
    put(m, L - A / 2, L, L / 2, L / 2 + A / 2);
}
// Columns 0..A-1 in place, then a strip of width r rolled over: the columns beyond it,
// mirrored.
void unrollFrom(std::vector<int>& m, int L, int A, int) {
    put(m, 0, A, 0, A);
    const int r = A < L / 5 ? A / 2 : A + L / 5 > L ? (L - A) / 2 : L / 10;
    const int R = A + r;
    for (int k = 0; k < r && A + k < L; ++k)
        m[static_cast<size_t>(A + k)] = std::min(2 * R - A - 1 - k, L - 1);
}
// Columns 0..A-1 in place and the next few columns stretched over the rest.
void buildUpFrom(std::vector<int>& m, int L, int A, int z) {
    put(m, 0, A, 0, A);
    const int narrow = std::max(1, L / std::max(z, 1));
    put(m, A, L, A, std::min(A + narrow, L));
}

template <AxisShape Shape, Axis axis, Edge edge>
void axisEffect(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w, A = v ? g.y : g.x;
    std::vector<int> m(static_cast<size_t>(L), kKeep);
    Shape(m, L, A, g.z);
    if (edge == Edge::End) m = flipped(m);
    Maps maps(0, 0, 0, 0);
    maps.x = v ? identity(g.w) : std::move(m);
    maps.y = v ? std::move(m) : identity(g.h);
    apply(screen, pic, maps);
}

// ---- Both axes: corners, centres and quarters -------------------------------------------

using BoxShape = void (*)(std::vector<int>& m, int L, int A);

void boxExpand(std::vector<int>& m, int L, int A) { put(m, 0, A, 0, L); }
void boxSlide(std::vector<int>& m, int L, int A) { put(m, 0, A, L - A, L); }
void boxReveal(std::vector<int>& m, int, int A) { put(m, 0, A, 0, A); }
// The block 0..A-1 stretched over 2L - A, so it shrinks to its true size at the end.
void boxContract(std::vector<int>& m, int L, int A) { put(m, 0, 2 * L - A, 0, A); }
void boxContractMiddle(std::vector<int>& m, int L, int A) {
    const int span = 2 * L - A;
    put(m, (L - span) / 2, (L - span) / 2 + span, (L - A) / 2, (L - A) / 2 + A);
}
void boxExpandCentre(std::vector<int>& m, int L, int A) { expandOutFromMiddle(m, L, A, 0); }
void boxRevealCentre(std::vector<int>& m, int L, int A) { revealOutFromMiddle(m, L, A, 0); }
void boxQuartersReveal(std::vector<int>& m, int L, int A) { revealInFromSides(m, L, A, 0); }
void boxQuartersExpand(std::vector<int>& m, int L, int A) { expandInFromSides(m, L, A, 0); }
void boxQuartersSlide(std::vector<int>& m, int L, int A) { slideFromSides(m, L, A, 0); }

template <BoxShape Shape, Edge ex, Edge ey>
void boxEffect(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    Maps m(g.w, g.h, kKeep, kKeep);
    Shape(m.x, g.w, g.x);
    Shape(m.y, g.h, g.y);
    if (ex == Edge::End) m.x = flipped(m.x);
    if (ey == Edge::End) m.y = flipped(m.y);
    apply(screen, pic, m);
}

void revealInToCentre(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int hw = g.w - g.x, hh = g.h - g.y;
    const TRect hole = bounds((g.w - hw) / 2, (g.h - hh) / 2, hw, hh);
    masked(screen, pic, [&](int x, int y) { return !hole.contains({x, y}); });
}

// ---- Rounded shapes ----------------------------------------------------------------------

// The pixel's centre inside a rounded rectangle with a corner ellipse of ew x eh, all in
// doubled coordinates so the centres are whole numbers.
struct RoundRect {
    int64_t l, t, r, b, ew, eh;
    RoundRect(int left, int top, int right, int bottom, int ellipseW, int ellipseH)
        : l(2 * int64_t{left}),
          t(2 * int64_t{top}),
          r(2 * int64_t{right}),
          b(2 * int64_t{bottom}),
          ew(std::clamp<int64_t>(ellipseW, 0, int64_t{right} - left)),
          eh(std::clamp<int64_t>(ellipseH, 0, int64_t{bottom} - top)) {}
    bool contains(int x, int y) const {
        const int64_t px = 2 * int64_t{x} + 1, py = 2 * int64_t{y} + 1;
        if (px < l || px > r || py < t || py > b) return false;
        if (ew == 0 || eh == 0) return true;
        const int64_t dx = px < l + ew ? l + ew - px : px > r - ew ? px - (r - ew) : 0;
        const int64_t dy = py < t + eh ? t + eh - py : py > b - eh ? py - (b - eh) : 0;
        return dx * dx * eh * eh + dy * dy * ew * ew <= ew * ew * eh * eh;
    }
};

enum class Curve { Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

template <Curve c>
void curvedReveal(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int W = g.w, H = g.h;
    const bool flipX = c == Curve::Right || c == Curve::TopRight || c == Curve::BottomRight;
    const bool flipY = c == Curve::Bottom || c == Curve::BottomLeft || c == Curve::BottomRight;
    RoundRect shape(0, 0, 0, 0, 0, 0);
    if (c == Curve::Left || c == Curve::Right)
        shape = RoundRect(-2 * W, -5, 2 * g.x, H + 5, 2 * W, 2 * W);
    else if (c == Curve::Top || c == Curve::Bottom)
        shape = RoundRect(-5, -2 * H, W + 5, 2 * g.y, 2 * H, 2 * H);
    else
        shape = RoundRect(-2 * W, -2 * H, 2 * g.x, 2 * g.y, 2 * W, 2 * H);
    masked(screen, pic,
           [&](int x, int y) { return shape.contains(flipX ? W - 1 - x : x, flipY ? H - 1 - y : y); });
}

void circularFromCentre(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int cx = g.w / 2, cy = g.h / 2;
    const RoundRect shape(cx - g.x, cy - g.y, cx + g.x, cy + g.y, 9 * g.x / 5, 9 * g.y / 5);
    masked(screen, pic, [&](int x, int y) { return shape.contains(x, y); });
}

void circularToCentre(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, 100 - progress, step);
    const int cx = g.w / 2, cy = g.h / 2;
    const RoundRect shape(cx - g.x, cy - g.y, cx + g.x, cy + g.y, 9 * g.x / 5, 9 * g.y / 5);
    masked(screen, pic, [&](int x, int y) { return !shape.contains(x, y); });
}

// ---- Bars --------------------------------------------------------------------------------

constexpr int kBar = 5;

// The length bars of the first set reach, and that of the second set once the first is full.
struct BarLengths {
    int first, second;
};
BarLengths barLengths(int L, int A, int z) {
    const int twice = 2 * A;
    if (twice <= L) return {L - twice < z ? L : twice, 0};
    return {L, twice - L};
}

enum class Bars { FromEnd, FromStart, StartThenEnd, EndThenStart, BothSides };

// Bands of kBar pixels across the axis; `vertical` bands are columns growing down.
template <Bars kind, Axis axis>
void barsEffect(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w, across = v ? g.w : g.h, A = v ? g.y : g.x;
    const BarLengths len = barLengths(L, A, g.z);
    // For each band: how far it reaches and whether it grows from the far end.
    std::vector<int> reach(static_cast<size_t>(across));
    std::vector<char> fromEnd(static_cast<size_t>(across));
    for (int i = 0; i < across; ++i) {
        const bool even = (i / kBar) % 2 == 0;
        bool end = false;
        int n = even ? len.first : len.second;
        switch (kind) {
        case Bars::FromEnd: end = true; break;
        case Bars::FromStart: break;
        case Bars::StartThenEnd: end = !even; break;
        case Bars::EndThenStart: end = even; break;
        case Bars::BothSides:
            // Every band moves at once, so each takes the whole transition to cross; at twice
            // the speed they would stand complete for its second half.
            end = !even;
            n = A;
            break;
        }
        reach[static_cast<size_t>(i)] = n;
        fromEnd[static_cast<size_t>(i)] = end;
    }
    if (!v) {
        for (int y = 0; y < g.h; ++y) {
            const int n = reach[static_cast<size_t>(y)];
            if (fromEnd[static_cast<size_t>(y)])
                revealSpan(screen, pic, y, g.w - n, g.w);
            else
                revealSpan(screen, pic, y, 0, n);
        }
        return;
    }
    masked(screen, pic, [&](int x, int y) {
        const int n = reach[static_cast<size_t>(x)];
        return fromEnd[static_cast<size_t>(x)] ? y >= g.h - n : y < n;
    });
}

// ---- Diagonals, pivots, speckles, squares ------------------------------------------------

template <Edge ex, Edge ey>
void diagonalReveal(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int limit = g.x + g.y;
    masked(screen, pic, [&](int x, int y) {
        const int dx = ex == Edge::End ? g.w - 1 - x : x, dy = ey == Edge::End ? g.h - 1 - y : y;
        return dx + dy < limit;
    });
}

// sin(k * pi / 200) for k = 0..100 in 16.16 fixed point, from a series evaluated at
// compile time, so it never depends on a machine's mathematics library.
constexpr std::array<int, 101> kSine = [] {
    std::array<int, 101> t{};
    constexpr double pi = 3.14159265358979323846;
    for (int k = 0; k <= 100; ++k) {
        const double a = k * pi / 200;
        double term = a, sum = a;
        for (int n = 1; n < 12; ++n) {
            term *= -a * a / ((2 * n) * (2 * n + 1));
            sum += term;
        }
        t[static_cast<size_t>(k)] = static_cast<int>(sum * 65536 + 0.5);
    }
    return t;
}();

template <Edge ex, Edge ey>
void pivot(Img& screen, const Img& pic, TRect&, int progress, int) {
    const int W = screen.width, H = screen.height;
    const int64_t s = kSine[static_cast<size_t>(100 - progress)], c = kSine[static_cast<size_t>(progress)];
    for (int y = 0; y < H; ++y) {
        const int64_t dy = ey == Edge::End ? H - 1 - y : y;
        uint32_t* d = screen.row(y);
        for (int x = 0; x < W; ++x) {
            const int64_t dx = ex == Edge::End ? W - 1 - x : x;
            const int64_t sx = (dx * c + dy * s) >> 16, sy = (dy * c - dx * s) >> 16;
            if (sx < 0 || sy < 0 || sx >= W || sy >= H) continue;
            const int px = ex == Edge::End ? W - 1 - static_cast<int>(sx) : static_cast<int>(sx);
            const int py = ey == Edge::End ? H - 1 - static_cast<int>(sy) : static_cast<int>(sy);
            d[x] = pic.pixel(px, py);
        }
    }
}

// A fixed scatter of 0..99 over the pixels.
int speckle(int x, int y) {
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int>(h % 100);
}

// Pixels appear scattered, those nearest the starting edge first: a pixel at d percent of
// the way across shows once its scatter value is below 2P - d.
template <Axis axis, Edge edge>
void speckleAppear(Img& screen, const Img& pic, TRect&, int progress, int) {
    const bool v = axis == Axis::Vertical;
    const int L = v ? screen.height : screen.width;
    masked(screen, pic, [&](int x, int y) {
        int pos = v ? y : x;
        if (edge == Edge::End) pos = L - 1 - pos;
        return speckle(x, y) < 2 * progress - pos * 100 / L;
    });
}

void randomSquares(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int d = std::max(1, g.z <= 1 ? g.z : g.z / 2);
    Lcg rnd(static_cast<uint32_t>(g.w) * static_cast<uint32_t>(g.h));
    for (int y = 0; y < g.h; y += d)
        for (int x = 0; x < g.w; x += d) {
            if (rnd.next(100) >= progress) continue;
            for (int row = y - d; row < y + d; ++row) revealSpan(screen, pic, row, x - d, x + d);
        }
}

void fadeEffect(Img& screen, const Img& pic, TRect&, int progress, int) { fade(screen, pic, progress); }

// ---- Pushes and blinds -------------------------------------------------------------------

// The old picture moves on by A while the new one follows it in; squeezing keeps the whole
// old picture in the space left.
template <Axis axis, Edge edge, bool squeeze>
void push(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w, A = v ? g.y : g.x;
    std::vector<int> m(static_cast<size_t>(L), kKeep);
    put(m, 0, A, L - A, L);
    put(m, A, L, 0, squeeze ? L : L - A, true);
    if (edge == Edge::End) m = flipped(m);
    Maps maps(0, 0, 0, 0);
    maps.x = v ? identity(g.w) : std::move(m);
    maps.y = v ? std::move(m) : identity(g.h);
    apply(screen, pic, maps);
}

template <Axis axis>
void blind(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w;
    const int period = std::max(1, L / std::max(g.z, 1));
    const int open = progress * period / 100;
    std::vector<int> m(static_cast<size_t>(L), kKeep);
    for (int i = 0; i < L; ++i)
        if (i % period < open) m[static_cast<size_t>(i)] = i;
    Maps maps(0, 0, 0, 0);
    maps.x = v ? identity(g.w) : std::move(m);
    maps.y = v ? std::move(m) : identity(g.h);
    apply(screen, pic, maps);
}

// ---- Uneven shreds -------------------------------------------------------------------------

// Each band of kBar pixels runs ahead of the amount by its own share (0..99 percent), so
// the edge is ragged, the same for every frame. The band number is mixed through every bit:
// one step of the linear generator from a seed linear in the band gives shares that rise by
// a near constant from band to band, a slanted edge rather than a ragged one.
int bandShare(int band) {
    uint32_t h = static_cast<uint32_t>(band) * 0x9E3779B9u + 0x7F4A7C15u;
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return static_cast<int>(h % 100);
}

enum class Reach { Start, End, Out, In };

// Whether position `pos` of a band of length L is reached when the band's amount is `r`.
bool reached(Reach how, int pos, int L, int r) {
    switch (how) {
    case Reach::Start: return pos < r;
    case Reach::End: return pos >= L - r;
    case Reach::Out: return 2 * std::abs(2 * pos + 1 - L) < 2 * r;
    case Reach::In: return pos < r / 2 || pos >= L - r / 2;
    }
    return false;
}

struct Shred {
    bool used;
    Reach how;
};

// Horizontal bands (rows of bands, growing along x) and vertical ones, either or both.
template <bool rows, Reach rowReach, bool cols, Reach colReach>
void shred(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const auto amount = [](int A, int L, int band) { return std::min(L, A * (100 + bandShare(band)) / 100); };
    std::vector<int> rowAmount(static_cast<size_t>(g.h / kBar + 1)),
        colAmount(static_cast<size_t>(g.w / kBar + 1));
    for (size_t i = 0; i < rowAmount.size(); ++i) rowAmount[i] = amount(g.x, g.w, static_cast<int>(i));
    for (size_t i = 0; i < colAmount.size(); ++i) colAmount[i] = amount(g.y, g.h, static_cast<int>(i) + 7919);
    masked(screen, pic, [&](int x, int y) {
        if (rows && reached(rowReach, x, g.w, rowAmount[static_cast<size_t>(y / kBar)])) return true;
        return cols && reached(colReach, y, g.h, colAmount[static_cast<size_t>(x / kBar)]);
    });
}

// ---- Criss-cross -------------------------------------------------------------------------

enum class Cross { Start, End, Alternate, AlternateBack, StartThenEnd, EndThenStart };

// The span [from, to) band `band` shows along a length L at amount A.
std::pair<int, int> crossSpan(Cross how, int band, int L, int A, int z) {
    const bool even = band % 2 == 0;
    const auto start = [](int n) { return std::pair{0, n}; };
    const auto end = [L](int n) { return std::pair{L - n, L}; };
    switch (how) {
    case Cross::Start: return start(A);
    case Cross::End: return end(A);
    case Cross::Alternate: return even ? start(A) : end(A);
    case Cross::AlternateBack: return even ? end(A) : start(A);
    case Cross::StartThenEnd: {
        const BarLengths b = barLengths(L, A, z);
        return even ? start(b.first) : end(b.second);
    }
    case Cross::EndThenStart: {
        const BarLengths b = barLengths(L, A, z);
        return even ? end(b.first) : start(b.second);
    }
    }
    return {0, 0};
}

// Bands across the rows and bands down the columns, each set growing from its edges.
template <Cross rows, Cross cols>
void crissCross(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    masked(screen, pic, [&](int x, int y) {
        const auto [r0, r1] = crossSpan(rows, y / kBar, g.w, g.x, g.z);
        if (x >= r0 && x < r1) return true;
        const auto [c0, c1] = crossSpan(cols, x / kBar, g.h, g.y, g.z);
        return y >= c0 && y < c1;
    });
}

// ---- Sweeps ------------------------------------------------------------------------------

// sin(k * pi / 400) for k = 0..200, a quarter turn in steps of 1/800 turn, scaled by 2^24
// and evaluated at compile time, so the blades' edges never depend on a mathematics library.
constexpr int kQuarter = 200;
constexpr std::array<int64_t, kQuarter + 1> kFineSine = [] {
    std::array<int64_t, kQuarter + 1> t{};
    constexpr double pi = 3.14159265358979323846;
    for (int k = 0; k <= kQuarter; ++k) {
        const double a = k * pi / (2 * kQuarter);
        double term = a, sum = a;
        for (int n = 1; n < 14; ++n) {
            term *= -a * a / ((2 * n) * (2 * n + 1));
            sum += term;
        }
        t[static_cast<size_t>(k)] = static_cast<int64_t>(sum * (1 << 24) + 0.5);
    }
    return t;
}();

struct Vec {
    int64_t x, y;
};
int64_t cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
int64_t dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }

// `v` turned clockwise on the screen (y grows downwards) by `units` of 1/800 turn.
Vec turned(Vec v, int units) {
    units %= 4 * kQuarter;
    for (int q = units / kQuarter; q > 0; --q) v = {-v.y, v.x};
    const int r = units % kQuarter;
    const int64_t s = kFineSine[static_cast<size_t>(r)], c = kFineSine[static_cast<size_t>(kQuarter - r)];
    return {v.x * c - v.y * s, v.x * s + v.y * c};
}

// Whether `p` lies clockwise from `a` by less than `b` does (angles from 0 up to a full turn,
// `a` itself included). Half-planes first, then the side of `b` within the same half. The
// half `b` lies in is known from the angle it was turned by: both `a` and `b` are scaled by
// the table, so their own cross product could overflow.
bool clockwiseBefore(Vec a, Vec p, Vec b, int bHalf) {
    const int64_t c = cross(a, p);
    const int pHalf = c > 0 || (c == 0 && dot(a, p) > 0) ? 0 : 1;
    return pHalf != bHalf ? pHalf < bHalf : cross(p, b) > 0;
}

// `blades` hands turning about the centre at an even angular pace, each over its own
// 1 / blades of the turn, starting at twelve o'clock or on the diagonal through the top-left
// corner. Anticlockwise is clockwise in the mirror.
template <int blades, bool clockwise, bool fromDiagonal>
void sweep(Img& screen, const Img& pic, TRect&, int progress, int) {
    static_assert(4 * kQuarter % blades == 0);
    const int W = screen.width, H = screen.height;
    const int period = 4 * kQuarter / blades;
    // The top-left corner in pixel-centre offsets is (-W, -H); mirrored, (W, -H).
    const Vec start = fromDiagonal ? Vec{clockwise ? -W : W, -H} : Vec{0, -1};
    const int reach = progress * period / 100;
    const int farHalf = reach < 2 * kQuarter ? 0 : 1;
    std::array<Vec, blades> from{}, to{};
    for (int k = 0; k < blades; ++k) {
        from[static_cast<size_t>(k)] = turned(start, k * period);
        to[static_cast<size_t>(k)] = turned(start, k * period + reach);
    }
    masked(screen, pic, [&](int x, int y) {
        // Doubled offsets from the centre, so pixel centres are whole numbers.
        const int dx = 2 * x + 1 - W;
        Vec p{clockwise ? dx : -dx, 2 * y + 1 - H};
        if (p.x == 0 && p.y == 0) return true;  // the hub belongs to every blade
        int count = blades;
        if constexpr (blades % 4 == 0 && !fromDiagonal) {
            // Blades from twelve o'clock repeat every quarter turn, and the table turns a
            // quarter exactly: turn p back into the first quarter and test its blades only.
            while (!(p.x >= 0 && p.y < 0)) p = {p.y, -p.x};
            count = blades / 4;
        }
        for (int k = 0; k < count; ++k)
            if (clockwiseBefore(from[static_cast<size_t>(k)], p, to[static_cast<size_t>(k)], farHalf))
                return true;
        return false;
    });
}

// ---- Cells: triangles, rectangles, uneven blinds -----------------------------------------

// Square cells of side Z; within each a triangle grows from the bottom-right corner.
void triangularShred(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int c = std::max(2, g.z);
    masked(screen, pic,
           [&](int x, int y) { return (x % c) + (y % c) >= (2 * c - 2) * (100 - progress) / 100; });
}

// Square cells whose centred rectangles grow, each at its own pace.
void rectangularShred(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int c = std::max(2, g.z);
    masked(screen, pic, [&](int x, int y) {
        const int cell = (y / c) * 1009 + x / c;
        const int share = std::min(100, progress * (100 + bandShare(cell)) / 100);
        const int dx = std::abs(2 * (x % c) + 1 - c), dy = std::abs(2 * (y % c) + 1 - c);
        return std::max(dx, dy) * 100 < c * share;
    });
}

// Cells in lines across the picture: a wave passes from one side, each line's rectangles
// growing from nothing to whole while it passes.
template <Axis axis, Edge edge>
void rectangleWave(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w, c = std::max(2, g.z), lines = (L + c - 1) / c;
    constexpr int kWave = 3;
    masked(screen, pic, [&](int x, int y) {
        int pos = v ? y : x;
        if (edge == Edge::End) pos = L - 1 - pos;
        const int line = pos / c;
        // This line's share in percent: 0 until the wave arrives, 100 once it has passed.
        const int share = std::clamp((progress * (lines + kWave) - 100 * line) / kWave, 0, 100);
        const int dx = std::abs(2 * (x % c) + 1 - c), dy = std::abs(2 * (y % c) + 1 - c);
        return std::max(dx, dy) * 100 < c * share;
    });
}

// Slats of uneven widths (half to one and a half of Z), each opening from the given side.
template <Axis axis, Edge edge>
void unevenBlind(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const bool v = axis == Axis::Vertical;
    const int L = v ? g.h : g.w, c = std::max(2, L / std::max(g.z, 1));
    std::vector<int> m(static_cast<size_t>(L), kKeep);
    int slat = 0;
    for (int at = 0; at < L; ++slat) {
        const int width = std::max(1, c / 2 + c * bandShare(slat) / 100);
        const int open = width * progress / 100;
        for (int i = 0; i < width && at + i < L; ++i) {
            const bool shown = edge == Edge::Start ? i < open : i >= width - open;
            if (shown) m[static_cast<size_t>(at + i)] = at + i;
        }
        at += width;
    }
    Maps maps(0, 0, 0, 0);
    maps.x = v ? identity(g.w) : std::move(m);
    maps.y = v ? std::move(m) : identity(g.h);
    apply(screen, pic, maps);
}

// ---- Rotating shapes ---------------------------------------------------------------------

// A rectangle (or a four-pointed star) growing from the centre while it turns a quarter turn
// back to upright.
template <bool star>
void rotational(Img& screen, const Img& pic, TRect&, int progress, int step) {
    const Geometry g = geometry(screen.width, screen.height, progress, step);
    const int64_t s = kSine[static_cast<size_t>(100 - progress)], c = kSine[static_cast<size_t>(progress)];
    const int64_t hx = std::max(1, g.x), hy = std::max(1, g.y);
    masked(screen, pic, [&](int x, int y) {
        const int64_t dx = 2 * x + 1 - g.w, dy = 2 * y + 1 - g.h;  // doubled offsets
        // The turned offsets, still scaled by 2^16: rounding them first would make the shape
        // lopsided, as -v >> 16 is not -(v >> 16).
        const int64_t u = std::abs(dx * c + dy * s), w = std::abs(dy * c - dx * s);
        // Rectangle: |u| <= X and |w| <= Y (doubled halves); star: the diamond |u|/X + |w|/Y <= 1
        // scaled up by half again, so its points reach past the corners.
        if (!star) return u <= hx << 16 && w <= hy << 16;
        return 2 * (u * hy + w * hx) <= (3 * hx * hy) << 16;
    });
}

constexpr Axis kH = Axis::Horizontal, kV = Axis::Vertical;
constexpr Edge kS = Edge::Start, kE = Edge::End;

const std::array<Effect, kEffectCount> kEffects = {{
    {"Expand from right", &axisEffect<expandFrom, kH, kE>},
    {"Expand from left", &axisEffect<expandFrom, kH, kS>},
    {"Slide in from right", &axisEffect<slideFrom, kH, kE>},
    {"Slide in from left", &axisEffect<slideFrom, kH, kS>},
    {"Reveal from left", &axisEffect<revealFrom, kH, kS>},
    {"Reveal from right", &axisEffect<revealFrom, kH, kE>},
    {"Expand in from right", &axisEffect<expandInFrom, kH, kE>},
    {"Expand in from left", &axisEffect<expandInFrom, kH, kS>},
    {"Expand in to middle", &axisEffect<expandInToMiddle, kH, kS>},
    {"Expand out from middle", &axisEffect<expandOutFromMiddle, kH, kS>},
    {"Reveal out from middle", &axisEffect<revealOutFromMiddle, kH, kS>},
    {"Reveal in from sides", &axisEffect<revealInFromSides, kH, kS>},
    {"Expand in from sides", &axisEffect<expandInFromSides, kH, kS>},
    {"Unroll from left", &axisEffect<unrollFrom, kH, kS>},
    {"Unroll from right", &axisEffect<unrollFrom, kH, kE>},
    {"Build up from right", &axisEffect<buildUpFrom, kH, kS>},
    {"Build up from left", &axisEffect<buildUpFrom, kH, kE>},
    {"Expand from bottom", &axisEffect<expandFrom, kV, kE>},
    {"Expand from top", &axisEffect<expandFrom, kV, kS>},
    {"Slide in from bottom", &axisEffect<slideFrom, kV, kE>},
    {"Slide in from top", &axisEffect<slideFrom, kV, kS>},
    {"Reveal from top", &axisEffect<revealFrom, kV, kS>},
    {"Reveal from bottom", &axisEffect<revealFrom, kV, kE>},
    {"Expand in from bottom", &axisEffect<expandInFrom, kV, kE>},
    {"Expand in from top", &axisEffect<expandInFrom, kV, kS>},
    {"Expand in to middle (horiz)", &axisEffect<expandInToMiddle, kV, kS>},
    {"Expand out from middle (horiz)", &axisEffect<expandOutFromMiddle, kV, kS>},
    {"Reveal from middle (horiz)", &axisEffect<revealOutFromMiddle, kV, kS>},
    {"Slide in from top / bottom", &axisEffect<slideFromSides, kV, kS>},
    {"Expand in from top / bottom", &axisEffect<expandInFromSides, kV, kS>},
    {"Unroll from top", &axisEffect<unrollFrom, kV, kS>},
    {"Unroll from bottom", &axisEffect<unrollFrom, kV, kE>},
    {"Expand from bottom", &axisEffect<expandFrom, kV, kE>},
    {"Expand in from top", &axisEffect<expandInFrom, kV, kS>},
    {"Expand from bottom right", &boxEffect<boxExpand, kE, kE>},
    {"Expand from top right", &boxEffect<boxExpand, kE, kS>},
    {"Expand from top left", &boxEffect<boxExpand, kS, kS>},
    {"Expand from bottom left", &boxEffect<boxExpand, kS, kE>},
    {"Slide in from bottom right", &boxEffect<boxSlide, kE, kE>},
    {"Slide in from top right", &boxEffect<boxSlide, kE, kS>},
    {"Slide in from top left", &boxEffect<boxSlide, kS, kS>},
    {"Slide in from bottom left", &boxEffect<boxSlide, kS, kE>},
    {"Reveal from top left", &boxEffect<boxReveal, kS, kS>},
    {"Reveal from bottom left", &boxEffect<boxReveal, kS, kE>},
    {"Reveal from bottom right", &boxEffect<boxReveal, kE, kE>},
    {"Reveal from top right", &boxEffect<boxReveal, kE, kS>},
    {"Appear and Contract to top left", &boxEffect<boxContract, kS, kS>},
    {"Appear and Contract to bottom left", &boxEffect<boxContract, kS, kE>},
    {"Appear and Contract to bottom right", &boxEffect<boxContract, kE, kE>},
    {"Appear and Contract to top right", &boxEffect<boxContract, kE, kS>},
    {"Appear and Contract to middle", &boxEffect<boxContractMiddle, kS, kS>},
    {"Expand out from centre", &boxEffect<boxExpandCentre, kS, kS>},
    {"Reveal out from centre", &boxEffect<boxRevealCentre, kS, kS>},
    {"Reveal in to centre", &revealInToCentre},
    {"Quarters Reveal in to middle", &boxEffect<boxQuartersReveal, kS, kS>},
    {"Quarters Expand to middle", &boxEffect<boxQuartersExpand, kS, kS>},
    {"Quarters Slide in to middle", &boxEffect<boxQuartersSlide, kS, kS>},
    {"Curved Reveal from left", &curvedReveal<Curve::Left>},
    {"Curved Reveal from right", &curvedReveal<Curve::Right>},
    {"Bars in from right", &barsEffect<Bars::FromEnd, kH>},
    {"Bars in from left", &barsEffect<Bars::FromStart, kH>},
    {"Bars left then right", &barsEffect<Bars::StartThenEnd, kH>},
    {"Bars right then left", &barsEffect<Bars::EndThenStart, kH>},
    {"Bars from both sides", &barsEffect<Bars::BothSides, kH>},
    {"Uneven shred from right", &shred<true, Reach::End, false, Reach::Start>},
    {"Uneven shred from left", &shred<true, Reach::Start, false, Reach::Start>},
    {"Uneven shred out from middle (horiz)", &shred<true, Reach::Out, false, Reach::Start>},
    {"Uneven shred in to middle (horiz)", &shred<true, Reach::In, false, Reach::Start>},
    {"Curved Reveal from top", &curvedReveal<Curve::Top>},
    {"Curved Reveal from bottom", &curvedReveal<Curve::Bottom>},
    {"Bars from bottom", &barsEffect<Bars::FromEnd, kV>},
    {"Bars from top", &barsEffect<Bars::FromStart, kV>},
    {"Bars top then bottom", &barsEffect<Bars::StartThenEnd, kV>},
    {"Bars bottom then top", &barsEffect<Bars::EndThenStart, kV>},
    {"Bars from top and bottom", &barsEffect<Bars::BothSides, kV>},
    {"Unven shred from bottom", &shred<false, Reach::Start, true, Reach::End>},
    {"Uneven shred from top", &shred<false, Reach::Start, true, Reach::Start>},
    {"Uneven shred from horizon", &shred<false, Reach::Start, true, Reach::Out>},
    {"Uneven shred in to horizon", &shred<false, Reach::Start, true, Reach::In>},
    {"Curved reveal from top left", &curvedReveal<Curve::TopLeft>},
    {"Curved reveal from top right", &curvedReveal<Curve::TopRight>},
    {"Curved reveal from bottom left", &curvedReveal<Curve::BottomLeft>},
    {"Curved reveal from bottom right", &curvedReveal<Curve::BottomRight>},
    {"Circular reveal from centre", &circularFromCentre},
    {"Circular reveal to centre", &circularToCentre},
    {"Criss Cross reveal from bottom right", &crissCross<Cross::End, Cross::End>},
    {"Criss Cross reveal from top right", &crissCross<Cross::End, Cross::Start>},
    {"Criss Cross reveal from bottom left", &crissCross<Cross::Start, Cross::End>},
    {"Criss Cross reveal from top left", &crissCross<Cross::Start, Cross::Start>},
    {"Criss Cross reveal bounce from top left", &crissCross<Cross::StartThenEnd, Cross::StartThenEnd>},
    {"Criss Cross reveal bounce from bottom left", &crissCross<Cross::StartThenEnd, Cross::EndThenStart>},
    {"Criss Cross reveal bounce from top right", &crissCross<Cross::EndThenStart, Cross::StartThenEnd>},
    {"Criss Cross reveal bounce from bottom right", &crissCross<Cross::EndThenStart, Cross::EndThenStart>},
    {"Criss Cross reveal from right top and bottom", &crissCross<Cross::End, Cross::Alternate>},
    {"Criss Cross reveal from left top and bottom", &crissCross<Cross::Start, Cross::Alternate>},
    {"Criss Cross reveal from left right and bottom", &crissCross<Cross::Alternate, Cross::End>},
    {"Criss Cross reveal from left right and top", &crissCross<Cross::Alternate, Cross::Start>},
    {"Criss Cross reveal from top left right and bottom", &crissCross<Cross::Alternate, Cross::Alternate>},
    {"Criss Cross reveal from bottom left top right", &crissCross<Cross::Alternate, Cross::AlternateBack>},
    {"Uneven shred from bottom and right", &shred<true, Reach::End, true, Reach::End>},
    {"Uneven shred from top and right", &shred<true, Reach::End, true, Reach::Start>},
    {"Uneven shred from bottom and left", &shred<true, Reach::Start, true, Reach::End>},
    {"Uneven shred from top and left", &shred<true, Reach::Start, true, Reach::Start>},
    {"Uneven shred from horiz and right", &shred<true, Reach::End, true, Reach::Out>},
    {"Uneven shred from horiz and left", &shred<true, Reach::Start, true, Reach::Out>},
    {"Uneven shred from bottom and vert middle", &shred<true, Reach::Out, true, Reach::End>},
    {"Uneven shred from top and vert middle", &shred<true, Reach::Out, true, Reach::Start>},
    {"Uneven shred from centre", &shred<true, Reach::Out, true, Reach::Out>},
    {"Uneven shred to centre", &shred<true, Reach::In, true, Reach::In>},
    {"Reveal diagonal from top left", &diagonalReveal<kS, kS>},
    {"Reveal diagonal from top right", &diagonalReveal<kE, kS>},
    {"Reveal diagonal from bottom left", &diagonalReveal<kS, kE>},
    {"Reveal diagonal from bottom right", &diagonalReveal<kE, kE>},
    {"Diagonal sweep from top left bottom right anticlockwise", &sweep<2, false, true>},
    {"Diagonal sweep from top left bottom right clockwise", &sweep<2, true, true>},
    {"Starburst clockwise from center", &sweep<8, true, false>},
    {"Triangular shred to top left", &triangularShred},
    {"Fade", &fadeEffect},
    {"Pivot from top left", &pivot<kS, kS>},
    {"Pivot from bottom left", &pivot<kS, kE>},
    {"Pivot from top right", &pivot<kE, kS>},
    {"Pivot from bottom right", &pivot<kE, kE>},
    {"Speckle appear from right", &speckleAppear<kH, kE>},
    {"Speckle appear from left", &speckleAppear<kH, kS>},
    {"Speckle appear from bottom", &speckleAppear<kV, kE>},
    {"Speckle appear from top", &speckleAppear<kV, kS>},
    {"Random squares appear", &randomSquares},
    {"Push right", &push<kH, kS, false>},
    {"Push left", &push<kH, kE, false>},
    {"Push and squeeze right", &push<kH, kS, true>},
    {"Push and squeeze left", &push<kH, kE, true>},
    {"Push down", &push<kV, kS, false>},
    {"Push up", &push<kV, kE, false>},
    {"Push and sqeeze down", &push<kV, kS, true>},
    {"Push and sqeeze up", &push<kV, kE, true>},
    {"Blind vertically", &blind<kH>},
    {"Blind horizontally", &blind<kV>},
    {"Uneven blind from left", &unevenBlind<kH, kS>},
    {"Uneven blind from right", &unevenBlind<kH, kE>},
    {"Uneven blind from top", &unevenBlind<kV, kS>},
    {"Uneven blind from bottom", &unevenBlind<kV, kE>},
    {"Rectangular shred", &rectangularShred},
    {"Sweep clockwise", &sweep<1, true, false>},
    {"Sweep anticlockwise", &sweep<1, false, false>},
    {"Rectangles apear from left and disapear to right", &rectangleWave<kH, kS>},
    {"Rectangles apear from right and disapear to left", &rectangleWave<kH, kE>},
    {"Rectangles apear from up and disapear to bottom", &rectangleWave<kV, kS>},
    {"Rectangles apear from bottom and disapear to up", &rectangleWave<kV, kE>},
    {"Rotational rectangle", &rotational<false>},
    {"Rotational star", &rotational<true>},
}};

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char p, char q) {
               return std::tolower(static_cast<unsigned char>(p)) ==
                      std::tolower(static_cast<unsigned char>(q));
           });
}

}  // namespace

Geometry geometry(int w, int h, int progress, int step) {
    Geometry g{w, h, 0, 0, 0};
    if (w >= h) {
        g.x = mulDiv(w, progress, 100);
        g.y = w > 0 ? mulDiv(g.x, h, w) : 0;
    } else {
        g.y = mulDiv(h, progress, 100);
        g.x = h > 0 ? mulDiv(g.y, w, h) : 0;
    }
    g.z = mulDiv(std::max(w, h), step, 90);
    return g;
}

void fade(Img& screen, const Img& picture, int progress) {
    progress = std::clamp(progress, 0, 100);
    std::array<uint32_t, 256> keep{}, take{};
    for (uint32_t v = 0; v < 256; ++v) {
        keep[v] = v * static_cast<uint32_t>(100 - progress) / 100;
        take[v] = v * static_cast<uint32_t>(progress) / 100;
    }
    const size_t n = std::min(screen.pixels.size(), picture.pixels.size());
    uint32_t* d = screen.pixels.data();
    const uint32_t* s = picture.pixels.data();
    for (size_t i = 0; i < n; ++i) {
        const uint32_t a = d[i], b = s[i];
        d[i] = 0xFF000000u | (keep[(a >> 16) & 0xFF] + take[(b >> 16) & 0xFF]) << 16 |
               (keep[(a >> 8) & 0xFF] + take[(b >> 8) & 0xFF]) << 8 | (keep[a & 0xFF] + take[b & 0xFF]);
    }
}

const Effect* effect(int number) {
    if (number < 1 || number > kEffectCount) return nullptr;
    return &kEffects[static_cast<size_t>(number - 1)];
}

int effectNumber(std::string_view name) {
    if (sameText(name, "Custom")) return 0;
    for (int i = 0; i < kEffectCount; ++i)
        if (sameText(name, kEffects[static_cast<size_t>(i)].name)) return i + 1;
    return -1;
}

}  // namespace vcl::picshow
