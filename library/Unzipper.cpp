#include "library/Unzipper.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <utility>

#include "base/CodePage.h"
#include "base/Crc32.h"
#include "base/LittleEndian.h"
#include "base/UniqueFd.h"
#include "library/ZipMethods.h"

namespace fs = std::filesystem;

namespace library::zip {

namespace {

constexpr uint32_t kLocalSignature = 0x04034b50;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kEndSignature = 0x06054b50;
constexpr uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kProgressStep = 32 * 1024;

// Reads exactly `size` bytes at `offset`; false on a short read.
bool readAt(int fd, uint64_t offset, void* buffer, size_t size) {
    auto* p = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
        offset += static_cast<uint64_t>(n);
    }
    return true;
}

// Names are UTF-8 when flag bit 11 says so, else code page 437.
void decodeName(std::string_view stored, uint16_t flags, Entry& e) {
    if ((flags & 0x800) && base::firstInvalidUtf8(stored) == std::string_view::npos) {
        e.utf8Name = std::string(stored);
    } else {
        static const base::CodePage oem(437);
        e.utf8Name = oem.toUtf8(stored);
    }
    e.name = base::CodePage::active().fromUtf8(e.utf8Name);
}

// The end record's offset, searched backwards over the largest comment it may carry.
std::optional<uint64_t> findEnd(int fd, uint64_t fileSize, std::vector<unsigned char>& tail) {
    if (fileSize < kEndSize) return std::nullopt;
    const uint64_t span = std::min<uint64_t>(fileSize, kEndSize + 0xFFFF);
    tail.resize(static_cast<size_t>(span));
    if (!readAt(fd, fileSize - span, tail.data(), tail.size())) return std::nullopt;
    for (size_t i = tail.size() - kEndSize + 1; i-- > 0;)
        if (base::readLE32(&tail[i]) == kEndSignature) return fileSize - span + i;
    return std::nullopt;
}

// One central record at `p` (with `left` bytes); its size, or 0 when it is malformed.
size_t parseCentral(const unsigned char* p, size_t left, Entry& e) {
    if (left < kCentralSize || base::readLE32(p) != kCentralSignature) return 0;
    e.madeBy = base::readLE16(p + 4);
    e.flags = base::readLE16(p + 8);
    e.method = base::readLE16(p + 10);
    e.dosDateTime = base::readLE32(p + 12);
    e.crc = base::readLE32(p + 16);
    e.compressedSize = base::readLE32(p + 20);
    e.size = base::readLE32(p + 24);
    const size_t nameLength = base::readLE16(p + 28);
    const size_t extraLength = base::readLE16(p + 30);
    const size_t commentLength = base::readLE16(p + 32);
    e.externalAttributes = base::readLE32(p + 38);
    e.localOffset = base::readLE32(p + 42);
    const size_t total = kCentralSize + nameLength + extraLength + commentLength;
    if (total > left) return 0;
    decodeName(std::string_view(reinterpret_cast<const char*>(p + kCentralSize), nameLength), e.flags, e);
    e.zip64 = e.compressedSize == 0xFFFFFFFFu || e.size == 0xFFFFFFFFu || e.localOffset == 0xFFFFFFFFu;
    return total;
}

const char* const kErrorTexts[] = {"CRC Error.",
                                   "Write Error.",
                                   "Read Error.",
                                   "Zip File Error.",
                                   "User aborted.",
                                   "Method not supported.",
                                   "Zip is encrypted.",
                                   "The file is in use",
                                   "Error in zip format.",
                                   "No more items.",
                                   "Error Accessing file.",
                                   "not a zip file.",
                                   "can't handle such a big ZIP header.",
                                   "can't open zip file."};

}  // namespace

const char* errorText(int32_t code) {
    if (code <= -1 && code >= -14) return kErrorTexts[-code - 1];
    if (code == kSeriousError) return "serious error.";
    if (code == kMissingParameter) return "missing parameter.";
    return "";
}

