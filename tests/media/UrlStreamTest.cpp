// Internet streams against servers on the loopback interface, run by the tests themselves:
// a radio station with in-band titles, a station that stalls, a silent server, errors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestAudio.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/net/IcyDemux.h"
#include "media/net/UrlStream.h"

using namespace media;
using Clock = std::chrono::steady_clock;

namespace {

const bool s_null = (setenv("VANTREL_AUDIO", "null", 1), true);

// One client at a time: reads its request, then hands the socket to the handler.
class LoopbackServer {
public:
    using Handler = std::function<void(LoopbackServer&, int fd)>;

    explicit LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        socklen_t len = sizeof addr;
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        listen(m_listen, 4);
        m_thread = std::thread([this] { serve(); });
    }
    ~LoopbackServer() {
        m_stop = true;
        m_thread.join();
        close(m_listen);
    }

    std::string url(const std::string& path = "/radio") const {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }
    std::string request() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_request;
    }
    bool stopping() const { return m_stop; }

    static bool sendAll(int fd, const std::string& data) {
        for (size_t at = 0; at < data.size();) {
            const ssize_t n = send(fd, data.data() + at, data.size() - at, MSG_NOSIGNAL);
            if (n <= 0) return false;
            at += static_cast<size_t>(n);
        }
        return true;
    }
    // Holds the connection open, sending nothing, until the client leaves or the test ends.
    void stall(int fd) {
        while (!m_stop) {
            pollfd p{fd, POLLIN, 0};
            char c;
            if (poll(&p, 1, 20) > 0 && recv(fd, &c, 1, 0) <= 0) return;
        }
    }

private:
    void serve() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            const int fd = accept(m_listen, nullptr, nullptr);
            if (fd < 0) continue;
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, static_cast<size_t>(n));
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_request = request;
            }
            m_handler(*this, fd);
            close(fd);
        }
    }

    Handler m_handler;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    std::mutex m_mutex;
    std::string m_request;
};

const std::string& mp3Path() {
    static const std::string path = [] {
        const std::string mp3 = test::scratchPath("radio.mp3");
        test::run("lame --quiet -b 128 '" + test::makeTone("radio.wav", 5.0) + "' '" + mp3 + "'");
        return mp3;
    }();
    return path;
}

std::string mp3Bytes() {
    const std::vector<uint8_t> bytes = test::readFile(mp3Path());
    return {bytes.begin(), bytes.end()};
}

constexpr size_t kMetaint = 8192;

std::string metaBlock(const std::string& text) {
    std::string block = text;
    block.resize((text.size() + 15) / 16 * 16, '\0');
    return std::string(1, static_cast<char>(block.size() / 16)) + block;
}

// The body from audio byte `from` to `to`, with a metadata block after every kMetaint bytes:
// `title` in each block (empty blocks when it is empty).
std::string icyBody(const std::string& audio, size_t from, size_t to, const std::string& title) {
    std::string body;
    for (size_t at = from; at < to;) {
        const size_t next = std::min(to, (at / kMetaint + 1) * kMetaint);
        body += audio.substr(at, next - at);
        if (next % kMetaint == 0) body += title.empty() ? std::string(1, '\0') : metaBlock(title);
        at = next;
    }
    return body;
}

// A station: 40 KB under one title, a pause, then the rest under another.
void radio(LoopbackServer& server, int fd) {
    const std::string audio = mp3Bytes();
    const std::string head =
        "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\nicy-name: Test Radio\r\nicy-genre: Tests\r\n"
        "icy-metaint: " +
        std::to_string(kMetaint) + "\r\n\r\n";
    const size_t split = 5 * kMetaint;
    if (!LoopbackServer::sendAll(fd,
                                 head + icyBody(audio, 0, split, "StreamTitle='First Song';StreamUrl='';")))
        return;
    for (int i = 0; i < 20 && !server.stopping(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    LoopbackServer::sendAll(fd, icyBody(audio, split, audio.size(), "StreamTitle='Second Song';"));
}

std::vector<std::string> tagList(const char* p) {
    std::vector<std::string> items;
    while (p && *p) {
        items.emplace_back(p);
        p += items.back().size() + 1;
    }
    return items;
}

std::vector<uint8_t> decodeAll(uint32_t h) {
    std::vector<uint8_t> out;
    std::vector<uint8_t> buffer(10240);
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED && Clock::now() < until) {
        const uint32_t got = BASS_ChannelGetData(h, buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (got == 0xFFFFFFFFu) break;
        if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
    return out;
}

class UrlStream : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(s_null);
        ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    }
    static void TearDownTestSuite() { BASS_Free(); }
    void SetUp() override { BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 5000); }
};

