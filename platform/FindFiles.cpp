#include "platform/FindFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/CodePage.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

unsigned char fold(const base::CodePage& cp, char c) { return cp.upper(static_cast<unsigned char>(c)); }

// '*' any run, '?' one character; backtracks to the last star only, which is enough.
bool globMatch(std::string_view name, std::string_view pattern) {
    const base::CodePage& cp = base::CodePage::active();
    size_t n = 0, p = 0;
    size_t starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || fold(cp, pattern[p]) == fold(cp, name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

bool isDots(std::string_view s) { return s == "." || s == ".."; }

FoundFile entryFor(int dirFd, const fs::path& folder, const char* nativeName) {
    FoundFile f;
    f.name = base::CodePage::active().fromUtf8(nativeName);
    f.path = folder / nativeName;
    struct stat st;
    if (::fstatat(dirFd, nativeName, &st, AT_SYMLINK_NOFOLLOW) != 0) return f;
    if (S_ISLNK(st.st_mode)) {
        f.isLink = true;
        if (::fstatat(dirFd, nativeName, &st, 0) != 0) return f;  // a dangling link is a file
    }
    f.isFolder = S_ISDIR(st.st_mode);
    if (!f.isFolder) f.size = static_cast<uint64_t>(st.st_size);
    return f;
}

FoundFile entryForPath(const fs::path& path) {
    FoundFile f;
    f.name = base::CodePage::active().fromUtf8(path.filename().string());
    f.path = path;
    struct stat st;
    f.isLink = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if (::stat(path.c_str(), &st) == 0) {
        f.isFolder = S_ISDIR(st.st_mode);
        if (!f.isFolder) f.size = static_cast<uint64_t>(st.st_size);
    }
    return f;
}

}  // namespace

bool hasWildcards(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

bool matchesFileMask(std::string_view name, std::string_view pattern) {
    if (pattern == "*" || pattern == "*.*") return true;
    if (globMatch(name, pattern)) return true;
    // "x.*" also finds "x"; "x." finds only names without an extension.
    if (pattern.size() > 2 && pattern.substr(pattern.size() - 2) == ".*")
        return globMatch(name, pattern.substr(0, pattern.size() - 2));
    if (pattern.size() > 1 && pattern.back() == '.' && !isDots(pattern) && !isDots(name))
        return name.find('.') == std::string_view::npos &&
               globMatch(name, pattern.substr(0, pattern.size() - 1));
    return false;
}

bool fileNameLess(std::string_view a, std::string_view b) {
    if (isDots(a) || isDots(b)) {
        int ra = a == "." ? 0 : a == ".." ? 1 : 2;
        int rb = b == "." ? 0 : b == ".." ? 1 : 2;
        if (ra != rb) return ra < rb;
    }
    const base::CodePage& cp = base::CodePage::active();
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = fold(cp, a[i]), y = fold(cp, b[i]);
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::vector<FoundFile> findInFolder(const fs::path& folder, std::string_view pattern) {
    std::vector<FoundFile> out;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return out;
    const base::CodePage& cp = base::CodePage::active();
    while (const dirent* e = ::readdir(dir)) {
        if (!matchesFileMask(cp.fromUtf8(e->d_name), pattern)) continue;
        out.push_back(entryFor(::dirfd(dir), folder, e->d_name));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end(),
              [](const FoundFile& a, const FoundFile& b) { return fileNameLess(a.name, b.name); });
    return out;
}

std::pair<std::string, std::string> splitLastComponent(std::string_view windowsPath) {
    size_t cut = windowsPath.find_last_of("\\/");
    if (cut == std::string_view::npos && windowsPath.size() >= 2 && windowsPath[1] == ':') cut = 1;
    if (cut == std::string_view::npos) return {std::string(), std::string(windowsPath)};
    return {std::string(windowsPath.substr(0, cut + 1)), std::string(windowsPath.substr(cut + 1))};
}

std::vector<FoundFile> findFiles(std::string_view windowsPattern) {
    auto [folderPart, last] = splitLastComponent(windowsPattern);
    if (last.empty()) return {};
    std::error_code ec;
    if (!hasWildcards(last)) {
        fs::path path = resolvePath(windowsPattern);
        if (path.empty() || !fs::exists(fs::symlink_status(path, ec))) return {};
        return {entryForPath(path)};
    }
    fs::path folder = folderPart.empty() ? fs::current_path(ec) : resolvePath(folderPart);
    if (folder.empty()) return {};
    return findInFolder(folder, last);
}

}  // namespace platform
