// The video player over Qt Multimedia: a media player, its audio output and a video sink of
// its own, whose frames a small view paints either inside a window of the form (found
// through the window table) or on a top level of its own. The sink lives as long as the
// player, so a window freed under the pictures never leaves the decoder waiting on a sink
// that is gone. Qt reports the player's state on the main thread; it is followed here so
// "stop" can keep its position and a play range can end where it should.
#include <QAudioOutput>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMediaPlayer>
#include <QPainter>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "components/VideoBackend.h"
#include "media/VideoPlayer.h"
#include "vcl/WindowIds.h"
#include "vcl/qt/QtHandle.h"
#include "vcl/qt/QtText.h"

namespace components {

namespace {

using media::VideoPlayer;

// How long a file may take to be recognised before it counts as unplayable.
constexpr int kLoadTimeoutMs = 10000;

// Keeps the video widget filling the window it was put into.
class FillFilter final : public QObject {
public:
    FillFilter(QWidget* host, QWidget* child) : QObject(child), m_child(child) {
        host->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize && m_child && m_child->parentWidget() == watched)
            m_child->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QPointer<QWidget> m_child;
};

// Paints the latest frame, scaled to fit with its proportions kept, on black.
class VideoView final : public QWidget {
public:
    explicit VideoView(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAutoFillBackground(false);
    }
    void setFrame(QImage image) {
        m_frame = std::move(image);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        if (m_frame.isNull()) return;
        const QSize size = m_frame.size().scaled(this->size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(target, m_frame);
    }

private:
    QImage m_frame;
};

class QtVideoPlayer final : public VideoPlayer {
public:
    QtVideoPlayer() {
        // The "no sound" modes of the audio engine hold for video too.
        const char* mode = std::getenv("VANTREL_AUDIO");
        if (!mode || (std::strcmp(mode, "null") != 0 && std::strcmp(mode, "virtual") != 0)) {
            m_audio = new QAudioOutput(&m_player);
            m_player.setAudioOutput(m_audio);
        }
        QObject::connect(&m_player, &QMediaPlayer::playbackStateChanged, &m_player,
                         [this](QMediaPlayer::PlaybackState s) { playbackChanged(s); });
        QObject::connect(&m_player, &QMediaPlayer::positionChanged, &m_player,
                         [this](qint64 ms) { positionChanged(ms); });
        QObject::connect(&m_player, &QMediaPlayer::errorOccurred, &m_player,
                         [this](QMediaPlayer::Error, const QString& text) { failed(text); });
        QObject::connect(&m_sink, &QVideoSink::videoFrameChanged, &m_player,
                         [this](const QVideoFrame& frame) {
                             if (m_view) m_view->setFrame(frame.toImage());
                         });
        m_player.setVideoSink(&m_sink);
    }
    ~QtVideoPlayer() override {
        onStateChanged = nullptr;
        onError = nullptr;
        m_player.stop();
        m_player.setVideoSink(nullptr);
        delete m_view.data();
    }

    bool available() const { return m_player.isAvailable(); }

    bool load(const std::string& path) override {
        unload();
        m_error.clear();
        m_player.setSource(QUrl::fromLocalFile(QString::fromStdString(path)));
        QElapsedTimer clock;
        clock.start();
        auto settled = [this] {
            const auto s = m_player.mediaStatus();
            return s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia ||
                   s == QMediaPlayer::InvalidMedia || m_player.error() != QMediaPlayer::NoError;
        };
        while (!settled() && clock.elapsed() < kLoadTimeoutMs) wait(10);
        // Some containers tell their length a moment after the medium is loaded.
        while (m_player.duration() <= 0 && m_player.mediaStatus() == QMediaPlayer::LoadedMedia &&
               clock.elapsed() < 500)
            wait(10);
        const auto status = m_player.mediaStatus();
        if (status != QMediaPlayer::LoadedMedia && status != QMediaPlayer::BufferedMedia) {
            if (m_error.empty())
                m_error =
                    m_player.error() != QMediaPlayer::NoError
                        ? m_player.errorString().toStdString()
                        : std::string(clock.elapsed() >= kLoadTimeoutMs ? "The file took too long to open."
                                                                        : "The file cannot be played.");
            m_player.setSource(QUrl());
            return false;
        }
        m_fileName = path;
        return true;
    }

    void unload() override {
        m_until = -1;
        m_atEnd = false;
        m_player.stop();
        m_player.setSource(QUrl());
        m_fileName.clear();
        setState(State::Stopped);
    }
    const std::string& fileName() const override { return m_fileName; }

    void play(int64_t untilMs) override {
        if (m_fileName.empty()) return;
        m_until = untilMs;
        if (m_until >= 0 && m_player.position() >= m_until) return;
        if (m_window == kOwnWindow && m_view && !m_hidden) m_view->show();
        m_atEnd = false;
        setState(State::Playing);
        m_player.play();
    }
    void pause() override {
        if (m_state != State::Playing) return;
        m_player.pause();
        setState(State::Paused);
    }
    void stop() override {
        if (m_state == State::Stopped) return;
        m_player.pause();
        setState(State::Stopped);
    }
    State state() const override { return m_state; }
    int64_t lengthMs() const override { return m_fileName.empty() ? 0 : m_player.duration(); }
    // At the end Qt may still tell the last frame's start; the medium has played to its end.
    int64_t positionMs() const override {
        if (m_fileName.empty()) return 0;
        return m_atEnd ? m_player.duration() : m_player.position();
    }
    void seek(int64_t ms) override {
        if (m_fileName.empty()) return;
        m_atEnd = false;
        m_player.setPosition(ms);
    }
    bool seekable() const override { return m_player.isSeekable(); }
    bool hasVideo() const override { return m_player.hasVideo(); }
    bool hasAudio() const override { return m_player.hasAudio(); }

