// The player's internal play list: one object for the whole run, a string list of music
// entries that scripts see as the variable InternalPlayList. The fields here are its
// state; playing through the list is the music library's (library/MusicPlayList.h).
#pragma once

#include <cstdint>
#include <string>

#include "classes/TStrings.h"

namespace components {

class TInternalPlayList final : public classes::TStringList {
public:
    CLASSES_OBJECT(TInternalPlayList)

    bool active = false;
    uint32_t activeHandle = 0;  // the channel of the entry being played
    std::string activeFile;     // that entry, spelled as in the list
    uint32_t endSync = 0;       // the end notification set on that channel
};

// The process's play list, created on first use; it lives until the process ends.
TInternalPlayList& internalPlayList();

}  // namespace components
