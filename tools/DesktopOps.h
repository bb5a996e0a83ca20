// The few changes to the user's desktop that the buttons make, behind one small interface:
// an X11 implementation and one that does nothing where there is no X display.
#pragma once

#include <memory>
#include <string>

namespace tools {

enum class LockKey { NumLock, CapsLock, ScrollLock };

// Every call is synchronous and best effort: a missing window, key or extension makes the
// call do nothing, and nothing is reported. Calls come from the GUI thread only.
class DesktopOps {
public:
    virtual ~DesktopOps() = default;

    // One press and release of the lock key: each call toggles the lock once.
    virtual void toggleLock(LockKey key) = 0;
    // Maps or unmaps every top-level window of the desktop type (the one holding the icons).
    virtual void setDesktopShown(bool shown) = 0;
    // Maps or unmaps every top-level window of the dock type (the panel).
    virtual void setPanelShown(bool shown) = 0;
    // Sets, absolutely, whether the primary and secondary buttons are exchanged server-wide.
    virtual void setButtonsSwapped(bool swapped) = 0;
};

// Used where no X display is reachable.
class NullDesktopOps final : public DesktopOps {
public:
    void toggleLock(LockKey) override {}
    void setDesktopShown(bool) override {}
    void setPanelShown(bool) override {}
    void setButtonsSwapped(bool) override {}
};

// The X11 implementation on the named display (empty: $DISPLAY), or NullDesktopOps when the
// display cannot be opened. The changes outlive the returned object and the program.
std::unique_ptr<DesktopOps> makeDesktopOps(const std::string& displayName);

}  // namespace tools
