#include "runtime/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "base/CodePage.h"
#include "base/Crc32.h"
#include "base/Error.h"
#include "base/LittleEndian.h"
#include "base/UniqueFd.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "runtime/ArchiveInput.h"
#include "runtime/FolderIndex.h"
#include "runtime/WriteGate.h"

namespace fs = std::filesystem;

namespace runtime {
namespace {

constexpr char kMagic[4] = {'A', 'D', 'V', '\0'};
constexpr size_t kCopyPiece = 64 * 1024;

// Accumulates one chunk, possibly fed in pieces, under the chunk-by-chunk rule.
class ChunkCrc {
public:
    explicit ChunkCrc(uint32_t running)
        : m_standard(running == 0), m_state(m_standard ? 0xFFFFFFFFu : running) {}
    void add(const void* data, size_t size) { m_state = base::crc32Update(m_state, data, size); }
    uint32_t result() const { return m_standard ? ~m_state : m_state; }

private:
    bool m_standard;
    uint32_t m_state;
};

std::string utf8(std::string_view ansi) { return base::CodePage::active().toUtf8(ansi); }

// A restored file's place: a folder we trust, then components walked without following
// symbolic links.
struct Target {
    std::string display;             // the target path as events and messages show it
    fs::path base;                   // native folder the components hang below
    std::vector<std::string> parts;  // UTF-8 components; the last is the file
    bool refused = false;            // a stored name that would leave the target folder
};

// Opens the folder holding the target's file; creates missing folders when asked.
base::UniqueFd openParent(const Target& t, bool create, FolderIndex& index) {
    std::optional<WriteGate::Hold> gate;
    if (create) gate.emplace();
    std::error_code ec;
    if (create) fs::create_directories(t.base, ec);
    base::UniqueFd dir(::open(t.base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    for (size_t i = 0; dir.get() >= 0 && i + 1 < t.parts.size(); ++i) {
        std::string name = index.entryName(dir.get(), t.parts[i]);
        if (create && ::mkdirat(dir.get(), name.c_str(), 0755) == 0) index.added(dir.get(), name);
        dir.reset(::openat(dir.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    }
    return dir;
}

// The folder the last file went into, kept open: the next file usually goes there too,
// and opening it again by its path for every file costs as much as writing a small file.
struct ParentCache {
    fs::path base;
    std::vector<std::string> dirs;
    base::UniqueFd fd;
    FolderIndex::Folder* names = nullptr;
};

// The folder holding the target's file (owned by the cache), or -1.
int cachedParent(ParentCache& cache, FolderIndex& index, const Target& t, bool create) {
    std::vector<std::string> dirs(t.parts.begin(), t.parts.end() - (t.parts.empty() ? 0 : 1));
    if (cache.fd.get() >= 0 && cache.base == t.base && cache.dirs == dirs) return cache.fd.get();
    base::UniqueFd fd = openParent(t, create, index);
    if (fd.get() < 0) return -1;
    FolderIndex::Folder* names = index.folder(fd.get());
    cache = {t.base, std::move(dirs), std::move(fd), names};
    return cache.fd.get();
}

// Creates (or truncates) the file `leaf` in `parent`. A symbolic link planted there is
// replaced, never followed.
base::UniqueFd createFile(int parent, const std::string& leaf, FolderIndex& index,
                          FolderIndex::Folder* names) {
    WriteGate::Hold gate;
    constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC;
    base::UniqueFd file(::openat(parent, leaf.c_str(), kFlags, 0644));
    if (file.get() < 0 && errno == ELOOP) {
        ::unlinkat(parent, leaf.c_str(), 0);
        file.reset(::openat(parent, leaf.c_str(), kFlags, 0644));
    }
    if (file.get() >= 0) index.added(names, leaf);
    return file;
}

// Splits on both separators; nullopt when a part would climb out or name a drive.
bool safeParts(std::string_view relative, std::vector<std::string>& parts) {
    if (relative.empty() || relative.front() == '\\' || relative.front() == '/') return false;
    size_t pos = 0;
    while (pos <= relative.size()) {
        size_t next = relative.find_first_of("\\/", pos);
        if (next == std::string_view::npos) next = relative.size();
        std::string_view part = relative.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty() || part == ".") continue;
        if (part == ".." || part.find(':') != std::string_view::npos) return false;
        parts.push_back(utf8(part));
    }
    return !parts.empty();
}

std::string fileNamePart(std::string_view name) {
    size_t cut = name.find_last_of("\\/:");
    return std::string(cut == std::string_view::npos ? name : name.substr(cut + 1));
}

void writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw base::ArchiveError("Cannot read file", kArchiveCannotReadFile);
        data += n;
        size -= static_cast<size_t>(n);
    }
}

// Inflates chunks, each one complete zlib stream, into a 16384-byte buffer. One inflate
// state serves every chunk of a restore: resetting it costs far less than setting up a
// new one per chunk.
class ChunkInflater {
public:
    ChunkInflater() : m_out(kArchiveChunkSize) { m_ready = inflateInit(&m_z) == Z_OK; }
    ~ChunkInflater() {
        if (m_ready) inflateEnd(&m_z);
    }
    ChunkInflater(const ChunkInflater&) = delete;
    ChunkInflater& operator=(const ChunkInflater&) = delete;

    const char* output() const { return m_out.data(); }

    // The number of bytes produced, or -1 when the chunk does not inflate.
    int64_t inflateChunk(const char* data, size_t size) {
        if (!m_ready || inflateReset(&m_z) != Z_OK) return -1;
        m_z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        m_z.avail_in = static_cast<uInt>(size);
        m_z.next_out = reinterpret_cast<Bytef*>(m_out.data());
        m_z.avail_out = static_cast<uInt>(m_out.size());
        int ret = inflate(&m_z, Z_FINISH);
        // Z_BUF_ERROR with a full buffer means more than one chunk's worth: the rest is
        // cut, as the format allows no more. With room left, the stream was cut short.
        bool ok = ret == Z_STREAM_END || (ret == Z_BUF_ERROR && m_z.avail_out == 0) ||
                  (ret == Z_OK && m_z.avail_out == 0);
        return ok ? static_cast<int64_t>(m_out.size() - m_z.avail_out) : -1;
    }

private:
    z_stream m_z{};
    bool m_ready = false;
    std::vector<char> m_out;
};

// Gathers a file's chunks into large writes: a 16 KiB write per chunk costs a system
// call each. Whatever is gathered is written before the writer goes, also on errors. The
// buffer outlives the writer, so a restore of many small files allocates it once.
class GatheringWriter {
public:
    static constexpr size_t kCapacity = 256 * 1024;

    GatheringWriter(int fd, std::vector<char>& buffer) : m_fd(fd), m_buffer(buffer) {
        m_buffer.clear();
        m_buffer.reserve(kCapacity);
    }
    ~GatheringWriter() {
        try {
            flush();
        } catch (const base::Error&) {
            // The restore already reports the failure that unwinds it.
        }
    }
    GatheringWriter(const GatheringWriter&) = delete;
    GatheringWriter& operator=(const GatheringWriter&) = delete;

    void write(const char* data, size_t size) {
        if (m_buffer.size() + size > kCapacity) flush();
        if (size >= kCapacity) {
            writeAll(m_fd, data, size);
        } else {
            m_buffer.insert(m_buffer.end(), data, data + size);
        }
    }
    void flush() {
        if (m_buffer.empty()) return;
        // Written or not, the gathered bytes are done with: a failed write is not retried.
        struct Clear {
            std::vector<char>& b;
            ~Clear() { b.clear(); }
        } clear{m_buffer};
        writeAll(m_fd, m_buffer.data(), m_buffer.size());
    }

private:
    int m_fd;
    std::vector<char>& m_buffer;
};

int32_t readTaggedInteger(ArchiveInput& in) {
    unsigned char tag = 0;
    in.read(&tag, 1);
    unsigned char b[8];
    switch (tag) {
    case 2: in.read(b, 1); return static_cast<int8_t>(b[0]);
    case 3: in.read(b, 2); return static_cast<int16_t>(base::readLE16(b));
    case 4: in.read(b, 4); return static_cast<int32_t>(base::readLE32(b));
    case 19: in.read(b, 8); return static_cast<int32_t>(base::readLE32(b));
    default: throw base::ArchiveError("Invalid property value", kArchiveCannotRead);
    }
}

void appendTaggedInteger(std::string& out, int32_t v) {
    if (v >= -128 && v <= 127) {
        out.push_back(2);
        out.push_back(static_cast<char>(v));
    } else if (v >= -32768 && v <= 32767) {
        out.push_back(3);
        base::appendLE16(out, static_cast<uint16_t>(v));
    } else {
        out.push_back(4);
        base::appendLE32(out, static_cast<uint32_t>(v));
    }
}

void appendString(std::string& out, std::string_view s) {
    base::appendLE32(out, static_cast<uint32_t>(s.size()));
    out.append(s);
}

}  // namespace

const char* archiveErrorText(int code) {
    switch (code) {
    case kArchiveCannotReadFile: return "Cannot read file";
    case kArchiveOverwriteFailed: return "Overwriting file failed";
    case kArchiveCannotRead: return "Cannot read archive";
    case kArchiveCannotWrite: return "Cannot write to archive";
    case kArchiveInvalidType: return "Invalid archive type";
    case kArchiveCompressionError: return "Compression error";
    case kArchiveCannotCreateTempFile: return "Cannot create temporary file to save the file IDs";
    default: return "";
    }
}

uint32_t archiveCheckValue(uint32_t running, const void* data, size_t size) {
    ChunkCrc crc(running);
    crc.add(data, size);
    return crc.result();
}

uint32_t dosDateTime(std::time_t t) {
    std::tm tm{};
    if (!::localtime_r(&t, &tm) || tm.tm_year < 80) return (1u << 5 | 1u) << 16;  // 1980-01-01 00:00
    uint32_t date = static_cast<uint32_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    uint32_t time = static_cast<uint32_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return (date << 16) | time;
}

std::time_t timeFromDosDateTime(uint32_t dos) {
    // Files of an archive mostly share their date, and every conversion reads the time
    // zone afresh: the last answer is kept.
    thread_local uint32_t lastDos = 0;
    thread_local std::time_t lastTime = 0;
    thread_local bool known = false;
    if (known && dos == lastDos) return lastTime;
    std::tm tm{};
    tm.tm_year = static_cast<int>((dos >> 25) & 0x7F) + 80;
    tm.tm_mon = static_cast<int>((dos >> 21) & 0x0F) - 1;
    tm.tm_mday = static_cast<int>((dos >> 16) & 0x1F);
    tm.tm_hour = static_cast<int>((dos >> 11) & 0x1F);
    tm.tm_min = static_cast<int>((dos >> 5) & 0x3F);
    tm.tm_sec = static_cast<int>((dos & 0x1F) * 2);
    tm.tm_isdst = -1;
    lastTime = std::mktime(&tm);
    lastDos = dos;
    known = true;
    return lastTime;
}

void TBackupFile::setBackupMode(TBackupMode mode) {
    m_backupMode = mode;
    if (mode == TBackupMode::bmIncremental) m_setArchiveFlag = true;
}

// The state of one restore.
struct TBackupFile::Run {
    ArchiveInput* input = nullptr;
    std::unique_ptr<ArchiveInput> volume;  // the current volume when restoring from a file
    std::string volumeFile;                // the archive file, empty for a stream
    std::string folder;                    // the target folder with its trailing backslash
    int64_t totalSize = 0;
    int64_t processed = 0;
    std::vector<char> compressed;
    ChunkInflater inflater;
    FolderIndex index;
    ParentCache parent;
    std::vector<char> gathered;  // the writer's buffer, kept for the next file
    fs::path base;               // the target folder, resolved once
    // The last file record, which a volume change may continue.
    bool haveLast = false;
    bool lastWritten = false;
    Target lastTarget;
    uint32_t lastDate = 0;
};

void TBackupFile::reportProgress(const std::string& fileName, int percent) {
    if (OnProgress) OnProgress(*this, fileName, percent, m_continue);
}

void TBackupFile::reportError() {
    if (m_errorCode == 0) return;
    if (OnError) {
        OnError(*this, m_errorCode, archiveErrorText(m_errorCode));
    } else {
        platform::dialogs().messageBox(archiveErrorText(m_errorCode), "Error",
                                       platform::MB_OK | platform::MB_ICONERROR);
    }
}

void TBackupFile::writeBlock(Run& run, int fd, const std::string& target) {
    ArchiveInput& in = *run.input;
    char magic[4];
    in.read(magic, 4);
    if (std::memcmp(magic, kMagic, 4) != 0)
        throw base::ArchiveError("Invalid archive type", kArchiveInvalidType);
    uint32_t crc = 0;
    GatheringWriter out(fd, run.gathered);
    while (m_continue) {
        int64_t k = in.readInt32();
        int64_t written = 0;
        if (k > 0) {
            if (static_cast<uint64_t>(k) > in.remaining()) in.skip(static_cast<uint64_t>(k));  // throws
            const char* packed = in.view(static_cast<size_t>(k));
            if (!packed) {
                run.compressed.resize(static_cast<size_t>(k));
                in.read(run.compressed.data(), run.compressed.size());
                packed = run.compressed.data();
            }
            written = run.inflater.inflateChunk(packed, static_cast<size_t>(k));
            if (written < 0) {
                m_errorCode = kArchiveCompressionError;
                m_continue = false;
                break;
            }
            out.write(run.inflater.output(), static_cast<size_t>(written));
            crc = archiveCheckValue(crc, run.inflater.output(), static_cast<size_t>(written));
        } else if (k < 0) {
            uint64_t left = static_cast<uint64_t>(-k);
            if (left > in.remaining()) in.skip(left);  // throws
            ChunkCrc chunk(crc);
            while (left > 0) {
                size_t piece = static_cast<size_t>(std::min<uint64_t>(left, kCopyPiece / 2));
                const char* bytes = in.view(piece);
                if (!bytes) {
                    run.compressed.resize(piece);
                    in.read(run.compressed.data(), piece);
                    bytes = run.compressed.data();
                }
                out.write(bytes, piece);
                chunk.add(bytes, piece);
                left -= piece;
            }
            crc = chunk.result();
            written = -k;
        } else {
            out.flush();
            uint32_t stored = in.readUInt32();
            if (stored != crc) {
                if (OnCRCError) {
                    OnCRCError(*this, static_cast<int32_t>(stored), static_cast<int32_t>(crc), target);
                } else {
                    platform::dialogs().messageBox(
                        "CRC Failed in file " + target +
                            ".\r\nStored CRC32 : " + std::to_string(static_cast<int32_t>(stored)) +
                            ".\r\nCurrent CRC32 : " + std::to_string(static_cast<int32_t>(crc)) + ".",
                        "Error", platform::MB_OK | platform::MB_ICONERROR);
                }
            }
            return;
        }
        platform::processMessages();
        run.processed += written;
        // An archive whose header understates its size must not divide by zero or
        // report more than everything.
        int percent = run.totalSize > 0
                          ? static_cast<int>(std::min<int64_t>(run.processed * 100 / run.totalSize, 100))
                          : 100;
        reportProgress(target, percent);
    }
}

void TBackupFile::skipBlock(Run& run) {
    ArchiveInput& in = *run.input;
    char magic[4];
    in.read(magic, 4);
    if (std::memcmp(magic, kMagic, 4) != 0)
        throw base::ArchiveError("Invalid archive type", kArchiveInvalidType);
    while (true) {
        int64_t k = in.readInt32();
        if (k == 0) {
            in.readUInt32();
            return;
        }
        in.skip(static_cast<uint64_t>(k > 0 ? k : -k));
    }
}

bool TBackupFile::nextVolume(Run& run, const std::string& name) {
    // Characters 10 to 12 of the name hold the disk number.
    std::string digits = name.substr(9, 3);
    int disk = 0;
    for (char c : digits) disk = disk * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
    if (run.volumeFile.empty()) {
        // A stream has no next volume to switch to.
        m_errorCode = kArchiveCannotRead;
        m_continue = false;
        return false;
    }
    fs::path volume = platform::resolvePath(run.volumeFile);
    std::string extension = ".";
    extension += digits;
    volume.replace_extension(extension);
    run.volume.reset();
    run.input = nullptr;
    do {
        if (OnNeedDisk) {
            OnNeedDisk(*this, static_cast<uint16_t>(disk), m_continue);
        } else if (platform::dialogs().messageBox(
                       "Please insert disk " + std::to_string(disk) + " and click OK to continue.",
                       "Information",
                       platform::MB_OKCANCEL | platform::MB_ICONINFORMATION) == platform::IDCANCEL) {
            m_continue = false;
        }
    } while (m_continue && !fs::exists(volume));
    if (!m_continue) return false;
    run.volume = std::make_unique<FileArchiveInput>(volume);
    run.input = run.volume.get();
    return true;
}

void TBackupFile::restoreRecords(Run& run) {
    while (m_continue) {
        int32_t nameLength = run.input->readInt32();
        if (nameLength <= 0) break;
        std::string name = run.input->readBytes(static_cast<size_t>(nameLength));

        if (name.size() >= 9 && name.compare(0, 9, "NEXT:DISK") == 0) {
            if (!nextVolume(run, name)) break;
            if (!run.haveLast) continue;
            // The new volume opens with the rest of the interrupted file's data.
            if (!run.lastWritten) {
                skipBlock(run);
                continue;
            }
            base::UniqueFd parent = openParent(run.lastTarget, false, run.index);
            base::UniqueFd file(parent.get() < 0 ? -1
                                                 : ::openat(parent.get(), run.lastTarget.parts.back().c_str(),
                                                            O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC));
            try {
                if (file.get() < 0) throw base::ArchiveError("Cannot read file", kArchiveCannotReadFile);
                writeBlock(run, file.get(), run.lastTarget.display);
            } catch (const base::ArchiveError&) {
                m_errorCode = kArchiveCannotReadFile;
                m_continue = false;
            }
            if (file.get() >= 0) {
                timespec times[2] = {{0, UTIME_OMIT}, {timeFromDosDateTime(run.lastDate), 0}};
                ::futimens(file.get(), times);
            }
            continue;
        }

        const bool isList = name == "FILE:LIST";
        if (!isList) {
            if (readTaggedInteger(*run.input) == 1) {
                readTaggedInteger(*run.input);
                readTaggedInteger(*run.input);
            }
        }
        const uint32_t date = run.input->readUInt32();

        Target target;
        std::string relative;
        if (run.folder.empty()) {
            // The stored name itself, but never outside the current folder.
            bool drive = name.size() >= 3 && name[1] == ':' && (name[2] == '\\' || name[2] == '/');
            relative = drive ? name.substr(3) : name;
            target.display = name;
            std::error_code ec;
            target.base = fs::current_path(ec);
        } else {
            relative =
                m_restoreFullPath ? (name.size() > 3 ? name.substr(3) : std::string()) : fileNamePart(name);
            target.display = run.folder + relative;
            target.base = run.base;
        }
        target.refused = target.base.empty() || !safeParts(relative, target.parts);

        bool doRestore = !isList && !target.refused;
        if (doRestore && m_restoreMode != TRestoreMode::rmAll) {
            bool exists = false;
            int32_t age = 0;
            const int parent = cachedParent(run.parent, run.index, target, false);
            struct stat st;
            if (parent >= 0 &&
                ::fstatat(parent, run.index.entryName(run.parent.names, parent, target.parts.back()).c_str(),
                          &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(st.st_mode)) {
                exists = true;
                age = static_cast<int32_t>(dosDateTime(st.st_mtime));
            }
            const bool older = age < static_cast<int32_t>(date);
            switch (m_restoreMode) {
            case TRestoreMode::rmNoOverwrite: doRestore = !exists; break;
            case TRestoreMode::rmNewer: doRestore = !exists || older; break;
            case TRestoreMode::rmExisting: doRestore = exists; break;
            case TRestoreMode::rmExistingNewer: doRestore = exists && older; break;
            case TRestoreMode::rmAll: break;
            }
        }
        if (!isList && !target.refused && OnRestoreFile) {
            std::string renamed = target.display;
            OnRestoreFile(*this, renamed, static_cast<int>(date), doRestore);
            if (renamed != target.display) {
                // The handler chose another path: it is trusted as given.
                fs::path chosen = platform::resolvePath(renamed);
                target.display = renamed;
                target.base = chosen.parent_path();
                target.parts = {chosen.filename().string()};
            }
        }
        if (target.refused) m_errorCode = kArchiveCannotReadFile;

        int parent = -1;
        if (doRestore) {
            parent = cachedParent(run.parent, run.index, target, true);
            doRestore = parent >= 0;  // a folder that cannot be made skips the file
        }
        run.haveLast = !isList;
        run.lastWritten = doRestore;
        run.lastTarget = target;
        run.lastDate = date;
        if (!doRestore) {
            skipBlock(run);
            continue;
        }

        std::string leaf = run.index.entryName(run.parent.names, parent, target.parts.back());
        target.parts.back() = leaf;
        run.lastTarget.parts.back() = leaf;
        base::UniqueFd file = createFile(parent, leaf, run.index, run.parent.names);
        try {
            if (file.get() < 0) throw base::ArchiveError("Cannot read file", kArchiveCannotReadFile);
            ++m_filesRestored;
            writeBlock(run, file.get(), target.display);
        } catch (const base::ArchiveError&) {
            m_errorCode = kArchiveCannotReadFile;
            m_continue = false;
        }
        if (file.get() >= 0) {
            if (OnFileRestored) OnFileRestored(*this, target.display, file.get());
            timespec times[2] = {{0, UTIME_OMIT}, {timeFromDosDateTime(date), 0}};
            ::futimens(file.get(), times);
        }
    }
}

bool TBackupFile::restore(ArchiveInput& input, std::string_view targetFolder, std::string_view volumeFile) {
    Run run;
    run.input = &input;
    run.volumeFile = volumeFile;
    run.folder = targetFolder;
    if (!run.folder.empty() && run.folder.back() != '\\' && run.folder.back() != '/')
        run.folder.push_back('\\');
    if (!run.folder.empty()) run.base = platform::resolvePath(run.folder);
    m_errorCode = 0;
    m_filesRestored = 0;
    m_continue = true;

    int32_t titleLength = input.readInt32();
    if (titleLength < 0) throw base::ArchiveError("Cannot read archive", kArchiveCannotRead);
    input.readBytes(static_cast<size_t>(titleLength));
    run.totalSize = input.readInt32();
    input.readInt32();  // the file count; the end mark is what ends the records

    restoreRecords(run);
    reportProgress("", 100);
    reportError();
    return m_errorCode == 0 && m_continue;
}

bool TBackupFile::RestoreFromStream(ArchiveInput& input, std::string_view targetFolder) {
    try {
        return restore(input, targetFolder, {});
    } catch (const std::exception&) {
        return false;
    }
}

bool TBackupFile::Restore(std::string_view archiveFile, std::string_view targetFolder) {
    fs::path file = platform::resolvePath(archiveFile);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) return false;
    try {
        FileArchiveInput input(file);
        return restore(input, targetFolder, archiveFile);
    } catch (const std::exception&) {
        return false;
    }
}

ArchiveListing listArchive(ArchiveInput& in) {
    ArchiveListing listing;
    int32_t titleLength = in.readInt32();
    if (titleLength < 0) throw base::ArchiveError("Cannot read archive", kArchiveCannotRead);
    listing.title = in.readBytes(static_cast<size_t>(titleLength));
    listing.totalSize = in.readInt32();
    listing.fileCount = in.readInt32();
    std::vector<char> packed;
    ChunkInflater inflater;
    while (true) {
        int32_t nameLength = in.readInt32();
        if (nameLength <= 0) break;
        ArchiveEntry entry;
        entry.name = in.readBytes(static_cast<size_t>(nameLength));
        if (entry.name.size() >= 9 && entry.name.compare(0, 9, "NEXT:DISK") == 0) {
            entry.nextDisk = true;
            listing.entries.push_back(std::move(entry));
            break;
        }
        entry.fileList = entry.name == "FILE:LIST";
        if (!entry.fileList && readTaggedInteger(in) == 1) {
            readTaggedInteger(in);
            readTaggedInteger(in);
        }
        entry.dosDate = in.readUInt32();
        char magic[4];
        in.read(magic, 4);
        if (std::memcmp(magic, kMagic, 4) != 0)
            throw base::ArchiveError("Invalid archive type", kArchiveInvalidType);
        uint32_t crc = 0;
        while (true) {
            int64_t k = in.readInt32();
            if (k == 0) {
                entry.checkValueOk = in.readUInt32() == crc;
                break;
            }
            uint64_t length = static_cast<uint64_t>(k > 0 ? k : -k);
            if (length > in.remaining()) in.skip(length);  // throws
            packed.resize(static_cast<size_t>(length));
            in.read(packed.data(), packed.size());
            if (k < 0) {
                crc = archiveCheckValue(crc, packed.data(), packed.size());
                entry.size += length;
                continue;
            }
            int64_t produced = inflater.inflateChunk(packed.data(), packed.size());
            if (produced < 0) throw base::ArchiveError("Compression error", kArchiveCompressionError);
            crc = archiveCheckValue(crc, inflater.output(), static_cast<size_t>(produced));
            entry.size += static_cast<uint64_t>(produced);
        }
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

ArchiveWriter::ArchiveWriter(std::string title, int zlibLevel)
    : m_title(std::move(title)), m_level(zlibLevel) {}

std::string ArchiveWriter::dataBlock(std::string_view contents, int zlibLevel) {
    std::string out(kMagic, sizeof kMagic);
    uint32_t crc = 0;
    std::vector<Bytef> packed(compressBound(kArchiveChunkSize));
    for (size_t pos = 0; pos < contents.size(); pos += kArchiveChunkSize) {
        std::string_view chunk = contents.substr(pos, kArchiveChunkSize);
        uLongf packedSize = static_cast<uLongf>(packed.size());
        bool deflated = zlibLevel != 0 &&
                        compress2(packed.data(), &packedSize, reinterpret_cast<const Bytef*>(chunk.data()),
                                  static_cast<uLong>(chunk.size()), zlibLevel) == Z_OK &&
                        packedSize < chunk.size();
        if (deflated) {
            base::appendLE32(out, static_cast<uint32_t>(packedSize));
            out.append(reinterpret_cast<const char*>(packed.data()), packedSize);
        } else {
            base::appendLE32(out, static_cast<uint32_t>(-static_cast<int32_t>(chunk.size())));
            out.append(chunk);
        }
        crc = archiveCheckValue(crc, chunk.data(), chunk.size());
    }
    base::appendLE32(out, 0);
    base::appendLE32(out, crc);
    return out;
}

void ArchiveWriter::addFile(std::string_view storedName, std::string_view contents, uint32_t dosDate,
                            int32_t identity) {
    appendString(m_records, storedName);
    appendTaggedInteger(m_records, identity);
    if (identity == 1) {
        appendTaggedInteger(m_records, 0);
        appendTaggedInteger(m_records, 0);
    }
    base::appendLE32(m_records, dosDate);
    m_records += dataBlock(contents, m_level);
    m_totalSize += static_cast<int64_t>(contents.size());
    ++m_count;
}

void ArchiveWriter::addFileList(std::string_view contents, uint32_t dosDate) {
    appendString(m_records, "FILE:LIST");
    base::appendLE32(m_records, dosDate);
    m_records += dataBlock(contents, m_level);
}

void ArchiveWriter::addNextDisk(int disk) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", (disk % 1000 + 1000) % 1000);
    appendString(m_records, std::string("NEXT:DISK") + digits);
}

std::string ArchiveWriter::bytes() const {
    std::string out;
    appendString(out, m_title);
    base::appendLE32(out, static_cast<uint32_t>(std::min<int64_t>(m_totalSize, INT32_MAX)));
    base::appendLE32(out, static_cast<uint32_t>(m_count));
    out += m_records;
    base::appendLE32(out, 0);
    return out;
}

}  // namespace runtime
