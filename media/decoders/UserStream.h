// A stream whose samples come from the caller's procedure, called on the decode side.
#pragma once

#include <algorithm>
#include <cstring>
#include <vector>

#include "media/AudioStream.h"
#include "media/Bass.h"

namespace media {

inline constexpr uint32_t BASS_STREAMPROC_END = 0x80000000;

class UserStream : public AudioStream {
public:
    UserStream(int rate, uint32_t flags, StreamProc* proc, void* user) : m_proc(proc), m_user(user) {
        m_format.rate = rate;
        m_format.channels = (flags & BASS_SAMPLE_MONO) ? 1 : 2;
        m_format.width = (flags & BASS_SAMPLE_8BITS) ? SampleWidth::Bits8 : SampleWidth::Bits16;
    }
    void setHandle(uint32_t handle) { m_handle = handle; }

    StreamFormat format() const override { return m_format; }
    size_t read(int16_t* out, size_t frames) override {
        if (m_ended) return 0;
        const auto bpf = static_cast<size_t>(m_format.bytesPerFrame());
        m_bytes.resize(frames * bpf);
        uint32_t got = m_proc(m_handle, m_bytes.data(), static_cast<uint32_t>(m_bytes.size()), m_user);
        if (got & BASS_STREAMPROC_END) m_ended = true;
        got = std::min<uint32_t>(got & ~BASS_STREAMPROC_END, static_cast<uint32_t>(m_bytes.size()));
        const size_t done = got / bpf;
        const size_t samples = done * static_cast<size_t>(m_format.channels);
        if (m_format.width == SampleWidth::Bits8) {
            for (size_t i = 0; i < samples; ++i) out[i] = static_cast<int16_t>((m_bytes[i] - 128) << 8);
        } else {
            std::memcpy(out, m_bytes.data(), samples * 2);
        }
        // A procedure that returns less without ending is only late; the ring retries later.
        return done;
    }
    bool exhausted() const override { return m_ended; }
    int64_t length() const override { return -1; }
    bool seek(int64_t) override { return false; }
    uint32_t typeCode() const override { return 0x10000; }

private:
    StreamProc* m_proc;
    void* m_user;
    uint32_t m_handle = 0;
    StreamFormat m_format;
    std::vector<uint8_t> m_bytes;
    bool m_ended = false;
};

}  // namespace media
