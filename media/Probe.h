// Whether a file is one the engine can open, from its first bytes only: the decoders' own
// header checks, no decoding and no length scan, so whole folders can be sorted out quickly.
#pragma once

#include <string>

namespace media {

enum class ProbeResult { None, Stream, Module };

// `path` is a native file name; None for a file that cannot be read.
ProbeResult probeFile(const std::string& path);

}  // namespace media
