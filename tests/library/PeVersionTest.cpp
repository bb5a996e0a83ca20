// The version reader on built images, their truncations and damaged fields.
#include "library/PeVersion.h"

#include <gtest/gtest.h>

#include "tests/support/PeImage.h"

using library::peFileVersion;

namespace {

TEST(PeVersionTest, ReadsPe32AndPe32Plus) {
    testdata::PeVersionFields fields;
    auto v = peFileVersion(testdata::peImage(fields));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text(), "1.2.3.4");
    fields = {65535, 0, 7, 65535, true, false};
    v = peFileVersion(testdata::peImage(fields));
    ASSERT_TRUE(v);
    EXPECT_EQ(v->text(), "65535.0.7.65535");
}

TEST(PeVersionTest, EveryTruncationIsRejectedWithoutReadingPastTheEnd) {
    const std::string image = testdata::peImage();
    // The fixed file information ends 92 bytes into the block that closes the resource data.
    for (size_t n = 0; n < image.size(); ++n) {
        auto v = peFileVersion(std::string_view(image).substr(0, n));
        if (v) {
            EXPECT_EQ(v->text(), "1.2.3.4") << n;
        }
    }
    EXPECT_FALSE(peFileVersion(std::string_view(image).substr(0, 0x200 + 0x40)));
}

TEST(PeVersionTest, DamagedFieldsGiveNothing) {
    const std::string good = testdata::peImage();
    auto damaged = [&](size_t at, uint64_t value, int bytes) {
        std::string s = good;
        testdata::putLE(s, at, value, bytes);
        return peFileVersion(s);
    };
    EXPECT_FALSE(damaged(0, 0x4D5A, 2));                     // "ZM"
    EXPECT_FALSE(damaged(0x3C, 0xFFFFFFF0u, 4));             // PE header beyond the file
    EXPECT_FALSE(damaged(0x84 + 2, 0, 2));                   // no sections
    EXPECT_FALSE(damaged(0x84 + 2, 5000, 2));                // absurd section count
    EXPECT_FALSE(damaged(0x84 + 16, 8, 2));                  // optional header too small for the directory
    EXPECT_FALSE(damaged(0x98, 0x107, 2));                   // unknown optional-header magic
    EXPECT_FALSE(damaged(0x98 + 92, 2, 4));                  // no resource directory entry
    EXPECT_FALSE(damaged(0x98 + 96 + 16, 0x9000, 4));        // resource RVA outside every section
    EXPECT_FALSE(damaged(0x200 + 16 + 8, 17, 4));            // no version type
    EXPECT_FALSE(damaged(0x200 + 16 + 12, 0x40, 4));         // version type is not a directory
    EXPECT_FALSE(damaged(0x200 + 16 + 12, 0x800FFFF0u, 4));  // its directory beyond the file
    EXPECT_FALSE(damaged(0x200 + 0x50 + 4, 0x100000, 4));    // data larger than the section
    EXPECT_FALSE(damaged(0x200 + 0x50, 0x10, 4));            // data outside every section
}

TEST(PeVersionTest, TheVersionBlockMustBeWhatItSays) {
    const std::string good = testdata::peImage();
    const size_t info = 0x200 + 0x60;  // VS_VERSIONINFO inside the section
    auto damaged = [&](size_t at, uint64_t value, int bytes) {
        std::string s = good;
        testdata::putLE(s, at, value, bytes);
        return peFileVersion(s);
    };
    ASSERT_TRUE(damaged(info + 44, 0, 4));            // the structure version is not checked
    EXPECT_FALSE(damaged(info + 40, 0xFEEF04BE, 4));  // signature
    EXPECT_FALSE(damaged(info + 6, 'X', 2));          // key
    EXPECT_FALSE(damaged(info + 2, 10, 2));           // value too short for the fixed information
    EXPECT_FALSE(damaged(info, 20, 2));               // block shorter than its parts
}

}  // namespace
