#include "platform/LocalSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

bool fillAddress(const std::filesystem::path& path, sockaddr_un& addr) {
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    const std::string& s = path.native();
    if (s.empty() || s.size() >= sizeof addr.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(addr.sun_path, s.data(), s.size());
    return true;
}

int streamSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0); }

bool pollFor(int fd, short events, int ms) {
    pollfd p{fd, events, 0};
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    return r > 0;
}

}  // namespace

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void LocalSocket::close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

LocalSocket LocalSocket::connectTo(const std::filesystem::path& path) {
    sockaddr_un addr;
    if (!fillAddress(path, addr)) return {};
    LocalSocket s(streamSocket());
    if (!s.valid()) return {};
    // A local connect completes at once or fails; EAGAIN means the listener's queue is
    // full, which counts as nobody answering.
    if (::connect(s.m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) return {};
    return s;
}

std::pair<LocalSocket, LocalSocket> LocalSocket::pair() {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds) != 0) return {};
    return {LocalSocket(fds[0]), LocalSocket(fds[1])};
}

bool LocalSocket::sendAll(std::string_view bytes, std::chrono::milliseconds timeout) {
    if (m_fd < 0) return false;
    const auto end = Clock::now() + timeout;
    while (!bytes.empty()) {
        ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0 || !pollFor(m_fd, POLLOUT, static_cast<int>(left))) return false;
            continue;
        }
        return false;  // EPIPE, ECONNRESET: the peer has gone
    }
    return true;
}

LocalSocket::Read LocalSocket::readAvailable(std::string& out) {
    if (m_fd < 0) return Read::Closed;
    char buffer[4096];
    Read result = Read::Nothing;
    for (;;) {
        ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
            result = Read::Data;
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return result;
        return Read::Closed;
    }
}

bool LocalSocket::waitReadable(std::chrono::milliseconds timeout) const {
    return m_fd >= 0 && pollFor(m_fd, POLLIN, static_cast<int>(timeout.count()));
}

LocalListener::~LocalListener() { reset(); }

void LocalListener::reset() {
    if (m_fd < 0) return;
    ::close(m_fd);
    ::unlink(m_path.c_str());
    m_fd = -1;
}

LocalListener::LocalListener(LocalListener&& other) noexcept
    : m_fd(other.m_fd), m_path(std::move(other.m_path)) {
    other.m_fd = -1;
}

LocalListener& LocalListener::operator=(LocalListener&& other) noexcept {
    if (this != &other) {
        reset();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

LocalListener LocalListener::listenAt(const std::filesystem::path& path) {
    sockaddr_un addr;
    if (!fillAddress(path, addr)) return {};
    LocalListener l;
    l.m_fd = streamSocket();
    if (l.m_fd < 0) return {};
    l.m_path = path;
    auto bindIt = [&] { return ::bind(l.m_fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0; };
    bool bound = bindIt();
    if (!bound && errno == EADDRINUSE) {
        if (LocalSocket::connectTo(path).valid()) {
            ::close(l.m_fd);
            l.m_fd = -1;
            errno = EADDRINUSE;
            return {};
        }
        ::unlink(path.c_str());
        bound = bindIt();
    }
    if (!bound || ::listen(l.m_fd, 4) != 0) {
        const int saved = errno;
        ::close(l.m_fd);
        l.m_fd = -1;
        errno = saved;
        return {};
    }
    return l;
}

LocalSocket LocalListener::accept() {
    if (m_fd < 0) return {};
    int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    return fd < 0 ? LocalSocket() : LocalSocket(fd);
}

}  // namespace platform
