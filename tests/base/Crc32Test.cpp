#include "base/Crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include "tests/support/TestData.h"

namespace {

TEST(Crc32, KnownValue) { EXPECT_EQ(base::crc32("123456789", 9), 0xCBF43926u); }

TEST(Crc32, AgreesWithZlibForEveryLengthAlignmentAndStartValue) {
    const std::string data = testdata::noise(4096 + 64, 99);
    for (size_t offset : {0u, 1u, 3u, 8u, 15u}) {
        for (size_t size = 0; size <= 1100; size += (size < 200 ? 1 : 37)) {
            const auto* p = reinterpret_cast<const Bytef*>(data.data() + offset);
            for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u}) {
                uint32_t expected =
                    ~static_cast<uint32_t>(crc32(~start & 0xFFFFFFFFu, p, static_cast<uInt>(size)));
                ASSERT_EQ(base::crc32Update(start, p, size), expected)
                    << offset << " " << size << " " << start;
            }
        }
    }
}

TEST(Crc32, PiecesGiveTheSameResultAsTheWhole) {
    const std::string data = testdata::noise(100000, 5);
    uint32_t whole = base::crc32Update(0xFFFFFFFFu, data.data(), data.size());
    uint32_t pieces = 0xFFFFFFFFu;
    for (size_t pos = 0, step = 1; pos < data.size(); pos += step, step = step * 3 % 4099 + 1) {
        size_t n = std::min(step, data.size() - pos);
        pieces = base::crc32Update(pieces, data.data() + pos, n);
    }
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(~whole, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                  static_cast<uInt>(data.size()))));
}

}  // namespace
