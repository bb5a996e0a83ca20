// Script declarations of the routines that talk to the user (message, input and standard
// dialogs, the about box, the beep, the two error routines), bound to library/Messages.
#pragma once

namespace script {
class Imports;
}

namespace library {

const script::Imports& messageImports();

}  // namespace library
