// Restoring an archive of 30,000 small files into one folder, against `tar -x` of the
// same files in the same run; prints the ratio. The restore must stay linear in the
// number of files: each new name is looked up case-insensitively in a folder that keeps
// growing, which must not mean reading the folder again for every file.
// Run: build/release/bench/archive/bench_archive_files
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "player/Archive.h"
#include "player/ArchiveInput.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScratch = fs::temp_directory_path() / ("vantrel-bench-files-" + std::to_string(::getpid()));
constexpr int kFiles = 30000;
constexpr uint32_t kDosDate = 0x35472548;  // 2006-10-07 02:20:16

std::string contentsOf(int i) {
    std::string text = "file " + std::to_string(i) + " of a clip-art collection\r\n";
    while (text.size() < 300 + static_cast<size_t>(i % 700))
        text += "line " + std::to_string(text.size()) + "\r\n";
    return text;
}

std::string nameOf(int i) { return "Clip" + std::to_string(i) + ".txt"; }

// The archive, and the same files on disk packed by tar: both built before any timing.
void prepare() {
    fs::remove_all(kScratch);
    fs::create_directories(kScratch / "source");
    player::ArchiveWriter writer("Embedded Files", 1);
    for (int i = 0; i < kFiles; ++i) {
        const std::string contents = contentsOf(i);
        writer.addFile("C:\\clipart\\" + nameOf(i), contents, kDosDate);
        std::ofstream(kScratch / "source" / nameOf(i), std::ios::binary) << contents;
    }
    std::ofstream(kScratch / "files.arc", std::ios::binary) << writer.bytes();
    const std::string command =
        "tar -cf '" + (kScratch / "files.tar").string() + "' -C '" + (kScratch / "source").string() + "' .";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "tar -c failed\n");
}

void freshFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
}

void BM_RestoreManyFiles(benchmark::State& state) {
    const fs::path target = kScratch / "restored";
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        state.ResumeTiming();
        player::TBackupFile backup;
        player::FileArchiveInput input(kScratch / "files.arc");
        if (!backup.RestoreFromStream(input, target.string()) || backup.filesRestored() != kFiles)
            state.SkipWithError("restore failed");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_RestoreManyFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The peer: tar extracting the same files into an empty folder.
void BM_TarExtract(benchmark::State& state) {
    const fs::path target = kScratch / "untarred";
    const std::string command =
        "tar -xf '" + (kScratch / "files.tar").string() + "' -C '" + target.string() + "'";
    for (auto _ : state) {
        state.PauseTiming();
        freshFolder(target);
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("tar -x failed");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kFiles);
}
BENCHMARK(BM_TarExtract)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) m_times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void printRatio() const {
        double restore = 0, tar = 0;
        for (const auto& [name, t] : m_times) {
            if (name.rfind("BM_RestoreManyFiles", 0) == 0) restore = t;
            if (name.rfind("BM_TarExtract", 0) == 0) tar = t;
        }
        if (restore > 0 && tar > 0)
            std::printf(
                "restore of %d files: %.0f ms; tar -x: %.0f ms; restore / tar -x = %.2f (target <= 2)\n",
                kFiles, restore, tar, restore / tar);
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
    reporter.printRatio();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(kScratch, ec);
    return 0;
}
