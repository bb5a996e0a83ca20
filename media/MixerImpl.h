// The engine's mixer: resamples each playing channel from its ring to the output rate,
// applies volume, panning, slides and the master volume, and sums into the output.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "media/Channel.h"
#include "media/Mixer.h"

namespace media {

class MixerImpl : public Mixer {
public:
    explicit MixerImpl(int rate);
    ~MixerImpl() override;

    void mix(int16_t* out, size_t frames) override;
    int rate() const override { return m_rate; }

    // Engine side (under the engine lock): replaces the set of mixed channels and returns
    // once the mixer no longer looks at the old set.
    void setChannels(std::vector<std::shared_ptr<Channel>> channels);
    // Returns once any mix pass that had begun before the call has ended.
    void quiesce() const;

    void setMasterVolume(int volume) { m_master.store(volume); }
    int masterVolume() const { return m_master.load(); }
    // Time spent mixing, for the CPU figure.
    uint64_t busyNanoseconds() const { return m_busyNs.load(std::memory_order_relaxed); }

private:
    struct Snapshot {
        std::vector<std::shared_ptr<Channel>> channels;
    };

    void mixChunk(Channel& c, float* acc, size_t frames);
    bool pull(Channel& c, float frame[2]);
    void applySlides(Channel& c, size_t frames);

    const int m_rate;
    std::atomic<Snapshot*> m_snapshot;
    std::atomic<uint64_t> m_pass{0};  // odd while a pass runs
    std::atomic<int> m_master{100};
    std::atomic<uint64_t> m_busyNs{0};
    std::vector<float> m_acc;
};

}  // namespace media
