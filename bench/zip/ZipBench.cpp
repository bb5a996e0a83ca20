// `zip_bench ARCHIVE TARGET` extracts ARCHIVE into TARGET once with UnzipFile, as a script
// would, progress dialog and message pump included (offscreen), and prints the routine's own
// "routine WALL CPU" seconds; zip_ratio.py times it.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "bench/CpuTime.h"
#include "library/Zip.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "vcl/WindowHandle.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zip_bench ARCHIVE TARGET\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::setMessagePump([] { vcl::toolkit::processMessages(); });
    // The routine is timed apart from the process: a script calls it in a player that has
    // long finished starting, so Qt's own start-up is not its cost.
    const double cpuBefore = bench::cpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    const int32_t rc = library::UnzipFile(platform::windowsPath(argv[1]), platform::windowsPath(argv[2]), "");
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    std::printf("routine %.6f %.6f\n", wall, bench::cpuSeconds() - cpuBefore);
    if (rc != 0) std::fprintf(stderr, "UnzipFile: %d\n", rc);
    return rc == 0 ? 0 : 1;
}
