// The registry as REGEDIT4 text, so an author can read the store and seed it:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Tamberlo\Vantrel\Variables]
//   "Name"="text with \\ and \" escaped"
//   @="the key's default value"
//   "Count"=dword:0000002a
//   "Data"=hex:01,02,ff
//   "Path"=hex(2):25,50,46,25,00
//   "Gone"=-
//   [-HKEY_CURRENT_USER\Software\Old]
//
// Texts are bytes in the ANSI code page; a string holding a line break or a zero byte is
// written as hex(1), and other types as hex(N). Long hex data continues on the next line
// after ",\". Lines end with CR LF; reading accepts LF too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace platform {

// The key and everything below it; throws base::Error when the key does not exist.
std::string exportRegistryText(const RegistryStore& store, RegistryRoot root, std::string_view key);
// The stored hives: HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS\.DEFAULT.
std::string exportRegistryText(const RegistryStore& store);

// The edits the text asks for, in order. Throws base::Error naming the line ("line 3:
// ...") for text that is not REGEDIT4; nothing is applied then.
std::vector<RegistryEdit> parseRegistryText(std::string_view text);

// "HKEY_CURRENT_USER\Software\X" or "HKCU\Software\X" split into root and key path;
// false for an unknown root.
bool splitRegistryPath(std::string_view full, RegistryRoot& root, std::string& key);

}  // namespace platform
