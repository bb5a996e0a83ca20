// Idle cost of the animated controls on the toolkit's own timers: an 800x600 form with a
// marquee, a text fader, a text animator and scrolling credits all running, and the same
// form with none of them running. Each case runs the event loop for two seconds and
// reports the process's CPU time as a share of one core and the timer wake-ups per second.
// Run: build/release/bench/vcl/motion_bench
#include <benchmark/benchmark.h>

#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <ctime>

#include "bench/CpuTime.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"
#include "vcl/Marquee.h"
#include "vcl/Registration.h"
#include "vcl/ScrollingCredits.h"
#include "vcl/TextAnimator.h"
#include "vcl/TextFader.h"
#include "vcl/WindowHandle.h"

using namespace vcl;

namespace {

// The toolkit's service, counting every callback it runs.
class CountingService : public TimerService {
public:
    int start(int intervalMs, Callback callback) override {
        return toolkitTimerService().start(intervalMs, [this, cb = std::move(callback)] {
            ++wakeups;
            cb();
        });
    }
    void stop(int id) override { toolkitTimerService().stop(id); }
    int64_t nowMs() const override { return toolkitTimerService().nowMs(); }
    int64_t wakeups = 0;
};

using bench::cpuSeconds;

void BM_IdleForm(benchmark::State& state) {
    const bool running = state.range(0) != 0;
    CountingService service;
    ScopedTimerService use(service);
    TForm form(nullptr);
    form.setBounds(0, 0, 800, 600);
    auto* marquee = new TMarquee(&form);
    marquee->setParent(&form);
    marquee->setBounds(10, 10, 780, 24);
    marquee->setScrollText("The show goes on, and on, and on +++ ");
    auto* fader = new TTextFader(&form);
    fader->setParent(&form);
    fader->setBounds(10, 50, 780, 40);
    fader->setLineDelay(300);
    auto* anim = new TTextAnimator(&form);
    anim->setParent(&form);
    anim->setTop(120);
    anim->setCaption("Breathing text");
    anim->setActive(running);
    auto* credits = new TScrollingCredits(&form);
    credits->setParent(&form);
    credits->setBounds(10, 250, 780, 340);
    form.show();
    marquee->setActive(running);
    fader->setActive(running);
    credits->setAnimate(running);
    QEventLoop warm;
    QTimer::singleShot(200, &warm, &QEventLoop::quit);
    warm.exec();
    for (auto _ : state) {
        const int64_t wakeupsBefore = service.wakeups;
        const double cpuBefore = cpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        state.SetIterationTime(wall);
        state.counters["cpu_percent_of_core"] = 100.0 * (cpuSeconds() - cpuBefore) / wall;
        state.counters["wakeups_per_s"] = static_cast<double>(service.wakeups - wakeupsBefore) / wall;
    }
    form.hide();
}
BENCHMARK(BM_IdleForm)
    ->ArgName("running")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    toolkit::Session toolkit(argc, argv);
    registerVclClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
