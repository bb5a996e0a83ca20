#include "platform/Drives.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

std::unique_ptr<MountTable>& installedTable() {
    static std::unique_ptr<MountTable> table;
    return table;
}

// mountinfo escapes space, tab, newline and backslash as three octal digits.
std::string unescapeField(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && field.size() - i > 3 && field[i + 1] >= '0' && field[i + 1] <= '3') {
            out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

std::vector<std::string_view> splitSpaces(std::string_view line) {
    std::vector<std::string_view> out;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t end = line.find(' ', pos);
        if (end == std::string_view::npos) end = line.size();
        if (end > pos) out.push_back(line.substr(pos, end - pos));
        pos = end + 1;
    }
    return out;
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool isUnder(const fs::path& path, const char* folder) {
    std::string p = path.string();
    size_t n = std::char_traits<char>::length(folder);
    return p.compare(0, n, folder) == 0 && (p.size() == n || p[n] == '/');
}

bool isFolder(const fs::path& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether `prefix` is `path` or one of its ancestors, comparing whole components.
bool contains(const fs::path& prefix, const fs::path& path) {
    auto [pi, qi] = std::mismatch(prefix.begin(), prefix.end(), path.begin(), path.end());
    return pi == prefix.end() || (std::next(pi) == prefix.end() && pi->empty());
}

// The visible mount holding `path`: the deepest mount point above it, the later of two
// mounts on the same point.
std::optional<MountEntry> mountHolding(const fs::path& path, const std::vector<MountEntry>& mounts) {
    std::optional<MountEntry> best;
    size_t bestDepth = 0;
    for (const MountEntry& m : mounts) {
        size_t depth = static_cast<size_t>(std::distance(m.mountPoint.begin(), m.mountPoint.end()));
        if (contains(m.mountPoint, path) && (!best || depth >= bestDepth)) {
            best = m;
            bestDepth = depth;
        }
    }
    return best;
}

}  // namespace

MountTable& mountTable() {
    auto& table = installedTable();
    if (!table) table = systemMountTable();
    return *table;
}

void setMountTable(std::unique_ptr<MountTable> table) { installedTable() = std::move(table); }

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> out;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::vector<std::string_view> f = splitSpaces(text.substr(pos, end - pos));
        pos = end + 1;
        // id parent major:minor root mount-point options [optional...] - type source super-options
        auto dash = std::find(f.begin(), f.end(), "-");
        if (f.size() < 6 || dash == f.end() || dash - f.begin() < 6 || f.end() - dash < 3) continue;
        MountEntry m;
        unsigned maj = 0, min = 0;
        std::string dev(f[2]);
        if (std::sscanf(dev.c_str(), "%u:%u", &maj, &min) != 2) continue;
        m.major = maj;
        m.minor = min;
        m.mountPoint = unescapeField(f[4]);
        m.fsType = unescapeField(*(dash + 1));
        m.source = unescapeField(*(dash + 2));
        if (!m.mountPoint.is_absolute()) continue;
        out.push_back(std::move(m));
    }
    return out;
}

bool isSystemMount(const MountEntry& m) {
    static const char* const kPseudo[] = {
        "proc",       "sysfs",           "devtmpfs",  "devpts",   "cgroup",       "cgroup2",
        "securityfs", "pstore",          "bpf",       "debugfs",  "tracefs",      "configfs",
        "fusectl",    "mqueue",          "hugetlbfs", "autofs",   "nsfs",         "binfmt_misc",
        "efivarfs",   "rpc_pipefs",      "selinuxfs", "squashfs", "overlay",      "fuse.portal",
        "fuse.lxcfs", "fuse.gvfsd-fuse", "nfsd",      "zonefs",   "fuse.snapfuse"};
    // The root file system is Z: whatever it is (an overlay in containers).
    if (m.mountPoint == "/") return false;
    if (std::find(std::begin(kPseudo), std::end(kPseudo), m.fsType) != std::end(kPseudo)) return true;
    for (const char* folder : {"/proc", "/sys", "/dev", "/boot", "/snap", "/var/lib/docker", "/var/snap"})
        if (isUnder(m.mountPoint, folder)) return true;
    // udisks mounts removable media under /run/media; the rest of /run is the system's.
    return isUnder(m.mountPoint, "/run") && !isUnder(m.mountPoint, "/run/media");
}

DriveType classifyMount(const MountEntry& m, MountTable& table) {
    const std::string& t = m.fsType;
    std::string device = fs::path(m.source).filename().string();
    if (t == "iso9660" || t == "udf" || startsWith(device, "sr")) return DriveType::CdRom;
    if (startsWith(t, "nfs") || t == "cifs" || t == "smb3" || t == "smbfs" || startsWith(t, "fuse") ||
        t == "9p" || t == "ceph" || t == "afs")
        return DriveType::Remote;
    if (t == "tmpfs" || t == "ramfs") return DriveType::RamDisk;
    if (m.major != 0 && table.removable(m.major, m.minor)) return DriveType::Removable;
    return DriveType::Fixed;
}

std::vector<Drive> listDrives(DriveTable& table, MountTable& mountsTable) {
    std::vector<MountEntry> mounts = mountsTable.mounts();
    // A mount point mounted twice shows the later mount; keep one entry per point.
    std::map<fs::path, size_t> latest;
    for (size_t i = 0; i < mounts.size(); ++i) latest[mounts[i].mountPoint] = i;
    for (size_t i = 0; i < mounts.size(); ++i) {
        const MountEntry& m = mounts[i];
        if (latest[m.mountPoint] != i || isSystemMount(m) || m.mountPoint == "/") continue;
        bool mapped = false;
        for (char l = 'A'; l <= 'Z' && !mapped; ++l) mapped = table.root(l) == m.mountPoint;
        if (mapped || !isFolder(m.mountPoint)) continue;
        for (char l = 'D'; l < 'Z'; ++l) {
            if (!table.root(l)) {
                table.map(l, m.mountPoint);
                break;
            }
        }
    }
    std::vector<Drive> out;
    for (char l = 'A'; l <= 'Z'; ++l) {
        if (auto d = findDrive(l, table, mountsTable)) out.push_back(std::move(*d));
    }
    return out;
}

std::vector<Drive> listDrives() { return listDrives(drives(), mountTable()); }

std::optional<Drive> findDrive(char letter, DriveTable& table, MountTable& mountsTable) {
    char l = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (l < 'A' || l > 'Z') return std::nullopt;
    std::optional<fs::path> root = table.root(l);
    if (!root || !isFolder(*root)) return std::nullopt;
    Drive d;
    d.letter = l;
    d.root = *root;
    if (auto m = mountHolding(*root, mountsTable.mounts())) d.mount = *m;
    // The virtual system drive is a folder of the root file system, a local disk wherever it is.
    if (l == 'C') {
        d.type = DriveType::Fixed;
    } else if (!d.mount.mountPoint.empty()) {
        d.type = classifyMount(d.mount, mountsTable);
    }
    return d;
}

std::optional<Drive> findDrive(char letter) { return findDrive(letter, drives(), mountTable()); }

bool isMountPoint(const fs::path& path) {
    fs::path p = path.lexically_normal();
    if (!p.has_filename() && p != p.root_path()) p = p.parent_path();  // "dir/"
    for (const MountEntry& m : mountTable().mounts())
        if (m.mountPoint == p) return true;
    return false;
}

}  // namespace platform
