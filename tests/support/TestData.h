// Data for tests and benchmarks, generated so nothing is committed from elsewhere.
#pragma once

#include <cstdint>
#include <string>

namespace testdata {

// Incompressible bytes, the same for the same seed.
inline std::string noise(size_t size, uint32_t seed) {
    std::string out(size, '\0');
    for (auto& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    return out;
}

}  // namespace testdata
