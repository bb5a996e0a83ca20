// Processor identification: vendor, name, signature and features from the processor's
// identification instruction (the kernel's /proc/cpuinfo where there is none), the clock
// speed measured against the monotonic clock, and each processor's usage from the kernel's
// time counters. No Qt; main thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct ProcessorId {
    std::string vendorSignature;  // "GenuineIntel", "AuthenticAMD"; empty when unknown
    std::string vendorName;       // "Intel", "AMD"; the signature itself when not in our table
    std::string name;             // "Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", spaces trimmed
    uint32_t signature = 0;       // family, model and stepping as the instruction packs them
    uint32_t family = 0;          // with the extended family and model folded in
    uint32_t model = 0;
    uint32_t stepping = 0;
    std::vector<std::string> features;  // "FPU", "TSC", "SSE2", "AVX2", ...
};

// The processor this thread runs on (all processors of a machine carry the same identity).
const ProcessorId& processorId();

// The identity as /proc/cpuinfo's first processor block states it.
ProcessorId parseCpuinfo(std::string_view text);

// "Intel" for "GenuineIntel" and so on; the signature itself when not in the table.
std::string vendorNameOf(std::string_view signature);

// Online processors, at least 1.
int processorCount();

// The clock in MHz: time-stamp counter ticks over `window` of the monotonic clock where the
// counter runs at a constant rate, else the kernel's figure. 0 when nothing tells.
double measureProcessorMHz(std::chrono::milliseconds window = std::chrono::milliseconds(10));
// The first measurement, kept for the rest of the run.
double processorMHz();

// Busy and total time of each processor, in the kernel's ticks.
struct ProcessorTimes {
    uint64_t busy = 0;
    uint64_t total = 0;
};
// The "cpuN" lines of /proc/stat, in order (the summary line left out).
std::vector<ProcessorTimes> parseProcStat(std::string_view text);

// Percent busy of processor `index` (from 0) since the previous reading, at least
// `minWindow` apart; the first reading waits one window. -1 for an index with no counters.
class ProcessorUsage {
public:
    explicit ProcessorUsage(std::chrono::milliseconds minWindow = std::chrono::milliseconds(100))
        : m_window(minWindow) {}
    int percent(size_t index);
    // Computes the figures from two readings (tests feed their own).
    void update(const std::vector<ProcessorTimes>& now);
    const std::vector<int>& figures() const { return m_percent; }

private:
    std::chrono::milliseconds m_window;
    std::chrono::steady_clock::time_point m_at{};
    std::vector<ProcessorTimes> m_previous;
    std::vector<int> m_percent;
    bool m_started = false;
};

}  // namespace platform
