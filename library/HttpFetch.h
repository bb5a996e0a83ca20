// One HTTP(S) or file: GET on the user-interface thread, inside a nested event loop: the
// body goes to a sink, redirects are followed (never from https to http), a status of 400
// or more is a failure. Implemented with Qt Network in qt/QtHttpFetch.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace library {

struct FetchHooks {
    // Takes the next piece of the body; false stops the transfer (a write failed).
    std::function<bool(std::string_view bytes)> write;
    // Bytes received so far and the total (-1 when the server did not say); a status text.
    std::function<void(int64_t received, int64_t total, const std::string& status)> progress;
    // Asked on every report and a few times a second: true stops the transfer.
    std::function<bool()> cancelled;
};

enum class FetchResult { Ok, Failed, Cancelled };

struct FetchOutcome {
    FetchResult result = FetchResult::Failed;
    int httpStatus = 0;  // the final response's status; 0 when there was none
    std::string error;   // what went wrong, for the log
};

// Uses the proxy of the emulated Internet Settings (readProxyConfig) and no other.
FetchOutcome fetchUrl(const std::string& url, const FetchHooks& hooks);

}  // namespace library
