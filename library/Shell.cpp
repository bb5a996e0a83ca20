// The shell family over the process layer, the drive table and the registry store.
#include "library/Shell.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/AnsiText.h"
#include "base/CodePage.h"
#include "base/Error.h"
#include "library/Expansion.h"
#include "library/IniFiles.h"
#include "library/SystemMessages.h"
#include "platform/Dialogs.h"
#include "platform/Modules.h"
#include "platform/Paths.h"
#include "platform/PendingRenames.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsVersion.h"
#include "runtime/ProcessState.h"
#include "runtime/TempFolders.h"
#include "runtime/Termination.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"

namespace fs = std::filesystem;

namespace library {
namespace {

constexpr int32_t kAccepted = 42;  // any shell result above 32 means accepted
constexpr size_t kMaxPath = 260;
constexpr std::string_view kSharedDlls = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr std::string_view kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string utf8(std::string_view ansi) { return base::CodePage::active().toUtf8(ansi); }
std::string ansi(std::string_view utf8Text) { return base::CodePage::active().fromUtf8(utf8Text); }

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    return true;
}

// "scheme:" with a scheme of two letters or more (one letter is a drive), or "www.".
bool isAddress(std::string_view s) {
    if (startsWithNoCase(s, "www.")) return true;
    const size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon < 2) return false;
    return std::all_of(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    });
}

bool hasFolderPart(std::string_view s) { return s.find_first_of("\\/:") != std::string_view::npos; }

// Where a bare program name is looked for before PATH: the working folder, then the player's.
std::vector<fs::path> searchFolders(const fs::path& workingDir) {
    std::vector<fs::path> out;
    if (!workingDir.empty()) out.push_back(workingDir);
    out.push_back(runtime::state().executable().parent_path());
    return out;
}

// The archive keeps no file modes, so a native program the player extracted arrives
// without its execute bit; programs of ours (ELF or "#!") get it back, nothing else does.
void markExtractedRunnable(const fs::path& file) {
    const fs::path app = runtime::TempFolders::instance().appFolder();
    if (app.empty() || file.empty()) return;
    const std::string f = file.lexically_normal().string(), a = app.lexically_normal().string();
    if (f.rfind(a, 0) != 0) return;
    std::ifstream in(file, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    const bool elf = in.gcount() == 4 && std::string_view(magic, 4) ==
                                             "\x7f"
                                             "ELF";
    const bool script = in.gcount() >= 2 && magic[0] == '#' && magic[1] == '!';
    if (elf || script) ::chmod(file.c_str(), 0700);
}

fs::path nativeOf(std::string_view windowsPath) { return platform::resolvePath(windowsPath); }

// Programs by their Windows extension are never documents, runnable or not.
bool isDocument(const fs::path& file) {
    std::error_code ec;
    if (fs::is_directory(file, ec)) return true;
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == ".exe" || ext == ".com" || ext == ".bat") return false;
    if (!fs::is_regular_file(file, ec)) return false;
    return ::access(file.c_str(), X_OK) != 0 && !platform::isWindowsProgram(file);
}

std::vector<std::string> utf8All(std::vector<std::string> v) {
    for (std::string& s : v) s = utf8(s);
    return v;
}

