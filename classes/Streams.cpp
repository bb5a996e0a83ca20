// The stream family over file descriptors, memory and registered resources.
#include "classes/Streams.h"

#include "base/AnsiText.h"
#include "classes/ClassBuilder.h"
#include "classes/Errors.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

namespace classes {

namespace {

SeekOrigin seekOrigin(int origin) {
    return origin == 1 ? SeekOrigin::Current : origin == 2 ? SeekOrigin::End : SeekOrigin::Beginning;
}

// The mode words scripts pass (fmCreate, fmOpenRead, ...); the sharing bits mean nothing here.
FileMode fileMode(int mode) {
    if ((mode & 0xFF00) == 0xFF00) return FileMode::Create;
    switch (mode & 3) {
    case 1: return FileMode::OpenWrite;
    case 2: return FileMode::OpenReadWrite;
    default: return FileMode::OpenRead;
    }
}

// Buffers are strings in scripts: Read fills one, Write takes its first Count bytes.
int64_t readInto(TStream& s, std::string& buffer, int64_t count) {
    if (count < 0) count = 0;
    buffer.assign(static_cast<size_t>(std::clamp<int64_t>(s.size() - s.position(), 0, count)), '\0');
    int64_t n = s.read(buffer.data(), static_cast<int64_t>(buffer.size()));
    buffer.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
    return n;
}

int64_t writeFrom(TStream& s, std::string_view buffer, int64_t count) {
    count = std::clamp<int64_t>(count, 0, static_cast<int64_t>(buffer.size()));
    return s.write(buffer.data(), count);
}

}  // namespace

const ClassInfo& TStream::staticClass() {
    static const auto info =
        ClassBuilder<TStream>("TStream", TObject::staticClass())
            .publicMethod("function Read(var Buffer: string; Count: Int64): Int64;", &readInto)
            .publicMethod("function Write(const Buffer: string; Count: Int64): Int64;", &writeFrom)
            .publicMethod(
                "function Seek(Offset: Int64; Origin: Word): Int64;",
                [](TStream& s, int64_t offset, int origin) { return s.seek(offset, seekOrigin(origin)); })
            .publicMethod("procedure ReadBuffer(var Buffer: string; Count: Int64);",
                          [](TStream& s, std::string& buffer, int64_t count) {
                              buffer.assign(static_cast<size_t>(std::max<int64_t>(count, 0)), '\0');
                              s.readBuffer(buffer.data(), static_cast<int64_t>(buffer.size()));
                          })
            .publicMethod("procedure WriteBuffer(const Buffer: string; Count: Int64);",
                          [](TStream& s, std::string_view buffer, int64_t count) {
                              if (count > static_cast<int64_t>(buffer.size()))
                                  throw EStreamError(msg::kWriteError);
                              s.writeBuffer(buffer.data(), std::max<int64_t>(count, 0));
                          })
            .publicMethod("function CopyFrom(Source: TStream; Count: Int64): Int64;", &TStream::copyFrom)
            .publicProperty("property Position: Int64;", &TStream::position, &TStream::setPosition)
            .publicProperty("property Size: Int64;", &TStream::size, &TStream::setSize)
            .build();
    return *info;
}
const ClassInfo& THandleStream::staticClass() {
    static const auto info = ClassBuilder<THandleStream>("THandleStream", TStream::staticClass())
                                 .factory({})
                                 .constructor("constructor Create(AHandle: Integer);",
                                              [](int fd) { return new THandleStream(fd); })
                                 .publicProperty("property Handle: Integer;", &THandleStream::handle)
                                 .build();
    return *info;
}
const ClassInfo& TFileStream::staticClass() {
    static const auto info = ClassBuilder<TFileStream>("TFileStream", THandleStream::staticClass())
                                 .factory({})
                                 .constructor("constructor Create(FileName: string; Mode: Word);",
                                              [](const std::string& path, int mode) {
                                                  return new TFileStream(path, fileMode(mode));
                                              })
                                 .build();
    return *info;
}
const ClassInfo& TMemoryStream::staticClass() {
    static const auto info =
        ClassBuilder<TMemoryStream>("TMemoryStream", TStream::staticClass())
            .publicMethod("procedure Clear;", &TMemoryStream::clear)
            .publicMethod("procedure LoadFromStream(Stream: TStream);", &TMemoryStream::loadFromStream)
            .publicMethod("procedure SaveToStream(Stream: TStream);", &TMemoryStream::saveToStream)
            .publicMethod("procedure LoadFromFile(FileName: string);", &TMemoryStream::loadFromFile)
            .publicMethod("procedure SaveToFile(FileName: string);", &TMemoryStream::saveToFile)
            .publicMethod("procedure SetSize(NewSize: Int64);", &TMemoryStream::setSize)
            .build();
    return *info;
}
const ClassInfo& TStringStream::staticClass() {
    static const auto info =
        ClassBuilder<TStringStream>("TStringStream", TMemoryStream::staticClass())
            .constructor("constructor Create(AString: string);",
                         [](const std::string& s) { return new TStringStream(s); })
            .publicMethod("function ReadString(Count: Integer): string;", &TStringStream::readString)
            .publicMethod("procedure WriteString(const AString: string);", &TStringStream::writeString)
            .publicProperty("property DataString: string;", &TStringStream::dataString)
            .build();
    return *info;
}
const ClassInfo& TResourceStream::staticClass() {
    static const auto info =
        ClassBuilder<TResourceStream>("TResourceStream", TMemoryStream::staticClass())
            .factory({})
            .constructor("constructor Create(Instance: Integer; ResName, ResType: string);",
                         [](int, const std::string& name, const std::string& type) {
                             return new TResourceStream(name, type);
                         })
            .build();
    return *info;
}

int64_t TStream::size() {
    int64_t pos = seek(0, SeekOrigin::Current);
    int64_t end = seek(0, SeekOrigin::End);
    seek(pos, SeekOrigin::Beginning);
    return end;
}

void TStream::setSize(int64_t) { throw EStreamError(msg::kWriteError); }

void TStream::readBuffer(void* buffer, int64_t count) {
    auto* p = static_cast<char*>(buffer);
    while (count > 0) {
        int64_t n = read(p, count);
        if (n <= 0) throw EStreamError(msg::kReadError);
        p += n;
        count -= n;
    }
}

void TStream::writeBuffer(const void* buffer, int64_t count) {
    auto* p = static_cast<const char*>(buffer);
    while (count > 0) {
        int64_t n = write(p, count);
        if (n <= 0) throw EStreamError(msg::kWriteError);
        p += n;
        count -= n;
    }
}

int64_t TStream::copyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.setPosition(0);
        count = source.size();
    }
    char buf[65536];
    int64_t left = count;
    while (left > 0) {
        int64_t n = std::min<int64_t>(left, sizeof buf);
        source.readBuffer(buf, n);
        writeBuffer(buf, n);
        left -= n;
    }
    return count;
}

