// Local stream sockets (Unix domain) between two programs of the user: the debugger link
// of the player and its peer. Descriptors are close-on-exec and non-blocking; no send
// ever raises SIGPIPE, so a peer that vanishes only makes the next call fail.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

namespace platform {

class LocalSocket {
public:
    LocalSocket() = default;
    explicit LocalSocket(int fd) : m_fd(fd) {}
    ~LocalSocket() { close(); }
    LocalSocket(LocalSocket&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;

    // Connects to the socket at `path`; invalid when nobody listens there.
    static LocalSocket connectTo(const std::filesystem::path& path);
    // Two connected ends, for tests.
    static std::pair<LocalSocket, LocalSocket> pair();

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close();

    // Sends every byte, waiting at most `timeout` in all for the peer to make room. False
    // when the peer has gone or did not take the bytes in time.
    bool sendAll(std::string_view bytes, std::chrono::milliseconds timeout);

    enum class Read { Data, Nothing, Closed };
    // Appends what has arrived to `out` without waiting. Closed: the peer has gone (or the
    // socket failed); whatever arrived before is still appended.
    Read readAvailable(std::string& out);
    // Waits at most `timeout` for bytes to read (or the end); false when none came.
    bool waitReadable(std::chrono::milliseconds timeout) const;

private:
    int m_fd = -1;
};

class LocalListener {
public:
    LocalListener() = default;
    ~LocalListener();
    LocalListener(LocalListener&& other) noexcept;
    LocalListener& operator=(LocalListener&& other) noexcept;
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    // Listens at `path`. A socket file there that nobody answers (left by a program that
    // died) is replaced; a live one is not, and the listener is then invalid (errno
    // EADDRINUSE). The file is removed when the listener goes.
    static LocalListener listenAt(const std::filesystem::path& path);

    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // A waiting connection, or an invalid socket when none waits.
    LocalSocket accept();

private:
    void reset();

    int m_fd = -1;
    std::filesystem::path m_path;
};

}  // namespace platform
