// The notification-area ("tray") icon and the one global icon the script routines manage.
// The icon reaches the desktop through a TrayService: the toolkit's system tray in the
// player, a fake in tests.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "classes/TComponent.h"
#include "vcl/Types.h"

namespace pictures {
class Image;
}
namespace vcl {
class TIcon;
class TPopupMenu;
}  // namespace vcl

namespace components {

// What the desktop reports about the icon.
enum class TrayMouse { LeftDown, LeftDoubleClick, RightDown, RightUp };

// One entry in the notification area.
class TrayService {
public:
    virtual ~TrayService() = default;
    // Adds the entry, or changes it while it is there.
    virtual void show(const pictures::Image* icon, const std::string& tipUtf8) = 0;
    virtual void remove() = 0;
    // Where the desktop's reports go; set by the owner.
    std::function<void(TrayMouse)> onMouse;
};

using TrayServiceFactory = std::function<std::unique_ptr<TrayService>()>;
// The toolkit's system tray unless a test puts its fake in (null: back to the toolkit's).
void setTrayServiceFactory(TrayServiceFactory factory);

// The longest tip the notification area takes (in characters of the script's code page).
constexpr size_t kTrayTipLength = 63;

class TELTrayIcon : public classes::TComponent {
public:
    CLASSES_OBJECT(TELTrayIcon)
    explicit TELTrayIcon(classes::TComponent* owner);
    ~TELTrayIcon() override;

    bool active() const { return m_active; }
    void setActive(bool value);
    const std::string& hint() const { return m_hint; }
    void setHint(const std::string& value);
    vcl::TIcon* icon() const { return m_icon.get(); }
    void setIcon(const vcl::TIcon* value);
    vcl::TPopupMenu* popupMenu() const { return m_popupMenu; }
    void setPopupMenu(vcl::TPopupMenu* menu);
    bool hideTaskBarButton() const { return m_hideTaskBarButton; }
    void setHideTaskBarButton(bool value);

    classes::TMethod onClick, onDblClick;
    // Before the menu; setting `handled` keeps it from showing.
    std::function<void(TELTrayIcon& sender, vcl::TPoint mousePos, bool& handled)> onContextPopup;

    // The desktop's report about the icon.
    void mouse(TrayMouse what);
    // What the entry shows now: the icon's picture (the application's when empty) and the tip.
    const pictures::Image* shownImage() const;
    std::string shownTip() const;

    void loaded() override;
    void notification(classes::TComponent* component, classes::Operation operation) override;

private:
    void updateEntry();
    void updateTaskBarButton();

    bool m_active = false;
    bool m_shown = false;
    bool m_hideTaskBarButton = false;
    bool m_hidingTaskBar = false;
    std::string m_hint;
    std::unique_ptr<vcl::TIcon> m_icon;
    vcl::TPopupMenu* m_popupMenu = nullptr;
    std::unique_ptr<TrayService> m_service;
};

// Keeps the application's windows off the task bar (the skip-taskbar state), or puts them back.
void setSkipTaskBar(bool skip);
bool skipTaskBar();

// The global tray icon of the script routines: made on first use, freed at the end.
TELTrayIcon& globalTrayIcon();
bool globalTrayIconExists();
void freeGlobalTrayIcon();

}  // namespace components
