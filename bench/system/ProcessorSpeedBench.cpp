// The processor-speed measurement: how long one measurement takes for each counting window,
// and how stable its figure is over repetitions (run with --benchmark_repetitions=10 and read
// the MHz counter's mean, stddev and cv). The kernel's own figure, read in the same run, is
// the peer: "vs_kernel" is the measured clock over /proc/cpuinfo's.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "platform/Processor.h"

namespace {

double kernelMHz() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("cpu MHz", 0) == 0) return std::stod(line.substr(line.find(':') + 1));
    return 0;
}

void BM_MeasureProcessorMHz(benchmark::State& state) {
    const std::chrono::milliseconds window(state.range(0));
    double mhz = 0;
    for (auto _ : state) {
        mhz = platform::measureProcessorMHz(window);
        benchmark::DoNotOptimize(mhz);
    }
    state.counters["MHz"] = mhz;
    if (const double k = kernelMHz(); k > 0) state.counters["vs_kernel"] = mhz / k;
}
BENCHMARK(BM_MeasureProcessorMHz)
    ->Arg(5)
    ->Arg(10)
    ->Arg(25)
    ->Arg(100)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_KernelFigure(benchmark::State& state) {
    double mhz = 0;
    for (auto _ : state) {
        mhz = kernelMHz();
        benchmark::DoNotOptimize(mhz);
    }
    state.counters["MHz"] = mhz;
}
BENCHMARK(BM_KernelFigure)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
