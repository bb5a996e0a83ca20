// The screen, mouse, keyboard, fonts, clipboard and cursors for scripts, over the
// component model's desktop services. Texts are in the ANSI code page; none fails: what
// the desktop does not tell is 0, False or empty text. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace classes {
class TStrings;
}

namespace library {

struct TDWDimension {
    int32_t Height = 0;
    int32_t Width = 0;
};

int32_t screenWidth();
int32_t screenHeight();
int32_t mouseX();
int32_t mouseY();
// Display adapter `index` (from 0) and its monitor.
std::string screenDeviceName(uint8_t index);
std::string screenDeviceString(uint8_t index);
std::string screenMonitorName(uint8_t index);
std::string screenMonitorString(uint8_t index);
uint8_t screenColorDepth(uint8_t index);
int32_t screenFrequency(uint8_t index);
TDWDimension screenResolution(uint8_t index);

int32_t getMouseButtons();
bool mouseButtonsSwaped();
bool mouseIsPresent();
bool mouseHasWheel();

// The player's keyboard state, not the lights.
bool getCapsLock();
bool getNumLock();
bool getScrollLock();
void setCapsLock(bool on);
void setNumLock(bool on);
void setScrollLock(bool on);

// A new list the script owns.
std::unique_ptr<classes::TStrings> fonts();
bool fontExists(std::string_view faceName);
std::string getPreferredUIFont();

// The width in pixels of `text` in the font of the canvas whose device-context handle is
// `dc`, without its accelerator ampersands when `prefix`; 0 for a handle naming no canvas.
int32_t getTextWidth(int32_t dc, std::string_view text, bool prefix);

void copyTextToClipboard(std::string_view text);
std::string getTextFromClipboard();

// The cursor table: each file (a Windows path; names compared without regard to case) is
// loaded once and keeps its number, from 1 in load order. A file that cannot be read still
// takes a number and shows the default arrow.
int32_t addCursor(std::string_view fileName);
// The cursor of the whole application: a number from addCursor, 0 for the default arrow,
// or a standard negative cursor.
void setDefaultCursor(int32_t cursor);

}  // namespace library
