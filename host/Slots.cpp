#include "host/Slots.h"

#include "components/ActiveXPlaceholders.h"
#include "components/MCIObject.h"
#include "components/MSAgent.h"
#include "components/RichEditViewer.h"
#include "components/WindowsMediaPlayer.h"
#include "host/ClassImporter.h"
#include "library/IFSI_Speech.h"
#include "library/WinApi.h"
#include "script/Api.h"
#include "script/Imports.h"

namespace host::slots {

namespace {

const script::Imports& empty() {
    static const script::Imports table;
    return table;
}

}  // namespace

const script::Imports& richEditViewer() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TRichEditViewer::staticClass());
        return m;
    }();
    return table;
}

// The media-player control (or its "not installed" form).
const script::Imports& windowsMediaPlayer() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TWindowsMediaPlayer::staticClass());
        return m;
    }();
    return table;
}

// TOleControl above TWebBrowser, its members and event types, all from the class's metadata.
const script::Imports& webBrowser() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TWebBrowser::staticClass());
        return m;
    }();
    return table;
}

// FIXME: the CD and tag routines.
const script::Imports& musicRoutines() { return empty(); }

// TShockwaveFlash's members and event types, from the stand-in's metadata.
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

void importRichEditViewer(ClassImporter& importer) {
    importer.add(components::TRichEditViewer::staticClass());
}

// No Flash player exists here: the availability check always finds none, so the stand-in.
void importShockwaveFlash(ClassImporter& importer) {
    importer.add(components::TShockwaveFlash::staticClass());
}

void importMciObject(ClassImporter& importer) { importer.add(components::TMCIObject::staticClass()); }

void importAgent(ClassImporter& importer) { importer.add(components::TMSAgent::staticClass()); }

void importWindowsMediaPlayer(ClassImporter& importer) {
    importer.add(components::TWindowsMediaPlayer::staticClass());
}

void bindDllImports(script::Executor& executor) { library::bindSystemLibraries(executor); }

// One TWebBrowser class serves both cases (the engine or the placeholder's message), and
// its members come bound with its metadata: nothing to add here.
void bindWebBrowser(script::Executor&) {}

}  // namespace host::slots
