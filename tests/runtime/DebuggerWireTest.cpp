// The debugger link's frames: what one end encodes the other decodes, however the bytes
// are cut; bytes that cannot be a frame are refused; the endpoint lives in a private folder.
#include "runtime/DebuggerWire.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

#include "base/Error.h"

namespace fs = std::filesystem;
using runtime::DebugFrame;
using runtime::DebugFrameDecoder;
namespace msg = runtime::debugmsg;

namespace {

std::vector<DebugFrame> sampleFrames() {
    return {
        {msg::kAnnounce, {4242}, {}},
        {msg::kReport, {123, 6, 3}, {"Something went wrong"}},
        {msg::kReport, {-1, 0, 0}, {"Successfully executed"}},
        {msg::kExpand, {}, {"Z:\\tmp\\zep-ABCDE_al", "%TMPAPPDIR%"}},
        {msg::kHint, {}, {std::string("with\0nul and \xE9", 15)}},
        {msg::kWarning, {}, {""}},
        {77, {}, {}},
    };
}

TEST(DebuggerWire, FramesSurviveAnyCutOfTheStream) {
    std::string stream;
    for (const DebugFrame& f : sampleFrames()) stream += runtime::encodeDebugFrame(f);
    for (size_t piece : {size_t(1), size_t(3), size_t(7), stream.size()}) {
        DebugFrameDecoder decoder;
        std::vector<DebugFrame> got;
        for (size_t at = 0; at < stream.size(); at += piece) {
            decoder.feed(std::string_view(stream).substr(at, piece));
            while (auto f = decoder.next()) got.push_back(*f);
        }
        EXPECT_EQ(got, sampleFrames()) << "pieces of " << piece;
        EXPECT_EQ(decoder.pending(), 0u);
    }
}

TEST(DebuggerWire, TheLayoutIsLengthNumberCountsNumbersTexts) {
    const std::string bytes = runtime::encodeDebugFrame({msg::kReport, {-1, 2, 3}, {"ok"}});
    const std::string expected(
        "\x16\x00\x00\x00"  // 22 bytes follow
        "\x09\x07\x03\x01"  // 1801, three numbers, one text
        "\xFF\xFF\xFF\xFF\x02\x00\x00\x00\x03\x00\x00\x00"
        "\x02\x00\x00\x00ok",
        26);
    EXPECT_EQ(bytes, expected);
}

TEST(DebuggerWire, BytesThatCannotBeAFrameAreRefused) {
    auto decodeOne = [](const std::string& bytes) {
        DebugFrameDecoder d;
        d.feed(bytes);
        return d.next();
    };
    const std::string good = runtime::encodeDebugFrame({msg::kHint, {}, {"abc"}});
    // A text longer than what is left of its frame.
    std::string cut = good;
    cut[8] = 9;
    EXPECT_THROW(decodeOne(cut), base::StreamError);
    // Bytes after the last field, inside the frame's length.
    std::string longer = good + "x";
    longer[0] = static_cast<char>(longer[0] + 1);
    EXPECT_THROW(decodeOne(longer), base::StreamError);
    // More fields than any message has.
    std::string many = good;
    many[7] = 9;
    EXPECT_THROW(decodeOne(many), base::StreamError);
    // A length beyond the limit is refused at once, without waiting for the bytes.
    EXPECT_THROW(decodeOne(std::string("\xFF\xFF\xFF\x7F", 4)), base::StreamError);
    // A frame shorter than its header.
    EXPECT_THROW(decodeOne(std::string("\x02\x00\x00\x00\xBD\x06", 6)), base::StreamError);
    // Incomplete is not malformed.
    EXPECT_FALSE(decodeOne(good.substr(0, good.size() - 1)).has_value());

    EXPECT_THROW(runtime::encodeDebugFrame({msg::kHint, {}, {std::string(runtime::kMaxDebugFrame, 'x')}}),
                 base::Error);
    EXPECT_THROW(runtime::encodeDebugFrame({msg::kHint, std::vector<int32_t>(9), {}}), base::Error);
}

TEST(DebuggerWire, EachMessageHasItsShape) {
    EXPECT_TRUE(runtime::wellFormedDebugFrame({msg::kAnnounce, {1}, {}}));
    EXPECT_FALSE(runtime::wellFormedDebugFrame({msg::kAnnounce, {}, {}}));
    EXPECT_TRUE(runtime::wellFormedDebugFrame({msg::kExpand, {}, {"%SRCDIR%"}}));
    EXPECT_TRUE(runtime::wellFormedDebugFrame({msg::kExpand, {}, {"D:", "%SRCDIR%"}}));
    EXPECT_FALSE(runtime::wellFormedDebugFrame({msg::kExpand, {}, {}}));
    EXPECT_TRUE(runtime::wellFormedDebugFrame({msg::kReport, {0, 0, 0}, {""}}));
    EXPECT_FALSE(runtime::wellFormedDebugFrame({msg::kReport, {0}, {""}}));
    for (uint16_t m : {msg::kHint, msg::kError, msg::kWarning}) {
        EXPECT_TRUE(runtime::wellFormedDebugFrame({m, {}, {"t"}}));
        EXPECT_FALSE(runtime::wellFormedDebugFrame({m, {1}, {"t"}}));
    }
    EXPECT_FALSE(runtime::wellFormedDebugFrame({1723, {}, {"t"}}));
}

class DebuggerEndpoint : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* v = std::getenv("XDG_RUNTIME_DIR")) m_saved = v;
        m_dir = fs::temp_directory_path() / ("vantrel-wire-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override {
        if (m_saved)
            ::setenv("XDG_RUNTIME_DIR", m_saved->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        fs::remove_all(m_dir);
    }
    fs::path m_dir;
    std::optional<std::string> m_saved;
};

TEST_F(DebuggerEndpoint, NamesTheNumberInAPrivateFolderOfTheRuntimeFolder) {
    const fs::path p = runtime::debuggerEndpoint(1234);
    EXPECT_EQ(p, m_dir / "vantrel-debugger" / "debuger-1234.sock");
    struct stat st;
    ASSERT_EQ(::lstat(p.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(DebuggerEndpoint, AFolderOthersCouldWriteOrALinkIsRefused) {
    fs::create_directories(m_dir / "elsewhere");
    fs::create_directory_symlink(m_dir / "elsewhere", m_dir / "vantrel-debugger");
    EXPECT_TRUE(runtime::debuggerEndpoint(1).empty());
    fs::remove(m_dir / "vantrel-debugger");
    fs::create_directory(m_dir / "vantrel-debugger");
    fs::permissions(m_dir / "vantrel-debugger", fs::perms::all);
    EXPECT_TRUE(runtime::debuggerEndpoint(1).empty());
}

TEST_F(DebuggerEndpoint, WithoutARuntimeFolderAPrivateOneInTmp) {
    ::unsetenv("XDG_RUNTIME_DIR");
    const fs::path p = runtime::debuggerEndpoint(7);
    EXPECT_EQ(p, fs::path("/tmp/vantrel-debugger-" + std::to_string(::geteuid())) / "debuger-7.sock");
    // A relative runtime folder is no runtime folder.
    ::setenv("XDG_RUNTIME_DIR", "relative", 1);
    EXPECT_EQ(runtime::debuggerEndpoint(7), p);
}

}  // namespace
