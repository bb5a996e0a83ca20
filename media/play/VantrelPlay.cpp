// vantrel-play FILE...: plays files through the engine and prints their format, length and
// position, for trying files by hand. Options: --decode writes each file's PCM to stdout
// instead of playing it; --info prints the format and length only; --device N plays on
// device N (default 1); --devices lists the devices.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "media/Bass.h"

using namespace media;

namespace {

const char* formatName(uint32_t type) {
    static const struct {
        uint32_t mask;
        const char* name;
    } kFormats[] = {{0x10001, "WAV"}, {0x10002, "OGG"}, {0x10003, "MP1"}, {0x10004, "MP2"}, {0x10005, "MP3"},
                    {0x20001, "MTM"}, {0x20002, "S3M"}, {0x20003, "XM"},  {0x20004, "IT"},  {0x100, "MO3"}};
    for (const auto& f : kFormats)
        if ((type & f.mask) == type) return f.name;
    return "?";
}

uint32_t open(const char* name, uint32_t flags) {
    uint32_t h = BASS_StreamCreateFile(false, name, 0, 0, flags);
    if (h == 0) h = BASS_MusicLoad(false, name, 0, 0, flags | BASS_MUSIC_CALCLEN, 0);
    return h;
}

uint64_t lengthOf(uint32_t h) {
    const uint64_t stream = BASS_StreamGetLength(h);
    if (stream != ~uint64_t{0}) return stream;
    const uint32_t music = BASS_MusicGetLength(h, true);
    return music == 0xFFFFFFFFu ? 0 : music;
}

void describe(const char* name, uint32_t h) {
    BassChannelInfo info{};
    BASS_ChannelGetInfo(h, &info);
    const uint64_t bytes = lengthOf(h);
    std::printf("%s: %s, %u Hz, %u channel(s), %d-bit, length %llu bytes = %.3f s\n", name,
                formatName(info.ctype), info.freq, info.chans, (info.flags & BASS_SAMPLE_8BITS) ? 8 : 16,
                static_cast<unsigned long long>(bytes),
                static_cast<double>(BASS_ChannelBytes2Seconds(h, bytes)));
    if (const char* title = BASS_MusicGetName(h); title && *title) std::printf("  name: %s\n", title);
}

int decodeToStdout(const char* name) {
    const uint32_t h = open(name, BASS_STREAM_DECODE);
    if (h == 0) {
        std::fprintf(stderr, "%s: cannot open (error %d)\n", name, BASS_ErrorGetCode());
        return 1;
    }
    std::vector<char> buffer(10240);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        const uint32_t n = BASS_ChannelGetData(h, buffer.data(), static_cast<uint32_t>(buffer.size()));
        if (n == 0xFFFFFFFFu) break;
        std::fwrite(buffer.data(), 1, n, stdout);
    }
    BASS_StreamFree(h);
    BASS_MusicFree(h);
    return 0;
}

int play(const char* name, bool infoOnly) {
    const uint32_t h = open(name, infoOnly ? BASS_STREAM_DECODE : 0);
    if (h == 0) {
        std::fprintf(stderr, "%s: cannot open (error %d)\n", name, BASS_ErrorGetCode());
        return 1;
    }
    describe(name, h);
    if (infoOnly) {
        BASS_StreamFree(h);
        BASS_MusicFree(h);
        return 0;
    }
    if (!BASS_StreamPlay(h, false, 0)) BASS_MusicPlayEx(h, 0, -1, true);
    while (BASS_ChannelIsActive(h) != BASS_ACTIVE_STOPPED) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const uint64_t pos = BASS_ChannelGetPosition(h);
        std::printf("\r  position %.2f s  cpu %.1f%%   ",
                    static_cast<double>(BASS_ChannelBytes2Seconds(h, pos)),
                    static_cast<double>(BASS_GetCPU()));
        std::fflush(stdout);
    }
    const uint64_t end = BASS_ChannelGetPosition(h);
    std::printf("\n  ended at %.3f s\n", static_cast<double>(BASS_ChannelBytes2Seconds(h, end)));
    BASS_StreamFree(h);
    BASS_MusicFree(h);
    return 0;
}

}  // namespace

int listDevices() {
    for (uint32_t i = 0; const char* name = BASS_GetDeviceDescription(i); ++i)
        std::printf("%u: %s\n", i, name);
    return 0;
}

int main(int argc, char** argv) {
    bool decode = false, infoOnly = false;
    int device = 1;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--decode") == 0)
            decode = true;
        else if (std::strcmp(argv[i], "--info") == 0)
            infoOnly = true;
        else if (std::strcmp(argv[i], "--devices") == 0)
            return listDevices();
        else if (std::strcmp(argv[i], "--device") == 0 && i + 1 < argc)
            device = std::atoi(argv[++i]);
        else
            files.push_back(argv[i]);
    }
    if (files.empty()) {
        std::fprintf(stderr,
                     "usage: vantrel-play [--device N] [--info | --decode] FILE...\n"
                     "       vantrel-play --devices\n");
        return 2;
    }
    if (!BASS_Init(device, 44100, 0, nullptr, nullptr)) {
        std::fprintf(stderr, "device %d: cannot open (error %d)\n", device, BASS_ErrorGetCode());
        return 1;
    }
    if (!decode && !infoOnly) std::printf("device: %s\n", BASS_GetDeviceDescription(BASS_GetDevice()));
    int status = 0;
    for (const char* file : files) status |= decode ? decodeToStdout(file) : play(file, infoOnly);
    BASS_Free();
    return status;
}
