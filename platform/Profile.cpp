#include "platform/Profile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "base/AnsiText.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        return std::string(v.substr(1, v.size() - 2));
    }
    return std::string(v);
}

std::string_view untilZero(std::string_view s) { return s.substr(0, s.find('\0')); }

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

// The whole file; nullopt when it exists but cannot be read. A missing file is empty.
std::optional<std::string> readFile(const fs::path& file, bool& existed) {
    existed = false;
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    existed = true;
    std::string out;
    char buf[65536];
    while (true) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Writes `bytes` to a new file beside `target` and renames it over `target`.
bool replaceFile(const fs::path& target, std::string_view bytes, std::optional<mode_t> mode) {
    static std::atomic<unsigned> counter{0};
    std::string name = ".";
    name.append(target.filename().string()).append(".").append(std::to_string(::getpid()));
    name.append(".").append(std::to_string(counter++)).append(".tmp");
    fs::path temp = target;
    temp.replace_filename(name);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = (!mode || ::fchmod(fd, *mode) == 0) && writeAll(fd, bytes) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), target.c_str()) == 0) return true;
    ::unlink(temp.c_str());
    return false;
}

// An exclusive lock on a folder for as long as the object lives; a folder that cannot be
// opened goes unlocked rather than refusing the write.
class FolderLock {
public:
    explicit FolderLock(const fs::path& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (m_fd >= 0) {
            while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~FolderLock() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd;
};

}  // namespace

ProfileFile::Line ProfileFile::parseLine(std::string raw, std::string eol, bool first) {
    Line line{std::move(raw), std::move(eol), Kind::Other, {}, {}};
    std::string_view content = line.raw;
    if (first && content.substr(0, kUtf8Bom.size()) == kUtf8Bom) content.remove_prefix(kUtf8Bom.size());
    content = base::trimText(content);
    if (content.empty() || content.front() == ';') return line;
    if (content.front() == '[') {
        size_t close = content.find(']');
        std::string_view name =
            content.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
        line.kind = Kind::Section;
        line.name = std::string(base::trimText(name));
        return line;
    }
    size_t eq = content.find('=');
    if (eq == std::string_view::npos) return line;
    line.kind = Kind::Key;
    line.name = std::string(base::trimText(content.substr(0, eq)));
    line.value = unquote(base::trimText(content.substr(eq + 1)));
    return line;
}

ProfileFile ProfileFile::load(const fs::path& file) {
    bool existed = false;
    auto text = readFile(file, existed);
    return text ? parse(*text) : ProfileFile();
}

ProfileFile ProfileFile::parse(std::string_view text) {
    ProfileFile profile;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        std::string raw(text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos));
        std::string eol;
        if (end != std::string_view::npos) {
            eol = "\n";
            if (!raw.empty() && raw.back() == '\r') {
                raw.pop_back();
                eol = "\r\n";
            }
        }
        profile.m_lines.push_back(parseLine(std::move(raw), std::move(eol), profile.m_lines.empty()));
        pos = end == std::string_view::npos ? text.size() : end + 1;
    }
    return profile;
}

size_t ProfileFile::findSection(std::string_view section) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == Kind::Section && base::ansiSameText(m_lines[i].name, section)) return i;
    }
    return std::string::npos;
}

size_t ProfileFile::sectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section) ++i;
    return i;
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const {
    section = base::trimText(section);
    key = base::trimText(key);
    size_t header = findSection(section);
    if (header == std::string::npos) return std::nullopt;
    for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
        if (m_lines[i].kind == Kind::Key && base::ansiSameText(m_lines[i].name, key)) return m_lines[i].value;
    }
    return std::nullopt;
}

std::vector<std::string> ProfileFile::keyNames(std::string_view section) const {
    std::vector<std::string> out;
    size_t header = findSection(base::trimText(section));
    if (header == std::string::npos) return out;
    for (size_t i = header + 1, end = sectionEnd(header); i < end; ++i) {
        if (m_lines[i].kind == Kind::Key) out.push_back(m_lines[i].name);
    }
    return out;
}

std::vector<std::string> ProfileFile::sectionNames() const {
    std::vector<std::string> out;
    for (const Line& l : m_lines) {
        if (l.kind == Kind::Section) out.push_back(l.name);
    }
    return out;
}

