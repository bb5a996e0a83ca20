#include "media/VideoPlayer.h"

#include <atomic>

namespace media {

namespace {
std::atomic<VideoBackend*> s_backend{nullptr};
}  // namespace

void setVideoBackend(VideoBackend* backend) { s_backend = backend; }
VideoBackend* videoBackend() { return s_backend; }

}  // namespace media
