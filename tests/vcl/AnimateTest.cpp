// The AVI reader and the animation control playing its clips on a stepped clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/Error.h"
#include "tests/vcl/AviBuilder.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Animate.h"
#include "vcl/AviClip.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"

using namespace vcl;
using vcltest::colorAt;
using vcltest::handler;

namespace {

avitest::Clip threeColours() {
    avitest::Clip c;
    c.width = 3;
    c.height = 2;
    for (uint32_t rgb : {0xFF0000u, 0x00FF00u, 0x0000FFu})
        c.frames.push_back(avitest::solidFrame24(3, 2, rgb));
    return c;
}

std::string writeTemp(const std::string& bytes, const char* name) {
    const auto path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

}  // namespace

TEST(AviClip, ReadsUncompressedFramesOfEveryDepth) {
    const AviClip clip = readAviClip(threeColours().bytes());
    EXPECT_EQ(clip.width, 3);
    EXPECT_EQ(clip.height, 2);
    EXPECT_EQ(clip.frameMicroseconds, 100000);
    ASSERT_EQ(clip.frames.size(), 3u);
    EXPECT_EQ(clip.frames[0].pixel(2, 1), 0xFFFF0000u);
    EXPECT_EQ(clip.frames[2].pixel(0, 0), 0xFF0000FFu);

    // 8 bits through a palette, rows bottom-up; 16 bits as 5-5-5; a top-down 32-bit frame.
    avitest::Clip pal;
    pal.width = 2, pal.height = 2, pal.bits = 8;
    pal.palette = {0x000000, 0xFFFFFF, 0x808000};
    pal.frames = {std::string("\x01\x02\0\0\x00\x01\0\0", 8)};
    AviClip p = readAviClip(pal.bytes());
    EXPECT_EQ(p.frames[0].pixel(0, 1), 0xFFFFFFFFu) << "the first row of the data is the bottom one";
    EXPECT_EQ(p.frames[0].pixel(1, 1), 0xFF808000u);
    EXPECT_EQ(p.frames[0].pixel(0, 0), 0xFF000000u);

    avitest::Clip hi;
    hi.width = 1, hi.height = 1, hi.bits = 16;
    hi.frames = {std::string("\x1F\x7C\0\0", 4)};  // 0x7C1F: red and blue full
    EXPECT_EQ(readAviClip(hi.bytes()).frames[0].pixel(0, 0), 0xFFFF00FFu);

    avitest::Clip deep;
    deep.width = 1, deep.height = 2, deep.bits = 32, deep.topDown = true;
    deep.frames = {std::string("\x01\x02\x03\x00\x04\x05\x06\x00", 8)};
    AviClip d = readAviClip(deep.bytes());
    EXPECT_EQ(d.frames[0].pixel(0, 0), 0xFF030201u);
    EXPECT_EQ(d.frames[0].pixel(0, 1), 0xFF060504u);
}

TEST(AviClip, Rle8FramesDrawOverTheOneBefore) {
    avitest::Clip c;
    c.width = 4, c.height = 2, c.bits = 8, c.compression = 1;
    c.palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Frame 1: bottom row a run of 4 x colour 1, top row literal 2 3 2 3.
    std::string f1 = std::string("\x04\x01\x00\x00", 4) + std::string("\x00\x04\x02\x03\x02\x03\x00\x01", 8);
    // Frame 2: jump one pixel right on the bottom row, paint two pixels of colour 3, end.
    std::string f2 = std::string("\x00\x02\x01\x00\x02\x03\x00\x01", 8);
    c.frames = {f1, f2, std::string()};
    const AviClip clip = readAviClip(c.bytes());
    ASSERT_EQ(clip.frames.size(), 3u);
    EXPECT_EQ(clip.frames[0].pixel(0, 1), 0xFFFF0000u);
    EXPECT_EQ(clip.frames[0].pixel(1, 0), 0xFF0000FFu);
    EXPECT_EQ(clip.frames[1].pixel(0, 1), 0xFFFF0000u) << "untouched pixels keep the frame before";
    EXPECT_EQ(clip.frames[1].pixel(1, 1), 0xFF0000FFu);
    EXPECT_EQ(clip.frames[1].pixel(2, 1), 0xFF0000FFu);
    EXPECT_EQ(clip.frames[1].pixel(3, 1), 0xFFFF0000u);
    EXPECT_EQ(clip.frames[2].pixels, clip.frames[1].pixels) << "an empty chunk repeats the frame";
}

TEST(AviClip, RefusesWhatItCannotPlay) {
    EXPECT_THROW(readAviClip("RIFF\4\0\0\0WAVE"), base::StreamError);
    EXPECT_THROW(readAviClip(""), base::StreamError);
    avitest::Clip cinepak = threeColours();
    cinepak.compression = 0x64697663;  // "cvid"
    EXPECT_THROW(readAviClip(cinepak.bytes()), base::StreamError);
    avitest::Clip shortFrame = threeColours();
    shortFrame.frames[1].resize(5);
    EXPECT_THROW(readAviClip(shortFrame.bytes()), base::StreamError);
    avitest::Clip huge;
    huge.width = 4096, huge.height = 4096, huge.bits = 8, huge.compression = 1;
    huge.frames.assign(3, std::string("\x00\x01", 2));
    EXPECT_THROW(readAviClip(huge.bytes()), base::StreamError) << "clips are bounded in memory";
    std::string nested = "junk";
    for (int i = 0; i < 200; ++i) nested = avitest::list("rec ", nested);
    EXPECT_THROW(readAviClip(std::string("RIFF\xff\xff\xff\xff", 8) + "AVI " + nested), base::StreamError)
        << "nesting is bounded";
    // Cut anywhere, a clip never reads past its end.
    const std::string whole = threeColours().bytes();
    for (size_t n = 0; n < whole.size(); n += 7) {
        try {
            readAviClip(whole.substr(0, n));
        } catch (const base::StreamError&) {
        }
    }
}

TEST(Animate, PlaysRangesOnTheClockAndReportsStartAndStop) {
    ManualClock clock;
    ScopedTimerService useClock(clock);
    const std::string path = writeTemp(threeColours().bytes(), "vantrel-animate-test.avi");
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 100, 60);
    auto* anim = new TAnimate(&form);
    anim->setParent(&form);
    anim->setBounds(10, 10, 50, 40);
    std::string log;
    anim->onOpen = handler([&] { log += "open "; });
    anim->onStart = handler([&] { log += "start "; });
    anim->onStop = handler([&] { log += "stop "; });
    anim->setFileName(path);
    EXPECT_TRUE(anim->open());
    EXPECT_EQ(anim->frameCount(), 3);
    EXPECT_EQ(anim->stopFrame(), 3);
    EXPECT_EQ(anim->width(), 3) << "AutoSize takes the frame's size";
    anim->setAutoSize(false);
    anim->setBounds(10, 10, 50, 40);
    anim->setTransparent(false);

