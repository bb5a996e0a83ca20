// Reads a form of 10,000 components with 20 properties each (written by TWriter) into
// new objects, and converts the same stream to text and back. Run:
//   build/release/bench/classes_reader/classes_reader_bench
#include "tests/classes/SampleClasses.h"

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kComponents = 10000;

const std::string& bigStream() {
    static const std::string bytes = [] {
        sample::registerSampleClasses();
        sample::TSampleForm form(nullptr);
        form.setName("Form1");
        for (int i = 0; i < kComponents; ++i) {
            auto* w = new sample::TWidget(&form);
            w->setName("Widget" + std::to_string(i));
            w->setParentComponent(&form);
            w->setLeft(i % 640);                                      // 1 Left
            w->setTop(i % 480);                                       // 2 Top
            w->setWidth(75 + i % 1000);                               // 3 Width
            w->setCaption("Caption of widget " + std::to_string(i));  // 4 Caption
            w->setColor(i % 2 ? 0x00FFFFFF : 0x000000FF);             // 5 Color (ident)
            w->setCursor(-21);                                        // 6 Cursor (ident)
            w->setVisible(false);                                     // 7 Visible
            w->setAlign(sample::TAlign::alTop);                       // 8 Align
            w->font()->setCharset(0);  // 9-13 Font.Charset, Color, Height, Name, Style
            w->font()->setStyle(1);
            w->setRatio(i / 7.0L);        // 14 Ratio
            w->setScale(1.25f);           // 15 Scale
            w->setBig(int64_t{1} << 33);  // 16 Big
            w->setAccel('K');             // 17 Accel
            w->setTag(i);                 // 18 Tag
            w->setHint(u"tip");           // 19 Hint
            w->setPrice(9.99L);           // 20 Price
        }
        classes::TMemoryStream s;
        classes::TWriter writer(s);
        writer.writeRootComponent(form);
        return s.bytes();
    }();
    return bytes;
}

void BM_ReadComponents(benchmark::State& state) {
    const std::string& bytes = bigStream();
    classes::TMemoryStream stream;
    stream.setBytes(bytes);
    for (auto _ : state) {
        stream.setPosition(0);
        auto form = std::make_unique<sample::TSampleForm>(nullptr);
        {
            classes::TReader reader(stream);
            reader.readRootComponent(form.get());
        }
        if (form->componentCount() != kComponents) state.SkipWithError("components missing");
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kComponents);
    state.counters["stream_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadComponents)->Unit(benchmark::kMillisecond);

void BM_BinaryToText(benchmark::State& state) {
    const std::string& bytes = bigStream();
    for (auto _ : state) benchmark::DoNotOptimize(classes::binaryToText(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_BinaryToText)->Unit(benchmark::kMillisecond);

void BM_TextToBinary(benchmark::State& state) {
    const std::string text = classes::binaryToText(bigStream());
    for (auto _ : state) benchmark::DoNotOptimize(classes::textToBinary(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_TextToBinary)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
