#include "base/ByteReader.h"

#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/Error.h"

namespace {

struct Short : std::exception {
    size_t at, needed;
    Short(size_t a, size_t n) : at(a), needed(n) {}
};

[[noreturn]] void throwShort(const base::ByteReader& r, size_t needed) { throw Short(r.position(), needed); }

TEST(ByteReader, ReadsLittleEndianValuesInOrder) {
    const std::string data(
        "\x01\xfe\xff\x78\x56\x34\x12\x03"
        "abc\x05"
        "xy",
        14);
    base::ByteReader r(data);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.s16(), -2);
    EXPECT_EQ(r.le32(), 0x12345678u);
    EXPECT_EQ(r.shortString(), "abc");
    EXPECT_EQ(r.peek(), 5);
    EXPECT_EQ(r.position(), 11u);
    EXPECT_EQ(r.remaining(), 3u);
    r.seek(12);
    EXPECT_EQ(r.rest(), "xy");
    EXPECT_TRUE(r.atEnd());
}

TEST(ByteReader, AShortReadConsumesNothingAndReportsWhatItNeeded) {
    const std::string data(
        "\x06"
        "abc"
        "\x01\x02",
        6);
    base::ByteReader r(data, 0, throwShort);
    try {
        r.shortString();  // six bytes announced, five there
        FAIL() << "no shortfall";
    } catch (const Short& s) {
        EXPECT_EQ(s.at, 0u);
        EXPECT_EQ(s.needed, 7u);
    }
    EXPECT_EQ(r.position(), 0u);
    r.skip(4);
    EXPECT_THROW(r.le32(), Short);
    EXPECT_EQ(r.position(), 4u);
    EXPECT_EQ(r.le16(), 0x0201);
    EXPECT_THROW(r.peek(), Short);
    EXPECT_THROW(r.seek(7), Short);
    // Without a handler the reader throws the stream error; lengths near the top of the
    // range cannot wrap around the bounds check.
    base::ByteReader plain(data, 3);
    EXPECT_THROW(plain.take(SIZE_MAX), base::StreamError);
    EXPECT_THROW(plain.skip(SIZE_MAX - 1), base::StreamError);
    EXPECT_EQ(plain.position(), 3u);
    EXPECT_EQ(base::ByteReader(data, 99).position(), data.size());
}

TEST(Utf8, FirstInvalidByteIsFound) {
    EXPECT_EQ(base::firstInvalidUtf8("plain \xd0\x9f\xd1\x80\xe2\x82\xac\xf0\x9f\x98\x80"),
              std::string::npos);
    EXPECT_EQ(base::firstInvalidUtf8("ab\xe9z"), 2u);                      // a Latin-1 byte
    EXPECT_EQ(base::firstInvalidUtf8("\xc0\xaf"), 0u);                     // overlong '/'
    EXPECT_EQ(base::firstInvalidUtf8("x\xed\xa0\x80"), 1u);                // a surrogate
    EXPECT_EQ(base::firstInvalidUtf8("\xf4\x90\x80\x80"), 0u);             // above U+10FFFF
    EXPECT_EQ(base::firstInvalidUtf8("ok\xe2\x82"), 2u);                   // cut short
    EXPECT_EQ(base::firstInvalidUtf8("\xef\xbf\xbd"), std::string::npos);  // U+FFFD itself
}

}  // namespace
