// THotKey: a box that shows the key combination the user presses ("Ctrl + Alt + A").
// Combinations whose modifiers are listed in InvalidKeys get Modifiers instead, as the
// system's hot-key control does; Backspace clears it to "None".
#pragma once

#include <memory>
#include <string>

#include "vcl/Controls.h"
#include "vcl/Menus.h"

namespace vcl {

enum THKModifier { hkShift, hkCtrl, hkAlt, hkExt };
using THKModifiers = uint32_t;
enum THKInvalidKey { hcNone, hcShift, hcCtrl, hcAlt, hcShiftCtrl, hcShiftAlt, hcCtrlAlt, hcShiftCtrlAlt };
using THKInvalidKeys = uint32_t;

class TCustomHotKey : public TWinControl {
public:
    CLASSES_OBJECT(TCustomHotKey)
    explicit TCustomHotKey(classes::TComponent* owner);

    TShortCut hotKey() const { return m_hotKey; }
    void setHotKey(TShortCut value);
    THKInvalidKeys invalidKeys() const { return m_invalidKeys; }
    void setInvalidKeys(THKInvalidKeys value) { m_invalidKeys = value; }
    THKModifiers modifiers() const { return m_modifiers; }
    void setModifiers(THKModifiers value) { m_modifiers = value; }
    // What the box shows: "None", or the modifiers Ctrl, Shift and Alt, then the key,
    // joined by " + ".
    std::string hotKeyText() const;
    // The combination a key press gives after the InvalidKeys rule.
    TShortCut combination(int key, TShiftState shift) const;

    classes::TMethod onChange;

    bool keyDown(int& key, TShiftState shift) override;
    bool keyPress(char& key) override;

protected:
    std::unique_ptr<WindowHandle> createHandle() override;
    void handleCreated() override;
    void fontChanged() override;
    void colorChanged() override;

private:
    TShortCut m_hotKey = scAlt | 'A';
    THKInvalidKeys m_invalidKeys = (1u << hcNone) | (1u << hcShift);
    THKModifiers m_modifiers = 1u << hkAlt;
};

class THotKey : public TCustomHotKey {
public:
    CLASSES_OBJECT(THotKey)
    explicit THotKey(classes::TComponent* owner);
};

}  // namespace vcl
