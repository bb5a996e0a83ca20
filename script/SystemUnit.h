// The engine's own system unit: the routines, types and constants every script sees
// (IntToStr, Copy, Round, RaiseException, TIFException, the var... constants, ...).
#pragma once

#include <cstdint>
#include <string>

namespace script {

class Parser;

void registerSystemUnit(Parser& p);

// Text conversions shared with variants; '.' is always the decimal separator.
std::string formatFloat(double v);                      // FloatToStr: 15 significant digits
bool parseIntText(const std::string& s, int64_t& out);  // decimal or $hex, optional sign
bool parseFloatText(const std::string& s, double& out);

}  // namespace script
