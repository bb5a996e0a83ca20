// pscript: compiles and runs a script with the system unit plus Writeln, Write and
// GetTickCount; "disasm" lists the bytecode, "bench" prints compile and run times.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "script/Api.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: pscript run|disasm|bench FILE.pas\n");
    return 2;
}

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
    c.addFunction("procedure Writeln(S: string);", [](script::NativeCall& call) {
        const std::string& s = call.string(0);
        std::fwrite(s.data(), 1, s.size(), stdout);
        std::fputc('\n', stdout);
    });
    c.addFunction("procedure Write(S: string);", [](script::NativeCall& call) {
        const std::string& s = call.string(0);
        std::fwrite(s.data(), 1, s.size(), stdout);
    });
    c.addFunction("function GetTickCount: Int64;", [](script::NativeCall& call) {
        auto d = std::chrono::steady_clock::now() - g_start;
        call.returnInteger(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
    });
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return usage();
    std::string mode = argv[1];
    if (mode != "run" && mode != "disasm" && mode != "bench") return usage();
    std::string source;
    if (!readFile(argv[2], source)) {
        std::fprintf(stderr, "pscript: cannot read %s\n", argv[2]);
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
