// The served system-library exports, one function each, over the files, drives, INI,
// registry, system, shell, message and music layers. Each follows its Windows routine's
// contract for results and buffer sizes; what has no meaning here says so where it is.
#include "library/WinApi.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <thread>
#include <variant>

#include "base/CodePage.h"
#include "library/Files.h"
#include "library/IniFiles.h"
#include "library/Messages.h"
#include "library/Music.h"
#include "library/Shell.h"
#include "library/System.h"
#include "media/mci/Mci.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/EventPump.h"
#include "platform/FileAttributes.h"
#include "platform/LastError.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "runtime/SystemLibraries.h"
#include "script/Api.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"
#include "vcl/WindowIds.h"

namespace fs = std::filesystem;

namespace library {

namespace {

using script::ForeignCall;
using Export = runtime::SystemExport;

// Windows error codes the routines leave behind.
constexpr int kErrorFileNotFound = 2, kErrorPathNotFound = 3, kErrorAccessDenied = 5, kErrorInvalidHandle = 6,
              kErrorMoreData = 234, kErrorInsufficientBuffer = 122, kErrorBufferOverflow = 111,
              kErrorAlreadyExists = 183, kErrorFileExists = 80, kErrorDirNotEmpty = 145,
              kErrorEnvVarNotFound = 203, kErrorInvalidParameter = 87;
constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;

// ---- handles ----

struct ProcessEntry {
    int pid = 0;
    bool ended = false;
    int exitCode = 0;
};
struct KeyEntry {
    platform::RegistryRoot root;
    std::string path;
};
struct ScreenDc {};
using HandleEntry = std::variant<ProcessEntry, KeyEntry, ScreenDc>;

// Ids start above the predefined registry roots' low bits and are never reused in a run.
struct HandleTable {
    std::map<uint32_t, HandleEntry> entries;
    uint32_t next = 0x100;
    uint32_t add(HandleEntry e) {
        entries.emplace(next, std::move(e));
        return next++;
    }
    template <class T>
    T* find(uint32_t id) {
        auto it = entries.find(id);
        return it == entries.end() ? nullptr : std::get_if<T>(&it->second);
    }
};

HandleTable& handles() {
    static HandleTable table;
    return table;
}

void fail(int error) { platform::setLastSystemError(error); }

// ---- buffers ----

// The Windows rule for routines that return a text's length: text and zero when both fit in
// `size` (and in the buffer), then the length; otherwise the size needed with the zero, and
// nothing written.
uint32_t putTextOrNeeded(ForeignCall& c, int buffer, uint64_t size, std::string_view text) {
    const uint64_t room = std::min<uint64_t>(size, c.capacity(buffer));
    if (text.size() + 1 > room) return static_cast<uint32_t>(text.size() + 1);
    c.fill(buffer, std::string(text) + '\0');
    return static_cast<uint32_t>(text.size());
}

// As much of the text as fits with its zero; the characters copied.
uint32_t putTextCut(ForeignCall& c, int buffer, uint64_t size, std::string_view text) {
    const uint64_t room = std::min<uint64_t>(size, c.capacity(buffer));
    if (room == 0) return 0;
    const size_t n = std::min<size_t>(text.size(), room - 1);
    c.fill(buffer, std::string(text.substr(0, n)) + '\0');
    return static_cast<uint32_t>(n);
}

// The routines with a `var` size: in, the buffer's size; out, the length written (with the
// zero when `countZero`) or the size needed.
bool putTextSized(ForeignCall& c, int buffer, int sizeArg, std::string_view text, bool countZero,
                  int tooSmall) {
    const uint64_t room = std::min<uint64_t>(c.dword(sizeArg), c.capacity(buffer));
    if (text.size() + 1 > room) {
        c.setInteger(sizeArg, int64_t(text.size() + 1));
        fail(tooSmall);
        return false;
    }
    c.fill(buffer, std::string(text) + '\0');
    c.setInteger(sizeArg, int64_t(text.size() + (countZero ? 1 : 0)));
    return true;
}

fs::path native(std::string_view windowsPath) { return platform::resolvePath(windowsPath); }

bool done(bool ok, int error) {
    if (!ok) fail(error);
    return ok;
}

int errorOf(const std::error_code& ec) { return platform::systemErrorFromErrno(ec.value()); }

// ---- kernel32: time ----

void getTickCount(ForeignCall& c) {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    c.returnInteger(int64_t(uint32_t(uint64_t(ts.tv_sec) * 1000 + uint64_t(ts.tv_nsec) / 1000000)));
}

void sleep(ForeignCall& c) { sleepMs(c.dword(0)); }

// TSystemTime: wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds.
void putSystemTime(ForeignCall& c, bool local) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tm{};
    local ? localtime_r(&t, &tm) : gmtime_r(&t, &tm);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    const int64_t fields[] = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_wday, tm.tm_mday,
                              tm.tm_hour,        tm.tm_min,     tm.tm_sec,  ms};
    for (int f = 0; f < std::min(c.fieldCount(0), 8); ++f) c.setField(0, f, fields[f]);
}

