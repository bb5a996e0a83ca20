#include "components/MCIObject.h"

#include <atomic>
#include <filesystem>
#include <sstream>
#include <vector>

#include "classes/ClassBuilder.h"
#include "media/mci/Mci.h"
#include "media/mci/MciErrors.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "runtime/Placeholders.h"
#include "vcl/WindowIds.h"

namespace components {

namespace {

namespace ct = classes::types;

const classes::TypeInfo& deviceTypesType() {
    static const auto t = classes::TypeInfo::enumeration(
        "TMPDeviceTypes",
        {"dtAutoSelect", "dtAVIVideo", "dtCDAudio", "dtDAT", "dtDigitalVideo", "dtMMMovie", "dtOther",
         "dtOverlay", "dtScanner", "dtSequencer", "dtVCR", "dtVideodisc", "dtWaveAudio"});
    return t;
}

const classes::TypeInfo& errorEventType() {
    static const auto t =
        classes::TypeInfo::method("TErrorEvent", "Procedure ( Sender : TObject; ErrorMessage : string)");
    return t;
}

const char* const kDeviceNames[] = {"",        "avivideo",  "cdaudio",  "dat",     "digitalvideo",
                                    "mmmovie", "other",     "overlay",  "scanner", "sequencer",
                                    "vcr",     "videodisc", "waveaudio"};

std::string resolve(std::string_view name) { return platform::resolvePath(name).string(); }

std::vector<int> fields(const std::string& answer) {
    std::vector<int> out;
    std::stringstream in(answer);
    std::string part;
    while (std::getline(in, part, ':')) out.push_back(part.empty() ? 0 : std::stoi(part));
    return out;
}

}  // namespace

TMCIObject::TMCIObject(classes::TComponent* owner) : vcl::TPanel(owner) {
    static std::atomic<int> s_next{1};
    m_alias = "vantrel_mciobject_" + std::to_string(s_next++);
    setColor(0);
    setBevelInner(vcl::bvNone);
    setBevelOuter(vcl::bvNone);
}

TMCIObject::~TMCIObject() {
    if (m_open) {
        std::string ignored;
        media::mci::sendString("close " + m_alias, ignored);
    }
}

std::optional<std::string> TMCIObject::send(const std::string& verb, const std::string& rest) {
    std::string answer;
    const int code =
        media::mci::sendString(verb + " " + m_alias + (rest.empty() ? "" : " " + rest), answer, resolve);
    if (code == 0) return answer;
    vcl::fireEvent(onError, {static_cast<classes::TObject*>(this), media::mci::errorText(code)});
    return std::nullopt;
}

void TMCIObject::setFileName(const std::string& name) {
    std::error_code ec;
    m_fileName = std::filesystem::exists(platform::resolvePath(name), ec) ? name : runtime::RepConst(name);
}

void TMCIObject::open() {
    if (m_open) close();
    std::string command = "open ";
    const bool cd = m_deviceType == dtCDAudio;
    if (!cd) command += "\"" + m_fileName + "\"";
    if (m_deviceType != dtAutoSelect) command += std::string(cd ? "" : " type ") + kDeviceNames[m_deviceType];
    command += " alias " + m_alias;
    if (m_shareable) command += " shareable";
    std::string answer;
    const int code = media::mci::sendString(command, answer, resolve);
    if (code != 0) {
        vcl::fireEvent(onError, {static_cast<classes::TObject*>(this), media::mci::errorText(code)});
        return;
    }
    m_open = true;
    const auto type = send("capability", "device type");
    m_cd = type && *type == "cdaudio";
    // A video shows in the panel, the device's display window.
    const auto video = send("capability", "has video");
    if (video && *video == "true") send("window", "handle " + std::to_string(vcl::windowId(this)));
    m_from.reset();
    m_to.reset();
}

void TMCIObject::close() {
    if (!m_open) return;
    send("close");
    m_open = false;
}

bool TMCIObject::canPlay() {
    if (!m_open) return false;
    const auto a = send("capability", "can play");
    return a && *a == "true";
}

bool TMCIObject::canEject() {
    if (!m_open) return false;
    const auto a = send("capability", "can eject");
    return a && *a == "true";
}

bool TMCIObject::ready() { return mode() != mpNotReady && canPlay(); }

void TMCIObject::play() {
    if (!canPlay()) return;
    std::string range;
    if (m_from) range += "from " + fromNumber(*m_from);
    if (m_to) range += std::string(range.empty() ? "" : " ") + "to " + fromNumber(*m_to);
    m_from.reset();
    m_to.reset();
    send("play", range);
}

void TMCIObject::pause() {
    if (canPlay()) send("pause");
}

void TMCIObject::resume() {
    if (canPlay()) send("resume");
}

void TMCIObject::stop() {
    if (canPlay()) send("stop");
}

void TMCIObject::eject() {
    if (canEject()) send("set", "door open");
}

TMPModes TMCIObject::mode() {
    if (!m_open) return mpNotReady;
    const auto a = send("status", "mode");
    if (!a) return mpNotReady;
    if (*a == "stopped") return mpStopped;
    if (*a == "playing") return mpPlaying;
    if (*a == "recording") return mpRecording;
    if (*a == "seeking") return mpSeeking;
    if (*a == "paused") return mpPaused;
    if (*a == "open") return mpOpen;
    return mpNotReady;
}

// CD positions come as "tt:mm:ss:ff" (lengths "mm:ss:ff") and scripts hold them packed in
// one integer, a byte a field, as the system's own interface packs them.
int TMCIObject::toNumber(const std::string& answer) const {
    const std::vector<int> f = fields(answer);
    int packed = 0;
    for (size_t i = 0; i < f.size() && i < 4; ++i) packed |= (f[i] & 0xFF) << (8 * i);
    return f.size() == 1 ? f[0] : packed;
}

std::string TMCIObject::fromNumber(int value) const {
    if (!m_cd) return std::to_string(value);
    const auto v = static_cast<uint32_t>(value);
    return std::to_string(v & 0xFF) + ":" + std::to_string((v >> 8) & 0xFF) + ":" +
           std::to_string((v >> 16) & 0xFF) + ":" + std::to_string(v >> 24);
}

int TMCIObject::query(const std::string& item) {
    if (!ready()) return 0;
    const auto a = send("status", item);
    return a ? toNumber(*a) : 0;
}

int TMCIObject::tracks() { return query("number of tracks"); }
int TMCIObject::trackPosition(int track) {
    return track <= 0 ? 0 : query("position track " + std::to_string(track));
}
int TMCIObject::trackLength(int track) {
    return track <= 0 ? 0 : query("length track " + std::to_string(track));
}
int TMCIObject::length() { return query("length"); }
int TMCIObject::start() { return query("start position"); }
int TMCIObject::position() { return query("position"); }
int TMCIObject::deviceId() { return ready() ? media::mci::deviceId(m_alias) : 0; }

void TMCIObject::setPosition(int v) {
    if (ready()) send("seek", "to " + fromNumber(v));
}

int TMCIObject::startPos() { return ready() ? m_from.value_or(0) : 0; }
void TMCIObject::setStartPos(int v) {
    if (ready()) m_from = v;
}
int TMCIObject::endPos() { return ready() ? m_to.value_or(length()) : 0; }
void TMCIObject::setEndPos(int v) {
    if (ready()) m_to = v;
}

bool TMCIObject::browseForFile() {
    platform::DialogRequest request;
    request.kind = platform::DialogKind::OpenFile;
    request.filter =
        "All Files (*.*)|*.*|Wave Files (*.wav)|*.wav|Midi Files (*.mid)|*.mid|Video for Windows "
        "(*.avi)|*.avi|CD Audio Track (*.cda)|*.cda";
    request.mustExist = true;
    request.readOnlyChecked = true;
    const std::optional<std::string> chosen = platform::dialogs().fileDialog(request);
    if (!chosen) return false;
    stop();
    close();
    setFileName(*chosen);
    open();
    play();
    return true;
}

const classes::ClassInfo& TMCIObject::staticClass() {
    static const auto info = [] {
        classes::ClassBuilder<TMCIObject> b("TMCIObject", vcl::TPanel::staticClass());
        b.publicType("TMPModes",
                     "( mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen )")
            .publicType("TMPDeviceTypes",
                        "( dtAutoSelect, dtAVIVideo, dtCDAudio, dtDAT, dtDigitalVideo, dtMMMovie, dtOther, "
                        "dtOverlay, dtScanner, dtSequencer, dtVCR, dtVideodisc, dtWaveAudio )")
            .publicType("TErrorEvent", "Procedure ( Sender : TObject; ErrorMessage : string)");
        b.property("StartPos", ct::integer(),
                   [](const TMCIObject& o) { return const_cast<TMCIObject&>(o).startPos(); },
                   &TMCIObject::setStartPos, {})
            .property("EndPos", ct::integer(),
                      [](const TMCIObject& o) { return const_cast<TMCIObject&>(o).endPos(); },
                      &TMCIObject::setEndPos, {})
            .property("DeviceType", deviceTypesType(), &TMCIObject::deviceType, &TMCIObject::setDeviceType,
                      {.defaultValue = dtAutoSelect})
            .property("FileName", ct::string(), &TMCIObject::fileName,
                      [](TMCIObject& o, const std::string& v) { o.setFileName(v); })
            .property("Shareable", ct::boolean(), &TMCIObject::shareable, &TMCIObject::setShareable,
                      {.defaultValue = 0})
            .property("Position", ct::integer(),
                      [](const TMCIObject& o) { return const_cast<TMCIObject&>(o).position(); },
                      &TMCIObject::setPosition, {})
            .event("OnError", errorEventType(), &TMCIObject::onError);
        b.publicMethod("Function BrowseForFile : boolean", &TMCIObject::browseForFile)
            .publicMethod("Procedure Play", &TMCIObject::play)
            .publicMethod("Procedure Pause", &TMCIObject::pause)
            .publicMethod("Procedure Resume", &TMCIObject::resume)
            .publicMethod("Procedure Stop", &TMCIObject::stop)
            .publicMethod("Procedure Open", &TMCIObject::open)
            .publicMethod("Procedure Close", &TMCIObject::close)
            .publicMethod("Procedure Eject", &TMCIObject::eject)
            .publicMethod("Procedure UpdateView", &TMCIObject::updateView)
            .publicMethod("Function Tracks : integer", &TMCIObject::tracks)
            .publicMethod("Function TrackPosition( TrackNum : Integer) : integer", &TMCIObject::trackPosition)
            .publicMethod("Function TrackLength( TrackNum : Integer) : integer", &TMCIObject::trackLength)
            .publicMethod("Function Length : integer", &TMCIObject::length)
            .publicMethod("function CanPlay : boolean", &TMCIObject::canPlay)
            .publicMethod("function CanEject : boolean", &TMCIObject::canEject)
            .publicProperty("property Mode : TMPModes;", &TMCIObject::mode)
            .publicMethod("Function DeviceID : integer", &TMCIObject::deviceId)
            .publicProperty("property Start : Integer;", &TMCIObject::start);
        return b.build();
    }();
    return *info;
}

}  // namespace components