// A shell start: the pid of the started program (0 for a document handed to the opener),
// or the shell's error number.
platform::Started shellStart(std::string_view fileName, std::string_view params, const fs::path& workingDir,
                             bool wait) {
    if (fileName.empty()) return {0, platform::kFileNotFound};
    if (isAddress(fileName)) {
        const int e = platform::openWithDesktop(utf8(fileName));
        return {0, e};
    }
    fs::path native = hasFolderPart(fileName) ? nativeOf(fileName) : fs::path(utf8(fileName));
    if (native.empty()) return {0, platform::kPathNotFound};
    // A bare name is first a file of the working folder, as the shell takes it.
    std::error_code ec;
    if (!native.has_parent_path() && !workingDir.empty()) {
        const fs::path there = nativeOf(platform::windowsPath(workingDir) + "\\" + std::string(fileName));
        if (fs::exists(there, ec)) native = there;
    }
    if (native.has_parent_path() && isDocument(native))
        return {0, platform::openWithDesktop(native.string())};
    fs::path twin = native;
    twin.replace_extension();
    markExtractedRunnable(native);
    markExtractedRunnable(twin);
    const platform::ResolvedProgram r = platform::resolveProgram(native, searchFolders(workingDir));
    if (r.error) return {0, r.error};
    const fs::path cwd = fs::is_directory(workingDir, ec) ? workingDir : fs::path();
    return platform::startProgram({r.file, utf8All(platform::splitParameters(params)), cwd}, wait);
}

// ShellExec's default working folder: Filename up to its last "\" or ":", the backslash
// kept only for a root ("C:\").
std::string folderOf(std::string_view fileName) {
    const size_t at = fileName.find_last_of("\\:");
    if (at == std::string_view::npos) return {};
    if (fileName[at] == ':') return std::string(fileName.substr(0, at + 1));
    if (at > 0 && fileName[at - 1] == ':') return std::string(fileName.substr(0, at + 1));
    return std::string(fileName.substr(0, at));
}

std::string cut(std::string s) {
    if (s.size() >= kMaxPath) s.resize(kMaxPath - 1);
    return s;
}

std::string scriptPath(const fs::path& native) {
    return native.empty() ? std::string() : cut(platform::windowsPath(native));
}

// The values of the CSIDL table, by member.
constexpr uint16_t kCsidl[] = {48, 26, 10, 47, 35, 25, 46, 31, 53, 54, 43, 23, 22, 24, 45,
                               55, 3,  33, 0,  17, 6,  20, 34, 32, 28, 13, 39, 14, 19, 18,
                               5,  4,  27, 40, 38, 42, 2,  8,  9,  11, 7,  37, 41, 21, 36};

// Desktop Entry string values escape backslash and line breaks.
std::string entryValue(std::string_view s) {
    std::string out;
    for (char c : s) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

// One argument of an Exec key: quoted when it holds a reserved character, with ", `, $
// and \ escaped inside the quotes.
std::string execArgument(std::string_view arg) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string out;
    if (!arg.empty() && arg.find_first_of(kReserved) == std::string_view::npos) {
        out = arg;
    } else {
        out = "\"";
        for (char c : arg) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
            out += c;
        }
        out += '"';
    }
    std::string escaped;  // a literal percent sign is doubled; field codes start with one
    for (char c : out) {
        escaped += c;
        if (c == '%') escaped += '%';
    }
    return escaped;
}

struct SharedCount {
    std::optional<platform::RegistryValue> value;
    int64_t count = 0;
    bool readable = false;
};

void openSharedKey(bool create) {
    platform::RegistryStore& reg = platform::registry();
    const bool ok = create ? reg.createKey(platform::RegistryRoot::LocalMachine, kSharedDlls)
                           : reg.keyExists(platform::RegistryRoot::LocalMachine, kSharedDlls);
    if (!ok)
        throw base::ScriptError("Error opening registry key:\nHKEY_LOCAL_MACHINE\\" +
                                std::string(kSharedDlls));
}

SharedCount readSharedCount(std::string_view name) {
    SharedCount out;
    out.value = platform::registry().value(platform::RegistryRoot::LocalMachine, kSharedDlls, name);
    if (!out.value) return out;
    if (out.value->isString()) {
        const std::string text = out.value->data;
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str(), &end, 10);
        out.readable = end && end != text.c_str();
        out.count = out.readable ? v : 0;
    } else if (auto dw = out.value->dwordValue()) {
        out.count = static_cast<int32_t>(*dw);
        out.readable = true;
    } else {
        const std::string bytes = out.value->data;
        uint32_t v = 0;
        for (size_t i = 0; i < bytes.size() && i < 4; ++i)
            v |= uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
        out.readable = bytes.size() <= 4;
        out.count = out.readable ? static_cast<int32_t>(v) : 0;
    }
    return out;
}

