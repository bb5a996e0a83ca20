#include "library/SystemMessages.h"

#include <algorithm>
#include <iterator>

#include "base/Error.h"
#include "platform/LastError.h"

namespace library {
namespace {

struct SystemMessage {
    int32_t code;
    const char* text;  // as the system message table holds it, line end included
};

// The English texts of the system message table for the codes scripts meet in practice,
// sorted by code. Inserts ("%1") stay as they are, since the table is read without them.
constexpr SystemMessage kMessages[] = {
    {0, "The operation completed successfully.\r\n"},
    {1, "Incorrect function.\r\n"},
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {4, "The system cannot open the file.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {8, "Not enough storage is available to process this command.\r\n"},
    {12, "The access code is invalid.\r\n"},
    {13, "The data is invalid.\r\n"},
    {14, "Not enough storage is available to complete this operation.\r\n"},
    {15, "The system cannot find the drive specified.\r\n"},
    {16, "The directory cannot be removed.\r\n"},
    {17, "The system cannot move the file to a different disk drive.\r\n"},
    {18, "There are no more files.\r\n"},
    {19, "The media is write protected.\r\n"},
    {21, "The device is not ready.\r\n"},
    {23, "Data error (cyclic redundancy check).\r\n"},
    {29, "The system cannot write to the specified device.\r\n"},
    {30, "The system cannot read from the specified device.\r\n"},
    {31, "A device attached to the system is not functioning.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {33, "The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, "Reached the end of the file.\r\n"},
    {39, "The disk is full.\r\n"},
    {50, "The request is not supported.\r\n"},
    {53, "The network path was not found.\r\n"},
    {80, "The file exists.\r\n"},
    {82, "The directory or file cannot be created.\r\n"},
    {87, "The parameter is incorrect.\r\n"},
    {109, "The pipe has been ended.\r\n"},
    {110, "The system cannot open the device or file specified.\r\n"},
    {111, "The file name is too long.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {122, "The data area passed to a system call is too small.\r\n"},
    {123, "The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, "The specified module could not be found.\r\n"},
    {127, "The specified procedure could not be found.\r\n"},
    {145, "The directory is not empty.\r\n"},
    {161, "The specified path is invalid.\r\n"},
    {183, "Cannot create a file when that file already exists.\r\n"},
    {193, "%1 is not a valid Win32 application.\r\n"},
    {206, "The filename or extension is too long.\r\n"},
    {234, "More data is available.\r\n"},
    {259, "No more data is available.\r\n"},
    {267, "The directory name is invalid.\r\n"},
    {1001, "Recursion too deep; the stack overflowed.\r\n"},
    {1155, "No application is associated with the specified file for this operation.\r\n"},
    {1223, "The operation was canceled by the user.\r\n"},
    {1314, "A required privilege is not held by the client.\r\n"},
    {1400, "Invalid window handle.\r\n"},
    {1460, "This operation returned because the timeout period expired.\r\n"},
};

static_assert(std::is_sorted(std::begin(kMessages), std::end(kMessages),
                             [](const SystemMessage& a, const SystemMessage& b) { return a.code < b.code; }));

}  // namespace

std::string Win32ErrorString(int32_t code) {
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const SystemMessage& m, int32_t c) { return m.code < c; });
    if (it == std::end(kMessages) || it->code != code) return {};
    std::string text(it->text);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) < '!' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string win32ErrorMessage(std::string_view functionName, int32_t code) {
    return std::string(functionName) + " failed; code " + std::to_string(code) + ".\r\n" +
           Win32ErrorString(code);
}

void Win32ErrorMsg(std::string_view functionName) {
    throw base::ScriptError(win32ErrorMessage(functionName, platform::lastSystemError()));
}

}  // namespace library
