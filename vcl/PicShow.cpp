// TCustomPicShow: preparing a transition, building frames, the three ways of running one
// and painting with placement, aspect fit and the background modes.
#include "vcl/PicShow.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "classes/ClassBuilder.h"
#include "vcl/Clock.h"
#include "vcl/Graphic.h"
#include "vcl/MainThread.h"
#include "vcl/MulDiv.h"
#include "vcl/PicShowEffects.h"
#include "vcl/Picture.h"
#include "vcl/WindowHandle.h"

namespace vcl {

using classes::ClassBuilder;
namespace ct = classes::types;
using Clock = std::chrono::steady_clock;

namespace {

std::mutex s_posterMutex;
TCustomPicShow::Poster s_poster;

void postToInterface(std::function<void()> fn) {
    TCustomPicShow::Poster poster;
    {
        std::lock_guard<std::mutex> lock(s_posterMutex);
        poster = s_poster;
    }
    if (poster)
        poster(std::move(fn));
    else
        toolkit::postFromAnyThread(std::move(fn));
}

// Nearest-neighbour copy of `source` (within `from`) over the whole of `target`; parts of
// the source rectangle outside `from` leave the target as it was.
void scaleInto(pictures::Image& target, const pictures::Image& from, const TRect& source) {
    if (source.isEmpty() || target.empty()) return;
    for (int y = 0; y < target.height; ++y) {
        const int sy = source.top + static_cast<int>(int64_t{y} * source.height() / target.height);
        if (sy < 0 || sy >= from.height) continue;
        uint32_t* d = target.row(y);
        for (int x = 0; x < target.width; ++x) {
            const int sx = source.left + static_cast<int>(int64_t{x} * source.width() / target.width);
            if (sx >= 0 && sx < from.width) d[x] = from.pixel(sx, sy);
        }
    }
}

void copyPixels(pictures::Image& to, const pictures::Image& from) {
    if (to.width == from.width && to.height == from.height)
        std::copy(from.pixels.begin(), from.pixels.end(), to.pixels.begin());
    else
        to = from;
}

}  // namespace

// What the user-interface thread and a worker share while a worker runs. The pacing flag is
// the manual-reset event: set when a frame has been shown, cleared by the worker before it
// builds the next.
struct TCustomPicShow::Run {
    std::mutex mutex;
    std::condition_variable wake;
    bool paced = true;
    bool terminate = false;
    std::thread thread;
    // A snapshot of the settings, so the worker never reads the control's fields.
    int style = 0, step = 4, delay = 40;
    bool reverse = false, scriptFrames = false;
    int progress = 0;
    std::weak_ptr<const char> alive;

