// The served user32, gdi32, shell32, advapi32 (registry), winmm and version exports. Another
// program's windows are out of reach, so window routines see the player's own forms; a
// registry key handle is a path in the registry store.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "base/AnsiText.h"
#include "base/UniqueFd.h"
#include "library/Messages.h"
#include "library/Music.h"
#include "library/PeVersion.h"
#include "library/Shell.h"
#include "library/WinApi.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "platform/LastError.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "vcl/Desktop.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"
#include "vcl/WindowIds.h"

namespace fs = std::filesystem;

namespace library::winapi {

uint32_t addKeyHandle(uint32_t root, std::string path);
bool findKeyHandle(uint32_t id, uint32_t& root, std::string& path);
bool closeKeyHandle(uint32_t id);
uint32_t screenDcHandle();
bool isScreenDc(uint32_t id);

namespace {

using script::ForeignCall;

constexpr int64_t kErrorSuccess = 0, kErrorFileNotFound = 2, kErrorAccessDenied = 5, kErrorInvalidHandle = 6,
                  kErrorMoreData = 234, kErrorInvalidParameter = 87;

// ---- windows ----

vcl::TWinControl* window(ForeignCall& c, int i) { return vcl::windowById(int32_t(c.integer(i))); }

}  // namespace

// MessageBox(owner, text, caption, flags): the dialog service's box, texts as given.
void messageBox(ForeignCall& c) {
    c.returnInteger(platform::dialogs().messageBox(c.text(1), c.text(2), c.dword(3)));
}

void messageBeep(ForeignCall& c) {
    Beep();
    c.returnInteger(1);
}

// FindWindow(className, caption): the first of the player's forms matching both given names.
void findWindow(ForeignCall& c) {
    const std::string cls = c.text(0), caption = c.text(1);
    for (vcl::TCustomForm* f : vcl::screen().forms()) {
        if (!cls.empty() && !base::ansiSameText(f->className(), cls)) continue;
        if (c.isText(1) && f->caption() != caption) continue;
        return c.returnInteger(vcl::windowId(f));
    }
    c.returnInteger(0);
}

// ShowWindow(window, command): hide, show, minimise, maximise or restore; the result tells
// whether it was visible before.
void showWindow(ForeignCall& c) {
    enum { kHide = 0, kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3, kMinimize = 6, kRestore = 9 };
    vcl::TWinControl* w = window(c, 0);
    if (!w) return c.returnInteger(0);
    const bool wasVisible = w->visible();
    const int64_t command = c.integer(1);
    auto* form = dynamic_cast<vcl::TCustomForm*>(w);
    if (command == kHide) {
        w->setVisible(false);
    } else {
        w->setVisible(true);
        if (form) {
            if (command == kShowMinimized || command == kMinimize || command == 7 || command == 11)
                form->setWindowState(vcl::wsMinimized);
            else if (command == kShowMaximized)
                form->setWindowState(vcl::wsMaximized);
            else if (command == kShowNormal || command == kRestore)
                form->setWindowState(vcl::wsNormal);
        }
    }
    c.returnInteger(wasVisible);
}

// SetWindowPos(window, insertAfter, x, y, cx, cy, flags). The stacking order is the window
// manager's; only position, size and visibility follow.
void setWindowPos(ForeignCall& c) {
    constexpr uint32_t kNoSize = 0x1, kNoMove = 0x2, kShow = 0x40, kHide = 0x80;
    vcl::TWinControl* w = window(c, 0);
    if (!w) return c.returnInteger((platform::setLastSystemError(int(kErrorInvalidHandle)), 0));
    const uint32_t flags = c.dword(6);
    const int x = flags & kNoMove ? w->left() : int(c.integer(2));
    const int y = flags & kNoMove ? w->top() : int(c.integer(3));
    const int cx = flags & kNoSize ? w->width() : int(c.integer(4));
    const int cy = flags & kNoSize ? w->height() : int(c.integer(5));
    w->setBounds(x, y, cx, cy);
    if (flags & kShow) w->setVisible(true);
    if (flags & kHide) w->setVisible(false);
    c.returnInteger(1);
}

void getSystemMetrics(ForeignCall& c) {
    switch (c.integer(0)) {
    case 0: return c.returnInteger(vcl::screen().width());   // SM_CXSCREEN
    case 1: return c.returnInteger(vcl::screen().height());  // SM_CYSCREEN
    case 19: return c.returnInteger(vcl::desktop::mouseInfo().present);
    case 23: return c.returnInteger(vcl::desktop::mouseInfo().swapped);
    case 43: return c.returnInteger(vcl::desktop::mouseInfo().buttons);
    case 75: return c.returnInteger(vcl::desktop::mouseInfo().wheel);
    case 80: return c.returnInteger(int64_t(vcl::desktop::displayDevices().size()));  // SM_CMONITORS
    default: return c.returnInteger(0);
    }
}

void getCursorPos(ForeignCall& c) {
    if (c.fieldCount(0) < 2) return c.returnInteger(0);
    const vcl::TPoint p = vcl::desktop::cursorPos();
    c.setField(0, 0, p.x);
    c.setField(0, 1, p.y);
    c.returnInteger(1);
}

// The pointer is the desktop's to move; a player may not warp it (Wayland forbids it).
void setCursorPos(ForeignCall& c) {
    platform::setLastSystemError(int(kErrorAccessDenied));
    c.returnInteger(0);
}

// A SHORT: the top bit while the key is down, bit 0 for a toggled lock key.
void getKeyState(ForeignCall& c) {
    const uint8_t state = vcl::keyState(int(c.integer(0)) & 0xFF);
    c.returnInteger(int16_t(((state & 0x80) ? 0xFF80 : 0) | (state & 1)));
}

// keybd_event(key, scan, flags, extra): the key goes down or up (KEYEVENTF_KEYUP) in the
// player's keyboard state, so a press and release of Caps Lock toggles it.
void keybdEvent(ForeignCall& c) {
    const int key = int(c.integer(0)) & 0xFF;
    if (c.dword(2) & 0x2)
        vcl::keyReleased(key);
    else
        vcl::keyPressed(key);
}

void getDC(ForeignCall& c) { c.returnInteger(screenDcHandle()); }

void releaseDC(ForeignCall& c) { c.returnInteger(isScreenDc(c.dword(1)) ? 1 : 0); }

// GetDeviceCaps(dc, index) for the screen: sizes, depth and resolution.
void getDeviceCaps(ForeignCall& c) {
    const uint32_t dc = c.dword(0);
    if (!isScreenDc(dc) && !vcl::canvasById(int32_t(dc))) return c.returnInteger(0);
    const auto devices = vcl::desktop::displayDevices();
    const int depth = devices.empty() ? 32 : devices.front().depth;
    switch (c.integer(1)) {
    case 8: return c.returnInteger(vcl::screen().width());                  // HORZRES
    case 10: return c.returnInteger(vcl::screen().height());                // VERTRES
    case 12: return c.returnInteger(depth);                                 // BITSPIXEL
    case 14: return c.returnInteger(1);                                     // PLANES
    case 24: return c.returnInteger(depth > 8 ? -1 : int64_t(1) << depth);  // NUMCOLORS
    case 88:
    case 90: return c.returnInteger(vcl::screen().pixelsPerInch());  // LOGPIXELSX, LOGPIXELSY
    case 116: return c.returnInteger(devices.empty() ? 0 : devices.front().refreshRate);  // VREFRESH
    default: return c.returnInteger(0);
    }
}

// ShellExecute(owner, verb, file, parameters, folder, show): "open" (or none) and "explore"
// start or open; other verbs have no handler here (SE_ERR_NOASSOC).
void shellExecute(ForeignCall& c) {
    const std::string verb = c.text(1);
    if (!verb.empty() && !base::ansiSameText(verb, "open") && !base::ansiSameText(verb, "explore"))
        return c.returnInteger(31);
    c.returnInteger(library::shellExecute(c.text(2), c.text(3), c.text(4)));
}

// ---- registry ----

namespace {

bool isPredefined(uint32_t key) { return key >= 0x80000000u && key <= 0x80000006u; }

// The root and path a key handle (or predefined key) and a sub-key name give.
bool keyPath(uint32_t key, std::string_view subKey, platform::RegistryRoot& root, std::string& path) {
    uint32_t r = key;
    path.clear();
    if (!isPredefined(key) && !findKeyHandle(key, r, path)) return false;
    root = platform::RegistryRoot(r);
    std::string sub(subKey);
    while (!sub.empty() && sub.front() == '\\') sub.erase(0, 1);
    if (!sub.empty()) path = path.empty() ? sub : path + "\\" + sub;
    return true;
}

}  // namespace

// RegOpenKeyEx(key, subKey, options, access, var result).
void regOpenKeyEx(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), c.text(1), root, path)) return c.returnInteger(kErrorInvalidHandle);
    if (!path.empty() && !platform::registry().keyExists(root, path))
        return c.returnInteger(kErrorFileNotFound);
    c.setInteger(4, addKeyHandle(uint32_t(root), path));
    c.returnInteger(kErrorSuccess);
}

