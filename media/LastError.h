// The calling thread's last error, shared by every entry-point family.
#pragma once

#include <cstdint>

namespace media {

inline thread_local int32_t t_lastError = 0;

}  // namespace media
