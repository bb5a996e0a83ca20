// The animated components' registration slots: the marquee, the text fader with its two
// picture routines, the text animator and the scrolling credits.
#include "classes/ClassInfo.h"
#include "host/ClassImporter.h"
#include "host/Slots.h"
#include "host/std/VclRecords.h"
#include "script/Api.h"
#include "script/Imports.h"
#include "vcl/Graphic.h"
#include "vcl/Marquee.h"
#include "vcl/ScrollingCredits.h"
#include "vcl/TextAnimator.h"
#include "vcl/TextFader.h"

namespace host::slots {

const script::Imports& marquee() {
    static const script::Imports table = [] {
        script::Imports m;
        m.enumeration(vcl::types::marqueeScrollStyle())
            .type("TScrollDelay", "Integer")
            .type("TScrollAmount", "Integer")
            .classType(vcl::TMarquee::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& textFader() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TPercent", "Integer")
            .type("TProgressStep", "Integer")
            .type("TBackgroundMode", "( bmNone, bmTiled, bmStretched, bmCentered )")
            .classType(vcl::TTextFader::staticClass())
            .routine("Procedure DrawTiled( Canvas : TCanvas; Rect : TRect; G : TGraphic)",
                     [](vcl::TCanvas* canvas, const vcl::TRect& rect, vcl::TGraphic* g) {
                         if (canvas) vcl::drawTiled(*canvas, rect, g);
                     })
            .routine("Procedure DrawTransparent( dstBitmap, srcBitmap : TBitmap; Transparency : TPercent)",
                     [](vcl::TBitmap* dst, vcl::TBitmap* src, int transparency) {
                         vcl::drawTransparent(dst, src, transparency);
                     });
        return m;
    }();
    return table;
}

const script::Imports& textAnimator() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TTextAnimStyle", "( taAll, taRandom, taWave, taWind )")
            .classType(vcl::TTextAnimator::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& credits() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TCreditEvent", "Procedure ( Sender : TObject; CreditText : String)")
            .classType(vcl::TScrollingCredits::staticClass());
        return m;
    }();
    return table;
}

void importTextAnimator(ClassImporter& importer) { importer.add(vcl::TTextAnimator::staticClass()); }
void importTextFader(ClassImporter& importer) { importer.add(vcl::TTextFader::staticClass()); }
void importMarquee(ClassImporter& importer) { importer.add(vcl::TMarquee::staticClass()); }
void importCredits(ClassImporter& importer) { importer.add(vcl::TScrollingCredits::staticClass()); }

void bindTextFaderRoutines(script::Executor& executor) { executor.addImports(textFader()); }

}  // namespace host::slots
