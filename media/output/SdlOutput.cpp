// Sound devices through SDL2's audio callback, which calls the mixer directly.
#include <SDL2/SDL.h>

#include <mutex>

#include "media/output/AudioOutput.h"

namespace media {

namespace {

std::mutex s_sdlMutex;
int s_sdlUsers = 0;

bool acquireSdlAudio() {
    std::lock_guard<std::mutex> lock(s_sdlMutex);
    if (s_sdlUsers == 0 && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    ++s_sdlUsers;
    return true;
}

void releaseSdlAudio() {
    std::lock_guard<std::mutex> lock(s_sdlMutex);
    if (--s_sdlUsers == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

class SdlOutput : public AudioOutput {
public:
    SdlOutput(SDL_AudioDeviceID device, int latency) : m_device(device), m_latency(latency) {}
    ~SdlOutput() override {
        SDL_CloseAudioDevice(m_device);
        releaseSdlAudio();
    }
    void start() override { SDL_PauseAudioDevice(m_device, 0); }
    void pause() override { SDL_PauseAudioDevice(m_device, 1); }
    int latencyMs() const override { return m_latency; }

    static void callback(void* user, Uint8* stream, int len) {
        static_cast<Mixer*>(user)->mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(len) / 4);
    }

private:
    SDL_AudioDeviceID m_device;
    int m_latency;
};

}  // namespace

std::unique_ptr<AudioOutput> createSdlOutput(Mixer& mixer, const std::string& deviceName) {
    if (!acquireSdlAudio()) return nullptr;
    SDL_AudioSpec want{};
    want.freq = mixer.rate();
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = SdlOutput::callback;
    want.userdata = &mixer;  // the mixer outlives its output
    SDL_AudioSpec have{};
    SDL_AudioDeviceID device =
        SDL_OpenAudioDevice(deviceName.empty() ? nullptr : deviceName.c_str(), 0, &want, &have, 0);
    if (device == 0) {
        releaseSdlAudio();
        return nullptr;
    }
    const int latency = have.freq > 0 ? static_cast<int>(have.samples) * 1000 / have.freq : 0;
    return std::make_unique<SdlOutput>(device, latency);
}

std::vector<std::string> sdlOutputNames() {
    std::vector<std::string> names;
    if (!acquireSdlAudio()) return names;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        if (name) names.emplace_back(name);
    }
    releaseSdlAudio();
    return names;
}

}  // namespace media
