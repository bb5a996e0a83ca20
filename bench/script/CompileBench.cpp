// Compile time of generated scripts: grows linearly with the number of routines.
#include <benchmark/benchmark.h>

#include <string>

#include "script/Api.h"

namespace {

std::string generate(int routines) {
    std::string s = "var total: Integer;\n";
    for (int i = 0; i < routines; ++i) {
        std::string n = std::to_string(i);
        s += "procedure P" + n +
             "(A: Integer; var S: string);\nvar x, y: Integer;\nbegin\n  x := A * 2 + 1;\n"
             "  if x > 10 then total := total + x else total := total - 1;\n"
             "  for y := 1 to 3 do S := S + IntToStr(y);\nend;\n";
    }
    s += "var s: string;\nbegin\n  P0(1, s);\nend.\n";
    return s;
}

void BM_CompileGenerated(benchmark::State& state) {
    std::string src = generate(int(state.range(0)));
    for (auto _ : state) {
        script::Compiler c;
        auto chunk = c.compile(src);
        if (!chunk) state.SkipWithError("compile failed");
        benchmark::DoNotOptimize(chunk);
    }
    state.SetComplexityN(state.range(0));
    state.counters["lines"] = double(state.range(0) * 7 + 5);
}
BENCHMARK(BM_CompileGenerated)
    ->RangeMultiplier(2)
    ->Range(1000, 8000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