const char* methodText(int method) {
    static const char* const kTexts[] = {"copying",      "unshrinking",  "unreducing 1", "unreducing 2",
                                         "unreducing 3", "unreducing 4", "exploding",    "un-tokenizing",
                                         "inflating",    "skipping"};
    return method >= 0 && method <= 9 ? kTexts[method] : "";
}

uint64_t Directory::totalSize() const {
    uint64_t total = 0;
    for (const Entry& e : entries) total += e.size;
    return total;
}

int32_t readDirectory(int fd, Directory& out) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return kFormatError;
    const auto fileSize = static_cast<uint64_t>(st.st_size);
    std::vector<unsigned char> tail;
    const std::optional<uint64_t> end = findEnd(fd, fileSize, tail);
    if (!end) return kFormatError;
    unsigned char rec[kEndSize];
    if (!readAt(fd, *end, rec, sizeof rec)) return kFormatError;
    unsigned char locator[4];
    if (*end >= 20 && readAt(fd, *end - 20, locator, 4) && base::readLE32(locator) == kZip64LocatorSignature)
        return kZip64;
    const uint16_t disk = base::readLE16(rec + 4), directoryDisk = base::readLE16(rec + 6);
    const uint16_t count = base::readLE16(rec + 10);
    const uint32_t dirSize = base::readLE32(rec + 12), dirOffset = base::readLE32(rec + 16);
    if (count == 0xFFFF || dirSize == 0xFFFFFFFFu || dirOffset == 0xFFFFFFFFu) return kZip64;
    if (disk != 0 || directoryDisk != 0) return kFormatError;
    if (uint64_t{dirOffset} + dirSize > *end) return kFormatError;
    std::vector<unsigned char> dir(dirSize);
    if (!readAt(fd, dirOffset, dir.data(), dir.size())) return kFormatError;
    out.entries.clear();
    out.entries.reserve(count);
    size_t pos = 0;
    for (uint32_t i = 0; i < count; ++i) {
        Entry e;
        const size_t n = parseCentral(dir.data() + pos, dir.size() - pos, e);
        if (n == 0) return kFormatError;
        pos += n;
        out.entries.push_back(std::move(e));
    }
    return 0;
}

bool looksLikeZip(const fs::path& file) {
    const std::string name = file.filename().string();
    if (name.find('.') == std::string::npos || name.find(".exe") != std::string::npos) return false;
    base::UniqueFd fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    unsigned char sig[4];
    return readAt(fd.get(), 0, sig, 4) && base::readLE32(sig) == kLocalSignature;
}

bool maskMatches(std::string_view mask, std::string_view name) {
    if (mask.empty() || mask == "*.*") return true;
    // Iterative matching with one backtrack point: the last star seen.
    size_t m = 0, n = 0, starM = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || mask[m] == name[n])) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string_view::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

namespace {

// The folders and file a stored name places under the target; false for a name that would
// leave it (a "..", an absolute path, a drive prefix) or carries a NUL.
bool safeParts(std::string_view name, std::vector<std::string>& parts) {
    parts.clear();
    if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
    if (name.find('\0') != std::string_view::npos) return false;
    size_t pos = 0;
    while (pos <= name.size()) {
        size_t next = name.find_first_of("\\/", pos);
        if (next == std::string_view::npos) next = name.size();
        const std::string_view part = name.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.find(':') != std::string_view::npos) return false;
        parts.emplace_back(part);
    }
    return !parts.empty();
}

// The folders of one extraction, opened without following links and kept open by their
// path under the target: archives name the same folders entry after entry, and walking
// each path from the target again would cost a few system calls per component per entry.
class FolderWalk {
public:
    explicit FolderWalk(int base) : m_base(base) {}

