// The "Loading Embedded files ..." form: a small always-on-top dialog with a progress bar
// that refuses to be closed and appears only when extraction takes a while.
#pragma once

#include "runtime/EmbeddedLoad.h"
#include "vcl/Forms.h"

namespace vcl {
class TProgressBar;
class TTimer;
}  // namespace vcl

namespace player {

class TEmbeddedLoad final : public vcl::TForm, public runtime::EmbeddedLoad {
public:
    CLASSES_OBJECT(TEmbeddedLoad)
    explicit TEmbeddedLoad(classes::TComponent* owner);

    void startTimer() override;
    void stopTimer() override;
    void hide() override { vcl::TForm::hide(); }
    vcl::TProgressBar* progressBar1() const { return m_progressBar1; }

protected:
    void stepIt() override;

private:
    vcl::TProgressBar* m_progressBar1;
    vcl::TTimer* m_timer1;
};

}  // namespace player
