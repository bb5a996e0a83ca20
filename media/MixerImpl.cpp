// Mixing: linear-interpolation resampling, per-channel gains and slides in 64-frame chunks.
#include "media/MixerImpl.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace media {

namespace {

constexpr size_t kChunkFrames = 64;

int32_t clampAttribute(int attribute, int32_t value) {
    switch (attribute) {
    case kAttrFreq: return std::clamp(value, 100, 100000);
    case kAttrVolume: return std::clamp(value, 0, 100);
    default: return std::clamp(value, -100, 100);
    }
}

}  // namespace

MixerImpl::MixerImpl(int rate) : m_rate(rate), m_snapshot(new Snapshot), m_acc(kChunkFrames * 2) {}

MixerImpl::~MixerImpl() { delete m_snapshot.load(); }

void MixerImpl::setChannels(std::vector<std::shared_ptr<Channel>> channels) {
    auto* next = new Snapshot{std::move(channels)};
    Snapshot* old = m_snapshot.exchange(next, std::memory_order_acq_rel);
    quiesce();
    delete old;
}

void MixerImpl::quiesce() const {
    const uint64_t pass = m_pass.load(std::memory_order_acquire);
    if ((pass & 1) == 0) return;
    while (m_pass.load(std::memory_order_acquire) == pass)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

void MixerImpl::mix(int16_t* out, size_t frames) {
    const auto begin = std::chrono::steady_clock::now();
    m_pass.fetch_add(1, std::memory_order_acq_rel);
    const Snapshot* snapshot = m_snapshot.load(std::memory_order_acquire);
    const float master = static_cast<float>(m_master.load(std::memory_order_relaxed)) / 100.0f;
    for (size_t done = 0; done < frames;) {
        const size_t n = std::min(kChunkFrames, frames - done);
        std::fill(m_acc.begin(), m_acc.begin() + static_cast<std::ptrdiff_t>(2 * n), 0.0f);
        for (const auto& channel : snapshot->channels) {
            if (!channel->mixable.load(std::memory_order_acquire)) continue;
            if (channel->state.load(std::memory_order_acquire) != static_cast<int>(PlayState::Playing))
                continue;
            mixChunk(*channel, m_acc.data(), n);
        }
        for (size_t i = 0; i < 2 * n; ++i) {
            const float v = std::nearbyint(m_acc[i] * master);
            out[2 * done + i] = static_cast<int16_t>(std::clamp(v, -32768.0f, 32767.0f));
        }
        done += n;
    }
    m_pass.fetch_add(1, std::memory_order_acq_rel);
    const auto spent = std::chrono::steady_clock::now() - begin;
    m_busyNs.fetch_add(
        static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(spent).count()),
        std::memory_order_relaxed);
}

// Next source frame as stereo floats; false when the ring is empty for now.
bool MixerImpl::pull(Channel& c, float frame[2]) {
    MixState& m = c.mix;
    const auto channels = static_cast<size_t>(c.format.channels);
    if (m.stagePos == m.stageLen) {
        m.stageLen = c.ring.read(m.stage, MixState::kStageFrames * channels) / channels;
        m.stagePos = 0;
        if (m.stageLen == 0) return false;
    }
    const int16_t* s = m.stage + m.stagePos * channels;
    if (channels <= 2) {
        frame[0] = s[0];
        frame[1] = s[channels - 1];
    } else {
        // More than two channels: the even ones make the left side, the odd ones the right.
        float left = 0, right = 0;
        for (size_t i = 0; i < channels; ++i) (i % 2 ? right : left) += s[i];
        frame[0] = left / static_cast<float>((channels + 1) / 2);
        frame[1] = right / static_cast<float>(channels / 2);
    }
    ++m.stagePos;
    return true;
}

