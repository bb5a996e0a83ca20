// The system's message texts for Windows error codes, from a table of our own, and the script
// error that reports the last system error of the calling thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace library {

// The message text for `code` without its trailing full stop and line end ("Access is
// denied"); "" for a code the table does not hold.
std::string Win32ErrorString(int32_t code);

// "<function> failed; code <code>.\r\n<message text>": the text of the script error that
// Win32ErrorMsg raises. `functionName` arrives already expanded by the caller.
std::string win32ErrorMessage(std::string_view functionName, int32_t code);
// Throws base::ScriptError with win32ErrorMessage for the thread's last system error.
[[noreturn]] void Win32ErrorMsg(std::string_view functionName);

}  // namespace library
