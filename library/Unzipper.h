// The ZIP extraction engine: reads an archive's central directory and extracts the entries
// whose names match a mask into a target folder, reporting each step to its host. Entries
// never leave the target folder, links inside it are never followed, and a file that
// already exists is replaced only once its new contents are complete.
//
// No dialogs here: the host's report and question procedures decide what the user sees.
// Thread: any one thread at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace library::zip {

// Result and error codes, with the texts errorText gives.
enum : int32_t {
    kCrcError = -1,
    kWriteError = -2,
    kReadError = -3,
    kZipFileError = -4,
    kUserAborted = -5,
    kMethodNotSupported = -6,
    kEncrypted = -7,
    kFileInUse = -8,
    kFormatError = -9,
    kNoMoreItems = -10,
    kAccessError = -11,
    kNotZip = -12,
    kZip64 = -13,
    kCannotOpen = -14,
    kSeriousError = -100,
    kMissingParameter = -500,
};
// The text of an error code; "" for codes without one.
const char* errorText(int32_t code);
// "copying", "inflating", ... by method number; "" above 9.
const char* methodText(int method);

// Report kinds, passed as the report's status.
enum : int32_t {
    kReportFatal = -100,
    kReportEntryBegins = -1000,
    kReportProgress = -1001,
    kReportExtracted = -1002,
    kReportFailed = -1003,
    kReportStart = -1004,
    kReportEnd = -1005,
};
constexpr uint16_t kMethodSkipped = 9;

struct Entry {
    std::string name;      // the stored name in the ANSI code page (masks, messages)
    std::string utf8Name;  // the same in UTF-8, for the file system
    uint32_t dosDateTime = 0;
    uint32_t crc = 0;
    uint64_t compressedSize = 0, size = 0, localOffset = 0;
    uint32_t externalAttributes = 0;
    uint16_t method = 0, flags = 0, madeBy = 0;
    bool zip64 = false;  // a size or the offset lives only in a Zip64 field
    bool isFolder() const { return !name.empty() && (name.back() == '/' || name.back() == '\\'); }
};

// An archive's central directory. Sizes and check values come from here, so entries
// written with a data descriptor need nothing from their local headers but the offset.
struct Directory {
    std::vector<Entry> entries;
    uint64_t totalSize() const;
};

// Reads the directory of the archive open on `fd`; returns 0 or kFormatError, kZip64.
int32_t readDirectory(int fd, Directory& out);

// What a report tells the host.
struct Report {
    std::string fileName;  // the entry's name; the archive's for the start and end reports
    uint32_t dosDateTime = 0;
    uint64_t size = 0, compressedSize = 0;  // end report: the totals of the extracted entries
    int32_t attributes = -1;
    uint16_t method = 0;
    uint8_t ratio = 0;  // percent saved by compression
};

// The engine's first check: a name with a "." and no ".exe", naming a file (not a folder)
// that begins with a local header signature.
bool looksLikeZip(const std::filesystem::path& file);

// "*.*" and "" match everything; otherwise "*" runs over any characters (separators too),
// "?" is any one character, the rest must be equal (case-sensitive).
bool maskMatches(std::string_view mask, std::string_view name);

class Unzipper {
public:
    std::filesystem::path archive;
    std::string archiveName;  // as reports show it
    std::filesystem::path target;
    std::string mask = "*.*";
    bool noRecurse = false;  // entries lose their folder parts

    // Every step: (status, number, record); number is the bytes written for progress
    // reports and the error code for failures.
    std::function<void(int32_t status, int64_t number, const Report&)> onReport;
    // The target of `entry` exists: true replaces it. Unset: replace.
    std::function<bool(const Entry& entry, const std::filesystem::path& existing)> onReplace;
    // Polled after each report.
    std::function<bool()> cancelled;

    // The number of extracted entries, or a negative error code when the whole run failed.
    int64_t extract();

private:
    struct Run;
    int32_t extractEntry(Run& run, const Entry& e, int dir, const std::string& leaf);
};

}  // namespace library::zip
