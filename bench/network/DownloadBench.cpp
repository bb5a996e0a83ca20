// `download_bench URL TARGET` downloads URL into TARGET once with DownloadFile, as a script
// would, progress dialog and message pump included (offscreen), and prints the seconds the
// call took; download_ratio.py compares it with curl.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "library/Download.h"
#include "platform/EventPump.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "vcl/Forms.h"
#include "vcl/WindowHandle.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: download_bench URL TARGET\n");
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    platform::setMessagePump([] { vcl::toolkit::processMessages(); });
    const std::string target = platform::windowsPath(argv[2]);
    // A player has its store open and its main form on the screen before a script downloads.
    platform::registry();
    vcl::TForm mainForm(nullptr);
    mainForm.setCaption("Main");
    mainForm.show();
    vcl::toolkit::processMessages();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = library::DownloadFile(argv[1], target);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (!ok) {
        std::fprintf(stderr, "DownloadFile failed\n");
        return 1;
    }
    std::printf("%.6f\n", took.count());
    return 0;
}
