// zeptool debug: the debugger's end of the link. It listens where "DEBUGER:<number>" points,
// starts the player with that number, prints every message the player sends and asks it
// to expand placeholders (from --expand, and lines typed at a terminal).
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <ostream>
#include <sstream>

#include "base/CodePage.h"
#include "platform/LocalSocket.h"
#include "platform/SystemInfo.h"
#include "runtime/DebuggerWire.h"
#include "toolkit/Zeptool.h"

extern char** environ;

namespace toolkit {
namespace {

namespace msg = runtime::debugmsg;
using runtime::DebugFrame;

constexpr std::chrono::milliseconds kSendPatience{2000};

struct DebugOptions {
    std::string project;
    std::string player;
    std::vector<std::string> expand;
    std::vector<std::string> playerArgs;
};

// A missing value or a second project is a usage error; the message says which.
bool parseDebugArgs(const std::vector<std::string>& args, DebugOptions& o, std::ostream& err) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            o.playerArgs.assign(args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "--player" || a == "--expand") {
            if (i + 1 >= args.size()) {
                err << "zeptool: " << a << " needs a value\n";
                return false;
            }
            const std::string& value = args[++i];
            if (a == "--player")
                o.player = value;
            else
                o.expand.push_back(value);
        } else if (o.project.empty() && !a.empty() && a[0] != '-') {
            o.project = a;
        } else {
            err << "zeptool: unexpected argument \"" << a << "\"\n";
            return false;
        }
    }
    if (o.project.empty()) err << "zeptool: usage: zeptool debug " << kDebugUsage << "\n";
    return !o.project.empty();
}

std::string defaultPlayer() {
    std::error_code ec;
    const auto beside = platform::executablePath().parent_path() / "vantrel";
    return std::filesystem::exists(beside, ec) ? beside.string() : "vantrel";
}

// A number of our own and the socket it names; a live socket of that number is someone else's.
bool listen(uint32_t& number, platform::LocalListener& listener, std::ostream& err) {
    number = static_cast<uint32_t>(::getpid());
    for (int attempt = 0; attempt < 64; ++attempt, ++number) {
        if (number == 0) ++number;
        const auto endpoint = runtime::debuggerEndpoint(number);
        if (endpoint.empty()) {
            err << "zeptool: no private runtime folder for the debugger's socket\n";
            return false;
        }
        listener = platform::LocalListener::listenAt(endpoint);
        if (listener.valid()) return true;
        if (errno != EADDRINUSE) {
            err << "zeptool: " << endpoint.string() << ": " << std::strerror(errno) << "\n";
            return false;
        }
    }
    err << "zeptool: every debugger number tried is in use\n";
    return false;
}

pid_t startPlayer(const DebugOptions& o, uint32_t number, std::ostream& err) {
    std::vector<std::string> argv = {o.player.empty() ? defaultPlayer() : o.player, o.project,
                                     "DEBUGER:" + std::to_string(number)};
    argv.insert(argv.end(), o.playerArgs.begin(), o.playerArgs.end());
    std::vector<char*> cargv;
    for (std::string& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    pid_t pid = -1;
    if (int rc = ::posix_spawnp(&pid, cargv[0], nullptr, nullptr, cargv.data(), environ); rc != 0) {
        err << "zeptool: cannot start " << argv[0] << ": " << std::strerror(rc) << "\n";
        return -1;
    }
    return pid;
}

}  // namespace

std::string quoteDebugText(const std::string& ansi) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (char c : base::CodePage::active().toUtf8(ansi)) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"')
            out += "\\\"";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (u < 0x20 || u == 0x7F)
            out += std::string("\\x") + hex[u >> 4] + hex[u & 0xF];
        else
            out += c;
    }
    return out + "\"";
}

