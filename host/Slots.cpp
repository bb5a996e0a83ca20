#include "host/Slots.h"

#include "components/ActiveXPlaceholders.h"
#include "host/ClassImporter.h"
#include "script/Api.h"
#include "script/Imports.h"

namespace host::slots {

namespace {

const script::Imports& empty() {
    static const script::Imports table;
    return table;
}

}  // namespace

// FIXME: TCoolForm (the shaped form).
const script::Imports& coolForm() { return empty(); }

// FIXME: TRichEditViewer.
const script::Imports& richEditViewer() { return empty(); }

// FIXME: TWindowsMediaPlayer.
const script::Imports& windowsMediaPlayer() { return empty(); }

// FIXME: TOleControl above TWebBrowser, its members and event types. Until then the
// stand-in's class as its metadata describes it, so a form holding one compiles.
const script::Imports& webBrowser() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TWebBrowser::staticClass());
        return m;
    }();
    return table;
}

// FIXME: TImgBtn.
const script::Imports& imgBtn() { return empty(); }

// FIXME: TInteractiveLabel.
const script::Imports& interactiveLabel() { return empty(); }

// FIXME: the CD and tag routines.
const script::Imports& musicRoutines() { return empty(); }

// FIXME: TShockwaveFlash's members and event types. Until then the stand-in's class as its
// metadata describes it, so a form holding one compiles.
const script::Imports& shockwaveFlash() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TShockwaveFlash::staticClass());
        return m;
    }();
    return table;
}

// FIXME: TMCIObject.
const script::Imports& mciObject() { return empty(); }

// FIXME: TMSAgent.
const script::Imports& agent() { return empty(); }

// FIXME: the speech routines.
const script::Imports& speech() { return empty(); }

// FIXME: TCoolForm and its region type.
void importCoolForm(ClassImporter&) {}

// FIXME: TRichEditViewer.
void importRichEditViewer(ClassImporter&) {}

// FIXME: TImgBtn.
void importImgBtn(ClassImporter&) {}

// FIXME: TInteractiveLabel.
void importInteractiveLabel(ClassImporter&) {}

// FIXME: the Flash availability check, then TShockwaveFlash (the control or its stand-in).
void importShockwaveFlash(ClassImporter&) {}

// FIXME: TMCIObject.
void importMciObject(ClassImporter&) {}

// FIXME: TMSAgent.
void importAgent(ClassImporter&) {}

// FIXME: TWindowsMediaPlayer.
void importWindowsMediaPlayer(ClassImporter&) {}

// FIXME: the system-library routines DLL declarations reach.
void bindDllImports(script::Executor&) {}

// FIXME: the run-time TWebBrowser class.
void bindWebBrowser(script::Executor&) {}

}  // namespace host::slots
