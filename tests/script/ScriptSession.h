// Test helper: compiles a script against the standard class sets, a Log routine and the
// tables a test adds, then loads it into an executor the test keeps using (events).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "script/Api.h"
#include "script/std/StdImports.h"

struct ScriptSession {
    std::string log;
    std::string compileError;
    std::vector<const script::Imports*> tables;
    std::vector<std::pair<std::string, classes::TObject*>> objects;  // globals set after load
    std::shared_ptr<const script::Chunk> chunk;
    std::unique_ptr<script::Executor> exec;
    // Runs on each new executor before the script loads (a provider of foreign routines).
    std::function<void(script::Executor&)> prepare;

    ScriptSession() {
        m_own.routine("procedure Log(const S: string);", [this](const std::string& s) { log += s + "\n"; });
        tables = {&script::stdClassImports(), &script::classesImports(), &m_own};
    }
    // A variable declared to the script and filled with `obj` after loading.
    ScriptSession& global(const std::string& name, const std::string& type, classes::TObject* obj) {
        m_vars.variable(name, type);
        objects.emplace_back(name, obj);
        return *this;
    }
    bool compile(const std::string& source) {
        script::Compiler c;
        c.setUnitHandler([this](script::Compiler& cc, const std::string& unit) {
            if (unit != "SYSTEM") return false;
            for (const script::Imports* t : tables) cc.addImports(*t);
            cc.addImports(m_vars);
            return true;
        });
        chunk = c.compile(source);
        if (!chunk) compileError = c.messages().at(0).toString();
        return chunk != nullptr;
    }
    bool load() {
        exec = std::make_unique<script::Executor>();
        for (const script::Imports* t : tables) exec->addImports(*t);
        if (prepare) prepare(*exec);
        if (!exec->load(chunk)) return false;
        for (auto& [name, obj] : objects) exec->setGlobalObject(name, obj);
        return true;
    }
    // Compiles, loads and runs; false with the error in `error` otherwise.
    bool run(const std::string& source) {
        error.clear();
        if (!compile(source)) {
            error = compileError;
            return false;
        }
        if (!load()) {
            error = exec->lastError().text;
            return false;
        }
        if (!exec->run()) {
            error = exec->lastError().text;
            return false;
        }
        return true;
    }
    std::string error;

private:
    script::Imports m_own;
    script::Imports m_vars;
};
