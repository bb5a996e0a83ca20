// Feeds arbitrary bytes to the shaped form's region reading, as a Mask2 stream value and as
// region data alone: bad data must be refused (a reading error, or no region), never read
// past its end, and accepted data must survive being written and parsed again.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "classes/Errors.h"
#include "components/CoolForm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (auto rects = components::regiondata::parse(bytes)) {
        if (components::regiondata::parse(components::regiondata::build(*rects)) != rects) __builtin_trap();
    }
    components::TCoolForm cool(nullptr);
    try {
        cool.readMask2(bytes);
        if (cool.writeMask2().size() < 4) __builtin_trap();
    } catch (const classes::EReadError&) {
    }
    return 0;
}
