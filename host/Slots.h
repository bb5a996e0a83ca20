// The registration slots of player modules that are not built yet. Each sequence calls its
// slot in its fixed place, so the module that fills one later changes only the slot's body
// (returning its table, adding its classes, binding its routines) and never the order.
// Every slot here is empty until then (the web-browser and Flash slots declare their
// stand-ins' classes meanwhile); the FIXME in each body names what arrives there.
#pragma once

#include <string>

namespace script {
class Executor;
class Imports;
}  // namespace script

namespace host {

class ClassImporter;

namespace slots {

// Declarations and bindings (compile-time sequence; the executor binds their routines).
const script::Imports& coolForm();            // TCoolForm and its region type
const script::Imports& gradient();            // TGradient and its style types
const script::Imports& picShow();             // TPicShow
const script::Imports& richEditViewer();      // TRichEditViewer
const script::Imports& textAnimator();        // TTextAnimator
const script::Imports& textFader();           // TTextFader, DrawTiled, DrawTransparent
const script::Imports& marquee();             // TMarquee
const script::Imports& windowsMediaPlayer();  // TWindowsMediaPlayer
const script::Imports& webBrowser();          // TOleControl, TWebBrowser and its event types
const script::Imports& imgBtn();              // TImgBtn
const script::Imports& interactiveLabel();    // TInteractiveLabel
const script::Imports& musicRoutines();       // CD routines and tags
const script::Imports& shockwaveFlash();      // TShockwaveFlash and its event types
const script::Imports& mciObject();           // TMCIObject
const script::Imports& agent();               // TMSAgent
const script::Imports& credits();             // TScrollingCredits
const script::Imports& speech();              // the TTS_ routines

// The interactive label's release: `file` (a script path, placeholders expanded) opened
// with its type's default action, as the shell does. Failures are silent.
void openLabelTarget(const std::string& file);

// Class importer rows.
void importCoolForm(ClassImporter& importer);
void importGradient(ClassImporter& importer);
void importPicShow(ClassImporter& importer);  // TCustomPicShow, TPicShow
void importRichEditViewer(ClassImporter& importer);
void importTextAnimator(ClassImporter& importer);
void importTextFader(ClassImporter& importer);
void importMarquee(ClassImporter& importer);
void importImgBtn(ClassImporter& importer);
void importInteractiveLabel(ClassImporter& importer);
// Runs the Flash availability check first (its first run in the process).
void importShockwaveFlash(ClassImporter& importer);
void importMciObject(ClassImporter& importer);
void importAgent(ClassImporter& importer);
void importCredits(ClassImporter& importer);
void importWindowsMediaPlayer(ClassImporter& importer);

// Executor rows.
// External DLL routines: the Windows system libraries mapped onto the platform and library
// layers (the engine opens any other library itself).
void bindDllImports(script::Executor& executor);
// The run-time web-browser class: the real browser when one can be created, else the
// placeholder with members of the same names.
void bindWebBrowser(script::Executor& executor);
void bindTextFaderRoutines(script::Executor& executor);

}  // namespace slots
}  // namespace host