    // The folder holding the first `count` of `parts` (creating missing ones when asked),
    // owned by the walk; -1 when it cannot be opened.
    int open(const std::vector<std::string>& parts, size_t count, bool create) {
        int dir = m_base;
        std::string key;
        for (size_t i = 0; i < count && dir >= 0; ++i) {
            key += parts[i];
            key += '/';
            if (auto known = m_open.find(key); known != m_open.end()) {
                dir = known->second.get();
                continue;
            }
            if (create) ::mkdirat(dir, parts[i].c_str(), 0755);
            base::UniqueFd next(
                ::openat(dir, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (next.get() < 0) return -1;
            // Bounded so that an archive of many folders never runs out of descriptors; only
            // the folder just opened is needed from here on.
            if (m_open.size() >= kMaxOpen) m_open.clear();
            dir = next.get();
            m_open.emplace(key, std::move(next));
        }
        return dir;
    }

private:
    static constexpr size_t kMaxOpen = 256;
    int m_base;
    std::unordered_map<std::string, base::UniqueFd> m_open;
};

// Permissions for the new file: the Unix mode when a Unix system wrote the entry, else the
// read-only attribute.
mode_t modeOf(const Entry& e) {
    const mode_t unixMode = (e.externalAttributes >> 16) & 07777;
    if ((e.madeBy >> 8) == 3 && S_ISREG((e.externalAttributes >> 16) & S_IFMT)) return unixMode & 0777;
    return (e.externalAttributes & 1) ? 0444 : 0644;
}

uint8_t ratioOf(uint64_t size, uint64_t compressed) {
    if (size == 0 || compressed >= size) return 0;
    return static_cast<uint8_t>(100 - compressed * 100 / size);
}

// Thrown through a decoder by the output when the user cancels.
struct Cancelled {};
struct WriteFailed {};

}  // namespace

struct Unzipper::Run {
    int archive = -1;
    uint64_t archiveSize = 0;
    int64_t extracted = 0;
    Report totals;
};

int64_t Unzipper::extract() {
    if (archive.empty() || target.empty()) return kMissingParameter;
    if (!looksLikeZip(archive)) return kNotZip;
    base::UniqueFd fd(::open(archive.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return kCannotOpen;
    Directory directory;
    if (const int32_t rc = readDirectory(fd.get(), directory); rc != 0) return rc;
    struct stat st {};
    ::fstat(fd.get(), &st);
    Run run{fd.get(), static_cast<uint64_t>(st.st_size), 0, {}};

    auto report = [this](int32_t status, int64_t number, const Report& r) {
        if (onReport) onReport(status, number, r);
    };
    auto stop = [this] { return cancelled && cancelled(); };
    run.totals.fileName = archiveName;
    report(kReportStart, 0, run.totals);
    if (stop()) return kUserAborted;

    std::error_code ec;
    fs::create_directories(target, ec);
    base::UniqueFd base(::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    FolderWalk folders(base.get());
    for (const Entry& e : directory.entries) {
        if (!maskMatches(mask, e.name)) continue;
        Report r{e.name,
                 e.dosDateTime,
                 e.size,
                 e.compressedSize,
                 static_cast<int32_t>(e.externalAttributes),
                 e.method,
                 ratioOf(e.size, e.compressedSize)};
        report(kReportEntryBegins, 0, r);
        if (stop()) return kUserAborted;

        std::vector<std::string> parts;
        const bool safe = base.get() >= 0 && safeParts(e.utf8Name, parts);
        if (safe && noRecurse) parts.erase(parts.begin(), parts.end() - 1);
        int dir = safe ? folders.open(parts, parts.size() - 1, false) : -1;
        struct stat existing {};
        if (dir >= 0 && !e.isFolder() && onReplace &&
            ::fstatat(dir, parts.back().c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
            !onReplace(e, target / e.utf8Name)) {
            r.method = kMethodSkipped;
            report(kReportProgress, 0, r);
            continue;
        }
        int32_t rc = kWriteError;
        if (safe) {
            dir = folders.open(parts, e.isFolder() ? parts.size() : parts.size() - 1, true);
            if (e.isFolder())
                rc = dir >= 0 ? 0 : kWriteError;
            else if (dir >= 0)
                rc = extractEntry(run, e, dir, parts.back());
        }
        if (rc == kUserAborted) return rc;
        if (rc == kCrcError || rc == kWriteError || rc == kMethodNotSupported || rc == kEncrypted) {
            report(kReportFailed, rc, r);
            if (stop()) return kUserAborted;
            continue;
        }
        if (rc == kNoMoreItems || rc == kNotZip || rc == kZip64) continue;
        if (rc != 0) {
            report(kReportFatal, rc, r);
            return rc;
        }
        ++run.extracted;
        run.totals.size += e.size;
        run.totals.compressedSize += e.compressedSize;
        report(kReportExtracted, 0, r);
        if (stop()) return kUserAborted;
    }
    run.totals.attributes = -1;
    report(kReportEnd, run.extracted, run.totals);
    return run.extracted;
}

int32_t Unzipper::extractEntry(Run& run, const Entry& e, int dir, const std::string& leaf) {
    unsigned char local[kLocalSize];
    if (e.localOffset >= run.archiveSize) return kReadError;
    if (!readAt(run.archive, e.localOffset, local, sizeof local)) return kZipFileError;
    if (base::readLE32(local) != kLocalSignature) return kZipFileError;
    if (e.method != 0 && e.method != 1 && e.method != 6 && e.method != 8) return kMethodNotSupported;
    if (e.flags & 1) return kEncrypted;
    if (e.zip64) return kZip64;
    uint64_t offset = e.localOffset + kLocalSize + base::readLE16(local + 26) + base::readLE16(local + 28);
    const uint64_t dataEnd = std::min(run.archiveSize, offset + e.compressedSize);

    // The new contents go to a hidden name beside the target and replace it only when whole.
    static thread_local std::mt19937 random{std::random_device{}()};
    std::string temp;
    base::UniqueFd out;
    for (int attempt = 0; attempt < 16 && out.get() < 0; ++attempt) {
        temp = ".~" + std::to_string(random() % 1000000u) + ".unzip";
        out.reset(::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.get() < 0 && errno != EEXIST) break;
    }
    if (out.get() < 0) return kWriteError;

    const ReadFn in = [&](uint8_t* buffer, size_t capacity) -> size_t {
        const size_t n =
            static_cast<size_t>(std::min<uint64_t>(capacity, dataEnd - std::min(offset, dataEnd)));
        if (n == 0 || !readAt(run.archive, offset, buffer, n)) return 0;
        offset += n;
        return n;
    };
    uint32_t crc = 0xFFFFFFFFu;
    const WriteFn write = [&](const uint8_t* data, size_t size) {
        while (size > 0) {
            const size_t piece = std::min(size, kProgressStep);
            for (size_t done = 0; done < piece;) {
                const ssize_t n = ::write(out.get(), data + done, piece - done);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) throw WriteFailed{};
                done += static_cast<size_t>(n);
            }
            crc = base::crc32Update(crc, data, piece);
            data += piece;
            size -= piece;
            if (onReport) onReport(kReportProgress, static_cast<int64_t>(piece), Report{e.name});
            if (cancelled && cancelled()) throw Cancelled{};
        }
    };
    int32_t rc = 0;
    try {
        Decoded d = Decoded::Corrupt;
        switch (e.method) {
        case 0: d = copyStored(in, write, e.size); break;
        case 1: d = unshrink(in, write, e.size); break;
        case 6: d = explode(in, write, e.size, e.flags); break;
        default: d = inflateRaw(in, write, e.size); break;
        }
        if (d != Decoded::Ok || ~crc != e.crc) rc = kCrcError;
    } catch (const Cancelled&) {
        rc = kUserAborted;
    } catch (const WriteFailed&) {
        rc = kWriteError;
    }
    if (rc == 0 && ::fchmod(out.get(), modeOf(e)) != 0) rc = kWriteError;
    if (rc == 0 && ::close(out.release()) != 0) rc = kWriteError;
    if (rc == 0 && ::renameat(dir, temp.c_str(), dir, leaf.c_str()) != 0) rc = kWriteError;
    if (rc != 0) ::unlinkat(dir, temp.c_str(), 0);
    return rc;
}

}  // namespace library::zip
