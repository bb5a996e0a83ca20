// The player's keyboard state: one byte per virtual key, as Windows keeps it for a thread.
// Bit 7 is set while the key is down; bit 0 flips at each press of a toggle key (Caps Lock,
// Num Lock, Scroll Lock). Key events of the toolkit feed it, scripts may write it, and the
// lock keys start from the keyboard's lights where the system shows them. Writing it changes
// what the player sees, not the lights. Main thread only.
#pragma once

#include <cstdint>

namespace vcl {

inline constexpr int kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkCapital = 0x14, kVkNumLock = 0x90,
                     kVkScroll = 0x91;

uint8_t keyState(int virtualKey);
void setKeyState(int virtualKey, uint8_t value);
// A key went down or up (toolkit side).
void keyPressed(int virtualKey);
void keyReleased(int virtualKey);

namespace toolkit {
// Starts feeding key events of every window into the state (implemented in vcl/qt/;
// idempotent, and also done when the toolkit starts).
void watchKeys();
}  // namespace toolkit

}  // namespace vcl
