// The hand-driven clock of VANTREL_AUDIO=virtual: tests play channels and move time on.
#pragma once

namespace media {

// Mixes `milliseconds` of output on every initialised device, decoding, ending channels and
// running the syncs this causes before returning. False (and nothing happens) unless the
// engine runs on the virtual clock.
bool advanceVirtualClock(int milliseconds);

}  // namespace media