void writeSharedCount(std::string_view name, const SharedCount& old, int64_t count) {
    platform::RegistryValue v = platform::RegistryValue::dword(static_cast<uint32_t>(count));
    if (old.value && old.value->isString()) {
        v = platform::RegistryValue::string(std::to_string(count),
                                            static_cast<platform::RegType>(old.value->type));
    } else if (old.value && !old.value->dwordValue()) {
        std::string bytes(std::min<size_t>(4, std::max<size_t>(1, old.value->data.size())), '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((count >> (8 * i)) & 0xFF);
        v = platform::RegistryValue::binary(bytes, static_cast<platform::RegType>(old.value->type));
    }
    platform::registry().setValue(platform::RegistryRoot::LocalMachine, kSharedDlls, name, v);
}

}  // namespace

int32_t shellExecute(std::string_view fileName, std::string_view params, std::string_view workingDir) {
    const platform::Started s = shellStart(fileName, params, nativeOf(workingDir), false);
    return s.error ? s.error : kAccepted;
}

bool shellExec(std::string_view fileName, std::string_view params, std::string workingDir,
               int32_t /*showCmd*/, int32_t& errorCode) {
    if (workingDir.empty()) workingDir = folderOf(fileName);
    const int32_t r = shellExecute(fileName, params, workingDir);
    if (r > 32) return true;
    errorCode = r;
    return false;
}

bool appExec(std::string_view cmdLine, std::string_view params, int32_t /*showCmd*/) {
    return shellExecute(cmdLine, params, {}) > 32;
}

namespace {
platform::Started startCommandLine(std::string_view cmdLine, bool wait, const fs::path& workingDir = {}) {
    const platform::SplitCommand cmd = platform::splitProgram(expanded(cmdLine));
    const fs::path native = hasFolderPart(cmd.program) ? nativeOf(cmd.program) : fs::path(utf8(cmd.program));
    fs::path twin = native;
    twin.replace_extension();
    markExtractedRunnable(native);
    markExtractedRunnable(twin);
    const platform::ResolvedProgram r = platform::resolveProgram(native, searchFolders(workingDir));
    if (r.error) return {0, r.error};
    return platform::startProgram({r.file, utf8All(platform::splitParameters(cmd.tail)), workingDir}, wait);
}
}  // namespace

StartedProgram startCommand(std::string_view cmdLine, std::string_view workingDir) {
    std::error_code ec;
    const fs::path cwd = workingDir.empty() ? fs::path() : nativeOf(workingDir);
    if (!cwd.empty() && !fs::is_directory(cwd, ec)) return {0, platform::kPathNotFound};
    const platform::Started s = startCommandLine(cmdLine, true, cwd);
    return {s.pid, s.error};
}

// Hidden windows have no meaning for native programs; they start as they are.
bool fileExec(std::string_view cmdLine, bool /*hide*/, bool wait) {
    const platform::Started s = startCommandLine(cmdLine, wait);
    if (!s) return false;
    if (wait) platform::waitForExit(s.pid);
    return true;
}

bool fileExecEx(std::string_view cmdLine, bool /*hide*/, bool /*wait*/, int32_t& resultCode) {
    const platform::Started s = startCommandLine(cmdLine, true);
    if (!s) return false;
    resultCode = platform::waitForExit(s.pid).value_or(0);
    return true;
}

void execAndWait(std::string_view fileName, std::string_view params, int32_t /*showCmd*/) {
    const platform::Started s = shellStart(fileName, params, {}, true);
    if (s.error) {
        platform::dialogs().messageBox(Win32ErrorString(s.error), runtime::state().applicationTitle(), 0);
        return;
    }
    if (s.pid > 0) platform::waitForExit(s.pid, 50);
}

