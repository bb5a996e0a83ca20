// Attributes in the mode bits and one user extended attribute, times through statx and
// utimensat, compression through the inode flags, and locks from /proc/locks.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "base/Error.h"
#include "platform/FileAttributes.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr const char* kXattrName = "user.vantrel.attributes";
constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem | kAttrArchive;
constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool isDotName(const fs::path& path) {
    std::string name = path.lexically_normal().filename().string();
    if (name.empty()) name = path.lexically_normal().parent_path().filename().string();  // "dir/"
    return name.size() > 1 && name[0] == '.' && name != "..";
}

uint32_t storedBits(const fs::path& path) {
    char buf[16];
    ssize_t n = ::getxattr(path.c_str(), kXattrName, buf, sizeof buf - 1);
    if (n <= 0) return 0;
    buf[n] = 0;
    return static_cast<uint32_t>(std::strtoul(buf, nullptr, 10)) & kStoredBits;
}

// Writes (or, for none, removes) the stored bits; throws when the file system has no room.
void storeBits(const fs::path& path, uint32_t bits) {
    if (bits == 0) {
        if (::removexattr(path.c_str(), kXattrName) != 0 && errno != ENODATA && errno != ENOTSUP)
            throw base::PlatformError(
                "Cannot clear the attributes of " + path.string() + ": " + std::strerror(errno), errno);
        return;
    }
    std::string text = std::to_string(bits);
    if (::setxattr(path.c_str(), kXattrName, text.data(), text.size(), 0) == 0) return;
    int err = errno;
    if (err == ENOTSUP)
        throw base::PlatformError(
            "The file system of " + path.string() + " cannot keep the hidden, system and archive attributes",
            err);
    throw base::PlatformError("Cannot set the attributes of " + path.string() + ": " + std::strerror(err),
                              err);
}

void changeMode(const fs::path& path, mode_t mode) {
    if (::chmod(path.c_str(), mode) != 0)
        throw base::PlatformError("Cannot change the mode of " + path.string() + ": " + std::strerror(errno),
                                  errno);
}

struct Writers {
    std::mutex mutex;
    std::multiset<std::pair<uint64_t, uint64_t>> files;
};
Writers& writers() {
    static Writers w;
    return w;
}

bool ownWriter(uint64_t dev, uint64_t ino) {
    Writers& w = writers();
    std::lock_guard lock(w.mutex);
    return w.files.count({dev, ino}) != 0;
}

// A line of /proc/locks: "1: FLOCK  ADVISORY  WRITE 1234 fd:01:5678 0 EOF"; waiters carry
// "->" after the number and hold nothing yet. The device is the one field "major:minor:inode".
bool lockedInProcLocks(uint64_t dev, uint64_t ino) {
    std::ifstream in("/proc/locks");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string field;
        bool waiter = false;
        while (fields >> field) {
            if (field == "->") waiter = true;
            unsigned maj = 0, min = 0;
            unsigned long long inode = 0;
            if (std::sscanf(field.c_str(), "%x:%x:%llu", &maj, &min, &inode) != 3) continue;
            if (!waiter && maj == major(dev) && min == minor(dev) && inode == ino) return true;
            break;
        }
    }
    return false;
}

}  // namespace

std::optional<uint32_t> fileAttributes(const fs::path& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    uint32_t attrs = storedBits(path);
    if (S_ISDIR(st.st_mode)) attrs |= kAttrDirectory;
    if ((st.st_mode & kWriteBits) == 0) attrs |= kAttrReadOnly;
    if (isDotName(path)) attrs |= kAttrHidden;
    return attrs == 0 ? kAttrNormal : attrs;
}

void setFileAttributes(const fs::path& path, uint32_t attributes) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        throw base::PlatformError("Cannot find " + path.string(), ENOENT);
    const bool readOnly = attributes & kAttrReadOnly;
    const bool wasReadOnly = (st.st_mode & kWriteBits) == 0;
    const mode_t mode = st.st_mode & 07777;
    // Extended attributes need write permission on the file, so they are written while it
    // is writable: before making it read-only, after making it writable.
    if (wasReadOnly && !readOnly) changeMode(path, mode | S_IWUSR);
    try {
        storeBits(path, attributes & kStoredBits);
    } catch (...) {
        if (wasReadOnly && !readOnly) ::chmod(path.c_str(), mode);
        throw;
    }
    if (readOnly && !wasReadOnly) changeMode(path, mode & ~kWriteBits);
    if (!(attributes & kAttrHidden) && isDotName(path))
        throw base::PlatformError("A name starting with \".\" is always hidden: " + path.string(), EINVAL);
}

bool supportsUserAttributes(const fs::path& path) {
    char c;
    if (::getxattr(path.c_str(), kXattrName, &c, 0) >= 0) return true;
    return errno != ENOTSUP;
}

std::optional<FileTimes> fileTimes(const fs::path& path) {
    struct statx sx;
    if (path.empty() ||
        ::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return std::nullopt;
    auto ts = [](const statx_timestamp& t) { return timespec{t.tv_sec, static_cast<long>(t.tv_nsec)}; };
    FileTimes times;
    times.lastAccess = ts(sx.stx_atime);
    times.lastWrite = ts(sx.stx_mtime);
    times.hasBirthTime = (sx.stx_mask & STATX_BTIME) != 0;
    times.creation = times.hasBirthTime ? ts(sx.stx_btime) : times.lastWrite;
    return times;
}

bool setFileTimes(const fs::path& path, const timespec& lastAccess, const timespec& lastWrite) {
    const timespec times[2] = {lastAccess, lastWrite};
    return !path.empty() && ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::optional<bool> isCompressed(const fs::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    int flags = 0;
    const bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    ::close(fd);
    if (!ok) return std::nullopt;
    return (flags & FS_COMPR_FL) != 0;
}

bool setCompressed(const fs::path& path, bool compressed) {
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = compressed ? flags | FS_COMPR_FL : flags & ~FS_COMPR_FL;
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
             ((flags & FS_COMPR_FL) != 0) == compressed;
    }
    ::close(fd);
    return ok;
}

bool fileInUse(const fs::path& path) {
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    // A file this process cannot open for reading is as good as in use to it.
    if (::access(path.c_str(), R_OK) != 0) return true;
    return ownWriter(st.st_dev, st.st_ino) || lockedInProcLocks(st.st_dev, st.st_ino);
}

WriterRegistration::WriterRegistration(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0) return;
    m_dev = st.st_dev;
    m_ino = st.st_ino;
    Writers& w = writers();
    std::lock_guard lock(w.mutex);
    w.files.insert({m_dev, m_ino});
}

WriterRegistration::~WriterRegistration() {
    if (m_dev == 0 && m_ino == 0) return;
    Writers& w = writers();
    std::lock_guard lock(w.mutex);
    auto it = w.files.find({m_dev, m_ino});
    if (it != w.files.end()) w.files.erase(it);
}

}  // namespace platform
