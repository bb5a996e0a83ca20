// PlayMusic's time to return for local WAV, MP3 and OGG files (target <= 20 ms), and the
// CPU share of one MP3 channel playing on the "No sound" device (target < 1 % of a core).
// `music_bench --convert SOURCE TARGET` runs ConvertAudioToWAV once and `--module PATH`
// writes the tests' module, lengthened to about four minutes, for music_ratio.py.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "TestAudio.h"
#include "bench/CpuTime.h"
#include "classes/TStrings.h"
#include "library/Music.h"
#include "library/MusicConvert.h"
#include "platform/Paths.h"

namespace {

std::string s_dir;

std::string file(const char* ext) { return s_dir + "/tone." + ext; }

void makeFiles() {
    char tmpl[] = "/tmp/vantrel-music-bench-XXXXXX";
    s_dir = mkdtemp(tmpl);
    const std::string wav = file("wav");
    const std::string cmd = "sox -n -r 44100 -c 2 -b 16 '" + wav +
                            "' synth 180 sine 440 vol 0.5 2>/dev/null && lame --quiet '" + wav + "' '" +
                            file("mp3") + "' && oggenc -Q '" + wav + "' -o '" + file("ogg") + "'";
    if (std::system(cmd.c_str()) != 0) std::abort();
}

void playMusic(benchmark::State& state, const char* ext) {
    const std::string name = platform::windowsPath(file(ext));
    for (auto _ : state) {
        const int32_t h = library::playMusic(name);
        state.PauseTiming();
        if (h == 0) state.SkipWithError("PlayMusic failed");
        library::stopMusicChannel(h);
        state.ResumeTiming();
    }
}
void BM_PlayMusicWav(benchmark::State& s) { playMusic(s, "wav"); }
void BM_PlayMusicMp3(benchmark::State& s) { playMusic(s, "mp3"); }
void BM_PlayMusicOgg(benchmark::State& s) { playMusic(s, "ogg"); }
BENCHMARK(BM_PlayMusicWav)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayMusicMp3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlayMusicOgg)->Unit(benchmark::kMillisecond);

using bench::cpuSeconds;

// The process's CPU over 5 s of real time with one MP3 channel playing, as a share of a core.
void BM_OneMp3ChannelCpu(benchmark::State& state) {
    const std::string name = platform::windowsPath(file("mp3"));
    for (auto _ : state) {
        const int32_t h = library::playMusic(name);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the start-up fill
        const double cpu0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(5));
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        state.counters["core_percent"] = (cpuSeconds() - cpu0) / wall * 100.0;
        library::stopMusicChannel(h);
    }
}
BENCHMARK(BM_OneMp3ChannelCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--module") == 0) {
        // The tests' module plays its one pattern for about 3.8 s; repeating it 64 times in the
        // order list gives about four minutes, like the mp3 and ogg, so the player's fixed
        // start-up does not dominate the ratio.
        std::vector<uint8_t> mod = media::test::makeModule("ratio");
        const size_t orderCount = 20 + 31 * 30;
        mod[orderCount] = 64;
        media::test::writeFile(argv[2], mod);
        return 0;
    }
    setenv("VANTREL_AUDIO", "null", 0);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    library::startMusic();
    if (argc == 4 && std::strcmp(argv[1], "--convert") == 0) {
        classes::TStringList list;
        list.add(platform::windowsPath(argv[2]) + ">" + platform::windowsPath(argv[3]));
        // The routine's own cost, all threads included, is printed apart from the process's:
        // a script calls it in a player that has long finished starting.
        const double cpuBefore = cpuSeconds();
        const auto wallBefore = std::chrono::steady_clock::now();
        const bool ok = library::convertAudioToWav(&list);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
        std::printf("routine %.6f %.6f\n", wall, cpuSeconds() - cpuBefore);
        library::stopMusic();
        return ok ? 0 : 1;
    }
    makeFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    library::stopMusic();
    std::system(("rm -rf '" + s_dir + "'").c_str());
    return 0;
}