TEST_F(UrlStream, RadioPlaysAndItsTitleChanges) {
    LoopbackServer server(radio);
    const uint32_t h = BASS_StreamCreateURL(server.url().c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_NE(server.request().find("Icy-MetaData: 1"), std::string::npos);
    BassChannelInfo info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(h, &info));
    EXPECT_EQ(info.ctype, 0x10005u);
    EXPECT_EQ(info.freq, 44100u);

    const std::vector<std::string> http = tagList(BASS_StreamGetTags(h, BASS_TAG_HTTP));
    ASSERT_FALSE(http.empty());
    EXPECT_EQ(http.front(), "HTTP/1.0 200 OK");
    EXPECT_NE(std::find(http.begin(), http.end(), "Content-Type: audio/mpeg"), http.end());
    const std::vector<std::string> icy = tagList(BASS_StreamGetTags(h, BASS_TAG_ICY));
    EXPECT_EQ(icy,
              (std::vector<std::string>{"icy-name: Test Radio", "icy-genre: Tests", "icy-metaint: 8192"}));
    ASSERT_NE(BASS_StreamGetTags(h, BASS_TAG_META), nullptr);
    EXPECT_STREQ(BASS_StreamGetTags(h, BASS_TAG_META), "StreamTitle='First Song';StreamUrl='';");

    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    std::string title;
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (title != "StreamTitle='Second Song';" && Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const char* meta = BASS_StreamGetTags(h, BASS_TAG_META);
        title = meta ? meta : "";
    }
    EXPECT_EQ(title, "StreamTitle='Second Song';");
    const uint32_t state = BASS_ChannelIsActive(h);
    EXPECT_TRUE(state == BASS_ACTIVE_PLAYING || state == BASS_ACTIVE_STALLED) << state;
    EXPECT_GT(BASS_ChannelGetPosition(h), 0u);
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(UrlStream, DecodesTheSameSamplesAsTheFileWithTheMetadataTakenOut) {
    LoopbackServer server(radio);
    const uint32_t net = BASS_StreamCreateURL(server.url().c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(net, 0u) << BASS_ErrorGetCode();
    const std::vector<uint8_t> streamed = decodeAll(net);
    const uint32_t file = BASS_StreamCreateFile(false, mp3Path().c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(file, 0u);
    const std::vector<uint8_t> local = decodeAll(file);
    ASSERT_GT(local.size(), 44100u * 4 * 4);
    // The file decoder knows the exact end from a scan; the stream may keep the padding of
    // the last frame. Everything before it must agree.
    ASSERT_GE(streamed.size(), local.size());
    EXPECT_LE(streamed.size() - local.size(), 1152u * 4 * 2);
    EXPECT_TRUE(std::equal(local.begin(), local.end(), streamed.begin()));
    BASS_StreamFree(net);
    BASS_StreamFree(file);
}

TEST_F(UrlStream, DownloadProcedureSeesTheAudioBytesOnly) {
    LoopbackServer server(radio);
    struct Seen {
        std::mutex mutex;
        std::string bytes;
        bool ended = false;
    } seen;
    auto proc = [](const void* buffer, uint32_t length, void* user) {
        auto* s = static_cast<Seen*>(user);
        std::lock_guard<std::mutex> lock(s->mutex);
        if (buffer)
            s->bytes.append(static_cast<const char*>(buffer), length);
        else
            s->ended = true;
    };
    const uint32_t h = BASS_StreamCreateURL(server.url().c_str(), 0, BASS_STREAM_DECODE, proc, &seen);
    ASSERT_NE(h, 0u);
    decodeAll(h);
    BASS_StreamFree(h);  // waits for the download thread
    std::lock_guard<std::mutex> lock(seen.mutex);
    EXPECT_TRUE(seen.ended);
    EXPECT_TRUE(seen.bytes == mp3Bytes());
}

TEST_F(UrlStream, ShoutcastAnswerKeepsItsLinesAsIcyTags) {
    LoopbackServer server([](LoopbackServer&, int fd) {
        const std::string audio = mp3Bytes();
        LoopbackServer::sendAll(fd, "ICY 200 OK\r\nicy-name: Old Station\r\nicy-metaint: 8192\r\n\r\n" +
                                        icyBody(audio, 0, audio.size(), "StreamTitle='Only';"));
    });
    const uint32_t h = BASS_StreamCreateURL(server.url().c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_HTTP), nullptr);
    EXPECT_EQ(tagList(BASS_StreamGetTags(h, BASS_TAG_ICY)),
              (std::vector<std::string>{"ICY 200 OK", "icy-name: Old Station", "icy-metaint: 8192"}));
    EXPECT_STREQ(BASS_StreamGetTags(h, BASS_TAG_META), "StreamTitle='Only';");
    BASS_StreamFree(h);
}

TEST_F(UrlStream, OggStationsDecodeThroughTheSameTable) {
    const std::string ogg = test::scratchPath("radio.ogg");
    ASSERT_TRUE(test::run("oggenc --quiet -o '" + ogg + "' '" + test::makeTone("radio-ogg.wav", 1.0) + "'"));
    LoopbackServer server([&ogg](LoopbackServer&, int fd) {
        const std::vector<uint8_t> bytes = test::readFile(ogg);
        LoopbackServer::sendAll(fd, "HTTP/1.0 200 OK\r\nContent-Type: application/ogg\r\n\r\n" +
                                        std::string(bytes.begin(), bytes.end()));
    });
    const uint32_t net = BASS_StreamCreateURL(server.url().c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    ASSERT_NE(net, 0u) << BASS_ErrorGetCode();
    BassChannelInfo info{};
    ASSERT_TRUE(BASS_ChannelGetInfo(net, &info));
    EXPECT_EQ(info.ctype, 0x10002u);
    const uint32_t file = BASS_StreamCreateFile(false, ogg.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(file, 0u);
    const std::vector<uint8_t> streamed = decodeAll(net);
    EXPECT_TRUE(streamed == decodeAll(file));
    EXPECT_EQ(streamed.size(), 44100u * 4);
    BASS_StreamFree(net);
    BASS_StreamFree(file);
}

TEST_F(UrlStream, ALongStationWaitsForItsListenerWithoutLosingBytes) {
    const std::string mp3 = test::scratchPath("long.mp3");
    ASSERT_TRUE(test::run("lame --quiet -b 128 '" + test::makeTone("long.wav", 30.0) + "' '" + mp3 + "'"));
    const std::vector<uint8_t> bytes = test::readFile(mp3);
    ASSERT_GT(bytes.size(), 400u * 1024);  // more than the download keeps unread
    LoopbackServer server([&bytes](LoopbackServer&, int fd) {
        const std::string audio(bytes.begin(), bytes.end());
        LoopbackServer::sendAll(fd, "HTTP/1.0 200 OK\r\nicy-metaint: 8192\r\n\r\n" +
                                        icyBody(audio, 0, audio.size(), "StreamTitle='Long';"));
    });
    ASSERT_EQ(BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 1000), 1000u);
    const uint32_t net = BASS_StreamCreateURL(server.url().c_str(), 0, BASS_STREAM_DECODE, nullptr, nullptr);
    BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 5000);
    ASSERT_NE(net, 0u) << BASS_ErrorGetCode();
    // Nobody reads for a while: the decoded buffer fills, then the download holds off.
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    const std::vector<uint8_t> streamed = decodeAll(net);
    const uint32_t file = BASS_StreamCreateFile(false, mp3.c_str(), 0, 0, BASS_STREAM_DECODE);
    ASSERT_NE(file, 0u);
    const std::vector<uint8_t> local = decodeAll(file);
    ASSERT_GE(streamed.size(), local.size());
    EXPECT_LE(streamed.size() - local.size(), 1152u * 4 * 2);
    EXPECT_TRUE(std::equal(local.begin(), local.end(), streamed.begin()));
    BASS_StreamFree(net);
    BASS_StreamFree(file);
}

TEST_F(UrlStream, ASilentServerFailsCreationWithinTheTimeout) {
    LoopbackServer server([](LoopbackServer& s, int fd) { s.stall(fd); });
    ASSERT_EQ(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 600), 600u);
    const auto start = Clock::now();
    // The waiting thread keeps handling its own events meanwhile.
    static std::atomic<int> s_hooks{0};
    s_hooks = 0;
    setNetWaitHook([] { ++s_hooks; });
    EXPECT_EQ(BASS_StreamCreateURL(server.url().c_str(), 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorTimeout);
    setNetWaitHook(nullptr);
    // Bounded by the time-out (with room for a loaded machine), not by the server.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_GE(s_hooks.load(), 10);
}

TEST_F(UrlStream, AStationThatStallsStallsTheChannelNotTheCaller) {
    LoopbackServer server([](LoopbackServer& s, int fd) {
        const std::string audio = mp3Bytes();
        // About two seconds of audio, then nothing.
        if (LoopbackServer::sendAll(
                fd, "HTTP/1.0 200 OK\r\nicy-metaint: 8192\r\n\r\n" + icyBody(audio, 0, 32 * 1024, "")))
            s.stall(fd);
    });
    ASSERT_EQ(BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, 3000), 3000u);
    const uint32_t h = BASS_StreamCreateURL(server.url().c_str(), 0, 0, nullptr, nullptr);
    ASSERT_NE(h, 0u) << BASS_ErrorGetCode();
    EXPECT_EQ(BASS_StreamGetTags(h, BASS_TAG_META), nullptr);  // only empty metadata blocks
    ASSERT_TRUE(BASS_StreamPlay(h, false, 0));
    bool sawStall = false;
    auto slowest = Clock::duration::zero();
    const auto until = Clock::now() + std::chrono::seconds(12);
    uint32_t state = BASS_ACTIVE_PLAYING;
    while (state != BASS_ACTIVE_STOPPED && Clock::now() < until) {
        const auto before = Clock::now();
        state = BASS_ChannelIsActive(h);
        BASS_ChannelGetPosition(h);
        BASS_StreamGetTags(h, BASS_TAG_META);
        slowest = std::max(slowest, Clock::now() - before);
        sawStall |= state == BASS_ACTIVE_STALLED;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(sawStall);
    // After the time-out without a byte the station is given up and the channel ends.
    EXPECT_EQ(state, BASS_ACTIVE_STOPPED);
    EXPECT_LT(slowest, std::chrono::milliseconds(500));
    EXPECT_TRUE(BASS_StreamFree(h));
}

TEST_F(UrlStream, FailuresSayWhy) {
    LoopbackServer missing([](LoopbackServer&, int fd) {
        LoopbackServer::sendAll(fd, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    });
    EXPECT_EQ(BASS_StreamCreateURL(missing.url().c_str(), 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);

    LoopbackServer text([](LoopbackServer&, int fd) {
        LoopbackServer::sendAll(
            fd, "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + std::string(30000, 'x'));
    });
    EXPECT_EQ(BASS_StreamCreateURL(text.url().c_str(), 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileForm);

    int port;
    {
        LoopbackServer closed([](LoopbackServer&, int) {});
        port = std::stoi(closed.url().substr(17));
    }
    const std::string refused = "http://127.0.0.1:" + std::to_string(port) + "/";
    EXPECT_EQ(BASS_StreamCreateURL(refused.c_str(), 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);

    EXPECT_EQ(BASS_StreamCreateURL("file:///etc/passwd", 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorFileOpen);
    EXPECT_EQ(BASS_StreamCreateURL(nullptr, 0, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorIllParam);
}

TEST(IcyDemux, SplitsAudioFromMetadataInAnyPieceSizes) {
    std::string audio(20000, '\0');
    for (size_t i = 0; i < audio.size(); ++i) audio[i] = static_cast<char>('a' + i % 26);
    const std::string body = icyBody(audio, 0, 10000, "StreamTitle='A';") + icyBody(audio, 10000, 20000, "");
    for (size_t piece : {size_t{1}, size_t{7}, size_t{4096}, body.size()}) {
        IcyDemux demux(kMetaint);
        std::string out;
        std::vector<std::string> texts;
        for (size_t at = 0; at < body.size(); at += piece)
            demux.feed(reinterpret_cast<const uint8_t*>(body.data()) + at, std::min(piece, body.size() - at),
                       out, texts);
        EXPECT_TRUE(out == audio) << piece;
        // One titled block at 8192; the block at 16384 is empty and reports nothing.
        EXPECT_EQ(texts, std::vector<std::string>{"StreamTitle='A';"}) << piece;
    }
}

TEST(IcyDemux, HeaderValuesIgnoreCaseAndSpacing) {
    const std::vector<std::string> lines = {"HTTP/1.0 200 OK", "ICY-METAINT:\t 16000", "icy-name: x"};
    EXPECT_EQ(headerValue(lines, "icy-metaint"), "16000");
    EXPECT_EQ(headerValue(lines, "icy-nam"), "");
    EXPECT_EQ(joinTagList({"a", "b"}), std::string("a\0b\0\0", 5));
}

}  // namespace
