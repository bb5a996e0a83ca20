// Stand-ins for the ActiveX web browser and Flash controls, which do not exist here: a
// white windowed control of the same class name whose centred label says what is
// missing. They read the properties a form stream gives the real controls (including
// the controls' binary "ControlData"), and their methods do nothing.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "vcl/Controls.h"

namespace vcl {
class TLabel;
}

namespace components {

class ActiveXPlaceholder : public vcl::TWinControl {
public:
    CLASSES_OBJECT(ActiveXPlaceholder)
    const std::string& message() const;
    vcl::TLabel* label() const { return m_label; }

    // Event properties the stream may name; kept, never raised.
    classes::TMethod event(const std::string& name) const;
    void setEvent(const std::string& name, const classes::TMethod& handler) { m_events[name] = handler; }

protected:
    ActiveXPlaceholder(classes::TComponent* owner, const std::string& message, int width, int height);

private:
    vcl::TLabel* m_label = nullptr;
    std::map<std::string, classes::TMethod> m_events;
};

// What shows the pages of a TWebBrowser (the toolkit's web engine).
class BrowserEngine {
public:
    virtual ~BrowserEngine() = default;
    virtual void navigate(const std::string& url) = 0;
    virtual void goBack() = 0;
    virtual void goForward() = 0;
    virtual void reload() = 0;
    virtual void stop() = 0;
    virtual std::string url() const = 0;    // UTF-8
    virtual std::string title() const = 0;  // UTF-8
    virtual bool busy() const = 0;
};

// The web browser: pages shown by the web engine when it is built in and starts; otherwise
// the placeholder's message, with every member doing nothing.
class TWebBrowser final : public ActiveXPlaceholder {
public:
    CLASSES_OBJECT(TWebBrowser)
    explicit TWebBrowser(classes::TComponent* owner);
    ~TWebBrowser() override;
    static const char* const kMessage;

    // Whether browsers made from now on use the engine (built in and not switched off).
    static bool engineEnabled();
    static void setEngineEnabled(bool value);

    // The script's members. Texts are the script's (ANSI code page).
    void navigate(const std::string& url);
    void goBack();
    void goForward();
    void goHome();
    void refresh();
    void stop();
    std::string locationURL() const;
    std::string locationName() const;
    bool busy() const;
    void putProperty(const std::string& name, const classes::Variant& value);
    classes::Variant getProperty(const std::string& name) const;
    // True while the engine shows the pages; false while the placeholder's message shows.
    bool engineActive() const { return m_engine != nullptr; }
    // True when the engine started and then failed: the placeholder shows instead.
    bool engineFailed() const { return m_engineFailed; }

    // The engine's reports; each raises the matching event.
    bool beforeNavigate(const std::string& url);  // false: cancelled
    void navigateComplete(const std::string& url);
    void documentComplete(const std::string& url);
    void titleChanged(const std::string& title);
    void progressChanged(int progress, int progressMax);
    void downloadBegin();
    void downloadComplete();
    void statusTextChanged(const std::string& text);
    void commandStateChanged(int command, bool enabled);
    bool newWindow();  // false: cancelled
    void engineFailedToRun();

protected:
    void handleCreated() override;

private:
    std::unique_ptr<BrowserEngine> m_engine;
    std::string m_pendingUrl;
    std::map<std::string, classes::Variant> m_properties;
    bool m_engineFailed = false;
};

// "TShockwaveFlash" when no Flash control is available.
class TShockwaveFlash final : public ActiveXPlaceholder {
public:
    CLASSES_OBJECT(TShockwaveFlash)
    explicit TShockwaveFlash(classes::TComponent* owner);
    static const char* const kMessage;
};

}  // namespace components
