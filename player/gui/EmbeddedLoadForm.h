// The "Loading Embedded files ..." window: a small always-on-top dialog with a progress
// bar that refuses to be closed and appears only when extraction takes a while.
#pragma once

#include <QDialog>
#include <QProgressBar>
#include <QTimer>

#include "runtime/EmbeddedLoad.h"

namespace player {

class TEmbeddedLoad final : public QDialog, public runtime::EmbeddedLoad {
public:
    TEmbeddedLoad();

    void startTimer() override { m_timer1.start(); }
    void stopTimer() override { m_timer1.stop(); }
    void hide() override { QDialog::hide(); }

protected:
    void stepIt() override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}  // Escape must not close it either

private:
    QProgressBar m_progressBar1;
    QTimer m_timer1;
};

}  // namespace player
