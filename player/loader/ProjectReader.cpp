#include "player/loader/ProjectReader.h"

#include "base/AnsiText.h"
#include "classes/ClassInfo.h"
#include "components/ActiveXPlaceholders.h"
#include "components/TimerEx.h"
#include "platform/Dialogs.h"
#include "player/FlashOffer.h"

namespace player {

TZEPReader::TZEPReader(classes::TStream& stream) : classes::TReader(stream, 4096) {
    onError = [](const std::string& message) { return askAbortOrIgnore(message); };
    onFindComponentClass = [this](std::string_view name, const classes::ClassInfo* found) {
        return resolveClass(name, found);
    };
    // Components are created the normal way.
    onCreateComponent = [](const classes::ClassInfo&, classes::TComponent*) -> classes::TComponent* {
        return nullptr;
    };
}

const classes::ClassInfo* TZEPReader::resolveClass(std::string_view className,
                                                   const classes::ClassInfo* found) const {
    if (base::asciiSameText(className, "TWebBrowser") && !WebBrowserAvailable) {
        return &components::TWebBrowser::staticClass();
    }
    if (base::asciiSameText(className, "TShockwaveFlash") && !FlashAvailable) {
        offerFlashInstallation();
        return &components::TShockwaveFlash::staticClass();
    }
    if (base::asciiSameText(className, "TTimer")) return &components::TTimerEx::staticClass();
    return found;
}

bool askAbortOrIgnore(const std::string& readerMessage) {
    platform::DialogRequest box;
    box.kind = platform::DialogKind::Message;
    box.caption = "Error";
    box.text = "An error occurred:\r\n\r\n" + readerMessage;
    box.icon = platform::DialogIcon::Error;
    box.buttons = {platform::IDABORT, platform::IDIGNORE};
    box.escapeButton = platform::IDABORT;
    return platform::dialogs().ask(box).button == platform::IDIGNORE;
}

}  // namespace player