// RegCreateKeyEx(key, subKey, reserved, class, options, access, security, var result, var
// disposition): 1 for a new key, 2 for one that existed.
void regCreateKeyEx(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), c.text(1), root, path)) return c.returnInteger(kErrorInvalidHandle);
    const bool existed = path.empty() || platform::registry().keyExists(root, path);
    if (!existed && !platform::registry().createKey(root, path)) return c.returnInteger(kErrorAccessDenied);
    c.setInteger(7, addKeyHandle(uint32_t(root), path));
    c.setInteger(8, existed ? 2 : 1);
    c.returnInteger(kErrorSuccess);
}

// RegQueryValueEx(key, name, reserved, var type, data, var size). The data is a string
// buffer (the value's bytes, strings with their zero) or a `var` integer for a DWORD; the
// size says how many bytes the buffer may take and comes back as the value's size.
void regQueryValueEx(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), {}, root, path)) return c.returnInteger(kErrorInvalidHandle);
    auto v = platform::registry().value(root, path, c.text(1));
    if (!v) return c.returnInteger(kErrorFileNotFound);
    c.setInteger(3, v->type);
    const std::string raw = v->rawData();
    if (!c.isText(4)) {
        // A DWORD read straight into an integer variable.
        if (auto d = v->dwordValue(); d && c.setInteger(4, *d)) {
            c.setInteger(5, 4);
            return c.returnInteger(kErrorSuccess);
        }
        c.setInteger(5, int64_t(raw.size()));
        return c.returnInteger(kErrorSuccess);  // a size query: nil data
    }
    const uint64_t room = std::min<uint64_t>(c.dword(5), c.capacity(4));
    c.setInteger(5, int64_t(raw.size()));
    if (raw.size() > room) return c.returnInteger(kErrorMoreData);
    c.fill(4, raw);
    c.returnInteger(kErrorSuccess);
}

