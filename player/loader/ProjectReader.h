// The reader of project streams: a component-stream reader that asks the user about
// recoverable errors (Abort or Ignore) and puts stand-ins in place of the ActiveX
// controls, and the player's own timer class in place of "TTimer".
#pragma once

#include "classes/TReader.h"

namespace player {

class TZEPReader final : public classes::TReader {
public:
    explicit TZEPReader(classes::TStream& stream);

    // No ActiveX control exists here; the placeholders are what projects get.
    bool WebBrowserAvailable = false;
    bool FlashAvailable = false;

    // The class to create for `className` after the reader's own look-up found `found`.
    const classes::ClassInfo* resolveClass(std::string_view className, const classes::ClassInfo* found) const;
};

// The message of the Abort/Ignore box for a reading error; true when the user ignores it.
bool askAbortOrIgnore(const std::string& readerMessage);

}  // namespace player