std::string TStream::readRest() {
    std::string out;
    char buf[65536];
    int64_t n;
    while ((n = read(buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    return out;
}

int64_t THandleStream::read(void* buffer, int64_t count) {
    ssize_t n;
    do {
        n = ::read(m_fd, buffer, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

int64_t THandleStream::write(const void* buffer, int64_t count) {
    ssize_t n;
    do {
        n = ::write(m_fd, buffer, static_cast<size_t>(count));
    } while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : n;
}

int64_t THandleStream::seek(int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::Beginning ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    off_t r = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    if (r < 0) throw EStreamError(msg::kReadError);
    return r;
}

void THandleStream::setSize(int64_t newSize) {
    if (::ftruncate(m_fd, static_cast<off_t>(newSize)) != 0) throw EStreamError(msg::kWriteError);
    if (position() > newSize) setPosition(newSize);
}

namespace {
int openFile(const std::string& path, FileMode mode) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case FileMode::OpenRead: flags |= O_RDONLY; break;
    case FileMode::OpenWrite: flags |= O_WRONLY; break;
    case FileMode::OpenReadWrite: flags |= O_RDWR; break;
    case FileMode::Create: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    }
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0) {
        const char* pattern = mode == FileMode::Create ? msg::kCreateError : msg::kOpenError;
        throw EStreamError(format(pattern, {path, std::strerror(errno)}));
    }
    return fd;
}
}  // namespace

TFileStream::TFileStream(const std::string& path, FileMode mode)
    : THandleStream(openFile(path, mode)), m_path(path) {}

TFileStream::~TFileStream() { ::close(m_fd); }

int64_t TMemoryStream::read(void* buffer, int64_t count) {
    int64_t avail = static_cast<int64_t>(m_data.size()) - m_pos;
    if (count <= 0 || avail <= 0) return 0;
    int64_t n = std::min(count, avail);
    std::memcpy(buffer, m_data.data() + m_pos, static_cast<size_t>(n));
    m_pos += n;
    return n;
}

int64_t TMemoryStream::write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    size_t end = static_cast<size_t>(m_pos + count);
    if (end > m_data.size()) m_data.resize(end);
    std::memcpy(m_data.data() + m_pos, buffer, static_cast<size_t>(count));
    m_pos += count;
    return count;
}

int64_t TMemoryStream::seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Beginning ? 0 : origin == SeekOrigin::Current ? m_pos : size();
    int64_t target = base + offset;
    if (target < 0) throw EStreamError(msg::kReadError);
    m_pos = target;  // past the end is allowed; a later write extends the data
    return m_pos;
}

void TMemoryStream::setSize(int64_t newSize) {
    if (newSize < 0) throw EStreamError(msg::kWriteError);
    m_data.resize(static_cast<size_t>(newSize));
    if (m_pos > newSize) m_pos = newSize;
}

void TMemoryStream::clear() {
    m_data.clear();
    m_pos = 0;
}

void TMemoryStream::setBytes(std::string bytes) {
    m_data = std::move(bytes);
    m_pos = 0;
}

void TMemoryStream::loadFromStream(TStream& stream) {
    stream.setPosition(0);
    m_data = stream.readRest();
    m_pos = 0;
}

void TMemoryStream::saveToStream(TStream& stream) const { stream.writeBuffer(m_data); }

void TMemoryStream::loadFromFile(const std::string& path) {
    TFileStream f(path, FileMode::OpenRead);
    loadFromStream(f);
}

void TMemoryStream::saveToFile(const std::string& path) const {
    TFileStream f(path, FileMode::Create);
    saveToStream(f);
}

std::string TStringStream::readString(int64_t count) {
    int64_t avail = std::max<int64_t>(0, size() - m_pos);
    int64_t n = std::clamp<int64_t>(count, 0, avail);
    std::string out = m_data.substr(static_cast<size_t>(m_pos), static_cast<size_t>(n));
    m_pos += n;
    return out;
}

namespace {
std::map<std::string, std::string_view>& resources() {
    static std::map<std::string, std::string_view> table;
    return table;
}
std::string resourceKey(std::string_view name, std::string_view type) {
    return base::asciiUpper(type) + "\n" + base::asciiUpper(name);
}
}  // namespace

TResourceStream::TResourceStream(std::string_view name, std::string_view type) {
    auto it = resources().find(resourceKey(name, type));
    if (it == resources().end()) throw EStreamError(format(msg::kResNotFound, {name}));
    m_data.assign(it->second);
}

int64_t TResourceStream::write(const void*, int64_t) { throw EStreamError(msg::kWriteError); }

void TResourceStream::registerResource(std::string_view name, std::string_view type, std::string_view bytes) {
    resources()[resourceKey(name, type)] = bytes;
}

bool TResourceStream::exists(std::string_view name, std::string_view type) {
    return resources().count(resourceKey(name, type)) != 0;
}

}  // namespace classes
