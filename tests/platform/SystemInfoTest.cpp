#include "platform/SystemInfo.h"

#include <gtest/gtest.h>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

class EnvGuard {
public:
    explicit EnvGuard(const char* name) : m_name(name) {
        if (const char* v = getenv(name)) m_old = v, m_had = true;
    }
    ~EnvGuard() { m_had ? setenv(m_name, m_old.c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::string m_old;
    bool m_had = false;
};

TEST(UserTempFolder, TakesTheFirstVariableNamingAnExistingFolder) {
    EnvGuard tmp("TMP"), temp("TEMP"), tmpdir("TMPDIR");
    fs::path dir = fs::temp_directory_path() / ("vantrel-tmp-" + std::to_string(getpid()));
    fs::create_directories(dir);
    setenv("TMP", "/nonexistent/folder", 1);
    setenv("TEMP", dir.c_str(), 1);
    setenv("TMPDIR", "/", 1);
    EXPECT_EQ(platform::userTempFolder(), dir);
    unsetenv("TMP");
    unsetenv("TEMP");
    unsetenv("TMPDIR");
    EXPECT_EQ(platform::userTempFolder(), fs::path("/tmp"));
    fs::remove(dir);
}

TEST(ShellFolders, FollowTheXdgUserFoldersAndLeaveMeaninglessOnesEmpty) {
    EnvGuard home("HOME"), config("XDG_CONFIG_HOME"), data("XDG_DATA_HOME");
    fs::path dir = fs::temp_directory_path() / ("vantrel-home-" + std::to_string(getpid()));
    fs::create_directories(dir / ".config");
    setenv("HOME", dir.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    {
        FILE* f = fopen((dir / ".config" / "user-dirs.dirs").c_str(), "w");
        fputs("XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\nXDG_DOCUMENTS_DIR=\"/srv/docs\"\n", f);
        fclose(f);
    }
    EXPECT_EQ(platform::shellFolder(platform::ShellFolder::DesktopDirectory), dir / "Schreibtisch");
    EXPECT_EQ(platform::shellFolder(platform::ShellFolder::Personal), fs::path("/srv/docs"));
    EXPECT_EQ(platform::shellFolder(platform::ShellFolder::Templates), dir / "Templates");
    EXPECT_EQ(platform::shellFolder(platform::ShellFolder::Startup), dir / ".config" / "autostart");
    EXPECT_EQ(platform::shellFolder(platform::ShellFolder::Fonts), dir / ".local/share" / "fonts");
    EXPECT_TRUE(platform::shellFolder(platform::ShellFolder::NetHood).empty());
    EXPECT_TRUE(platform::shellFolder(platform::ShellFolder::SendTo).empty());
    EXPECT_TRUE(platform::shellFolder(12345).empty());
    fs::remove_all(dir);
}

TEST(MachineFacts, ComputerNameIsAShortUpperCaseName) {
    std::string name = platform::computerName();
    EXPECT_LE(name.size(), 15u);
    for (char c : name) EXPECT_FALSE(c >= 'a' && c <= 'z');
    EXPECT_FALSE(platform::userName().empty());
    EXPECT_TRUE(platform::executablePath().is_absolute());
}

}  // namespace
