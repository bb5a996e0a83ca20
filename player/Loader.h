// The hand-over from start-up to the project loader.
#pragma once

#include <cstdint>
#include <filesystem>

namespace player {

// Loads and runs the project that starts at `offset` of `file`; returns when its script
// has finished. FIXME: the project reader is not built yet; this logs the request
// ({"kind":"load",...}) so the order of project resolution can be checked.
void loadProject(const std::filesystem::path& file, uint64_t offset);

}  // namespace player
