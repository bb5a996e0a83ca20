// TAnimate: opening clips, playing ranges and painting the current frame.
#include "vcl/Animate.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "classes/ClassBuilder.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"
#include "vcl/KeptProperties.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;

namespace {

const classes::TypeInfo& commonAviType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TCommonAVI", {"aviNone", "aviFindFolder", "aviFindFile", "aviFindComputer", "aviCopyFiles",
                       "aviCopyFile", "aviRecycleFile", "aviEmptyRecycle", "aviDeleteFile"});
    return t;
}

[[noreturn]] void cannotOpen() { throw base::Error("Cannot open AVI"); }

bool notStored(const classes::TObject&) { return false; }

}  // namespace

const classes::ClassInfo& TAnimate::staticClass() {
    static const auto info = [] {
        ClassBuilder<TAnimate> b("TAnimate", TWinControl::staticClass());
        b.property("Active", ct::boolean(), &TAnimate::active, &TAnimate::setActive, {.defaultValue = 0})
            .property("AutoSize", ct::boolean(), &TAnimate::autoSize, &TAnimate::setAutoSize,
                      {.defaultValue = 1})
            .property("Center", ct::boolean(), &TAnimate::center, &TAnimate::setCenter, {.defaultValue = 1})
            .property("CommonAVI", commonAviType(), &TAnimate::commonAVI, &TAnimate::setCommonAVI,
                      {.defaultValue = aviNone})
            .property("FileName", ct::string(), &TAnimate::fileName,
                      [](TAnimate& a, const std::string& v) { a.setFileName(v); })
            .property("Open", ct::boolean(), &TAnimate::open, &TAnimate::setOpen, {.defaultValue = 0})
            .property("Repetitions", ct::integer(), &TAnimate::repetitions, &TAnimate::setRepetitions,
                      {.defaultValue = 0})
            .property("StartFrame", ct::smallint(), &TAnimate::startFrame, &TAnimate::setStartFrame,
                      {.defaultValue = 1})
            .property("StopFrame", ct::smallint(), &TAnimate::stopFrame, &TAnimate::setStopFrame,
                      {.defaultValue = 0})
            .property("Timers", ct::boolean(), &TAnimate::timers, &TAnimate::setTimers, {.defaultValue = 0})
            .property("Transparent", ct::boolean(), &TAnimate::transparent, &TAnimate::setTransparent,
                      {.defaultValue = 1})
            .readOnly("FrameCount", ct::integer(), &TAnimate::frameCount,
                      {.defaultValue = {}, .stored = notStored})
            .readOnly("FrameHeight", ct::integer(), &TAnimate::frameHeight,
                      {.defaultValue = {}, .stored = notStored})
            .readOnly("FrameWidth", ct::integer(), &TAnimate::frameWidth,
                      {.defaultValue = {}, .stored = notStored});
        // Clips in resources: nothing here holds any, so these are kept and open nothing.
        keptProperty(b, "ResHandle", ct::cardinal(), 0);
        keptProperty(b, "ResId", ct::integer(), 0);
        keptTextProperty(b, "ResName");
        b.event("OnOpen", ct::notifyEvent(), &TAnimate::onOpen);
        b.event("OnClose", ct::notifyEvent(), &TAnimate::onClose);
        b.event("OnStart", ct::notifyEvent(), &TAnimate::onStart);
        b.event("OnStop", ct::notifyEvent(), &TAnimate::onStop);
        // Clips in resources of the program do not exist here: naming one closes the control,
        // as choosing a built-in clip does, and the value only reads back.
        b.publicType("THandle", "LongWord")
            .publicMethod("procedure Play(FromFrame, ToFrame: Word; Count: Integer);",
                          [](TAnimate& a, uint16_t from, uint16_t to, int count) { a.play(from, to, count); })
            .publicMethod("procedure Reset;", &TAnimate::reset)
            .publicMethod("procedure Seek(Frame: Smallint);",
                          [](TAnimate& a, int16_t frame) { a.seek(frame); })
            .publicMethod("procedure Stop;", &TAnimate::stop)
            .publicProperty("property ResHandle: THandle;", &TAnimate::resHandle, &TAnimate::setResHandle)
            .publicProperty("property ResId: Integer;", &TAnimate::resId, &TAnimate::setResId)
            .publicProperty("property ResName: string;", &TAnimate::resName,
                            [](TAnimate& a, const std::string& v) { a.setResName(v); });
        return b.build();
    }();
    return *info;
}

TAnimate::TAnimate(classes::TComponent* owner) : TWinControl(owner) {
    setBounds(0, 0, 100, 80);
    setParentColor(true);
}

TAnimate::~TAnimate() { stopTimer(); }

int TAnimate::frameCount() const { return m_clip ? static_cast<int>(m_clip->frames.size()) : 0; }
int TAnimate::frameWidth() const { return m_clip ? m_clip->width : 0; }
int TAnimate::frameHeight() const { return m_clip ? m_clip->height : 0; }

void TAnimate::checkOpen() const {
    if (!m_clip) cannotOpen();
}

void TAnimate::setFileName(const std::string& value) {
    closeClip();
    m_fileName = value;
    m_commonAVI = aviNone;
    if (hasState(classes::ComponentState::Loading)) return;
    if (!value.empty() && !openClip()) cannotOpen();
}

void TAnimate::setCommonAVI(TCommonAVI value) {
    // The built-in clips are not there: choosing one closes the control.
    closeClip();
    m_commonAVI = value;
    if (value != aviNone) m_fileName.clear();
}

void TAnimate::setResHandle(uint32_t value) {
    closeClip();
    m_resHandle = value;
}

