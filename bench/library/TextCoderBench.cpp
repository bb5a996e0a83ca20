// Base64 encoding and decoding of 64 MB of text, against coreutils base64 doing the same in
// the same run; prints our time over theirs. Ours is the EncodeStr/DecodeStr call on text in
// memory, returning a new string (as scripts get it); theirs is a whole `base64 -w0` or
// `base64 -d` process reading the file from the page cache and writing to /dev/null.
// Run: build/release/bench/library/bench_text_coders
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "library/TextCoders.h"
#include "tests/support/TestData.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = fs::temp_directory_path() / ("vantrel-bench-coders-" + std::to_string(::getpid()));
constexpr size_t kSize = 64u << 20;

// The coders serve text, which holds no NUL.
std::string textWithoutNul() {
    std::string s = testdata::noise(kSize, 20240607);
    for (char& c : s)
        if (c == '\0') c = ' ';
    return s;
}

fs::path plainFile() { return kScratch / "plain.bin"; }
fs::path encodedFile() { return kScratch / "encoded.txt"; }

std::string readFile(const fs::path& p) {
    std::string bytes(fs::file_size(p), '\0');
    std::FILE* f = std::fopen(p.c_str(), "rb");
    size_t got = f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0;
    if (f) std::fclose(f);
    bytes.resize(got);
    return bytes;
}

// Runs base64 with `args` on `input`, output to /dev/null (or `output`); false on failure.
bool runCoreutils(std::initializer_list<const char*> args, const fs::path& input,
                  const char* output = "/dev/null") {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv{const_cast<char*>("base64")};
    for (const char* a : args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int rc = posix_spawnp(&pid, "base64", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void prepare() {
    fs::create_directories(kScratch);
    std::string plain = textWithoutNul();
    std::ofstream(plainFile(), std::ios::binary) << plain;
    std::string encoded = library::EncodeStr(library::ctBase64, plain);
    std::ofstream(encodedFile(), std::ios::binary) << encoded;
    // Both sides must produce the same text, or the comparison means nothing.
    fs::path theirs = kScratch / "theirs.txt";
    if (!runCoreutils({"-w0"}, plainFile(), theirs.c_str()) || readFile(theirs) != encoded) {
        std::fprintf(stderr, "coreutils base64 disagrees with the Base64 coder\n");
        std::exit(1);
    }
    if (library::DecodeStr(library::ctBase64, encoded) != plain) {
        std::fprintf(stderr, "the Base64 coder does not round-trip\n");
        std::exit(1);
    }
}

void BM_EncodeOurs(benchmark::State& state) {
    const std::string plain = readFile(plainFile());
    for (auto _ : state) benchmark::DoNotOptimize(library::EncodeStr(library::ctBase64, plain));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_EncodeOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_EncodeCoreutils(benchmark::State& state) {
    for (auto _ : state)
        if (!runCoreutils({"-w0"}, plainFile())) state.SkipWithError("base64 failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_EncodeCoreutils)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_DecodeOurs(benchmark::State& state) {
    const std::string encoded = readFile(encodedFile());
    for (auto _ : state) benchmark::DoNotOptimize(library::DecodeStr(library::ctBase64, encoded));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_DecodeOurs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_DecodeCoreutils(benchmark::State& state) {
    for (auto _ : state)
        if (!runCoreutils({"-d"}, encodedFile())) state.SkipWithError("base64 -d failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_DecodeCoreutils)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatios() const {
        auto time = [this](const char* prefix) {
            for (const auto& [name, t] : m_times)
                if (name.rfind(prefix, 0) == 0) return t;
            return 0.0;
        };
        for (const char* op : {"Encode", "Decode"}) {
            double ours = time((std::string("BM_") + op + "Ours").c_str());
            double theirs = time((std::string("BM_") + op + "Coreutils").c_str());
            if (ours > 0 && theirs > 0)
                std::printf("%s: ours / coreutils base64 = %.2f\n", op, ours / theirs);
        }
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    prepare();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(kScratch, ec);
    return 0;
}
