// Single-producer single-consumer ring of 16-bit samples between the decode side and the
// mixer. Neither side locks or allocates; reset() only while both sides are quiet.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <vector>

namespace media {

class RingBuffer {
public:
    explicit RingBuffer(size_t capacity = 0) : m_data(capacity) {}

    size_t capacity() const { return m_data.size(); }
    size_t available() const {  // readable samples
        return m_written.load(std::memory_order_acquire) - m_read.load(std::memory_order_acquire);
    }
    size_t space() const { return capacity() - available(); }

    // Producer side: copies up to n samples; returns how many fitted.
    size_t write(const int16_t* in, size_t n) {
        const size_t w = m_written.load(std::memory_order_relaxed);
        n = std::min(n, capacity() - (w - m_read.load(std::memory_order_acquire)));
        if (n > 0) copyIn(w, in, n);
        m_written.store(w + n, std::memory_order_release);
        return n;
    }

    // Consumer side: copies up to n samples out; returns how many.
    size_t read(int16_t* out, size_t n) {
        const size_t r = m_read.load(std::memory_order_relaxed);
        n = std::min(n, m_written.load(std::memory_order_acquire) - r);
        if (n > 0) copyOut(r, out, n);
        m_read.store(r + n, std::memory_order_release);
        return n;
    }

    void reset() {
        m_read.store(0, std::memory_order_relaxed);
        m_written.store(0, std::memory_order_release);
    }

private:
    void copyIn(size_t at, const int16_t* in, size_t n) {
        const size_t start = at % capacity();
        const size_t first = std::min(n, capacity() - start);
        std::memcpy(m_data.data() + start, in, first * sizeof(int16_t));
        std::memcpy(m_data.data(), in + first, (n - first) * sizeof(int16_t));
    }
    void copyOut(size_t at, int16_t* out, size_t n) {
        const size_t start = at % capacity();
        const size_t first = std::min(n, capacity() - start);
        std::memcpy(out, m_data.data() + start, first * sizeof(int16_t));
        std::memcpy(out + first, m_data.data(), (n - first) * sizeof(int16_t));
    }

    std::vector<int16_t> m_data;
    std::atomic<size_t> m_written{0};
    std::atomic<size_t> m_read{0};
};

}  // namespace media
