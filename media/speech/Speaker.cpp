// espeak runs synchronously on our speech thread: its callback hands us each block of
// samples with the word events inside it, and we pass the samples on to the file or to the
// channel's buffer. The channel's procedure only copies from that buffer (it runs on the
// engine's decode side, where no entry point may be called).
#include "media/speech/Speaker.h"

#include <espeak-ng/speak_lib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Error.h"
#include "media/Bass.h"
#include "media/ErrorCode.h"
#include "media/WavWriter.h"
#include "media/decoders/UserStream.h"

namespace media::speech {

namespace {

// One text being spoken: filled on the speech thread, read by the channel and the caller.
struct Utterance {
    std::mutex mutex;
    std::vector<int16_t> samples;  // channel output not yet taken by the channel
    size_t readAt = 0;
    bool done = false;
    std::vector<std::pair<uint64_t, int>> words;  // first sample of each word, its byte offset
    uint64_t synthesised = 0;
    std::unique_ptr<WavWriter> wav;
    std::atomic<bool> cancel{false};
    std::vector<std::string> injected;
    // The text segment being synthesised (between control tags).
    int segmentOffset = 0;
    uint64_t segmentSample = 0;
    int rate = 22050;
    Attributes* attributes = nullptr;
};

uint32_t channelProc(uint32_t, void* buffer, uint32_t length, void* user) {
    auto* u = static_cast<Utterance*>(user);
    std::lock_guard<std::mutex> lock(u->mutex);
    const size_t n = std::min<size_t>(length / 2, u->samples.size() - u->readAt);
    if (n > 0) std::memcpy(buffer, u->samples.data() + u->readAt, n * 2);
    u->readAt += n;
    if (u->readAt > 65536 && u->readAt * 2 > u->samples.size()) {
        u->samples.erase(u->samples.begin(), u->samples.begin() + static_cast<std::ptrdiff_t>(u->readAt));
        u->readAt = 0;
    }
    const auto bytes = static_cast<uint32_t>(n * 2);
    return u->done && u->readAt == u->samples.size() ? bytes | BASS_STREAMPROC_END : bytes;
}

void setParameters(const Attributes& a) {
    espeak_SetParameter(
        espeakRATE, static_cast<int>(std::clamp<uint32_t>(a.speed, espeakRATE_MINIMUM, espeakRATE_MAXIMUM)),
        0);
    espeak_SetParameter(espeakPITCH, static_cast<int>(std::min<uint32_t>(a.pitch / 2, 100)), 0);
    espeak_SetParameter(espeakVOLUME, static_cast<int>((a.volume & 0xFFFF) * 100 / 65535), 0);
}

int synthCallback(short* wav, int count, espeak_EVENT* events) {
    auto* u = static_cast<Utterance*>(events->user_data);
    if (!u) return 0;
    std::vector<std::string> injected;
    {
        std::lock_guard<std::mutex> lock(u->mutex);
        for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
            if (e->type != espeakEVENT_WORD) continue;
            const uint64_t at = u->segmentSample + static_cast<uint64_t>(e->audio_position) *
                                                       static_cast<uint64_t>(u->rate) / 1000;
            u->words.emplace_back(std::max(at, u->words.empty() ? 0 : u->words.back().first),
                                  u->segmentOffset + std::max(e->text_position - 1, 0));
        }
        if (wav && count > 0) {
            if (!u->wav) u->samples.insert(u->samples.end(), wav, wav + count);
            u->synthesised += static_cast<uint64_t>(count);
        }
        injected.swap(u->injected);
    }
    if (wav && count > 0 && u->wav) {
        try {
            u->wav->write(wav, static_cast<size_t>(count) * 2);
        } catch (const base::Error&) {
            return 1;
        }
    }
    // Tags injected while speaking take effect from the next clause on (we own espeak here).
    for (const std::string& tags : injected) applyTags(tags, *u->attributes);
    if (!injected.empty()) setParameters(*u->attributes);
    return u->cancel ? 1 : 0;
}

bool sameText(const std::string& a, const std::string& b) { return base::ansiSameText(a, b); }

}  // namespace

