// The script host's two costs a project pays before it shows: compiling its script against
// the whole registered vocabulary (every declaration of the three sequences, the host
// variables of the demo's form, then the demo's script), and the time from the loader's
// hand-over to the main form on the screen (headless; the loading form's 250 ms timer
// comes before this and is not counted).
// Run: build/release/bench/host/host_bench
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TextForm.h"
#include "components/Registration.h"
#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "vcl/Forms.h"
#include "vcl/Registration.h"
#include "vcl/WindowHandle.h"

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string& demoSource() {
    static const std::string source = readFile(VANTREL_SOURCE_DIR "/demo/project/script.pas");
    return source;
}

std::unique_ptr<vcl::TAutorunForm> demoForm() {
    static const std::string bytes =
        classes::textToBinary(readFile(VANTREL_SOURCE_DIR "/demo/project/form.txt"));
    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    classes::TMemoryStream stream;
    stream.setBytes(bytes);
    classes::TReader reader(stream);
    reader.readRootComponent(form.get());
    return form;
}

const host::ClassImporter& importer() {
    static const host::ClassImporter filled = [] {
        host::ClassImporter i;
        host::fillClassImporter(i);
        return i;
    }();
    return filled;
}

// Every declaration of the vocabulary, the demo form's variables and the demo's script.
void BM_CompileVocabularyAndDemo(benchmark::State& state) {
    auto form = demoForm();
    host::ScriptHost scriptHost(form.get(), importer());
    for (auto _ : state) {
        host::Compiled compiled = scriptHost.compile(demoSource());
        if (!compiled.ok) state.SkipWithError("the demo does not compile");
        benchmark::DoNotOptimize(compiled.code);
    }
}
BENCHMARK(BM_CompileVocabularyAndDemo)->Unit(benchmark::kMillisecond);

// The vocabulary alone: an empty script without a form.
void BM_CompileVocabularyOnly(benchmark::State& state) {
    host::ScriptHost scriptHost(nullptr, importer());
    for (auto _ : state) benchmark::DoNotOptimize(scriptHost.compile("begin end.").code);
}
BENCHMARK(BM_CompileVocabularyOnly)->Unit(benchmark::kMillisecond);

// From the hand-over (compile, bind, fill the variables, run the main block) until the main
// form shows: the first event the form's modal loop handles stops the clock and closes it.
void BM_HandOverToFormShown(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    for (auto _ : state) {
        auto form = demoForm();
        host::ScriptHost scriptHost(form.get(), importer());
        Clock::time_point start, shown;
        vcl::TAutorunForm* f = form.get();
        vcl::toolkit::post([&shown, f] {
            shown = Clock::now();
            if (!f->visible()) shown = {};
            f->close();
        });
        start = Clock::now();
        scriptHost.play(true, demoSource(), "", "");
        if (shown == Clock::time_point{}) {
            state.SkipWithError("the form did not show");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
    }
}
BENCHMARK(BM_HandOverToFormShown)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    vcl::toolkit::Session toolkit(argc, argv);
    vcl::registerVclClasses();
    components::registerComponentClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
