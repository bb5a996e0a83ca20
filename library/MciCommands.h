// The script routine that sends a multimedia command string to the device layer.
#pragma once

#include <cstdint>
#include <string>

namespace library {

// Expands the placeholders of `command`, carries it out and reports its error number in
// `resultCode`. `resultMsg` gets the command's answer when it succeeded and has one
// ("playing", "1500"), otherwise the text of the error number. True when the number is 0.
// File names inside the command go through the player's path translation.
bool SendMCIString(const std::string& command, std::string& resultMsg, int32_t& resultCode);

}  // namespace library
