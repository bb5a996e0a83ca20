#include "platform/Profile.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

class ProfileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = fs::temp_directory_path() / ("vantrel-profile-" + std::to_string(::getpid()) + ".ini");
        std::ofstream(m_file, std::ios::binary) << "; comment\r\n"
                                                   "[Other]\r\nLoadingText=wrong\r\n"
                                                   "  [ autorun ]  \r\n"
                                                   "  loadingtext =   \"  Please wait  \"  \r\n"
                                                   "Empty=\r\n"
                                                   "Single='x'\r\n"
                                                   "Unbalanced=\"x'\r\n"
                                                   "DisableSoundSettingsMenuItem=12abc\r\n"
                                                   "Hex=0x1F\r\nNeg=-3\r\nWord=yes\r\n"
                                                   "[Autorun]\r\nLate=ignored\r\n";
    }
    void TearDown() override { fs::remove(m_file); }
    fs::path m_file;
};

TEST_F(ProfileTest, SectionsAndKeysMatchCaseInsensitivelyAndValuesAreTrimmedAndUnquoted) {
    EXPECT_EQ(platform::readProfileString(m_file, "AUTORUN", "LoadingText", "d", 1024), "  Please wait  ");
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "Single", "d", 1024), "x");
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "Unbalanced", "d", 1024), "\"x'");
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "Empty", "d", 1024), "");
}

TEST_F(ProfileTest, MissingKeysGiveTheDefaultAndOnlyTheFirstSectionCounts) {
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "Late", "dflt ", 1024), "dflt");
    EXPECT_EQ(platform::readProfileString(m_file, "Nowhere", "x", "d", 1024), "d");
    EXPECT_EQ(platform::readProfileString("/nonexistent/x.ini", "a", "b", "d", 1024), "d");
}

TEST_F(ProfileTest, ResultsAreCutToTheBuffer) {
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "LoadingText", "", 5), "  Pl");
    EXPECT_EQ(platform::readProfileString(m_file, "Autorun", "LoadingText", "", 0), "");
}

TEST_F(ProfileTest, IntegersTakeTheLeadingNumber) {
    EXPECT_EQ(platform::readProfileInt(m_file, "Autorun", "DisableSoundSettingsMenuItem", 0), 12);
    EXPECT_EQ(platform::readProfileInt(m_file, "Autorun", "Hex", 0), 31);
    EXPECT_EQ(platform::readProfileInt(m_file, "Autorun", "Neg", 0), -3);
    EXPECT_EQ(platform::readProfileInt(m_file, "Autorun", "Word", 7), 0);
    EXPECT_EQ(platform::readProfileInt(m_file, "Autorun", "Missing", 7), 7);
}

}  // namespace
