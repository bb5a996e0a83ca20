#include "player/Placeholders.h"

#include "base/AnsiText.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "player/ProcessState.h"
#include "player/TempFolders.h"

namespace player {
namespace {

namespace fs = std::filesystem;

enum Slot {
    kTmpAppDir,
    kEmbedded,
    kTmp,
    kSys,
    kPf,
    kCommon,
    kWin,
    kSrcDir,
    kPlDir,
    kSrcDrive,
    kDesktop,
    kFonts,
    kPrograms,
    kStartMenu,
    kStartup,
    kUserName,
    kCompName,
    kNetHood,
    kMyDocs,
    kRecent,
    kSendTo,
    kTemplates,
    kNewLine,
};

std::string win(const fs::path& p) { return p.empty() ? std::string() : platform::windowsPath(p); }

std::string withoutTrailingBackslash(std::string s) {
    // A drive root keeps its backslash, as Windows reports "C:\".
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

// The project's and the player's folders never end in a backslash, not even at the root
// of a drive: "%SRCDIR%\autorun.ini" must give "D:\autorun.ini", not "D:\\autorun.ini".
std::string folderWithoutBackslash(std::string s) {
    while (s.size() > 2 && s.back() == '\\') s.pop_back();
    if (s.size() == 3 && s[1] == ':' && s[2] == '\\') s.pop_back();
    return s;
}

// The drive part of a Windows path: "D:" or "\\server\share".
std::string drivePart(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.rfind("\\\\", 0) == 0) {
        size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        size_t share = path.find('\\', server + 1);
        return path.substr(0, share);
    }
    return {};
}

std::string readWindowsSetting(const char* name) {
    auto v = platform::registry().readString(platform::RegistryRoot::LocalMachine,
                                             "Software\\Microsoft\\Windows\\CurrentVersion", name);
    return v ? *v : std::string();
}

std::string shell(platform::ShellFolder id) {
    return withoutTrailingBackslash(win(platform::shellFolder(id)));
}

}  // namespace

PlaceholderTable currentPlaceholders() {
    using platform::ShellFolder;
    const std::string source = folderWithoutBackslash(win(state().sourceFolder()));
    // The temporary folder the player actually writes to, when the first candidate refused.
    fs::path userTemp = TempFolders::instance().userTemp();
    std::string tmp = win(userTemp.empty() ? platform::userTempFolder() : userTemp);
    if (tmp.empty() || tmp.back() != '\\') tmp.push_back('\\');
    return PlaceholderTable{{
        {"%TMPAPPDIR%", win(TempFolders::instance().appFolder())},
        {"%Embedded%", win(TempFolders::instance().embeddedFolder())},
        {"%TMP%", tmp},
        {"%SYS%", win(platform::systemFolder())},
        {"%PF%", readWindowsSetting("ProgramFilesDir")},
        {"%COMMON%", readWindowsSetting("CommonFilesDir")},
        {"%WIN%", win(platform::windowsFolder())},
        {"%SRCDIR%", source},
        {"%PLDIR%", folderWithoutBackslash(win(state().executable().parent_path()))},
        {"%SRCDRIVE%", drivePart(source)},
        {"%desktop%", shell(ShellFolder::DesktopDirectory)},
        {"%fonts%", shell(ShellFolder::Fonts)},
        {"%programs%", shell(ShellFolder::Programs)},
        {"%STARTMENU%", shell(ShellFolder::StartMenu)},
        {"%startup%", shell(ShellFolder::Startup)},
        {"%UserName%", platform::userName()},
        {"%CompName%", platform::computerName()},
        {"%NETHOOD%", shell(ShellFolder::NetHood)},
        {"%MYDOCS%", shell(ShellFolder::Personal)},
        {"%RECENT%", shell(ShellFolder::Recent)},
        {"%SENDTO%", shell(ShellFolder::SendTo)},
        {"%TEMPLATES%", shell(ShellFolder::Templates)},
        {"%n", "\r\n"},
    }};
}

std::string expandPlaceholders(std::string_view text, const PlaceholderTable& table) {
    std::string out(text);
    for (const Placeholder& p : table) out = base::replaceAllText(out, p.name, p.value);
    return out;
}

std::string collapsePlaceholders(std::string_view text, const PlaceholderTable& table) {
    // The order matters: the temporary application folder is tried before the user's
    // temporary folder that holds it, so its paths become "%TMPAPPDIR%...", not "%TMP%...".
    static const Slot kOrder[] = {
        kSrcDir,   kEmbedded, kPlDir,   kTmpAppDir, kTmp,      kSys,       kPf,      kCommon,
        kWin,      kSrcDrive, kDesktop, kFonts,     kPrograms, kStartMenu, kStartup, kUserName,
        kCompName, kNetHood,  kMyDocs,  kRecent,    kSendTo,   kTemplates, kNewLine,
    };
    std::string out(text);
    for (Slot slot : kOrder) {
        const Placeholder& p = table[slot];
        if (!p.value.empty()) out = base::replaceAllText(out, p.value, p.name);
    }
    return out;
}

std::string RepConst(std::string_view text) {
    // Every placeholder starts with '%': text without one needs no folder look-ups.
    if (text.find('%') == std::string_view::npos) return std::string(text);
    return expandPlaceholders(text, currentPlaceholders());
}

std::string DERepConst(std::string_view text) { return collapsePlaceholders(text, currentPlaceholders()); }

}  // namespace player
