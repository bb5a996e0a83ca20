// The media-player control: a window that plays audio and video files through the video
// player the toolkit side installs (media/VideoPlayer.h), showing the pictures in itself.
// Without one (no decoder, or a build without video) it shows its "not installed" picture
// and every member is inert: reads give 0, False or empty text, writes and methods do
// nothing. Positions and durations are in seconds. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "vcl/Controls.h"

namespace media {
class VideoPlayer;
}

namespace vcl {
class TImage;
}

namespace components {

class TWindowsMediaPlayer final : public vcl::TWinControl {
public:
    CLASSES_OBJECT(TWindowsMediaPlayer)
    explicit TWindowsMediaPlayer(classes::TComponent* owner);
    ~TWindowsMediaPlayer() override;

    bool hasPlayer() const { return m_player != nullptr; }
    // The "not installed" picture (null while a player exists).
    vcl::TImage* fallbackPicture() const { return m_picture; }

    // Opens a file (a Windows or native path); plays it at once when AutoStart is set.
    // A file that cannot be played sets HasError and ErrorDescription and raises OnMpError.
    void open(const std::string& fileName);
    void play();
    void pause();
    void stop();
    // Unloads the medium.
    void close();
    std::string currentFile() const;
    double duration() const;
    bool canSeek() const;
    bool hasError() const { return m_player && !m_error.empty(); }
    std::string errorDescription() const { return m_player ? m_error : std::string(); }

    // The booleans kept by the control, in the order of kFlagNames.
    enum Flag {
        ShowCaptioning,
        ShowDisplay,
        ClickToPlay,
        EnableContextMenu,
        ShowControls,
        ShowPositionControls,
        ShowTracker,
        EnableFullScreenControls,
        EnablePositionControls,
        EnableTracker,
        ShowStatusBar,
        ShowGotoBar,
        AutoStart,
        AnimationAtStart,
        FlagCount
    };
    static const char* const kFlagNames[FlagCount];
    bool flag(Flag f) const { return m_player && m_flags[f]; }
    void setFlag(Flag f, bool v) {
        if (m_player) m_flags[f] = v;
    }

    vcl::TColor displayForeColor() const { return m_player ? m_foreColor : 0; }
    void setDisplayForeColor(vcl::TColor c);
    vcl::TColor displayBackColor() const { return m_player ? m_backColor : 0; }
    void setDisplayBackColor(vcl::TColor c);
    // The control's display size: 3 full screen, 4 fit to the window (0 without a player).
    int displaySize() const { return m_player ? m_displaySize : 0; }
    bool fullScreen() const { return displaySize() == 3; }
    void setFullScreen(bool v);
    const std::string& warningDescription() const { return m_warning; }
    double currentPosition() const;
    void setCurrentPosition(double seconds);
    bool mute() const;
    void setMute(bool v);
    // Hundredths of a decibel: 0 full, -10000 silent.
    int volume() const { return m_player ? m_volume : 0; }
    void setVolume(int v);
    uint32_t displayMode() const { return m_player ? m_displayMode : 0; }
    void setDisplayMode(uint32_t v) {
        if (m_player) m_displayMode = v;
    }

    classes::TMethod onStopped, onPaused, onClosed, onMpError, onDisconnect, onMpWarning, onPlay;

    // With ClickToPlay, a click on the pictures plays or pauses; OnClick follows.
    void click() override;

protected:
    void handleCreated() override;

private:
    void fire(const classes::TMethod& event);
    void showNotInstalled();

    std::unique_ptr<media::VideoPlayer> m_player;
    vcl::TImage* m_picture = nullptr;
    std::string m_fileName;
    std::string m_error;
    std::string m_warning;
    std::array<bool, FlagCount> m_flags{};
    vcl::TColor m_foreColor = 0xFFFFFF;
    vcl::TColor m_backColor = 0;
    int m_displaySize = 4;
    int m_volume = 0;
    uint32_t m_displayMode = 0;
};

}  // namespace components
