// The variables store: values a project keeps between runs of the player, below
// HKEY_CURRENT_USER, either shared by every project (Global) or private to one player
// executable. Each variable is one registry value typed by its variant type.
#pragma once

#include <string>

namespace classes {
class Variant;
}

namespace library {

// "Software\Tamberlo\Vantrel\Variables", or the running player's key followed by
// "\Variables" ("Software\Tamberlo\Vantrel\Z:\opt\show\vantrel\Variables").
std::string variablesKey(bool global);

classes::Variant getVariable(bool global, const std::string& name, const classes::Variant& defaultValue);
void setVariable(bool global, const std::string& name, const classes::Variant& value);

}  // namespace library
