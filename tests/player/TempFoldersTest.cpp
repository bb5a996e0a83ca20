#include "player/TempFolders.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>

#include "base/Error.h"
#include "player/FolderIndex.h"

namespace fs = std::filesystem;

namespace {

class TempFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-temp-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST(UniqueNames, AreBase32CountersWithPrefixAndSuffix) {
    EXPECT_EQ(player::base32Name(0), "00000");
    EXPECT_EQ(player::base32Name(31), "0000V");
    EXPECT_EQ(player::base32Name(32), "00010");
    EXPECT_EQ(player::base32Name(player::kUniqueNameSpace - 1), "VVVVV");
    auto none = [](const fs::path&) { return false; };
    EXPECT_EQ(player::uniqueNameWith("/t", "_al", none, 41), fs::path("/t/zep-0001A_al"));
    // The counter wraps from the last name to the first.
    EXPECT_EQ(player::uniqueNameWith("/t", "", none, player::kUniqueNameSpace - 1), fs::path("/t/zep-00000"));
}

TEST(UniqueNames, SkipTakenNamesAndFailWhenAllAreTaken) {
    std::set<fs::path> taken = {"/t/zep-00002.x", "/t/zep-00003.x"};
    auto exists = [&](const fs::path& p) { return taken.count(p) > 0; };
    EXPECT_EQ(player::uniqueNameWith("/t", ".x", exists, 1, 8), fs::path("/t/zep-00004.x"));
    auto all = [](const fs::path&) { return true; };
    try {
        player::uniqueNameWith("/t/", ".x", all, 5, 8);
        FAIL() << "expected the too-many-files error";
    } catch (const base::Error& e) {
        EXPECT_STREQ(e.what(),
                     "Unable to create a file in the directory \"Z:\\t\" because it contains too many files");
    }
}

TEST_F(TempFoldersTest, AppFolderIsPrivateAndNamedByTheRule) {
    player::TempFolders folders;
    ASSERT_TRUE(folders.createAppFolder(m_dir));
    fs::path app = folders.appFolder();
    EXPECT_EQ(app.parent_path(), m_dir);
    std::string name = app.filename().string();
    EXPECT_EQ(name.size(), 12u);
    EXPECT_EQ(name.substr(0, 4), "zep-");
    EXPECT_EQ(name.substr(9), "_al");
    struct stat st;
    ASSERT_EQ(::stat(app.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    folders.cleanup();
}

TEST_F(TempFoldersTest, CleanupRemovesEverythingInsideAndLeavesLinkTargetsAlone) {
    fs::path outside = m_dir / "precious";
    fs::create_directories(outside);
    std::ofstream(outside / "keep.txt") << "keep";
    player::TempFolders folders;
    ASSERT_TRUE(folders.createAppFolder(m_dir));
    fs::path app = folders.appFolder();
    fs::create_directories(app / "zep-EMBED" / "sub");
    std::ofstream(app / "zep-EMBED" / "sub" / "a.jpg") << "x";
    std::ofstream(app / ".hidden") << "x";
    std::ofstream(app / "readonly.dll") << "x";
    fs::permissions(app / "readonly.dll", fs::perms::owner_read);
    fs::create_directory_symlink(outside, app / "link");
    folders.addTemporaryFile(app / "zep-EMBED");
    folders.cleanup();
    EXPECT_FALSE(fs::exists(app));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    folders.cleanup();  // a second run is harmless
}

TEST_F(TempFoldersTest, SweepRemovesOnlyFoldersOfDeadPlayers) {
    player::TempFolders live;
    ASSERT_TRUE(live.createAppFolder(m_dir));
    // A dead player's folder: lock file present, nobody holds the lock.
    fs::create_directories(m_dir / "zep-0DEAD_al" / "zep-X");
    std::ofstream(m_dir / "zep-0DEAD_al" / ".vantrel.lock") << "";
    // Look-alikes that are not ours to remove.
    fs::create_directories(m_dir / "zep-NOLCK_al");
    fs::create_directories(m_dir / "zep-0dead_al");
    std::ofstream(m_dir / "zep-0dead_al" / ".vantrel.lock") << "";
    fs::create_directories(m_dir / "other");

    EXPECT_EQ(player::TempFolders::removeStaleFolders(m_dir), 1);
    EXPECT_FALSE(fs::exists(m_dir / "zep-0DEAD_al"));
    EXPECT_TRUE(fs::exists(live.appFolder()));
    EXPECT_TRUE(fs::exists(m_dir / "zep-NOLCK_al"));
    EXPECT_TRUE(fs::exists(m_dir / "zep-0dead_al"));
    live.cleanup();
}

TEST_F(TempFoldersTest, TheFirstCandidateThatAllowsItHoldsTheFolder) {
    player::TempFolders folders;
    ASSERT_TRUE(folders.createAppFolder(std::vector<fs::path>{"/proc", m_dir / "missing", m_dir}));
    EXPECT_EQ(folders.appFolder().parent_path(), m_dir);
    EXPECT_EQ(folders.userTemp(), m_dir);
    // Folders made inside are private and named by the rule.
    fs::path embedded = folders.makeFolder("Embedded");
    EXPECT_EQ(embedded.parent_path(), folders.appFolder());
    EXPECT_EQ(embedded.filename().string().substr(9), "Embedded");
    struct stat st;
    ASSERT_EQ(::stat(embedded.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    folders.cleanup();
    // After the cleanup nothing is made again, not even a new application folder.
    EXPECT_FALSE(folders.createAppFolder(m_dir));
    EXPECT_THROW(folders.makeFolder("Embedded"), base::Error);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(TempFoldersTest, WithoutAnyCandidateNothingIsMadeAnywhere) {
    player::TempFolders folders;
    EXPECT_FALSE(folders.createAppFolder(std::vector<fs::path>{"/proc", "/proc/self"}));
    EXPECT_TRUE(folders.appFolder().empty());
    EXPECT_TRUE(folders.userTemp().empty());
    // There is no folder to fall back on: the current folder is never used instead.
    EXPECT_THROW(folders.makeFolder("Embedded"), base::Error);
}

TEST_F(TempFoldersTest, TheFolderIndexFindsNamesInAnyCaseAndLearnsNewOnes) {
    std::ofstream(m_dir / "README.txt") << "a";
    std::ofstream(m_dir / "readme.TXT") << "b";
    std::ofstream(m_dir / "\xd0\x9f\xd1\x80\xd0\xb8.txt") << "c";  // При.txt
    int fd = ::open(m_dir.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    player::FolderIndex index;
    EXPECT_EQ(index.entryName(fd, "readme.TXT"), "readme.TXT");  // exact names win
    EXPECT_EQ(index.entryName(fd, "Readme.Txt"), "README.txt");  // else the first in byte order
    EXPECT_EQ(index.entryName(fd, "\xd0\xbf\xd0\xa0\xd0\x98.TXT"), "\xd0\x9f\xd1\x80\xd0\xb8.txt");
    EXPECT_EQ(index.entryName(fd, "new.txt"), "new.txt");
    // A name created after the folder was read is found by its other spellings.
    std::ofstream(m_dir / "Zeta.dat") << "z";
    index.added(fd, "Zeta.dat");
    EXPECT_EQ(index.entryName(fd, "ZETA.DAT"), "Zeta.dat");
    ::close(fd);
    EXPECT_EQ(player::FolderIndex::fold("A\xc3\x89"
                                        "b"),
              "a\xc3\xa9"
              "b");
}

}  // namespace
