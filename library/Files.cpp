#include "library/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <random>
#include <utility>

#include "base/Crc32.h"
#include "base/DateTime.h"
#include "base/Error.h"
#include "base/UniqueFd.h"
#include "classes/Streams.h"
#include "classes/TStrings.h"
#include "library/PeVersion.h"
#include "library/SystemMessages.h"
#include "platform/FileAttributes.h"
#include "platform/FindFiles.h"
#include "platform/LastError.h"
#include "platform/Paths.h"
#include "platform/RegionalSettings.h"
#include "platform/SystemInfo.h"

#ifndef VANTREL_VERSION
#define VANTREL_VERSION "0.0.0.0"
#endif

namespace fs = std::filesystem;

namespace library {
namespace {

constexpr std::string_view kDelimiters = "\\/:";
constexpr std::string_view kSeparators = "\\/";

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool doubleByteCodePage(int codePage) { return platform::isLeadByte(codePage, 0x81); }

// The last byte of `s` that is one of `delimiters` standing as a character of its own: in a
// double-byte code page the trail byte of a character may be 0x5C, and that is no backslash.
size_t lastDelimiter(std::string_view s, std::string_view delimiters) {
    const int codePage = platform::regionalSettings().codePage;
    if (!doubleByteCodePage(codePage)) return s.find_last_of(delimiters);
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < s.size(); ++i) {
        if (platform::isLeadByte(codePage, static_cast<unsigned char>(s[i])) && i + 1 < s.size()) {
            ++i;
        } else if (delimiters.find(s[i]) != std::string_view::npos) {
            found = i;
        }
    }
    return found;
}

bool endsWithSeparator(std::string_view s) {
    return !s.empty() && isSeparator(s.back()) && lastDelimiter(s, kSeparators) == s.size() - 1;
}

fs::path native(std::string_view windowsPath) { return platform::resolvePath(windowsPath); }

// What stat says about a Windows path: 0 missing, 1 file, 2 folder.
int probe(std::string_view name) {
    fs::path p = native(name);
    struct stat st;
    if (p.empty() || ::stat(p.c_str(), &st) != 0) return 0;
    return S_ISDIR(st.st_mode) ? 2 : 1;
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::string openError(const char* what, std::string_view name, int err) {
    return std::string(what) + " \"" + std::string(name) + "\". " + std::strerror(err);
}

double toLocalDateTime(const timespec& t) {
    std::tm tm{};
    time_t sec = t.tv_sec;
    if (!::localtime_r(&sec, &tm)) return 0;
    // Whole milliseconds, as the system's date-time conversions give them.
    const double ms = std::floor(static_cast<double>(t.tv_nsec) / 1e6);
    return base::kUnixDateDelta + (static_cast<double>(sec + tm.tm_gmtoff) + ms / 1000.0) / 86400.0;
}

bool fromLocalDateTime(double dateTime, timespec& out) {
    if (!std::isfinite(dateTime) || dateTime < -693593 || dateTime > 2958466) return false;
    int year, month, day, hour, minute, second, msec;
    base::decodeDate(dateTime, year, month, day);
    base::decodeTime(dateTime, hour, minute, second, msec);
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    errno = 0;
    time_t t = std::mktime(&tm);
    if (t == -1 && errno != 0) return false;
    out.tv_sec = t;
    out.tv_nsec = static_cast<long>(msec) * 1000000L;
    return true;
}

void appendEntries(classes::TStrings& list, const std::vector<std::string>& names) {
    for (const std::string& n : names) list.add(n);
}

std::mt19937& randomGenerator() {
    static std::mt19937 gen(
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    return gen;
}

bool windowsPathExists(std::string_view windowsPath) {
    fs::path p = native(windowsPath);
    struct stat st;
    return !p.empty() && ::lstat(p.c_str(), &st) == 0;
}

void collectRecursive(const std::string& base, const std::string& folder, const std::string& pattern,
                      std::vector<std::string>& out) {
    for (const platform::FoundFile& f : platform::findFiles(base + folder + "*.*")) {
        // Linked folders are not followed: a link back up would never end.
        if (!f.isFolder || f.isLink || f.name == "." || f.name == "..") continue;
        collectRecursive(base, folder + f.name + "\\", pattern, out);
    }
    for (const platform::FoundFile& f : platform::findFiles(base + folder + pattern)) {
        if (!f.isFolder) out.push_back(folder + f.name);
    }
}

}  // namespace

// ---- existence ----

bool fileExists(std::string_view fileName) { return probe(fileName) == 1; }
bool newFileExists(std::string_view name) { return probe(removeBackslashUnlessRoot(name)) == 1; }
bool dirExists(std::string_view name) { return probe(removeBackslashUnlessRoot(name)) == 2; }
bool fileOrDirExists(std::string_view name) { return probe(removeBackslashUnlessRoot(name)) != 0; }

// ---- path strings ----

std::string extractFileDir(std::string_view f) {
    size_t i = lastDelimiter(f, kDelimiters);
    if (i == std::string_view::npos) return {};
    if (i > 0 && isSeparator(f[i]) && lastDelimiter(f.substr(0, i), kDelimiters) != i - 1) --i;
    return std::string(f.substr(0, i + 1));
}

std::string extractFileDrive(std::string_view f) {
    if (f.size() >= 2 && f[1] == ':') return std::string(f.substr(0, 2));
    if (f.size() >= 2 && isSeparator(f[0]) && isSeparator(f[1])) {
        // "\\server\share": up to the separator after the share name.
        size_t i = 2;
        int separators = 0;
        while (i + 1 < f.size() && separators < 2) {
            if (isSeparator(f[i])) ++separators;
            if (separators < 2) ++i;
        }
        if (i < f.size() && isSeparator(f[i])) --i;
        return std::string(f.substr(0, std::min(i + 1, f.size())));
    }
    return {};
}

std::string extractFileExt(std::string_view f) {
    size_t i = lastDelimiter(f, ".\\/:");
    if (i == std::string_view::npos || f[i] != '.') return {};
    return std::string(f.substr(i));
}

std::string extractFileName(std::string_view f) {
    size_t i = lastDelimiter(f, kDelimiters);
    return std::string(i == std::string_view::npos ? f : f.substr(i + 1));
}

std::string changeFileExt(std::string_view f, std::string_view extension) {
    size_t i = lastDelimiter(f, ".\\/:");
    if (i == std::string_view::npos || f[i] != '.') i = f.size();
    return std::string(f.substr(0, i)) + std::string(extension);
}

std::string addBackslash(std::string_view s) {
    std::string out(s);
    if (!out.empty() && !endsWithSeparator(out)) out.push_back('\\');
    return out;
}

std::string removeBackslash(std::string_view s) {
    if (endsWithSeparator(s)) s.remove_suffix(1);
    return std::string(s);
}

std::string removeBackslashUnlessRoot(std::string_view s) {
    if (s.size() >= 2 && endsWithSeparator(s) && s[s.size() - 2] != ':') s.remove_suffix(1);
    return std::string(s);
}

std::string extractDriveFromPath(std::string_view path) { return std::string(path.substr(0, 1)); }

char extractDriveLetter(std::string_view dir) { return dir.size() >= 2 && dir[1] == ':' ? dir[0] : '\0'; }

std::string extractPureFilename(std::string_view name) {
    size_t i = name.rfind('.');
    return std::string(i == std::string_view::npos ? name : name.substr(0, i));
}

std::string extractFileExtension(std::string_view name) {
    size_t i = name.rfind('.');
    return i == std::string_view::npos ? std::string() : std::string(name.substr(i + 1));
}

std::string getShortName(std::string_view longName) { return std::string(longName); }
std::string getWinDir() { return platform::windowsPath(platform::windowsFolder()); }
std::string getSystemDir() { return platform::windowsPath(platform::systemFolder()); }
std::string getTempDir() { return addBackslash(platform::windowsPath(platform::userTempFolder())); }

// ---- attributes ----

bool hasAttr(std::string_view fileName, uint16_t attr) {
    uint32_t attrs = platform::fileAttributes(native(fileName)).value_or(0);
    return (attrs & attr) == attr;
}

bool fileAttrib(std::string_view fileName, bool archive, bool hidden, bool readOnly, bool system) {
    uint32_t bits = 0;
    if (archive) bits |= platform::kAttrArchive;
    if (hidden) bits |= platform::kAttrHidden;
    if (readOnly) bits |= platform::kAttrReadOnly;
    if (system) bits |= platform::kAttrSystem;
    try {
        platform::setFileAttributes(native(fileName), bits);
        return true;
    } catch (const base::PlatformError&) {
        return false;
    }
}

// ---- listing ----

void listFiles(std::string_view path, std::string_view mask, classes::TStringList*& list, bool showPath) {
    if (!list) list = new classes::TStringList;
    const std::string prefix = addBackslash(path);
    for (const platform::FoundFile& f : platform::findFiles(prefix + std::string(mask))) {
        if (!f.isFolder) list->add(showPath ? prefix + f.name : f.name);
    }
}

std::unique_ptr<classes::TStringList> listFolders(std::string_view path, bool showPath) {
    auto list = std::make_unique<classes::TStringList>();
    // The path is used as given, so it should end in a backslash.
    for (const platform::FoundFile& f : platform::findFiles(std::string(path) + "*.*"))
        list->add(showPath ? std::string(path) + f.name : f.name);
    return list;
}

std::vector<std::string> filesRecursive(std::string_view path, std::string_view mask, bool showPath) {
    const std::string base = addBackslash(path);
    auto [folder, pattern] = platform::splitLastComponent(mask);
    std::vector<std::string> out;
    collectRecursive(base, folder, pattern, out);
    if (showPath) {
        for (std::string& s : out) s.insert(0, base);
    }
    return out;
}

std::unique_ptr<classes::TStringList> listFilesRecursive(std::string_view path, std::string_view mask,
                                                         bool showPath) {
    auto list = std::make_unique<classes::TStringList>();
    appendEntries(*list, filesRecursive(path, mask, showPath));
    return list;
}

bool dirIsEmpty(std::string_view path) { return filesRecursive(path, "*.*", false).empty(); }

int32_t getFileSize(std::string_view fileName) {
    for (const platform::FoundFile& f : platform::findFiles(fileName)) {
        if (!f.isFolder) return static_cast<int32_t>(std::min<uint64_t>(f.size, INT32_MAX));
    }
    return 0;
}

// ---- reading and writing ----

std::string readStringFromFile(std::string_view fileName) {
    fs::path p = native(fileName);
    base::UniqueFd in(p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return {};
    std::string bytes;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(in.get(), buf, sizeof buf);
        if (n < 0) return {};
        if (n == 0) break;
        bytes.append(buf, static_cast<size_t>(n));
    }
    // Lines end in CR LF, LF or a lone CR; each comes back followed by CR LF.
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 16);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string::npos) end = bytes.size();
        out.append(bytes, start, end - start).append("\r\n");
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') {
            ++start;
            if (start < bytes.size() && bytes[start] == '\n') ++start;
        } else if (start < bytes.size()) {
            ++start;
        }
    }
    return out;
}

