// The registration order. Later rows may name what earlier rows declared (the function
// library names TStrings and TFont, the component modules name the standard classes), so a
// new module goes into its slot and never into another place.
#include "host/Sequences.h"

#include <iterator>

#include "components/InternalPlayList.h"
#include "host/ClassImporter.h"
#include "host/HostRoutines.h"
#include "host/Slots.h"
#include "host/std/VclSets.h"
#include "library/IFSI_Conventions.h"
#include "library/IFSI_Files.h"
#include "library/IFSI_Funcs.h"
#include "library/IFSI_Mci.h"
#include "library/IFSI_Messages.h"
#include "library/IFSI_Music.h"
#include "library/IFSI_Network.h"
#include "library/IFSI_Registry.h"
#include "library/IFSI_Shell.h"
#include "library/IFSI_Strings.h"
#include "library/IFSI_System.h"
#include "library/IFSI_Zip.h"
#include "script/Api.h"
#include "script/std/StdImports.h"
#include "vcl/Forms.h"
#include "vcl/Picture.h"

namespace host {
namespace {

using Table = const script::Imports& (*)();

const script::Imports& graphics() { return graphicsSet().imports; }
const script::Imports& controls() { return controlsSet().imports; }
const script::Imports& stdCtrls() { return stdCtrlsSet().imports; }
const script::Imports& forms() { return formsSet().imports; }
const script::Imports& menus() { return menusSet().imports; }
const script::Imports& extCtrls() { return extCtrlsSet().imports; }
const script::Imports& buttons() { return buttonsSet().imports; }
const script::Imports& comCtrls() { return comCtrlsSet().imports; }

const script::Imports& internalPlayList() { return library::playListImports(); }

// The music routines, the ZIP routines, SendMCIString, then what the slot adds of the CD and tag families.
const script::Imports& music() {
    static const script::Imports table = [] {
        script::Imports m;
        m.add(library::musicImports())
            .add(library::cdAndTagImports())
            .add(library::zipImports())
            .add(library::mciImports())
            .add(slots::musicRoutines());
        return m;
    }();
    return table;
}

const script::Imports& autorunForm() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(vcl::TAutorunForm::staticClass());
        return m;
    }();
    return table;
}

struct TableRow {
    const char* module;
    Table table;
};

// The function library's part of IFSI_Funcs, in its order: the classes and event types it
// adds, the families of routines with their types and constants, the component modules
// registered from it, the host routines, and last the project form's own class.
const TableRow kFuncsLibraryPart[] = {
    {"IFSI_Funcs: classes and event types", &library::funcsClassImports},
    {"IFSI_Funcs: types and constants", &library::conventionImports},
    {"IFSI_Funcs: messages and dialogs", &library::messageImports},
    {"IFSI_Funcs: strings, numbers, dates", &library::stringImports},
    {"IFSI_Funcs: files, folders, drives", &library::fileImports},
    {"IFSI_Funcs: registry, INI, variables", &library::registryImports},
    {"IFSI_Funcs: system", &library::systemImports},
    {"IFSI_Funcs: shell, processes", &library::shellImports},
    {"IFSI_Funcs: network, download, printing", &library::networkImports},
    {"IFSI_SHDocVw", &slots::webBrowser},
    {"IFSI_ImgBtn", &slots::imgBtn},
    {"IFSI_InteractiveLabel", &slots::interactiveLabel},
    {"IFSI_Funcs: music and CD", &music},
    {"IFSI_ShockwaveFlash", &slots::shockwaveFlash},
    {"IFSI_MCIObject", &slots::mciObject},
    {"IFSI_Funcs: host routines", &hostRoutineImports},
    {"IFSI_Funcs: debugger routines", &debuggerImports},
    {"IFSI_Agent", &slots::agent},
    {"IFSI_Credits", &slots::credits},
    {"IFSI_Text2Speech", &slots::speech},
    {"IFSI_AutorunForm", &autorunForm},
};

const TableRow kCompileTime[] = {
    {"dateutils set", &script::dateUtilsImports},
    {"std set", &script::stdClassImports},
    {"classes set", &script::classesImports},
    {"graphics set", &graphics},
    {"controls set", &controls},
    {"stdctrls set", &stdCtrls},
    {"forms set", &forms},
    {"menus set", &menus},
    {"IFSI_Funcs: pictures", &library::picturePartImports},
    {"extctrls set", &extCtrls},
    {"buttons set", &buttons},
    {"IFSI_CoolForm", &slots::coolForm},
    {"IFSI_Gradient", &slots::gradient},
    {"IFSI_myComCtrls", &comCtrls},
    {"IFSI_PicShow", &slots::picShow},
    {"IFSI_RichEditViewer", &slots::richEditViewer},
    {"IFSI_TextAnim", &slots::textAnimator},
    {"IFSI_TextFade", &slots::textFader},
    {"IFSI_Marquee", &slots::marquee},
    {"IFSI_WindowsMediaPlayer", &slots::windowsMediaPlayer},
    {"IFSI_InternalPlayList", &internalPlayList},
    // Row 22, IFSI_Funcs' library part: kFuncsLibraryPart.
};

void addAll(ClassImporter& importer, const std::vector<const classes::ClassInfo*>& list) {
    for (const classes::ClassInfo* c : list) importer.add(*c);
}

// A standard set's classes with its run-time part (its routines: Rect, RGB, ...).
void addSet(ClassImporter& importer, const StdSet& set) {
    addAll(importer, set.classes);
    importer.addRuntime(set.imports);
}

