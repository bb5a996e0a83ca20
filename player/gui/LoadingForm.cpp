#include "player/gui/LoadingForm.h"

#include "classes/ClassBuilder.h"
#include "vcl/ExtCtrls.h"

namespace player {

const classes::ClassInfo& TLoadingForm::staticClass() {
    static const auto info =
        classes::ClassBuilder<TLoadingForm>("TLoadingForm", vcl::TForm::staticClass()).factory({}).build();
    return *info;
}

TLoadingForm::TLoadingForm(classes::TComponent* owner, std::function<void()> startRoutine)
    : vcl::TForm(owner), m_timer1(new vcl::TTimer(this)), m_startRoutine(std::move(startRoutine)) {
    setName("LoadingForm");
    setCaption("Loading ...");
    setBorderStyle(vcl::bsNone);
    setColor(vcl::clWhite);
    setBounds(-500, -500, 0, 0);
    vcl::application().setMainForm(this);
    m_timer1->setName("Timer1");
    m_timer1->setInterval(250);
    static const int code = 0;
    m_timer1->setOnTimer(
        classes::TMethod(&code, this, [this](std::span<const classes::EventArg>) { timer1Timer(); }));
}

void TLoadingForm::timer1Timer() {
    m_timer1->setEnabled(false);
    try {
        m_startRoutine();
    } catch (...) {
        // The loader reports its own failures; whatever escapes ends the run quietly.
    }
    close();
    // The start routine returning is the end of the run, even when the project's form has
    // become the application's main form meanwhile.
    vcl::application().terminate();
}

}  // namespace player
