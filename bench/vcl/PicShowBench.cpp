// Every transition effect at 1024x768: one frame built (the old screen copied, the effect
// drawn) and painted into the control's buffer, per iteration, by hand through a picture
// show. Prints the three slowest effects at the end.
// Run: build/release/bench/vcl/picshow_bench
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vcl/Graphic.h"
#include "vcl/PicShow.h"
#include "vcl/PicShowEffects.h"
#include "vcl/Picture.h"
#include "vcl/WindowHandle.h"

using namespace vcl;

namespace {

constexpr int kW = 1024, kH = 768;

pictures::Image pattern(uint32_t salt) {
    pictures::Image img(kW, kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            img.setPixel(x, y,
                         0xFF000000u | ((static_cast<uint32_t>(x * 31 + y * 17) * 2654435761u ^ salt) >> 8));
    return img;
}

void BM_Effect(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(0));
    TPicShow show(nullptr);
    TBitmap bg, fg;
    bg.pixels() = pattern(0x1234);
    fg.pixels() = pattern(0x9876);
    show.bgPicture()->setGraphic(&bg);
    show.setBgMode(bmStretched);
    show.picture()->setGraphic(&fg);
    show.setManual(true);
    show.setStyle(effect);
    show.execute();
    static const int kSteps[] = {25, 50, 75, 40, 60, 90, 10};
    size_t i = 0;
    for (auto _ : state) {
        show.setProgress(kSteps[i++ % std::size(kSteps)]);
        benchmark::DoNotOptimize(show.render().pixels.data());
    }
    show.stop();
    state.SetLabel(picshow::effect(effect)->name);
}
BENCHMARK(BM_Effect)->DenseRange(1, picshow::kEffectCount)->Unit(benchmark::kMillisecond);

// Collects each effect's time per frame beside the usual console lines.
class WorstReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration)
                m_times.push_back({r.GetAdjustedCPUTime(), r.benchmark_name() + " " + r.report_label});
        ConsoleReporter::ReportRuns(runs);
    }
    void printWorst() {
        std::sort(m_times.begin(), m_times.end(),
                  [](const auto& a, const auto& b) { return a.first > b.first; });
        std::printf("\nSlowest effects (CPU ms per frame, build and paint at %dx%d):\n", kW, kH);
        for (size_t i = 0; i < std::min<size_t>(3, m_times.size()); ++i)
            std::printf("  %.2f  %s\n", m_times[i].first, m_times[i].second.c_str());
    }

private:
    std::vector<std::pair<double, std::string>> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    toolkit::Session toolkit(argc, argv);
    benchmark::Initialize(&argc, argv);
    WorstReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printWorst();
    benchmark::Shutdown();
    return 0;
}
