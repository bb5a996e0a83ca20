// The copy engine of CopyFilesAndOrDirs against `cp -r`, measured in the same run on the same
// disk: a tree of 10,000 small files in 100 folders, and one 1 GB file. Prints the median wall
// time of each and the ratio (target: at most 1.3), and the median processor time (user +
// system), which a busy machine disturbs less. The data lives in a scratch folder (the first
// argument, else the temporary folder) and is deleted at the end.
// Run: build/release/bench/files/bench_files [SCRATCH] [ROUNDS]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "library/FileOperations.h"
#include "platform/Paths.h"
#include "tests/support/TestData.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

void writeFile(const fs::path& p, size_t size, uint32_t seed) {
    std::ofstream out(p, std::ios::binary);
    const size_t chunk = 4 << 20;
    for (size_t done = 0; done < size; done += chunk) {
        std::string bytes = testdata::noise(std::min(chunk, size - done), seed++);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

double cpuSeconds(const rusage& r) {
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// Runs `cp -r`; `cpu` receives the child's processor time.
bool runCp(const fs::path& from, const fs::path& to, double& cpu) {
    std::string a = from.string(), b = to.string();
    char* argv[] = {const_cast<char*>("cp"), const_cast<char*>("-r"), a.data(), b.data(), nullptr};
    pid_t pid;
    if (::posix_spawnp(&pid, "cp", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    cpu = cpuSeconds(usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runOurs(const fs::path& from, const fs::path& to, double& cpu) {
    rusage before{}, after{};
    ::getrusage(RUSAGE_SELF, &before);
    bool ok =
        library::copyFilesAndOrDirs(platform::windowsPath(from), platform::windowsPath(to), "", 0, true) == 0;
    ::getrusage(RUSAGE_SELF, &after);
    cpu = cpuSeconds(after) - cpuSeconds(before);
    return ok;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Times both copies `rounds` times after an untimed warm-up, alternating which goes first; the target is
// removed and the disk synced before each run, so neither pays for the other's write-back.
void compare(const char* what, const fs::path& source, const fs::path& scratch, int rounds) {
    std::vector<double> ours, cp, oursCpu, cpCpu;
    const fs::path target = scratch / "copy";
    // One untimed copy first: the first read of freshly written data costs several times any
    // later one, and whichever copy came first would carry it.
    double warmUp = 0;
    runCp(source, target, warmUp);
    for (int r = 0; r < rounds; ++r) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool oursNow = (r + turn) % 2 == 0;
            fs::remove_all(target);
            ::sync();
            double cpu = 0;
            auto start = Clock::now();
            bool ok = oursNow ? runOurs(source, target, cpu) : runCp(source, target, cpu);
            double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            if (!ok) {
                std::fprintf(stderr, "%s: %s copy failed\n", what, oursNow ? "our" : "cp");
                std::exit(1);
            }
            (oursNow ? ours : cp).push_back(seconds);
            (oursNow ? oursCpu : cpCpu).push_back(cpu);
        }
    }
    fs::remove_all(target);
    double o = median(ours), c = median(cp);
    std::printf("%-20s wall: ours %7.3f s  cp -r %7.3f s  ratio %.2f %s\n", what, o, c, o / c,
                o / c <= 1.3 ? "(target <= 1.3 met)" : "(target <= 1.3 MISSED)");
    std::printf("%-20s cpu:  ours %7.3f s  cp -r %7.3f s  ratio %.2f\n", "", median(oursCpu), median(cpCpu),
                median(oursCpu) / median(cpCpu));
}

}  // namespace

int main(int argc, char** argv) {
    fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    fs::path scratch = base / ("vantrel-bench-files-" + std::to_string(::getpid()));
    fs::create_directories(scratch);
    std::printf("scratch %s, %d rounds, medians\n", scratch.c_str(), rounds);

    fs::path tree = scratch / "tree";
    for (int d = 0; d < 100; ++d) {
        fs::path folder = tree / ("folder" + std::to_string(d));
        fs::create_directories(folder);
        for (int f = 0; f < 100; ++f) {
            uint32_t seed = static_cast<uint32_t>(d * 100 + f);
            writeFile(folder / ("file" + std::to_string(f) + ".dat"), 100 + (seed * 7919u) % 8000, seed);
        }
    }
    compare("10,000 small files", tree, scratch, rounds);
    fs::remove_all(tree);

    fs::path big = scratch / "big.bin";
    writeFile(big, size_t(1) << 30, 1);
    compare("one 1 GB file", big, scratch, rounds);
    fs::remove_all(scratch);
    return 0;
}
