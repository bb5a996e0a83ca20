// One open stream or module: its decoder, the ring the mixer reads, attributes and syncs.
// Three parties touch a channel, each through its own part:
//  - decode side (worker thread or API caller) under `decodeMutex`: stream, written, restarts;
//  - the mixer: `mix` (its private state), and it publishes `consumed`, `stalled`, `level`;
//  - the engine under its own lock: state changes, syncs.
// The mixer never waits for either lock; API changes that reset the ring first take the
// channel out of the mix (`mixable`) and wait for the mixer's pass to end.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/AudioStream.h"
#include "media/Bass.h"
#include "media/RingBuffer.h"

namespace media {

enum class ChannelKind { Stream, Music };

enum class PlayState : int { Stopped = 0, Playing = 1, Paused = 3 };

enum Attribute { kAttrFreq = 0, kAttrVolume = 1, kAttrPan = 2, kAttrCount = 3 };

struct Sync {
    uint32_t id;
    uint32_t type;
    SyncProc* proc;
    void* user;
};

// Mixer-private resampling and slide state.
struct MixState {
    static constexpr size_t kStageFrames = 256;
    float cur[2] = {0, 0};
    float next[2] = {0, 0};
    bool haveCur = false;
    bool haveNext = false;
    double frac = 0;
    int16_t stage[kStageFrames * 8] = {};
    size_t stagePos = 0;
    size_t stageLen = 0;
    struct Slide {
        bool active = false;
        double from = 0, to = 0;
        int64_t total = 0, done = 0;
    } slides[kAttrCount];
};

class Channel {
public:
    Channel(uint32_t handle, ChannelKind kind, uint32_t flags, int device,
            std::unique_ptr<AudioStream> stream, size_t ringFrames);

    const uint32_t handle;
    const ChannelKind kind;
    const int device;
    const StreamFormat format;
    const uint32_t typeCode;
    const bool decodeOnly;
    std::atomic<uint32_t> flags;

    // Decode side, under decodeMutex.
    std::mutex decodeMutex;
    std::unique_ptr<AudioStream> stream;
    std::atomic<int64_t> written{0};     // frames put into the ring since the last reset
    int64_t startFrame = 0;              // source frame at ring frame 0
    std::deque<int64_t> restarts;        // ring frames at which a looping source started again
    int64_t passedRestart = -1;          // the latest restart the listener has passed
    int64_t decodePosition = 0;          // decoding channels: next source frame handed out
    std::vector<int16_t> decodeScratch;  // decoding channels: samples before narrowing

    // Decodes into the ring until it is full or the source ends. Returns the frames added.
    size_t fill();
    // The source frame being heard now.
    int64_t position() const;
    // Empties the ring and moves the source to `frame`; the channel must be out of the mix.
    bool resetTo(int64_t frame);
    bool hasEnded() const {
        return decodeEnded.load(std::memory_order_acquire) &&
               consumed.load(std::memory_order_acquire) >= written.load(std::memory_order_acquire);
    }

    RingBuffer ring;
    std::atomic<bool> decodeEnded{false};  // nothing more will be written (end or error)

    // Mixer side.
    std::atomic<int64_t> consumed{0};  // ring frames that have been heard
    std::atomic<int> state{static_cast<int>(PlayState::Stopped)};
    std::atomic<bool> mixable{true};
    std::atomic<bool> stalled{false};
    std::atomic<uint32_t> level{0};
    MixState mix;

    // Attributes: current values (the mixer moves them during slides) and pending slides,
    // each packed as (1 << 63) | time ms << 32 | target.
    std::atomic<int32_t> attr[kAttrCount];
    std::atomic<uint64_t> slideCommand[kAttrCount];
    std::atomic<uint32_t> slidingMask{0};

    // Tag blocks and module name, read once at creation so the pointers handed out stay valid.
    struct Tags {
        std::string blocks[6];
        std::string name;
    } tags;

    // Engine side, under the engine lock.
    std::vector<Sync> syncs;

private:
    std::vector<int16_t> m_scratch;
};

inline uint64_t packSlide(int32_t target, uint32_t ms) {
    return (uint64_t{1} << 63) | (uint64_t{ms & 0x7FFFFFFFu} << 32) | static_cast<uint32_t>(target);
}

}  // namespace media
