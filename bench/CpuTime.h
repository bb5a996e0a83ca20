// The CPU time the benchmarks quote: every thread of the process, user and system.
#pragma once

#include <ctime>

namespace bench {

inline double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace bench
