// The registration slots of the gradient and the picture show.
#include "classes/ClassInfo.h"
#include "host/ClassImporter.h"
#include "host/Slots.h"
#include "script/Api.h"
#include "script/Imports.h"
#include "vcl/Gradient.h"
#include "vcl/PicShow.h"

namespace host::slots {

const script::Imports& gradient() {
    static const script::Imports table = [] {
        script::Imports m;
        // Entries as the system's 24-bit pixels hold them, so the Windows field names fit.
        m.enumeration(vcl::types::gradientStyle())
            .type("TGradientColors", "array [0..255] of record rgbtBlue, rgbtGreen, rgbtRed : Byte; end")
            .type("TCustomGradientEvent",
                  "Procedure ( Sender : TObject; const Colors : TGradientColors; Pattern : TBitmap)")
            .classType(vcl::TGradient::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& picShow() {
    static const script::Imports table = [] {
        script::Imports m;
        m.constant("PS_THREADTERMINATED", static_cast<int32_t>(vcl::PS_THREADTERMINATED))
            .type("TPercent", "Integer")
            .type("TShowStyle", "Integer")
            .type("TBackgroundMode", "( bmNone, bmTiled, bmStretched, bmCentered )")
            .type("TCustomDrawEvent", "Procedure ( Sender : TObject; Picture, Screen : TBitmap)")
            .classType(vcl::TCustomPicShow::staticClass())
            .classType(vcl::TPicShow::staticClass());
        return m;
    }();
    return table;
}

void importGradient(ClassImporter& importer) { importer.add(vcl::TGradient::staticClass()); }

void importPicShow(ClassImporter& importer) {
    importer.add(vcl::TCustomPicShow::staticClass());
    importer.add(vcl::TPicShow::staticClass());
}

}  // namespace host::slots
