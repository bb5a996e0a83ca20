// Builds a form of 500 controls from a component stream, shows it and paints it
// completely (headless), then measures repaints. Run: build/release/bench/vcl/vcl_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Registration.h"
#include "vcl/StdCtrls.h"

using namespace vcl;

namespace {

// 500 controls on a grid: labels, shapes, bevels, images and a few panels.
std::string makeStream() {
    TAutorunForm form(nullptr);
    form.setName("BenchForm");
    form.setBorderStyle(bsNone);
    form.setClientWidth(1000);
    form.setClientHeight(700);
    TBitmap bmp;
    bmp.setSize(16, 16);
    bmp.canvas().brush().setColor(clTeal);
    bmp.canvas().fillRect({0, 0, 8, 16});
    for (int i = 0; i < 500; ++i) {
        const int x = (i % 25) * 40, y = (i / 25) * 35;
        TControl* c = nullptr;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
        case 3: {
            auto* l = new TLabel(&form);
            std::string caption = "Label ";
            caption += std::to_string(i);
            l->setCaption(caption);
            c = l;
            break;
        }
        case 4:
        case 5:
        case 6: {
            auto* s = new TShape(&form);
            s->brush()->setColor(rgb(i % 256, (i * 7) % 256, 128));
            s->setShape(i % 2 ? stEllipse : stRectangle);
            c = s;
            break;
        }
        case 7:
        case 8: {
            if (i % 50 == 8) {
                auto* p = new TPanel(&form);
                p->setCaption("P");
                c = p;
            } else {
                c = new TBevel(&form);
            }
            break;
        }
        default: {
            auto* im = new TImage(&form);
            im->picture()->setGraphic(&bmp);
            c = im;
            break;
        }
        }
        std::string name = "C";
        name += std::to_string(i);
        c->setName(name);
        c->setParent(&form);
        c->setBounds(x, y, 36, 30);
    }
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(form);
    }
    return out.bytes();
}

const std::string& stream() {
    static const std::string s = makeStream();
    return s;
}

void BM_ReadShowAndPaint500(benchmark::State& state) {
    const std::string& bytes = stream();
    for (auto _ : state) {
        TAutorunForm form(nullptr);
        classes::TMemoryStream in;
        in.setBytes(bytes);
        classes::TReader reader(in);
        reader.readRootComponent(&form);
        form.show();
        const pictures::Image img = form.grab();  // forces the complete first paint
        benchmark::DoNotOptimize(img.pixels.data());
        form.hide();
    }
    state.counters["controls"] = 500;
    state.counters["stream_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_ReadShowAndPaint500)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Repaint500(benchmark::State& state) {
    TAutorunForm form(nullptr);
    classes::TMemoryStream in;
    in.setBytes(stream());
    classes::TReader reader(in);
    reader.readRootComponent(&form);
    form.show();
    form.grab();
    for (auto _ : state) {
        form.invalidate();
        const pictures::Image img = form.grab();
        benchmark::DoNotOptimize(img.pixels.data());
    }
    form.hide();
}
BENCHMARK(BM_Repaint500)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    registerVclClasses();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
