// Project files come from anywhere: the loader must end every input in a message or a
// run, never in a crash, a hang or unbounded memory.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "components/Registration.h"
#include "player/loader/ProjectLoader.h"
#include "runtime/EmbeddedLoad.h"
#include "runtime/TempFolders.h"
#include "vcl/Registration.h"
#include "vcl/WindowHandle.h"

namespace fs = std::filesystem;

namespace {
fs::path g_dir;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // Never torn down: exit handlers run after the engines' thread-local contexts are gone,
    // and the application object's end would touch them.
    static auto* toolkit = new vcl::toolkit::Session(*argc, *argv);
    (void)toolkit;
    vcl::registerVclClasses();
    components::registerComponentClasses();
    g_dir = fs::temp_directory_path() / ("vantrel-fuzz-loader-" + std::to_string(::getpid()));
    fs::create_directories(g_dir);
    runtime::TempFolders::instance().createAppFolder(g_dir);
    std::atexit([] {
        runtime::TempFolders::instance().cleanup();
        std::error_code ec;
        fs::remove_all(g_dir, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path file = g_dir / "input.zep";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    runtime::HiddenEmbeddedLoad progress;
    player::loadProjectFile(file, 0, progress);
    player::freeMainForm();
    // Keep the folders of one input from piling up under the next.
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(runtime::TempFolders::instance().appFolder(), ec)) {
        if (entry.is_directory()) fs::remove_all(entry.path(), ec);
    }
    return 0;
}
