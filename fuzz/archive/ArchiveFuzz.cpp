// Archives come from project files: any bytes must restore or fail cleanly, and nothing
// may be written outside the target folder.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "runtime/Archive.h"
#include "runtime/ArchiveInput.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path root =
        fs::temp_directory_path() / ("vantrel-fuzz-archive-" + std::to_string(::getpid()));
    const fs::path target = root / "target";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(target, ec);

    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    runtime::TBackupFile backup;
    backup.OnError = [](runtime::TBackupFile&, int, const std::string&) {};
    backup.OnCRCError = [](runtime::TBackupFile&, int32_t, int32_t, const std::string&) {};
    backup.setRestoreFullPath(size > 0 && (data[0] & 1));
    runtime::MemoryArchiveInput input(bytes);
    backup.RestoreFromStream(input, target.string());
    // A second archive may follow the first.
    backup.RestoreFromStream(input, target.string());

    for (const auto& entry : fs::directory_iterator(root, ec)) {
        if (entry.path() != target) std::abort();  // something escaped the target folder
    }
    return 0;
}
