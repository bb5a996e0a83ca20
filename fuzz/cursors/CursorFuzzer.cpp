// Feeds arbitrary bytes to the cursor readers (".cur" at three sizes, ".ani", and the
// reader that tells them apart): bad data must end in DecodeError, never a crash, a hang or
// an unbounded allocation, and what they return must hold together.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/Error.h"
#include "vcl/CursorFile.h"

namespace {

void check(const vcl::CursorFrame& f) {
    const pictures::Image& img = f.image;
    if (img.empty() || img.width > vcl::kMaxCursorSide || img.height > vcl::kMaxCursorSide ||
        img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height) || f.hotX < 0 ||
        f.hotY < 0 || f.hotX >= img.width || f.hotY >= img.height)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (int side : {16, 32, 48}) {
        try {
            check(vcl::readCursor(bytes, side));
        } catch (const base::Error&) {
        }
    }
    try {
        const vcl::CursorData c = vcl::readCursorFile(bytes);
        if (c.frames.empty() || c.sequence.empty() || c.sequence.size() != c.delaysMs.size())
            __builtin_trap();
        for (const auto& f : c.frames) check(f);
        for (size_t i = 0; i < c.sequence.size(); ++i)
            if (c.sequence[i] >= c.frames.size() || (c.animated() && c.delaysMs[i] <= 0)) __builtin_trap();
    } catch (const base::Error&) {
    }
    return 0;
}