void getLocalTime(ForeignCall& c) { putSystemTime(c, true); }
void getSystemTime(ForeignCall& c) { putSystemTime(c, false); }

// ---- kernel32: folders and files ----

void getWindowsDirectory(ForeignCall& c) { c.returnInteger(putTextOrNeeded(c, 0, c.dword(1), getWinDir())); }
void getSystemDirectory(ForeignCall& c) {
    c.returnInteger(putTextOrNeeded(c, 0, c.dword(1), getSystemDir()));
}
void getTempPath(ForeignCall& c) { c.returnInteger(putTextOrNeeded(c, 1, c.dword(0), getTempDir())); }

void getCurrentDirectory(ForeignCall& c) {
    std::error_code ec;
    const fs::path cwd = fs::current_path(ec);
    c.returnInteger(ec ? 0 : putTextOrNeeded(c, 1, c.dword(0), platform::windowsPath(cwd)));
}

void setCurrentDirectory(ForeignCall& c) {
    std::error_code ec;
    fs::current_path(native(c.text(0)), ec);
    c.returnInteger(done(!ec, kErrorPathNotFound));
}

void createDirectory(ForeignCall& c) {
    const fs::path p = native(c.text(0));
    std::error_code ec;
    if (p.empty() || fs::exists(p, ec)) return c.returnInteger(done(false, kErrorAlreadyExists));
    c.returnInteger(done(fs::create_directory(p, ec) && !ec, ec ? errorOf(ec) : kErrorPathNotFound));
}

void removeDirectory(ForeignCall& c) {
    const fs::path p = native(c.text(0));
    std::error_code ec;
    if (!fs::is_directory(p, ec)) return c.returnInteger(done(false, kErrorPathNotFound));
    if (!fs::is_empty(p, ec)) return c.returnInteger(done(false, kErrorDirNotEmpty));
    c.returnInteger(done(fs::remove(p, ec) && !ec, errorOf(ec)));
}

void copyFile(ForeignCall& c) {
    const fs::path from = native(c.text(0)), to = native(c.text(1));
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return c.returnInteger(done(false, kErrorFileNotFound));
    if (c.integer(2) && fs::exists(to, ec)) return c.returnInteger(done(false, kErrorFileExists));
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    c.returnInteger(done(!ec, errorOf(ec)));
}

void moveFile(ForeignCall& c) {
    const fs::path from = native(c.text(0)), to = native(c.text(1));
    std::error_code ec;
    if (!fs::exists(from, ec)) return c.returnInteger(done(false, kErrorFileNotFound));
    if (fs::exists(to, ec)) return c.returnInteger(done(false, kErrorAlreadyExists));
    fs::rename(from, to, ec);
    c.returnInteger(done(!ec, errorOf(ec)));
}

void deleteFile(ForeignCall& c) {
    const fs::path p = native(c.text(0));
    std::error_code ec;
    if (fs::is_directory(p, ec)) return c.returnInteger(done(false, kErrorAccessDenied));
    if (!fs::exists(fs::symlink_status(p, ec))) return c.returnInteger(done(false, kErrorFileNotFound));
    c.returnInteger(done(fs::remove(p, ec) && !ec, errorOf(ec)));
}

void getFileAttributes(ForeignCall& c) {
    auto a = platform::fileAttributes(native(c.text(0)));
    if (!a) fail(kErrorFileNotFound);
    c.returnInteger(a.value_or(kInvalidFileAttributes));
}

void setFileAttributes(ForeignCall& c) {
    try {
        platform::setFileAttributes(native(c.text(0)), c.dword(1));
        c.returnInteger(1);
    } catch (const base::Error&) {
        c.returnInteger(done(false, kErrorAccessDenied));
    }
}

