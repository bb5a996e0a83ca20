// Projects appended to a player executable. A Windows player kept the project's offset
// in the 32-bit word at file offset 46; in an ELF file that word lies inside the
// section-header offset, so ours end with a trailer instead, which leaves the executable
// valid and works for any file format:
//
//   ... player ... | project | offset of the project, 64-bit little-endian | "VNTRLZEP"
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

namespace runtime {

inline constexpr char kAppendMagic[8] = {'V', 'N', 'T', 'R', 'L', 'Z', 'E', 'P'};
inline constexpr uint64_t kAppendTrailerSize = 16;

// The start of the appended project, or nullopt when the file carries none.
std::optional<uint64_t> appendedProjectOffset(const std::filesystem::path& executable);

// Writes `out`: the player, the project, the trailer; keeps the player's permissions.
// Throws base::Error naming the file that could not be read or written.
void appendProject(const std::filesystem::path& player, const std::filesystem::path& project,
                   const std::filesystem::path& out);

}  // namespace runtime
