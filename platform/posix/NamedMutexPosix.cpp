// Named mutexes as lock files held with flock: holders keep a shared lock, and a mutex
// exists while an exclusive lock cannot be had.
#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>

namespace platform {
namespace {

constexpr size_t kMaxPlainName = 180;

// Lock files this process holds, by mutex name; their descriptors stay open until exit.
std::map<std::string, int>& held() {
    static std::map<std::string, int> files;
    return files;
}

// The folder when it is a real folder of ours, not a link someone else planted.
bool ownFolder(const std::filesystem::path& dir) {
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || ::mkdir(dir.c_str(), 0700) != 0) return false;
        if (::lstat(dir.c_str(), &st) != 0) return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

uint64_t fnv1a(std::string_view s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string_view withoutLocalPrefix(std::string_view name) {
    // The session namespace is the default one.
    if (name.size() > 6 && name.substr(0, 6) == "Local\\") name.remove_prefix(6);
    return name;
}

std::filesystem::path lockFile(std::string_view name) {
    const std::filesystem::path dir = mutexFolder();
    if (dir.empty() || name.empty()) return {};
    return dir / mutexFileName(name);
}

}  // namespace

std::filesystem::path mutexFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path dir;
    if (runtime && *runtime == '/' && std::filesystem::is_directory(runtime))
        dir = std::filesystem::path(runtime) / "vantrel-mutexes";
    else
        dir = "/tmp/vantrel-mutexes-" + std::to_string(::geteuid());
    return ownFolder(dir) ? dir : std::filesystem::path();
}

std::string mutexFileName(std::string_view name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "m-";
    for (unsigned char c : name) {
        if (out.size() >= kMaxPlainName) {
            uint64_t h = fnv1a(name);
            out += '~';
            for (int i = 60; i >= 0; i -= 4) out += hex[(h >> i) & 0xF];
            break;
        }
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
            c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out;
}

bool createMutex(std::string_view rawName) {
    const std::string_view name = withoutLocalPrefix(rawName);
    if (held().count(std::string(name))) return true;
    const std::filesystem::path file = lockFile(name);
    if (file.empty()) return false;
    // Close-on-exec: a program the player starts must not keep the mutex alive after it.
    int fd = ::open(file.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    // Waits at most for another process's brief existence check.
    while (::flock(fd, LOCK_SH) != 0) {
        if (errno != EINTR) {
            ::close(fd);
            return false;
        }
    }
    held()[std::string(name)] = fd;
    return true;
}

bool mutexExists(std::string_view rawName) {
    const std::string_view name = withoutLocalPrefix(rawName);
    const std::filesystem::path file = lockFile(name);
    if (file.empty()) return false;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;  // never created
    const int r = ::flock(fd, LOCK_EX | LOCK_NB);
    const int err = errno;
    ::close(fd);  // also drops the exclusive lock
    return r != 0 && err == EWOULDBLOCK;
}

}  // namespace platform
