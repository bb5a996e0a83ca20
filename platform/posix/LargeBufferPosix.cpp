#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#include "platform/LargeBuffer.h"

namespace platform {

void reserveLargeString(std::string& s, size_t capacity) {
    s.reserve(capacity);
    constexpr size_t kHugePage = size_t(2) << 20;
    if (capacity < kHugePage) return;
#ifdef MADV_HUGEPAGE
    // Only whole pages inside the untouched part of the buffer are advised.
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    auto begin = reinterpret_cast<uintptr_t>(s.data()) + s.size();
    auto end = reinterpret_cast<uintptr_t>(s.data()) + s.capacity();
    begin = (begin + page - 1) & ~(page - 1);
    end &= ~(page - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#endif
}

}  // namespace platform