void startNewBrowserWindow(std::string_view url) {
    for (std::string_view scheme : {"http://", "https://", "ftp://", "file:", "mailto:"})
        if (startsWithNoCase(url, scheme)) {
            platform::openWithDesktop(utf8(url));
            return;
        }
}

std::string getAssociatedProgram(std::string_view ext) {
    platform::RegistryStore& reg = platform::registry();
    constexpr auto root = platform::RegistryRoot::ClassesRoot;
    const std::string dotted = std::string(".").append(ext);
    std::string command;
    if (reg.keyExists(root, dotted + "\\shell\\open\\command")) {
        command = reg.readString(root, dotted + "\\shell\\open\\command", "").value_or("");
    } else if (const std::string type = reg.readString(root, dotted, "").value_or(""); !type.empty()) {
        command = reg.readString(root, type + "\\shell\\open\\command", "").value_or("");
    }
    // Nothing registered by a setup script: the desktop's own choice, in script form.
    if (command.empty()) return scriptPath(platform::desktopProgramFor(utf8(ext)));
    command = command.substr(0, command.find('%'));
    if (!command.empty() && command.front() == '"') command.erase(0, 1);
    command = command.substr(0, command.find('"'));
    while (!command.empty() && command.back() == ' ') command.pop_back();
    return command;
}

void appRestart() {
    const fs::path exe = runtime::state().executable();
    platform::startProgram({exe, utf8All(runtime::state().arguments()), {}}, false);
    // The new instance has its own temporary folder; ours goes with the clean-up.
    runtime::ExitProcess(0);
}

bool appIsResponding(std::string_view className, uint32_t /*timeOut*/) {
    if (base::ansiSameText(className, "TApplication")) return true;
    const std::vector<vcl::TCustomForm*>& forms = vcl::screen().forms();
    return std::any_of(forms.begin(), forms.end(), [&](const vcl::TCustomForm* f) {
        return base::ansiSameText(f->className(), className);
    });
}

void minimizeAllWindows() {
    // A copy: a form's handler may create or free forms while it is minimised.
    const std::vector<vcl::TCustomForm*> forms = vcl::screen().forms();
    for (vcl::TCustomForm* f : forms) {
        const auto& live = vcl::screen().forms();
        if (std::find(live.begin(), live.end(), f) == live.end()) continue;
        if (f->visible() && f->windowState() != vcl::wsMinimized) f->setWindowState(vcl::wsMinimized);
    }
}

void showDesktop() { minimizeAllWindows(); }

int32_t safeLoadLibrary(std::string_view fileName, int32_t /*errorMode*/) {
    if (fileName.empty()) return 0;
    const std::string file = hasFolderPart(fileName) ? nativeOf(fileName).string() : utf8(fileName);
    if (file.empty()) return 0;
    if (file.size() > 4 && base::ansiSameText(std::string_view(file).substr(file.size() - 4), ".dll"))
        if (const int32_t twin = platform::loadModule(file.substr(0, file.size() - 4) + ".so")) return twin;
    // A bare name is the loader's to find, along its own search path.
    return platform::loadModule(file);
}

std::string paramStr(int32_t index) {
    if (index == 0) return cut(platform::windowsPath(runtime::state().executable()));
    std::vector<std::string> args = runtime::state().arguments();
    if (index < 0 || static_cast<size_t>(index) > args.size()) return {};
    std::string arg = args[static_cast<size_t>(index) - 1];
    if (arg.size() > 4096) arg.resize(4096);
    return arg;
}

int32_t paramCount() { return static_cast<int32_t>(runtime::state().arguments().size()); }

std::string getCmdTail() {
    std::string tail;
    for (const std::string& a : runtime::state().arguments()) {
        if (!tail.empty()) tail += ' ';
        const bool quote = a.empty() || a.find_first_of(" \t") != std::string::npos;
        tail += quote ? "\"" + a + "\"" : a;
    }
    return tail;
}

