// Number and bit helpers: wrap-around arithmetic, the seeded generator and the loud HexToInt.
#include "library/Numbers.h"

#include "base/Error.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

using namespace library;

TEST(Numbers, ParityRomanNumeralsAndChecksums) {
    EXPECT_TRUE(Odd(3));
    EXPECT_TRUE(Odd(-3));
    EXPECT_FALSE(Odd(0));
    EXPECT_FALSE(Odd(INT_MIN));

    EXPECT_EQ(DecToRoman(1994), "MCMXCIV");
    EXPECT_EQ(DecToRoman(3999), "MMMCMXCIX");
    EXPECT_EQ(DecToRoman(4000), "MMMM");
    EXPECT_EQ(DecToRoman(14), "XIV");
    EXPECT_EQ(DecToRoman(0), "");
    EXPECT_EQ(DecToRoman(-5), "");

    EXPECT_EQ(SimpleChecksum("abc"), 1274);
    EXPECT_EQ(SimpleChecksum(""), 0);
    EXPECT_EQ(SimpleChecksum("\xff\xff"), 255 * 3 + 255 * 7);
    EXPECT_EQ(SimpleChecksum(std::string(4000000, '\xff')), static_cast<int32_t>(2000000u * 2550u));

    EXPECT_EQ(Diff(3, 10), 7);
    EXPECT_EQ(Diff(10, 3), 7);
    EXPECT_EQ(Diff(INT_MIN, INT_MAX), -1);  // 2^32 - 1 wraps
}

TEST(Numbers, ExponWrapsAndSquaresLikeRepeatedMultiplication) {
    EXPECT_EQ(Expon(2, 10), 1024);
    EXPECT_EQ(Expon(5, 0), 1);
    EXPECT_EQ(Expon(0, 0), 1);
    EXPECT_EQ(Expon(3, -2), 3);
    EXPECT_EQ(Expon(-3, 3), -27);
    EXPECT_EQ(Expon(2, 31), INT_MIN);
    EXPECT_EQ(Expon(2, 32), 0);
    for (int32_t value : {3, -7, 12345, INT_MAX}) {
        uint32_t slow = static_cast<uint32_t>(value);
        for (int e = 2; e <= 1000; ++e) {
            slow *= static_cast<uint32_t>(value);
            if (e % 97 == 0) {
                ASSERT_EQ(Expon(value, e), static_cast<int32_t>(slow)) << value << "^" << e;
            }
        }
    }
    EXPECT_EQ(Expon(1, INT_MAX), 1);
    EXPECT_EQ(Expon(-1, INT_MAX), -1);
}

TEST(Numbers, HexToIntReadsUpTo32BitsAndRejectsTheRest) {
    EXPECT_EQ(HexToInt("FF"), 255);
    EXPECT_EQ(HexToInt("7fffffff"), INT_MAX);
    EXPECT_EQ(HexToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexToInt("0000000010"), 16);
    for (const char* bad : {"", "xyz", "1G", "100000000", "-1", " 1", "$1F", "0x1F"})
        EXPECT_THROW(HexToInt(bad), base::ScriptError) << bad;
    try {
        HexToInt("zz");
        FAIL();
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(e.what(), "'$zz' is not a valid integer value");
    }
}

TEST(Numbers, Bits) {
    EXPECT_EQ(ExtractBits(0xF0, 4, 4), 15);
    EXPECT_EQ(ExtractBits(0xF0, 4, 0), 0);
    EXPECT_EQ(ExtractBits(0xF0, 36, 4), 15);  // start mod 32
    EXPECT_EQ(ExtractBits(0xF0, 4, 33), 1);   // ((33 - 1) mod 32) + 1 = 1 bit
    EXPECT_EQ(ExtractBits(-1, 0, 32), -1);
    EXPECT_EQ(ExtractBits(INT_MIN, 31, 1), 1);  // unsigned shift, no sign fill
    EXPECT_EQ(ExtractBits(INT_MIN, 28, 8), 8);
    EXPECT_EQ(ExtractBits(0xF0, 4, INT_MIN), 15);  // any count names 1 to 32 bits

    EXPECT_EQ(CountBits(-1), 32);
    EXPECT_EQ(CountBits(0), 0);
    EXPECT_EQ(CountBits(0xF0), 4);

    uint32_t w = 0;
    SetBit(w, 33);
    EXPECT_EQ(w, 2u);
    EXPECT_TRUE(BitIsSet(w, 1));
    EXPECT_TRUE(BitIsSet(w, -31));
    SetBit(w, 31);
    EXPECT_EQ(w, 0x80000002u);
    ResetBit(w, 1);
    EXPECT_EQ(w, 0x80000000u);
    EXPECT_FALSE(BitIsSet(w, 0));
}

TEST(Numbers, RandomStaysInRangeAndRepeatsForASeed) {
    EXPECT_EQ(Random(0), 0);
    EXPECT_EQ(Random(-5), 0);
    EXPECT_EQ(Random(1), 0);

    seedRandom(42);
    std::vector<int32_t> first;
    for (int i = 0; i < 50; ++i) first.push_back(Random(1000));
    seedRandom(42);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Random(1000), first[static_cast<size_t>(i)]);

    std::set<int32_t> seen;
    for (int i = 0; i < 2000; ++i) {
        int32_t r = Random(10);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, 10);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 10u);
    for (int i = 0; i < 1000; ++i) {
        int32_t r = Random(INT_MAX);
        ASSERT_GE(r, 0);
        ASSERT_LT(r, INT_MAX);
    }
}
