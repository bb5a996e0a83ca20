// 100,000 registry reads and 100,000 writes through the script routines, on a store file
// on disk as a player uses it (WAL, one transaction per call). Targets: a read within
// 5 us, a write within 50 us; a routine that writes several values (the sound settings)
// writes them in one transaction. Each iteration is one call, so the time shown is the
// time per operation.
// Run: build/release/bench/registry/bench_registry
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>

#include "classes/PropValue.h"
#include "library/Registry.h"
#include "library/Variables.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;
using classes::Variant;

namespace {

constexpr int64_t kOperations = 100000;
constexpr int32_t HKCU = static_cast<int32_t>(0x80000001u);

const fs::path kScratch =
    fs::temp_directory_path() / ("vantrel-bench-registry-" + std::to_string(::getpid()));

void useFreshStore() {
    fs::remove_all(kScratch);
    platform::setRegistry(platform::RegistryStore::open(kScratch / "registry.db"));
    platform::setCurrentPlayerPath("Z:\\home\\me\\shows\\vantrel");
}

// Each iteration is one operation, so the reported time is the time per operation.
void target(benchmark::State& state, const char* label) { state.SetLabel(label); }

// GetVariable of a stored integer: one lookup of value and key together.
void BM_GetVariable(benchmark::State& state) {
    useFreshStore();
    for (int i = 0; i < 100; ++i)
        library::setVariable(false, std::string("Var").append(std::to_string(i)), Variant::integer(i));
    int i = 0;
    for (auto _ : state) {
        Variant v = library::getVariable(false, std::string("Var").append(std::to_string(i++ % 100)),
                                         Variant::integer(-1));
        benchmark::DoNotOptimize(v);
    }
    target(state, "target: read <= 5 us");
}

// GetVariable of 100,000 different variables, each read once: every read goes to the
// database (no answer kept from an earlier read can serve it).
void BM_GetVariableUncached(benchmark::State& state) {
    useFreshStore();
    std::vector<platform::NamedValue> values;
    for (int64_t i = 0; i < kOperations; ++i) {
        values.push_back(
            {std::string("Var").append(std::to_string(i)), platform::RegistryValue::dword(uint32_t(i))});
    }
    platform::registry().setValues(platform::RegistryRoot::CurrentUser, library::variablesKey(false), values);
    int64_t i = 0;
    for (auto _ : state) {
        Variant v = library::getVariable(false, values[size_t(i++ % kOperations)].name, Variant::integer(-1));
        benchmark::DoNotOptimize(v);
    }
    target(state, "target: read <= 5 us");
}

// RegQueryStringValue of a string below HKEY_LOCAL_MACHINE.
void BM_RegQueryStringValue(benchmark::State& state) {
    useFreshStore();
    std::string out;
    for (auto _ : state) {
        library::regQueryStringValue(static_cast<int32_t>(0x80000002u),
                                     "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", out);
        benchmark::DoNotOptimize(out);
    }
    target(state, "target: read <= 5 us");
}

// SetVariable of a changing integer: one write transaction each.
void BM_SetVariable(benchmark::State& state) {
    useFreshStore();
    int64_t i = 0;
    for (auto _ : state) {
        library::setVariable(false, std::string("Var").append(std::to_string(i % 100)),
                             Variant::integer(int32_t(i)));
        ++i;
    }
    target(state, "target: write <= 50 us");
}

// RegWriteStringValue into new values, so the table grows as a long-running show's would.
void BM_RegWriteStringValue(benchmark::State& state) {
    useFreshStore();
    int64_t i = 0;
    for (auto _ : state) {
        library::regWriteStringValue(HKCU, std::string("Software\\Bench\\Key").append(std::to_string(i % 50)),
                                     std::string("V").append(std::to_string(i)), "some text of a setting");
        ++i;
    }
    target(state, "target: write <= 50 us");
}

// The five sound settings written at exit (a Boolean and four integers, all DWORDs), in
// one call and so one transaction.
void BM_SaveSoundSettings(benchmark::State& state) {
    useFreshStore();
    const std::string key = platform::currentPlayerKey();
    using platform::RegistryValue;
    uint32_t i = 0;
    for (auto _ : state) {
        platform::registry().setValues(platform::RegistryRoot::CurrentUser, key,
                                       {{"BASS_STORED", RegistryValue::dword(1)},
                                        {"BASS_CONFIG_NET_TIMEOUT", RegistryValue::dword(5000 + i % 7)},
                                        {"BASS_CONFIG_BUFFER", RegistryValue::dword(500)},
                                        {"BASS_CONFIG_NET_BUFFER", RegistryValue::dword(5000)},
                                        {"BASS_Device", RegistryValue::dword(1)}});
        ++i;
    }
    target(state, "target: write <= 50 us");
}

BENCHMARK(BM_GetVariable)->Iterations(kOperations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetVariableUncached)->Iterations(kOperations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RegQueryStringValue)->Iterations(kOperations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetVariable)->Iterations(kOperations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RegWriteStringValue)->Iterations(kOperations)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveSoundSettings)->Iterations(kOperations / 10)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    platform::setRegistry(platform::RegistryStore::openInMemory());
    fs::remove_all(kScratch);
    return 0;
}
