// The stream family: TStream (abstract byte stream with a 64-bit position), THandleStream
// (a file descriptor), TFileStream (opens a host path), TMemoryStream, TStringStream and
// TResourceStream (named data compiled into the program and registered at start-up).
// Failures throw EStreamError with the system's texts ("Stream read error", ...).
#pragma once

#include "classes/TObject.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {
class WriterRegistration;
}

namespace classes {

enum class SeekOrigin { Beginning, Current, End };

class TStream : public TObject {
public:
    CLASSES_OBJECT(TStream)

    // Reads up to `count` bytes; returns how many were read (0 at the end).
    virtual int64_t read(void* buffer, int64_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual int64_t write(const void* buffer, int64_t count) = 0;
    // Returns the new position. Throws EStreamError when the stream cannot seek.
    virtual int64_t seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t position() { return seek(0, SeekOrigin::Current); }
    void setPosition(int64_t pos) { seek(pos, SeekOrigin::Beginning); }
    virtual int64_t size();
    virtual void setSize(int64_t newSize);

    // All or nothing: throw EStreamError("Stream read error" / "Stream write error").
    void readBuffer(void* buffer, int64_t count);
    void writeBuffer(const void* buffer, int64_t count);
    void writeBuffer(std::string_view bytes) {
        writeBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    }
    // Copies `count` bytes from `source` (0: the whole source from its start); returns the count.
    int64_t copyFrom(TStream& source, int64_t count);
    // The rest of the stream from the current position.
    std::string readRest();
};

// A borrowed file descriptor; the stream never closes it.
class THandleStream : public TStream {
public:
    CLASSES_OBJECT(THandleStream)

    explicit THandleStream(int fd) : m_fd(fd) {}
    int handle() const { return m_fd; }
    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, SeekOrigin origin) override;
    void setSize(int64_t newSize) override;

protected:
    int m_fd;
};

enum class FileMode { OpenRead, OpenWrite, OpenReadWrite, Create };

// Owns its descriptor. Throws EStreamError("Cannot open file \"%s\". %s") or
// ("Cannot create file \"%s\". %s") with the system's reason.
class TFileStream : public THandleStream {
public:
    CLASSES_OBJECT(TFileStream)

    TFileStream(const std::string& path, FileMode mode);
    ~TFileStream() override;
    const std::string& fileName() const { return m_path; }

private:
    std::string m_path;
    std::unique_ptr<platform::WriterRegistration> m_writing;  // "in use" while open for writing
};

class TMemoryStream : public TStream {
public:
    CLASSES_OBJECT(TMemoryStream)

    TMemoryStream() = default;
    int64_t read(void* buffer, int64_t count) override;
    int64_t write(const void* buffer, int64_t count) override;
    int64_t seek(int64_t offset, SeekOrigin origin) override;
    int64_t size() override { return static_cast<int64_t>(m_data.size()); }
    void setSize(int64_t newSize) override;
    void clear();
    const std::string& bytes() const { return m_data; }
    void setBytes(std::string bytes);
    void loadFromStream(TStream& stream);
    void saveToStream(TStream& stream) const;
    void loadFromFile(const std::string& path);
    void saveToFile(const std::string& path) const;

protected:
    std::string m_data;
    int64_t m_pos = 0;
};

class TStringStream : public TMemoryStream {
public:
    CLASSES_OBJECT(TStringStream)

    explicit TStringStream(std::string data = {}) { m_data = std::move(data); }
    const std::string& dataString() const { return m_data; }
    // Reads up to `count` bytes as text.
    std::string readString(int64_t count);
    void writeString(std::string_view s) { writeBuffer(s); }
};

// Read-only view of a registered resource. Throws EStreamError("Resource %s not found").
class TResourceStream : public TMemoryStream {
public:
    CLASSES_OBJECT(TResourceStream)

    TResourceStream(std::string_view name, std::string_view type);
    int64_t write(const void* buffer, int64_t count) override;

    // Registers the bytes of resource `name` of `type` (names compare case-insensitively).
    // The bytes must outlive the process's use of them (string literals, embedded data).
    static void registerResource(std::string_view name, std::string_view type, std::string_view bytes);
    static bool exists(std::string_view name, std::string_view type);
};

}  // namespace classes
