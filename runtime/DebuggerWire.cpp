#include "runtime/DebuggerWire.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "base/Error.h"

namespace runtime {
namespace {

constexpr size_t kHeader = 4;

void putLe(std::string& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t getLe(std::string_view in, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

[[noreturn]] void malformed(const char* why) {
    throw base::StreamError(std::string("Debugger frame: ") + why);
}

// Parses one frame body (everything after the length) exactly.
DebugFrame parseBody(std::string_view body) {
    if (body.size() < 4) malformed("too short");
    DebugFrame f;
    f.message = static_cast<uint16_t>(getLe(body, 0, 2));
    const size_t nNumbers = static_cast<unsigned char>(body[2]);
    const size_t nTexts = static_cast<unsigned char>(body[3]);
    if (nNumbers > kMaxDebugFields || nTexts > kMaxDebugFields) malformed("too many fields");
    size_t at = 4;
    if (body.size() - at < 4 * nNumbers) malformed("numbers cut short");
    for (size_t i = 0; i < nNumbers; ++i, at += 4)
        f.numbers.push_back(static_cast<int32_t>(getLe(body, at, 4)));
    for (size_t i = 0; i < nTexts; ++i) {
        if (body.size() - at < 4) malformed("text length cut short");
        const size_t length = getLe(body, at, 4);
        at += 4;
        if (body.size() - at < length) malformed("text cut short");
        f.texts.emplace_back(body.substr(at, length));
        at += length;
    }
    if (at != body.size()) malformed("bytes after the last field");
    return f;
}

// A folder of this user's that nobody else can write to, created when missing.
bool privateFolder(const std::filesystem::path& dir) {
    struct stat st;
    if (::lstat(dir.c_str(), &st) != 0) {
        if (errno != ENOENT || ::mkdir(dir.c_str(), 0700) != 0) return false;
        if (::lstat(dir.c_str(), &st) != 0) return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

std::string encodeDebugFrame(const DebugFrame& frame) {
    if (frame.numbers.size() > kMaxDebugFields || frame.texts.size() > kMaxDebugFields)
        throw base::Error("Debugger frame: too many fields");
    size_t size = 4 + 4 * frame.numbers.size();
    for (const std::string& t : frame.texts) size += 4 + t.size();
    if (size > kMaxDebugFrame - kHeader) throw base::Error("Debugger frame: too large");
    std::string out;
    out.reserve(kHeader + size);
    putLe(out, static_cast<uint32_t>(size), 4);
    putLe(out, frame.message, 2);
    out += static_cast<char>(frame.numbers.size());
    out += static_cast<char>(frame.texts.size());
    for (int32_t n : frame.numbers) putLe(out, static_cast<uint32_t>(n), 4);
    for (const std::string& t : frame.texts) {
        putLe(out, static_cast<uint32_t>(t.size()), 4);
        out += t;
    }
    return out;
}

bool wellFormedDebugFrame(const DebugFrame& f) {
    const size_t n = f.numbers.size(), t = f.texts.size();
    switch (f.message) {
    case debugmsg::kHint:
    case debugmsg::kError:
    case debugmsg::kWarning: return n == 0 && t == 1;
    case debugmsg::kReport: return n == 3 && t == 1;
    case debugmsg::kExpand: return n == 0 && (t == 1 || t == 2);
    case debugmsg::kAnnounce: return n == 1 && t == 0;
    default: return false;
    }
}

void DebugFrameDecoder::feed(std::string_view bytes) {
    // Drop what earlier frames used before the buffer grows.
    if (m_start > 0 && m_start == m_buffer.size()) {
        m_buffer.clear();
        m_start = 0;
    } else if (m_start > 4096 && m_start * 2 > m_buffer.size()) {
        m_buffer.erase(0, m_start);
        m_start = 0;
    }
    m_buffer.append(bytes);
}

std::optional<DebugFrame> DebugFrameDecoder::next() {
    std::string_view rest = std::string_view(m_buffer).substr(m_start);
    if (rest.size() < kHeader) return std::nullopt;
    const size_t size = getLe(rest, 0, 4);
    if (size > kMaxDebugFrame - kHeader) malformed("too large");
    if (rest.size() - kHeader < size) return std::nullopt;
    DebugFrame f = parseBody(rest.substr(kHeader, size));
    m_start += kHeader + size;
    return f;
}

std::filesystem::path debuggerEndpoint(uint32_t number) {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::filesystem::path dir;
    if (runtimeDir && *runtimeDir == '/' && std::filesystem::is_directory(runtimeDir))
        dir = std::filesystem::path(runtimeDir) / "vantrel-debugger";
    else
        dir = "/tmp/vantrel-debugger-" + std::to_string(::geteuid());
    if (!privateFolder(dir)) return {};
    return dir / ("debuger-" + std::to_string(number) + ".sock");
}

}  // namespace runtime
