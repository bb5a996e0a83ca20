#include "host/ScriptHost.h"

#include <limits>

#include "base/CodePage.h"
#include "base/Json.h"
#include "classes/TComponent.h"
#include "components/InternalPlayList.h"
#include "host/ClassImporter.h"
#include "host/DebuggerLink.h"
#include "host/Sequences.h"
#include "platform/Dialogs.h"
#include "platform/EventPump.h"
#include "runtime/ProcessState.h"
#include "script/Api.h"
#include "script/Chunk.h"
#include "vcl/Forms.h"

namespace host {
namespace {

// Compiling a long script keeps the windows alive: pending events are handled each time
// the compiler passes another block of this many source positions.
constexpr uint32_t kPositionsPerPump = 51200;

DebuggerLink* g_link = nullptr;

bool linkActive() { return g_link && g_link->active(); }

void tellDebugger(const std::string& text, int position, int row = 0, int col = 0) {
    if (!linkActive()) return;
    try {
        g_link->report(text, position, row, col);
    } catch (...) {
        // The debugger going away must not end the project.
    }
}

}  // namespace

DebuggerLink* debuggerLink() { return g_link; }
void setDebuggerLink(DebuggerLink* link) { g_link = link; }

ScriptHost::ScriptHost(vcl::TForm* mainForm, const ClassImporter& importer)
    : m_mainForm(mainForm), m_importer(importer) {}

ScriptHost::~ScriptHost() = default;

void ScriptHost::declare(script::Compiler& compiler) const {
    // The engine's extended constants: a negative quiet NaN and the two infinities.
    compiler.addFloatConst("NaN", -std::numeric_limits<double>::quiet_NaN());
    compiler.addFloatConst("Infinity", std::numeric_limits<double>::infinity());
    compiler.addFloatConst("NegInfinity", -std::numeric_limits<double>::infinity());
    declareVocabulary(compiler);
    compiler.addVariable("Self", "TForm");
    compiler.addVariable("InternalPlayList", "TInternalPlayList");
    compiler.addVariable("Application", "TApplication");
    if (!m_mainForm) return;
    if (!m_mainForm->name().empty()) compiler.addVariable(m_mainForm->name(), "TForm");
    // A component of a class the compiler does not know fails the compilation here.
    for (const classes::TComponent* c : m_mainForm->components())
        if (!c->name().empty()) compiler.addVariable(c->name(), c->classType().name());
}

Compiled ScriptHost::compile(std::string_view source) {
    script::Compiler compiler;
    compiler.setUnitHandler([this](script::Compiler& c, const std::string& unit) {
        // A uses clause names a unit there is none of: the script does not compile.
        if (unit != "SYSTEM") return false;
        declare(c);
        return true;
    });
    uint32_t nextPump = kPositionsPerPump;
    compiler.setPositionHook([&nextPump](uint32_t offset) {
        if (offset < nextPump) return;
        nextPump = (offset / kPositionsPerPump + 1) * kPositionsPerPump;
        platform::processMessages();
    });
    std::shared_ptr<const script::Chunk> chunk;
    try {
        chunk = compiler.compile(source);
    } catch (const std::exception& e) {
        // A declaration that does not fit its binding: the vocabulary is broken, not the
        // script; the run ends as a failed compilation does.
        platform::dialogs().logEvent(
            base::JsonObject()
                .add("kind", "compile")
                .add("ok", false)
                .add("messages", std::vector<std::string>{base::CodePage::active().toUtf8(e.what())}));
        return {};
    }
    // Nothing of a compilation is shown; an unattended run's log keeps why one failed.
    if (!chunk) {
        std::vector<std::string> messages;
        for (const script::CompileMessage& message : compiler.messages())
            messages.push_back(base::CodePage::active().toUtf8(message.toString()));
        platform::dialogs().logEvent(
            base::JsonObject().add("kind", "compile").add("ok", false).add("messages", messages));
        return {};
    }
    return {true, chunk, !chunk->lines.empty()};
}

RunOutcome ScriptHost::run(const Compiled& compiled) {
    auto executor = std::make_unique<script::Executor>();
    bindRunTime(*executor, m_importer);
    // Source positions reach the debugger only when one was named on the command line.
    const bool debugInfo = runtime::state().debuggerHandle() != 0 && compiled.hasDebugInfo;
    script::Executor* exec = executor.get();
    executor->setErrorCallback([exec, debugInfo](const script::RuntimeError& e) {
        if (!linkActive()) return;
        if (!debugInfo) return tellDebugger(e.text, 0);
        const script::SourcePos at = exec->sourcePosition(e.procIndex, e.position);
        if (at.row == 0) return tellDebugger(e.text, 0);
        tellDebugger(e.text, static_cast<int>(at.offset), at.row, at.col);
    });

    bool loaded = false;
    try {
        loaded = compiled.code && executor->load(compiled.code);
    } catch (const std::exception&) {
        loaded = false;
    }
    if (!loaded) {
        tellDebugger(compiled.code ? executor->lastError().param : std::string(), 0);
        return RunOutcome::LoadFailed;
    }

    vcl::TApplication& app = vcl::application();
    script::markHostOwned(&app);
    script::markHostOwned(&components::internalPlayList());
    executor->setGlobalObject("APPLICATION", &app);
    executor->setGlobalObject("InternalPlayList", &components::internalPlayList());
    if (m_mainForm) {
        script::markHostOwned(m_mainForm);
        app.setMainForm(m_mainForm);
        executor->setGlobalObject("SELF", m_mainForm);
        if (!m_mainForm->name().empty()) executor->setGlobalObject(m_mainForm->name(), m_mainForm);
        for (classes::TComponent* c : m_mainForm->components())
            if (!c->name().empty()) executor->setGlobalObject(c->name(), c);
    }
    app.bringToFront();

    const bool ok = executor->run();
    tellDebugger(ok ? "Successfully executed" : "[Error] Unable to succesfully run this project.", -1);
    return ok ? RunOutcome::Finished : RunOutcome::RuntimeError;
}

RunOutcome ScriptHost::runStored(const std::string&, const std::string&) {
    // The stored code is the authoring tool's engine's: there is nothing this engine can load.
    tellDebugger(std::string(), 0);
    return RunOutcome::LoadFailed;
}

RunOutcome ScriptHost::play(bool hasSource, std::string_view source, const std::string& bytecode,
                            const std::string& debugInfo) {
    if (hasSource) {
        Compiled compiled = compile(source);
        if (compiled.ok) return run(compiled);
    }
    return runStored(bytecode, debugInfo);
}

}  // namespace host
