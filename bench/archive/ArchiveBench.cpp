// Restoring a 200 MB archive of mixed compressible and incompressible files, against
// zlib alone inflating the same chunks in memory; prints the ratio. The restore should
// be bound by inflate and the disk, not by its own code.
// Run: build/release/bench/archive/bench_archive
#include <benchmark/benchmark.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "runtime/Archive.h"
#include "runtime/ArchiveInput.h"
#include "tests/support/TestData.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = fs::temp_directory_path() / ("vantrel-bench-archive-" + std::to_string(::getpid()));
constexpr size_t kFileSize = 4 * 1024 * 1024;
constexpr int kFiles = 50;  // 200 MB in all

std::string textLike(size_t size, uint32_t seed) {
    static const char* const kWords[] = {"presentation ", "autorun ", "music ",   "picture ",
                                         "the ",          "and ",     "project ", "\r\n",
                                         "Vantrel ",      "1234 ",    "script "};
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        seed = seed * 1103515245u + 12345u;
        out += kWords[(seed >> 16) % 11];
    }
    out.resize(size);
    return out;
}

const std::string& archiveBytes() {
    static const std::string bytes = [] {
        runtime::ArchiveWriter w("Embedded Files", 1);
        for (int i = 0; i < kFiles; ++i) {
            std::string contents = i % 2 ? testdata::noise(kFileSize, static_cast<uint32_t>(i))
                                         : textLike(kFileSize, static_cast<uint32_t>(i));
            w.addFile("C:\\media\\file" + std::to_string(i) + ".bin", contents, 0x35472548);
        }
        return w.bytes();
    }();
    return bytes;
}

fs::path archiveFile() {
    static const fs::path file = [] {
        fs::create_directories(kScratch);
        fs::path p = kScratch / "bench.arc";
        std::ofstream(p, std::ios::binary) << archiveBytes();
        return p;
    }();
    return file;
}

void BM_Restore(benchmark::State& state) {
    fs::path file = archiveFile();
    for (auto _ : state) {
        fs::path target = kScratch / "out";
        state.PauseTiming();
        fs::remove_all(target);
        state.ResumeTiming();
        runtime::TBackupFile backup;
        runtime::FileArchiveInput input(file);
        if (!backup.RestoreFromStream(input, target.string())) state.SkipWithError("restore failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize * kFiles);
}
BENCHMARK(BM_Restore)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The peer: walk the same archive in memory and inflate every chunk, nothing else.
void BM_ZlibInflateOnly(benchmark::State& state) {
    const std::string& bytes = archiveBytes();
    std::vector<unsigned char> out(16384);
    for (auto _ : state) {
        size_t pos = 0;
        auto int32At = [&](size_t p) {
            int32_t v;
            std::memcpy(&v, bytes.data() + p, 4);
            return v;
        };
        pos += 4 + static_cast<size_t>(int32At(0)) + 8;  // title, total size, count
        uint64_t produced = 0;
        while (true) {
            int32_t nameLength = int32At(pos);
            pos += 4;
            if (nameLength <= 0) break;
            pos += static_cast<size_t>(nameLength) + 2 + 4 + 4;  // name, tagged flag, date, magic
            while (true) {
                int32_t k = int32At(pos);
                pos += 4;
                if (k == 0) {
                    pos += 4;
                    break;
                }
                if (k < 0) {
                    produced += static_cast<uint64_t>(-k);
                    pos += static_cast<size_t>(-k);
                    continue;
                }
                uLongf outSize = static_cast<uLongf>(out.size());
                uLong inSize = static_cast<uLong>(k);
                uncompress2(out.data(), &outSize, reinterpret_cast<const Bytef*>(bytes.data() + pos),
                            &inSize);
                produced += outSize;
                pos += static_cast<size_t>(k);
            }
        }
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize * kFiles);
}
BENCHMARK(BM_ZlibInflateOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The floor a restore cannot go below: the same inflation plus writing the bytes into
// one file per archived file, with no parsing, checking or progress.
void BM_ZlibInflateAndWrite(benchmark::State& state) {
    const std::string& bytes = archiveBytes();
    std::vector<unsigned char> out(16384);
    for (auto _ : state) {
        fs::path target = kScratch / "floor";
        state.PauseTiming();
        fs::remove_all(target);
        fs::create_directories(target);
        state.ResumeTiming();
        auto int32At = [&](size_t p) {
            int32_t v;
            std::memcpy(&v, bytes.data() + p, 4);
            return v;
        };
        size_t pos = 4 + static_cast<size_t>(int32At(0)) + 8;
        for (int file = 0;; ++file) {
            int32_t nameLength = int32At(pos);
            pos += 4;
            if (nameLength <= 0) break;
            pos += static_cast<size_t>(nameLength) + 2 + 4 + 4;
            std::FILE* f = std::fopen((target / std::to_string(file)).c_str(), "wb");
            std::setvbuf(f, nullptr, _IONBF, 0);
            while (true) {
                int32_t k = int32At(pos);
                pos += 4;
                if (k == 0) {
                    pos += 4;
                    break;
                }
                if (k < 0) {
                    std::fwrite(bytes.data() + pos, 1, static_cast<size_t>(-k), f);
                    pos += static_cast<size_t>(-k);
                    continue;
                }
                uLongf outSize = static_cast<uLongf>(out.size());
                uLong inSize = static_cast<uLong>(k);
                uncompress2(out.data(), &outSize, reinterpret_cast<const Bytef*>(bytes.data() + pos),
                            &inSize);
                std::fwrite(out.data(), 1, outSize, f);
                pos += static_cast<size_t>(k);
            }
            std::fclose(f);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kFileSize * kFiles);
}
BENCHMARK(BM_ZlibInflateAndWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        double restore = 0, inflate = 0, floor = 0;
        for (const auto& [name, t] : m_times) {
            if (name.rfind("BM_Restore", 0) == 0) restore = t;
            if (name.rfind("BM_ZlibInflateOnly", 0) == 0) inflate = t;
            if (name.rfind("BM_ZlibInflateAndWrite", 0) == 0) floor = t;
        }
        if (restore > 0 && inflate > 0)
            std::printf("restore / zlib-only inflate = %.2f\n", restore / inflate);
        if (restore > 0 && floor > 0) std::printf("restore / zlib inflate + write = %.2f\n", restore / floor);
    }

private:
    std::map<std::string, double> m_times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    archiveFile();  // built before timing starts
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(kScratch, ec);
    return 0;
}
