#include "library/Speech.h"

#include <filesystem>
#include <mutex>

#include "base/AnsiText.h"
#include "classes/TStrings.h"
#include "library/Messages.h"
#include "library/Shell.h"
#include "media/speech/Speaker.h"
#include "platform/Paths.h"
#include "platform/Profile.h"
#include "runtime/Placeholders.h"
#include "runtime/ProcessState.h"

namespace library {

namespace {

using media::speech::Speaker;

struct State {
    std::mutex mutex;
    std::string output;  // WAV file for the next selection, empty for the device
    TMSpeechEngineInfo info;
};

State& state() {
    static State s;
    return s;
}

Speaker* speaker() {
    Speaker& s = Speaker::instance();
    return s.available() ? &s : nullptr;
}

const char* genderText(int gender) { return gender == 1 ? "FEMALE" : gender == 2 ? "MALE" : "NEUTRAL"; }

// A stable GUID text for a voice, so ModeID tells voices apart across runs.
std::string modeId(const std::string& name) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%04X-%012llX}", static_cast<unsigned>(h >> 32),
                  static_cast<unsigned>((h >> 16) & 0xFFFF), static_cast<unsigned>(h & 0xFFFF),
                  static_cast<unsigned>((h >> 48) & 0xFFFF),
                  static_cast<unsigned long long>(h & 0xFFFFFFFFFFFFull));
    return buf;
}

std::string iniString(const char* key) {
    return platform::readProfileString(runtime::state().iniFile(), "Autorun", key, "", 1024);
}

// The configured local installer, expanded, when that file exists; otherwise empty.
std::string localInstaller(const char* key) {
    const std::string name = runtime::RepConst(iniString(key));
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(platform::resolvePath(name), ec)) return {};
    return name;
}

}  // namespace

std::string volumeTag(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value) * 65535u / 100u;
    const uint32_t low = v & 0xFFFF;
    return "\\Vol=" + std::to_string((low << 16) | low) + "\\";
}

bool TTS_CheckInstallation() {
    if (speaker()) return true;
    const std::string runtimeFile = localInstaller("TTS_API_FILE");
    const std::string voiceFile = localInstaller("TTS_VOICE_FILE");
    std::string message = runtime::RepConst(
        "This project uses Text 2 Speech Technology.%nTo enable this Technology, you must (download and) "
        "install "
        "some required files:%n%n(Microsoft Speech API 4.0):\t%1%n(Text-To-Speech Voice):\t%2");
    message = base::replaceAllText(message, "%1", runtimeFile);
    message = base::replaceAllText(message, "%2", voiceFile);
    message += runtime::RepConst(
        "%n%nIf you choose not to (download and) install, then the Text 2 Speech feature will be "
        "disabled.%nProceed with (download and) installation (RECOMMENDED)?");
    const std::string disable = iniString("Disable_TTS_Prompt");
    const bool ask = !(base::ansiSameText(disable, "True") || disable == "1");
    if (ask && MsgBox(message, "Warning", 52) != 6) return false;
    // Only installers already on the machine run; nothing is fetched from the network.
    if (!runtimeFile.empty()) fileExec(runtimeFile, false, true);
    if (!voiceFile.empty()) fileExec(voiceFile, false, true);
    return speaker() != nullptr;
}

std::unique_ptr<classes::TStringList> TTS_GetEngines() {
    if (!speaker()) return nullptr;
    auto list = std::make_unique<classes::TStringList>();
    for (const auto& v : speaker()->voices()) list->add(v.name);
    return list;
}

void TTS_SelectEngine(const std::string& engineName) {
    Speaker* s = speaker();
    if (!s) return;
    std::lock_guard<std::mutex> lock(state().mutex);
    if (!s->select(engineName, state().output)) return;
    for (const auto& v : s->voices()) {
        if (!base::ansiSameText(v.name, engineName)) continue;
        TMSpeechEngineInfo& i = state().info;
        i = TMSpeechEngineInfo{};
        i.Name = v.name;
        i.Language = v.language;
        i.Manufacturer = "eSpeak NG";
        i.Product = "espeak-ng";
        i.ModeID = modeId(v.identifier);
        i.EngineID = modeId("espeak-ng");
        i.Speaker = v.name;
        i.Style = "Normal";
        i.Gender = genderText(v.gender);
        i.Age = v.age;
        i.MaxPitch = 200;
        i.MinPitch = 0;
        i.MaxRealTime = i.MinRealTime = 100;
        i.MaxSpeed = 450;
        i.MinSpeed = 80;
        i.MaxVolume = 100;
        i.MinVolume = 0;
        break;
    }
}

TMSpeechEngineInfo TTS_SelectedEngineInfo() {
    if (!speaker() || !speaker()->selected()) return {};
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().info;
}

void TTS_Dialog(TSpeechDialog, int32_t) {}

void TTS_Speak(const std::string& text) {
    if (Speaker* s = speaker()) s->speak(text);
}

void TTS_Inject(const std::string& command) {
    if (Speaker* s = speaker()) s->inject(command);
}

void TTS_Pause() {
    if (Speaker* s = speaker()) s->pause();
}

void TTS_Resume() {
    if (Speaker* s = speaker()) s->resume();
}

void TTS_Stop() {
    if (Speaker* s = speaker()) s->stop();
}

bool TTS_Paused() { return speaker() && speaker()->paused(); }

int32_t TTS_GetPosition() { return speaker() ? speaker()->position() : 0; }

int32_t TTS_RealTime() { return speaker() ? 100 : 0; }

void TTS_SetSpeed(int32_t value) { TTS_Inject("\\Spd=" + std::to_string(value) + "\\"); }

int32_t TTS_GetSpeed() { return speaker() ? static_cast<int32_t>(speaker()->attributes().speed) : 0; }

void TTS_SetPitch(int32_t value) {
    TTS_Inject("\\Pit=" + std::to_string(static_cast<uint32_t>(value) & 0xFFFF) + "\\");
}

int32_t TTS_GetPitch() {
    return speaker() ? static_cast<int32_t>(speaker()->attributes().pitch & 0xFFFF) : 0;
}

void TTS_SetVolume(int32_t value) { TTS_Inject(volumeTag(value)); }

int32_t TTS_GetVolume() {
    return speaker() ? static_cast<int32_t>((speaker()->attributes().volume & 0xFFFF) * 100 / 65535) : 0;
}

void TTS_SetOutput(const std::string& wavFile) {
    if (!speaker()) return;
    std::lock_guard<std::mutex> lock(state().mutex);
    state().output =
        wavFile.empty() ? std::string() : platform::resolvePath(runtime::RepConst(wavFile)).string();
}

}  // namespace library