// The drive of a root ("C:\"), or of the current folder for an empty one.
std::optional<platform::Drive> driveOf(std::string_view root) {
    std::string r(root);
    if (r.empty()) {
        std::error_code ec;
        r = platform::windowsPath(fs::current_path(ec));
    }
    if (r.size() < 2 || r[1] != ':') return std::nullopt;
    return platform::findDrive(r[0]);
}

void getDriveType(ForeignCall& c) {
    auto d = driveOf(c.text(0));
    c.returnInteger(d ? int(d->type) : int(platform::DriveType::NoRootDir));
}

void getLogicalDrives(ForeignCall& c) {
    uint32_t mask = 0;
    for (const platform::Drive& d : platform::listDrives()) mask |= 1u << (d.letter - 'A');
    c.returnInteger(mask);
}

// GetVolumeInformation(root, name, nameSize, var serial, var maxComponent, var flags, fsName,
// fsNameSize). The serial number is made from the device numbers, stable for a mount.
void getVolumeInformation(ForeignCall& c) {
    auto d = driveOf(c.text(0));
    if (!d) return c.returnInteger(done(false, kErrorPathNotFound));
    std::string label = platform::mountTable().label(d->mount);
    std::string fsName = d->mount.fsType;
    if (fsName == "iso9660") fsName = "CDFS";
    std::transform(fsName.begin(), fsName.end(), fsName.begin(),
                   [](char ch) { return char(std::toupper(ch)); });
    const uint64_t labelRoom = std::min<uint64_t>(c.dword(2), c.capacity(1));
    const uint64_t fsRoom = std::min<uint64_t>(c.dword(7), c.capacity(6));
    if ((c.isText(1) && labelRoom && label.size() >= labelRoom) ||
        (c.isText(6) && fsRoom && fsName.size() >= fsRoom))
        return c.returnInteger(done(false, kErrorMoreData));
    putTextCut(c, 1, labelRoom, label);
    putTextCut(c, 6, fsRoom, fsName);
    c.setInteger(3, int64_t((d->mount.major << 20) ^ (d->mount.minor << 4) ^ (uint32_t(d->letter) << 24)));
    c.setInteger(4, 255);
    c.setInteger(5, 0x3);  // case-sensitive, case-preserved names
    c.returnInteger(1);
}

void getDiskFreeSpaceEx(ForeignCall& c) {
    std::string dir = c.text(0);
    auto space = platform::mountTable().space(dir.empty() ? fs::current_path() : native(dir));
    if (!space) return c.returnInteger(done(false, kErrorPathNotFound));
    c.setInteger(1, int64_t(space->available));
    c.setInteger(2, int64_t(space->total));
    c.setInteger(3, int64_t(space->available));
    c.returnInteger(1);
}

// ---- kernel32: environment and identity ----

void getEnvironmentVariable(ForeignCall& c) {
    const std::string name = c.text(0);
    const char* v = name.empty() ? nullptr : std::getenv(base::CodePage::active().toUtf8(name).c_str());
    if (!v) return c.returnInteger((fail(kErrorEnvVarNotFound), 0));
    c.returnInteger(putTextOrNeeded(c, 1, c.dword(2), base::CodePage::active().fromUtf8(v)));
}

void setEnvironmentVariable(ForeignCall& c) {
    const std::string name = base::CodePage::active().toUtf8(c.text(0));
    if (name.empty() || name.find('=') != std::string::npos)
        return c.returnInteger(done(false, kErrorInvalidParameter));
    // A nil value (an integer 0) removes the variable; an empty text sets it empty.
    const int r = c.isText(1) ? ::setenv(name.c_str(), base::CodePage::active().toUtf8(c.text(1)).c_str(), 1)
                              : ::unsetenv(name.c_str());
    c.returnInteger(done(r == 0, kErrorInvalidParameter));
}

void getComputerName(ForeignCall& c) {
    c.returnInteger(putTextSized(c, 0, 1, getComputerNameString(), false, kErrorBufferOverflow));
}

void getUserName(ForeignCall& c) {
    c.returnInteger(putTextSized(c, 0, 1, getUserNameString(), true, kErrorInsufficientBuffer));
}

// TOSVersionInfo(Ex), field by field in the declared order; a shorter record gets fewer.
void getVersionEx(ForeignCall& c) {
    TOSVersionInfoEx v;
    getWindowsVersionEx(v);
    const int n = c.fieldCount(0);
    if (n < 5) return c.returnInteger(done(false, kErrorInvalidParameter));
    const int64_t numbers[] = {0, v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber, v.dwPlatformId};
    for (int f = 1; f < 5; ++f) c.setField(0, f, numbers[f]);
    if (n > 5) c.setFieldText(0, 5, std::string(v.szCSDVersion.data()));
    const int64_t ex[] = {v.wServicePackMajor, v.wServicePackMinor, v.wSuiteMask, v.wProductType, 0};
    for (int f = 6; f < std::min(n, 11); ++f) c.setField(0, f, ex[f - 6]);
    c.returnInteger(1);
}

