// The fixed system colour table: the classic scheme of the system the projects were made on.
#include "vcl/Color.h"

#include <array>

namespace vcl {

namespace {
constexpr std::array<TColor, 31> kSystemColors = {
    rgb(212, 208, 200),  // scroll bar
    rgb(58, 110, 165),   // desktop background
    rgb(10, 36, 106),    // active caption
    rgb(128, 128, 128),  // inactive caption
    rgb(212, 208, 200),  // menu
    rgb(255, 255, 255),  // window
    rgb(0, 0, 0),        // window frame
    rgb(0, 0, 0),        // menu text
    rgb(0, 0, 0),        // window text
    rgb(255, 255, 255),  // caption text
    rgb(212, 208, 200),  // active border
    rgb(212, 208, 200),  // inactive border
    rgb(128, 128, 128),  // application work space
    rgb(10, 36, 106),    // highlight
    rgb(255, 255, 255),  // highlight text
    rgb(212, 208, 200),  // button face
    rgb(128, 128, 128),  // button shadow
    rgb(128, 128, 128),  // grey text
    rgb(0, 0, 0),        // button text
    rgb(212, 208, 200),  // inactive caption text
    rgb(255, 255, 255),  // button highlight
    rgb(64, 64, 64),     // 3-D dark shadow
    rgb(212, 208, 200),  // 3-D light
    rgb(0, 0, 0),        // tool tip text
    rgb(255, 255, 225),  // tool tip background
    rgb(181, 181, 181),  // (unused slot)
    rgb(0, 0, 128),      // hot-tracked item
    rgb(166, 202, 240),  // active caption gradient
    rgb(192, 192, 192),  // inactive caption gradient
    rgb(49, 106, 197),   // menu highlight
    rgb(236, 233, 216),  // menu bar
};
}  // namespace

TColor sysColor(int index) {
    return index >= 0 && index < static_cast<int>(kSystemColors.size()) ? kSystemColors[index] : clBlack;
}

TColor colorToRGB(TColor color) { return color < 0 ? sysColor(color & 0xFF) : color; }

uint32_t colorToArgb(TColor color) {
    const TColor c = colorToRGB(color);
    return 0xFF000000u | (static_cast<uint32_t>(getRValue(c)) << 16) |
           (static_cast<uint32_t>(getGValue(c)) << 8) | static_cast<uint32_t>(getBValue(c));
}

TColor argbToColor(uint32_t argb) {
    return rgb(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
               static_cast<int>(argb & 0xFF));
}

}  // namespace vcl
