#include "components/ActiveXPlaceholders.h"

#include "classes/ClassBuilder.h"
#include "classes/TReader.h"
#include "vcl/Graphics.h"
#include "vcl/KeptProperties.h"
#include "vcl/StdCtrls.h"

namespace components {
namespace {

namespace ct = classes::types;
using classes::ClassBuilder;

constexpr vcl::TColor kWhite = 0xFFFFFF;

// Declares the events a placeholder keeps without ever raising them.
template <class Builder>
void keptEvents(Builder& b, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        const std::string key = name;
        b.property(
            name, ct::notifyEvent(), [key](const ActiveXPlaceholder& c) { return c.event(key); },
            [key](ActiveXPlaceholder& c, const classes::TMethod& m) { c.setEvent(key, m); });
    }
}

}  // namespace

const char* const TWebBrowser::kMessage =
    "This control cannot be displayed!\r\n\r\n"
    "It needs Internet Explorer 4 or later to be installed on the system.\r\n"
    "Please install Internet Explorer 4 or later from www.microsoft.com.";

const char* const TShockwaveFlash::kMessage =
    "Macromedia ShockwaveFlash Object\r\n"
    "This control cannot be displayed!\r\n\r\n"
    "It needs Macromedia Flash Player to be installed on the system.\r\n"
    "Download it from www.macromedia.com/go/getflashplayer.";

ActiveXPlaceholder::ActiveXPlaceholder(classes::TComponent* owner, const std::string& message, int width,
                                       int height)
    : vcl::TWinControl(owner) {
    setBounds(left(), top(), width, height);
    setColor(kWhite);
    m_label = new vcl::TLabel(this);
    m_label->setParent(this);
    m_label->setAutoSize(false);
    m_label->setAlign(vcl::alClient);
    m_label->setWordWrap(true);
    m_label->setTransparent(true);
    m_label->setAlignment(vcl::taCenter);
    m_label->setLayout(vcl::tlCenter);
    m_label->font()->setStyle(1u << vcl::fsBold);
    m_label->font()->setSize(m_label->font()->size() + 2);
    m_label->setCaption(message);
}

const std::string& ActiveXPlaceholder::message() const { return m_label->caption(); }

classes::TMethod ActiveXPlaceholder::event(const std::string& name) const {
    auto it = m_events.find(name);
    return it == m_events.end() ? classes::TMethod() : it->second;
}

const classes::ClassInfo& ActiveXPlaceholder::staticClass() {
    static const auto info =
        ClassBuilder<ActiveXPlaceholder>("ActiveXPlaceholder", vcl::TWinControl::staticClass())
            .factory({})
            // The real controls' saved state; nothing here can use it.
            .defined("ControlData", [](ActiveXPlaceholder&, classes::TReader& r) { r.readBinary(); })
            .build();
    return *info;
}

TWebBrowser::TWebBrowser(classes::TComponent* owner) : ActiveXPlaceholder(owner, kMessage, 216, 70) {}

const classes::ClassInfo& TWebBrowser::staticClass() {
    static const auto info = [] {
        ClassBuilder<TWebBrowser> b("TWebBrowser", ActiveXPlaceholder::staticClass());
        vcl::keptProperty(b, "ParentShowHint", ct::boolean(), 1);
        vcl::keptProperty(b, "Offline", ct::boolean(), 0);
        vcl::keptProperty(b, "RegisterAsDropTarget", ct::boolean(), 1);
        vcl::keptProperty(b, "Silent", ct::boolean(), 0);
        keptEvents(b, {"OnBeforeNavigate2", "OnCommandStateChange", "OnDocumentComplete", "OnDownloadBegin",
                       "OnDownloadComplete", "OnFullScreen", "OnMenuBar", "OnNavigateComplete2",
                       "OnNewWindow2", "OnProgressChange", "OnPropertyChange", "OnQuit", "OnStatusBar",
                       "OnStatusTextChange", "OnTheaterMode", "OnTitleChange", "OnToolBar", "OnVisible"});
        return b.build();
    }();
    return *info;
}

TShockwaveFlash::TShockwaveFlash(classes::TComponent* owner)
    : ActiveXPlaceholder(owner, kMessage, 200, 200) {}

const classes::ClassInfo& TShockwaveFlash::staticClass() {
    static const auto info = [] {
        ClassBuilder<TShockwaveFlash> b("TShockwaveFlash", ActiveXPlaceholder::staticClass());
        vcl::keptProperty(b, "ParentShowHint", ct::boolean(), 1);
        keptEvents(b, {"OnReadyStateChange", "OnProgress", "OnFSCommand"});
        return b.build();
    }();
    return *info;
}

}  // namespace components