std::string getEnv(std::string_view name) {
    const char* v = std::getenv(utf8(name).c_str());
    return v ? ansi(v) : std::string();
}

std::string getProgramFilesPath() {
    return platform::registry()
        .readString(platform::RegistryRoot::LocalMachine, kCurrentVersion, "ProgramFilesDir")
        .value_or("");
}

std::string getCommonFilesPath() {
    return platform::registry()
        .readString(platform::RegistryRoot::LocalMachine, kCurrentVersion, "CommonFilesDir")
        .value_or("");
}

std::string getShellFolderPath(int32_t csidl) {
    switch (csidl) {
    case 0: return scriptPath(platform::shellFolder(platform::ShellFolder::DesktopDirectory));
    case 36: return scriptPath(platform::windowsFolder());
    case 37: return scriptPath(platform::systemFolder());
    case 38: return cut(getProgramFilesPath());
    case 43: return cut(getCommonFilesPath());
    default: return scriptPath(platform::shellFolder(csidl));
    }
}

uint16_t specialFolderToCSIDL(TDWSpecialFolder folder) {
    return folder < std::size(kCsidl) ? kCsidl[folder] : 0;
}

std::string getSpecialFolder(TDWSpecialFolder folder) {
    std::string path = folder == dwspfSystem    ? scriptPath(platform::systemFolder())
                       : folder == dwspfWindows ? scriptPath(platform::windowsFolder())
                                                : getShellFolderPath(specialFolderToCSIDL(folder));
    if (path.empty()) return {};  // never "\": scripts would write into the drive root
    if (path.back() != '\\') path += '\\';
    return path;
}

std::string desktopExec(const std::string& program, const std::string& arguments) {
    std::string exec = execArgument(program);
    for (const std::string& a : platform::splitParameters(arguments))
        exec.append(" ").append(execArgument(a));
    return entryValue(exec);
}

bool createShellLink(std::string_view fileName, std::string_view description, std::string_view target,
                     std::string_view parameters, std::string_view workingDir, std::string_view iconFile,
                     int32_t /*iconIndex*/, int32_t /*showCmd*/, uint16_t /*hotKey*/) {
    fs::path file = nativeOf(fileName);
    if (file.empty()) throw base::ScriptError("Cannot create the shortcut " + std::string(fileName));
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".lnk" || ext == ".pif" || ext == ".url")
        file.replace_extension(".desktop");
    else if (ext != ".desktop")
        file += ".desktop";

    const fs::path program = nativeOf(target);
    std::error_code ec;
    const platform::ResolvedProgram r = platform::resolveProgram(program);
    std::string exec;
    if (r.error == 0)
        exec = desktopExec(r.file.string(), utf8(parameters));
    else
        exec = "xdg-open " + entryValue(execArgument(program.string()));

    std::string text = "[Desktop Entry]\nType=Application\nName=" + entryValue(file.stem().string()) + "\n";
    if (!description.empty()) text += "Comment=" + entryValue(utf8(description)) + "\n";
    text += "Exec=" + exec + "\n";
    if (!workingDir.empty()) text += "Path=" + entryValue(nativeOf(workingDir).string()) + "\n";
    if (!iconFile.empty()) text += "Icon=" + entryValue(nativeOf(iconFile).string()) + "\n";
    text += "Terminal=false\n";

    const fs::path temp = file.string() + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out.flush()) {
            fs::remove(temp, ec);
            return false;
        }
    }
    fs::rename(temp, file, ec);
    if (ec) {
        fs::remove(temp, ec);
        return false;
    }
    // Desktops start only launchers their owner may run.
    ::chmod(file.c_str(), 0755);
    return true;
}

