#include "player/gui/EmbeddedLoadForm.h"

#include "classes/ClassBuilder.h"
#include "vcl/ExtCtrls.h"
#include "vcl/RangeCtrls.h"

namespace player {

const classes::ClassInfo& TEmbeddedLoad::staticClass() {
    static const auto info =
        classes::ClassBuilder<TEmbeddedLoad>("TEmbeddedLoad", vcl::TForm::staticClass()).factory({}).build();
    return *info;
}

TEmbeddedLoad::TEmbeddedLoad(classes::TComponent* owner)
    : vcl::TForm(owner), m_progressBar1(new vcl::TProgressBar(this)), m_timer1(new vcl::TTimer(this)) {
    setName("EmbeddedLoad");
    setCaption("Loading Embedded files ...");
    setBorderStyle(vcl::bsDialog);
    setBorderIcons(0);
    setFormStyle(vcl::fsStayOnTop);
    setPosition(vcl::poScreenCenter);
    setClientWidth(282);
    setClientHeight(33);
    m_progressBar1->setName("ProgressBar1");
    m_progressBar1->setParent(this);
    m_progressBar1->setBounds(8, 8, 266, 17);
    m_timer1->setName("Timer1");
    m_timer1->setEnabled(false);
    m_timer1->setInterval(3000);
    static const int code = 0;
    m_timer1->setOnTimer(classes::TMethod(&code, this, [this](std::span<const classes::EventArg>) {
        m_timer1->setEnabled(false);
        if (!visible()) show();
    }));
    // The user cannot close it; extraction does.
    onCloseQuery = classes::TMethod(&code, this, [](std::span<const classes::EventArg> args) {
        if (auto* canClose = std::get_if<bool*>(&args[1])) **canClose = false;
    });
}

void TEmbeddedLoad::startTimer() { m_timer1->setEnabled(true); }

void TEmbeddedLoad::stopTimer() { m_timer1->setEnabled(false); }

// Past the end the bar starts over, as a stepping progress bar does.
void TEmbeddedLoad::stepIt() { m_progressBar1->stepIt(); }

}  // namespace player
