// Files for scripts: existence tests, path strings, listings, reading and writing, attributes,
// time stamps, compression, unique names and version numbers. Paths are Windows paths in
// the ANSI code page, resolved through the drive table (both separators, names found
// whatever their case); paths handed back are in the same form. None of these expands
// placeholders: the script bindings apply the expansion each routine calls for.
//
// Failures give the neutral result (False, 0, empty text) unless a function says it throws;
// those throw base::ScriptError with the text the script sees.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace classes {
class TStringList;
class TMemoryStream;
}  // namespace classes

namespace library {

// The three times of a file as local date-times (days since 30 December 1899).
struct TFileDateTimeStamp {
    double Creation = 0;
    double LastAccess = 0;
    double LastWrite = 0;
};

// Existence.
bool fileExists(std::string_view fileName);
bool newFileExists(std::string_view name);
bool dirExists(std::string_view name);
bool fileOrDirExists(std::string_view name);

// Path strings: "\", "/" and ":" delimit, as drive letters and both separators do in paths.
std::string extractFileDir(std::string_view fileName);
std::string extractFileDrive(std::string_view fileName);
std::string extractFileExt(std::string_view fileName);
std::string extractFileName(std::string_view fileName);
std::string changeFileExt(std::string_view fileName, std::string_view extension);
std::string addBackslash(std::string_view s);
std::string removeBackslash(std::string_view s);
std::string removeBackslashUnlessRoot(std::string_view s);
std::string extractDriveFromPath(std::string_view path);
char extractDriveLetter(std::string_view dir);
// Before and after the last "."; a name without one is all name and no extension.
std::string extractPureFilename(std::string_view name);
std::string extractFileExtension(std::string_view name);
// There are no 8.3 names here: the long name itself.
std::string getShortName(std::string_view longName);
std::string getWinDir();
std::string getSystemDir();
std::string getTempDir();

// Attributes (values of platform::FileAttribute).
bool hasAttr(std::string_view fileName, uint16_t attr);
bool fileAttrib(std::string_view fileName, bool archive, bool hidden, bool readOnly, bool system);

// Listing: results are sorted, as directory order is arbitrary.
void listFiles(std::string_view path, std::string_view mask, classes::TStringList*& list, bool showPath);
std::unique_ptr<classes::TStringList> listFolders(std::string_view path, bool showPath);
// The files matching `mask` under `path`, deepest folders first, each folder's own files
// after those of its sub-folders.
std::vector<std::string> filesRecursive(std::string_view path, std::string_view mask, bool showPath);
std::unique_ptr<classes::TStringList> listFilesRecursive(std::string_view path, std::string_view mask,
                                                         bool showPath);
bool dirIsEmpty(std::string_view path);
// Saturates at 2147483647 for larger files.
int32_t getFileSize(std::string_view fileName);

// Reading and writing.
std::string readStringFromFile(std::string_view fileName);
// Throws on an I/O failure.
bool saveStringToFile(std::string_view fileName, std::string_view s, bool append);
// Writes the first `count` bytes of `data` (no more than it has) at `offset` of an existing
// file. Throws for a negative offset or count and when positioning or writing fails; a file
// that cannot be opened is left alone.
void patchFile(std::string_view fileName, const std::vector<uint8_t>& data, int32_t offset, int32_t count);
uint32_t getFileCRC32Int(std::string_view fileName);
std::string getFileCRC32Hex(std::string_view fileName);
bool fileIsOpen(std::string_view fileName);
bool getFileDateTimeStamp(std::string_view fileName, TFileDateTimeStamp& stamp);
// The creation time cannot be set here; the other two are.
bool setFileDateTimeStamp(std::string_view fileName, const TFileDateTimeStamp& stamp);
bool ntfsCompressFile(std::string_view fileName, bool forceCompress);
bool ntfsUncompressFile(std::string_view fileName);

// A name in `path` that no file or folder has yet: "zep-" + five base-32 digits + extension.
// Throws when all 33,554,432 are taken (the message names the folder, unexpanded).
std::string generateUniqueName(std::string_view path, std::string_view extension);
// The same over a chosen start number and existence test (tests).
std::string generateUniqueName(std::string_view path, std::string_view extension, uint32_t start,
                               bool (*exists)(std::string_view windowsPath));

// Throws with "Unable to create a temporary file. Running aborted." and the system's reason.
void saveStreamToTempFile(classes::TMemoryStream* stream, std::string_view fileName);
std::string readFileVersion(std::string_view fileName);
std::string getExeVersionString();

// Folders.
bool forceDirectories(std::string_view dir);
bool removeDir(std::string_view dir);

}  // namespace library
