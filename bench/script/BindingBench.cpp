// The cost of crossing between scripts and native code: a bound routine call, a property
// read through the handle table and the class metadata, and registering a whole vocabulary.
// Each script benchmark runs a loop of 1,000,000 iterations; "ns_per_op" is the time of one
// iteration, "loop_ns" the same loop without the crossing (so the crossing costs the
// difference).
#include <benchmark/benchmark.h>

#include <string>

#include "classes/TComponent.h"
#include "classes/TStrings.h"
#include "script/Api.h"
#include "script/std/StdImports.h"

namespace {

constexpr double kLoops = 1000000;

int boundF(int a, const std::string& s) { return a + int(s.size()); }

const script::Imports& benchImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("function F(a: Integer; const s: string): Integer;", &boundF)
            .variable("C", "TComponent")
            .variable("L", "TStringList");
        return m;
    }();
    return table;
}

struct Runner {
    std::shared_ptr<const script::Chunk> chunk;
    script::Executor exec;
    classes::TComponent component{nullptr};
    classes::TStringList list;

    explicit Runner(const std::string& source) {
        script::Compiler c;
        c.setUnitHandler([](script::Compiler& cc, const std::string&) {
            cc.addImports(script::stdClassImports());
            cc.addImports(script::classesImports());
            cc.addImports(benchImports());
            return true;
        });
        chunk = c.compile(source);
        if (!chunk) throw std::runtime_error(c.messages().at(0).toString());
        exec.addImports(benchImports());
        if (!exec.load(chunk)) throw std::runtime_error(exec.lastError().text);
        component.setTag(3);
        list.add("x");
        exec.setGlobalObject("C", &component);
        exec.setGlobalObject("L", &list);
    }
};

void runLoop(benchmark::State& state, const std::string& body) {
    Runner r(
        "var i, n: Integer; s: string;\nbegin s := 'abc'; n := 0;\n"
        "for i := 1 to 1000000 do " +
        body + ";\nend.");
    for (auto _ : state) {
        if (!r.exec.run()) state.SkipWithError(r.exec.lastError().text.c_str());
    }
    state.counters["ns_per_op"] = benchmark::Counter(
        kLoops * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LoopWithoutCrossing(benchmark::State& state) { runLoop(state, "n := n + i + Length(s)"); }
BENCHMARK(BM_LoopWithoutCrossing)->Unit(benchmark::kMillisecond);

void BM_BoundRoutineCall(benchmark::State& state) { runLoop(state, "n := n + F(i, s)"); }
BENCHMARK(BM_BoundRoutineCall)->Unit(benchmark::kMillisecond);

void BM_PublishedPropertyRead(benchmark::State& state) { runLoop(state, "n := n + C.Tag"); }
BENCHMARK(BM_PublishedPropertyRead)->Unit(benchmark::kMillisecond);

void BM_PublicPropertyRead(benchmark::State& state) { runLoop(state, "n := n + L.Count"); }
BENCHMARK(BM_PublicPropertyRead)->Unit(benchmark::kMillisecond);

void BM_PublishedPropertyWrite(benchmark::State& state) { runLoop(state, "C.Tag := i"); }
BENCHMARK(BM_PublishedPropertyWrite)->Unit(benchmark::kMillisecond);

// The start-up cost of the registration tables: 300 library routines, the standard sets and
// a compile of an empty script against all of it, then binding them in an executor.
void BM_RegisterEverything(benchmark::State& state) {
    script::Imports library;
    for (int i = 0; i < 300; ++i)
        library.routine("function Routine" + std::to_string(i) +
                            "(A: Integer; const S: string; var B: Boolean): Integer;",
                        [](int a, const std::string& s, bool& b) {
                            b = !b;
                            return a + int(s.size());
                        });
    for (auto _ : state) {
        script::Compiler c;
        c.setUnitHandler([&](script::Compiler& cc, const std::string&) {
            cc.addImports(script::dateUtilsImports());
            cc.addImports(script::stdClassImports());
            cc.addImports(script::classesImports());
            cc.addImports(library);
            return true;
        });
        auto chunk = c.compile("begin end.");
        script::Executor e;
        e.addImports(script::dateUtilsImports());
        e.addImports(library);
        if (!chunk || !e.load(chunk)) state.SkipWithError("registration failed");
    }
}
BENCHMARK(BM_RegisterEverything)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
