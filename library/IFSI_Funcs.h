// The player's own registration module beside the engine's standard sets: its picture part
// (TPicture with its file methods) and the classes and event types its library part adds
// before the function families (TIcon, the key, mouse-wheel and help event types, TTimerEx).
// The families themselves and the component modules are ordered by the host's sequences.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& picturePartImports();
const script::Imports& funcsClassImports();

}  // namespace library
