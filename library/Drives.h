// Drives and disk space for scripts, over platform/Drives.h: letters A..Z of the drive table,
// their types, labels, sizes and write protection, and the size texts of Explorer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace classes {
class TStringList;
}

namespace library {

struct TDWDriveShellInfo {
    int32_t Icon = 0;   // no icon handles for drives here
    int32_t Image = 0;  // the index of the drive's picture in the shell's image list
    std::string DisplayName;
    std::string TypeName;
};

// "C:\ Local Disk", one per drive of a known type.
std::unique_ptr<classes::TStringList> availableDrives();
int32_t drivesCount();
std::unique_ptr<classes::TStringList> hardDrives();
bool diskInDrive(char drive);
// Throws "Invalid drive specification" for a character that is not a letter. A drive that
// is mounted read-only or where this process may not create files counts as protected; no
// file is created to find out.
bool diskWriteProtected(char drive);
bool validDriveLetter(char drive);
uint8_t driveLetterToIndex(char drive);
char driveIndexToLetter(uint8_t index);
TDWDriveShellInfo getDriveShellInfo(char drive);
// A root ("C:\", either case) or any path on the drive.
bool getTotalFreeSpace(std::string_view driveRoot, int64_t& freeSpace);
bool getTotalSpace(std::string_view driveRoot, int64_t& totalSpace);

// Kilobytes rounded up, with thousands separators ("1,234"); megabytes rounded up to one
// decimal ("1,234.5").
std::string intToKBStr(int64_t bytes, char thousandSeparator = ',');
std::string intToMBStr(int64_t bytes, char thousandSeparator = ',', char decimalSeparator = '.');

}  // namespace library