bool ProfileFile::setValue(std::string_view section, std::string_view key, std::string_view value) {
    section = base::trimText(untilZero(section));
    key = base::trimText(untilZero(key));
    value = untilZero(value);
    if (section.empty() || key.empty() || hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) ||
        section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos ||
        key.front() == '[' || key.front() == ';') {
        return false;
    }
    const std::string entry = std::string(key) + "=" + std::string(value);
    size_t header = findSection(section);
    if (header == std::string::npos) {
        if (!m_lines.empty()) {
            if (m_lines.back().eol.empty()) m_lines.back().eol = "\r\n";
            if (!base::trimText(m_lines.back().raw).empty())
                m_lines.push_back({"", "\r\n", Kind::Other, {}, {}});
        }
        std::string heading = "[";
        heading.append(section).append("]");
        m_lines.push_back(parseLine(std::move(heading), "\r\n", m_lines.empty()));
        m_lines.push_back(parseLine(entry, "\r\n", false));
        return true;
    }
    size_t end = sectionEnd(header);
    size_t last = header;
    for (size_t i = header + 1; i < end; ++i) {
        if (m_lines[i].kind != Kind::Key) continue;
        if (base::ansiSameText(m_lines[i].name, key)) {
            // Rewritten in place; the key keeps the spelling the file gave it.
            m_lines[i] = parseLine(m_lines[i].name + "=" + std::string(value), m_lines[i].eol, i == 0);
            return true;
        }
        last = i;
    }
    if (m_lines[last].eol.empty()) m_lines[last].eol = "\r\n";
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(last + 1), parseLine(entry, "\r\n", false));
    return true;
}

bool ProfileFile::removeKey(std::string_view section, std::string_view key) {
    section = base::trimText(untilZero(section));
    key = base::trimText(untilZero(key));
    size_t header = findSection(section);
    if (header == std::string::npos) return false;
    bool removed = false;
    for (size_t i = sectionEnd(header); i-- > header + 1;) {
        if (m_lines[i].kind == Kind::Key && base::ansiSameText(m_lines[i].name, key)) {
            m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    return removed;
}

bool ProfileFile::removeSection(std::string_view section) {
    section = base::trimText(untilZero(section));
    bool removed = false;
    for (size_t header = findSection(section); header != std::string::npos; header = findSection(section)) {
        m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(header),
                      m_lines.begin() + static_cast<std::ptrdiff_t>(sectionEnd(header)));
        removed = true;
    }
    return removed;
}

std::string ProfileFile::text() const {
    std::string out;
    for (const Line& l : m_lines) {
        out += l.raw;
        out += l.eol;
    }
    return out;
}

std::string readProfileString(const fs::path& file, std::string_view section, std::string_view key,
                              std::string_view defaultValue, size_t bufferSize) {
    if (bufferSize == 0) return {};
    auto v = ProfileFile::load(file).value(section, key);
    std::string out = v ? *v : std::string(trimRight(defaultValue));
    if (out.size() > bufferSize - 1) out.resize(bufferSize - 1);
    return out;
}

int readProfileInt(const fs::path& file, std::string_view section, std::string_view key, int defaultValue) {
    auto v = ProfileFile::load(file).value(section, key);
    if (!v) return defaultValue;
    std::string_view s = *v;
    bool negative = false;
    if (!s.empty() && s.front() == '-') {
        negative = true;
        s.remove_prefix(1);
    }
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    uint32_t n = 0;  // wraps like the 32-bit original
    for (char c : s) {
        int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                    : (base == 16 && std::isxdigit(static_cast<unsigned char>(c)))
                        ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                        : -1;
        if (digit < 0) break;
        n = n * base + static_cast<uint32_t>(digit);
    }
    if (negative) n = 0u - n;
    return static_cast<int>(n);
}

bool editProfile(const fs::path& file, const std::function<bool(ProfileFile&)>& edit) {
    // Through a symbolic link the file it names is replaced, and the link stays.
    std::error_code ec;
    fs::path target = file;
    if (fs::is_symlink(fs::symlink_status(file, ec))) {
        target = fs::weakly_canonical(file, ec);
        if (ec) return false;
    }
    fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    if (!fs::is_directory(folder, ec)) return false;
    FolderLock lock(folder);
    bool existed = false;
    auto before = readFile(target, existed);
    if (!before) return false;  // never replace what could not be read
    ProfileFile profile = ProfileFile::parse(*before);
    if (!edit(profile)) return false;
    std::string after = profile.text();
    if (after == *before && (existed || after.empty())) return true;
    std::optional<mode_t> mode;
    if (struct stat st{}; existed && ::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    return replaceFile(target, after, mode);
}

bool writeProfileString(const fs::path& file, std::string_view section, std::string_view key,
                        std::string_view value) {
    return editProfile(file, [&](ProfileFile& p) { return p.setValue(section, key, value); });
}

bool deleteProfileKey(const fs::path& file, std::string_view section, std::string_view key) {
    return editProfile(file, [&](ProfileFile& p) {
        p.removeKey(section, key);
        return true;
    });
}

bool deleteProfileSection(const fs::path& file, std::string_view section) {
    return editProfile(file, [&](ProfileFile& p) {
        p.removeSection(section);
        return true;
    });
}

}  // namespace platform
