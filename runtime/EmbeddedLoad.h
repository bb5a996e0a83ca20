// The embedded-load progress form as the loader sees it: it owns the archive component
// that restores the project's files, shows itself only when a restore outlasts its
// 3000 ms timer, and moves its bar one step for each report whose percentage, taken
// modulo 128, differs from the previous one. The window itself is the user interface's.
#pragma once

#include <string>

#include "runtime/Archive.h"

namespace runtime {

class EmbeddedLoad {
public:
    EmbeddedLoad();
    virtual ~EmbeddedLoad() = default;

    // The archive component; its progress handler can be attached and detached.
    TBackupFile& embeddedFiles() { return m_embeddedFiles; }
    void attachProgress();
    void detachProgress() { m_embeddedFiles.OnProgress = nullptr; }

    // The 3000 ms timer: when it fires before stopTimer(), the form is shown.
    virtual void startTimer() = 0;
    virtual void stopTimer() = 0;
    virtual void hide() = 0;

    // The progress handler; reports for "FILE:LIST" are ignored.
    void progress(const std::string& fileName, int percent);
    int steps() const { return m_steps; }

protected:
    // Moves the bar forward by one step.
    virtual void stepIt() = 0;

private:
    TBackupFile m_embeddedFiles;
    int m_lastPercent = 0;
    int m_steps = 0;
};

// A form that is never shown: for runs without a user interface and for tests.
class HiddenEmbeddedLoad final : public EmbeddedLoad {
public:
    void startTimer() override {}
    void stopTimer() override {}
    void hide() override {}

protected:
    void stepIt() override {}
};

}  // namespace runtime
