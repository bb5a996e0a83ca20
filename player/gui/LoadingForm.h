// The player's hidden main form during start-up: it is never shown; its one-shot 250 ms
// timer runs the start routine once the event loop is up, then closes the form, which
// ends the application.
#pragma once

#include <functional>

#include "vcl/Forms.h"

namespace vcl {
class TTimer;
}

namespace player {

class TLoadingForm final : public vcl::TForm {
public:
    CLASSES_OBJECT(TLoadingForm)
    // Becomes the application's main form.
    TLoadingForm(classes::TComponent* owner, std::function<void()> startRoutine);
    vcl::TTimer* timer1() const { return m_timer1; }

private:
    void timer1Timer();

    vcl::TTimer* m_timer1;
    std::function<void()> m_startRoutine;
};

}  // namespace player
