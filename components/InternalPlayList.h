// The player's internal play list: one object for the whole run, a string list of music
// entries that scripts see as the variable InternalPlayList. FIXME: playback (Active, the
// channel handles, the end-of-stream advance) arrives with the music library; until then
// it is the plain list.
#pragma once

#include "classes/TStrings.h"

namespace components {

class TInternalPlayList final : public classes::TStringList {
public:
    CLASSES_OBJECT(TInternalPlayList)
};

// The process's play list, created on first use; it lives until the process ends.
TInternalPlayList& internalPlayList();

}  // namespace components
