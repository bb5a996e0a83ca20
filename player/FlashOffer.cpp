#include "player/FlashOffer.h"

#include <atomic>

#include "base/AnsiText.h"
#include "platform/Dialogs.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"

namespace player {
namespace {

std::atomic<bool> g_offerMade{false};

bool silent() {
    for (const std::string& arg : runtime::state().arguments())
        if (base::ansiSameText(arg, "/SILENT")) return true;
    return false;
}

}  // namespace

const char* const kFlashMissingText =
    "Macromedia Flash Player is not installed on your computer.%n"
    "No Flash Player exists for this system, so it cannot be installed here.";
const char* const kFlashNotInstalledText =
    "Flash Player is not installed.%nSome of the objects may not be functional.";

void offerFlashInstallation() {
    if (g_offerMade.exchange(true)) return;
    if (silent()) return;
    const std::string text =
        runtime::RepConst(std::string(kFlashMissingText) + "%n%n" + kFlashNotInstalledText);
    platform::dialogs().messageBox(text, runtime::RepConst("Warning"),
                                   platform::MB_OK | platform::MB_ICONWARNING);
}

bool flashOfferMade() { return g_offerMade.load(); }

void resetFlashOffer() { g_offerMade = false; }

}  // namespace player
