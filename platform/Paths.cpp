#include "platform/Paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "base/CodePage.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

char upperLetter(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool isDriveLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

// Splits on '/' and applies "." and ".."; `clampAtRoot` keeps ".." from leaving the start.
std::vector<std::string> splitComponents(std::string_view s, bool clampAtRoot) {
    std::vector<std::string> parts;
    size_t pos = 0;
    while (pos <= s.size()) {
        size_t next = s.find('/', pos);
        if (next == std::string_view::npos) next = s.size();
        std::string_view part = s.substr(pos, next - pos);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..") {
                parts.pop_back();
            } else if (!clampAtRoot) {
                parts.emplace_back(part);
            }
        } else if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        pos = next + 1;
    }
    return parts;
}

bool existsNoFollow(const fs::path& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

// Whether `prefix` is `path` or one of its ancestors, comparing whole components.
bool isPathPrefix(const fs::path& prefix, const fs::path& path) {
    auto pi = prefix.begin();
    auto qi = path.begin();
    for (; pi != prefix.end(); ++pi, ++qi) {
        if (pi->empty()) continue;  // trailing separator of "dir/"
        if (qi == path.end() || *pi != *qi) return false;
    }
    return true;
}

size_t componentCount(const fs::path& p) {
    size_t n = 0;
    for (const auto& part : p) {
        if (!part.empty()) ++n;
    }
    return n;
}

std::string unescapeMountField(std::string_view field) {
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1]))) {
            out.push_back(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

}  // namespace

bool sameFileName(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (base::unicodeLower(base::decodeUtf8(a, i)) != base::unicodeLower(base::decodeUtf8(b, j)))
            return false;
    }
    return i == a.size() && j == b.size();
}

fs::path mountPointOf(const fs::path& path) {
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) target = path;
    std::ifstream in("/proc/self/mountinfo");
    fs::path best = "/";
    size_t bestDepth = 0;
    std::string line;
    while (std::getline(in, line)) {
        // Fields: id parent major:minor root mount-point ...
        size_t pos = 0;
        for (int field = 0; field < 4 && pos != std::string::npos; ++field) pos = line.find(' ', pos + 1);
        if (pos == std::string::npos) continue;
        size_t end = line.find(' ', pos + 1);
        fs::path mount = unescapeMountField(std::string_view(line).substr(pos + 1, end - pos - 1));
        size_t depth = componentCount(mount.relative_path());
        if (depth >= bestDepth && isPathPrefix(mount, target)) {
            best = mount;
            bestDepth = depth;
        }
    }
    return best;
}

fs::path systemDriveRoot() {
    static const fs::path root = [] {
        fs::path data;
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
            data = xdg;
        } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
            data = fs::path(home) / ".local" / "share";
        } else {
            data = fs::temp_directory_path() / ("vantrel-" + std::to_string(::getuid()));
        }
        fs::path drive = data / "vantrel" / "drive_c";
        std::error_code ec;
        fs::create_directories(drive / "WINDOWS" / "system32", ec);
        return drive;
    }();
    return root;
}

void DriveTable::map(char letter, fs::path root) {
    std::lock_guard lock(m_mutex);
    m_roots[upperLetter(letter)] = std::move(root);
}

void DriveTable::unmap(char letter) {
    std::lock_guard lock(m_mutex);
    m_roots.erase(upperLetter(letter));
}

std::optional<fs::path> DriveTable::root(char letter) const {
    std::lock_guard lock(m_mutex);
    auto it = m_roots.find(upperLetter(letter));
    if (it == m_roots.end()) return std::nullopt;
    return it->second;
}

char DriveTable::mountDriveFor(const fs::path& nativePath) {
    fs::path mount = mountPointOf(nativePath);
    std::lock_guard lock(m_mutex);
    if (mount == "/") return 'Z';
    for (const auto& [letter, root] : m_roots) {
        if (letter != 'C' && letter != 'Z' && root == mount) return letter;
    }
    for (char letter = 'D'; letter < 'Z'; ++letter) {
        if (!m_roots.count(letter)) {
            m_roots[letter] = mount;
            return letter;
        }
    }
    return 'Z';
}

