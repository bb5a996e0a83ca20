// Random and mutated scripts never crash the compiler; a script that compiles never
// crashes the VM (its loops are bounded by the step limit, its recursion by the depth limit),
// nor the objects it drives through the handle table (components with owners, bits; no
// class that touches files).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "classes/TBits.h"
#include "script/Api.h"
#include "script/std/StdImports.h"

namespace {

const script::Imports& bits() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(classes::TBits::staticClass());
        return m;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 20000) return 0;
    std::string_view src(reinterpret_cast<const char*>(data), size);
    script::Compiler compiler;
    compiler.setUnitHandler([](script::Compiler& c, const std::string& unit) {
        if (unit != "SYSTEM") return false;
        c.addImports(script::stdClassImports());
        c.addImports(bits());
        c.addFunction("procedure Writeln(S: string);", [](const std::string&) {});
        c.addFunction("procedure Write(S: string);", [](const std::string&) {});
        c.addFunction("function GetTickCount: Int64;", [] { return int64_t(0); });
        return true;
    });
    auto chunk = compiler.compile(src);
    if (!chunk) return 0;
    (void)script::disassemble(*chunk);
    script::Executor exec;
    exec.addImports(script::stdClassImports());
    exec.setStepLimit(20000);
    exec.setMaxDepth(2000);
    if (exec.load(chunk)) exec.run();
    return 0;
}
