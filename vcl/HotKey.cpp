// THotKey: turning key presses into a combination and the combination into its text.
#include "vcl/HotKey.h"

#include "classes/ClassBuilder.h"
#include "vcl/KeptProperties.h"
#include "vcl/NativeHandles.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& modifiersType() {
    static const auto e =
        classes::TypeInfo::enumeration("THKModifier", {"hkShift", "hkCtrl", "hkAlt", "hkExt"});
    static const auto t = classes::TypeInfo::set("THKModifiers", e);
    return t;
}
const classes::TypeInfo& invalidKeysType() {
    static const auto e = classes::TypeInfo::enumeration(
        "THKInvalidKey",
        {"hcNone", "hcShift", "hcCtrl", "hcAlt", "hcShiftCtrl", "hcShiftAlt", "hcCtrlAlt", "hcShiftCtrlAlt"});
    static const auto t = classes::TypeInfo::set("THKInvalidKeys", e);
    return t;
}

// The names the system's key-name service gives keys in a hot-key box.
std::string keyText(int key) {
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= VK_F1 && key < VK_F1 + 24) {
        std::string name = std::to_string(key - VK_F1 + 1);
        name.insert(name.begin(), 'F');
        return name;
    }
    if (key >= 0x60 && key <= 0x69) {
        std::string name = "Num ";
        name += static_cast<char>('0' + key - 0x60);
        return name;
    }
    switch (key) {
    case VK_BACK: return "Backspace";
    case VK_TAB: return "Tab";
    case VK_RETURN: return "Enter";
    case VK_ESCAPE: return "Esc";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "Page Up";
    case VK_NEXT: return "Page Down";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Insert";
    case VK_DELETE: return "Delete";
    case 0x6A: return "Num *";
    case 0x6B: return "Num +";
    case 0x6D: return "Num -";
    case 0x6F: return "Num /";
    default: {
        // The punctuation keys show their character.
        const std::string text = shortCutToText(static_cast<TShortCut>(key));
        return text.empty() ? "?" : text;
    }
    }
}

THKInvalidKey invalidKeyOf(TShortCut mods) {
    const bool shift = mods & scShift, ctrl = mods & scCtrl, alt = mods & scAlt;
    if (shift && ctrl && alt) return hcShiftCtrlAlt;
    if (ctrl && alt) return hcCtrlAlt;
    if (shift && alt) return hcShiftAlt;
    if (shift && ctrl) return hcShiftCtrl;
    if (alt) return hcAlt;
    if (ctrl) return hcCtrl;
    if (shift) return hcShift;
    return hcNone;
}

}  // namespace

const classes::ClassInfo& TCustomHotKey::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomHotKey> b("TCustomHotKey", TWinControl::staticClass());
        b.factory({})
            .property("HotKey", types::shortCut(), &TCustomHotKey::hotKey, &TCustomHotKey::setHotKey,
                      {.defaultValue = scAlt | 'A'})
            .property("InvalidKeys", invalidKeysType(), &TCustomHotKey::invalidKeys,
                      &TCustomHotKey::setInvalidKeys, {.defaultValue = (1u << hcNone) | (1u << hcShift)})
            .property("Modifiers", modifiersType(), &TCustomHotKey::modifiers, &TCustomHotKey::setModifiers,
                      {.defaultValue = 1u << hkAlt});
        kept::bevels(b);
        keptProperty(b, "AutoSize", ct::boolean(), 1);
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& THotKey::staticClass() {
    static const auto info = [] {
        ClassBuilder<THotKey> b("THotKey", TCustomHotKey::staticClass());
        b.event("OnChange", ct::notifyEvent(), &THotKey::onChange);
        return b.build();
    }();
    return *info;
}

TCustomHotKey::TCustomHotKey(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 121, 19);
    setTabStop(true);
    setColor(clWindow);
    setParentColor(false);
}

std::unique_ptr<WindowHandle> TCustomHotKey::createHandle() { return createHotKeyHandle(*this); }

void TCustomHotKey::handleCreated() {
    TWinControl::handleCreated();
    syncHandle();
}

void TCustomHotKey::fontChanged() {
    TWinControl::fontChanged();
    syncHandle();
}

void TCustomHotKey::colorChanged() {
    TWinControl::colorChanged();
    syncHandle();
}

void TCustomHotKey::setHotKey(TShortCut value) {
    if (value == m_hotKey) return;
    m_hotKey = value;
    syncHandle();
}

std::string TCustomHotKey::hotKeyText() const {
    const int key = m_hotKey & 0xFF;
    if (key == 0) return "None";
    std::string text;
    if (m_hotKey & scCtrl) text += "Ctrl + ";
    if (m_hotKey & scShift) text += "Shift + ";
    if (m_hotKey & scAlt) text += "Alt + ";
    return text + keyText(key);
}

TShortCut TCustomHotKey::combination(int key, TShiftState shift) const {
    TShortCut mods = 0;
    if (shift & (1u << ssShift)) mods |= scShift;
    if (shift & (1u << ssCtrl)) mods |= scCtrl;
    if (shift & (1u << ssAlt)) mods |= scAlt;
    if (m_invalidKeys & (1u << invalidKeyOf(mods))) {
        mods = 0;
        if (m_modifiers & (1u << hkShift)) mods |= scShift;
        if (m_modifiers & (1u << hkCtrl)) mods |= scCtrl;
        if (m_modifiers & (1u << hkAlt)) mods |= scAlt;
    }
    return static_cast<TShortCut>((key & 0xFF) | mods);
}

bool TCustomHotKey::keyDown(int& key, TShiftState shift) {
    if (!TWinControl::keyDown(key, shift)) return false;
    if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return true;
    const TShortCut next = (key == VK_BACK || key == VK_DELETE) && !(shift & ((1u << ssCtrl) | (1u << ssAlt)))
                               ? TShortCut{0}
                               : combination(key, shift);
    key = 0;
    if (next == m_hotKey) return false;
    setHotKey(next);
    fireEvent(onChange, {static_cast<classes::TObject*>(this)});
    return false;
}

bool TCustomHotKey::keyPress(char& key) {
    // The box takes keys, never characters.
    TWinControl::keyPress(key);
    key = '\0';
    return false;
}

THotKey::THotKey(classes::TComponent* owner) : TCustomHotKey(owner) {}

}  // namespace vcl
