// Minimal Windows executables (PE32 or PE32+, one ".rsrc" section) with a version resource,
// built byte by byte for the version reader's tests and fuzz seeds.
#pragma once

#include <cstdint>
#include <string>

namespace testdata {

struct PeVersionFields {
    uint16_t major = 1, minor = 2, release = 3, build = 4;
    bool pe32plus = false;
    bool withIcons = true;  // an icon type before the version type in the resource root
};

inline void putLE(std::string& s, size_t at, uint64_t v, int bytes) {
    if (s.size() < at + bytes) s.resize(at + bytes, '\0');
    for (int i = 0; i < bytes; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline std::string peImage(const PeVersionFields& fields = {}) {
    std::string f(0x200, '\0');
    f[0] = 'M';
    f[1] = 'Z';
    putLE(f, 0x3C, 0x80, 4);
    putLE(f, 0x80, 0x00004550, 4);  // "PE\0\0"
    const size_t coff = 0x84;
    const uint16_t optionalSize = fields.pe32plus ? 240 : 224;
    putLE(f, coff + 0, fields.pe32plus ? 0x8664 : 0x14C, 2);
    putLE(f, coff + 2, 1, 2);  // one section
    putLE(f, coff + 16, optionalSize, 2);
    putLE(f, coff + 18, 0x2102, 2);
    const size_t opt = coff + 20;
    putLE(f, opt, fields.pe32plus ? 0x20B : 0x10B, 2);
    const size_t dirs = opt + (fields.pe32plus ? 112 : 96);
    putLE(f, dirs - 4, 16, 4);  // NumberOfRvaAndSizes

    // The resource section at file offset 0x200, RVA 0x1000.
    std::string r;
    const uint32_t rva = 0x1000;
    size_t root = 0;
    const unsigned rootEntries = fields.withIcons ? 2 : 1;
    putLE(r, root + 14, rootEntries, 2);
    size_t entry = 16;
    size_t nameDir = 16 + 8 * rootEntries;
    if (fields.withIcons) {  // type 3 (icons), pointing at the same name directory: never chosen
        putLE(r, entry, 3, 4);
        putLE(r, entry + 4, 0x80000000u | nameDir, 4);
        entry += 8;
    }
    putLE(r, entry, 16, 4);  // RT_VERSION
    putLE(r, entry + 4, 0x80000000u | nameDir, 4);
    const size_t langDir = nameDir + 24;
    putLE(r, nameDir + 14, 1, 2);
    putLE(r, nameDir + 16, 1, 4);
    putLE(r, nameDir + 20, 0x80000000u | langDir, 4);
    const size_t dataEntry = langDir + 24;
    putLE(r, langDir + 14, 1, 2);
    putLE(r, langDir + 16, 0x409, 4);
    putLE(r, langDir + 20, dataEntry, 4);
    const size_t info = dataEntry + 16;
    putLE(r, dataEntry, rva + info, 4);
    putLE(r, dataEntry + 4, 92, 4);
    putLE(r, info, 92, 2);      // wLength
    putLE(r, info + 2, 52, 2);  // wValueLength
    const char16_t key[] = u"VS_VERSION_INFO";
    for (size_t i = 0; i < 16; ++i) putLE(r, info + 6 + 2 * i, key[i], 2);
    putLE(r, info + 40, 0xFEEF04BD, 4);
    putLE(r, info + 44, 0x00010000, 4);
    putLE(r, info + 48, (uint32_t(fields.major) << 16) | fields.minor, 4);
    putLE(r, info + 52, (uint32_t(fields.release) << 16) | fields.build, 4);
    putLE(r, info + 91, 0, 1);
    const uint32_t rawSize = static_cast<uint32_t>((r.size() + 0x1FF) & ~size_t(0x1FF));
    r.resize(rawSize, '\0');

    putLE(f, dirs + 2 * 8, rva, 4);
    putLE(f, dirs + 2 * 8 + 4, r.size(), 4);
    const size_t section = opt + optionalSize;
    f.replace(section, 5, ".rsrc");
    putLE(f, section + 8, r.size(), 4);
    putLE(f, section + 12, rva, 4);
    putLE(f, section + 16, rawSize, 4);
    putLE(f, section + 20, 0x200, 4);
    f.resize(0x200, '\0');
    return f + r;
}

}  // namespace testdata
