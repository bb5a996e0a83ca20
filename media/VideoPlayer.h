// A player of video files (and of whatever else the toolkit's media layer decodes), for the
// multimedia command layer and the media-player control. The media layer knows no toolkit,
// so the player is an interface and the toolkit side installs a backend that makes them;
// without one, nothing here plays video and callers take their "not installed" path.
//
// Threads: a player is made, used and freed on the main thread (the toolkit's media layer
// delivers its state there). Positions and lengths are in milliseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace media {

class VideoPlayer {
public:
    enum class State { Stopped, Playing, Paused };
    // Window ids come from the window table; these two are not windows.
    static constexpr int32_t kOwnWindow = 0;  // a top-level window of the player's own
    static constexpr int32_t kNoWindow = -1;  // pictures are not shown

    virtual ~VideoPlayer() = default;

    // Opens `path` (a native path) and waits, handling events, until its length is known.
    // False when it cannot be played; errorText() then says why.
    virtual bool load(const std::string& path) = 0;
    // Forgets the medium (state Stopped, length 0).
    virtual void unload() = 0;
    virtual const std::string& fileName() const = 0;

    // Plays from the current position up to `untilMs` (-1: to the end), where it pauses.
    virtual void play(int64_t untilMs = -1) = 0;
    virtual void pause() = 0;
    // Stops where it is; the position stays.
    virtual void stop() = 0;
    virtual State state() const = 0;
    virtual int64_t lengthMs() const = 0;
    virtual int64_t positionMs() const = 0;
    virtual void seek(int64_t ms) = 0;
    virtual bool seekable() const = 0;
    virtual bool hasVideo() const = 0;
    virtual bool hasAudio() const = 0;

    // 0 (silent) .. 100 (full).
    virtual int volume() const = 0;
    virtual void setVolume(int volume) = 0;
    virtual bool muted() const = 0;
    virtual void setMuted(bool muted) = 0;

    // The last failure's text (empty: none).
    virtual std::string errorText() const = 0;

    // Where the pictures go: a window id, kOwnWindow or kNoWindow. False for an id that
    // names no window. An own window shows when playing starts, as the system's does.
    virtual bool setWindow(int32_t windowId) = 0;
    virtual int32_t window() const = 0;
    virtual void showWindow(bool show) = 0;
    virtual void setWindowText(const std::string& ansiText) = 0;
    virtual void setFullScreen(bool fullScreen) = 0;

    // Called on the main thread: every change of state (the end of the medium gives
    // Stopped), and failures while playing.
    std::function<void(State)> onStateChanged;
    std::function<void(const std::string&)> onError;
};

class VideoBackend {
public:
    virtual ~VideoBackend() = default;
    // A new player, or null when none can be made now (no decoder, not the main thread).
    virtual std::unique_ptr<VideoPlayer> create() = 0;
    // Lets players' events run for about `ms` milliseconds (the caller waits for a play to end).
    virtual void idle(int ms) = 0;
};

// The backend in use (null: no video); not owned, it must outlive every player it made.
void setVideoBackend(VideoBackend* backend);
VideoBackend* videoBackend();

}  // namespace media
