// Screen, mouse, keyboard, fonts, clipboard and cursor routines.
#include "library/Desktop.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "base/AnsiText.h"
#include "classes/TStrings.h"
#include "library/Strings.h"
#include "platform/Paths.h"
#include "vcl/Canvas.h"
#include "vcl/Cursors.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"
#include "vcl/WindowIds.h"

namespace library {
namespace {

std::vector<vcl::desktop::DisplayDevice> displays() { return vcl::desktop::displayDevices(); }

template <class F>
auto onDisplay(uint8_t index, F field) -> decltype(field(vcl::desktop::DisplayDevice{})) {
    const auto all = displays();
    return index < all.size() ? field(all[index]) : decltype(field(vcl::desktop::DisplayDevice{})){};
}

// Cursor files in load order; position p holds cursor number p + 1.
std::vector<std::string>& cursorFiles() {
    static std::vector<std::string> files;
    return files;
}

std::shared_ptr<const vcl::CursorData> loadCursor(std::string_view fileName) {
    try {
        std::ifstream in(platform::resolvePath(fileName), std::ios::binary);
        if (!in) return nullptr;
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return std::make_shared<const vcl::CursorData>(vcl::readCursorFile(bytes.str()));
    } catch (const std::exception&) {
        return nullptr;
    }
}

void setLock(int vk, bool on) { vcl::setKeyState(vk, on ? 1 : 0); }

}  // namespace

int32_t screenWidth() { return vcl::screen().width(); }
int32_t screenHeight() { return vcl::screen().height(); }
int32_t mouseX() { return vcl::desktop::cursorPos().x; }
int32_t mouseY() { return vcl::desktop::cursorPos().y; }

std::string screenDeviceName(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return d.name.substr(0, 32); });
}
std::string screenDeviceString(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return d.description.substr(0, 128); });
}
std::string screenMonitorName(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return d.monitorName.substr(0, 32); });
}
std::string screenMonitorString(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return d.monitorDescription.substr(0, 128); });
}
uint8_t screenColorDepth(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return static_cast<uint8_t>(std::clamp(d.depth, 0, 255)); });
}
int32_t screenFrequency(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return int32_t(d.refreshRate); });
}
TDWDimension screenResolution(uint8_t index) {
    return onDisplay(index, [](const auto& d) { return TDWDimension{d.height, d.width}; });
}

int32_t getMouseButtons() { return vcl::desktop::mouseInfo().buttons; }
bool mouseButtonsSwaped() { return vcl::desktop::mouseInfo().swapped; }
bool mouseIsPresent() { return vcl::desktop::mouseInfo().present; }
bool mouseHasWheel() { return vcl::desktop::mouseInfo().wheel; }

bool getCapsLock() { return vcl::keyState(vcl::kVkCapital) != 0; }
bool getNumLock() { return vcl::keyState(vcl::kVkNumLock) != 0; }
bool getScrollLock() { return vcl::keyState(vcl::kVkScroll) != 0; }
void setCapsLock(bool on) { setLock(vcl::kVkCapital, on); }
void setNumLock(bool on) { setLock(vcl::kVkNumLock, on); }
void setScrollLock(bool on) { setLock(vcl::kVkScroll, on); }

std::unique_ptr<classes::TStrings> fonts() {
    auto list = std::make_unique<classes::TStringList>();
    for (const std::string& family : vcl::desktop::fontFamilies()) list->add(family);
    return list;
}

bool fontExists(std::string_view faceName) { return vcl::desktop::fontFamilyExists(faceName); }

std::string getPreferredUIFont() {
    return fontExists("Microsoft Sans Serif") ? "Microsoft Sans Serif" : "MS Sans Serif";
}

int32_t getTextWidth(int32_t dc, std::string_view text, bool prefix) {
    const vcl::TCanvas* canvas = vcl::canvasById(dc);
    if (!canvas) return 0;
    return canvas->textWidth(prefix ? RemoveAccelChar(text) : std::string(text));
}

void copyTextToClipboard(std::string_view text) { vcl::desktop::setClipboardText(text); }
std::string getTextFromClipboard() { return vcl::desktop::clipboardText(); }

int32_t addCursor(std::string_view fileName) {
    std::vector<std::string>& files = cursorFiles();
    for (size_t i = 0; i < files.size(); ++i)
        if (base::ansiSameText(files[i], fileName)) return static_cast<int32_t>(i + 1);
    files.emplace_back(fileName);
    const auto number = static_cast<int32_t>(files.size());
    vcl::setCursorShape(number, loadCursor(fileName));
    return number;
}

void setDefaultCursor(int32_t cursor) {
    vcl::setApplicationCursor(cursor);
    vcl::application().processMessages();
}

}  // namespace library