std::string describeDebugFrame(const DebugFrame& f) {
    std::ostringstream s;
    s << f.message << " ";
    if (!runtime::wellFormedDebugFrame(f)) {
        s << "(unknown message):";
        for (int32_t n : f.numbers) s << " " << n;
        for (const std::string& t : f.texts) s << " " << quoteDebugText(t);
        return s.str();
    }
    switch (f.message) {
    case msg::kAnnounce: s << "announce: player process " << f.numbers[0]; break;
    case msg::kHint: s << "hint: " << quoteDebugText(f.texts[0]); break;
    case msg::kError: s << "error: " << quoteDebugText(f.texts[0]); break;
    case msg::kWarning: s << "warning: " << quoteDebugText(f.texts[0]); break;
    case msg::kReport:
        if (f.numbers[0] == -1) {
            s << "end of run: " << quoteDebugText(f.texts[0]);
        } else {
            s << "report: " << quoteDebugText(f.texts[0]);
            if (f.numbers[1] > 0)
                s << " at row " << f.numbers[1] << ", column " << f.numbers[2] << " (position "
                  << f.numbers[0] << ")";
            else
                s << " (no source position)";
        }
        break;
    case msg::kExpand:
        if (f.texts.size() == 2)
            s << "expanded: " << quoteDebugText(f.texts[1]) << " -> " << quoteDebugText(f.texts[0]);
        else
            s << "request: " << quoteDebugText(f.texts[0]);
        break;
    default: break;
    }
    return s.str();
}

int debugProject(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    DebugOptions options;
    if (!parseDebugArgs(args, options, err)) return 2;
    uint32_t number = 0;
    platform::LocalListener listener;
    if (!listen(number, listener, err)) return 1;
    const pid_t child = startPlayer(options, number, err);
    if (child < 0) return 1;

    platform::LocalSocket link;
    runtime::DebugFrameDecoder decoder;
    std::deque<std::string> requests(options.expand.begin(), options.expand.end());
    bool announced = false, linkDone = false;
    bool typing = ::isatty(STDIN_FILENO) == 1;
    std::string typed;
    int status = 0;

    auto sendRequests = [&] {
        while (announced && !linkDone && !requests.empty()) {
            const DebugFrame request{msg::kExpand, {}, {requests.front()}};
            requests.pop_front();
            out << "sent " << describeDebugFrame(request) << std::endl;
            if (!link.sendAll(runtime::encodeDebugFrame(request), kSendPatience)) linkDone = true;
        }
    };
    auto readLink = [&] {
        std::string bytes;
        const auto r = link.readAvailable(bytes);
        decoder.feed(bytes);
        try {
            while (auto f = decoder.next()) {
                out << describeDebugFrame(*f) << std::endl;
                if (f->message == msg::kAnnounce) announced = true;
            }
        } catch (const std::exception& e) {
            err << "zeptool: " << e.what() << "\n";
            linkDone = true;
        }
        if (r == platform::LocalSocket::Read::Closed) linkDone = true;
        sendRequests();
    };

    for (bool running = true; running;) {
        std::vector<pollfd> fds;
        if (!link.valid())
            fds.push_back({listener.fd(), POLLIN, 0});
        else if (!linkDone)
            fds.push_back({link.fd(), POLLIN, 0});
        if (typing) fds.push_back({STDIN_FILENO, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 100) < 0 && errno != EINTR) break;
        if (!link.valid()) {
            link = listener.accept();
        } else if (!linkDone) {
            readLink();
        }
        if (typing) {
            char buffer[512];
            pollfd p{STDIN_FILENO, POLLIN, 0};
            if (::poll(&p, 1, 0) > 0) {
                ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
                if (n <= 0)
                    typing = false;
                else
                    typed.append(buffer, static_cast<size_t>(n));
                for (size_t eol; (eol = typed.find('\n')) != std::string::npos; typed.erase(0, eol + 1))
                    requests.push_back(typed.substr(0, eol));
                sendRequests();
            }
        }
        if (::waitpid(child, &status, WNOHANG) == child) running = false;
    }
    // What the player sent before it ended is still in the socket.
    if (!link.valid()) link = listener.accept();
    if (link.valid() && !linkDone) readLink();
    if (WIFSIGNALED(status)) {
        out << "player ended by signal " << WTERMSIG(status) << std::endl;
        return 128 + WTERMSIG(status);
    }
    out << "player ended with exit code " << WEXITSTATUS(status) << std::endl;
    return WEXITSTATUS(status);
}

}  // namespace toolkit
