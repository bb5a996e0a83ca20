// The pull interface every decoder offers the engine: interleaved 16-bit frames at the
// stream's own rate, read on demand by whichever thread owns the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace media {

// Width of the samples as the channel reports them and counts its bytes; decoders always
// deliver 16-bit values, an 8-bit source only narrows the bytes handed out.
enum class SampleWidth { Bits8, Bits16 };

struct StreamFormat {
    int rate = 44100;
    int channels = 2;
    SampleWidth width = SampleWidth::Bits16;

    int bytesPerFrame() const { return channels * (width == SampleWidth::Bits8 ? 1 : 2); }
};

// Raw tag blocks a stream may carry, numbered as scripts ask for them.
enum class TagKind { Id3v1 = 0, Id3v2 = 1, OggComments = 2, Http = 3, Icy = 4, Meta = 5 };

// Channel type codes reported in the channel information record.
namespace TypeCode {
inline constexpr uint32_t Wav = 0x10001;
inline constexpr uint32_t Ogg = 0x10002;
inline constexpr uint32_t Mp1 = 0x10003;
inline constexpr uint32_t Mp2 = 0x10004;
inline constexpr uint32_t Mp3 = 0x10005;
inline constexpr uint32_t Mod = 0x20000;
inline constexpr uint32_t Mtm = 0x20001;
inline constexpr uint32_t S3m = 0x20002;
inline constexpr uint32_t Xm = 0x20003;
inline constexpr uint32_t It = 0x20004;
inline constexpr uint32_t Mo3 = 0x100;
}  // namespace TypeCode

// One decoded source. Not thread-safe: the engine serialises every call on one stream.
// Failure to open is reported by the factory (an exception); failure while decoding ends
// the stream early with failed() true, never an exception.
class AudioStream {
public:
    virtual ~AudioStream() = default;

    virtual StreamFormat format() const = 0;
    // Reads up to `frames` frames (frames * channels values) into `out`. Returns fewer only
    // at the end of the data or after a decoding error.
    virtual size_t read(int16_t* out, size_t frames) = 0;
    // After a short read: true when no more data will come, false when the source is only
    // late (a caller's procedure) and a later read may deliver more.
    virtual bool exhausted() const { return true; }
    // Total frames, or -1 when the source cannot tell.
    virtual int64_t length() const = 0;
    // Moves to `frame` (0 <= frame <= length); false leaves the position unspecified.
    virtual bool seek(int64_t frame) = 0;
    virtual uint32_t typeCode() const = 0;
    // Size of the encoded source in bytes, or 0.
    virtual uint64_t sourceSize() const { return 0; }
    // A raw tag block in the form scripts receive it, or empty.
    virtual std::string tagBlock(TagKind) const { return {}; }
    // The module's own name; empty for streams.
    virtual std::string moduleName() const { return {}; }
    // Modules: the number of orders, or -1 for streams.
    virtual int orderCount() const { return -1; }
    // Modules: the frame at which `order`, `row` begins, or -1 when there is no such place.
    // May move the decoding position.
    virtual int64_t frameAtOrder(int /*order*/, int /*row*/) { return -1; }

    bool failed() const { return m_failed; }

protected:
    bool m_failed = false;
};

}  // namespace media
