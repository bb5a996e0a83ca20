// Routines a script declares as external DLL routines ("Proc@Library [stdcall|cdecl|
// register|pascal] [delayload]"): the shared object is opened with dlopen and called
// through libffi. Every calling-convention word means the platform's one C convention.
// Integers, Booleans, characters, enumerations, floats and strings (as char pointers)
// cross, by value and as var parameters (pointers); a var string is a char buffer of the
// string's length whose text up to the first NUL comes back.
#pragma once

#include <string>
#include <string_view>

#include "script/NativeCall.h"

namespace script {

struct DllImport {
    std::string proc;
    std::string library;
    bool delayLoad = false;
};

// False when the text does not have the form "Proc@Library ...".
bool parseDllImport(std::string_view text, DllImport& out);
// The symbol, or null when the library or the symbol is missing.
void* openSymbol(const std::string& libraryFile, const std::string& proc);
// A native function calling `symbol` with the declared signature; empty when a parameter
// or the result has a type that cannot cross.
NativeFn makeDllCall(void* symbol, const ProcSig& sig);
// Resolved at its first call; a missing library or symbol is then "Could not call proc".
NativeFn delayedDllCall(std::string libraryFile, std::string proc, const ProcSig& sig);

}  // namespace script
