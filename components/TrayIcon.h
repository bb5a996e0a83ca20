// The notification-area ("tray") icon and the one global icon the script routines manage.
// The icon reaches the desktop through a TrayService: the toolkit's system tray in the
// player, a fake in tests.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Error.h"
#include "classes/TCollection.h"
#include "classes/TComponent.h"
#include "vcl/Types.h"

namespace pictures {
class Image;
}
namespace vcl {
class AnimationTimer;
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

// Failures of the tray icon ("Can not start animation without images").
class EELTrayIcon : public base::Error {
public:
    using base::Error::Error;
};

// The pictures an animation steps through: what the tray icon needs of the toolkit's image
// list.
class TImageList : public classes::TComponent {
public:
    CLASSES_OBJECT(TImageList)
    explicit TImageList(classes::TComponent* owner);
    ~TImageList() override;

    int count() const { return static_cast<int>(m_icons.size()); }
    void addIcon(const vcl::TIcon& icon);
    const vcl::TIcon& icon(int index) const { return *m_icons.at(static_cast<size_t>(index)); }

private:
    std::vector<std::unique_ptr<vcl::TIcon>> m_icons;
};

class TELTrayIcon;

// One animation: the list's pictures shown in turn every Interval milliseconds, once or
// round and round, with the icon from before put back at the end if RestoreOldIcon.
class TELTrayIconAnimationsItem : public classes::TCollectionItem {
public:
    CLASSES_OBJECT(TELTrayIconAnimationsItem)
    explicit TELTrayIconAnimationsItem(classes::TCollection* collection);
    ~TELTrayIconAnimationsItem() override;

    // True when it is its collection's active item. Activating one without pictures throws
    // EELTrayIcon and leaves the running animation alone.
    bool active() const;
    void setActive(bool value);
    TImageList* imageList() const { return m_imageList; }
    void setImageList(TImageList* list);
    int interval() const { return m_interval; }
    void setInterval(int ms) { m_interval = ms; }
    bool circular() const { return m_circular; }
    void setCircular(bool value) { m_circular = value; }
    bool restoreOldIcon() const { return m_restoreOldIcon; }
    void setRestoreOldIcon(bool value) { m_restoreOldIcon = value; }
    std::string displayName() const override { return "Animation" + std::to_string(index()); }

private:
    TImageList* m_imageList = nullptr;
    int m_interval = 1000;
    bool m_circular = false;
    bool m_restoreOldIcon = true;
};

// The tray icon's animations; at most one runs, and only while the icon is active.
class TELTrayIconAnimations : public classes::TCollection {
public:
    CLASSES_OBJECT(TELTrayIconAnimations)
    explicit TELTrayIconAnimations(TELTrayIcon& tray);
    ~TELTrayIconAnimations() override;

    TELTrayIconAnimationsItem* add() { return static_cast<TELTrayIconAnimationsItem*>(TCollection::add()); }
    TELTrayIconAnimationsItem* item(int index) const {
        return static_cast<TELTrayIconAnimationsItem*>(TCollection::item(index));
    }
    TELTrayIconAnimationsItem* activeItem() const { return m_active; }
    bool running() const;

private:
    friend class TELTrayIcon;
    friend class TELTrayIconAnimationsItem;
    void activate(TELTrayIconAnimationsItem& item);
    void deactivate(TELTrayIconAnimationsItem& item);
    void start();
    // Ends the running animation; `restore` puts the icon from before it back.
    void halt(bool restore);
    void nextFrame();
    void notify(classes::TCollectionItem* item, bool added) override;

    TELTrayIcon& m_tray;
    TELTrayIconAnimationsItem* m_active = nullptr;
    std::unique_ptr<vcl::AnimationTimer> m_timer;
    std::unique_ptr<vcl::TIcon> m_saved;
    int m_frame = -1;
};

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
    TELTrayIconAnimations& animations() const { return *m_animations; }

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
    friend class TELTrayIconAnimations;
    friend class TELTrayIconAnimationsItem;
    void updateEntry();
    void updateTaskBarButton();
    // The running animation's picture: the icon changes without stopping it.
    void showFrame(const vcl::TIcon* icon);

    bool m_active = false;
    bool m_shown = false;
    bool m_hideTaskBarButton = false;
    bool m_hidingTaskBar = false;
    std::string m_hint;
    std::unique_ptr<vcl::TIcon> m_icon;
    vcl::TPopupMenu* m_popupMenu = nullptr;
    bool m_animationChanging = false;
    std::unique_ptr<TrayService> m_service;
    std::unique_ptr<TELTrayIconAnimations> m_animations;
};

// Keeps the application's windows off the task bar (the skip-taskbar state), or puts them back.
void setSkipTaskBar(bool skip);
bool skipTaskBar();

// The global tray icon of the script routines: made on first use, freed at the end.
TELTrayIcon& globalTrayIcon();
bool globalTrayIconExists();
void freeGlobalTrayIcon();

}  // namespace components
