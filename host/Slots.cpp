#include "host/Slots.h"

#include "components/ActiveXPlaceholders.h"
#include "components/MCIObject.h"
#include "components/MSAgent.h"
#include "components/WindowsMediaPlayer.h"
#include "host/ClassImporter.h"
#include "library/IFSI_Speech.h"
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

// The media-player control (or its "not installed" form).
const script::Imports& windowsMediaPlayer() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TWindowsMediaPlayer::staticClass());
        return m;
    }();
    return table;
}

// FIXME: the network, download and printing routines.
const script::Imports& networkFamily() { return empty(); }

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

// The panel that plays through the multimedia command layer.
const script::Imports& mciObject() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TMCIObject::staticClass());
        return m;
    }();
    return table;
}

// The agent control, in its "not available" form.
const script::Imports& agent() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TMSAgent::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& speech() { return library::speechImports(); }

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

void importMciObject(ClassImporter& importer) { importer.add(components::TMCIObject::staticClass()); }

void importAgent(ClassImporter& importer) { importer.add(components::TMSAgent::staticClass()); }

void importWindowsMediaPlayer(ClassImporter& importer) {
    importer.add(components::TWindowsMediaPlayer::staticClass());
}

// FIXME: the system-library routines DLL declarations reach.
void bindDllImports(script::Executor&) {}

// FIXME: the run-time TWebBrowser class.
void bindWebBrowser(script::Executor&) {}

}  // namespace host::slots
