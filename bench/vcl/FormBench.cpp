// Builds a form of 500 controls from a component stream, shows it and paints it
// completely (headless), then measures repaints: once with graphic controls and panels,
// once with half of them standard controls on the toolkit's widgets (edits, buttons,
// check boxes, lists, combo boxes, memos, group boxes, progress and track bars).
// Run: build/release/bench/vcl/vcl_bench
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Edits.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/GroupCtrls.h"
#include "vcl/ListCtrls.h"
#include "vcl/RangeCtrls.h"
#include "vcl/Registration.h"
#include "vcl/StdCtrls.h"
#include "vcl/WindowHandle.h"

using namespace vcl;

namespace {

// One of ten standard controls, by `kind`, with its caption, text or items.
TControl* makeStandard(classes::TComponent* owner, int kind, int i) {
    const std::string n = std::to_string(i);
    switch (kind) {
    case 0: {
        auto* e = new TEdit(owner);
        e->setText("Edit " + n);
        return e;
    }
    case 1: {
        auto* b = new TButton(owner);
        b->setCaption("Button " + n);
        return b;
    }
    case 2: {
        auto* c = new TCheckBox(owner);
        c->setCaption("Check " + n);
        c->setChecked(i % 3 == 0);
        return c;
    }
    case 3: {
        auto* r = new TRadioButton(owner);
        r->setCaption("Radio " + n);
        return r;
    }
    case 4: {
        auto* l = new TListBox(owner);
        for (const char* s : {"one", "two", "three"}) l->items()->add(s);
        return l;
    }
    case 5: {
        auto* c = new TComboBox(owner);
        for (const char* s : {"red", "green"}) c->items()->add(s);
        c->setItemIndex(i % 2);
        return c;
    }
    case 6: {
        auto* m = new TMemo(owner);
        m->lines()->add("Memo " + n);
        return m;
    }
    case 7: {
        auto* g = new TGroupBox(owner);
        g->setCaption("Group " + n);
        return g;
    }
    case 8: {
        auto* p = new TProgressBar(owner);
        p->setPosition(i % 100);
        return p;
    }
    default: {
        auto* t = new TTrackBar(owner);
        t->setPosition(i % 10);
        return t;
    }
    }
}

// 500 controls on a grid: labels, shapes, bevels, images and a few panels; with
// `standard`, every other one is a standard control instead.
std::string makeStream(bool standard) {
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
        if (standard && i % 2) c = makeStandard(&form, (i / 2) % 10, i);
        if (!c) switch (i % 10) {
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

const std::string& stream(bool standard) {
    static const std::string graphic = makeStream(false), mixed = makeStream(true);
    return standard ? mixed : graphic;
}

// Arg 0: graphic controls and panels; arg 1: half of them standard controls.
void BM_ReadShowAndPaint500(benchmark::State& state) {
    const std::string& bytes = stream(state.range(0) != 0);
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
BENCHMARK(BM_ReadShowAndPaint500)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_Repaint500(benchmark::State& state) {
    TAutorunForm form(nullptr);
    classes::TMemoryStream in;
    in.setBytes(stream(state.range(0) != 0));
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
BENCHMARK(BM_Repaint500)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