    anim->play(1, 3, 2);
    EXPECT_EQ(anim->currentFrame(), 1);
    clock.advance(100);
    EXPECT_EQ(anim->currentFrame(), 2);
    clock.advance(200);
    EXPECT_EQ(anim->currentFrame(), 1) << "the second play starts over";
    clock.advance(200);
    EXPECT_EQ(anim->currentFrame(), 3);
    EXPECT_TRUE(anim->active());
    clock.advance(100);
    EXPECT_FALSE(anim->active());
    EXPECT_EQ(log, "open start stop ");
    EXPECT_EQ(clock.activeTimers(), 0);

    // The frame shows centred in the control.
    form.show();
    anim->seek(2);
    const pictures::Image img = form.grab();
    EXPECT_EQ(colorAt(img, 10 + 24, 10 + 19), clLime);
    EXPECT_EQ(colorAt(img, 11, 11), colorToRGB(clBtnFace));
    EXPECT_THROW(anim->seek(4), base::Error);
    form.hide();

    anim->setActive(true);
    EXPECT_TRUE(anim->active());
    anim->setOpen(false);
    EXPECT_FALSE(anim->active());
    EXPECT_EQ(anim->frameCount(), 0);
    anim->setCommonAVI(aviCopyFiles);
    EXPECT_FALSE(anim->open()) << "the system's own clips do not exist here";
    EXPECT_THROW(anim->setActive(true), base::Error);
    EXPECT_THROW(anim->setFileName(path + ".missing"), base::Error);
    std::remove(path.c_str());
}
