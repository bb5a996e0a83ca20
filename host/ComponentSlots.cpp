// The registration slots of the player's own controls for links and window shapes: the image
// button, the interactive label with the services it reaches (music, the desktop's opener)
// and the shaped form with its region holder.
#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "components/CoolForm.h"
#include "components/ImgBtn.h"
#include "components/InteractiveLabel.h"
#include "host/ClassImporter.h"
#include "host/Slots.h"
#include "library/Music.h"
#include "platform/Paths.h"
#include "script/Api.h"
#include "script/Imports.h"

extern char** environ;

namespace host::slots {

// FIXME: the shell family's ShellExecute (default verb, no parameters, no working folder)
// takes this over once it is in the library; until then the desktop's opener directly.
void openLabelTarget(const std::string& file) {
    const std::string native = platform::resolvePath(file).string();
    char opener[] = "xdg-open";
    std::string arg = native;
    char* argv[] = {opener, arg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, opener, nullptr, nullptr, argv, environ) != 0) return;
    // Reaped apart, so the opener never lingers as a zombie.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
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
