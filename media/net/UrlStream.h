// Internet streams (http, https, ftp): libcurl downloads on a thread of its own, asking
// for in-band metadata; a second thread decodes the audio with the engine's decoders into
// a buffer of samples, so the engine's read() never waits for the network. A source that
// runs dry reads as late (the channel stalls) until the network time-out passes without a
// byte, which ends the stream.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "media/AudioStream.h"
#include "media/Bass.h"

namespace media {

struct UrlOptions {
    uint64_t offset = 0;           // first byte to ask for
    uint32_t timeoutMs = 5000;     // connecting, and the longest wait for a byte
    uint32_t bufferMs = 5000;      // decoded audio kept ahead of playback
    DownloadProc* proc = nullptr;  // sees every audio byte on the download thread, then (nullptr, 0)
    void* user = nullptr;
};

// Connects and waits (on the calling thread, never longer than the time-out without a byte
// arriving) until the audio format is known. nullptr on failure with `error` set: kErrorFileOpen
// (no connection, refused, HTTP error), kErrorTimeout, kErrorFileForm (not audio), kErrorMem.
//
// Tag blocks: TagKind::Http the header lines of an HTTP answer (status line first),
// TagKind::Icy the "icy-" lines (every line of a Shoutcast "ICY 200 OK" answer), TagKind::Meta
// the latest metadata text; each in the form of joinTagList except Meta, a plain text.
std::unique_ptr<AudioStream> openUrlStream(const std::string& url, const UrlOptions& options, int& error);

// Called about every 20 ms on a thread that waits in openUrlStream, outside every engine
// lock: the player keeps its windows responsive by handling pending events there. The hook
// may call the entry points (also to open other streams). nullptr: none (the default).
using NetWaitHook = void (*)();
void setNetWaitHook(NetWaitHook hook);

// The latest metadata text of an internet stream, or nullopt for other streams. Unlike the
// other members of a stream it may be called from any thread at any time.
std::optional<std::string> liveMetaText(const AudioStream& stream);

}  // namespace media
