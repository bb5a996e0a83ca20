// Frames from the other end of the debugger link: decoding never crashes or reads past its
// bytes, however they are cut, and every frame decoded encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "runtime/DebuggerWire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte chooses how the stream is cut into reads.
    const size_t piece = data[0] % 16 + 1;
    std::string_view stream(reinterpret_cast<const char*>(data + 1), size - 1);
    runtime::DebugFrameDecoder decoder;
    std::string reencoded;
    size_t consumed = 0;
    try {
        for (size_t at = 0; at < stream.size(); at += piece) {
            decoder.feed(stream.substr(at, piece));
            while (auto frame = decoder.next()) {
                (void)runtime::wellFormedDebugFrame(*frame);
                reencoded += runtime::encodeDebugFrame(*frame);
                consumed = reencoded.size();
            }
        }
    } catch (const base::StreamError&) {
        return 0;
    }
    if (stream.substr(0, consumed) != reencoded) __builtin_trap();
    if (decoder.pending() != stream.size() - consumed) __builtin_trap();
    return 0;
}
