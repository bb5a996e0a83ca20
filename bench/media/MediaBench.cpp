// In-process figures: decoding a minute of mp3/ogg through a decoding channel, and mixing
// 16 playing channels with resampling and slides, on the virtual clock and on the real-time
// "No sound" device (CPU of the whole process over wall time, as a percentage of one core).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "media/Bass.h"
#include "media/VirtualClock.h"

using namespace media;

namespace {

std::string workDir() {
    static const std::string dir = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "vantrel-bench-XXXXXX").string();
        return std::string(mkdtemp(templ.data()));
    }();
    return dir;
}

std::string makeFile(const std::string& name, const std::string& command) {
    const std::string path = workDir() + "/" + name;
    if (!std::filesystem::exists(path) && std::system(command.c_str()) != 0) return {};
    return path;
}

std::string source() {
    const std::string wav = workDir() + "/minute.wav";
    return makeFile("minute.wav", "sox -n -r 44100 -c 2 -b 16 " + wav +
                                      " synth 60 pinknoise synth 60 sine mix 300 vol 0.5 2>/dev/null");
}

void decodeFile(benchmark::State& state, const std::string& path) {
    BASS_Init(0, 44100, 0, nullptr, nullptr);
    BASS_SetDevice(0);
    std::vector<char> buffer(10240);
    int64_t bytes = 0;
    for (auto _ : state) {
        const uint32_t h = BASS_StreamCreateFile(false, path.c_str(), 0, 0, BASS_STREAM_DECODE);
        if (h == 0) {
            state.SkipWithError("cannot open");
            break;
        }
        while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
            const uint32_t n = BASS_ChannelGetData(h, buffer.data(), 10240);
            if (n == 0xFFFFFFFFu) break;
            bytes += n;
        }
        BASS_StreamFree(h);
    }
    state.SetBytesProcessed(bytes);
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(bytes) / (44100.0 * 4), benchmark::Counter::kIsRate);
}

void BM_DecodeMp3Minute(benchmark::State& state) {
    const std::string src = source();
    decodeFile(state, makeFile("minute.mp3", "lame --quiet " + src + " " + workDir() + "/minute.mp3"));
}
BENCHMARK(BM_DecodeMp3Minute)->Unit(benchmark::kMillisecond);

void BM_DecodeOggMinute(benchmark::State& state) {
    const std::string src = source();
    decodeFile(state, makeFile("minute.ogg", "oggenc -Q " + src + " -o " + workDir() + "/minute.ogg"));
}
BENCHMARK(BM_DecodeOggMinute)->Unit(benchmark::kMillisecond);

// 16 looping channels at rates other than the output's, with volume, pan and frequency slides.
std::vector<uint32_t> startSixteen() {
    const std::string a = makeFile(
        "r22.wav", "sox -n -r 22050 -c 2 -b 16 " + workDir() + "/r22.wav synth 5 sine 300 2>/dev/null");
    const std::string b = makeFile(
        "r48.wav", "sox -n -r 48000 -c 1 -b 16 " + workDir() + "/r48.wav synth 5 sine 500 2>/dev/null");
    std::vector<uint32_t> handles;
    for (int i = 0; i < 16; ++i) {
        const uint32_t h = BASS_StreamCreateFile(false, (i % 2 ? a : b).c_str(), 0, 0, BASS_SAMPLE_LOOP);
        BASS_ChannelSetAttributes(h, -1, 40, -50 + 6 * i);
        BASS_StreamPlay(h, false, BASS_SAMPLE_LOOP);
        BASS_ChannelSlideAttributes(h, 30000 + 1000 * i, 90, 50 - 6 * i, 60000);
        handles.push_back(h);
    }
    return handles;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

// Whole-engine cost on the real-time "No sound" device: mixer thread, decode worker and all.
void BM_Mix16ChannelsNullDevice(benchmark::State& state) {
    for (auto _ : state) {
        BASS_Init(0, 44100, 0, nullptr, nullptr);
        BASS_SetDevice(0);
        const std::vector<uint32_t> handles = startSixteen();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));  // settle the prebuffering
        const double cpu0 = processCpuSeconds();
        const auto wall0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const double cpu = processCpuSeconds() - cpu0;
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
        state.counters["cpu_percent_of_one_core"] = 100.0 * cpu / wall;
        state.counters["engine_cpu_percent"] = BASS_GetCPU();
        for (uint32_t h : handles) BASS_StreamFree(h);
        BASS_Free();
    }
}
BENCHMARK(BM_Mix16ChannelsNullDevice)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The real-time sink everywhere, whatever the machine has.
    setenv("VANTREL_AUDIO", "null", 1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(workDir());
    return 0;
}