std::string DriveTable::toWindows(const fs::path& nativePath) const {
    std::error_code ec;
    fs::path abs = fs::absolute(nativePath, ec).lexically_normal();
    if (ec) abs = nativePath;
    char bestLetter = 0;
    size_t bestDepth = 0;
    fs::path bestRoot;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& [letter, root] : m_roots) {
            size_t depth = componentCount(root.relative_path());
            if ((bestLetter == 0 || depth > bestDepth) && isPathPrefix(root, abs)) {
                bestLetter = letter;
                bestDepth = depth;
                bestRoot = root;
            }
        }
    }
    std::string utf8;
    if (bestLetter == 0) return base::CodePage::active().fromUtf8(abs.string());
    utf8.push_back(bestLetter);
    utf8.push_back(':');
    bool any = false;
    for (const auto& part : abs.lexically_relative(bestRoot)) {
        if (part.empty() || part == ".") continue;
        utf8.push_back('\\');
        utf8 += part.string();
        any = true;
    }
    if (!any) utf8.push_back('\\');
    return base::CodePage::active().fromUtf8(utf8);
}

fs::path DriveTable::toNative(std::string_view windowsPath) const {
    std::string s = base::CodePage::active().toUtf8(windowsPath);
    if (s.empty()) return {};
    // A forward-slash start is a native absolute path (command lines, tests, dialogs),
    // where doubled slashes are one, as the system takes them: "//home/x" is "/home/x".
    // Only backslashes start a share name.
    if (s[0] == '/') {
        std::replace(s.begin(), s.end(), '\\', '/');
        fs::path out = "/";
        for (auto& part : splitComponents(s, true)) out /= part;
        return out;
    }
    std::replace(s.begin(), s.end(), '\\', '/');
    if (s.size() >= 2 && s[0] == '/' && s[1] == '/') return {};  // UNC share: no meaning here

    fs::path root;
    std::string_view rest = s;
    if (s.size() >= 2 && isDriveLetter(s[0]) && s[1] == ':') {
        auto r = this->root(s[0]);
        if (!r) return {};
        root = *r;
        rest = std::string_view(s).substr(2);
    } else if (s[0] == '/') {
        // Root of the current drive.
        std::error_code ec;
        std::string cwd = toWindows(fs::current_path(ec));
        auto r = cwd.size() >= 2 ? this->root(cwd[0]) : std::nullopt;
        root = r ? *r : fs::path("/");
    } else {
        fs::path out;
        for (auto& part : splitComponents(s, false)) out /= part;
        return out;
    }
    fs::path out = root;
    for (auto& part : splitComponents(rest, true)) out /= part;
    return out;
}

fs::path DriveTable::resolve(std::string_view windowsPath) const {
    fs::path native = toNative(windowsPath);
    if (native.empty()) return native;
    std::error_code ec;
    if (native.is_relative()) native = fs::current_path(ec) / native;
    if (existsNoFollow(native)) return native;

    fs::path out = native.root_path();
    bool missing = false;  // once a component is missing, the rest cannot exist either
    for (const auto& part : native.relative_path()) {
        if (part.empty()) continue;
        fs::path candidate = out / part;
        if (missing || part == ".." || existsNoFollow(candidate)) {
            out = std::move(candidate);
            continue;
        }
        std::string wanted = part.string();
        std::string match;
        for (fs::directory_iterator it(out, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (sameFileName(name, wanted) && (match.empty() || name < match)) match = name;
        }
        if (match.empty()) {
            missing = true;
            out = std::move(candidate);
        } else {
            out /= match;
        }
    }
    return out;
}

DriveTable& drives() {
    static DriveTable* table = [] {
        auto* t = new DriveTable;  // never destroyed: used by the exit path after statics die
        t->map('C', systemDriveRoot());
        t->map('Z', "/");
        return t;
    }();
    return *table;
}

}  // namespace platform