    int volume() const override { return m_volume; }
    void setVolume(int volume) override {
        m_volume = std::clamp(volume, 0, 100);
        if (m_audio) m_audio->setVolume(static_cast<float>(m_volume) / 100.0f);
    }
    bool muted() const override { return m_muted; }
    void setMuted(bool muted) override {
        m_muted = muted;
        if (m_audio) m_audio->setMuted(muted);
    }
    std::string errorText() const override { return m_error; }

    bool setWindow(int32_t windowId) override {
        QWidget* host = nullptr;
        if (windowId > 0) {
            vcl::TWinControl* control = vcl::windowById(windowId);
            auto* handle = control ? dynamic_cast<vcl::qt::QtHandle*>(&control->handle()) : nullptr;
            if (!handle) return false;
            host = handle->container();
        } else if (windowId != kOwnWindow && windowId != kNoWindow) {
            return false;
        }
        delete m_view.data();
        m_home = nullptr;
        m_window = windowId;
        if (windowId == kNoWindow) return true;
        auto* widget = new VideoView(host);
        m_view = widget;
        if (host) {
            // Clicks and keys belong to the window's control, not to the pictures.
            widget->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget->setFocusPolicy(Qt::NoFocus);
            widget->setGeometry(host->rect());
            new FillFilter(host, widget);
            widget->setVisible(!m_hidden);
        } else {
            widget->resize(320, 240);
            widget->setWindowTitle(vcl::qt::toQString(m_text));
        }
        return true;
    }
    int32_t window() const override { return m_window; }
    void showWindow(bool show) override {
        m_hidden = !show;
        if (m_view) m_view->setVisible(show);
    }
    void setWindowText(const std::string& ansiText) override {
        m_text = ansiText;
        if (m_view && m_window == kOwnWindow) m_view->setWindowTitle(vcl::qt::toQString(ansiText));
    }
    // A view inside a window leaves it for the screen and comes back.
    void setFullScreen(bool fullScreen) override {
        if (!m_view) return;
        if (fullScreen && m_view->parentWidget()) {
            m_home = m_view->parentWidget();
            m_view->setParent(nullptr);
            m_view->showFullScreen();
        } else if (fullScreen) {
            m_view->showFullScreen();
        } else if (m_home) {
            m_view->setParent(m_home);
            m_view->setGeometry(m_home->rect());
            m_view->setVisible(!m_hidden);
        } else {
            m_view->showNormal();
        }
    }

private:
    // While a file opens the user's clicks and keys wait, so no event of the form runs
    // inside an Open it started.
    static void wait(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }

    void setState(State s) {
        if (s == m_state) return;
        m_state = s;
        if (onStateChanged) vcl::qt::runGuarded([&] { onStateChanged(s); });
    }

    void playbackChanged(QMediaPlayer::PlaybackState s) {
        // Our own pause() and stop() set the state before Qt reports it; only the end of
        // the medium (Qt stops by itself) is news.
        if (s != QMediaPlayer::StoppedState || m_state != State::Playing) return;
        m_atEnd = m_player.mediaStatus() == QMediaPlayer::EndOfMedia;
        setState(State::Stopped);
    }

    void positionChanged(qint64 ms) {
        if (m_until < 0 || m_state != State::Playing || ms < m_until) return;
        m_player.pause();
        m_player.setPosition(m_until);
        m_until = -1;
        setState(State::Stopped);
    }

    void failed(const QString& text) {
        m_error = text.toStdString();
        if (m_state == State::Playing) setState(State::Stopped);
        if (onError) vcl::qt::runGuarded([&] { onError(m_error); });
    }

    QVideoSink m_sink;  // before the player, so it outlives the player's use of it
    QMediaPlayer m_player;
    QAudioOutput* m_audio = nullptr;  // owned by the player; null in the "no sound" modes
    QPointer<VideoView> m_view;
    QPointer<QWidget> m_home;  // the window a full-screen view goes back to
    int32_t m_window = kNoWindow;
    bool m_hidden = false;
    std::string m_text;
    std::string m_fileName;
    std::string m_error;
    State m_state = State::Stopped;
    int64_t m_until = -1;
    bool m_atEnd = false;
    int m_volume = 100;
    bool m_muted = false;
};

class QtVideoBackend final : public media::VideoBackend {
public:
    std::unique_ptr<VideoPlayer> create() override {
        if (!QCoreApplication::instance() ||
            QThread::currentThread() != QCoreApplication::instance()->thread())
            return nullptr;
        auto player = std::make_unique<QtVideoPlayer>();
        if (!player->available()) return nullptr;
        return player;
    }
    void idle(int ms) override {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
};

}  // namespace

bool installVideoBackend() {
    // The FFmpeg backend decodes the common containers with the libraries Debian ships;
    // the GStreamer one needs plug-in packages a machine may lack. A choice made outside holds.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) qputenv("QT_MEDIA_BACKEND", "ffmpeg");
    static QtVideoBackend s_backend;
    media::setVideoBackend(&s_backend);
    return true;
}

}  // namespace components
