#include "player/Loader.h"

#include <time.h>

#include "base/CodePage.h"
#include "base/Json.h"
#include "platform/Dialogs.h"

namespace player {
namespace {

ProjectLoader& loaderSlot() {
    static ProjectLoader loader;
    return loader;
}

ScriptHost& hostSlot() {
    static ScriptHost host;
    return host;
}

long long monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

}  // namespace

void setProjectLoader(ProjectLoader loader) { loaderSlot() = std::move(loader); }

void setScriptHost(ScriptHost host) { hostSlot() = std::move(host); }

void loadProject(const std::filesystem::path& file, uint64_t offset) {
    base::JsonObject event;
    event.add("kind", "load").add("path", file.string()).add("offset", static_cast<long long>(offset));
    // Lets the start-up benchmark measure from process start to this point.
    event.add("monotonic_ns", monotonicNs());
    platform::dialogs().logEvent(event);
    if (auto& loader = loaderSlot()) loader(file, offset);
}

void runScript(const ScriptHandover& handover) {
    base::JsonObject event;
    event.add("kind", "script").add("version", handover.formatVersion).add("has_source", handover.hasSource);
    event.add("source", base::CodePage::active().toUtf8(handover.source));
    event.add("bytecode_bytes", static_cast<long long>(handover.bytecode.size()));
    event.add("debug_bytes", static_cast<long long>(handover.debugInfo.size()));
    platform::dialogs().logEvent(event);
    if (auto& host = hostSlot()) host(handover);
}

}  // namespace player
