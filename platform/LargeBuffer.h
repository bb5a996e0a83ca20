// Reserving room for very large strings. Filling a fresh 100 MB buffer page by page costs
// more in page faults than the work that fills it; for large reservations the memory is
// advised to be backed by huge pages where the kernel offers them (Linux transparent huge
// pages in "madvise" mode), which takes the fault count down 512-fold.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// s.reserve(capacity), plus the huge-page advice when capacity is 2 MiB or more. Contents and
// size are unchanged; the advice is a hint and its failure is ignored.
void reserveLargeString(std::string& s, size_t capacity);

}  // namespace platform