void getLastError(ForeignCall& c) { c.returnInteger(platform::lastSystemError()); }

// Windows XP's rule: a cut name without its zero, the result then being the size.
void getModuleFileName(ForeignCall& c) {
    if (c.integer(0) != 0) return c.returnInteger((fail(kErrorInvalidHandle), 0));
    const std::string path = paramStr(0);
    const uint64_t room = std::min<uint64_t>(c.dword(2), c.capacity(1));
    if (path.size() < room) return c.returnInteger(putTextCut(c, 1, room, path));
    c.fill(1, std::string_view(path).substr(0, room));
    fail(kErrorInsufficientBuffer);
    c.returnInteger(int64_t(room));
}

// ---- kernel32: processes ----

void winExec(ForeignCall& c) {
    const StartedProgram s = startCommand(c.text(0), {});
    if (s.error) return c.returnInteger(s.error);
    platform::reapLater(s.pid);
    c.returnInteger(33);  // above 31: started
}

// CreateProcess(app, cmdLine, procAttrs, threadAttrs, inherit, flags, env, curDir, var
// startupInfo, var processInfo): processInfo gets hProcess, hThread (a second handle on the
// same process), dwProcessId and dwThreadId.
void createProcess(ForeignCall& c) {
    std::string cmd = c.text(1);
    const std::string app = c.text(0);
    if (!app.empty()) {
        const platform::SplitCommand split = platform::splitProgram(cmd);
        cmd = "\"" + app + "\"" + (split.tail.empty() ? "" : " " + split.tail);
    }
    if (cmd.empty()) return c.returnInteger(done(false, kErrorFileNotFound));
    const StartedProgram s = startCommand(cmd, c.text(7));
    if (s.error) return c.returnInteger(done(false, s.error));
    const uint32_t process = handles().add(ProcessEntry{s.pid});
    const uint32_t thread = handles().add(ProcessEntry{s.pid});
    const int64_t info[] = {process, thread, s.pid, s.pid};
    for (int f = 0; f < std::min(c.fieldCount(9), 4); ++f) c.setField(9, f, info[f]);
    c.returnInteger(1);
}

// Every handle on the process learns the exit once it is reaped.
void noteExit(int pid, int code) {
    for (auto& [id, e] : handles().entries)
        if (auto* p = std::get_if<ProcessEntry>(&e); p && p->pid == pid) {
            p->ended = true;
            p->exitCode = code;
        }
}

bool pollProcess(ProcessEntry& p) {
    if (p.ended) return true;
    if (auto code = platform::exitCodeIfEnded(p.pid)) {
        noteExit(p.pid, *code);
        return true;
    }
    return false;
}

void waitForSingleObject(ForeignCall& c) {
    constexpr uint32_t kInfinite = 0xFFFFFFFF, kWaitTimeout = 258, kWaitFailed = 0xFFFFFFFF;
    const uint32_t id = c.dword(0), timeout = c.dword(1);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        // Looked up again each round: an event procedure run meanwhile may close it.
        ProcessEntry* p = handles().find<ProcessEntry>(id);
        if (!p) return c.returnInteger((fail(kErrorInvalidHandle), int64_t(kWaitFailed)));
        if (pollProcess(*p)) return c.returnInteger(0);
        const auto waited = std::chrono::steady_clock::now() - start;
        if (timeout != kInfinite && waited >= std::chrono::milliseconds(timeout))
            return c.returnInteger(kWaitTimeout);
        platform::processMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(timeout == 0 ? 0 : 5));
    }
}

void getExitCodeProcess(ForeignCall& c) {
    constexpr int64_t kStillActive = 259;
    ProcessEntry* p = handles().find<ProcessEntry>(c.dword(0));
    if (!p) return c.returnInteger(done(false, kErrorInvalidHandle));
    c.setInteger(1, pollProcess(*p) ? p->exitCode : kStillActive);
    c.returnInteger(1);
}