// RegSetValueEx(key, name, reserved, type, data, size): strings up to their zero, a DWORD
// from an integer or four bytes, other types the first `size` bytes.
void regSetValueEx(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), {}, root, path)) return c.returnInteger(kErrorInvalidHandle);
    const uint32_t type = c.dword(3);
    platform::RegistryValue v;
    if (type == 1 || type == 2) {
        v = platform::RegistryValue::string(c.text(4), platform::RegType(type));
    } else if (type == 4) {
        uint32_t d = c.dword(4);
        if (c.isText(4)) {
            const std::string b = c.bytes(4);
            if (b.size() < 4) return c.returnInteger(kErrorInvalidParameter);
            d = uint32_t(uint8_t(b[0])) | uint32_t(uint8_t(b[1])) << 8 | uint32_t(uint8_t(b[2])) << 16 |
                uint32_t(uint8_t(b[3])) << 24;
        }
        v = platform::RegistryValue::dword(d);
    } else {
        std::string b = c.bytes(4);
        b.resize(std::min<size_t>(b.size(), c.dword(5)));
        v = platform::RegistryValue::binary(std::move(b), platform::RegType(type));
    }
    c.returnInteger(platform::registry().setValue(root, path, c.text(1), v, platform::KeyCreation::MustExist)
                        ? kErrorSuccess
                        : kErrorAccessDenied);
}

void regDeleteValue(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), {}, root, path)) return c.returnInteger(kErrorInvalidHandle);
    if (!platform::registry().value(root, path, c.text(1))) return c.returnInteger(kErrorFileNotFound);
    c.returnInteger(platform::registry().deleteValue(root, path, c.text(1)) ? kErrorSuccess
                                                                            : kErrorAccessDenied);
}

// RegDeleteKey(key, subKey): a key without sub-keys, its values with it.
void regDeleteKey(ForeignCall& c) {
    platform::RegistryRoot root;
    std::string path;
    if (!keyPath(c.dword(0), c.text(1), root, path)) return c.returnInteger(kErrorInvalidHandle);
    if (c.text(1).empty()) return c.returnInteger(kErrorAccessDenied);
    auto subKeys = platform::registry().subKeyNames(root, path);
    if (!subKeys) return c.returnInteger(kErrorFileNotFound);
    if (!subKeys->empty()) return c.returnInteger(kErrorAccessDenied);
    c.returnInteger(platform::registry().deleteTree(root, path) ? kErrorSuccess : kErrorAccessDenied);
}

void regCloseKey(ForeignCall& c) {
    const uint32_t key = c.dword(0);
    c.returnInteger(isPredefined(key) || closeKeyHandle(key) ? kErrorSuccess : kErrorInvalidHandle);
}

// ---- sound ----

// mciSendString(command, result, resultSize, callback).
void mciSendString(ForeignCall& c) {
    std::string result;
    const uint32_t code = sendMciString(c.text(0), result);
    const uint64_t room = std::min<uint64_t>(c.dword(2), c.capacity(1));
    if (room) {
        const size_t n = std::min<size_t>(result.size(), room - 1);
        c.fill(1, result.substr(0, n) + '\0');
    }
    c.returnInteger(code);
}

