// Installs the toolkit's video player for the multimedia command layer and the media-player
// control (media/VideoPlayer.h). Built without video support, it installs nothing and both
// take their "not installed" path.
#pragma once

namespace components {

// Call once, on the main thread, after the toolkit session exists. True when video plays.
bool installVideoBackend();

}  // namespace components
