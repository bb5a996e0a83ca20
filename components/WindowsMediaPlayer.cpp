#include "components/WindowsMediaPlayer.h"

#include <cmath>

#include "classes/ClassBuilder.h"
#include "media/VideoPlayer.h"
#include "platform/Paths.h"
#include "vcl/Canvas.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Picture.h"
#include "vcl/WindowIds.h"

namespace components {

namespace {

namespace ct = classes::types;
using media::VideoPlayer;

constexpr int kDisplayFullScreen = 3;
constexpr int kDisplayFitToWindow = 4;

// The control's own defaults for the booleans it keeps.
constexpr std::array<bool, TWindowsMediaPlayer::FlagCount> kFlagDefaults = {
    false, false, true, true, true, true, true, false, true, true, false, false, true, true};

// The "NO_WMPLAYER" picture: a dark screen with a frame saying the player is missing.
void drawNotInstalled(vcl::TImage& image) {
    constexpr int kWidth = 160, kHeight = 70;
    image.picture()->bitmap().setSize(kWidth, kHeight);
    vcl::TCanvas& canvas = image.imageCanvas();
    canvas.brush().setColor(0x303030);
    canvas.fillRect({0, 0, kWidth, kHeight});
    canvas.pen().setColor(0xC0C0C0);
    canvas.brush().setStyle(vcl::bsClear);
    canvas.rectangle(4, 4, kWidth - 4, kHeight - 4);
    canvas.font().setColor(0xFFFFFF);
    const char* const lines[] = {"Media player", "not installed"};
    const int lineHeight = kHeight / 4;
    for (int i = 0; i < 2; ++i)
        canvas.textOut((kWidth - canvas.textWidth(lines[i])) / 2, kHeight / 4 + i * lineHeight, lines[i]);
}

}  // namespace

const char* const TWindowsMediaPlayer::kFlagNames[FlagCount] = {"ShowCaptioning",
                                                                "ShowDisplay",
                                                                "ClickToPlay",
                                                                "EnableContextMenu",
                                                                "ShowControls",
                                                                "ShowPositionControls",
                                                                "ShowTracker",
                                                                "EnableFullScreenControls",
                                                                "EnablePositionControls",
                                                                "EnableTracker",
                                                                "ShowStatusBar",
                                                                "ShowGotoBar",
                                                                "AutoStart",
                                                                "AnimationAtStart"};

// The probe of the original is the backend's answer: a player it cannot make means the
// control is not installed.
TWindowsMediaPlayer::TWindowsMediaPlayer(classes::TComponent* owner) : vcl::TWinControl(owner) {
    setBounds(left(), top(), 320, 220);
    setColor(0);
    m_flags = kFlagDefaults;
    if (media::VideoBackend* backend = media::videoBackend()) m_player = backend->create();
    if (!m_player) {
        showNotInstalled();
        return;
    }
    m_player->onStateChanged = [this](VideoPlayer::State s) {
        switch (s) {
        case VideoPlayer::State::Stopped: fire(onStopped); break;
        case VideoPlayer::State::Paused: fire(onPaused); break;
        case VideoPlayer::State::Playing: fire(onPlay); break;
        }
    };
    m_player->onError = [this](const std::string& text) {
        m_error = text;
        fire(onMpError);
    };
}

// The player goes first: its pictures live in this control's window.
TWindowsMediaPlayer::~TWindowsMediaPlayer() { m_player.reset(); }

void TWindowsMediaPlayer::showNotInstalled() {
    m_picture = new vcl::TImage(this);
    m_picture->setParent(this);
    m_picture->setAlign(vcl::alClient);
    m_picture->setCenter(true);
    drawNotInstalled(*m_picture);
}

void TWindowsMediaPlayer::handleCreated() {
    if (m_player) m_player->setWindow(vcl::windowId(this));
}

void TWindowsMediaPlayer::click() {
    if (m_player && m_flags[ClickToPlay] && !m_fileName.empty())
        m_player->state() == VideoPlayer::State::Playing ? m_player->pause() : m_player->play();
    vcl::TWinControl::click();
}

void TWindowsMediaPlayer::fire(const classes::TMethod& event) {
    vcl::fireEvent(event, {static_cast<classes::TObject*>(this)});
}

void TWindowsMediaPlayer::open(const std::string& fileName) {
    if (!m_player) return;
    if (!m_fileName.empty()) close();
    m_error.clear();
    if (fileName.empty()) return;
    if (!m_player->load(platform::resolvePath(fileName).string())) {
        m_error = m_player->errorText();
        fire(onMpError);
        return;
    }
    m_fileName = fileName;
    if (m_flags[AutoStart]) m_player->play();
}

void TWindowsMediaPlayer::close() {
    if (!m_player || m_fileName.empty()) return;
    m_player->unload();
    m_fileName.clear();
    fire(onClosed);
}

void TWindowsMediaPlayer::play() {
    if (m_player) m_player->play();
}
void TWindowsMediaPlayer::pause() {
    if (m_player) m_player->pause();
}
void TWindowsMediaPlayer::stop() {
    if (m_player) m_player->stop();
}

std::string TWindowsMediaPlayer::currentFile() const { return m_player ? m_fileName : std::string(); }

double TWindowsMediaPlayer::duration() const {
    return m_player ? static_cast<double>(m_player->lengthMs()) / 1000.0 : 0.0;
}

bool TWindowsMediaPlayer::canSeek() const { return m_player && !m_fileName.empty() && m_player->seekable(); }

double TWindowsMediaPlayer::currentPosition() const {
    return m_player ? static_cast<double>(m_player->positionMs()) / 1000.0 : 0.0;
}

void TWindowsMediaPlayer::setCurrentPosition(double seconds) {
    if (!m_player || !std::isfinite(seconds)) return;
    const double ms = std::clamp(seconds * 1000.0, 0.0, static_cast<double>(m_player->lengthMs()));
    m_player->seek(static_cast<int64_t>(std::llround(ms)));
}

bool TWindowsMediaPlayer::mute() const { return m_player && m_player->muted(); }
void TWindowsMediaPlayer::setMute(bool v) {
    if (m_player) m_player->setMuted(v);
}

// Hundredths of a decibel to the player's linear 0..100.
void TWindowsMediaPlayer::setVolume(int v) {
    if (!m_player) return;
    m_volume = std::clamp(v, -10000, 0);
    m_player->setVolume(static_cast<int>(std::lround(100.0 * std::pow(10.0, m_volume / 2000.0))));
}

void TWindowsMediaPlayer::setDisplayForeColor(vcl::TColor c) {
    if (m_player) m_foreColor = c;
}
void TWindowsMediaPlayer::setDisplayBackColor(vcl::TColor c) {
    if (m_player) m_backColor = c;
}

// Anything but full screen fits the pictures to the window.
void TWindowsMediaPlayer::setFullScreen(bool v) {
    if (!m_player) return;
    m_displaySize = v ? kDisplayFullScreen : kDisplayFitToWindow;
    m_player->setFullScreen(v);
}

const classes::ClassInfo& TWindowsMediaPlayer::staticClass() {
    using T = TWindowsMediaPlayer;
    static const auto info = [] {
        classes::ClassBuilder<T> b("TWindowsMediaPlayer", vcl::TWinControl::staticClass());
        auto flagProperty = [&b](Flag f) {
            b.property(
                kFlagNames[f], ct::boolean(), [f](const T& p) { return p.flag(f); },
                [f](T& p, bool v) { p.setFlag(f, v); });
        };
        b.property("DisplayForeColor", ct::color(), &T::displayForeColor, &T::setDisplayForeColor)
            .property("DisplayBackColor", ct::color(), &T::displayBackColor, &T::setDisplayBackColor)
            .property("FullScreen", ct::boolean(), &T::fullScreen, &T::setFullScreen);
        flagProperty(ShowCaptioning);
        flagProperty(ShowDisplay);
        b.readOnly("WarningDescription", ct::string(), &T::warningDescription)
            .property("CurrentPosition", ct::doubleFloat(), &T::currentPosition, &T::setCurrentPosition);
        for (Flag f : {ClickToPlay, EnableContextMenu, ShowControls, ShowPositionControls, ShowTracker,
                       EnableFullScreenControls, EnablePositionControls, EnableTracker})
            flagProperty(f);
        b.property("Mute", ct::boolean(), &T::mute, &T::setMute);
        for (Flag f : {ShowStatusBar, ShowGotoBar, AutoStart, AnimationAtStart}) flagProperty(f);
        b.property("DisplayMode", ct::cardinal(), &T::displayMode, &T::setDisplayMode)
            .event("OnStopped", ct::notifyEvent(), &T::onStopped)
            .event("OnPaused", ct::notifyEvent(), &T::onPaused)
            .event("OnClosed", ct::notifyEvent(), &T::onClosed)
            .event("OnMpError", ct::notifyEvent(), &T::onMpError)
            .event("OnDisconnect", ct::notifyEvent(), &T::onDisconnect)
            .event("OnMpWarning", ct::notifyEvent(), &T::onMpWarning)
            .event("OnPlay", ct::notifyEvent(), &T::onPlay);
        b.publicMethod("Procedure Open( FileName : string)", [](T& p, const std::string& f) { p.open(f); })
            .publicMethod("Procedure Play", &T::play)
            .publicMethod("Procedure Pause", &T::pause)
            .publicMethod("Procedure Stop", &T::stop)
            .publicMethod("Function GetCurrentFile : string", &T::currentFile)
            .publicMethod("Procedure AboutBox", [](T&) {})
            .publicMethod("Function Duration : Double", &T::duration)
            .publicMethod("Function CanSeek : boolean", &T::canSeek)
            .publicMethod("Function HasError : boolean", &T::hasError)
            .publicMethod("Function ErrorDescription : string", &T::errorDescription)
            // No automation object exists here: scripts get nil.
            .publicType("IDispatch", "interface end")
            .publicMethod("Function GetInterface : IDispatch",
                          [](T&) -> classes::TObject* { return nullptr; })
            .publicMethod("Procedure Close", &T::close)
            .publicProperty(
                "property FileName : string;", [](T& p) { return p.currentFile(); },
                [](T& p, const std::string& f) { p.open(f); })
            .publicProperty("property Volume : Integer;", &T::volume, &T::setVolume);
        return b.build();
    }();
    return *info;
}

}  // namespace components
