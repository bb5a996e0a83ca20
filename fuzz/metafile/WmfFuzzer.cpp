// Windows metafiles: placeable or plain files, or bare records after a placeable header.
#include "MetafileFuzzer.h"

#include "base/LittleEndian.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    metafile_fuzz::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const bool enhanced = input.size() >= 44 && input.compare(40, 4, " EMF") == 0;
    if (pictures::looksLikeMetafile(input) && !enhanced) {
        metafile_fuzz::play(input);
        return 0;
    }
    // A placeable header for a 100-unit box at 96 units per inch, then the metafile header.
    std::string file;
    base::appendLE32(file, 0x9AC6CDD7u);
    for (int v : {0, 0, 0, 100, 100, 96}) base::appendLE16(file, uint16_t(v));
    base::appendLE32(file, 0);
    base::appendLE16(file, 0);
    for (int v : {1, 9, 0x0300}) base::appendLE16(file, uint16_t(v));
    base::appendLE32(file, uint32_t(9 + size / 2));
    base::appendLE16(file, 16);
    base::appendLE32(file, 0);
    base::appendLE16(file, 0);
    metafile_fuzz::play(file + input);
    return 0;
}
