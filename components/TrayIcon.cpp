#include "components/TrayIcon.h"

#include "base/CodePage.h"
#include "classes/ClassBuilder.h"
#include "runtime/Termination.h"
#include "vcl/AnimationTimer.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/Menus.h"

namespace components {

namespace qt {
std::unique_ptr<TrayService> createSystemTray();
void applySkipTaskBar(bool skip);
}  // namespace qt

namespace {

TrayServiceFactory& factory() {
    static TrayServiceFactory f;
    return f;
}

bool& skipState() {
    static bool skip = false;
    return skip;
}

std::unique_ptr<TELTrayIcon>& globalSlot() {
    static std::unique_ptr<TELTrayIcon> icon;
    return icon;
}

}  // namespace

void setTrayServiceFactory(TrayServiceFactory f) { factory() = std::move(f); }

void setSkipTaskBar(bool skip) {
    if (skipState() == skip) return;
    skipState() = skip;
    qt::applySkipTaskBar(skip);
}

bool skipTaskBar() { return skipState(); }

// --- the image list ---

TImageList::TImageList(classes::TComponent* owner) : classes::TComponent(owner) {}
TImageList::~TImageList() = default;

void TImageList::addIcon(const vcl::TIcon& icon) { m_icons.push_back(std::make_unique<vcl::TIcon>(icon)); }

const classes::ClassInfo& TImageList::staticClass() {
    static const auto info =
        classes::ClassBuilder<TImageList>("TImageList", classes::TComponent::staticClass()).build();
    return *info;
}

// --- animations ---

TELTrayIconAnimationsItem::TELTrayIconAnimationsItem(classes::TCollection* collection)
    : classes::TCollectionItem(collection) {}

TELTrayIconAnimationsItem::~TELTrayIconAnimationsItem() = default;

namespace {
TELTrayIconAnimations* animationsOf(const TELTrayIconAnimationsItem& item) {
    return dynamic_cast<TELTrayIconAnimations*>(item.collection());
}
}  // namespace

bool TELTrayIconAnimationsItem::active() const {
    const TELTrayIconAnimations* owner = animationsOf(*this);
    return owner && owner->activeItem() == this;
}

void TELTrayIconAnimationsItem::setActive(bool value) {
    TELTrayIconAnimations* owner = animationsOf(*this);
    if (!owner || value == active()) return;
    if (value)
        owner->activate(*this);
    else
        owner->deactivate(*this);
}

void TELTrayIconAnimationsItem::setImageList(TImageList* list) {
    m_imageList = list;
    // The tray icon hears of the list's end and lets go of it.
    if (TELTrayIconAnimations* owner = animationsOf(*this); owner && list)
        list->freeNotification(&owner->m_tray);
}

const classes::ClassInfo& TELTrayIconAnimationsItem::staticClass() {
    namespace types = classes::types;
    using Item = TELTrayIconAnimationsItem;
    static const auto info =
        classes::ClassBuilder<Item>("TELTrayIconAnimationsItem", classes::TCollectionItem::staticClass())
            .property("Active", types::boolean(), &Item::active, &Item::setActive)
            .property("ImageList", TImageList::staticClass().typeInfo(), &Item::imageList,
                      &Item::setImageList)
            .property("Interval", types::integer(), &Item::interval, &Item::setInterval,
                      {.defaultValue = 1000})
            .property("Circular", types::boolean(), &Item::circular, &Item::setCircular)
            .property("RestoreOldIcon", types::boolean(), &Item::restoreOldIcon, &Item::setRestoreOldIcon,
                      {.defaultValue = 1})
            .build();
    return *info;
}

TELTrayIconAnimations::TELTrayIconAnimations(TELTrayIcon& tray)
    : classes::TCollection(TELTrayIconAnimationsItem::staticClass(), &tray), m_tray(tray) {}

TELTrayIconAnimations::~TELTrayIconAnimations() {
    halt(false);
    m_active = nullptr;
    clear();
}

const classes::ClassInfo& TELTrayIconAnimations::staticClass() {
    static const auto info = classes::ClassBuilder<TELTrayIconAnimations>("TELTrayIconAnimations",
                                                                          classes::TCollection::staticClass())
                                 .build();
    return *info;
}

bool TELTrayIconAnimations::running() const { return m_timer && m_timer->enabled(); }

void TELTrayIconAnimations::activate(TELTrayIconAnimationsItem& item) {
    // While loading, only which one; the icon starts it when it becomes active.
    if (m_tray.hasState(classes::ComponentState::Loading)) {
        m_active = &item;
        return;
    }
    if (!item.imageList() || item.imageList()->count() == 0)
        throw EELTrayIcon("Can not start animation without images");
    halt(false);
    m_active = &item;
    if (m_tray.active()) start();
}

void TELTrayIconAnimations::deactivate(TELTrayIconAnimationsItem& item) {
    if (m_active != &item) return;
    halt(item.restoreOldIcon());
    m_active = nullptr;
}

void TELTrayIconAnimations::start() {
    if (!m_active || !m_active->imageList() || m_active->imageList()->count() == 0) return;
    if (!m_saved && m_tray.icon()) m_saved = std::make_unique<vcl::TIcon>(*m_tray.icon());
    if (!m_timer) m_timer = std::make_unique<vcl::AnimationTimer>([this] { nextFrame(); });
    m_frame = -1;
    nextFrame();
}

void TELTrayIconAnimations::halt(bool restore) {
    const bool wasRunning = running();
    // Stopped, not freed: the last frame ends the animation from inside the timer's own tick.
    if (m_timer) m_timer->setEnabled(false);
    // An empty saved icon means the application's was showing: clearing gives it back.
    if (wasRunning && restore) m_tray.showFrame(m_saved.get());
    m_saved.reset();
}

void TELTrayIconAnimations::nextFrame() {
    if (!m_active) return;
    TImageList* list = m_active->imageList();
    ++m_frame;
    if (!list || m_frame >= list->count()) {
        if (list && list->count() > 0 && m_active->circular()) {
            m_frame = 0;
        } else {
            deactivate(*m_active);
            return;
        }
    }
    m_tray.showFrame(&list->icon(m_frame));
    m_timer->setInterval(m_active->interval());
    m_timer->setEnabled(true);
}

void TELTrayIconAnimations::notify(classes::TCollectionItem* item, bool added) {
    classes::TCollection::notify(item, added);
    if (!added && item == m_active) {
        halt(false);
        m_active = nullptr;
    }
}

// --- the tray icon ---

TELTrayIcon::TELTrayIcon(classes::TComponent* owner)
    : classes::TComponent(owner), m_animations(std::make_unique<TELTrayIconAnimations>(*this)) {
    m_service = factory() ? factory()() : qt::createSystemTray();
    m_service->onMouse = [this](TrayMouse what) { mouse(what); };
}

TELTrayIcon::~TELTrayIcon() {
    setActive(false);
    m_animations.reset();
    if (m_service) m_service->onMouse = nullptr;
}

void TELTrayIcon::setActive(bool value) {
    m_active = value;
    if (hasState(classes::ComponentState::Loading)) return;
    updateTaskBarButton();
    if (!value)
        m_animations->halt(false);
    else if (m_animations->activeItem() && !m_animations->running())
        m_animations->start();
    if (value) {
        m_service->show(shownImage(), shownTip());
    } else if (m_shown) {
        m_service->remove();
    }
    m_shown = value;
}

void TELTrayIcon::loaded() {
    classes::TComponent::loaded();
    if (m_active) setActive(true);
}

void TELTrayIcon::setHint(const std::string& value) {
    m_hint = value;
    updateEntry();
}

void TELTrayIcon::setIcon(const vcl::TIcon* value) {
    // An icon from elsewhere ends the animation and stays.
    if (!m_animationChanging) m_animations->halt(false);
    m_icon = value && !value->empty() ? std::make_unique<vcl::TIcon>(*value) : nullptr;
    updateEntry();
}

void TELTrayIcon::showFrame(const vcl::TIcon* icon) {
    m_animationChanging = true;
    setIcon(icon);
    m_animationChanging = false;
}

void TELTrayIcon::setPopupMenu(vcl::TPopupMenu* menu) {
    if (m_popupMenu) m_popupMenu->removeFreeNotification(this);
    m_popupMenu = menu;
    if (menu) menu->freeNotification(this);
}

void TELTrayIcon::notification(classes::TComponent* component, classes::Operation operation) {
    classes::TComponent::notification(component, operation);
    if (operation != classes::Operation::Remove) return;
    if (component == m_popupMenu) m_popupMenu = nullptr;
    for (int i = 0; m_animations && i < m_animations->count(); ++i) {
        TELTrayIconAnimationsItem* item = m_animations->item(i);
        if (item->imageList() != component) continue;
        if (item->active()) m_animations->deactivate(*item);
        item->setImageList(nullptr);
    }
}

void TELTrayIcon::setHideTaskBarButton(bool value) {
    m_hideTaskBarButton = value;
    if (!hasState(classes::ComponentState::Loading)) updateTaskBarButton();
}

void TELTrayIcon::updateTaskBarButton() {
    const bool hide = m_hideTaskBarButton && m_active;
    // Only an icon that hides the button gives it back: the script's own setting stays.
    if (hide || m_hidingTaskBar) setSkipTaskBar(hide);
    m_hidingTaskBar = hide;
}

void TELTrayIcon::updateEntry() {
    if (m_shown) m_service->show(shownImage(), shownTip());
}

const pictures::Image* TELTrayIcon::shownImage() const {
    if (m_icon && m_icon->image()) return m_icon->image();
    const vcl::TIcon* appIcon = vcl::application().icon();
    return appIcon ? appIcon->image() : nullptr;
}

std::string TELTrayIcon::shownTip() const {
    std::string tip = m_hint.empty() ? vcl::application().title() : m_hint;
    if (tip.size() > kTrayTipLength) tip.resize(kTrayTipLength);
    return base::CodePage::active().toUtf8(tip);
}

void TELTrayIcon::mouse(TrayMouse what) {
    switch (what) {
    case TrayMouse::LeftDown:
        vcl::application().bringToFront();
        onClick({this});
        break;
    case TrayMouse::LeftDoubleClick:
        vcl::application().bringToFront();
        onDblClick({this});
        break;
    case TrayMouse::RightDown: vcl::application().bringToFront(); break;
    case TrayMouse::RightUp: {
        const vcl::TPoint at = vcl::desktop::cursorPos();
        bool handled = false;
        if (onContextPopup) onContextPopup(*this, at, handled);
        if (handled || !m_popupMenu || !m_popupMenu->autoPopup()) return;
        m_popupMenu->setPopupComponent(this);
        vcl::application().bringToFront();
        vcl::application().processMessages();
        // The handler or the messages may have freed the menu.
        if (m_popupMenu) m_popupMenu->popup(at.x, at.y);
        break;
    }
    }
}

const classes::ClassInfo& TELTrayIcon::staticClass() {
    static const auto info =
        classes::ClassBuilder<TELTrayIcon>("TELTrayIcon", classes::TComponent::staticClass()).build();
    return *info;
}

TELTrayIcon& globalTrayIcon() {
    auto& slot = globalSlot();
    if (!slot) {
        slot = std::make_unique<TELTrayIcon>(nullptr);
        // Ending the player takes the icon out of the notification area.
        static const bool registered = [] {
            runtime::addCleanupStep(runtime::kCleanupMedia, freeGlobalTrayIcon);
            return true;
        }();
        (void)registered;
    }
    return *slot;
}

bool globalTrayIconExists() { return globalSlot() != nullptr; }

void freeGlobalTrayIcon() { globalSlot().reset(); }

}  // namespace components
