// Wall time of the player's start: from spawning the process to its start routine handing
// a project to the loader (this includes the loading form's 250 ms timer), and of a whole
// "vantrel /?" run. Run: build/release/bench/startup/bench_startup
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = fs::temp_directory_path() / ("vantrel-bench-" + std::to_string(::getpid()));

long long monotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Runs the player to its end; returns false when it could not be started.
bool runPlayer(const std::vector<std::string>& args, const fs::path& log) {
    fs::remove(log);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("VANTREL_LOG=" + log.string());
    env.push_back("VANTREL_AUTOMATION=/dev/null");
    env.push_back("TMP=" + kScratch.string());
    std::string exe = std::string(VANTREL_BINARY_DIR) + "/player/vantrel";
    std::vector<std::string> argv = {exe};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv, cenv;
    for (auto& a : argv) cargv.push_back(a.data());
    for (auto& e : env) cenv.push_back(e.data());
    cargv.push_back(nullptr);
    cenv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, cargv.data(), cenv.data()) != 0) return false;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return true;
}

long long loadTimestamp(const fs::path& log) {
    std::ifstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        auto at = line.find("\"monotonic_ns\":");
        if (at != std::string::npos) return std::stoll(line.substr(at + 15));
    }
    return -1;
}

void BM_ProcessStartToStartRoutine(benchmark::State& state) {
    fs::create_directories(kScratch);
    const fs::path project = kScratch / "bench.zep";
    std::ofstream(project) << "TPF0";
    const fs::path log = kScratch / "start.log";
    for (auto _ : state) {
        long long t0 = monotonicNs();
        if (!runPlayer({project.string()}, log)) {
            state.SkipWithError("cannot start the player");
            break;
        }
        long long t1 = loadTimestamp(log);
        if (t1 < 0) {
            state.SkipWithError("the player logged no load");
            break;
        }
        state.SetIterationTime(static_cast<double>(t1 - t0) / 1e9);
    }
}
BENCHMARK(BM_ProcessStartToStartRoutine)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_InformationRun(benchmark::State& state) {
    fs::create_directories(kScratch);
    const fs::path log = kScratch / "info.log";
    for (auto _ : state) {
        if (!runPlayer({"/?"}, log)) {
            state.SkipWithError("cannot start the player");
            break;
        }
    }
}
BENCHMARK(BM_InformationRun)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(kScratch);
    return 0;
}
