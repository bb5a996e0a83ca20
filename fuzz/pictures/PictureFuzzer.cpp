// Feeds arbitrary bytes to every picture loader, and to the picture blob reader, which
// picks a graphic kind by name: bad data must end in DecodeError/StreamError, never a crash.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Error.h"
#include "pictures/Loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& loader : pictures::loaders()) {
        try {
            const pictures::Decoded d = loader.decode(bytes);
            for (const auto& f : d.frames)
                if (!f.image.empty() && f.image.pixels.size() != static_cast<size_t>(f.image.width) * f.image.height)
                    __builtin_trap();
        } catch (const base::Error&) {
        }
    }
    return 0;
}