void MixerImpl::applySlides(Channel& c, size_t frames) {
    for (int a = 0; a < kAttrCount; ++a) {
        MixState::Slide& slide = c.mix.slides[a];
        const uint64_t command = c.slideCommand[a].exchange(0, std::memory_order_acq_rel);
        if (command != 0) {
            const auto target = static_cast<int32_t>(static_cast<uint32_t>(command));
            const auto ms = static_cast<int64_t>((command >> 32) & 0x7FFFFFFF);
            slide.from = c.attr[a].load();
            slide.to = target;
            slide.total = ms * m_rate / 1000;
            slide.done = 0;
            slide.active = slide.total > 0;
            if (!slide.active) {
                c.attr[a].store(target);
                c.slidingMask.fetch_and(~(1u << a));
            }
        }
        if (!slide.active) continue;
        slide.done += static_cast<int64_t>(frames);
        if (slide.done >= slide.total) {
            c.attr[a].store(static_cast<int32_t>(slide.to));
            slide.active = false;
            if (c.slideCommand[a].load() == 0) c.slidingMask.fetch_and(~(1u << a));
        } else {
            const double t = static_cast<double>(slide.done) / static_cast<double>(slide.total);
            c.attr[a].store(clampAttribute(
                a, static_cast<int32_t>(std::lround(slide.from + (slide.to - slide.from) * t))));
        }
    }
}

void MixerImpl::mixChunk(Channel& c, float* acc, size_t frames) {
    MixState& m = c.mix;
    const int32_t freq = c.attr[kAttrFreq].load(std::memory_order_relaxed);
    const double step = static_cast<double>(freq > 0 ? freq : c.format.rate) / m_rate;
    const float volume = static_cast<float>(c.attr[kAttrVolume].load(std::memory_order_relaxed)) / 100.0f;
    const int32_t pan = c.attr[kAttrPan].load(std::memory_order_relaxed);
    const float gainL = volume * (pan > 0 ? static_cast<float>(100 - pan) / 100.0f : 1.0f);
    const float gainR = volume * (pan < 0 ? static_cast<float>(100 + pan) / 100.0f : 1.0f);
    int64_t heard = 0;
    float peakL = 0, peakR = 0;
    bool stalled = false;
    for (size_t i = 0; i < frames; ++i) {
        if (!m.haveCur && !(m.haveCur = pull(c, m.cur))) {
            stalled = !c.decodeEnded.load(std::memory_order_acquire);
            break;
        }
        if (!m.haveNext) m.haveNext = pull(c, m.next);
        // Without a following frame, interpolate only at the very end of the data.
        if (!m.haveNext && !c.decodeEnded.load(std::memory_order_acquire)) {
            m.haveNext = pull(c, m.next);  // the producer may have just finished
            if (!m.haveNext && !c.decodeEnded.load(std::memory_order_acquire)) {
                stalled = true;
                break;
            }
        }
        const float* nx = m.haveNext ? m.next : m.cur;
        const auto f = static_cast<float>(m.frac);
        const float l = m.cur[0] + (nx[0] - m.cur[0]) * f;
        const float r = m.cur[1] + (nx[1] - m.cur[1]) * f;
        acc[2 * i] += l * gainL;
        acc[2 * i + 1] += r * gainR;
        peakL = std::max(peakL, std::fabs(l * gainL));
        peakR = std::max(peakR, std::fabs(r * gainR));
        m.frac += step;
        while (m.frac >= 1.0 && m.haveCur) {
            m.frac -= 1.0;
            ++heard;
            if (m.haveNext) {
                m.cur[0] = m.next[0];
                m.cur[1] = m.next[1];
                m.haveNext = pull(c, m.next);
            } else {
                m.haveCur = false;
            }
        }
    }
    if (heard > 0) c.consumed.fetch_add(heard, std::memory_order_acq_rel);
    c.stalled.store(stalled, std::memory_order_release);
    c.level.store(static_cast<uint32_t>(std::min(peakL, 32768.0f)) |
                      (static_cast<uint32_t>(std::min(peakR, 32768.0f)) << 16),
                  std::memory_order_relaxed);
    applySlides(c, frames);
}

}  // namespace media
