// Watching a descriptor from the event loop: a socket to another program whose messages
// are handled between the user's events.
#pragma once

#include <functional>
#include <memory>

namespace vcl::toolkit {

// Calls `onReadable` on the main thread, from the event loop (nested loops included),
// whenever `fd` has bytes to read or its peer has gone, until stop() or the watch's end.
// `fd` must stay open meanwhile; an exception from `onReadable` ends only that call.
class ReadWatch {
public:
    virtual ~ReadWatch() = default;
    // Safe inside `onReadable` itself.
    virtual void stop() = 0;
};

std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable);

}  // namespace vcl::toolkit
