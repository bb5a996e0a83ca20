#include "runtime/TempFolders.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <random>

#include "base/Error.h"
#include "platform/Paths.h"
#include "runtime/Placeholders.h"
#include "runtime/WriteGate.h"

namespace fs = std::filesystem;

namespace runtime {
namespace {

constexpr const char* kLockName = ".vantrel.lock";
constexpr const char* kAppSuffix = "_al";

bool existsNoFollow(const fs::path& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
}

uint32_t randomStart() {
    // Seeded once from the clock; the process id keeps players started in the same
    // instant apart.
    static std::mt19937 rng(
        static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count() ^
                              (static_cast<long long>(::getpid()) << 16)));
    return rng() % kUniqueNameSpace;
}

bool looksLikeAppFolder(const std::string& name) {
    // "zep-" + 5 base-32 digits + "_al"
    if (name.size() != 12 || name.rfind("zep-", 0) != 0 || name.substr(9) != kAppSuffix) return false;
    for (size_t i = 4; i < 9; ++i) {
        char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'))) return false;
    }
    return true;
}

void removeTree(const fs::path& p) {
    std::error_code ec;
    fs::remove_all(p, ec);  // does not follow symbolic links
}

}  // namespace

std::string base32Name(uint32_t n) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
    std::string out(5, '0');
    for (int i = 4; i >= 0; --i) {
        out[static_cast<size_t>(i)] = kDigits[n & 31];
        n >>= 5;
    }
    return out;
}

fs::path uniqueNameWith(const fs::path& folder, std::string_view suffix,
                        const std::function<bool(const fs::path&)>& exists, uint32_t start, uint32_t space) {
    uint32_t counter = start % space;
    while (true) {
        counter = (counter + 1) % space;
        if (counter == start % space) {
            std::string dir = platform::windowsPath(folder);
            if (dir.size() > 3 && dir.back() == '\\') dir.pop_back();
            throw base::Error(RepConst("Unable to create a file in the directory \"" + dir +
                                       "\" because it contains too many files"));
        }
        fs::path candidate = folder / ("zep-" + base32Name(counter) + std::string(suffix));
        if (!exists(candidate)) return candidate;
    }
}

fs::path uniqueName(const fs::path& folder, std::string_view suffix) {
    return uniqueNameWith(folder, suffix, existsNoFollow, randomStart());
}

TempFolders& TempFolders::instance() {
    static TempFolders* folders = new TempFolders;  // used by the exit path after statics die
    return *folders;
}

bool TempFolders::createAppFolder(const std::vector<fs::path>& candidates) {
    WriteGate::Hold gate;
    std::lock_guard lock(m_mutex);
    if (m_cleaned || !m_appFolder.empty()) return !m_cleaned;
    for (const fs::path& userTemp : candidates) {
        // Another player may take the same name between the test and mkdir: try the next one.
        for (int attempt = 0; attempt < 64; ++attempt) {
            fs::path folder;
            try {
                folder = uniqueName(userTemp, kAppSuffix);
            } catch (const base::Error&) {
                break;
            }
            if (::mkdir(folder.c_str(), 0700) != 0) {
                if (errno == EEXIST) continue;
                break;  // read-only, full, or not ours to write: the next candidate
            }
            // The lock file appears under its own name only once it is locked: a player
            // sweeping at this moment would otherwise find it unlocked and take the folder.
            const fs::path making = folder / (std::string(kLockName) + ".new");
            m_lockFd = ::open(making.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (m_lockFd >= 0 && ::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0)
                ::rename(making.c_str(), (folder / kLockName).c_str());
            m_appFolder = folder;
            m_userTemp = userTemp;
            m_files.insert(m_files.begin(), folder);
            return true;
        }
    }
    return false;
}

fs::path TempFolders::userTemp() const {
    std::lock_guard lock(m_mutex);
    return m_userTemp;
}

fs::path TempFolders::makeFolder(std::string_view suffix) {
    const fs::path app = appFolder();
    if (app.empty()) throw base::Error("There is no temporary folder to write to");
    for (int attempt = 0; attempt < 64; ++attempt) {
        fs::path folder = uniqueName(app, suffix);
        WriteGate::Hold gate;
        if (::mkdir(folder.c_str(), 0700) == 0) return folder;
        if (errno != EEXIST) break;
    }
    throw base::Error("Cannot create a folder in \"" + platform::windowsPath(app) + "\"");
}

fs::path TempFolders::appFolder() const {
    std::lock_guard lock(m_mutex);
    return m_appFolder;
}

fs::path TempFolders::embeddedFolder() const {
    std::lock_guard lock(m_mutex);
    return m_embeddedFolder;
}

void TempFolders::setEmbeddedFolder(fs::path folder) {
    std::lock_guard lock(m_mutex);
    m_embeddedFolder = std::move(folder);
}

void TempFolders::addTemporaryFile(fs::path path) {
    std::lock_guard lock(m_mutex);
    m_files.push_back(std::move(path));
}

void TempFolders::cleanup() {
    std::lock_guard lock(m_mutex);
    if (m_cleaned) return;
    m_cleaned = true;
    std::error_code ec;
    std::vector<fs::path> list = m_files;
    if (!m_appFolder.empty()) {
        for (fs::directory_iterator it(m_appFolder, ec), end; !ec && it != end; it.increment(ec)) {
            // The lock goes with the folder: a folder without it is never swept.
            if (it->path().filename() == kLockName) continue;
            if (!it->is_directory(ec) || it->is_symlink(ec)) list.push_back(it->path());
        }
    }
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (::rmdir(it->c_str()) != 0) ::unlink(it->c_str());
    }
    // Whatever is left (the embedded folder and other subfolders) goes with the folder.
    if (!m_appFolder.empty() && existsNoFollow(m_appFolder)) removeTree(m_appFolder);
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

int TempFolders::removeStaleFolders(const fs::path& userTemp) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(userTemp, ec), end; !ec && it != end; it.increment(ec)) {
        if (!looksLikeAppFolder(it->path().filename().string())) continue;
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
            continue;
        // Only folders carrying our lock file are ours to judge; a folder without one may
        // be a player in the instant between mkdir and taking the lock.
        int fd = ::open((it->path() / kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removeTree(it->path());
            ++removed;
        }
        ::close(fd);
    }
    return removed;
}

}  // namespace runtime
