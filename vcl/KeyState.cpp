// The keyboard state table.
#include "vcl/KeyState.h"

#include <array>

#include "platform/Machine.h"

namespace vcl {
namespace {

std::array<uint8_t, 256>& table() {
    static std::array<uint8_t, 256> keys = [] {
        std::array<uint8_t, 256> k{};
        const platform::LockLights lights = platform::lockLights();
        k[kVkCapital] = lights.capsLock;
        k[kVkNumLock] = lights.numLock;
        k[kVkScroll] = lights.scrollLock;
        return k;
    }();
    return keys;
}

bool toggles(int vk) { return vk == kVkCapital || vk == kVkNumLock || vk == kVkScroll; }

}  // namespace

uint8_t keyState(int virtualKey) {
    toolkit::watchKeys();
    return virtualKey >= 0 && virtualKey < 256 ? table()[static_cast<size_t>(virtualKey)] : 0;
}

void setKeyState(int virtualKey, uint8_t value) {
    toolkit::watchKeys();
    if (virtualKey >= 0 && virtualKey < 256) table()[static_cast<size_t>(virtualKey)] = value;
}

void keyPressed(int virtualKey) {
    if (virtualKey < 0 || virtualKey >= 256) return;
    uint8_t& k = table()[static_cast<size_t>(virtualKey)];
    // Auto-repeat sends more presses without releases; only the first one toggles.
    if (toggles(virtualKey) && !(k & 0x80)) k ^= 1;
    k |= 0x80;
}

void keyReleased(int virtualKey) {
    if (virtualKey >= 0 && virtualKey < 256) table()[static_cast<size_t>(virtualKey)] &= 0x7F;
}

}  // namespace vcl
