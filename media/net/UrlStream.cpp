// The download thread (libcurl multi interface, so a cancel wakes it at once), the decode
// thread (the engine's decoder table over a blocking byte source) and the stream between them.
#include "media/net/UrlStream.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "media/DataSource.h"
#include "media/ErrorCode.h"
#include "media/decoders/DecoderTable.h"
#include "media/net/IcyDemux.h"

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxUnreadBytes = 256 * 1024;  // download pauses beyond this
constexpr size_t kDecodeChunkFrames = 2048;
constexpr int kPollMs = 50;
constexpr int kHookPeriodMs = 20;

std::atomic<NetWaitHook> s_waitHook{nullptr};

// Everything the three parties share, under `mutex`.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    bool cancel = false;

    // Download side.
    std::vector<uint8_t> bytes;  // audio bytes from absolute offset `base` on
    int64_t base = 0;
    int64_t readPos = 0;
    bool retain = true;  // keep what was read, so the probes can rewind
    bool ended = false;
    int error = kErrorOk;
    Clock::time_point lastByte = Clock::now();
    std::vector<std::string> headers;
    bool icyStatus = false;
    std::string meta;
    uint64_t contentLength = 0;
    CURLM* multi = nullptr;

    // Decode side.
    bool ready = false;
    bool decodeDone = false;
    StreamFormat format;
    uint32_t type = 0;
    std::string id3v2;
    std::deque<int16_t> pcm;
    size_t pcmCap = 0;

    size_t unread() const { return bytes.size() - static_cast<size_t>(readPos - base); }
};

// The downloaded bytes as a data source for the decoders: reads wait for the network.
class NetSource : public DataSource {
public:
    explicit NetSource(std::shared_ptr<Shared> s) : m_s(std::move(s)) {}

    // Takes bytes as they come, so a request larger than the download keeps unread still
    // moves the download on.
    size_t read(void* out, size_t n) override {
        std::unique_lock<std::mutex> lock(m_s->mutex);
        size_t done = 0;
        while (done < n) {
            m_s->changed.wait(lock, [&] { return m_s->unread() > 0 || m_s->ended || m_s->cancel; });
            if (m_s->cancel || m_s->unread() == 0) break;
            const size_t take = std::min(n - done, m_s->unread());
            std::memcpy(static_cast<uint8_t*>(out) + done, m_s->bytes.data() + (m_s->readPos - m_s->base),
                        take);
            m_s->readPos += static_cast<int64_t>(take);
            done += take;
        }
        if (!m_s->retain) compact();
        return done;
    }
    bool seek(int64_t offset, int whence) override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        if (whence == SEEK_END) return false;  // a live stream has no end to count from
        const int64_t target = whence == SEEK_CUR ? m_s->readPos + offset : offset;
        if (target < m_s->base || target > m_s->base + static_cast<int64_t>(m_s->bytes.size())) return false;
        m_s->readPos = target;
        return true;
    }
    int64_t tell() const override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        return m_s->readPos;
    }
    int64_t size() const override { return -1; }

private:
    // Drops what was read once it outweighs what is left, so copying stays cheap.
    void compact() {
        const auto done = static_cast<size_t>(m_s->readPos - m_s->base);
        if (done < 64 * 1024 || done < m_s->bytes.size() / 2) return;
        m_s->bytes.erase(m_s->bytes.begin(), m_s->bytes.begin() + static_cast<std::ptrdiff_t>(done));
        m_s->base = m_s->readPos;
    }

    std::shared_ptr<Shared> m_s;
};

void initCurl() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

class Transfer {
public:
    Transfer(std::shared_ptr<Shared> s, std::string url, const UrlOptions& options)
        : m_s(std::move(s)), m_url(std::move(url)), m_options(options) {}

