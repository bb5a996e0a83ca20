// What the host tests share: the class importer filled once with every registered class, and
// the compiler's first message for a script that does not compile against the host.
#pragma once

#include <string>

#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "script/Api.h"
#include "vcl/Forms.h"

namespace host_test {

inline const host::ClassImporter& importer() {
    static const host::ClassImporter filled = [] {
        host::ClassImporter i;
        host::fillClassImporter(i);
        return i;
    }();
    return filled;
}

// Empty when the script compiles; explains a failure otherwise.
inline std::string compileError(vcl::TAutorunForm* form, const std::string& source) {
    host::ScriptHost scriptHost(form, importer());
    script::Compiler compiler;
    compiler.setUnitHandler([&](script::Compiler& c, const std::string& unit) {
        if (unit != "SYSTEM") return false;
        scriptHost.declare(c);
        return true;
    });
    if (compiler.compile(source)) return {};
    return compiler.messages().empty() ? "?" : compiler.messages().front().toString();
}

}  // namespace host_test
