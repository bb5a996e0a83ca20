// Enhanced metafiles: whole files, or bare records after a valid header record.
#include "MetafileFuzzer.h"

#include "base/LittleEndian.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    metafile_fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    if (input.size() >= 44 && input[0] == 1 && input.compare(40, 4, " EMF") == 0) {
        metafile_fuzz::play(input);
        return 0;
    }
    // Bounds and frame of a 100-pixel square on a device of 4 pixels per millimetre.
    std::string file;
    for (int v : {1, 88, 0, 0, 99, 99, 0, 0, 2499, 2499}) base::appendLE32(file, uint32_t(v));
    file += " EMF";
    for (int v : {0x10000, 0, 0, 16, 0, 0, 0, 1000, 1000, 250, 250}) base::appendLE32(file, uint32_t(v));
    metafile_fuzz::play(file + input);
    return 0;
}
