// The player's own error text: "Internal error: %s" with placeholders expanded, shown in a
// box captioned "Error". Start-up warns with it when no project is found; the script
// routine `InternalError` shows it with the error icon before the player ends.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace runtime {

// The "%s" (or "%S") directives of the run-time's Format, taking the arguments in order;
// "%%" is a percent sign and any other directive is kept as written.
std::string formatStrings(std::string_view format, std::initializer_list<std::string_view> args);

// "Internal error: %s" formatted with `text`, placeholders expanded.
std::string internalErrorText(std::string_view text);

// Shows internalErrorText(text) captioned "Error" with the given icon flags
// (MB_ICONWARNING or MB_ICONERROR).
void showInternalError(std::string_view text, uint32_t iconFlags);

}  // namespace runtime
