// ZIP archives come from wherever a script finds them: any bytes must extract or fail
// cleanly, decoders must stop at the declared size, and nothing may be written outside the
// target folder. The first byte picks the mode: even, the rest is an archive; odd, the rest
// is one entry's compressed data for the method and flags its bits choose.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "library/Unzipper.h"
#include "library/ZipMethods.h"

namespace fs = std::filesystem;
using namespace library::zip;

namespace {

void decodeOnly(const uint8_t* data, size_t size) {
    if (size < 3) return;
    const uint16_t methods[] = {0, 1, 6, 8};
    const uint16_t method = methods[(data[0] >> 1) & 3];
    const auto flags = static_cast<uint16_t>(data[0] & 0x30 ? 6 : 2);
    const uint64_t declared = (uint64_t{data[1]} << 8 | data[2]) * 16;
    size_t pos = 3, written = 0;
    const ReadFn in = [&](uint8_t* b, size_t cap) {
        const size_t n = std::min(cap, size - pos);
        std::copy_n(data + pos, n, b);
        pos += n;
        return n;
    };
    const WriteFn out = [&](const uint8_t*, size_t n) {
        written += n;
        if (written > declared) std::abort();  // more than the entry declared
    };
    switch (method) {
    case 0: copyStored(in, out, declared); break;
    case 1: unshrink(in, out, declared); break;
    case 6: explode(in, out, declared, flags); break;
    default: inflateRaw(in, out, declared); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        decodeOnly(data, size);
        return 0;
    }
    static const fs::path root =
        fs::temp_directory_path() / ("vantrel-fuzz-zip-" + std::to_string(::getpid()));
    const fs::path target = root / "target";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(target, ec);
    const fs::path archive = root / "in.zip";
    std::ofstream(archive, std::ios::binary)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));

    Unzipper engine;
    engine.archive = archive;
    engine.target = target;
    engine.onReplace = [](const Entry&, const fs::path&) { return true; };
    engine.extract();

    for (const auto& entry : fs::directory_iterator(root, ec))
        if (entry.path() != target && entry.path() != archive) std::abort();  // escaped the target
    return 0;
}
