// Variant values: conversions from and to typed values (codes of Parser::varCode) and the
// run-time dispatched operators, following Delphi's variant rules for the common kinds.
#pragma once

#include <string>

#include "script/Value.h"

namespace script {

// Codes: 0 variant, 1 integer, 2 int64, 3 real, 4 boolean, 5 string, 6 char.
Slot toVariant(Slot v, int code);        // consumes v, returns an owned VarObj (or null)
Slot fromVariant(Slot v, int code);      // consumes the variant
Slot variantOp(int op, Slot a, Slot b);  // consumes both
Slot variantUnary(int op, Slot a);
bool variantEquals(Slot a, Slot b);
// Delphi's VarType codes: varEmpty 0, varNull 1, varInteger 3, varDouble 5, varBoolean 11,
// varInt64 20, varString 256.
int variantType(Slot v);
std::string variantToString(Slot v);

}  // namespace script
