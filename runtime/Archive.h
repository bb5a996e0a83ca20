// The embedded-file archive: a header, one record per file, each file's data in zlib
// chunks of at most 16384 inflated bytes closed by a check value. `TBackupFile` restores
// archives as the player does; `ArchiveWriter` writes them for the toolkit and the tests.
//
// Restores never write outside their target folder: stored names with ".." parts, roots
// or drive prefixes are refused, and symbolic links found in the target folder are never
// followed.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace runtime {

class ArchiveInput;

enum class TBackupMode { bmAll, bmIncremental };
enum class TCompressionLevel { clFastest, clNone, clDefault, clMax };
enum class TRestoreMode { rmAll, rmNoOverwrite, rmNewer, rmExisting, rmExistingNewer };

// Error codes of a restore, with their texts.
enum ArchiveErrorCode : int {
    kArchiveCannotReadFile = 1,
    kArchiveOverwriteFailed = 2,
    kArchiveCannotRead = 3,
    kArchiveCannotWrite = 4,
    kArchiveInvalidType = 5,
    kArchiveCompressionError = 6,
    kArchiveCannotCreateTempFile = 7,
};
const char* archiveErrorText(int code);

inline constexpr size_t kArchiveChunkSize = 16384;

// The check value over the chunks of one file: a running value of 0 starts a standard
// CRC-32 of the chunk; any other value continues the table update with no inversions.
uint32_t archiveCheckValue(uint32_t running, const void* data, size_t size);

// DOS date and time (date in the high word) from and to local time.
uint32_t dosDateTime(std::time_t t);
std::time_t timeFromDosDateTime(uint32_t dos);

class TBackupFile {
public:
    using ProgressEvent = std::function<void(TBackupFile& sender, const std::string& fileName, int percent,
                                             bool& continueRestore)>;
    using NeedDiskEvent = std::function<void(TBackupFile& sender, uint16_t diskId, bool& continueRestore)>;
    using RestoreFileEvent =
        std::function<void(TBackupFile& sender, std::string& fileName, int fileDate, bool& doRestore)>;
    // Called after a file's data is written, before its date is set and it is closed; `fd`
    // is the open file.
    using FileRestoredEvent = std::function<void(TBackupFile& sender, std::string& fileName, int fd)>;
    using ErrorEvent = std::function<void(TBackupFile& sender, int error, const std::string& errorText)>;
    using CrcErrorEvent = std::function<void(TBackupFile& sender, int32_t storedCrc, int32_t currentCrc,
                                             const std::string& fileName)>;

    std::string version() const { return "5.00"; }
    std::string backupTitle() const { return m_backupTitle; }
    void setBackupTitle(std::string title) { m_backupTitle = std::move(title); }
    TBackupMode backupMode() const { return m_backupMode; }
    void setBackupMode(TBackupMode mode);
    TCompressionLevel compressionLevel() const { return m_compressionLevel; }
    void setCompressionLevel(TCompressionLevel level) { m_compressionLevel = level; }
    TRestoreMode restoreMode() const { return m_restoreMode; }
    void setRestoreMode(TRestoreMode mode) { m_restoreMode = mode; }
    int maxSize() const { return m_maxSize; }
    void setMaxSize(int size) { m_maxSize = size; }
    bool setArchiveFlag() const { return m_setArchiveFlag; }
    void setSetArchiveFlag(bool on) { m_setArchiveFlag = on; }
    bool restoreFullPath() const { return m_restoreFullPath; }
    void setRestoreFullPath(bool on) { m_restoreFullPath = on; }
    bool saveFileID() const { return m_saveFileID; }
    void setSaveFileID(bool on) { m_saveFileID = on; }

    ProgressEvent OnProgress;
    NeedDiskEvent OnNeedDisk;
    RestoreFileEvent OnRestoreFile;
    FileRestoredEvent OnFileRestored;
    ErrorEvent OnError;
    CrcErrorEvent OnCRCError;

    // Restores the archive at the input's position into `targetFolder` (a Windows or
    // native path) and leaves the input after the archive's end mark. False when a file
    // failed, the restore was stopped, or the archive could not be read.
    bool RestoreFromStream(ArchiveInput& input, std::string_view targetFolder);
    // The same from an archive file, following "NEXT:DISK" records into its volumes.
    bool Restore(std::string_view archiveFile, std::string_view targetFolder);

    // What the last restore did.
    int errorCode() const { return m_errorCode; }
    int filesRestored() const { return m_filesRestored; }

private:
    struct Run;
    bool restore(ArchiveInput& input, std::string_view targetFolder, std::string_view volumeFile);
    void restoreRecords(Run& run);
    void writeBlock(Run& run, int fd, const std::string& target);
    void skipBlock(Run& run);
    bool nextVolume(Run& run, const std::string& name);
    void reportProgress(const std::string& fileName, int percent);
    void reportError();

    std::string m_backupTitle;
    TBackupMode m_backupMode = TBackupMode::bmAll;
    TCompressionLevel m_compressionLevel = TCompressionLevel::clFastest;
    TRestoreMode m_restoreMode = TRestoreMode::rmAll;
    int m_maxSize = 0;
    bool m_setArchiveFlag = false;
    bool m_restoreFullPath = false;
    bool m_saveFileID = false;

    int m_errorCode = 0;
    int m_filesRestored = 0;
    bool m_continue = true;
};

// What an archive holds, read without writing anything.
struct ArchiveEntry {
    std::string name;  // as stored
    uint32_t dosDate = 0;
    uint64_t size = 0;      // inflated bytes
    bool fileList = false;  // the "FILE:LIST" record
    bool nextDisk = false;  // a "NEXT:DISK" record: the archive goes on in another volume
    bool checkValueOk = true;
};

struct ArchiveListing {
    std::string title;
    int32_t totalSize = 0;
    int32_t fileCount = 0;
    std::vector<ArchiveEntry> entries;
};

// Reads the archive at the input's position up to its end mark (or a "NEXT:DISK" record)
// and inflates every chunk to measure and check it. Throws base::ArchiveError on a
// malformed archive.
ArchiveListing listArchive(ArchiveInput& input);

// Builds an archive in memory: files cut into 16 KiB chunks, each deflated unless that
// does not pay, in which case it is stored.
class ArchiveWriter {
public:
    explicit ArchiveWriter(std::string title = "Embedded Files", int zlibLevel = 6);

    // `identity` 1 writes the two extra numbers after it (both 0).
    void addFile(std::string_view storedName, std::string_view contents, uint32_t dosDate,
                 int32_t identity = 2);
    void addFileList(std::string_view contents, uint32_t dosDate);
    // A record that continues the archive in the next volume ("NEXT:DISK" + 3 digits).
    void addNextDisk(int disk);
    // Records written as given (tests of damaged archives).
    void addRawRecord(std::string_view bytes) { m_records += bytes; }

    std::string bytes() const;
    // One file data block: magic, chunks, end marker, check value.
    static std::string dataBlock(std::string_view contents, int zlibLevel);

private:
    std::string m_title;
    int m_level;
    int64_t m_totalSize = 0;
    int32_t m_count = 0;
    std::string m_records;
};

}  // namespace runtime
