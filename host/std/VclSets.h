// The engine's standard import sets that stand on the component model: graphics, controls,
// standard controls, forms, menus, extended controls and buttons. Each set is its classes
// (the class importer takes them) and one table of declarations and bindings (the
// compile-time sequence declares it, the executor binds its routines).
#pragma once

#include <vector>

#include "script/Imports.h"

namespace classes {
class ClassInfo;
}

namespace host {

struct StdSet {
    std::vector<const classes::ClassInfo*> classes;
    script::Imports imports;  // the classes, their extra members, types, constants, routines
};

const StdSet& graphicsSet();
const StdSet& controlsSet();
const StdSet& stdCtrlsSet();
const StdSet& formsSet();
const StdSet& menusSet();
const StdSet& extCtrlsSet();
const StdSet& buttonsSet();
// The common controls of the player's own module: animation, hot key, progress and track
// bars.
const StdSet& comCtrlsSet();

// The base classes and the classes unit, for the class importer (their tables are the
// engine's own, script/std/StdImports.h).
const std::vector<const classes::ClassInfo*>& stdClasses();
const std::vector<const classes::ClassInfo*>& classesUnitClasses();

}  // namespace host
