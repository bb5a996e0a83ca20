#include "player/Loader.h"

#include <time.h>

#include "base/Json.h"
#include "platform/Dialogs.h"

namespace player {

void loadProject(const std::filesystem::path& file, uint64_t offset) {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    base::JsonObject event;
    event.add("kind", "load").add("path", file.string()).add("offset", static_cast<long long>(offset));
    // Lets the start-up benchmark measure from process start to this point.
    event.add("monotonic_ns", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    platform::dialogs().logEvent(event);
}

}  // namespace player
