// The engine's standard import sets that need no screen: the date routines, the base
// classes (TObject, TPersistent, TComponent) and the classes unit (string lists, bits,
// streams, collections). A host replays them in this order, before its own tables.
#pragma once

#include "script/Imports.h"

namespace script {

const Imports& dateUtilsImports();
const Imports& stdClassImports();
const Imports& classesImports();

}  // namespace script