void applyTags(const std::string& tags, Attributes& a) {
    size_t i = 0;
    while ((i = tags.find('\\', i)) != std::string::npos) {
        const size_t close = tags.find('\\', i + 1);
        if (close == std::string::npos) break;
        const std::string tag = tags.substr(i + 1, close - i - 1);
        const size_t eq = tag.find('=');
        if (eq != std::string::npos && eq + 1 < tag.size() && eq + 11 >= tag.size()) {
            const std::string key = base::ansiLower(tag.substr(0, eq));
            const std::string value = tag.substr(eq + 1);
            if (std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
                const unsigned long long v = std::stoull(value);
                const auto v32 = static_cast<uint32_t>(std::min<unsigned long long>(v, 0xFFFFFFFFull));
                if (key == "spd")
                    a.speed = v32;
                else if (key == "pit")
                    a.pitch = v32 & 0xFFFF;
                else if (key == "vol")
                    a.volume = v32;
            }
            i = close + 1;
        } else {
            i = close;
        }
    }
}

class Speaker::Impl {
public:
    Impl() {
        m_thread = std::thread([this] { loop(); });
        call([this] {
            m_rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 200, nullptr, espeakINITIALIZE_DONT_EXIT);
            if (m_rate <= 0) return;
            espeak_SetSynthCallback(synthCallback);
            for (const espeak_VOICE** v = espeak_ListVoices(nullptr); v && *v; ++v) {
                Voice voice;
                voice.name = (*v)->name ? (*v)->name : "";
                voice.identifier = (*v)->identifier ? (*v)->identifier : "";
                if ((*v)->languages && (*v)->languages[0]) voice.language = (*v)->languages + 1;
                voice.gender = (*v)->gender == 1 ? 2 : (*v)->gender == 2 ? 1 : 0;
                voice.age = (*v)->age;
                if (!voice.name.empty()) m_voices.push_back(std::move(voice));
            }
        });
    }

    // Runs `fn` on the speech thread and waits for it.
    void call(std::function<void()> fn) {
        std::promise<void> done;
        post([&] {
            fn();
            done.set_value();
        });
        done.get_future().wait();
    }
    void post(std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        m_queue.push_back(std::move(fn));
        m_wake.notify_one();
    }

    void loop() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock<std::mutex> lock(m_queueMutex);
                m_wake.wait(lock, [this] { return !m_queue.empty(); });
                job = std::move(m_queue.front());
                m_queue.pop_front();
            }
            job();
        }
    }

    // On the speech thread: the text in segments between control tags.
    void synthesise(const std::shared_ptr<Utterance>& u, const std::string& text) {
        size_t at = 0;
        while (at < text.size() && !u->cancel) {
            size_t tag = text.find('\\', at);
            size_t close = tag == std::string::npos ? std::string::npos : text.find('\\', tag + 1);
            const bool isTag = close != std::string::npos && text.find('=', tag) < close;
            const size_t end = isTag ? tag : text.size();
            if (end > at) {
                const std::string utf8 = base::CodePage::active().toUtf8(text.substr(at, end - at));
                {
                    std::lock_guard<std::mutex> lock(u->mutex);
                    u->segmentOffset = static_cast<int>(at);
                    u->segmentSample = u->synthesised;
                }
                setParameters(m_attributes);
                espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                             u.get());
            }
            if (!isTag) break;
            applyTags(text.substr(tag, close - tag + 1), m_attributes);
            at = close + 1;
        }
        std::unique_ptr<WavWriter> wav;
        {
            std::lock_guard<std::mutex> lock(u->mutex);
            u->done = true;
            wav = std::move(u->wav);
        }
        if (wav) {
            try {
                wav->finish();
            } catch (const base::Error&) {
            }
        }
    }

    void endSpeech() {
        if (!m_current) return;
        m_current->cancel = true;
        if (m_stream) BASS_StreamFree(m_stream);  // waits for a running procedure
        m_stream = 0;
        // The speech thread may still hold the utterance; it lets go when espeak returns.
        m_current.reset();
        m_paused = false;
    }

    std::mutex m_queueMutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_queue;

    // Owned by the speech thread after construction, except where noted.
    int m_rate = 0;
    std::vector<Voice> m_voices;  // written once, at start
    Attributes m_attributes;

    // The caller's side, under m_mutex.
    mutable std::mutex m_mutex;
    bool m_selected = false;
    std::string m_wavFile;
    std::shared_ptr<Utterance> m_current;
    uint32_t m_stream = 0;
    bool m_paused = false;
    Attributes m_pending;  // attributes as the caller sees them

    std::thread m_thread;  // last: it starts once everything it uses exists
};

