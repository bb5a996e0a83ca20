// vantrel-play as the peer for lengths and formats: what it prints for generated files
// agrees with what sox says about them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "TestAudio.h"

namespace t = media::test;

namespace {

std::string capture(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

const std::string kPlayer = std::string(VANTREL_BINARY_DIR) + "/media/vantrel-play";

TEST(VantrelPlay, InfoPrintsFormatRateAndLength) {
    const std::string wav = t::makeTone("peer.wav", 1.5, "-r 22050 -c 1 -b 16");
    const std::string mp3 = t::scratchPath("peer.mp3");
    ASSERT_TRUE(t::run("lame --quiet '" + wav + "' '" + mp3 + "'"));
    EXPECT_EQ(capture("VANTREL_AUDIO=null '" + kPlayer + "' --info '" + wav + "'"),
              wav + ": WAV, 22050 Hz, 1 channel(s), 16-bit, length 66150 bytes = 1.500 s\n");
    // The MP3's length is what mpg123 decodes from it (encoder delay and padding included
    // where the file does not describe them).
    const std::string ref = t::scratchPath("peer-ref.wav");
    ASSERT_TRUE(t::run("mpg123 -q -w '" + ref + "' '" + mp3 + "'"));
    const size_t bytes = t::wavData(t::readFile(ref)).size();
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  ": MP3, 22050 Hz, 1 channel(s), 16-bit, length %zu bytes = %.3f s\n", bytes,
                  static_cast<double>(bytes) / 44100.0);
    EXPECT_EQ(capture("VANTREL_AUDIO=null '" + kPlayer + "' --info '" + mp3 + "'"), mp3 + expected);
}

TEST(VantrelPlay, PlaysToTheEndOnTheSinkAndReportsFailures) {
    const std::string wav = t::makeTone("peer-play.wav", 0.3);
    const std::string out = capture("VANTREL_AUDIO=null '" + kPlayer + "' '" + wav + "'");
    EXPECT_NE(out.find("device: Default"), std::string::npos) << out;
    EXPECT_NE(out.find("ended at 0.300 s"), std::string::npos) << out;
    EXPECT_EQ(capture("VANTREL_AUDIO=null '" + kPlayer + "' --devices"), "0: No sound\n1: Default\n");
    EXPECT_NE(system(("VANTREL_AUDIO=null '" + kPlayer + "' /no/such/file.ogg 2>/dev/null").c_str()), 0);
}

}  // namespace
