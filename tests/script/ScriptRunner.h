// Test helper: compiles a script with an Out(s: string) routine that appends to a buffer.
#pragma once

#include <string>

#include "script/Api.h"
#include "script/NativeCall.h"

struct ScriptRun {
    bool compiled = false;
    bool ok = false;
    std::string out;
    std::string message;  // first compile message
    script::RuntimeError error;
};

inline ScriptRun runScript(const std::string& src, const std::function<void(script::Compiler&)>& declare = {},
                           const std::function<void(script::Executor&)>& bind = {}) {
    ScriptRun r;
    script::Compiler c;
    c.setUnitHandler([&](script::Compiler& cc, const std::string& unit) {
        if (unit != "SYSTEM") return false;
        cc.addFunction("procedure Out(S: string);", [&r](const std::string& s) { r.out += s + "\n"; });
        if (declare) declare(cc);
        return true;
    });
    auto chunk = c.compile(src);
    if (!c.messages().empty()) r.message = c.messages()[0].toString();
    if (!chunk) return r;
    r.compiled = true;
    script::Executor e;
    if (bind) bind(e);
    if (!e.load(chunk)) {
        r.error = e.lastError();
        return r;
    }
    r.ok = e.run();
    r.error = e.lastError();
    return r;
}
