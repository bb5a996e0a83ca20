// The form tables. Captions are spelled as code page 1251 bytes, each with its meaning.
#include "tools/FormSpec.h"

#include <array>

namespace tools {
namespace {

constexpr std::array kKeyboardButtons = {
    // "Num вкл/изкл" (Num on/off)
    ButtonSpec{"Command3", "Num \xe2\xea\xeb/\xe8\xe7\xea\xeb", 120, 120, 1095, 495, Action::ToggleNumLock},
    // "Caps вкл/изкл"
    ButtonSpec{"Command4", "Caps \xe2\xea\xeb/\xe8\xe7\xea\xeb", 1440, 120, 1095, 495,
               Action::ToggleCapsLock},
    // "Scroll вкл/изкл"
    ButtonSpec{"Command5", "Scroll \xe2\xea\xeb/\xe8\xe7\xea\xeb", 2760, 120, 1095, 495,
               Action::ToggleScrollLock},
};

// The show-icons button stands on the right yet comes first in the tab order.
constexpr std::array kDesktopButtons = {
    // "Покажи иконите" (show the icons)
    ButtonSpec{"Command11", "\xcf\xee\xea\xe0\xe6\xe8\x20\xe8\xea\xee\xed\xe8\xf2\xe5", 1320, 120, 1095, 495,
               Action::ShowIcons},
    // "Скрий иконите" (hide the icons)
    ButtonSpec{"Command12", "\xd1\xea\xf0\xe8\xe9\x20\xe8\xea\xee\xed\xe8\xf2\xe5", 120, 120, 1095, 495,
               Action::HideIcons},
    // "Скрий Таскбара" (hide the taskbar)
    ButtonSpec{"Command14", "\xd1\xea\xf0\xe8\xe9\x20\xd2\xe0\xf1\xea\xe1\xe0\xf0\xe0", 120, 720, 1095, 495,
               Action::HideTaskbar},
    // "Покажи Таскбара" (show the taskbar)
    ButtonSpec{"Command15", "\xcf\xee\xea\xe0\xe6\xe8\x20\xd2\xe0\xf1\xea\xe1\xe0\xf0\xe0", 1320, 720, 1095,
               495, Action::ShowTaskbar},
};

constexpr std::array kMouseButtons = {
    // "Обърнати бутони на мишката" (swapped mouse buttons)
    ButtonSpec{
        "Command6",
        "\xce\xe1\xfa\xf0\xed\xe0\xf2\xe8\x20\xe1\xf3\xf2\xee\xed\xe8\x20\xed\xe0\x20\xec\xe8\xf8\xea\xe0"
        "\xf2\xe0",
        120, 120, 1095, 615, Action::SwapButtons},
    // "Нормални бутони на мишката" (normal mouse buttons)
    ButtonSpec{
        "Command7",
        "\xcd\xee\xf0\xec\xe0\xeb\xed\xe8\x20\xe1\xf3\xf2\xee\xed\xe8\x20\xed\xe0\x20\xec\xe8\xf8\xea\xe0"
        "\xf2\xe0",
        1320, 120, 1095, 615, Action::NormalButtons},
    // "Скрий Мишката" (hide the mouse)
    ButtonSpec{"Command8", "\xd1\xea\xf0\xe8\xe9\x20\xcc\xe8\xf8\xea\xe0\xf2\xe0", 120, 840, 1095, 615,
               Action::HideMouse},
    // "Покажи Мишката" (show the mouse)
    ButtonSpec{"Command9", "\xcf\xee\xea\xe0\xe6\xe8\x20\xcc\xe8\xf8\xea\xe0\xf2\xe0", 1320, 840, 1095, 615,
               Action::ShowMouse},
};

// "Клавиатура" (keyboard)
constexpr FormSpec kKeyboard{"\xca\xeb\xe0\xe2\xe8\xe0\xf2\xf3\xf0\xe0", 4005, 720, kKeyboardButtons,
                             "input-keyboard"};
// "Работен Плот" (desktop)
constexpr FormSpec kDesktop{"\xd0\xe0\xe1\xee\xf2\xe5\xed\x20\xcf\xeb\xee\xf2", 2535, 1305, kDesktopButtons,
                            "user-desktop"};
// "Мишка" (mouse)
constexpr FormSpec kMouse{"\xcc\xe8\xf8\xea\xe0", 2520, 1545, kMouseButtons, "input-mouse"};

}  // namespace

const FormSpec& formSpec(Program program) {
    switch (program) {
    case Program::Keyboard: return kKeyboard;
    case Program::Desktop: return kDesktop;
    case Program::Mouse: return kMouse;
    }
    return kKeyboard;
}

}  // namespace tools
