// Programs started with posix_spawn and waited for with waitpid; see Process.h.
#include "platform/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/EventPump.h"
#include "platform/LastError.h"
#include "platform/Paths.h"

extern char** environ;

namespace fs = std::filesystem;

namespace platform {
namespace {

constexpr size_t kMaxParameter = 4096;

bool isSpaceOrControl(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
}

bool endsWithExe(const fs::path& p) {
    std::string ext = p.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".exe";
}

bool isRunnable(const fs::path& p) {
    struct stat st {};
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(p.c_str(), X_OK) == 0;
}

int errorFor(const fs::path& missing) {
    std::error_code ec;
    const fs::path parent = missing.parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec)) return kPathNotFound;
    return kFileNotFound;
}

// The native twin of "name.exe": "name" in the same folder, in any letter case, as
// Windows names match.
fs::path twinOf(const fs::path& file) {
    fs::path twin = file;
    twin.replace_extension();
    if (isRunnable(twin)) return twin;
    std::error_code ec;
    const std::string stem = twin.filename().string();
    for (fs::directory_iterator it(file.parent_path(), ec), end; !ec && it != end; it.increment(ec))
        if (sameFileName(it->path().filename().string(), stem) && isRunnable(it->path())) return it->path();
    return {};
}

// The twin "name" of "name.exe", or the file itself, in one folder.
ResolvedProgram resolveIn(const fs::path& file) {
    std::error_code ec;
    if (endsWithExe(file)) {
        if (fs::path twin = twinOf(file); !twin.empty()) return {twin, 0};
    }
    if (!fs::exists(file, ec)) return {{}, errorFor(file)};
    if (fs::is_directory(file, ec)) return {{}, kAccessDenied};
    if (isWindowsProgram(file)) return {{}, kBadFormat};
    if (!isRunnable(file)) return {{}, kAccessDenied};
    return {file, 0};
}

}  // namespace

SplitCommand splitProgram(std::string_view commandLine) {
    SplitCommand out;
    size_t i = 0;
    bool quoted = false;
    for (; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (c == ' ' && !quoted) break;
        out.program += c;
    }
    while (i < commandLine.size() && commandLine[i] == ' ') ++i;
    out.tail = std::string(commandLine.substr(i));
    return out;
}

std::vector<std::string> splitParameters(std::string_view tail) {
    std::vector<std::string> out;
    size_t i = 0;
    const size_t n = tail.size();
    for (;;) {
        for (;;) {
            while (i < n && isSpaceOrControl(tail[i])) ++i;
            if (i + 1 < n && tail[i] == '"' && tail[i + 1] == '"') {
                i += 2;
                continue;
            }
            break;
        }
        if (i >= n || tail[i] == '\0') break;
        std::string param;
        while (i<n&& static_cast<unsigned char>(tail[i])> 32) {
            if (tail[i] == '"') {
                ++i;
                while (i < n && tail[i] != '"') param += tail[i++];
                if (i < n) ++i;
            } else {
                param += tail[i++];
            }
        }
        if (param.size() > kMaxParameter) param.resize(kMaxParameter);
        out.push_back(std::move(param));
    }
    return out;
}

bool isWindowsProgram(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    char magic[2] = {};
    return in.read(magic, 2) && magic[0] == 'M' && magic[1] == 'Z';
}

fs::path findOnPath(std::string_view name) {
    const char* path = std::getenv("PATH");
    if (!path || name.empty()) return {};
    std::string_view rest(path);
    while (true) {
        const size_t colon = rest.find(':');
        const std::string_view dir = rest.substr(0, colon);
        if (!dir.empty()) {
            fs::path candidate = fs::path(std::string(dir)) / std::string(name);
            if (isRunnable(candidate)) return candidate;
        }
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return {};
}

ResolvedProgram resolveProgram(const fs::path& program, const std::vector<fs::path>& folders) {
    if (program.empty()) return {{}, kFileNotFound};
    if (program.has_parent_path()) return resolveIn(program);
    for (const fs::path& folder : folders) {
        std::error_code ec;
        const fs::path candidate = folder / program;
        if (fs::exists(candidate, ec) || (endsWithExe(candidate) && !twinOf(candidate).empty()))
            return resolveIn(candidate);
    }
    if (endsWithExe(program)) {
        fs::path bare = program;
        bare.replace_extension();
        if (fs::path found = findOnPath(bare.string()); !found.empty()) return {found, 0};
    }
    if (fs::path found = findOnPath(program.string()); !found.empty()) return {found, 0};
    return {{}, kFileNotFound};
}

Started startProgram(const StartRequest& request, bool wait) {
    std::vector<std::string> args;
    args.push_back(request.program.string());
    args.insert(args.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!request.workingDir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, request.workingDir.c_str());
    // The player has no console: started programs read nothing from it.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // Started programs begin with default signal handling, whatever the player set up.
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signo : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, signo);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, request.program.c_str(), &actions, &attr, argv.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        setLastSystemErrorFromErrno(rc);
        if (rc == ENOMEM) return {0, kOutOfMemory};
        if (rc == ENOEXEC) return {0, kBadFormat};
        if (rc == ENOENT && !request.workingDir.empty()) {
            std::error_code ec;
            if (!fs::is_directory(request.workingDir, ec)) return {0, kPathNotFound};
        }
        const int code = systemErrorFromErrno(rc);
        return {0, code == 31 ? kAccessDenied : code};
    }
    if (!wait) std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
    return {static_cast<int>(pid), 0};
}

