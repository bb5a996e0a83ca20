// What the desktop around the player offers and shows: display devices, the mouse, the
// installed fonts, the clipboard's text, the standard icons and screen grabs. Texts are in
// the ANSI code page. Implemented in vcl/qt/; main thread only, and every call answers
// (0, false, empty) when there is no toolkit or the desktop does not say.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pictures/Image.h"
#include "vcl/Types.h"

namespace vcl::desktop {

// One display adapter with its monitor, as Windows enumerates them ("\\.\DISPLAY1").
struct DisplayDevice {
    std::string name;
    std::string description;
    std::string monitorName;
    std::string monitorDescription;
    int depth = 0;        // bits per pixel
    int refreshRate = 0;  // hertz
    int width = 0;        // device pixels
    int height = 0;
};
std::vector<DisplayDevice> displayDevices();

TPoint cursorPos();

struct MouseInfo {
    bool present = false;
    int buttons = 0;  // physical buttons, as Windows counts them (the wheel is none)
    bool wheel = false;
    bool swapped = false;  // left and right exchanged
};
MouseInfo mouseInfo();

// The families of installed fonts, sorted, each once.
std::vector<std::string> fontFamilies();
// A font of exactly this family is installed (letter case aside): a substitute the desktop
// would use in its place does not count.
bool fontFamilyExists(std::string_view family);
// Adds the fonts of a file (native path, UTF-8) for this process until it ends; true when
// at least one family was added. Removing gives them up again; true when the file had been
// added. Main thread.
bool addFontFile(const std::string& file);
bool removeFontFile(const std::string& file);

// Plain text on the clipboard (replacing what it held); the text it holds, empty when none.
void setClipboardText(std::string_view text);
std::string clipboardText();

enum class StandardIcon { Application, Information, Warning, Error, Question, WinLogo };
// The desktop's icon of that kind, 32 by 32.
pictures::Image standardIcon(StandardIcon icon);

// The screen's pixels in `rect` (virtual desktop coordinates); parts off the screens are black.
pictures::Image grabScreen(const TRect& rect);

}  // namespace vcl::desktop
