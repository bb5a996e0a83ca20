// The speech routines (TTS_...) over the player's one speaker (espeak-ng). Every routine does
// nothing while speech is unavailable; failures inside give the neutral result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace classes {
class TStringList;
}

namespace library {

struct TMSpeechEngineInfo {
    std::string Name, Language, Manufacturer, Product, ModeID, EngineID, Speaker, Style, Gender;
    int32_t Age = 0, Features = 0, Interfaces = 0;
    uint16_t MaxPitch = 0, MinPitch = 0;
    uint32_t MaxRealTime = 0, MinRealTime = 0, MaxSpeed = 0, MinSpeed = 0, MaxVolume = 0, MinVolume = 0;
};

enum TSpeechDialog { sdAbout, sdGeneral, sdLexicon, sdTranslate };

// Speech is available when espeak starts and lists a voice. Otherwise asks (unless the INI
// says not to) and runs only local installer files named in the INI; nothing is downloaded.
bool TTS_CheckInstallation();
std::unique_ptr<classes::TStringList> TTS_GetEngines();
void TTS_SelectEngine(const std::string& engineName);
TMSpeechEngineInfo TTS_SelectedEngineInfo();
// espeak has no dialogs of its own: nothing is shown.
void TTS_Dialog(TSpeechDialog dialogType, int32_t parentWnd);
void TTS_Speak(const std::string& text);
void TTS_Inject(const std::string& command);
void TTS_Pause();
void TTS_Resume();
void TTS_Stop();
bool TTS_Paused();
int32_t TTS_GetPosition();
int32_t TTS_RealTime();
void TTS_SetSpeed(int32_t value);
int32_t TTS_GetSpeed();
void TTS_SetPitch(int32_t value);
int32_t TTS_GetPitch();
void TTS_SetVolume(int32_t value);
int32_t TTS_GetVolume();
// Takes effect at the next TTS_SelectEngine.
void TTS_SetOutput(const std::string& wavFile);

// The tag TTS_SetVolume injects for `value` (0..100). Exposed for tests.
std::string volumeTag(int32_t value);

}  // namespace library
