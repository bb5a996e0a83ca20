// Entry to the engine's virtual clock.
#include "media/VirtualClock.h"

#include "media/Engine.h"

namespace media {

bool advanceVirtualClock(int milliseconds) { return Engine::instance().advanceVirtualClock(milliseconds); }

}  // namespace media
