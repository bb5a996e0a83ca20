// Windows file attributes, time stamps, compression and "in use" state on a POSIX file system.
//
// Attributes: read-only is "nobody may write" in the mode bits, directory is the file type,
// hidden is a name starting with "." or the hidden bit stored in the extended attribute
// "user.vantrel.attributes" (decimal text), which also keeps system and archive. Where the
// file system has no user extended attributes those three cannot be set (PlatformError).
//
// Times: the creation time is the birth time where the file system records one, else the
// last write time; it cannot be set here. Paths are native; nothing here throws except the
// setters documented to.
#pragma once

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>

namespace platform {

enum FileAttribute : uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,  // reported alone for a file with none of the others
};

// The attributes of an existing file or folder (links followed); nullopt when it is missing.
std::optional<uint32_t> fileAttributes(const std::filesystem::path& path);

// Sets read-only, hidden, system and archive to exactly the bits of `attributes`. Throws
// base::PlatformError when the file is missing, the mode cannot be changed, or hidden, system
// or archive would need an extended attribute the file system does not keep. A name
// starting with "." stays hidden whatever is asked.
void setFileAttributes(const std::filesystem::path& path, uint32_t attributes);

// Whether the file system holding `path` keeps user extended attributes.
bool supportsUserAttributes(const std::filesystem::path& path);

struct FileTimes {
    timespec creation{};  // birth time, or the last write time where there is none
    timespec lastAccess{};
    timespec lastWrite{};
    bool hasBirthTime = false;
};

// Read without opening the file, so read-only files and folders work; nullopt when missing.
std::optional<FileTimes> fileTimes(const std::filesystem::path& path);
// Sets the last access and last write times (links followed); false on failure.
bool setFileTimes(const std::filesystem::path& path, const timespec& lastAccess, const timespec& lastWrite);

// The file-system compression flag (chattr +c). nullopt where the file system has no such flag.
std::optional<bool> isCompressed(const std::filesystem::path& path);
// Sets or clears the flag and reads it back; false when it did not take.
bool setCompressed(const std::filesystem::path& path, bool compressed);

// True while any process holds a lock (flock, POSIX record or open-file-description lock)
// on the file, or this process has it open for writing (see WriterRegistration).
bool fileInUse(const std::filesystem::path& path);

// Marks an open file as written by this process for as long as the object lives, so
// fileInUse() reports it. `fd` identifies the file by device and inode.
class WriterRegistration {
public:
    explicit WriterRegistration(int fd);
    ~WriterRegistration();
    WriterRegistration(const WriterRegistration&) = delete;
    WriterRegistration& operator=(const WriterRegistration&) = delete;

private:
    uint64_t m_dev = 0;
    uint64_t m_ino = 0;
};

}  // namespace platform
