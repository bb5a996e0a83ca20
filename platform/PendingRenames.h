// Files replaced or deleted "when the computer next starts": the requests wait in the
// registry store, as the system keeps them, and the player carries them out early in its
// next start. Paths are native. Thread: main.
#pragma once

#include <cstddef>
#include <filesystem>

namespace platform {

// Queues moving `from` over `to` (an empty `to` deletes `from`). False when the store
// refused the request.
bool scheduleRename(const std::filesystem::path& from, const std::filesystem::path& to);

// Carries out the queued requests in order and forgets them; a request that fails is
// dropped, as the system drops it. The number carried out.
size_t applyPendingRenames();

}  // namespace platform
