#include "player/DebuggerConnection.h"

#include <unistd.h>

#include <chrono>

#include "platform/LocalSocket.h"
#include "runtime/DebuggerWire.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"

namespace player {
namespace {

// The debugger handles each message while the player waits; one that takes longer than
// this to make room is treated as gone rather than let it freeze the project.
constexpr std::chrono::milliseconds kSendPatience{2000};

}  // namespace

struct DebuggerConnection::Impl {
    platform::LocalSocket socket;
    runtime::DebugFrameDecoder decoder;
    bool lost = false;
    std::function<void(bool)> onChange;
};

DebuggerConnection::DebuggerConnection() : m_impl(std::make_unique<Impl>()) {}
DebuggerConnection::~DebuggerConnection() = default;

void DebuggerConnection::hookup() {
    const uint32_t number = runtime::state().debuggerHandle();
    if (number == 0) return;
    if (!m_impl->socket.valid()) {
        const auto endpoint = runtime::debuggerEndpoint(number);
        if (!endpoint.empty()) m_impl->socket = platform::LocalSocket::connectTo(endpoint);
        if (!m_impl->socket.valid()) {
            runtime::state().setDebuggerHandle(0);
            return;
        }
        m_impl->lost = false;
        m_impl->decoder = {};
        if (m_impl->onChange) m_impl->onChange(true);
    }
    if (!active()) return;
    runtime::DebugFrame announce{runtime::debugmsg::kAnnounce, {static_cast<int32_t>(::getpid())}, {}};
    if (!m_impl->socket.sendAll(runtime::encodeDebugFrame(announce), kSendPatience)) lose();
}

bool DebuggerConnection::active() const { return m_impl->socket.valid() && !m_impl->lost; }

int DebuggerConnection::fd() const { return m_impl->socket.fd(); }

void DebuggerConnection::report(const std::string& text, int position, int row, int col) {
    if (!active()) return;
    runtime::DebugFrame frame{runtime::debugmsg::kReport, {position, row, col}, {text}};
    if (!m_impl->socket.sendAll(runtime::encodeDebugFrame(frame), kSendPatience)) lose();
}

void DebuggerConnection::command(int kind, const std::string& text) {
    if (!active() || kind < 0 || kind > 2) return;
    runtime::DebugFrame frame{static_cast<uint16_t>(runtime::debugmsg::kHint + kind), {}, {text}};
    if (!m_impl->socket.sendAll(runtime::encodeDebugFrame(frame), kSendPatience)) lose();
}

void DebuggerConnection::serviceRequests() {
    if (!active()) return;
    std::string bytes;
    const auto read = m_impl->socket.readAvailable(bytes);
    m_impl->decoder.feed(bytes);
    try {
        while (auto frame = m_impl->decoder.next()) {
            if (frame->message != runtime::debugmsg::kExpand || frame->texts.size() != 1) continue;
            const std::string requested = requestedText(frame->texts[0]);
            runtime::DebugFrame reply{
                runtime::debugmsg::kExpand, {}, {runtime::RepConst(requested), requested}};
            if (!m_impl->socket.sendAll(runtime::encodeDebugFrame(reply), kSendPatience)) return lose();
        }
    } catch (const std::exception&) {
        // A peer that sends what cannot be a frame is not a debugger to talk to.
        return lose();
    }
    if (read == platform::LocalSocket::Read::Closed) lose();
}

void DebuggerConnection::setOnChange(std::function<void(bool)> onChange) {
    m_impl->onChange = std::move(onChange);
}

void DebuggerConnection::close() {
    if (!m_impl->socket.valid()) return;
    if (!m_impl->lost && m_impl->onChange) m_impl->onChange(false);
    m_impl->socket.close();
    m_impl->lost = false;
    m_impl->decoder = {};
}

void DebuggerConnection::lose() {
    if (m_impl->lost) return;
    m_impl->lost = true;
    if (m_impl->onChange) m_impl->onChange(false);
}

DebuggerConnection& debuggerConnection() {
    static DebuggerConnection connection;
    return connection;
}

std::string requestedText(const std::string& text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == ' ') --end;
    return text.substr(0, end);
}

}  // namespace player