    void setPaced() {
        {
            std::lock_guard<std::mutex> lock(mutex);
            paced = true;
        }
        wake.notify_all();
    }
};

void TCustomPicShow::setPoster(Poster poster) {
    std::lock_guard<std::mutex> lock(s_posterMutex);
    s_poster = std::move(poster);
}

TRect aspectFit(int w, int h, const TRect& target) {
    const int tw = target.width(), th = target.height();
    if (w <= 0 || h <= 0 || tw <= 0 || th <= 0) return target;
    int fw, fh;
    // th / h > tw / w, compared without division.
    if (int64_t{th} * w > int64_t{tw} * h) {
        fw = tw;
        fh = mulDiv(h, tw, w);
    } else {
        fw = mulDiv(w, th, h);
        fh = th;
    }
    return bounds(target.left + (tw - fw) / 2, target.top + (th - fh) / 2, fw, fh);
}

const classes::TypeInfo& types::customDrawEvent() {
    static const auto t = classes::TypeInfo::method("TCustomDrawEvent",
                                                    "procedure (Sender: TObject; Picture, Screen: TBitmap);");
    return t;
}

const classes::TypeInfo& types::threadPriority() {
    static const auto t = classes::TypeInfo::enumeration(
        "TThreadPriority",
        {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"});
    return t;
}

const classes::ClassInfo& TCustomPicShow::staticClass() {
    static const auto info = [] {
        ClassBuilder<TCustomPicShow> b("TCustomPicShow", TCustomControl::staticClass());
        b.publicMethod("Procedure Execute", [](TCustomPicShow& s) { s.execute(); })
            .publicMethod("Procedure Stop", [](TCustomPicShow& s) { s.stop(); })
            .publicMethod("Procedure Clear", [](TCustomPicShow& s) { s.clear(); })
            .publicProperty("property Busy: Boolean;", &TCustomPicShow::busy)
            .publicProperty("property Empty: Boolean;", &TCustomPicShow::empty)
            .publicProperty("property Progress: TPercent;", &TCustomPicShow::progress,
                            &TCustomPicShow::setProgress)
            .factory({});
        return b.build();
    }();
    return *info;
}

const classes::ClassInfo& TPicShow::staticClass() {
    static const auto info = [] {
        using S = TCustomPicShow;
        ClassBuilder<TPicShow> b("TPicShow", TCustomPicShow::staticClass());
        b.property("BgPicture", TPicture::staticClass().typeInfo(), &S::bgPicture, &S::setBgPicture)
            .property("Picture", TPicture::staticClass().typeInfo(), &S::picture, &S::setPicture)
            .property("BgMode", types::backgroundMode(), &S::bgMode, &S::setBgMode, {.defaultValue = bmTiled})
            .property("AutoSize", ct::boolean(), &S::autoSize, &S::setAutoSize, {.defaultValue = 1})
            .property("Center", ct::boolean(), &S::center, &S::setCenter, {.defaultValue = 0})
            .property("Delay", ct::word(), &S::delay, &S::setDelay, {.defaultValue = 40})
            .property("Manual", ct::boolean(), &S::manual, &S::setManual, {.defaultValue = 0})
            .property("OverDraw", ct::boolean(), &S::overDraw, &S::setOverDraw, {.defaultValue = 1})
            .property("Reverse", ct::boolean(), &S::reverse, &S::setReverse, {.defaultValue = 0})
            .property("Step", ct::word(), &S::step, &S::setStep, {.defaultValue = 4})
            .property("Stretch", ct::boolean(), &S::stretch, &S::setStretch, {.defaultValue = 0})
            .property("StretchFine", ct::boolean(), &S::stretchFine, &S::setStretchFine, {.defaultValue = 0})
            .property("Style", ct::integer(), &S::style, &S::setStyle, {.defaultValue = 51})
            .property("StyleName", ct::string(), &S::styleName, &S::setStyleName,
                      {.defaultValue = {}, .stored = [](const classes::TObject&) { return false; }})
            .property("Threaded", ct::boolean(), &S::threaded, &S::setThreaded, {.defaultValue = 1})
            .property("ThreadPriority", types::threadPriority(), &S::threadPriority, &S::setThreadPriority,
                      {.defaultValue = tpNormal})
            .event("OnAfterNewFrame", types::customDrawEvent(), &S::onAfterNewFrame)
            .event("OnBeforeNewFrame", types::customDrawEvent(), &S::onBeforeNewFrame)
            .event("OnChange", ct::notifyEvent(), &S::onChange)
            .event("OnComplete", ct::notifyEvent(), &S::onComplete)
            .event("OnCustomDraw", types::customDrawEvent(), &S::onCustomDraw)
            .event("OnProgress", ct::notifyEvent(), &S::onProgress)
            .event("OnStart", types::customDrawEvent(), &S::onStart)
            .event("OnStop", ct::notifyEvent(), &S::onStop);
        return b.build();
    }();
    return *info;
}

TCustomPicShow::TCustomPicShow(classes::TComponent* owner)
    : TCustomControl(owner),
      m_picture(std::make_unique<TPicture>()),
      m_bgPicture(std::make_unique<TPicture>()),
      m_frameMutex(std::make_unique<std::mutex>()),
      m_screen(std::make_unique<TBitmap>()),
      m_buffer(std::make_unique<TBitmap>()) {
    m_controlStyle |= csOpaque;
    setParentColor(true);
    m_picture->onChange = [this] { pictureChanged(); };
    m_bgPicture->onChange = [this] {
        m_bgStale = true;
        placementChanged();
    };
    setBounds(0, 0, 100, 100);
}

TCustomPicShow::~TCustomPicShow() {
    setState(classes::ComponentState::Destroying, true);
    stopWorker();
    m_picture->onChange = nullptr;
    m_bgPicture->onChange = nullptr;
}

bool TCustomPicShow::empty() const { return m_picture->empty(); }

int TCustomPicShow::progress() const { return m_progress.load(); }

const pictures::Image& TCustomPicShow::screenImage() const { return m_screen->pixels(); }

void TCustomPicShow::setPicture(TPicture* value) {
    if (value && value != m_picture.get()) m_picture->assign(*value);
}

void TCustomPicShow::setBgPicture(TPicture* value) {
    if (value && value != m_bgPicture.get()) m_bgPicture->assign(*value);
}

void TCustomPicShow::setBgMode(TBackgroundMode value) {
    if (value == m_bgMode) return;
    m_bgMode = value;
    m_bgStale = true;
    placementChanged();
}

void TCustomPicShow::setAutoSize(bool value) {
    m_autoSize = value;
    if (value) pictureChanged();
}

void TCustomPicShow::setCenter(bool value) {
    if (value == m_center) return;
    m_center = value;
    placementChanged();
}

void TCustomPicShow::setStretch(bool value) {
    if (value == m_stretch) return;
    m_stretch = value;
    placementChanged();
}

void TCustomPicShow::setStretchFine(bool value) {
    if (value == m_stretchFine) return;
    m_stretchFine = value;
    placementChanged();
}

// Negative numbers are refused like those above the table: they name no effect.
void TCustomPicShow::setStyle(int value) {
    if (value < 0 || value > picshow::kEffectCount || value == m_style) return;
    m_style = value;
}

std::string TCustomPicShow::styleName() const {
    if (m_style == 0) return "Custom";
    return picshow::effect(m_style)->name;
}

void TCustomPicShow::setStyleName(const std::string& value) {
    const int n = picshow::effectNumber(value);
    if (n >= 0) setStyle(n);
}

void TCustomPicShow::setStep(int value) { m_step = std::clamp(value, 1, 100); }

void TCustomPicShow::setDelay(int value) { m_delay = std::clamp(value, 0, 65535); }

void TCustomPicShow::setManual(bool value) {
    m_manual = value;
    stopWorker();
    if (!m_busy)
        m_progress = m_reverse ? 100 : 0;
    else if (!value)
        animate();
}

void TCustomPicShow::setBounds(int left, int top, int width, int height) {
    TCustomControl::setBounds(left, top, width, height);
    if (m_screen) placementChanged();
}

void TCustomPicShow::pictureChanged() {
    if (m_autoSize && align() != alClient && !m_picture->empty()) {
        if (align() == alNone || align() == alLeft || align() == alRight) setClientWidth(m_picture->width());
        if (align() != alLeft && align() != alRight) setClientHeight(m_picture->height());
    }
    placementChanged();
    fireEvent(onChange, {static_cast<classes::TObject*>(this)});
}

void TCustomPicShow::placementChanged() {
    if (!painting()) invalidate();
}

TRect TCustomPicShow::pictureRect() const {
    const int pw = m_screen->pixels().width, ph = m_screen->pixels().height;
    const TRect client{0, 0, clientWidth(), clientHeight()};
    if (m_stretch) return m_stretchFine ? aspectFit(pw, ph, client) : client;
    TRect r{0, 0, pw, ph};
    if (m_center) r = r.offset((client.width() - pw) / 2, (client.height() - ph) / 2);
    return r;
}

void TCustomPicShow::paintBackground(TBitmap& target, const TRect& area) {
    TCanvas& c = target.canvas();
    c.brush().setStyle(bsSolid);
    c.brush().setColor(color());
    c.fillRect(area);
    const TGraphic* g = m_bgPicture->graphic();
    if (!g || g->empty()) return;
    switch (m_bgMode) {
    case bmNone: break;
    case bmTiled: drawTiled(c, area, g); break;
    case bmStretched: c.stretchDraw(area, *g); break;
    case bmCentered:
        c.draw(area.left + (area.width() - g->width()) / 2, area.top + (area.height() - g->height()) / 2, *g);
        break;
    }
}

pictures::Image TCustomPicShow::render() {
    const int w = std::max(0, clientWidth()), h = std::max(0, clientHeight());
    if (m_buffer->pixels().width != w || m_buffer->pixels().height != h) m_buffer->setSize(w, h);
    paintBackground(*m_buffer, {0, 0, w, h});
    std::lock_guard<std::mutex> lock(*m_frameMutex);
    const pictures::Image& frame = m_screen->pixels();
    if (!frame.empty()) {
        const TRect r = pictureRect();
        m_buffer->canvas().drawImage(r, frame);
    }
    m_bgStale = false;
    return m_buffer->pixels();
}

void TCustomPicShow::paint() {
    if (clientWidth() <= 0 || clientHeight() <= 0) return;
    const pictures::Image out = render();
    canvas().drawImage({0, 0, clientWidth(), clientHeight()}, out);
    if (m_run && !m_frameNotice) m_run->setPaced();
}

void TCustomPicShow::clear() {
    if (m_busy || m_screen->pixels().empty()) return;
    {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        m_screen->pixels() = pictures::Image();
    }
    repaint();
}

void TCustomPicShow::execute() {
    if (m_picture->empty() || m_busy) return;
    m_busy = true;
    m_finished = false;
    try {
        prepare();
    } catch (...) {
        m_newPicture.reset();
        m_oldScreen.reset();
        m_busy = false;
        m_finished = true;
        throw;
    }
    if (!m_manual && !m_stopping) animate();
}

void TCustomPicShow::prepare() {
    const int pw = m_picture->width(), ph = m_picture->height();
    const int cw = std::max(0, clientWidth()), ch = std::max(0, clientHeight());
    {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        m_screen->setSize(pw, ph);
    }
    const TRect area = pictureRect();
    if (m_bgStale || !m_overDraw || m_buffer->pixels().width != cw || m_buffer->pixels().height != ch) {
        m_buffer->setSize(cw, ch);
        paintBackground(*m_buffer, {0, 0, cw, ch});
    }
    m_oldScreen = std::make_unique<TBitmap>();
    m_oldScreen->pixels() = pictures::Image(pw, ph, colorToArgb(color()));
    scaleInto(m_oldScreen->pixels(), m_buffer->pixels(), area);
    m_newPicture = std::make_unique<TBitmap>();
    m_newPicture->setSize(pw, ph);
    m_newPicture->pixels() = pictures::Image(pw, ph, colorToArgb(color()));
    m_newPicture->canvas().draw(0, 0, *m_picture->graphic());
    for (uint32_t& p : m_newPicture->pixels().pixels) p |= 0xFF000000u;
    {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        copyPixels(m_screen->pixels(), m_oldScreen->pixels());
    }
    m_progress = m_reverse ? 100 : 0;
    fireEvent(onStart,
              {static_cast<classes::TObject*>(this), static_cast<classes::TObject*>(m_newPicture.get()),
               static_cast<classes::TObject*>(m_oldScreen.get())});
}

int TCustomPicShow::nextProgress(int from) const {
    if (m_reverse) return from > m_step ? from - m_step : 0;
    return from < 100 - m_step ? from + m_step : 100;
}

bool TCustomPicShow::framesNeedScript() const {
    return m_style == 0 || onBeforeNewFrame.assigned() || onAfterNewFrame.assigned();
}

void TCustomPicShow::setProgress(int value) { applyProgress(value); }

void TCustomPicShow::applyProgress(int value) {
    value = std::clamp(value, 0, 100);
    if (!m_busy || value == m_progress.load()) return;
    m_progress = value;
    buildFrame();
    repaint();
    if (m_run) m_run->setPaced();
    fireEvent(onProgress, {static_cast<classes::TObject*>(this)});
}

void TCustomPicShow::buildFrame() {
    TObject* self = this;
    const auto frameEvent = [&](const classes::TMethod& e) {
        fireEvent(e, {self, static_cast<classes::TObject*>(m_newPicture.get()),
                      static_cast<classes::TObject*>(m_screen.get())});
    };
    {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        copyPixels(m_screen->pixels(), m_oldScreen->pixels());
    }
    frameEvent(onBeforeNewFrame);
    const int p = m_progress.load();
    if (p == 100) {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        copyPixels(m_screen->pixels(), m_newPicture->pixels());
    } else if (p > 0 && m_style == 0) {
        frameEvent(onCustomDraw);
    } else if (p > 0) {
        std::lock_guard<std::mutex> lock(*m_frameMutex);
        TRect update{0, 0, m_screen->pixels().width, m_screen->pixels().height};
        picshow::effect(m_style)->proc(m_screen->pixels(), m_newPicture->pixels(), update, p, m_step);
    }
    frameEvent(onAfterNewFrame);
}

void TCustomPicShow::animate() {
    if (m_threaded)
        startWorker();
    else
        animateInLoop();
}

// The loop on the user-interface thread: one frame, then the event loop runs until the
// delay is over (a timer wakes it), so the thread sleeps instead of spinning.
void TCustomPicShow::animateInLoop() {
    const std::weak_ptr<const char> alive = aliveToken();
    TimerService& timers = TimerService::active();
    for (;;) {
        const auto started = Clock::now();
        applyProgress(nextProgress(m_progress.load()));
        if (alive.expired()) return;
        if (m_manual || m_stopping || !m_busy || complete(m_progress.load())) break;
        const auto spent =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
        bool due = false;
        const int id =
            timers.start(std::max<int>(1, m_delay - static_cast<int>(spent)), [&due] { due = true; });
        toolkit::runUntil([&] { return due || alive.expired() || m_manual || m_stopping || !m_busy; });
        timers.stop(id);
        if (alive.expired()) return;
        if (m_manual || m_stopping || !m_busy) break;
    }
    if (m_stopping || !m_manual) finish();
}

void TCustomPicShow::startWorker() {
    stopWorker();
    auto run = std::make_shared<Run>();
    run->style = m_style;
    run->step = m_step;
    run->delay = m_delay;
    run->reverse = m_reverse;
    run->scriptFrames = framesNeedScript();
    run->progress = m_progress.load();
    run->alive = aliveToken();
    m_run = run;
    run->thread = std::thread([this, run] { workerLoop(run); });
}

// Ends the worker and waits for it; its notices still on their way no longer match.
void TCustomPicShow::stopWorker() {
    const std::shared_ptr<Run> run = std::move(m_run);
    if (!run) return;
    {
        std::lock_guard<std::mutex> lock(run->mutex);
        run->terminate = true;
        run->paced = true;
    }
    run->wake.notify_all();
    if (run->thread.joinable()) run->thread.join();
}

void TCustomPicShow::workerLoop(std::shared_ptr<Run> run) {
    const auto stepFrom = [&run](int p) {
        if (run->reverse) return p > run->step ? p - run->step : 0;
        return p < 100 - run->step ? p + run->step : 100;
    };
    for (;;) {
        const auto started = Clock::now();
        {
            std::unique_lock<std::mutex> lock(run->mutex);
            run->wake.wait(lock, [&] { return run->paced || run->terminate; });
            if (run->terminate) break;
            run->paced = false;
        }
        const int next = stepFrom(run->progress);
        run->progress = next;
        if (run->scriptFrames) {
            postToInterface([this, run, next] {
                if (run->alive.expired() || m_run != run) return;
                applyProgress(next);
                run->setPaced();
            });
        } else {
            {
                std::lock_guard<std::mutex> lock(*m_frameMutex);
                if (next == 100) {
                    copyPixels(m_screen->pixels(), m_newPicture->pixels());
                } else {
                    copyPixels(m_screen->pixels(), m_oldScreen->pixels());
                    TRect update{0, 0, m_screen->pixels().width, m_screen->pixels().height};
                    if (next > 0)
                        picshow::effect(run->style)
                            ->proc(m_screen->pixels(), m_newPicture->pixels(), update, next, run->step);
                }
            }
            postToInterface([this, run, next] {
                if (run->alive.expired() || m_run != run) return;
                frameShown(run, next);
            });
        }
        if (run->reverse ? next <= 0 : next >= 100) break;
        std::unique_lock<std::mutex> lock(run->mutex);
        if (run->wake.wait_until(lock, started + std::chrono::milliseconds(run->delay),
                                 [&] { return run->terminate; }))
            break;
    }
    postToInterface([this, run] {
        if (run->alive.expired() || m_run != run) return;
        workerEnded(run);
    });
}

// The progress the scripts read moves with the frames they see, on this thread; the next
// frame is built only after OnProgress has run.
void TCustomPicShow::frameShown(const std::shared_ptr<Run>& run, int progress) {
    m_progress = progress;
    m_frameNotice = true;
    repaint();
    m_frameNotice = false;
    const std::weak_ptr<const char> alive = aliveToken();
    fireEvent(onProgress, {static_cast<classes::TObject*>(this)});
    if (!alive.expired() && m_run == run) run->setPaced();
}

void TCustomPicShow::workerEnded(const std::shared_ptr<Run>& run) {
    if (run->thread.joinable()) run->thread.join();
    m_run.reset();
    if (m_stopping || !m_manual) finish();
}

void TCustomPicShow::stop() {
    if (!m_busy || m_stopping) return;
    m_stopping = true;
    stopWorker();
    finish();
    m_stopping = false;
}

void TCustomPicShow::finish() {
    if (m_finished) return;
    m_finished = true;
    m_busy = false;
    stopWorker();
    m_newPicture.reset();
    m_oldScreen.reset();
    if (hasState(classes::ComponentState::Destroying)) return;
    const std::weak_ptr<const char> alive = aliveToken();
    if (!m_stopping) fireEvent(onComplete, {static_cast<classes::TObject*>(this)});
    if (alive.expired()) return;
    fireEvent(onStop, {static_cast<classes::TObject*>(this)});
}

}  // namespace vcl
