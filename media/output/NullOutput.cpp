// Sinks that every machine has: the real-time "No sound" device and the virtual clock.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "media/output/AudioOutput.h"

namespace media {

namespace {

constexpr size_t kBlockFrames = 1024;
// About a sound card's period. Every wake-up costs far more than the mixing it does (in a
// virtual machine above all), so the device wakes no more often than a card would.
constexpr int kPeriodMs = 20;

// Pulls from the mixer as fast as the real clock runs and discards the frames, so positions,
// ends and syncs behave as with a sound card.
class NullOutput : public AudioOutput {
public:
    explicit NullOutput(Mixer& mixer) : m_mixer(mixer), m_buffer(kBlockFrames * 2) {
        m_thread = std::thread([this] { run(); });
    }
    ~NullOutput() override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void start() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_running) return;
        m_running = true;
        m_origin = std::chrono::steady_clock::now();
        m_produced = 0;
        m_wake.notify_all();
    }
    void pause() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
    }
    int latencyMs() const override { return kPeriodMs; }

private:
    void run() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_quit) {
            if (!m_running) {
                m_wake.wait(lock);
                continue;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(kPeriodMs));
            if (!m_running || m_quit) continue;
            const auto elapsed = std::chrono::steady_clock::now() - m_origin;
            const int64_t due = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count() *
                                m_mixer.rate() / 1000000;
            // After a long stall (suspend, debugger) catch up at most a quarter second.
            m_produced = std::max(m_produced, due - m_mixer.rate() / 4);
            lock.unlock();
            while (m_produced < due) {
                const auto n = static_cast<size_t>(std::min<int64_t>(due - m_produced, kBlockFrames));
                m_mixer.mix(m_buffer.data(), n);
                m_produced += static_cast<int64_t>(n);
            }
            lock.lock();
        }
    }

    Mixer& m_mixer;
    std::vector<int16_t> m_buffer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_running = false;
    bool m_quit = false;
    std::chrono::steady_clock::time_point m_origin;
    int64_t m_produced = 0;
    std::thread m_thread;
};

class VirtualOutput : public AudioOutput {
public:
    explicit VirtualOutput(Mixer& mixer) : m_mixer(mixer), m_buffer(kBlockFrames * 2) {}
    void start() override { m_running = true; }
    void pause() override { m_running = false; }
    bool advance(size_t frames) override {
        while (m_running && frames > 0) {
            const size_t n = std::min(frames, kBlockFrames);
            m_mixer.mix(m_buffer.data(), n);
            frames -= n;
        }
        return true;
    }

private:
    Mixer& m_mixer;
    std::vector<int16_t> m_buffer;
    bool m_running = false;
};

}  // namespace

OutputMode outputModeFromEnvironment() {
    const char* mode = std::getenv("VANTREL_AUDIO");
    if (mode && std::strcmp(mode, "null") == 0) return OutputMode::Null;
    if (mode && std::strcmp(mode, "virtual") == 0) return OutputMode::Virtual;
    return OutputMode::Device;
}

std::unique_ptr<AudioOutput> createNullOutput(Mixer& mixer) { return std::make_unique<NullOutput>(mixer); }
std::unique_ptr<AudioOutput> createVirtualOutput(Mixer& mixer) {
    return std::make_unique<VirtualOutput>(mixer);
}

}  // namespace media
