// The three ordered registration sequences: what a compilation declares (compile time),
// which classes the process's executors may use (class importer, once at start-up) and
// what each executor binds (executor, once per run). Every row of each is present, in its
// fixed place; rows of modules not built yet call their empty slot (Slots.h).
#pragma once

#include <string>
#include <vector>

namespace script {
class Compiler;
class Executor;
}  // namespace script

namespace host {

class ClassImporter;

// Compile time, called by the unit handler for "SYSTEM" after the extended constants and
// before the host variables.
void declareVocabulary(script::Compiler& compiler);
// Class importer, once at module initialisation.
void fillClassImporter(ClassImporter& importer);
// Executor, once per run, right after the executor is created.
void bindRunTime(script::Executor& executor, const ClassImporter& importer);

// The rows' names in order, for tests and diagnostics.
std::vector<std::string> compileTimeRows();
std::vector<std::string> classImporterRows();
std::vector<std::string> executorRows();

}  // namespace host
