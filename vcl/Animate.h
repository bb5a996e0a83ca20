// TAnimate: plays a silent AVI clip (see AviClip) frame by frame on the timer service.
// Frames count from 1, as the control's properties and methods give them. The system's
// built-in clips (CommonAVI) and clips in resources do not exist here: choosing one leaves
// the control closed.
#pragma once

#include <algorithm>
#include <memory>
#include <string>

#include "vcl/AviClip.h"
#include "vcl/Controls.h"

namespace vcl {

class TimerService;

enum TCommonAVI {
    aviNone,
    aviFindFolder,
    aviFindFile,
    aviFindComputer,
    aviCopyFiles,
    aviCopyFile,
    aviRecycleFile,
    aviEmptyRecycle,
    aviDeleteFile
};

class TAnimate : public TWinControl {
public:
    CLASSES_OBJECT(TAnimate)
    explicit TAnimate(classes::TComponent* owner);
    ~TAnimate() override;

    // The clip's file (a path of the host). Setting it opens the clip; a file that cannot
    // be read raises "Cannot open AVI".
    const std::string& fileName() const { return m_fileName; }
    void setFileName(const std::string& value);
    bool open() const { return m_clip != nullptr; }
    void setOpen(bool value);
    // Playing; setting it plays StartFrame..StopFrame Repetitions times (0: for ever).
    bool active() const { return m_active; }
    void setActive(bool value);
    TCommonAVI commonAVI() const { return m_commonAVI; }
    void setCommonAVI(TCommonAVI value);
    bool center() const { return m_center; }
    void setCenter(bool value);
    // The clip's background (its top-left pixel) shows the control's colour instead.
    bool transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool value);
    int repetitions() const { return m_repetitions; }
    void setRepetitions(int value) { m_repetitions = std::max(0, value); }
    int startFrame() const { return m_startFrame; }
    void setStartFrame(int value);
    int stopFrame() const { return m_stopFrame; }
    void setStopFrame(int value);
    bool timers() const { return m_timers; }
    void setTimers(bool value) { m_timers = value; }
    int frameCount() const;
    int frameWidth() const;
    int frameHeight() const;
    // The frame showing now (1-based; 0 when closed).
    int currentFrame() const { return m_clip ? m_frame + 1 : 0; }

    // Plays frames `from`..`to` `count` times (0: for ever); raises "Cannot open AVI"
    // when closed and "Frame index out of range" for frames the clip lacks.
    void play(int from, int to, int count);
    void stop();
    void seek(int frame);
    // Stops and shows the first frame.
    void reset();
    // A clip in the program's resources: there are none, so these close the control.
    uint32_t resHandle() const { return m_resHandle; }
    void setResHandle(uint32_t value);
    int resId() const { return m_resId; }
    void setResId(int value);
    const std::string& resName() const { return m_resName; }
    void setResName(const std::string& value);

    classes::TMethod onOpen, onClose, onStart, onStop;

    void loaded() override;

protected:
    void paintWindow(TCanvas& canvas) override;

private:
    bool openClip();
    void closeClip();
    void tick();
    void stopTimer();
    void checkOpen() const;

    std::string m_fileName;
    std::unique_ptr<AviClip> m_clip;
    uint32_t m_resHandle = 0;
    int m_resId = 0;
    std::string m_resName;
    TCommonAVI m_commonAVI = aviNone;
    bool m_active = false, m_center = true, m_transparent = true, m_autoSize = true, m_timers = false;
    bool m_openWhenLoaded = false, m_activeWhenLoaded = false;
    int m_repetitions = 0, m_startFrame = 1, m_stopFrame = 0;
    // Playback: the frame showing (0-based), the range and the plays left (-1: for ever).
    int m_frame = 0, m_from = 0, m_to = 0, m_playsLeft = 0;
    TimerService* m_service = nullptr;
    int m_timerId = 0;
};

}  // namespace vcl