    void run() {
        CURL* easy = curl_easy_init();
        CURLM* multi = curl_multi_init();
        curl_slist* request = curl_slist_append(nullptr, "Icy-MetaData: 1");
        curl_slist* aliases = curl_slist_append(nullptr, "ICY 200 OK");
        if (!easy || !multi || !request || !aliases) {
            finish(kErrorMem);
        } else {
            configure(easy, request, aliases);
            curl_multi_add_handle(multi, easy);
            {
                std::lock_guard<std::mutex> lock(m_s->mutex);
                m_s->multi = multi;
            }
            finish(loop(multi, easy));
            {
                std::lock_guard<std::mutex> lock(m_s->mutex);
                m_s->multi = nullptr;
            }
            curl_multi_remove_handle(multi, easy);
        }
        if (m_options.proc) m_options.proc(nullptr, 0, m_options.user);
        curl_slist_free_all(request);
        curl_slist_free_all(aliases);
        if (multi) curl_multi_cleanup(multi);
        if (easy) curl_easy_cleanup(easy);
    }

private:
    void configure(CURL* easy, curl_slist* request, curl_slist* aliases) {
        curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
        curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
        curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::max<uint32_t>(m_options.timeoutMs, 1)));
        curl_easy_setopt(easy, CURLOPT_USERAGENT, "Vantrel");
        curl_easy_setopt(easy, CURLOPT_HTTPHEADER, request);
        curl_easy_setopt(easy, CURLOPT_HTTP200ALIASES, aliases);
        if (m_options.offset > 0)
            curl_easy_setopt(easy, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(m_options.offset));
        curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::onHeader);
        curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::onBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    }

    int loop(CURLM* multi, CURL* easy) {
        const auto timeout = std::chrono::milliseconds(std::max<uint32_t>(m_options.timeoutMs, 1));
        for (;;) {
            int running = 0;
            curl_multi_perform(multi, &running);
            if (running == 0) break;
            bool resume = false;
            {
                std::lock_guard<std::mutex> lock(m_s->mutex);
                if (m_s->cancel) return kErrorOk;
                if (m_paused && m_s->unread() < kMaxUnreadBytes / 2) {
                    m_paused = false;
                    resume = true;
                    m_s->lastByte = Clock::now();
                }
                // A full buffer is our doing, not the server's: only a wanting stream times out.
                if (!m_paused && Clock::now() - m_s->lastByte > timeout) return kErrorTimeout;
            }
            // Unpausing may deliver the held data at once, through onBody, which locks.
            if (resume) curl_easy_pause(easy, CURLPAUSE_CONT);
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
        int msgs = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi, &msgs)) {
            if (msg->msg != CURLMSG_DONE) continue;
            switch (msg->data.result) {
            case CURLE_OK: return kErrorOk;
            case CURLE_OPERATION_TIMEDOUT: return kErrorTimeout;
            case CURLE_OUT_OF_MEMORY: return kErrorMem;
            default: return kErrorFileOpen;
            }
        }
        return kErrorFileOpen;
    }

    void finish(int error) {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        m_s->ended = true;
        if (m_s->error == kErrorOk) m_s->error = error;
        m_s->changed.notify_all();
    }

    static size_t onHeader(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        std::string line(data, size * count);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        std::lock_guard<std::mutex> lock(self->m_s->mutex);
        Shared& s = *self->m_s;
        s.lastByte = Clock::now();
        // A redirect or an interim answer starts over: only the last answer's lines count.
        if (line.rfind("HTTP/", 0) == 0 || line.rfind("ICY ", 0) == 0) {
            s.headers.clear();
            s.icyStatus = line.rfind("ICY ", 0) == 0;
        }
        if (!line.empty()) s.headers.push_back(line);
        return size * count;
    }

    static size_t onBody(char* data, size_t size, size_t count, void* user) {
        auto* self = static_cast<Transfer*>(user);
        Shared& s = *self->m_s;
        const size_t n = size * count;
        std::string audio;
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            if (s.cancel) return 0;
            if (s.unread() > kMaxUnreadBytes) {
                self->m_paused = true;
                return CURL_WRITEFUNC_PAUSE;
            }
            if (!self->m_started) {
                self->m_started = true;
                const std::string metaint = headerValue(s.headers, "icy-metaint");
                const unsigned long interval = std::strtoul(metaint.c_str(), nullptr, 10);
                self->m_demux = IcyDemux(interval <= (1u << 20) ? interval : 0);
                s.contentLength =
                    std::strtoull(headerValue(s.headers, "Content-Length").c_str(), nullptr, 10);
            }
            std::vector<std::string> texts;
            self->m_demux.feed(reinterpret_cast<const uint8_t*>(data), n, audio, texts);
            if (!texts.empty()) s.meta = texts.back();
            s.bytes.insert(s.bytes.end(), audio.begin(), audio.end());
            s.lastByte = Clock::now();
            s.changed.notify_all();
        }
        if (self->m_options.proc && !audio.empty())
            self->m_options.proc(audio.data(), static_cast<uint32_t>(audio.size()), self->m_options.user);
        return n;
    }

    std::shared_ptr<Shared> m_s;
    std::string m_url;
    UrlOptions m_options;
    IcyDemux m_demux;
    bool m_started = false;
    bool m_paused = false;
};

void decodeLoop(const std::shared_ptr<Shared>& s, uint32_t bufferMs) {
    std::unique_ptr<AudioStream> decoder;
    try {
        decoder = openStream(std::make_unique<NetSource>(s), DecoderFamily::Stream);
    } catch (const std::exception&) {
    }
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        if (!decoder) {
            s->decodeDone = true;
            if (s->error == kErrorOk) s->error = s->cancel ? kErrorTimeout : kErrorFileForm;
            // The download has no reader any more.
            s->cancel = true;
            if (s->multi) curl_multi_wakeup(s->multi);
            s->changed.notify_all();
            return;
        }
        s->retain = false;
        s->format = decoder->format();
        s->type = decoder->typeCode();
        s->id3v2 = decoder->tagBlock(TagKind::Id3v2);
        s->pcmCap = std::max<size_t>(kDecodeChunkFrames * 4, static_cast<size_t>(bufferMs) *
                                                                 static_cast<size_t>(s->format.rate) / 1000) *
                    static_cast<size_t>(s->format.channels);
        s->ready = true;
        s->changed.notify_all();
    }
    const auto channels = static_cast<size_t>(s->format.channels);
    std::vector<int16_t> chunk(kDecodeChunkFrames * channels);
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(s->mutex);
            s->changed.wait(lock, [&] { return s->cancel || s->pcm.size() + chunk.size() <= s->pcmCap; });
            if (s->cancel) break;
        }
        const size_t got = decoder->read(chunk.data(), kDecodeChunkFrames);
        std::lock_guard<std::mutex> lock(s->mutex);
        s->pcm.insert(s->pcm.end(), chunk.begin(),
                      chunk.begin() + static_cast<std::ptrdiff_t>(got * channels));
        if (got < kDecodeChunkFrames && decoder->exhausted()) break;
    }
    std::lock_guard<std::mutex> lock(s->mutex);
    s->decodeDone = true;
    // Nothing reads the download any more (its end, or audio the decoder gave up on).
    s->cancel = true;
    if (s->multi) curl_multi_wakeup(s->multi);
    s->changed.notify_all();
}

