// Drives as scripts see them: the drive table's letters (C: the virtual system drive, Z: the
// root file system, D:..Y: mount points) over the mounted file systems. Every mount holding a
// real file system gets a letter the first time drives are listed and keeps it for the run;
// pseudo file systems (proc, sysfs, cgroups, ...) and system mounts (/boot, /dev, /run, ...)
// get none.
//
// The operating system is asked through MountTable, which tests replace with their own.
// Main thread only.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class DriveTable;

struct MountEntry {
    std::filesystem::path mountPoint;
    std::string fsType;  // "ext4", "iso9660", "nfs4", "fuse.sshfs", ...
    std::string source;  // "/dev/sdb1", "server:/export", "tmpfs"
    unsigned major = 0;
    unsigned minor = 0;
};

struct SpaceInfo {
    uint64_t total = 0;
    uint64_t available = 0;  // free bytes this process may use
    bool readOnly = false;   // mounted read-only
};

class MountTable {
public:
    virtual ~MountTable() = default;
    // The mounts in mount order (a later mount on the same point hides the earlier one).
    virtual std::vector<MountEntry> mounts() = 0;
    // Sizes of the file system holding `path`; nullopt when it cannot be asked (not mounted,
    // no medium).
    virtual std::optional<SpaceInfo> space(const std::filesystem::path& path) = 0;
    // Whether the block device, or the disk its partition is on, holds removable media.
    virtual bool removable(unsigned major, unsigned minor) = 0;
    // The volume label of a mount's device; empty when it has none.
    virtual std::string label(const MountEntry& mount) = 0;
    // Whether this process may create files in `folder` (asked without creating any).
    virtual bool writable(const std::filesystem::path& folder) = 0;
};

// The system's: /proc/self/mountinfo, statvfs, sysfs and /dev/disk/by-label.
std::unique_ptr<MountTable> systemMountTable();
// The table in use: the system's unless a test installed its own (nullptr restores it).
MountTable& mountTable();
void setMountTable(std::unique_ptr<MountTable> table);

// Parses the text of /proc/<pid>/mountinfo; lines that do not parse are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// The drive types of Windows, with their values.
enum class DriveType : int {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6
};

// CD-ROM for iso9660/udf or a "sr" device; network for nfs, cifs/smb and fuse; RAM disk for
// tmpfs and ramfs; removable when sysfs says so; fixed otherwise.
DriveType classifyMount(const MountEntry& mount, MountTable& table);
// A mount that never gets a letter: pseudo file systems and system folders.
bool isSystemMount(const MountEntry& mount);

struct Drive {
    char letter = 0;  // upper case
    std::filesystem::path root;
    DriveType type = DriveType::Unknown;
    MountEntry mount;  // the mount holding the root
};

// Drives A..Z whose root is an existing folder, after giving letters to new mounts.
std::vector<Drive> listDrives(DriveTable& table, MountTable& mounts);
std::vector<Drive> listDrives();
// One drive (letter in either case); nullopt for an unmapped letter or a missing root.
std::optional<Drive> findDrive(char letter, DriveTable& table, MountTable& mounts);
std::optional<Drive> findDrive(char letter);

// Whether `path` is a mount point of the table in use (pseudo ones included).
bool isMountPoint(const std::filesystem::path& path);

}  // namespace platform
