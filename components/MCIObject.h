// A panel that plays a file (or an audio CD) through the multimedia command layer and
// reports failures to its OnError event. A video shows in the panel itself, filling it;
// audio leaves it the black panel the form places.
#pragma once

#include <optional>
#include <string>

#include "vcl/ExtCtrls.h"

namespace components {

enum TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };
enum TMPDeviceTypes {
    dtAutoSelect,
    dtAVIVideo,
    dtCDAudio,
    dtDAT,
    dtDigitalVideo,
    dtMMMovie,
    dtOther,
    dtOverlay,
    dtScanner,
    dtSequencer,
    dtVCR,
    dtVideodisc,
    dtWaveAudio
};

class TMCIObject final : public vcl::TPanel {
public:
    CLASSES_OBJECT(TMCIObject)
    explicit TMCIObject(classes::TComponent* owner);
    ~TMCIObject() override;

    bool browseForFile();
    void play();
    void pause();
    void resume();
    void stop();
    void open();
    void close();
    void eject();
    void updateView() {}
    int tracks();
    int trackPosition(int track);
    int trackLength(int track);
    int length();
    bool canPlay();
    bool canEject();
    int deviceId();

    const std::string& fileName() const { return m_fileName; }
    void setFileName(const std::string& name);
    bool shareable() const { return m_shareable; }
    void setShareable(bool v) { m_shareable = v; }
    TMPDeviceTypes deviceType() const { return m_deviceType; }
    void setDeviceType(TMPDeviceTypes v) { m_deviceType = v; }
    TMPModes mode();
    int start();
    int position();
    void setPosition(int v);
    int startPos();
    void setStartPos(int v);
    int endPos();
    void setEndPos(int v);

    classes::TMethod onError;

private:
    // Sends "<verb> <alias> <rest>"; a failure goes to OnError and gives nullopt.
    std::optional<std::string> send(const std::string& verb, const std::string& rest = {});
    bool ready();
    int toNumber(const std::string& answer) const;
    std::string fromNumber(int value) const;
    int query(const std::string& item);

    std::string m_alias;
    bool m_open = false;
    bool m_cd = false;
    std::string m_fileName;
    bool m_shareable = false;
    TMPDeviceTypes m_deviceType = dtAutoSelect;
    std::optional<int> m_from, m_to;
};

}  // namespace components