class NetStream : public AudioStream {
public:
    NetStream(const std::string& url, const UrlOptions& options) : m_s(std::make_shared<Shared>()) {
        m_transfer = std::make_unique<Transfer>(m_s, url, options);
        m_download = std::thread([this] { m_transfer->run(); });
        m_decode = std::thread([s = m_s, ms = options.bufferMs] { decodeLoop(s, ms); });
    }
    ~NetStream() override {
        {
            std::lock_guard<std::mutex> lock(m_s->mutex);
            m_s->cancel = true;
            if (m_s->multi) curl_multi_wakeup(m_s->multi);
            m_s->changed.notify_all();
        }
        m_download.join();
        m_decode.join();
    }

    // Waits for the format; the error number when the stream cannot be decoded.
    int waitUntilReady(uint32_t timeoutMs) {
        // The download gives up after the time-out without a byte; the extra bound only
        // guards against a server that trickles bytes that never make a format.
        const auto limit = Clock::now() + std::chrono::milliseconds(timeoutMs) + std::chrono::seconds(10);
        std::unique_lock<std::mutex> lock(m_s->mutex);
        while (!m_s->ready && !m_s->decodeDone) {
            if (Clock::now() >= limit) return kErrorTimeout;
            m_s->changed.wait_for(lock, std::chrono::milliseconds(kHookPeriodMs));
            if (NetWaitHook hook = s_waitHook.load()) {
                lock.unlock();
                hook();
                lock.lock();
            }
        }
        return m_s->ready ? kErrorOk : m_s->error;
    }

    StreamFormat format() const override { return m_s->format; }
    size_t read(int16_t* out, size_t frames) override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        const auto channels = static_cast<size_t>(m_s->format.channels);
        const size_t n = std::min(frames, m_s->pcm.size() / channels) * channels;
        std::copy_n(m_s->pcm.begin(), n, out);
        m_s->pcm.erase(m_s->pcm.begin(), m_s->pcm.begin() + static_cast<std::ptrdiff_t>(n));
        m_s->changed.notify_all();
        return n / channels;
    }
    bool exhausted() const override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        return m_s->decodeDone && m_s->pcm.empty();
    }
    int64_t length() const override { return -1; }
    bool seek(int64_t) override { return false; }
    uint32_t typeCode() const override { return m_s->type; }
    uint64_t sourceSize() const override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        return m_s->contentLength;
    }
    std::string tagBlock(TagKind kind) const override {
        std::lock_guard<std::mutex> lock(m_s->mutex);
        switch (kind) {
        case TagKind::Id3v2: return m_s->id3v2;
        case TagKind::Http:
            return m_s->icyStatus || m_s->headers.empty() ? std::string() : joinTagList(m_s->headers);
        case TagKind::Icy: {
            std::vector<std::string> icy;
            for (const std::string& line : m_s->headers)
                if (m_s->icyStatus || (line.size() > 4 && strncasecmp(line.c_str(), "icy-", 4) == 0))
                    icy.push_back(line);
            return icy.empty() ? std::string() : joinTagList(icy);
        }
        case TagKind::Meta: return m_s->meta;
        default: return {};
        }
    }

private:
    std::shared_ptr<Shared> m_s;
    std::unique_ptr<Transfer> m_transfer;
    std::thread m_download;
    std::thread m_decode;
};

}  // namespace

std::unique_ptr<AudioStream> openUrlStream(const std::string& url, const UrlOptions& options, int& error) {
    initCurl();
    std::unique_ptr<NetStream> stream;
    try {
        stream = std::make_unique<NetStream>(url, options);
    } catch (const std::exception&) {
        error = kErrorMem;
        return nullptr;
    }
    error = stream->waitUntilReady(options.timeoutMs);
    if (error != kErrorOk) return nullptr;
    return stream;
}

void setNetWaitHook(NetWaitHook hook) { s_waitHook = hook; }

std::optional<std::string> liveMetaText(const AudioStream& stream) {
    if (const auto* net = dynamic_cast<const NetStream*>(&stream)) return net->tagBlock(TagKind::Meta);
    return std::nullopt;
}

}  // namespace media
