// Windows Cyrillic code page 1251 to Unicode: the programs keep their texts as the
// original stored them and convert them only where Qt shows them.
#pragma once

#include <QString>
#include <string_view>

namespace tools {

// Converts bytes in code page 1251 to a QString; the one unassigned byte (0x98)
// becomes U+FFFD so that no byte is silently dropped.
QString fromCp1251(std::string_view bytes);

}  // namespace tools
