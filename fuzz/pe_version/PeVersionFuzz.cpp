// Executables named by scripts come from anywhere: reading their version must never crash
// or read outside the data, whatever the bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/PeVersion.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto version = library::peFileVersion(std::string_view(reinterpret_cast<const char*>(data), size));
    if (version) (void)version->text();
    return 0;
}
