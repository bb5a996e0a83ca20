// AVI clips come from projects: the reader must end every input in a clip or a
// StreamError, never in a crash, a hang or unbounded memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Error.h"
#include "vcl/AviClip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const vcl::AviClip clip =
            vcl::readAviClip(std::string_view(reinterpret_cast<const char*>(data), size));
        for (const auto& f : clip.frames)
            if (f.width != clip.width || f.height != clip.height ||
                f.pixels.size() != static_cast<size_t>(f.width) * static_cast<size_t>(f.height))
                __builtin_trap();
    } catch (const base::StreamError&) {
    }
    return 0;
}
