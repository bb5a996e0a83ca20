// The picture show's transition effects: integer pixel code on two pictures of one size,
// so every frame is the same on every machine. An effect draws, over `screen` (which holds
// the old picture), the part of `picture` that belongs to `progress` (1..99); it may narrow
// `update` to the part it changed. Any thread; effects keep no state between frames.
#pragma once

#include <cstdint>
#include <string_view>

#include "pictures/Image.h"
#include "vcl/Types.h"

namespace vcl::picshow {

inline constexpr int kEffectCount = 150;

using EffectProc = void (*)(pictures::Image& screen, const pictures::Image& picture, TRect& update,
                            int progress, int step);

struct Effect {
    const char* name;
    EffectProc proc;
};

// Effect `number` (1..150); null outside.
const Effect* effect(int number);
// The first effect whose name matches `name` regardless of case; 0 for "Custom", -1 for
// no match.
int effectNumber(std::string_view name);

// The common geometry of a W x H picture at progress P: X and Y grow along both sides
// (the longer one leading), Z is the pattern size the step gives.
struct Geometry {
    int w, h, x, y, z;
};
Geometry geometry(int w, int h, int progress, int step);

// The pseudo-random sequence effect 127 draws from: seed := seed * 134775813 + 1 (mod 2^32),
// a number below n is the high half of seed * n.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : m_seed(seed) {}
    int next(int n) {
        m_seed = m_seed * 134775813u + 1u;
        return static_cast<int>((uint64_t{m_seed} * static_cast<uint32_t>(n)) >> 32);
    }

private:
    uint32_t m_seed;
};

// Old and new blended per channel: old * (100 - P) div 100 + new * P div 100.
void fade(pictures::Image& screen, const pictures::Image& picture, int progress);

}  // namespace vcl::picshow
