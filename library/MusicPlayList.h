// Playing through the internal play list: each channel's end starts the entry after the
// first match of the current one, wrapping, until the list is switched off or an entry
// cannot be opened. The engine reports an end on its own thread; the report is handed to
// the user-interface thread and acted on only while it still belongs to the current entry,
// so a script editing the list never races with it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace components {
class TInternalPlayList;
}

namespace library {

void playNextFile(components::TInternalPlayList& list);
void setPlayListActive(components::TInternalPlayList& list, bool value);
void setPlayListActiveFile(components::TInternalPlayList& list, const std::string& value);

// How an end report reaches the user-interface thread; the toolkit's event queue unless
// replaced (tests).
using MainThreadPoster = std::function<void(std::function<void()>)>;
void setPlayListPoster(MainThreadPoster poster);

}  // namespace library
