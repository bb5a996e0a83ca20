// The script host: compiles a project's script against the player's vocabulary and runs it,
// with the main form, its components, the application and the play list in the host
// variables. Main thread only; one run at a time.
//
// Failures never surface as messages here: a script that does not compile, code that does
// not load and a run-time error in the main block end the run quietly (the debugger, when
// one is attached, is told). An error escaping an event procedure reaches the component
// model's event dispatch, which shows the application's error box and ends only that event.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace script {
struct Chunk;
class Compiler;
class Executor;
}  // namespace script

namespace vcl {
class TForm;
}

namespace host {

class ClassImporter;

struct Compiled {
    bool ok = false;
    // Null when the compiler succeeded without delivering code (nothing then runs).
    std::shared_ptr<const script::Chunk> code;
    // Whether the code carries the source positions a debugger maps errors to.
    bool hasDebugInfo = false;
};

// What a run ended with, for the program and the tests.
enum class RunOutcome {
    Finished,      // the main block returned
    RuntimeError,  // the main block ended by an unhandled script error
    LoadFailed,    // the code did not load (a routine without binding, stored bytecode, none at all)
};

class ScriptHost {
public:
    // `mainForm` (may be null) is the project's main form; `importer` the process-wide class
    // importer filled at module initialisation.
    ScriptHost(vcl::TForm* mainForm, const ClassImporter& importer);
    ~ScriptHost();

    // Compiles `source` (ANSI). The compiler's messages are walked, never shown.
    Compiled compile(std::string_view source);
    // Loads the compiled code, fills the host variables and runs the main block.
    RunOutcome run(const Compiled& compiled);
    // Projects keep the authoring tool's bytecode, for another engine; this one cannot load it, so the run
    // ends as a failed load would.
    RunOutcome runStored(const std::string& bytecode, const std::string& debugInfo);

    // The loader's hand-over: compiles the source when there is one and runs the result;
    // without a source, or when it does not compile, the stored bytecode.
    RunOutcome play(bool hasSource, std::string_view source, const std::string& bytecode,
                    const std::string& debugInfo);

    // Declares everything a compilation sees (the three extended constants, the
    // compile-time sequence, the host variables). For the unit handler, tests and
    // benchmarks.
    void declare(script::Compiler& compiler) const;

private:
    vcl::TForm* m_mainForm;
    const ClassImporter& m_importer;
};

}  // namespace host
