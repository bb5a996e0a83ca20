#include "library/Drives.h"

#include <cctype>
#include <cmath>
#include <optional>

#include "base/Error.h"
#include "classes/TStrings.h"
#include "platform/Drives.h"
#include "platform/Paths.h"

namespace library {
namespace {

const char* typeText(platform::DriveType t) {
    switch (t) {
    case platform::DriveType::Removable: return " Removable";
    case platform::DriveType::Fixed: return " Local Disk";
    case platform::DriveType::Remote: return " Network";
    case platform::DriveType::CdRom: return " CD-ROM";
    case platform::DriveType::RamDisk: return " RAM Disk";
    default: return nullptr;
    }
}

const char* shellTypeName(platform::DriveType t) {
    switch (t) {
    case platform::DriveType::Removable: return "Removable Disk";
    case platform::DriveType::Fixed: return "Local Disk";
    case platform::DriveType::Remote: return "Network Drive";
    case platform::DriveType::CdRom: return "CD Drive";
    case platform::DriveType::RamDisk: return "RAM Disk";
    default: return "";
    }
}

// The pictures of the shell's image list that show drives.
int32_t shellImage(platform::DriveType t) {
    switch (t) {
    case platform::DriveType::Removable: return 7;
    case platform::DriveType::Fixed: return 8;
    case platform::DriveType::Remote: return 9;
    case platform::DriveType::CdRom: return 11;
    case platform::DriveType::RamDisk: return 12;
    default: return 0;
    }
}

std::string root(char letter) { return std::string(1, letter) + ":\\"; }

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string groupThousands(uint64_t value, char separator) {
    std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0 && separator) out.push_back(separator);
        out.push_back(digits[i]);
    }
    return out;
}

// The sizes of the drive a root names ("C:\", either case) or of the file system holding a path.
std::optional<platform::SpaceInfo> spaceOf(std::string_view driveRoot, bool& rootForm) {
    rootForm = driveRoot.size() == 3 && driveRoot[1] == ':' && (driveRoot[2] == '\\' || driveRoot[2] == '/');
    if (rootForm) {
        auto drive = platform::findDrive(driveRoot[0]);
        if (!drive) return std::nullopt;
        return platform::mountTable().space(drive->root);
    }
    std::filesystem::path p = platform::resolvePath(driveRoot);
    if (p.empty()) return std::nullopt;
    return platform::mountTable().space(p);
}

}  // namespace

std::unique_ptr<classes::TStringList> availableDrives() {
    auto list = std::make_unique<classes::TStringList>();
    for (const platform::Drive& d : platform::listDrives()) {
        if (const char* text = typeText(d.type)) list->add(root(d.letter) + text);
    }
    return list;
}

int32_t drivesCount() { return availableDrives()->count(); }

std::unique_ptr<classes::TStringList> hardDrives() {
    auto list = std::make_unique<classes::TStringList>();
    for (const platform::Drive& d : platform::listDrives()) {
        if (d.type == platform::DriveType::Fixed) list->add(root(d.letter));
    }
    return list;
}

bool diskInDrive(char drive) {
    auto d = platform::findDrive(drive);
    return d && platform::mountTable().space(d->root).has_value();
}

bool diskWriteProtected(char drive) {
    if (!isLetter(drive)) throw base::ScriptError("Invalid drive specification");
    auto d = platform::findDrive(drive);
    if (!d) return true;  // nothing can be written there
    auto space = platform::mountTable().space(d->root);
    return !space || space->readOnly || !platform::mountTable().writable(d->root);
}

bool validDriveLetter(char drive) { return isLetter(drive); }

uint8_t driveLetterToIndex(char drive) {
    return isLetter(drive) ? static_cast<uint8_t>(upper(drive) - 'A' + 1) : uint8_t(3);
}

char driveIndexToLetter(uint8_t index) {
    return index >= 1 && index <= 26 ? static_cast<char>('A' + index - 1) : 'C';
}

TDWDriveShellInfo getDriveShellInfo(char drive) {
    TDWDriveShellInfo info;
    auto d = platform::findDrive(drive);
    if (!d) return info;
    info.Image = shellImage(d->type);
    info.TypeName = shellTypeName(d->type);
    std::string label = d->mount.mountPoint.empty() ? std::string() : platform::mountTable().label(d->mount);
    info.DisplayName = (label.empty() ? info.TypeName : label) + " (" + d->letter + ":)";
    if (info.DisplayName.size() > 260) info.DisplayName.resize(260);
    return info;
}

bool getTotalFreeSpace(std::string_view driveRoot, int64_t& freeSpace) {
    bool rootForm = false;
    auto space = spaceOf(driveRoot, rootForm);
    if (!space) {
        if (rootForm) freeSpace = -1;  // the drive-number query's "not ready"
        return false;
    }
    freeSpace = static_cast<int64_t>(space->available);
    return true;
}

bool getTotalSpace(std::string_view driveRoot, int64_t& totalSpace) {
    bool rootForm = false;
    auto space = spaceOf(driveRoot, rootForm);
    if (!space) {
        if (rootForm) totalSpace = -1;
        return false;
    }
    totalSpace = static_cast<int64_t>(space->total);
    return true;
}

std::string intToKBStr(int64_t bytes, char thousandSeparator) {
    long double kb = std::ceil(static_cast<long double>(bytes) / 1024.0L);
    bool negative = kb < 0;
    std::string digits = groupThousands(static_cast<uint64_t>(std::fabs(kb)), thousandSeparator);
    return negative ? "-" + digits : digits;
}

std::string intToMBStr(int64_t bytes, char thousandSeparator, char decimalSeparator) {
    long double tenths = std::ceil(static_cast<long double>(bytes) * 10.0L / 1048576.0L);
    bool negative = tenths < 0;
    auto t = static_cast<uint64_t>(std::fabs(tenths));
    std::string text = groupThousands(t / 10, thousandSeparator) + decimalSeparator + char('0' + t % 10);
    return negative ? "-" + text : text;
}

}  // namespace library
