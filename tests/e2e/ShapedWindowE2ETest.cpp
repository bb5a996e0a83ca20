// The shaped form in the real player on a private X server: the window's shape, as the
// server holds it, is exactly the heart the test drew into a mask file.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PlayerProcess.h"
#include "tests/tools/XServer.h"

#include <X11/extensions/shape.h>

namespace fs = std::filesystem;

namespace {

using Pixels = std::set<std::pair<int, int>>;

struct Box {
    int left, top, right, bottom;
};

// A heart, row by row: (x² + y² − 1)³ − x²y³ ≤ 0 sampled at pixel centres, with runs of
// inside pixels as rectangles.
std::vector<Box> heart(int width, int height) {
    std::vector<Box> rows;
    for (int py = 0; py < height; ++py) {
        int start = -1;
        for (int px = 0; px <= width; ++px) {
            bool inside = false;
            if (px < width) {
                const double x = (px + 0.5 - width / 2.0) / (width / 2.4);
                const double y = (height / 2.0 - (py + 0.5)) / (height / 2.4) + 0.15;
                const double a = x * x + y * y - 1;
                inside = a * a * a - x * x * y * y * y <= 0;
            }
            if (inside && start < 0) start = px;
            if (!inside && start >= 0) {
                rows.push_back({start, py, px, py + 1});
                start = -1;
            }
        }
    }
    return rows;
}

void put32(std::string& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
}

// The mask file: a 32-bit length, then region data (a 32-byte header and the rectangles).
std::string maskFile(const std::vector<Box>& boxes) {
    std::string data;
    for (int32_t v : {32, 1, static_cast<int32_t>(boxes.size()), static_cast<int32_t>(16 * boxes.size())})
        put32(data, v);
    for (int32_t v : {0, 0, 120, 110}) put32(data, v);
    for (const Box& b : boxes)
        for (int32_t v : {b.left, b.top, b.right, b.bottom}) put32(data, v);
    std::string file;
    put32(file, static_cast<int32_t>(data.size()));
    return file + data;
}

template <typename Rects>
Pixels pixelsOf(const Rects& rects) {
    Pixels p;
    for (const auto& r : rects)
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) p.emplace(x, y);
    return p;
}

// The viewable top-level window with that title.
Window windowTitled(Display* display, const std::string& title) {
    Window root = None, parent = None, *children = nullptr;
    unsigned int count = 0;
    Window found = None;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count && found == None; ++i)
        if (tools::testing::mapState(display, children[i]) == IsViewable &&
            tools::testing::utf8Property(display, children[i], "_NET_WM_NAME") == title)
            found = children[i];
    if (children != nullptr) XFree(children);
    return found;
}

// The window's bounding shape as the server holds it.
Pixels serverShape(Display* display, Window window) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(display, window, ShapeBounding, &count, &ordering);
    std::vector<Box> boxes;
    for (int i = 0; i < count; ++i)
        boxes.push_back({rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height});
    if (rects != nullptr) XFree(rects);
    return pixelsOf(boxes);
}

TEST(ShapedWindow, TheServerHoldsExactlyTheHeartOfTheMask) {
    tools::testing::XvfbServer server;
    ASSERT_TRUE(server.running()) << server.error();
    e2e::Sandbox box;
    const std::vector<Box> boxes = heart(120, 110);
    box.write("heart.msk", maskFile(boxes));
    const Pixels expected = pixelsOf(boxes);
    ASSERT_GT(expected.size(), 4000u);
    ASSERT_LT(expected.size(), 120u * 110u);

    e2e::PlayerProcess player(box, e2e::builtPlayer(),
                              {{(fs::path(E2E_PROJECTS) / "heart.zep").string()},
                               true,
                               "",
                               {"DISPLAY=" + server.display(), "QT_QPA_PLATFORM=xcb",
                                "VANTREL_TEST_MASK=" + (box.dir() / "heart.msk").string()}});
    Display* display = XOpenDisplay(server.display().c_str());
    ASSERT_NE(display, nullptr);
    Pixels shape;
    const bool shaped = tools::testing::pollUntil(
        [&] {
            const Window w = windowTitled(display, "Heart test");
            if (w == None) return false;
            shape = serverShape(display, w);
            return shape == expected;
        },
        std::chrono::seconds(20));
    EXPECT_TRUE(shaped) << "the server's shape has " << shape.size() << " pixels, the heart "
                        << expected.size();
    XCloseDisplay(display);
    player.signal(SIGTERM);
    EXPECT_EQ(player.wait(), 128 + SIGTERM);
}

}  // namespace
