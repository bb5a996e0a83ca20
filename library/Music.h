// The music routines scripts call, over the audio engine's entry points bound by name: the
// library state (bound or not, the device opened at start), the sound settings kept per
// player executable, and the routines that open, stop, pause, query and seek channels.
// Channel handles pass between scripts and the engine unchanged; the player keeps no table.
// Every routine answers its neutral value (0, false, 0.0, "") while the library is not bound.
// Names are in the Windows form scripts use; those that name no existing file are expanded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace classes {
class TStringList;
}

namespace library {

// Binds every entry point of the audio library (all or nothing) and, when that worked,
// opens the default device, falling back to "No sound" when no output opens; then applies
// the stored sound settings. True when the library is bound. A second call changes nothing.
bool startMusic();
// Saves the sound settings, stops the internal play list and releases the library.
void stopMusic();
// Binds (or, with `bound` false, forgets) the entry points without touching devices or
// settings; tests use it to run the routines with the library missing.
bool bindMusicLibrary(bool bound = true);
bool musicLoaded();
// Set when the CD family bound as a whole too; only then are ".cda" names tried.
bool cdLoaded();
// Set when the tag family bound and answered its expected version.
bool tagsLoaded();

// The stored settings (HKEY_CURRENT_USER, the running player's key).
void restoreSoundSettings();
void saveSoundSettings();

// The opening rows of PlayMusic and PlayMusicLoop, and the play list's plain row with its
// end notification (set before the channel starts, so a short file cannot end unnoticed).
enum class OpenRow { Once, Loop };
using EndNotify = void(uint32_t sync, uint32_t channel, uint32_t data, void* user);
struct OpenedChannel {
    uint32_t handle = 0;
    uint32_t sync = 0;
};
OpenedChannel openChannel(std::string_view name, OpenRow row, EndNotify* onEnd = nullptr,
                          void* user = nullptr);

int32_t playMusic(const std::string& file);
int32_t playMusicLoop(const std::string& file);
int32_t playMusicEx(const std::string& file, uint32_t volume, int32_t panning);
int32_t playMusicLoopEx(const std::string& file, uint32_t volume, int32_t panning);
void stopMusicChannel(int32_t handle);
void pauseMusic(int32_t handle);
int32_t musicStatus(int32_t handle);
int32_t getLastBassError();
float getCpuUsedByMusic();
bool setVolume(int32_t volume);
int32_t getVolume();
bool setChannelVolume(uint32_t handle, uint32_t volume);
bool setChannelPanning(int32_t handle, int32_t panning);
bool setChannelSampleRate(uint32_t handle, uint32_t rate);
bool getChannelVolume(int32_t handle, uint32_t& volume);
bool getChannelPanning(int32_t handle, int32_t& panning);
bool getChannelSampleRate(int32_t handle, uint32_t& rate);
bool musicSlideAttributes(int32_t handle, int32_t freq, int32_t volume, int32_t pan, int32_t time);
bool isMono(int32_t handle);
std::string getMusicFormat(int32_t handle);
int32_t getLengthInSeconds(int32_t handle);
int32_t getPosition(int32_t handle);
void setPosition(int32_t handle, int32_t position);
int32_t getBitRate(int32_t handle);
// Playable files below `path` (a header probe each), sorted by name within each folder,
// a subfolder's entries where the subfolder sorts; folder links are not followed.
std::unique_ptr<classes::TStringList> searchForMusic(const std::string& path, bool recursive);
bool canPlayFile(const std::string& name);

// The settings dialog, modal; true when closed with OK.
bool bassSettingsDialog();

// Internals shared with the conversion and the play list.
namespace music {
// The name as the engine opens it: the script's name when it is an existing file, else its
// placeholder expansion; both in native form.
std::string nativeName(std::string_view windowsName);
bool isExistingFile(std::string_view windowsName);
// StopMusic's calls without the library test (stop, free as a stream, free as music).
void stopAndFree(uint32_t handle);
}  // namespace music

}  // namespace library