namespace {

constexpr uint32_t kSndAsync = 0x1, kSndNoDefault = 0x2, kSndMemory = 0x4, kSndLoop = 0x8, kSndNoStop = 0x10,
                   kSndAlias = 0x10000, kSndResource = 0x40004;

int32_t& currentSound() {
    static int32_t channel = 0;
    return channel;
}

bool soundPlaying() { return currentSound() != 0 && musicStatus(currentSound()) == 2; }

void stopSound() {
    if (currentSound()) stopMusicChannel(currentSound());
    currentSound() = 0;
}

// One sound at a time, as the system plays them: a WAV (or any file the music routines
// play), looped or once, waited for unless asynchronous. System sound aliases do not exist
// here; they and missing files give the default sound (the beep) unless told not to.
bool playSoundFile(const std::string& name, uint32_t flags) {
    if (name.empty()) {
        stopSound();
        return true;
    }
    if ((flags & kSndNoStop) && soundPlaying()) return false;
    if ((flags & kSndMemory) || (flags & kSndResource) == kSndResource) return false;
    stopSound();
    std::error_code ec;
    const bool file = !(flags & kSndAlias) && fs::is_regular_file(platform::resolvePath(name), ec);
    const int32_t channel = file ? (flags & kSndLoop ? playMusicLoop(name) : playMusic(name)) : 0;
    if (!channel) {
        if (!(flags & kSndNoDefault)) Beep();
        return false;
    }
    currentSound() = channel;
    if (!(flags & kSndAsync) && !(flags & kSndLoop)) {
        while (soundPlaying()) {
            platform::processMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return true;
}

}  // namespace

}  // namespace library::winapi

namespace library {
int32_t systemSoundChannel() { return winapi::soundPlaying() ? winapi::currentSound() : 0; }
}  // namespace library

namespace library::winapi {

void playSound(ForeignCall& c) { c.returnInteger(playSoundFile(c.text(0), c.dword(2))); }
void sndPlaySound(ForeignCall& c) { c.returnInteger(playSoundFile(c.text(0), c.dword(1))); }

// ---- version ----

namespace {

constexpr uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr size_t kFixedInfoSize = 52;  // VS_FIXEDFILEINFO: thirteen DWORDs

std::optional<FileVersion> versionOf(std::string_view fileName) {
    const fs::path p = platform::resolvePath(fileName);
    base::UniqueFd in(p.empty() ? -1 : ::open(p.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0) return std::nullopt;
    return peFileVersionOfFile(in.get());
}

// The block GetFileVersionInfo hands out: the fixed part only, file and product version
// alike (the resource's string tables are not read).
std::string fixedInfoBlock(const FileVersion& v) {
    const uint32_t ms = uint32_t(v.major) << 16 | v.minor, ls = uint32_t(v.release) << 16 | v.build;
    const uint32_t words[13] = {kFixedInfoSignature, 0x10000, ms, ls, ms, ls, 0x3F, 0, 0x40004, 1, 0, 0, 0};
    std::string out;
    for (uint32_t w : words)
        for (int b = 0; b < 4; ++b) out.push_back(char((w >> (8 * b)) & 0xFF));
    return out;
}

}  // namespace

void getFileVersionInfoSize(ForeignCall& c) {
    c.setInteger(1, 0);
    if (!versionOf(c.text(0))) return c.returnInteger((platform::setLastSystemError(1813), 0));
    c.returnInteger(int64_t(kFixedInfoSize));
}

// GetFileVersionInfo(file, handle, size, data).
void getFileVersionInfo(ForeignCall& c) {
    auto v = versionOf(c.text(0));
    if (!v) return c.returnInteger((platform::setLastSystemError(1813), 0));
    const std::string block = fixedInfoBlock(*v);
    const uint64_t room = std::min<uint64_t>(c.dword(2), c.capacity(3));
    c.fill(3, std::string_view(block).substr(0, size_t(std::min<uint64_t>(room, block.size()))));
    c.returnInteger(1);
}

// VerQueryValue(block, "\", var fixedInfo, var size): the fixed part into a record of
// thirteen DWORD fields (a script cannot hold the pointer the system hands back).
void verQueryValue(ForeignCall& c) {
    const std::string block = c.bytes(0);
    if (c.text(1) != "\\" || block.size() < kFixedInfoSize || c.fieldCount(2) == 0) return c.returnInteger(0);
    auto word = [&](size_t i) {
        uint32_t w = 0;
        for (int b = 0; b < 4; ++b) w |= uint32_t(uint8_t(block[i * 4 + size_t(b)])) << (8 * b);
        return w;
    };
    if (word(0) != kFixedInfoSignature) return c.returnInteger(0);
    for (int f = 0; f < std::min(c.fieldCount(2), 13); ++f) c.setField(2, f, word(size_t(f)));
    c.setInteger(3, int64_t(kFixedInfoSize));
    c.returnInteger(1);
}

}  // namespace library::winapi
