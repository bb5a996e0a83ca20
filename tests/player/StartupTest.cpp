#include "player/Startup.h"

#include <gtest/gtest.h>

#include <fstream>

#include "runtime/AppendedProject.h"
#include "runtime/ProcessState.h"

namespace fs = std::filesystem;

namespace {

TEST(InformationMessage, IsTemplateAWithTheFileNameFourTimes) {
    EXPECT_EQ(
        player::informationMessage("play", false),
        "Vantrel\r\nVersion 2.0.0.38\r\nMade by Tamberlo\r\n\r\n"
        "Run \"play /ABOUT\" to display the about box.\r\n"
        "Run \"play filename.zep\" to open a file.\r\n"
        "Run \"play /?\" to display this message.\r\n\r\n"
        "Run \"play /DFP\" to try download and install Macromedia Flash Player (You must be connected to the "
        "Internet).\r\nIf combined with \"/SILENT\" then no messages will be shown.");
}

TEST(InformationMessage, EmbeddedProjectsAddTemplateB) {
    std::string text = player::informationMessage("cd%n", true);
    const std::string tail = "\r\n\r\nNOTE : This is an embedded project.\r\nRun \"cd%n\" to play.";
    ASSERT_GT(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);  // the name is inserted after expansion
}

class StartupFiles : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-startup-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_exe = m_dir / "player";
        std::ofstream(m_exe) << "ELF";
        runtime::state().setExecutable(m_exe);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
    fs::path m_exe;
};

TEST_F(StartupFiles, ProjectsAreFoundInTheFixedOrder) {
    using runtime::CommandLine;
    std::ofstream(m_dir / "arg.zep") << "TPF0";
    runtime::appendProject(m_exe, m_dir / "arg.zep", m_dir / "player.tmp");
    fs::rename(m_dir / "player.tmp", m_exe);

    // Nothing else: the appended project.
    auto found = player::locateProject(CommandLine({"/SILENT"}), m_exe);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, m_exe);
    EXPECT_EQ(found->offset, 3u);

    // The ".zep" beside the player wins over the appended one.
    std::ofstream(m_dir / "player.zep") << "TPF0";
    found = player::locateProject(CommandLine({(m_dir / "missing.zep").string()}), m_exe);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, m_dir / "player.zep");
    EXPECT_EQ(found->offset, 0u);

    // An existing first argument wins over both, also in Windows form and another case.
    found = player::locateProject(CommandLine({"Z:" + m_dir.string() + "/ARG.ZEP"}), m_exe);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, m_dir / "arg.zep");

    // A folder is no project.
    fs::remove(m_dir / "player.zep");
    fs::create_directory(m_dir / "player.zep");
    found = player::locateProject(CommandLine({m_dir.string()}), m_exe);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->file, m_exe);
}

TEST_F(StartupFiles, NothingFoundWhenTheOpenDialogIsCancelled) {
    // Without an installed dialog service every dialog is cancelled.
    EXPECT_FALSE(player::locateProject(runtime::CommandLine(), m_exe));
}

TEST_F(StartupFiles, LoadingTitleComesFromTheIniFileUnlessEmpty) {
    EXPECT_EQ(player::loadingTitle(), "Vantrel");
    std::ofstream(m_dir / "player.ini") << "[Autorun]\nLoadingText=\n";
    EXPECT_EQ(player::loadingTitle(), "Vantrel");
    std::ofstream(m_dir / "player.ini") << "[autorun]\nloadingtext=Loading the demo\n";
    EXPECT_EQ(player::loadingTitle(), "Loading the demo");
}

}  // namespace
