// Stand-ins for the ActiveX web browser and Flash controls, which do not exist here: a
// white windowed control of the same class name whose centred label says what is
// missing. They read the properties a form stream gives the real controls (including
// the controls' binary "ControlData"), and their methods do nothing.
#pragma once

#include <map>
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

// "TWebBrowser" when no browser control is available.
class TWebBrowser final : public ActiveXPlaceholder {
public:
    CLASSES_OBJECT(TWebBrowser)
    explicit TWebBrowser(classes::TComponent* owner);
    static const char* const kMessage;
};

// "TShockwaveFlash" when no Flash control is available.
class TShockwaveFlash final : public ActiveXPlaceholder {
public:
    CLASSES_OBJECT(TShockwaveFlash)
    explicit TShockwaveFlash(classes::TComponent* owner);
    static const char* const kMessage;
};

}  // namespace components
