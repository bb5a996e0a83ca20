// The three programs' windows as data: caption, client size and buttons in tab order, with
// texts in code page 1251 and positions in twips, as the original forms kept them.
#pragma once

#include <span>
#include <string_view>

namespace tools {

enum class Program { Keyboard, Desktop, Mouse };

// What a button does; one routine per action, shared by the three programs.
enum class Action {
    ToggleNumLock,
    ToggleCapsLock,
    ToggleScrollLock,
    ShowIcons,
    HideIcons,
    HideTaskbar,
    ShowTaskbar,
    SwapButtons,
    NormalButtons,
    HideMouse,
    ShowMouse,
};

struct ButtonSpec {
    std::string_view name;         // the control's name, e.g. "Command3"
    std::string_view caption;      // code page 1251
    int left, top, width, height;  // twips
    Action action;
};

struct FormSpec {
    std::string_view caption;             // code page 1251
    int clientWidth, clientHeight;        // twips
    std::span<const ButtonSpec> buttons;  // in tab order
    std::string_view iconName;            // freedesktop icon name
};

const FormSpec& formSpec(Program program);

// 15 twips are one pixel at 96 dots per inch.
constexpr int pixelsFromTwips(int twips) { return (twips * 96 + 720) / 1440; }

}  // namespace tools
