// pscript: compiles and runs a script with the system unit plus Writeln, Write and
// GetTickCount (and with --std the standard import sets: dates, base classes, classes);
// "disasm" lists the bytecode, "bench" prints compile and run times.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "script/Api.h"
#include "script/std/StdImports.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: pscript run|disasm|bench [--std] FILE.pas\n");
    return 2;
}

const script::Imports* standardSets[] = {&script::dateUtilsImports(), &script::stdClassImports(),
                                         &script::classesImports()};
bool g_std = false;

bool readFile(const char* path, std::string& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    std::ostringstream ss;
    ss << f.rdbuf();
    out = ss.str();
    return true;
}

std::chrono::steady_clock::time_point g_start = std::chrono::steady_clock::now();

bool runnerUnits(script::Compiler& c, const std::string& unit) {
    if (unit != "SYSTEM") return false;
    if (g_std)
        for (const script::Imports* imports : standardSets) c.addImports(*imports);
    c.addFunction("procedure Writeln(S: string);", [](const std::string& s) {
        std::fwrite(s.data(), 1, s.size(), stdout);
        std::fputc('\n', stdout);
    });
    c.addFunction("procedure Write(S: string);",
                  [](const std::string& s) { std::fwrite(s.data(), 1, s.size(), stdout); });
    c.addFunction("function GetTickCount: Int64;", [] {
        auto d = std::chrono::steady_clock::now() - g_start;
        return int64_t(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    });
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    std::string mode = argv[1];
    if (mode != "run" && mode != "disasm" && mode != "bench") return usage();
    int file = 2;
    if (std::string(argv[2]) == "--std") {
        g_std = true;
        ++file;
    }
    if (argc != file + 1) return usage();
    std::string source;
    if (!readFile(argv[file], source)) {
        std::fprintf(stderr, "pscript: cannot read %s\n", argv[file]);
        return 2;
    }
    script::Compiler compiler;
    compiler.setUnitHandler(runnerUnits);
    auto t0 = std::chrono::steady_clock::now();
    auto chunk = compiler.compile(source);
    auto t1 = std::chrono::steady_clock::now();
    for (const auto& m : compiler.messages()) std::fprintf(stderr, "%s\n", m.toString().c_str());
    if (!chunk) return 1;
    if (mode == "disasm") {
        std::fputs(script::disassemble(*chunk).c_str(), stdout);
        return 0;
    }
    script::Executor exec;
    if (g_std)
        for (const script::Imports* imports : standardSets) exec.addImports(*imports);
    if (!exec.load(chunk)) {
        std::printf("RUNTIME ERROR: %s (0:0)\n", exec.lastError().text.c_str());
        return 1;
    }
    bool ok = exec.run();
    auto t2 = std::chrono::steady_clock::now();
    std::fflush(stdout);
    if (!ok) {
        const auto& e = exec.lastError();
        std::printf("RUNTIME ERROR: %s (%d:%d)\n", e.text.c_str(), e.pos.row, e.pos.col);
        return 1;
    }
    if (mode == "bench") {
        using ms = std::chrono::duration<double, std::milli>;
        std::fprintf(stderr, "compile: %.3f ms\nrun: %.3f ms\n", ms(t1 - t0).count(), ms(t2 - t1).count());
    }
    return 0;
}
