// The routines a script source declares as external library routines, found without
// compiling it (a tool lists them for a project whose vocabulary it does not have).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace script {

struct ExternalDeclaration {
    std::string routine;  // as the script spells it
    std::string text;     // "Proc@Library stdcall"
    int row = 0;
};

// In source order; a source that stops being readable (an unterminated string or comment)
// gives what came before.
std::vector<ExternalDeclaration> externalDeclarations(std::string_view source);

}  // namespace script
