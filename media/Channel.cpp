// Decode-side work of a channel: keeping its ring filled, looping, positions.
#include "media/Channel.h"

#include <algorithm>

namespace media {

namespace {
constexpr size_t kDecodeChunkFrames = 2048;
}

Channel::Channel(uint32_t handle_, ChannelKind kind_, uint32_t flags_, int device_,
                 std::unique_ptr<AudioStream> stream_, size_t ringFrames)
    : handle(handle_),
      kind(kind_),
      device(device_),
      format(stream_->format()),
      typeCode(stream_->typeCode()),
      decodeOnly((flags_ & BASS_STREAM_DECODE) != 0),
      flags(flags_),
      stream(std::move(stream_)),
      ring(decodeOnly ? 0 : ringFrames * static_cast<size_t>(format.channels)),
      m_scratch(kDecodeChunkFrames * static_cast<size_t>(format.channels)) {
    attr[kAttrFreq] = format.rate;
    attr[kAttrVolume] = 100;
    attr[kAttrPan] = 0;
    for (auto& command : slideCommand) command = 0;
    for (int k = 0; k < 6; ++k) tags.blocks[k] = stream->tagBlock(static_cast<TagKind>(k));
    tags.name = stream->moduleName();
}

size_t Channel::fill() {
    const auto channels = static_cast<size_t>(format.channels);
    size_t added = 0;
    int64_t lastRestart = restarts.empty() ? passedRestart : restarts.back();
    while (!decodeEnded.load(std::memory_order_relaxed)) {
        const size_t room = ring.space() / channels;
        if (room == 0) break;
        const size_t want = std::min(room, kDecodeChunkFrames);
        const size_t got = stream->read(m_scratch.data(), want);
        ring.write(m_scratch.data(), got * channels);
        written += static_cast<int64_t>(got);
        added += got;
        if (got == want) continue;
        if (!stream->exhausted()) break;
        // The source ran out: loop it (unless it produced nothing since the last restart,
        // which would spin forever) or mark the end for the mixer.
        const bool loop = (flags.load() & BASS_SAMPLE_LOOP) != 0;
        const int64_t total = written.load();
        if (loop && !stream->failed() && total != lastRestart && total > 0 && stream->seek(0)) {
            restarts.push_back(total);
            lastRestart = total;
            continue;
        }
        decodeEnded.store(true, std::memory_order_release);
    }
    return added;
}

int64_t Channel::position() const {
    const int64_t heard = consumed.load(std::memory_order_acquire);
    int64_t restart = passedRestart;
    for (int64_t r : restarts)
        if (r <= heard) restart = r;
    return restart >= 0 ? heard - restart : startFrame + heard;
}

bool Channel::resetTo(int64_t frame) {
    if (!stream->seek(frame)) return false;
    ring.reset();
    written = 0;
    consumed = 0;
    restarts.clear();
    passedRestart = -1;
    startFrame = frame;
    decodePosition = frame;
    decodeEnded = false;
    stalled = false;
    mix.haveCur = mix.haveNext = false;
    mix.frac = 0;
    mix.stagePos = mix.stageLen = 0;
    return true;
}

}  // namespace media