void TAnimate::setResId(int value) {
    closeClip();
    m_resId = value;
    if (value != 0) m_fileName.clear();
}

void TAnimate::setResName(const std::string& value) {
    closeClip();
    m_resName = value;
    if (!value.empty()) m_fileName.clear();
}

void TAnimate::setOpen(bool value) {
    if (hasState(classes::ComponentState::Loading)) {
        m_openWhenLoaded = value;
        return;
    }
    if (value == open()) return;
    if (!value) {
        closeClip();
        return;
    }
    if (!openClip()) cannotOpen();
}

bool TAnimate::openClip() {
    if (m_clip) return true;
    if (m_fileName.empty() || m_commonAVI != aviNone) return false;
    std::ifstream in(m_fileName, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    try {
        m_clip = std::make_unique<AviClip>(readAviClip(bytes.str()));
    } catch (const base::Error&) {
        return false;
    }
    m_frame = 0;
    if (m_stopFrame <= 0 || m_stopFrame > frameCount()) m_stopFrame = frameCount();
    m_startFrame = std::clamp(m_startFrame, 1, frameCount());
    if (m_autoSize) setBounds(left(), top(), m_clip->width, m_clip->height);
    invalidate();
    fireEvent(onOpen, {static_cast<classes::TObject*>(this)});
    return true;
}

void TAnimate::closeClip() {
    if (!m_clip) return;
    if (m_active) stop();
    m_clip.reset();
    invalidate();
    fireEvent(onClose, {static_cast<classes::TObject*>(this)});
}

void TAnimate::setActive(bool value) {
    if (hasState(classes::ComponentState::Loading)) {
        m_activeWhenLoaded = value;
        return;
    }
    if (value == m_active) return;
    if (!value) {
        stop();
        return;
    }
    if (!openClip()) cannotOpen();
    play(m_startFrame, m_stopFrame, m_repetitions);
}

void TAnimate::setCenter(bool value) {
    m_center = value;
    invalidate();
}

void TAnimate::setTransparent(bool value) {
    m_transparent = value;
    invalidate();
}

void TAnimate::setAutoSize(bool value) {
    m_autoSize = value;
    if (value && m_clip) setBounds(left(), top(), m_clip->width, m_clip->height);
}

void TAnimate::setStartFrame(int value) { m_startFrame = std::max(1, value); }

void TAnimate::setStopFrame(int value) { m_stopFrame = std::max(0, value); }

void TAnimate::play(int from, int to, int count) {
    checkOpen();
    if (from < 1 || to < 1 || from > frameCount() || to > frameCount())
        throw base::Error("Frame index out of range");
    stopTimer();
    m_from = from - 1;
    m_to = to - 1;
    m_playsLeft = count <= 0 ? -1 : count;
    m_frame = m_from;
    m_active = true;
    invalidate();
    const auto alive = aliveToken();
    fireEvent(onStart, {static_cast<classes::TObject*>(this)});
    if (alive.expired() || !m_active) return;
    m_service = &TimerService::active();
    const int ms = static_cast<int>(std::clamp<int64_t>(m_clip->frameMicroseconds / 1000, 1, 60000));
    m_timerId = m_service->start(ms, [this] { tick(); });
}

void TAnimate::tick() {
    if (!m_active || !m_clip) return;
    const int step = m_to >= m_from ? 1 : -1;
    if (m_frame != m_to) {
        m_frame += step;
    } else if (m_playsLeft < 0 || --m_playsLeft > 0) {
        m_frame = m_from;
    } else {
        try {
            stop();
        } catch (const std::exception& e) {
            application().handleException(e);
        }
        return;
    }
    invalidate();
}

void TAnimate::stopTimer() {
    if (m_timerId && m_service) m_service->stop(m_timerId);
    m_timerId = 0;
    m_service = nullptr;
}

void TAnimate::stop() {
    stopTimer();
    if (!m_active) return;
    m_active = false;
    fireEvent(onStop, {static_cast<classes::TObject*>(this)});
}

void TAnimate::seek(int frame) {
    checkOpen();
    if (frame < 1 || frame > frameCount()) throw base::Error("Frame index out of range");
    stop();
    m_frame = frame - 1;
    invalidate();
}

void TAnimate::reset() {
    checkOpen();
    seek(1);
}

void TAnimate::loaded() {
    TWinControl::loaded();
    // A clip the stream names but nobody can read leaves the control closed, not the form unread.
    const bool openIt = m_openWhenLoaded || m_activeWhenLoaded;
    m_openWhenLoaded = false;
    if (openIt && openClip() && m_activeWhenLoaded) {
        m_activeWhenLoaded = false;
        try {
            play(m_startFrame, m_stopFrame, m_repetitions);
        } catch (const base::Error&) {
        }
    }
    m_activeWhenLoaded = false;
}

void TAnimate::paintWindow(TCanvas& canvas) {
    TWinControl::paintWindow(canvas);
    if (!m_clip || m_frame < 0 || m_frame >= frameCount()) return;
    const pictures::Image& frame = m_clip->frames[static_cast<size_t>(m_frame)];
    int x = 0, y = 0;
    if (m_center) {
        x = (clientWidth() - frame.width) / 2;
        y = (clientHeight() - frame.height) / 2;
    }
    if (!m_transparent) {
        canvas.drawImage(bounds(x, y, frame.width, frame.height), frame);
        return;
    }
    // The clip's own background, taken from its first frame, shows the control's colour.
    const uint32_t key = m_clip->frames.front().pixel(0, 0);
    pictures::Image keyed = frame;
    for (uint32_t& p : keyed.pixels)
        if (p == key) p = 0;
    canvas.drawImage(bounds(x, y, keyed.width, keyed.height), keyed);
}

}  // namespace vcl