void incrementSharedCount(std::string_view fileName, bool alreadyExisted) {
    openSharedKey(true);
    const SharedCount old = readSharedCount(fileName);
    int64_t count = std::max<int64_t>(old.count, 0);
    if (count == 0 && alreadyExisted) count = 1;
    writeSharedCount(fileName, old, count + 1);
}

bool decrementSharedCount(std::string_view fileName) {
    openSharedKey(false);
    const SharedCount old = readSharedCount(fileName);
    if (!old.value || !old.readable) return false;
    if (old.count - 1 <= 0) {
        platform::registry().deleteValue(platform::RegistryRoot::LocalMachine, kSharedDlls, fileName);
        return true;
    }
    writeSharedCount(fileName, old, old.count - 1);
    return false;
}

void delayDeleteFile(std::string_view fileName, int32_t tries) {
    const fs::path file = nativeOf(fileName);
    for (int32_t i = 0; i < tries; ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(250));
        std::error_code ec;
        if (!fs::exists(file, ec)) return;
        if (fs::remove(file, ec)) return;
        if (!fs::exists(file.parent_path(), ec)) return;
    }
}

namespace {
// A font file named relative to the player's folder, as the system looks for it.
std::string fontPath(std::string_view fontFile) {
    const bool absolute =
        fontFile.size() >= 2 && (fontFile[1] == ':' || fontFile[0] == '\\' || fontFile[0] == '/');
    if (absolute) return nativeOf(fontFile).string();
    return nativeOf(platform::windowsPath(runtime::state().executable().parent_path()) + "\\" +
                    std::string(fontFile))
        .string();
}
}  // namespace

bool fontAdd(std::string_view fontFile) { return vcl::desktop::addFontFile(fontPath(fontFile)); }
bool fontRemove(std::string_view fontFile) { return vcl::desktop::removeFontFile(fontPath(fontFile)); }

void unregisterFont(std::string_view fontName, std::string_view fontFile) {
    if (platform::windowsVersion().platformId == 2) {
        platform::deleteProfileKey(iniFilePath(""), "Fonts", fontName);
    } else {
        platform::registry().deleteValue(platform::RegistryRoot::LocalMachine,
                                         std::string(kCurrentVersion) + "\\Fonts", fontName);
    }
    // Nothing else shares the player's fonts, so no one is told of the change.
    fontRemove(fontFile);
}

// No Windows library loads here: a missing file is "module not found", any other file
// "not a valid application", as the loader reports them.
void registerServer(std::string_view fileName, bool /*failCriticalErrors*/) {
    std::error_code ec;
    const fs::path file = nativeOf(fileName);
    const int32_t code = !file.empty() && fs::is_regular_file(file, ec) ? 193 : 126;
    throw base::ScriptError(win32ErrorMessage("LoadLibrary", code));
}

bool unregisterServer(std::string_view /*fileName*/, bool /*failCriticalErrors*/) { return false; }

// LoadTypeLib's results for a file it cannot read as a type library, and a missing one.
void registerTypeLibrary(std::string_view fileName) {
    std::error_code ec;
    const fs::path file = nativeOf(fileName);
    const char* code = !file.empty() && fs::is_regular_file(file, ec) ? "80029C4A" : "80030002";
    throw base::ScriptError(std::string("LoadTypeLib failed; code ") + code);
}

void restartReplace(std::string_view tempFile, std::string_view destFile) {
    const fs::path from = nativeOf(tempFile);
    const fs::path to = destFile.empty() ? fs::path() : nativeOf(destFile);
    const bool badDest = !destFile.empty() && to.empty();
    if (from.empty() || badDest) throw base::ScriptError(win32ErrorMessage("MoveFileEx", 3));
    if (!platform::scheduleRename(from, to)) throw base::ScriptError(win32ErrorMessage("MoveFileEx", 5));
}

// The player never restarts the machine; it says so, as the routine does when the
// system refuses.
void restartComputer() {
    platform::dialogs().messageBox("Unable to restart the computer. Please do this manually.", "Error", 48);
}

}  // namespace library
