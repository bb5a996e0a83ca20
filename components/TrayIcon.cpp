#include "components/TrayIcon.h"

#include "base/CodePage.h"
#include "classes/ClassBuilder.h"
#include "runtime/Termination.h"
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

TELTrayIcon::TELTrayIcon(classes::TComponent* owner) : classes::TComponent(owner) {
    m_service = factory() ? factory()() : qt::createSystemTray();
    m_service->onMouse = [this](TrayMouse what) { mouse(what); };
}

TELTrayIcon::~TELTrayIcon() {
    setActive(false);
    if (m_service) m_service->onMouse = nullptr;
}

void TELTrayIcon::setActive(bool value) {
    m_active = value;
    if (hasState(classes::ComponentState::Loading)) return;
    updateTaskBarButton();
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
    m_icon = value && !value->empty() ? std::make_unique<vcl::TIcon>(*value) : nullptr;
    updateEntry();
}

void TELTrayIcon::setPopupMenu(vcl::TPopupMenu* menu) {
    if (m_popupMenu) m_popupMenu->removeFreeNotification(this);
    m_popupMenu = menu;
    if (menu) menu->freeNotification(this);
}

void TELTrayIcon::notification(classes::TComponent* component, classes::Operation operation) {
    classes::TComponent::notification(component, operation);
    if (operation == classes::Operation::Remove && component == m_popupMenu) m_popupMenu = nullptr;
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
