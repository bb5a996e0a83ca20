// The Flash Player offers. No Flash Player exists for this system, so instead of fetching
// and installing one, the offers tell the user that Flash content cannot be shown here.
// Nothing is downloaded and no installer runs. One offer per process; "/SILENT" on the
// command line shows nothing.
#pragma once

#include <string>

namespace player {

// The player is missing Flash: from "/DFP" and from a project naming a Flash control.
void offerFlashInstallation();
// True once an offer was made (shown or silenced).
bool flashOfferMade();
// Makes the next offer possible again (tests).
void resetFlashOffer();

// The texts of the offer.
extern const char* const kFlashMissingText;
extern const char* const kFlashNotInstalledText;

}  // namespace player