Speaker& Speaker::instance() {
    // Never destroyed: its thread may sit in espeak while the process ends.
    static Speaker* s = new Speaker;
    return *s;
}

Speaker::Speaker() : m_impl(std::make_unique<Impl>()) {}
Speaker::~Speaker() = default;

bool Speaker::available() { return m_impl->m_rate > 0 && !m_impl->m_voices.empty(); }

std::vector<Voice> Speaker::voices() { return available() ? m_impl->m_voices : std::vector<Voice>{}; }

bool Speaker::select(const std::string& name, const std::string& wavFile) {
    Impl& d = *m_impl;
    auto it = std::find_if(d.m_voices.begin(), d.m_voices.end(),
                           [&](const Voice& v) { return sameText(v.name, name); });
    std::lock_guard<std::mutex> lock(d.m_mutex);
    if (it == d.m_voices.end()) {
        d.m_selected = false;
        return false;
    }
    d.endSpeech();
    bool ok = false;
    const std::string voiceName = it->name;
    d.call([&] { ok = espeak_SetVoiceByName(voiceName.c_str()) == EE_OK; });
    d.m_selected = ok;
    d.m_wavFile = wavFile;
    return ok;
}

bool Speaker::selected() const {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    return m_impl->m_selected;
}

bool Speaker::speak(const std::string& ansiText) {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.m_mutex);
    if (!d.m_selected) return false;
    d.endSpeech();
    auto u = std::make_shared<Utterance>();
    u->rate = d.m_rate;
    u->attributes = &d.m_attributes;
    if (!d.m_wavFile.empty()) {
        try {
            u->wav = std::make_unique<WavWriter>(d.m_wavFile, 1, d.m_rate, 16);
        } catch (const base::Error&) {
            return false;
        }
    } else {
        if (BASS_GetDevice() == 0xFFFFFFFFu && !BASS_Init(1, 44100, 0, nullptr, nullptr) &&
            BASS_ErrorGetCode() != kErrorAlready)
            return false;
        d.m_stream =
            BASS_StreamCreate(static_cast<uint32_t>(d.m_rate), BASS_SAMPLE_MONO, channelProc, u.get());
        if (!d.m_stream) return false;
        BASS_StreamPlay(d.m_stream, false, 0);
    }
    d.m_current = u;
    d.m_paused = false;
    d.post([&d, u, text = ansiText] { d.synthesise(u, text); });
    return true;
}

void Speaker::inject(const std::string& tags) {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.m_mutex);
    applyTags(tags, d.m_pending);
    if (d.m_current && !d.m_current->done) {
        std::lock_guard<std::mutex> ulock(d.m_current->mutex);
        d.m_current->injected.push_back(tags);
    } else {
        d.post([&d, tags] { applyTags(tags, d.m_attributes); });
    }
}

void Speaker::pause() {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    if (m_impl->m_stream) BASS_ChannelPause(m_impl->m_stream);
    m_impl->m_paused = true;
}

void Speaker::resume() {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    if (m_impl->m_stream) BASS_ChannelResume(m_impl->m_stream);
    m_impl->m_paused = false;
}

void Speaker::stop() {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    m_impl->endSpeech();
}

bool Speaker::paused() const {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    return m_impl->m_paused;
}

int Speaker::position() {
    Impl& d = *m_impl;
    std::lock_guard<std::mutex> lock(d.m_mutex);
    if (!d.m_current) return 0;
    uint64_t heard = ~uint64_t{0};
    if (d.m_stream) {
        const uint64_t bytes = BASS_ChannelGetPosition(d.m_stream);
        heard = bytes == ~uint64_t{0} ? 0 : bytes / 2;
    }
    std::lock_guard<std::mutex> ulock(d.m_current->mutex);
    int offset = 0;
    for (const auto& [sample, at] : d.m_current->words) {
        if (sample > heard) break;
        offset = at;
    }
    return offset;
}

Attributes Speaker::attributes() const {
    std::lock_guard<std::mutex> lock(m_impl->m_mutex);
    return m_impl->m_pending;
}

void Speaker::waitSynthesised() {
    m_impl->call([] {});
}

}  // namespace media::speech