void closeHandle(ForeignCall& c) {
    auto& table = handles();
    auto it = table.entries.find(c.dword(0));
    if (it == table.entries.end() || std::holds_alternative<KeyEntry>(it->second))
        return c.returnInteger(done(false, kErrorInvalidHandle));
    if (auto* p = std::get_if<ProcessEntry>(&it->second); p && !pollProcess(*p)) {
        const int pid = p->pid;
        table.entries.erase(it);
        // The last handle on a running program leaves it to the reaper.
        bool held = std::any_of(table.entries.begin(), table.entries.end(), [&](const auto& e) {
            const auto* q = std::get_if<ProcessEntry>(&e.second);
            return q && q->pid == pid;
        });
        if (!held) platform::reapLater(pid);
    } else {
        table.entries.erase(it);
    }
    c.returnInteger(1);
}

void beep(ForeignCall& c) {
    buzzerSound(static_cast<uint16_t>(std::clamp<uint32_t>(c.dword(0), 37, 32767)), c.dword(1));
    c.returnInteger(1);
}

// ---- kernel32: INI files ----

// Zero-separated names ending in two zeros, cut to the buffer as Windows cuts them.
uint32_t putNameList(ForeignCall& c, int buffer, uint64_t size, const std::vector<std::string>& names) {
    const uint64_t room = std::min<uint64_t>(size, c.capacity(buffer));
    if (room < 2) return 0;
    std::string out;
    for (const std::string& n : names) out += n + '\0';
    if (out.size() + 1 > room) {
        out.resize(room - 2);
        out += '\0';
        c.fill(buffer, out + '\0');
        return static_cast<uint32_t>(room - 2);
    }
    c.fill(buffer, out + '\0');
    return static_cast<uint32_t>(out.size());
}

// GetPrivateProfileString(section, key, default, buffer, size, file): a nil section lists
// the sections, a nil key the section's keys.
void getPrivateProfileString(ForeignCall& c) {
    const fs::path file = iniFilePath(c.text(5));
    const uint64_t size = std::min<uint64_t>(c.dword(4), c.capacity(3));
    if (!c.isText(0) || !c.isText(1)) {
        const platform::ProfileFile ini = platform::ProfileFile::load(file);
        return c.returnInteger(
            putNameList(c, 3, size, c.isText(0) ? ini.keyNames(c.text(0)) : ini.sectionNames()));
    }
    if (size == 0) return c.returnInteger(0);
    const std::string value =
        platform::readProfileString(file, c.text(0), c.text(1), c.text(2), size_t(size));
    c.returnInteger(putTextCut(c, 3, size, value));
}

void writePrivateProfileString(ForeignCall& c) {
    const fs::path file = iniFilePath(c.text(3));
    bool ok;
    if (!c.isText(1))
        ok = platform::deleteProfileSection(file, c.text(0)) || true;
    else if (!c.isText(2))
        ok = platform::deleteProfileKey(file, c.text(0), c.text(1)) || true;
    else
        ok = platform::writeProfileString(file, c.text(0), c.text(1), c.text(2));
    c.returnInteger(done(ok, kErrorAccessDenied));
}

void getPrivateProfileInt(ForeignCall& c) {
    c.returnInteger(
        platform::readProfileInt(iniFilePath(c.text(3)), c.text(0), c.text(1), int(c.integer(2))));
}

}  // namespace

// The user-interface, registry, shell, sound and version exports (WinApiDesktop.cpp).
namespace winapi {
void messageBox(ForeignCall& c);
void messageBeep(ForeignCall& c);
void findWindow(ForeignCall& c);
void showWindow(ForeignCall& c);
void setWindowPos(ForeignCall& c);
void getSystemMetrics(ForeignCall& c);
void getCursorPos(ForeignCall& c);
void setCursorPos(ForeignCall& c);
void getKeyState(ForeignCall& c);
void keybdEvent(ForeignCall& c);
void getDC(ForeignCall& c);
void releaseDC(ForeignCall& c);
void getDeviceCaps(ForeignCall& c);
void shellExecute(ForeignCall& c);
void regOpenKeyEx(ForeignCall& c);
void regCreateKeyEx(ForeignCall& c);
void regQueryValueEx(ForeignCall& c);
void regSetValueEx(ForeignCall& c);
void regDeleteValue(ForeignCall& c);
void regDeleteKey(ForeignCall& c);
void regCloseKey(ForeignCall& c);
void mciSendString(ForeignCall& c);
void playSound(ForeignCall& c);
void sndPlaySound(ForeignCall& c);
void getFileVersionInfoSize(ForeignCall& c);
void getFileVersionInfo(ForeignCall& c);
void verQueryValue(ForeignCall& c);
// The handle table, shared with the registry keys and device contexts there.
uint32_t addKeyHandle(uint32_t root, std::string path);
bool findKeyHandle(uint32_t id, uint32_t& root, std::string& path);
bool closeKeyHandle(uint32_t id);
uint32_t screenDcHandle();
bool isScreenDc(uint32_t id);
}  // namespace winapi

