// TCustomPicShow and TPicShow: a picture animated in over what the control shows, through
// one of the numbered transition effects (vcl/PicShowEffects.h) or frames the project draws.
// Three ways to run a transition: by hand (Manual: the program sets Progress), in a loop on
// the user-interface thread that waits on the event loop between frames, or on a worker
// thread. The worker only builds frames (effects on plain pixels); it never paints and
// never runs script code: every frame and the end of the run are posted to the
// user-interface thread, which paints and raises the events. Frames that need script code
// (Style 0, the frame events) are built on the user-interface thread at the worker's
// request. All members are for the user-interface thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "vcl/Controls.h"
#include "vcl/TextFader.h"

namespace vcl {

class TBitmap;
class TPicture;

inline constexpr int PS_THREADTERMINATED = 1025;

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TCustomPicShow : public TCustomControl {
public:
    CLASSES_OBJECT(TCustomPicShow)
    explicit TCustomPicShow(classes::TComponent* owner);
    ~TCustomPicShow() override;

    // Starts a transition to Picture: nothing without a picture or while one runs. In
    // Manual mode it only prepares; otherwise it animates, returning at once when
    // threaded and at the end of the transition when not.
    virtual void execute();
    // Ends a running transition: OnStop without OnComplete. Waits for a worker to end.
    virtual void stop();
    virtual void clear();
    bool busy() const { return m_busy; }
    bool empty() const;
    int progress() const;
    // Kept within 0..100; acts only while busy and on a change.
    void setProgress(int value);

    TPicture* picture() const { return m_picture.get(); }
    void setPicture(TPicture* value);
    TPicture* bgPicture() const { return m_bgPicture.get(); }
    void setBgPicture(TPicture* value);
    TBackgroundMode bgMode() const { return m_bgMode; }
    void setBgMode(TBackgroundMode value);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    bool center() const { return m_center; }
    void setCenter(bool value);
    bool stretch() const { return m_stretch; }
    void setStretch(bool value);
    bool stretchFine() const { return m_stretchFine; }
    void setStretchFine(bool value);
    // 0..150; other values are ignored.
    int style() const { return m_style; }
    void setStyle(int value);
    std::string styleName() const;
    void setStyleName(const std::string& value);
    // 1..100: 0 is stored as 1, larger values as 100.
    int step() const { return m_step; }
    void setStep(int value);
    int delay() const { return m_delay; }
    void setDelay(int value);
    bool reverse() const { return m_reverse; }
    void setReverse(bool value) { m_reverse = value; }
    bool manual() const { return m_manual; }
    void setManual(bool value);
    bool overDraw() const { return m_overDraw; }
    void setOverDraw(bool value) { m_overDraw = value; }
    bool threaded() const { return m_threaded; }
    void setThreaded(bool value) { m_threaded = value; }
    TThreadPriority threadPriority() const { return m_threadPriority; }
    void setThreadPriority(TThreadPriority value) { m_threadPriority = value; }

    // The frame being shown, at the picture's size.
    const pictures::Image& screenImage() const;
    // Where the picture goes on the control (placement and aspect fit applied).
    TRect pictureRect() const;
    // What painting puts on the control now, at its client size.
    pictures::Image render();

    classes::TMethod onStart, onBeforeNewFrame, onAfterNewFrame, onCustomDraw, onProgress, onComplete, onStop,
        onChange;

    void setBounds(int left, int top, int width, int height) override;

    // How the worker's notices reach the user-interface thread: the toolkit's event queue
    // unless replaced (tests). Any thread may call the poster.
    using Poster = std::function<void(std::function<void()>)>;
    static void setPoster(Poster poster);

protected:
    void paint() override;

private:
    struct Run;
    void prepare();
    void animate();
    void animateInLoop();
    void startWorker();
    void stopWorker();
    void workerLoop(std::shared_ptr<Run> run);
    void applyProgress(int value);
    void buildFrame();
    void frameShown(const std::shared_ptr<Run>& run, int progress);
    void workerEnded(const std::shared_ptr<Run>& run);
    void finish();
    int nextProgress(int from) const;
    bool complete(int p) const { return m_reverse ? p <= 0 : p >= 100; }
    bool framesNeedScript() const;
    void pictureChanged();
    void placementChanged();
    void paintBackground(TBitmap& target, const TRect& area);

    std::unique_ptr<TPicture> m_picture, m_bgPicture;
    TBackgroundMode m_bgMode = bmTiled;
    bool m_autoSize = true, m_center = false, m_stretch = false, m_stretchFine = false;
    int m_style = 51, m_step = 4, m_delay = 40;
    bool m_reverse = false, m_manual = false, m_overDraw = true, m_threaded = true;
    TThreadPriority m_threadPriority = tpNormal;

    bool m_busy = false, m_stopping = false, m_finished = true, m_bgStale = true, m_frameNotice = false;
    std::atomic<int> m_progress = 0;
    // Guards the frame's pixels while a frame is built or painted.
    std::unique_ptr<std::mutex> m_frameMutex;
    std::unique_ptr<TBitmap> m_screen, m_buffer, m_newPicture, m_oldScreen;
    std::shared_ptr<Run> m_run;
};

class TPicShow : public TCustomPicShow {
public:
    CLASSES_OBJECT(TPicShow)
    explicit TPicShow(classes::TComponent* owner) : TCustomPicShow(owner) {}
};

// The first rectangle of w x h that fits `target` keeping its aspect ratio, centred.
TRect aspectFit(int w, int h, const TRect& target);

namespace types {
const classes::TypeInfo& customDrawEvent();  // "TCustomDrawEvent"
const classes::TypeInfo& threadPriority();   // "TThreadPriority"
}  // namespace types

}  // namespace vcl
