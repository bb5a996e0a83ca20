// FluidSynth driven on the sample clock: the MIDI player advances by what we render, so
// rendering runs as fast as the machine can and the result is the same on every run.
#include "media/mci/MidiRenderer.h"

#include <fluidsynth.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

#include "base/Error.h"

namespace media::mci {

namespace {

constexpr int kBlockFrames = 1024;
constexpr int kMaxSeconds = 3600;
constexpr int kReleaseFrames = kMidiRate;  // one second for the last notes to die away

bool isFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void quietLog(int, const char*, void*) {}

struct SettingsDeleter {
    void operator()(fluid_settings_t* s) const { delete_fluid_settings(s); }
};
struct SynthDeleter {
    void operator()(fluid_synth_t* s) const { delete_fluid_synth(s); }
};
struct PlayerDeleter {
    void operator()(fluid_player_t* p) const { delete_fluid_player(p); }
};

void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(v >> (8 * i));
}

void writeWavHeader(std::vector<uint8_t>& out, uint32_t dataBytes) {
    std::memcpy(out.data(), "RIFF", 4);
    put32(out, 4, 36 + dataBytes);
    std::memcpy(out.data() + 8, "WAVEfmt ", 8);
    put32(out, 16, 16);
    put16(out, 20, 1);
    put16(out, 22, 2);
    put32(out, 24, kMidiRate);
    put32(out, 28, kMidiRate * 4);
    put16(out, 32, 4);
    put16(out, 34, 16);
    std::memcpy(out.data() + 36, "data", 4);
    put32(out, 40, dataBytes);
}

}  // namespace

std::string soundFontPath() {
    if (const char* env = std::getenv("VANTREL_SOUNDFONT"); env && isFile(env)) return env;
    for (const char* p : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                          "/usr/share/sounds/sf2/FluidR3_GM.sf2"})
        if (isFile(p)) return p;
    return {};
}

std::vector<uint8_t> renderMidi(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw base::Error("cannot open " + path);
    std::vector<char> midi((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (midi.size() < 14 || std::memcmp(midi.data(), "MThd", 4) != 0) throw base::Error("not a MIDI file");
    const std::string font = soundFontPath();
    if (font.empty()) throw base::Error("no General MIDI sound font is installed");

    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
        fluid_set_log_function(level, quietLog, nullptr);
    std::unique_ptr<fluid_settings_t, SettingsDeleter> settings(new_fluid_settings());
    if (!settings) throw base::Error("the synthesiser cannot start");
    fluid_settings_setnum(settings.get(), "synth.sample-rate", kMidiRate);
    fluid_settings_setstr(settings.get(), "player.timing-source", "sample");
    fluid_settings_setint(settings.get(), "synth.lock-memory", 0);
    fluid_settings_setint(settings.get(), "synth.reverb.active", 0);
    fluid_settings_setint(settings.get(), "synth.chorus.active", 0);
    std::unique_ptr<fluid_synth_t, SynthDeleter> synth(new_fluid_synth(settings.get()));
    if (!synth || fluid_synth_sfload(synth.get(), font.c_str(), 1) == FLUID_FAILED)
        throw base::Error("the sound font cannot be loaded");
    std::unique_ptr<fluid_player_t, PlayerDeleter> player(new_fluid_player(synth.get()));
    if (!player || fluid_player_add_mem(player.get(), midi.data(), midi.size()) != FLUID_OK ||
        fluid_player_play(player.get()) != FLUID_OK)
        throw base::Error("not a MIDI file");

    std::vector<uint8_t> out(44);
    int16_t block[kBlockFrames * 2];
    const size_t maxFrames = static_cast<size_t>(kMaxSeconds) * kMidiRate;
    size_t frames = 0;
    int tail = 0;
    while (frames < maxFrames && tail < kReleaseFrames) {
        // The player lingers after the last event; the song ends with its last tick.
        // (The total is 0 until the player has loaded the song on its first callback.)
        const int totalTicks = fluid_player_get_total_ticks(player.get());
        const bool over = fluid_player_get_status(player.get()) != FLUID_PLAYER_PLAYING ||
                          (totalTicks > 0 && fluid_player_get_current_tick(player.get()) >= totalTicks);
        if (over) {
            if (tail == 0) fluid_player_stop(player.get());
            tail += kBlockFrames;
        }
        if (fluid_synth_write_s16(synth.get(), kBlockFrames, block, 0, 2, block, 1, 2) != FLUID_OK)
            throw base::Error("the synthesiser failed");
        const auto* bytes = reinterpret_cast<const uint8_t*>(block);
        out.insert(out.end(), bytes, bytes + sizeof block);
        frames += kBlockFrames;
    }
    writeWavHeader(out, static_cast<uint32_t>(out.size() - 44));
    return out;
}

}  // namespace media::mci
