// The code page table against the C library's own converter, byte by byte.
#include "tools/Cp1251.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace tools {
namespace {

QString systemCp1251(unsigned char byte) {
    iconv_t converter = iconv_open("UTF-8", "CP1251");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPointer = in;
    char* outPointer = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1)) {
        return QString(QChar(0xFFFD));
    }
    return QString::fromUtf8(out, outPointer - out);
}

TEST(Cp1251, EveryByteMatchesTheSystemConverter) {
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(fromCp1251(std::string_view(&c, 1)), systemCp1251(static_cast<unsigned char>(byte)))
            << "byte " << byte;
    }
}

TEST(Cp1251, KeepsLengthAndEmbeddedNulls) {
    using namespace std::string_view_literals;
    EXPECT_EQ(fromCp1251("\xcc\0\xe8"sv), QString::fromUtf8("М\0и", 5));
    EXPECT_TRUE(fromCp1251("").isEmpty());
}

}  // namespace
}  // namespace tools