namespace winapi {
uint32_t addKeyHandle(uint32_t root, std::string path) {
    return handles().add(KeyEntry{platform::RegistryRoot(root), std::move(path)});
}
bool findKeyHandle(uint32_t id, uint32_t& root, std::string& path) {
    const KeyEntry* k = handles().find<KeyEntry>(id);
    if (!k) return false;
    root = uint32_t(k->root);
    path = k->path;
    return true;
}
bool closeKeyHandle(uint32_t id) { return handles().find<KeyEntry>(id) && handles().entries.erase(id); }
uint32_t screenDcHandle() { return handles().add(ScreenDc{}); }
bool isScreenDc(uint32_t id) { return handles().find<ScreenDc>(id) != nullptr; }
}  // namespace winapi

namespace {

using Fn = void (*)(ForeignCall&);

constexpr Fn kRoutines[] = {
    getTickCount,
    sleep,
    getLocalTime,
    getSystemTime,
    getWindowsDirectory,
    getSystemDirectory,
    getTempPath,
    getCurrentDirectory,
    setCurrentDirectory,
    createDirectory,
    removeDirectory,
    copyFile,
    moveFile,
    deleteFile,
    getFileAttributes,
    setFileAttributes,
    getDriveType,
    getLogicalDrives,
    getVolumeInformation,
    getDiskFreeSpaceEx,
    getEnvironmentVariable,
    setEnvironmentVariable,
    getComputerName,
    getVersionEx,
    getLastError,
    getModuleFileName,
    winExec,
    createProcess,
    waitForSingleObject,
    getExitCodeProcess,
    closeHandle,
    beep,
    getPrivateProfileString,
    writePrivateProfileString,
    getPrivateProfileInt,
    winapi::messageBox,
    winapi::messageBeep,
    winapi::findWindow,
    winapi::showWindow,
    winapi::setWindowPos,
    winapi::getSystemMetrics,
    winapi::getCursorPos,
    winapi::setCursorPos,
    winapi::getKeyState,
    winapi::keybdEvent,
    winapi::getDC,
    winapi::releaseDC,
    winapi::getDeviceCaps,
    winapi::shellExecute,
    getUserName,
    winapi::regOpenKeyEx,
    winapi::regCreateKeyEx,
    winapi::regQueryValueEx,
    winapi::regSetValueEx,
    winapi::regDeleteValue,
    winapi::regDeleteKey,
    winapi::regCloseKey,
    winapi::mciSendString,
    winapi::playSound,
    winapi::sndPlaySound,
    winapi::getFileVersionInfoSize,
    winapi::getFileVersionInfo,
    winapi::verQueryValue,
};
static_assert(std::size(kRoutines) == size_t(Export::Count), "one routine per export, in the table's order");

MciSender& mciSender() {
    static MciSender sender;
    return sender;
}

}  // namespace

script::ForeignRoutine systemLibraryRoutine(std::string_view library, std::string_view proc) {
    auto e = runtime::findSystemExport(library, proc);
    if (!e) return {};
    Fn fn = kRoutines[size_t(*e)];
    return {[fn](ForeignCall& c) { fn(c); }, runtime::systemExportInfo(*e).params};
}

void bindSystemLibraries(script::Executor& executor) { executor.setForeignProvider(&systemLibraryRoutine); }

void setMciSender(MciSender sender) { mciSender() = std::move(sender); }

uint32_t sendMciString(std::string_view command, std::string& result) {
    result.clear();
    if (mciSender()) return mciSender()(command, result);
    return uint32_t(media::mci::sendString(
        command, result, [](std::string_view name) { return platform::resolvePath(name).string(); }));
}

void closeSystemHandles() {
    for (auto& [id, e] : handles().entries)
        if (auto* p = std::get_if<ProcessEntry>(&e); p && !pollProcess(*p)) {
            platform::reapLater(p->pid);
            noteExit(p->pid, 0);  // the watcher reaps it from now on
        }
    handles().entries.clear();
}

void releaseSystemResources() {
    closeSystemHandles();
    media::mci::closeAll();
}

}  // namespace library
