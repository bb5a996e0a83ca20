#include "components/ActiveXPlaceholders.h"

#include <utility>

#include "base/CodePage.h"
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
// WordBool, as the script engine passes it.
constexpr uint16_t kFalse = 0;

// An event property of the stream and the scripts, raised only when an engine stands behind it.
template <class Builder>
void placeholderEvent(Builder& b, const char* name, const classes::TypeInfo& type) {
    const std::string key = name;
    b.property(
        name, type, [key](const ActiveXPlaceholder& c) { return c.event(key); },
        [key](ActiveXPlaceholder& c, const classes::TMethod& m) { c.setEvent(key, m); });
}

// The Flash control's members: each does nothing, each read gives 0, False or ''.
void flashMembers(ClassBuilder<TShockwaveFlash>& b) {
    using F = TShockwaveFlash;
    using Text = std::string_view;
    b.publicType("IDispatch", "TObject");
    b.publicMethod("Procedure SetZoomRect( left : Integer; top : Integer; right : Integer; bottom : Integer)",
                   [](F&, int32_t, int32_t, int32_t, int32_t) {})
        .publicMethod("Procedure Zoom( factor : integer)", [](F&, int32_t) {})
        .publicMethod("Procedure Pan( x : Integer; y : Integer; mode : integer)",
                      [](F&, int32_t, int32_t, int32_t) {});
    // "Forward" is a reserved word of the script language: no declaration can name it.
    for (const char* name : {"Play", "Stop", "Back", "Rewind", "StopPlay"})
        b.publicMethod(std::string("Procedure ") + name, [](F&) {});
    b.publicMethod("Procedure GotoFrame( FrameNum : Integer)", [](F&, int32_t) {})
        .publicMethod("Function CurrentFrame : Integer", [](F&) { return int32_t(0); })
        .publicMethod("Function IsPlaying : WordBool", [](F&) { return kFalse; })
        .publicMethod("Function PercentLoaded : Integer", [](F&) { return int32_t(0); })
        .publicMethod("Function FrameLoaded( FrameNum : Integer) : WordBool",
                      [](F&, int32_t) { return kFalse; })
        .publicMethod("Function FlashVersion : Integer", [](F&) { return int32_t(0); })
        .publicMethod("Procedure LoadMovie( layer : integer; const url : WideString)",
                      [](F&, int32_t, Text) {})
        .publicMethod("Procedure TGotoFrame( const target : WideString; FrameNum : Integer)",
                      [](F&, Text, int32_t) {})
        .publicMethod("Procedure TGotoLabel( const target : WideString; const label_ : WideString)",
                      [](F&, Text, Text) {})
        .publicMethod("Function TCurrentFrame( const target : WideString) : Integer",
                      [](F&, Text) { return int32_t(0); })
        .publicMethod("Function TCurrentLabel( const target : WideString) : WideString",
                      [](F&, Text) { return std::string(); })
        .publicMethod("Procedure TPlay( const target : WideString)", [](F&, Text) {})
        .publicMethod("Procedure TStopPlay( const target : WideString)", [](F&, Text) {})
        .publicMethod("Procedure SetVariable( const name : WideString; const value : WideString)",
                      [](F&, Text, Text) {})
        .publicMethod("Function GetVariable( const name : WideString) : WideString",
                      [](F&, Text) { return std::string(); })
        .publicMethod(
            "Procedure TSetProperty( const target : WideString; property_ : integer; const value : "
            "WideString)",
            [](F&, Text, int32_t, Text) {})
        .publicMethod("Function TGetProperty( const target : WideString; property_ : integer) : WideString",
                      [](F&, Text, int32_t) { return std::string(); })
        .publicMethod("Procedure TCallFrame( const target : WideString; FrameNum : integer)",
                      [](F&, Text, int32_t) {})
        .publicMethod("Procedure TCallLabel( const target : WideString; const label_ : WideString)",
                      [](F&, Text, Text) {})
        .publicMethod(
            "Procedure TSetPropertyNum( const target : WideString; property_ : integer; value : Double)",
            [](F&, Text, int32_t, double) {})
        .publicMethod("Function TGetPropertyNum( const target : WideString; property_ : integer) : Double",
                      [](F&, Text, int32_t) { return 0.0; })
        .publicMethod(
            "Function TGetPropertyAsNumber( const target : WideString; property_ : integer) : Double",
            [](F&, Text, int32_t) { return 0.0; });
    for (const char* name : {"ControlInterface", "DefaultInterface"})
        b.publicProperty(std::string("property ") + name + " : IDispatch",
                         [](F&) -> classes::TObject* { return nullptr; });
    for (const char* name : {"ReadyState", "TotalFrames"})
        b.publicProperty(std::string("property ") + name + " : Integer", [](F&) { return int32_t(0); });
    auto integer = [&](const char* name) {
        b.publicProperty(
            std::string("property ") + name + " : Integer", [](F&) { return int32_t(0); },
            [](F&, int32_t) {});
    };
    auto boolean = [&](const char* name) {
        b.publicProperty(
            std::string("property ") + name + " : WordBool", [](F&) { return kFalse; }, [](F&, uint16_t) {});
    };
    auto text = [&](const char* name) {
        b.publicProperty(
            std::string("property ") + name + " : WideString", [](F&) { return std::string(); },
            [](F&, const std::string&) {});
    };
    boolean("Playing");
    for (const char* name : {"Quality", "ScaleMode", "AlignMode", "FrameNum"}) integer(name);
    for (const char* name : {"WMode", "SAlign"}) text(name);
    for (const char* name : {"DeviceFont", "EmbedMovie"}) boolean(name);
    for (const char* name : {"BGColor", "SWRemote", "FlashVars", "AllowScriptAccess", "MovieData"})
        text(name);
    boolean("Loop");
    text("Movie");
    boolean("Menu");
    for (const char* name : {"Base", "Scale", "Quality2"}) text(name);
    integer("BackgroundColor");
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

namespace qt {
// Null when the engine is not built in or does not start.
std::unique_ptr<BrowserEngine> attachWebEngine(TWebBrowser& browser);
bool webEngineBuiltIn();
}  // namespace qt

namespace {

bool& engineSwitch() {
    static bool enabled = qt::webEngineBuiltIn();
    return enabled;
}

std::string toUtf8(const std::string& ansi) { return base::CodePage::active().toUtf8(ansi); }
std::string toAnsi(const std::string& utf8) { return base::CodePage::active().fromUtf8(utf8); }

// The browser's events and their script types.
const classes::TypeInfo& browserEventType(const std::string& name) {
    static const std::map<std::string, classes::TypeInfo> types = [] {
        std::map<std::string, classes::TypeInfo> m;
        auto add = [&](std::initializer_list<const char*> events, const char* type, const char* decl) {
            for (const char* e : events) m.emplace(e, classes::TypeInfo::method(type, decl));
        };
        add({"OnStatusTextChange"}, "TWebBrowserStatusTextChange",
            "Procedure ( Sender : TObject; const Text : WideString)");
        add({"OnTitleChange"}, "TWebBrowserTitleChange",
            "Procedure ( Sender : TObject; const Text : WideString)");
        add({"OnProgressChange"}, "TWebBrowserProgressChange",
            "Procedure ( Sender : TObject; Progress : Integer; ProgressMax : Integer)");
        add({"OnCommandStateChange"}, "TWebBrowserCommandStateChange",
            "Procedure ( Sender : TObject; Command : Integer; Enable : WordBool)");
        add({"OnPropertyChange"}, "TWebBrowserPropertyChange",
            "Procedure ( Sender : TObject; const szProperty : WideString)");
        add({"OnBeforeNavigate2"}, "TWebBrowserBeforeNavigate2",
            "Procedure ( Sender : TObject; const pDisp : IDispatch; var URL : OleVariant; var Flags : "
            "OleVariant; "
            "var TargetFrameName : OleVariant; var PostData : OleVariant; var Headers : OleVariant; "
            "var Cancel : WordBool)");
        add({"OnNewWindow2"}, "TWebBrowserNewWindow2",
            "Procedure ( Sender : TObject; var ppDisp : IDispatch; var Cancel : WordBool)");
        add({"OnNavigateComplete2"}, "TWebBrowserNavigateComplete2",
            "Procedure ( Sender : TObject; const pDisp : IDispatch; var URL : OleVariant)");
        add({"OnDocumentComplete"}, "TWebBrowserDocumentComplete",
            "Procedure ( Sender : TObject; const pDisp : IDispatch; var URL : OleVariant)");
        add({"OnVisible"}, "TWebBrowserOnVisible", "Procedure ( Sender : TObject; Visible : WordBool)");
        add({"OnToolBar"}, "TWebBrowserOnToolBar", "Procedure ( Sender : TObject; ToolBar : WordBool)");
        add({"OnMenuBar"}, "TWebBrowserOnMenuBar", "Procedure ( Sender : TObject; MenuBar : WordBool)");
        add({"OnStatusBar"}, "TWebBrowserOnStatusBar", "Procedure ( Sender : TObject; StatusBar : WordBool)");
        add({"OnFullScreen"}, "TWebBrowserOnFullScreen",
            "Procedure ( Sender : TObject; FullScreen : WordBool)");
        add({"OnTheaterMode"}, "TWebBrowserOnTheaterMode",
            "Procedure ( Sender : TObject; TheaterMode : WordBool)");
        return m;
    }();
    auto it = types.find(name);
    return it == types.end() ? ct::notifyEvent() : it->second;
}

}  // namespace

TWebBrowser::TWebBrowser(classes::TComponent* owner) : ActiveXPlaceholder(owner, kMessage, 216, 70) {}

TWebBrowser::~TWebBrowser() = default;

bool TWebBrowser::engineEnabled() { return engineSwitch(); }

void TWebBrowser::setEngineEnabled(bool value) { engineSwitch() = value && qt::webEngineBuiltIn(); }

void TWebBrowser::handleCreated() {
    ActiveXPlaceholder::handleCreated();
    m_engine.reset();
    if (!engineSwitch() || m_engineFailed) return;
    m_engine = qt::attachWebEngine(*this);
    label()->setVisible(!m_engine);
    if (m_engine && !m_pendingUrl.empty()) m_engine->navigate(std::exchange(m_pendingUrl, {}));
}

void TWebBrowser::engineFailedToRun() {
    // Whatever the engine showed goes; the message says the control cannot be shown.
    m_engineFailed = true;
    m_engine.reset();
    label()->setVisible(true);
    invalidate();
}

void TWebBrowser::navigate(const std::string& url) {
    if (m_engine) {
        m_engine->navigate(toUtf8(url));
    } else if (engineSwitch() && !m_engineFailed && !handleAllocated()) {
        // The window comes later (a form not shown yet): the page loads then.
        m_pendingUrl = toUtf8(url);
    }
}

void TWebBrowser::goBack() {
    if (m_engine) m_engine->goBack();
}
void TWebBrowser::goForward() {
    if (m_engine) m_engine->goForward();
}
void TWebBrowser::goHome() { navigate("about:blank"); }
void TWebBrowser::refresh() {
    if (m_engine) m_engine->reload();
}
void TWebBrowser::stop() {
    if (m_engine) m_engine->stop();
}
std::string TWebBrowser::locationURL() const { return m_engine ? toAnsi(m_engine->url()) : std::string(); }
std::string TWebBrowser::locationName() const {
    if (!m_engine) return {};
    // A page without a title is named by its address.
    const std::string title = m_engine->title();
    return toAnsi(title.empty() ? m_engine->url() : title);
}
bool TWebBrowser::busy() const { return m_engine && m_engine->busy(); }

void TWebBrowser::putProperty(const std::string& name, const classes::Variant& value) {
    if (!m_engine) return;
    m_properties[name] = value;
    event("OnPropertyChange")({this, name});
}

classes::Variant TWebBrowser::getProperty(const std::string& name) const {
    auto it = m_properties.find(name);
    // Unknown names read as an empty text, which scripts can use as any other.
    return it == m_properties.end() ? classes::Variant::string({}) : it->second;
}

bool TWebBrowser::beforeNavigate(const std::string& url) {
    std::string scriptUrl = toAnsi(url), flags, target, postData, headers;
    bool cancel = false;
    event("OnBeforeNavigate2")({this, static_cast<classes::TObject*>(nullptr), &scriptUrl, &flags, &target,
                                &postData, &headers, &cancel});
    return !cancel;
}

void TWebBrowser::navigateComplete(const std::string& url) {
    std::string scriptUrl = toAnsi(url);
    event("OnNavigateComplete2")({this, static_cast<classes::TObject*>(nullptr), &scriptUrl});
}

void TWebBrowser::documentComplete(const std::string& url) {
    std::string scriptUrl = toAnsi(url);
    event("OnDocumentComplete")({this, static_cast<classes::TObject*>(nullptr), &scriptUrl});
}

void TWebBrowser::titleChanged(const std::string& title) { event("OnTitleChange")({this, toAnsi(title)}); }

void TWebBrowser::progressChanged(int progress, int progressMax) {
    event("OnProgressChange")({this, int64_t(progress), int64_t(progressMax)});
}

void TWebBrowser::downloadBegin() { event("OnDownloadBegin")({this}); }

void TWebBrowser::downloadComplete() { event("OnDownloadComplete")({this}); }

void TWebBrowser::statusTextChanged(const std::string& text) {
    event("OnStatusTextChange")({this, toAnsi(text)});
}

void TWebBrowser::commandStateChanged(int command, bool enabled) {
    event("OnCommandStateChange")({this, int64_t(command), enabled});
}

bool TWebBrowser::newWindow() {
    classes::TObject* disp = nullptr;
    bool cancel = false;
    event("OnNewWindow2")({this, &disp, &cancel});
    return !cancel;
}

const classes::ClassInfo& TWebBrowser::staticClass() {
    static const auto info = [] {
        ClassBuilder<TWebBrowser> b("TWebBrowser", ActiveXPlaceholder::staticClass());
        vcl::keptProperty(b, "ParentShowHint", ct::boolean(), 1);
        vcl::keptProperty(b, "Offline", ct::boolean(), 0);
        vcl::keptProperty(b, "RegisterAsDropTarget", ct::boolean(), 1);
        vcl::keptProperty(b, "Silent", ct::boolean(), 0);
        for (const char* name :
             {"OnBeforeNavigate2", "OnCommandStateChange", "OnDocumentComplete", "OnDownloadBegin",
              "OnDownloadComplete", "OnFullScreen", "OnMenuBar", "OnNavigateComplete2", "OnNewWindow2",
              "OnProgressChange", "OnPropertyChange", "OnQuit", "OnStatusBar", "OnStatusTextChange",
              "OnTheaterMode", "OnTitleChange", "OnToolBar", "OnVisible"})
            placeholderEvent(b, name, browserEventType(name));
        using W = TWebBrowser;
        // Interfaces reach scripts as objects (always nil here).
        b.publicType("OleVariant", "Variant").publicType("IDispatch", "TObject");
        b.publicMethod("Procedure GoBack", &W::goBack)
            .publicMethod("Procedure GoForward", &W::goForward)
            .publicMethod("Procedure GoHome", &W::goHome)
            .publicMethod("Procedure GoSearch", [](W&) {})
            .publicMethod("Procedure Navigate( const URL : WideString);",
                          [](W& w, std::string_view url) { w.navigate(std::string(url)); })
            .publicMethod("Procedure Refresh", &W::refresh)
            .publicMethod("Procedure Refresh2", &W::refresh)
            .publicMethod("Procedure Stop", &W::stop)
            .publicMethod("Procedure Quit", [](W&) {})
            .publicMethod("Procedure PutProperty( const Property_ : WideString; vtValue : OleVariant)",
                          [](W& w, std::string_view name, const classes::Variant& value) {
                              w.putProperty(std::string(name), value);
                          })
            .publicMethod("Function GetProperty( const Property_ : WideString) : OleVariant",
                          [](W& w, std::string_view name) { return w.getProperty(std::string(name)); })
            .publicMethod("Procedure Navigate2( var URL : OleVariant);", [](W& w, classes::Variant& url) {
                // An address is a text; anything else names no page.
                if (url.type() == classes::Variant::Type::String) w.navigate(url.asString());
            });
        for (const char* name : {"Application", "Parent", "Container", "Document"})
            b.publicProperty(std::string("property ") + name + " : IDispatch",
                             [](W&) -> classes::TObject* { return nullptr; });
        b.publicProperty("property TopLevelContainer : WordBool",
                         [](W& w) { return static_cast<uint16_t>(w.engineActive()); })
            .publicProperty("property Type_ : WideString",
                            [](W& w) { return std::string(w.engineActive() ? "HTML Document" : ""); })
            .publicProperty("property LocationName : WideString", &W::locationName)
            .publicProperty("property LocationURL : WideString", &W::locationURL)
            .publicProperty("property Busy : WordBool", [](W& w) { return static_cast<uint16_t>(w.busy()); })
            .publicProperty("property Name : WideString",
                            [](W& w) { return std::string(w.engineActive() ? "Web Browser" : ""); })
            .publicProperty("property HWND : Integer", [](W&) { return int32_t(0); })
            .publicProperty("property FullName : WideString", [](W&) { return std::string(); })
            .publicProperty("property Path : WideString", [](W&) { return std::string(); });
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
        static const auto readyState = classes::TypeInfo::method(
            "TShockwaveFlashOnReadyStateChange", "Procedure ( Sender : TObject; newState : Integer)");
        static const auto progress = classes::TypeInfo::method(
            "TShockwaveFlashOnProgress", "Procedure ( Sender : TObject; percentDone : Integer)");
        static const auto fsCommand = classes::TypeInfo::method(
            "TShockwaveFlashFSCommand",
            "Procedure ( Sender : TObject; const command : WideString; const args : WideString)");
        placeholderEvent(b, "OnReadyStateChange", readyState);
        placeholderEvent(b, "OnProgress", progress);
        placeholderEvent(b, "OnFSCommand", fsCommand);
        flashMembers(b);
        return b.build();
    }();
    return *info;
}

}  // namespace components
