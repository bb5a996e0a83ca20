// A TCP server on 127.0.0.1 for the network tests: each connection runs the handler on a
// thread of its own with the request head already read (up to the empty line). Nothing
// but loopback is ever listened on or contacted.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace loopback {

inline bool sendAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Reads until `end` arrives, the peer closes or `ms` pass without data.
inline std::string readUntil(int fd, std::string_view end, int ms = 5000) {
    std::string text;
    char buffer[4096];
    while (text.find(end) == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) break;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

// A port on which nothing listens: bound, then closed again.
inline uint16_t closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

class Server {
public:
    // `head` is what arrived before the handler runs: the request head for HTTP, or
    // nothing when `readHead` is false (servers that speak first).
    using Handler = std::function<void(int fd, const std::string& head)>;

    explicit Server(Handler handler, bool readHead = true)
        : m_handler(std::move(handler)), m_readHead(readHead) {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int yes = 1;
        ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(m_listen, 64);
        socklen_t len = sizeof a;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
        m_port = ntohs(a.sin_port);
        m_accept = std::thread([this] { acceptLoop(); });
    }
    ~Server() {
        m_stop = true;
        m_accept.join();
        std::vector<std::thread> workers;
        {
            std::lock_guard lock(m_mutex);
            workers.swap(m_workers);
        }
        for (std::thread& t : workers) t.join();
        ::close(m_listen);
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    uint16_t port() const { return m_port; }
    std::string url(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
    }
    bool stopping() const { return m_stop; }
    std::vector<std::string> heads() const {
        std::lock_guard lock(m_mutex);
        return m_heads;
    }

private:
    void acceptLoop() {
        while (!m_stop) {
            pollfd p{m_listen, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            std::lock_guard lock(m_mutex);
            m_workers.emplace_back([this, fd] {
                const std::string head = m_readHead ? readUntil(fd, "\r\n\r\n") : std::string();
                {
                    std::lock_guard inner(m_mutex);
                    m_heads.push_back(head);
                }
                m_handler(fd, head);
                ::shutdown(fd, SHUT_WR);
                readUntil(fd, "\x01never", 200);
                ::close(fd);
            });
        }
    }

    Handler m_handler;
    bool m_readHead;
    int m_listen = -1;
    uint16_t m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_accept;
    mutable std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::vector<std::string> m_heads;
};

}  // namespace loopback