bool saveStringToFile(std::string_view fileName, std::string_view s, bool append) {
    fs::path p = native(fileName);
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC);
    base::UniqueFd out(p.empty() ? -1 : ::open(p.c_str(), flags, 0666));
    if (out.get() < 0)
        throw base::ScriptError(openError("Cannot create file", fileName, p.empty() ? ENOENT : errno));
    std::string text(s);
    text += "\r\n";
    if (!writeAll(out.get(), text.data(), text.size()) || ::close(out.release()) != 0)
        throw base::ScriptError(openError("Cannot write to file", fileName, errno));
    return true;
}

void patchFile(std::string_view fileName, const std::vector<uint8_t>& data, int32_t offset, int32_t count) {
    if (offset < 0 || count < 0)
        throw base::ScriptError("PatchFile: the offset and the count must not be negative");
    fs::path p = native(fileName);
    base::UniqueFd out(p.empty() ? -1 : ::open(p.c_str(), O_WRONLY | O_CLOEXEC));
    if (out.get() < 0) return;
    size_t size = std::min(static_cast<size_t>(count), data.size());
    auto bytes = reinterpret_cast<const char*>(data.data());
    off_t at = offset;
    while (size > 0) {
        ssize_t n = ::pwrite(out.get(), bytes, size, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw base::ScriptError(openError("Cannot write to file", fileName, n < 0 ? errno : EIO));
        bytes += n;
        at += n;
        size -= static_cast<size_t>(n);
    }
}

uint32_t getFileCRC32Int(std::string_view fileName) {
    fs::path p = native(fileName);
    base::UniqueFd in(p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return 0;
    std::vector<char> buf(1 << 18);
    uint32_t state = 0xFFFFFFFFu;
    for (;;) {
        ssize_t n = ::read(in.get(), buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return 0;
        if (n == 0) break;
        state = base::crc32Update(state, buf.data(), static_cast<size_t>(n));
    }
    return ~state;
}

std::string getFileCRC32Hex(std::string_view fileName) {
    char text[16];
    std::snprintf(text, sizeof text, "%06X", getFileCRC32Int(fileName));
    return text;
}

bool fileIsOpen(std::string_view fileName) {
    return probe(fileName) == 1 && platform::fileInUse(native(fileName));
}

bool getFileDateTimeStamp(std::string_view fileName, TFileDateTimeStamp& stamp) {
    stamp = {};
    auto times = platform::fileTimes(native(fileName));
    if (!times) return false;
    stamp.Creation = toLocalDateTime(times->creation);
    stamp.LastAccess = toLocalDateTime(times->lastAccess);
    stamp.LastWrite = toLocalDateTime(times->lastWrite);
    return true;
}

bool setFileDateTimeStamp(std::string_view fileName, const TFileDateTimeStamp& stamp) {
    timespec access{}, write{};
    if (!fromLocalDateTime(stamp.LastAccess, access) || !fromLocalDateTime(stamp.LastWrite, write))
        return false;
    return platform::setFileTimes(native(fileName), access, write);
}

bool ntfsCompressFile(std::string_view fileName, bool forceCompress) {
    fs::path p = native(fileName);
    if (probe(fileName) == 0) return false;
    if (!forceCompress && !platform::isCompressed(p.parent_path()).value_or(false)) return true;
    auto compressed = platform::isCompressed(p);
    if (!compressed) return false;
    return *compressed || platform::setCompressed(p, true);
}

bool ntfsUncompressFile(std::string_view fileName) {
    fs::path p = native(fileName);
    if (probe(fileName) == 0) return false;
    auto compressed = platform::isCompressed(p);
    return !compressed.value_or(false) || platform::setCompressed(p, false);
}

std::string generateUniqueName(std::string_view path, std::string_view extension, uint32_t start,
                               bool (*exists)(std::string_view windowsPath)) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    constexpr uint32_t kMask = (1u << 25) - 1;
    const std::string folder = addBackslash(path);
    std::string candidate = folder + "zep-00000" + std::string(extension);
    const size_t digits = folder.size() + 4;
    start &= kMask;
    for (uint32_t n = (start + 1) & kMask; n != start; n = (n + 1) & kMask) {
        for (size_t i = 0; i < 5; ++i) candidate[digits + i] = kDigits[(n >> (20 - 5 * i)) & 31];
        if (!exists(candidate)) return candidate;
    }
    throw base::ScriptError("Unable to create a file in the directory \"" +
                            removeBackslashUnlessRoot(folder) + "\" because it contains too many files");
}

std::string generateUniqueName(std::string_view path, std::string_view extension) {
    uint32_t start = std::uniform_int_distribution<uint32_t>(0, (1u << 25) - 1)(randomGenerator());
    return generateUniqueName(path, extension, start, &windowsPathExists);
}

void saveStreamToTempFile(classes::TMemoryStream* stream, std::string_view fileName) {
    auto fail = [](int err) {
        // Creating a file cannot miss the file itself, only its folder ("path not found").
        const int code = err == ENOENT ? 3 : platform::systemErrorFromErrno(err);
        return base::ScriptError("Unable to create a temporary file. Running aborted.\r\n\r\nError " +
                                 std::to_string(code) + ": " + Win32ErrorString(code));
    };
    if (!stream) throw fail(EINVAL);
    fs::path p = native(fileName);
    base::UniqueFd out(p.empty() ? -1 : ::open(p.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0) throw fail(p.empty() ? ENOENT : errno);
    const std::string& bytes = stream->bytes();
    if (!writeAll(out.get(), bytes.data(), bytes.size()) || ::close(out.release()) != 0) throw fail(errno);
}

std::string readFileVersion(std::string_view fileName) {
    fs::path p = native(fileName);
    base::UniqueFd in(p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return "0.0.0.0";
    auto version = peFileVersionOfFile(in.get());
    return version ? version->text() : "0.0.0.0";
}

std::string getExeVersionString() {
    unsigned v[4] = {0, 0, 0, 0};
    std::sscanf(VANTREL_VERSION, "%u.%u.%u.%u", &v[0], &v[1], &v[2], &v[3]);
    char text[48];
    if (v[2] != 0 || v[3] != 0) {
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", v[0], v[1], v[2], v[3]);
    } else {
        std::snprintf(text, sizeof text, "%u.%u", v[0], v[1]);
    }
    return text;
}

// ---- folders ----

bool forceDirectories(std::string_view dir) {
    if (dir.empty()) return false;
    fs::path p = native(dir);
    if (p.empty()) return false;
    std::error_code ec;
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

bool removeDir(std::string_view dir) {
    fs::path p = native(dir);
    return !p.empty() && ::rmdir(p.c_str()) == 0;
}

}  // namespace library
