#include "player/Termination.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Dialogs.h"
#include "player/WriteGate.h"

namespace player {
namespace {

struct Steps {
    std::mutex mutex;
    std::vector<std::pair<int, std::function<void()>>> steps;
    bool done = false;
};

Steps& steps() {
    static Steps* s = new Steps;  // survives static destruction for late exits
    return *s;
}

int g_signalPipe[2] = {-1, -1};

void onSignal(int signo) {
    unsigned char b = static_cast<unsigned char>(signo);
    ssize_t n = ::write(g_signalPipe[1], &b, 1);
    (void)n;
}

}  // namespace

void addCleanupStep(int order, std::function<void()> step) {
    Steps& s = steps();
    std::lock_guard lock(s.mutex);
    auto at = std::upper_bound(s.steps.begin(), s.steps.end(), order,
                               [](int o, const auto& entry) { return o < entry.first; });
    s.steps.emplace(at, order, std::move(step));
}

void runCleanup() {
    Steps& s = steps();
    std::lock_guard lock(s.mutex);
    if (s.done) return;
    s.done = true;
    for (auto& [order, step] : s.steps) {
        try {
            step();
        } catch (...) {
            // A failing step must not keep the rest from running.
        }
    }
}

void ExitProcess(int code) {
    static std::atomic<bool> exiting{false};
    if (exiting.exchange(true)) {
        while (true) ::pause();  // the first caller is ending the process
    }
    // A restore still running on another thread stops at its next file before the
    // temporary folders go, so it cannot make them again.
    WriteGate::closeForGood();
    runCleanup();
    platform::dialogs().logExit(code);
    ::_exit(code);
}

void installTerminationSignals() {
    if (g_signalPipe[0] >= 0) return;
    if (::pipe2(g_signalPipe, O_CLOEXEC) != 0) return;
    std::thread([] {
        unsigned char signo = 0;
        while (::read(g_signalPipe[0], &signo, 1) != 1) {
        }
        ExitProcess(128 + signo);
    }).detach();
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signo : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signo, &sa, nullptr);
}

}  // namespace player