struct ImporterRow {
    const char* module;
    void (*fill)(ClassImporter&);
};

const ImporterRow kClassImporter[] = {
    {"std set",
     [](ClassImporter& i) {
         addAll(i, stdClasses());
         i.addRuntime(script::stdClassImports());
     }},
    {"classes set",
     [](ClassImporter& i) {
         addAll(i, classesUnitClasses());
         i.addRuntime(script::classesImports());
     }},
    {"graphics set", [](ClassImporter& i) { addSet(i, graphicsSet()); }},
    {"controls set", [](ClassImporter& i) { addSet(i, controlsSet()); }},
    {"stdctrls set", [](ClassImporter& i) { addSet(i, stdCtrlsSet()); }},
    {"forms set", [](ClassImporter& i) { addSet(i, formsSet()); }},
    {"menus set", [](ClassImporter& i) { addSet(i, menusSet()); }},
    {"IFSI_Funcs",
     [](ClassImporter& i) {
         i.add(vcl::TPicture::staticClass());
         i.addRuntime(library::picturePartImports());
     }},
    {"extctrls set", [](ClassImporter& i) { addSet(i, extCtrlsSet()); }},
    {"buttons set", [](ClassImporter& i) { addSet(i, buttonsSet()); }},
    {"IFSI_CoolForm", &slots::importCoolForm},
    {"IFSI_Gradient", &slots::importGradient},
    // The common controls are added twice, as their module does; the second time changes nothing.
    {"IFSI_myComCtrls",
     [](ClassImporter& i) {
         addSet(i, comCtrlsSet());
         addAll(i, comCtrlsSet().classes);
     }},
    {"IFSI_PicShow", &slots::importPicShow},
    {"IFSI_RichEditViewer", &slots::importRichEditViewer},
    {"IFSI_TextAnim", &slots::importTextAnimator},
    {"IFSI_TextFade", &slots::importTextFader},
    {"IFSI_Marquee", &slots::importMarquee},
    {"IFSI_ImgBtn", &slots::importImgBtn},
    {"IFSI_InteractiveLabel", &slots::importInteractiveLabel},
    {"IFSI_ShockwaveFlash", &slots::importShockwaveFlash},
    {"IFSI_MCIObject", &slots::importMciObject},
    {"IFSI_Agent", &slots::importAgent},
    {"IFSI_Credits", &slots::importCredits},
    {"IFSI_AutorunForm", [](ClassImporter& i) { i.add(vcl::TAutorunForm::staticClass()); }},
    {"IFSI_WindowsMediaPlayer", &slots::importWindowsMediaPlayer},
    {"IFSI_InternalPlayList", [](ClassImporter& i) { i.add(components::TInternalPlayList::staticClass()); }},

};

// The routines of IFSI_Funcs' library part (the debugger routines have a row of their own).
void bindFuncs(script::Executor& e) {
    for (const TableRow& row : kFuncsLibraryPart)
        if (row.table != &debuggerImports) e.addImports(row.table());
}

struct ExecutorRow {
    const char* module;
    void (*bind)(script::Executor&, const ClassImporter&);
};

const ExecutorRow kExecutor[] = {
    {"dll set", [](script::Executor& e, const ClassImporter&) { slots::bindDllImports(e); }},
    {"class importer", [](script::Executor& e, const ClassImporter& i) { e.addImports(i.bindings()); }},
    {"dateutils set",
     [](script::Executor& e, const ClassImporter&) { e.addImports(script::dateUtilsImports()); }},
    {"menus set", [](script::Executor& e, const ClassImporter&) { e.addImports(menus()); }},
    {"IFSI_Funcs", [](script::Executor& e, const ClassImporter&) { bindFuncs(e); }},
    {"IFSI_SHDocVw", [](script::Executor& e, const ClassImporter&) { slots::bindWebBrowser(e); }},
    {"IFSI_TextFade", [](script::Executor& e, const ClassImporter&) { slots::bindTextFaderRoutines(e); }},
    // The library's routines are bound a second time in their fixed place; binding twice changes
    // nothing.
    {"IFSI_Funcs (again)", [](script::Executor& e, const ClassImporter&) { bindFuncs(e); }},
    {"debugger routines", [](script::Executor& e, const ClassImporter&) { e.addImports(debuggerImports()); }},
};

}  // namespace

void declareVocabulary(script::Compiler& compiler) {
    for (const TableRow& row : kCompileTime) compiler.addImports(row.table());
    for (const TableRow& row : kFuncsLibraryPart) compiler.addImports(row.table());
}

void fillClassImporter(ClassImporter& importer) {
    for (const ImporterRow& row : kClassImporter) row.fill(importer);
}

void bindRunTime(script::Executor& executor, const ClassImporter& importer) {
    for (const ExecutorRow& row : kExecutor) row.bind(executor, importer);
}

std::vector<std::string> compileTimeRows() {
    std::vector<std::string> rows;
    for (const TableRow& row : kCompileTime) rows.emplace_back(row.module);
    for (const TableRow& row : kFuncsLibraryPart) rows.emplace_back(row.module);
    rows.emplace_back("host variables");
    return rows;
}

std::vector<std::string> classImporterRows() {
    std::vector<std::string> rows;
    for (const ImporterRow& row : kClassImporter) rows.emplace_back(row.module);
    return rows;
}

std::vector<std::string> executorRows() {
    std::vector<std::string> rows;
    for (const ExecutorRow& row : kExecutor) rows.emplace_back(row.module);
    return rows;
}

}  // namespace host
