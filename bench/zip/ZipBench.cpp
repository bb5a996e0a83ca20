// `zip_bench ARCHIVE TARGET` extracts ARCHIVE into TARGET once with UnzipFile, as a script
// would, progress dialog and message pump included (offscreen); zip_ratio.py times it.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

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
    const int32_t rc = library::UnzipFile(platform::windowsPath(argv[1]), platform::windowsPath(argv[2]), "");
    if (rc != 0) std::fprintf(stderr, "UnzipFile: %d\n", rc);
    return rc == 0 ? 0 : 1;
}
