// Feeds arbitrary bytes to every picture loader, and to the picture blob reader of the
// component stream (the first byte picks the graphic class): bad data must end in an
// exception of our hierarchy, never a crash, a hang or an unbounded allocation.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Error.h"
#include "pictures/Loaders.h"
#include "vcl/Clock.h"
#include "vcl/Picture.h"

namespace {
const std::array<std::string_view, 8> kClasses = {"TBitmap",   "TIcon",      "TMetafile", "TJPEGImage",
                                                  "TGIFImage", "TPNGObject", "TTarga",    "TUnknown"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static vcl::ManualClock clock;  // animations must not need the toolkit's event loop
    vcl::TimerService::setActive(&clock);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const auto& loader : pictures::loaders()) {
        try {
            const pictures::Decoded d = loader.decode(bytes);
            for (const auto& f : d.frames)
                if (!f.image.empty() && f.image.pixels.size() != static_cast<size_t>(f.image.width) *
                                                                     static_cast<size_t>(f.image.height))
                    __builtin_trap();
        } catch (const base::Error&) {
        }
    }
    if (!bytes.empty()) {
        const std::string_view name = kClasses[static_cast<unsigned char>(bytes[0]) % kClasses.size()];
        std::string blob(1, static_cast<char>(name.size()));
        blob.append(name).append(bytes.substr(1));
        vcl::TPicture picture;
        try {
            picture.readData(blob);
            clock.advance(1000);  // step an animation through a few frames
            if (picture.graphic()) (void)picture.writeData();
        } catch (const base::Error&) {
        }
    }
    return 0;
}
