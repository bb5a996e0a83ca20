// The registration slots of the player's own controls for links and window shapes: the image
// button, the interactive label with the services it reaches (music, the desktop's opener)
// and the shaped form with its region holder.
#include <exception>

#include "components/CoolForm.h"
#include "components/ImgBtn.h"
#include "components/InteractiveLabel.h"
#include "host/ClassImporter.h"
#include "host/Slots.h"
#include "library/Music.h"
#include "library/Shell.h"
#include "script/Api.h"
#include "script/Imports.h"

namespace host::slots {

void openLabelTarget(const std::string& file) {
    // The shell's default verb, with no parameters and no working folder; its answer is
    // ignored, and so is a failure to start anything.
    try {
        library::shellExecute(file, {}, {});
    } catch (const std::exception&) {
    }
}

const script::Imports& imgBtn() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TWMMouse",
               "record Msg: Cardinal; Keys: Longint; XPos: Smallint; YPos: Smallint; Result: Longint; end")
            .classType(components::TImgBtn::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& interactiveLabel() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TInteractiveLabel::staticClass());
        return m;
    }();
    return table;
}

const script::Imports& coolForm() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(components::TCoolForm::staticClass()).classType(components::TRegionType::staticClass());
        return m;
    }();
    return table;
}

void importCoolForm(ClassImporter& importer) {
    importer.add(components::TRegionType::staticClass());
    importer.add(components::TCoolForm::staticClass());
}

void importImgBtn(ClassImporter& importer) { importer.add(components::TImgBtn::staticClass()); }

void importInteractiveLabel(ClassImporter& importer) {
    importer.add(components::TInteractiveLabel::staticClass());
    components::LabelServices& s = components::labelServices();
    if (!s.playMusic) s.playMusic = [](const std::string& file) { library::playMusic(file); };
    if (!s.open) s.open = openLabelTarget;
}

}  // namespace host::slots
