// POSIX and XDG stand-ins for the Windows system and shell-folder queries.
#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>

#include "base/CodePage.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"

namespace fs = std::filesystem;

namespace platform {
namespace {

fs::path envFolder(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return {};
    std::error_code ec;
    fs::path p = fs::absolute(v, ec);
    if (ec || !fs::is_directory(p, ec)) return {};
    return p;
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home == '/') return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return {};
}

fs::path xdgBase(const char* variable, const char* fallback) {
    if (const char* v = std::getenv(variable); v && *v == '/') return v;
    fs::path home = homeFolder();
    return home.empty() ? fs::path() : home / fallback;
}

// A folder from ~/.config/user-dirs.dirs (XDG_DESKTOP_DIR="$HOME/Desktop"), else the default.
fs::path xdgUserDir(const std::string& key, const char* fallback) {
    fs::path home = homeFolder();
    std::ifstream in(xdgBase("XDG_CONFIG_HOME", ".config") / "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("XDG_" + key + "_DIR=", 0) != 0) continue;
        std::string v = line.substr(line.find('=') + 1);
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) return home / fs::path(v.substr(5)).relative_path();
        if (!v.empty() && v.front() == '/') return v;
    }
    return home.empty() ? fs::path() : home / fallback;
}

}  // namespace

std::vector<fs::path> userTempFolderCandidates() {
    std::vector<fs::path> out;
    for (const char* name : {"TMP", "TEMP", "TMPDIR"}) {
        fs::path p = envFolder(name);
        if (p.empty()) continue;
        p = p.lexically_normal();
        if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(std::move(p));
    }
    if (out.empty()) out.emplace_back("/tmp");
    return out;
}

fs::path userTempFolder() { return userTempFolderCandidates().front(); }

std::string userName() {
    std::string name;
    if (const passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) {
        name = pw->pw_name;
    } else if (const char* user = std::getenv("USER")) {
        name = user;
    }
    if (name.size() > 256) name.resize(256);
    return base::CodePage::active().fromUtf8(name);
}

std::string computerName() {
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) != 0) return {};
    std::string name(buf);
    name = name.substr(0, name.find('.'));
    if (name.size() > 15) name.resize(15);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return base::CodePage::active().fromUtf8(name);
}

fs::path executablePath() {
    std::error_code ec;
    fs::path p = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : p;
}

fs::path windowsFolder() { return systemDriveRoot() / "WINDOWS"; }

fs::path systemFolder() { return windowsFolder() / "system32"; }

fs::path shellFolder(int csidl) {
    switch (static_cast<ShellFolder>(csidl)) {
    case ShellFolder::DesktopDirectory: return xdgUserDir("DESKTOP", "Desktop");
    case ShellFolder::Personal: return xdgUserDir("DOCUMENTS", "Documents");
    case ShellFolder::Templates: return xdgUserDir("TEMPLATES", "Templates");
    case ShellFolder::MyMusic: return xdgUserDir("MUSIC", "Music");
    case ShellFolder::MyVideo: return xdgUserDir("VIDEOS", "Videos");
    case ShellFolder::MyPictures: return xdgUserDir("PICTURES", "Pictures");
    case ShellFolder::Fonts: return xdgBase("XDG_DATA_HOME", ".local/share") / "fonts";
    // Desktop menus have one folder of launchers for both the Start menu and its programs.
    case ShellFolder::Programs:
    case ShellFolder::StartMenu: return xdgBase("XDG_DATA_HOME", ".local/share") / "applications";
    case ShellFolder::Startup: return xdgBase("XDG_CONFIG_HOME", ".config") / "autostart";
    case ShellFolder::AppData: return xdgBase("XDG_CONFIG_HOME", ".config");
    case ShellFolder::LocalAppData: return xdgBase("XDG_DATA_HOME", ".local/share");
    case ShellFolder::Profile: return homeFolder();
    case ShellFolder::NetHood:
    case ShellFolder::Recent:
    case ShellFolder::SendTo: return {};
    }
    return {};
}

}  // namespace platform
