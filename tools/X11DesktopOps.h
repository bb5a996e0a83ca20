// DesktopOps through Xlib on a connection of its own: XTest for the lock keys, Xkb for the
// lock indicators, the window manager's window-type hints to find the desktop and the panel.
#pragma once

#include "tools/DesktopOps.h"

#include <string>
#include <vector>

using Display = struct _XDisplay;

namespace tools {

class X11DesktopOps final : public DesktopOps {
public:
    // Takes ownership of an open connection.
    explicit X11DesktopOps(Display* display);
    ~X11DesktopOps() override;
    X11DesktopOps(const X11DesktopOps&) = delete;
    X11DesktopOps& operator=(const X11DesktopOps&) = delete;

    // Opens the named display (empty: $DISPLAY); null when it cannot be opened.
    static std::unique_ptr<X11DesktopOps> open(const std::string& displayName);

    void toggleLock(LockKey key) override;
    void setDesktopShown(bool shown) override;
    void setPanelShown(bool shown) override;
    void setButtonsSwapped(bool swapped) override;

    // Top-level windows whose window-type hint names the given type atom (for example
    // "_NET_WM_WINDOW_TYPE_DOCK"), mapped or not.
    std::vector<unsigned long> windowsOfType(const char* typeName) const;

private:
    void setShown(const char* typeName, bool shown);
    unsigned int findKeycode(unsigned long keysym) const;
    void setIndicator(const char* name, bool on);
    int indicatorState(const char* name) const;

    Display* m_display;
    bool m_hasXTest = false;
    bool m_hasXkb = false;
};

}  // namespace tools