void reapLater(int pid) {
    std::thread([pid] { ::waitpid(static_cast<pid_t>(pid), nullptr, 0); }).detach();
}

std::optional<int> exitCodeIfEnded(int pid) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
        if (r < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (r != pid) return std::nullopt;
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    }
}

std::optional<int> waitForExit(int pid, int pollMillis) {
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
        if (r < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (r == pid) {
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
            continue;
        }
        processMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(pollMillis));
    }
}

namespace {

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

fs::path xdgHome(const char* variable, const char* fallback) {
    if (const char* v = std::getenv(variable); v && *v == '/') return v;
    const char* home = std::getenv("HOME");
    return home && *home == '/' ? fs::path(home) / fallback : fs::path();
}

// $XDG_DATA_HOME first, then $XDG_DATA_DIRS (or its default).
std::vector<fs::path> dataFolders() {
    std::vector<fs::path> out;
    if (fs::path home = xdgHome("XDG_DATA_HOME", ".local/share"); !home.empty()) out.push_back(home);
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    std::string_view rest = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        if (rest.substr(0, colon).size()) out.emplace_back(std::string(rest.substr(0, colon)));
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return out;
}

// The highest-weighted "weight:type:*.ext" line of the globs files.
std::string mimeTypeFor(std::string_view ext) {
    const std::string pattern = "*." + lower(ext);
    std::string best;
    long bestWeight = -1;
    for (const fs::path& dir : dataFolders()) {
        std::ifstream in(dir / "mime" / "globs2");
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            const size_t a = line.find(':'), b = line.find(':', a + 1);
            if (a == std::string::npos || b == std::string::npos) continue;
            const size_t c = line.find(':', b + 1);
            if (lower(line.substr(b + 1, c == std::string::npos ? c : c - b - 1)) != pattern) continue;
            const long weight = std::strtol(line.c_str(), nullptr, 10);
            if (weight > bestWeight) {
                bestWeight = weight;
                best = line.substr(a + 1, b - a - 1);
            }
        }
        if (!best.empty()) break;
    }
    return best;
}

// The first desktop entry named for `type` under [Default Applications].
std::string defaultEntryFor(const std::string& type) {
    std::vector<fs::path> lists;
    if (fs::path config = xdgHome("XDG_CONFIG_HOME", ".config"); !config.empty())
        lists.push_back(config / "mimeapps.list");
    for (const fs::path& dir : dataFolders()) {
        lists.push_back(dir / "applications" / "mimeapps.list");
        lists.push_back(dir / "applications" / "defaults.list");
    }
    for (const fs::path& list : lists) {
        std::ifstream in(list);
        bool inDefaults = false;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line[0] == '[') {
                inDefaults = line.rfind("[Default Applications]", 0) == 0;
                continue;
            }
            if (!inDefaults || line.rfind(type + "=", 0) != 0) continue;
            std::string entry = line.substr(type.size() + 1);
            entry = entry.substr(0, entry.find(';'));
            if (!entry.empty()) return entry;
        }
    }
    return {};
}

// The program of a desktop entry's Exec key: its first word, unquoted, found on PATH
// when it has no folder.
fs::path execProgramOf(const std::string& entry) {
    for (const fs::path& dir : dataFolders()) {
        std::ifstream in(dir / "applications" / entry);
        if (!in) continue;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("Exec=", 0) != 0) continue;
            std::string exec = line.substr(5), program;
            if (!exec.empty() && exec[0] == '"') {
                program = exec.substr(1, exec.find('"', 1) - 1);
            } else {
                program = exec.substr(0, exec.find(' '));
            }
            if (program.empty()) return {};
            return program.find('/') == std::string::npos ? findOnPath(program) : fs::path(program);
        }
        return {};
    }
    return {};
}

}  // namespace

fs::path desktopProgramFor(std::string_view ext) {
    if (ext.empty()) return {};
    const std::string type = mimeTypeFor(ext);
    if (type.empty()) return {};
    const std::string entry = defaultEntryFor(type);
    return entry.empty() ? fs::path() : execProgramOf(entry);
}

int openWithDesktop(const std::string& target) {
    const fs::path opener = findOnPath("xdg-open");
    if (opener.empty()) return kNoAssociation;
    const Started s = startProgram({opener, {target}, {}}, false);
    return s ? 0 : kNoAssociation;
}

}  // namespace platform
