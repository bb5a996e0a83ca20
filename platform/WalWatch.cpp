#include "platform/WalWatch.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace platform {
namespace {

constexpr uint32_t kIndexVersion = 3007000;  // the WAL-index format of every SQLite 3 since 3.7.0
constexpr size_t kHeaderWords = 12;
constexpr size_t kMapBytes = 4096;

}  // namespace

WalWatch::~WalWatch() {
    if (m_header) ::munmap(const_cast<uint32_t*>(m_header), m_mapped);
}

bool WalWatch::open(const std::string& databaseFile) {
    if (m_header) return true;
    const std::string index = databaseFile + "-shm";
    int fd = ::open(index.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    // A mapping past the end of the file would fault when read; SQLite sizes the index in
    // 32 KiB steps and never shrinks it while a connection is open.
    void* p = ::fstat(fd, &st) == 0 && st.st_size >= off_t(kMapBytes)
                  ? ::mmap(nullptr, kMapBytes, PROT_READ, MAP_SHARED, fd, 0)
                  : MAP_FAILED;
    ::close(fd);
    if (p == MAP_FAILED) return false;
    m_header = static_cast<const volatile uint32_t*>(p);
    m_mapped = kMapBytes;
    Snapshot probe;
    if (!snapshot(probe)) {
        // Not (yet) a WAL index this code understands: stay closed, reads go to SQL.
        ::munmap(p, m_mapped);
        m_header = nullptr;
        return false;
    }
    return true;
}

bool WalWatch::snapshot(Snapshot& out) const {
    if (!m_header) return false;
    // The writer fills the second copy, then the first; reading the first, then the
    // second, sees them equal only when no write was half done.
    Snapshot second;
    for (size_t i = 0; i < kHeaderWords; ++i) out[i] = m_header[i];
    std::atomic_thread_fence(std::memory_order_acquire);
    for (size_t i = 0; i < kHeaderWords; ++i) second[i] = m_header[kHeaderWords + i];
    const bool initialised = reinterpret_cast<const volatile uint8_t*>(m_header)[12] != 0;  // isInit
    return out == second && out[0] == kIndexVersion && initialised;
}

}  // namespace platform
