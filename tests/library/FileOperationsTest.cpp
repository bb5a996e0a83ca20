// The copy and delete routines as scripts call them: ";"-separated sources, results 0, -1 and
// 1, and CopyDirectory's flags turned into questions, progress windows and error boxes.
#include "library/FileOperations.h"

#include <gtest/gtest.h>

#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "tests/support/AnsweredDialogs.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace library;

namespace {

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override { answer(""); }
    void TearDown() override { platform::installDialogs(nullptr); }
    void answer(const std::string& script) const { m_dialogs.answer(script); }
    size_t logged(const std::string& piece) const { return m_dialogs.count(piece); }
    TempTree t{"fileops"};
    AnsweredDialogs m_dialogs{t.native("dialogs.log")};
};

TEST_F(FileOperationsTest, TwoSourcesCopiedWithoutAsking) {
    t.write("a.txt", "a");
    t.write("b.txt", "b");
    t.write("x/a.txt", "old");
    EXPECT_EQ(copyFilesAndOrDirs(t.win("a.txt") + ";" + t.win("b.txt") + ";", t.win("x"), "", 0, true), 0);
    EXPECT_EQ(t.read("x/a.txt"), "a");
    EXPECT_EQ(t.read("x/b.txt"), "b");
    EXPECT_EQ(logged("Confirm"), 0u);
    EXPECT_EQ(logged("{\"kind\":\"progress\",\"caption\":\"Copying...\""), 1u);
}

TEST_F(FileOperationsTest, ResultsForAbortAndFailure) {
    t.write("a.txt", "a");
    t.write("x/a.txt", "old");
    answer("answer Cancel\n");
    EXPECT_EQ(copyFilesAndOrDirs(t.win("a.txt"), t.win("x"), "Copying the show", 0, false), -1);
    EXPECT_EQ(t.read("x/a.txt"), "old");
    EXPECT_EQ(logged("\"caption\":\"Copying the show\""), 1u);
    answer("");
    EXPECT_EQ(copyFilesAndOrDirs(t.win("missing"), t.win("x"), "", 0, true), 1);
    EXPECT_EQ(logged("Error Copying File or Folder"), 1u);

    answer("answer No\n");
    EXPECT_EQ(deleteFilesAndOrDirs(t.win("x"), "ignored", "", 0, false), -1);
    EXPECT_TRUE(t.exists("x/a.txt"));
    answer("answer Yes\n");
    EXPECT_EQ(deleteFilesAndOrDirs(t.win("x") + ";" + t.win("a.txt"), "", "", 0, false), 0);
    EXPECT_FALSE(t.exists("x"));
    EXPECT_FALSE(t.exists("a.txt"));
    EXPECT_EQ(deleteFilesAndOrDirs(t.win("a.txt"), "", "", 0, true), 1);
}

TEST_F(FileOperationsTest, CopyDirectoryFlags) {
    t.write("show/a.txt", "new");
    t.write("show/b.txt", "new");
    t.write("dest/show/a.txt", "old");
    t.write("dest/show/b.txt", "old");
    bool cancelled = false;
    // GUI with the simple window, confirmations on: the person merges into the folder of the
    // same name, keeps a.txt and replaces b.txt.
    answer("answer Yes\nanswer No\nanswer Yes\n");
    EXPECT_TRUE(copyDirectory(t.win("show"), t.win("dest"), true, true, true, false, true, cancelled));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(t.read("dest/show/a.txt"), "old");
    EXPECT_EQ(t.read("dest/show/b.txt"), "new");
    EXPECT_EQ(logged("\"kind\":\"progress\""), 1u);
    EXPECT_EQ(logged("Confirm Folder Replace"), 1u);

    // GUI without the simple window is silent; no confirmations; the copy goes as "again".
    answer("");
    EXPECT_TRUE(
        copyDirectory(t.win("show"), t.win("dest\\again"), true, false, false, false, true, cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(t.read("dest/again/a.txt"), "new");
    EXPECT_EQ(logged("\"kind\":\"progress\""), 0u);

    // Folder creation asked when MkDirConfirmation (without confirmations everything is
    // answered "Yes to All"); No stops it.
    answer("answer No\n");
    EXPECT_FALSE(copyDirectory(t.win("show"), t.win("new\\deep"), false, false, true, true, true, cancelled));
    EXPECT_TRUE(cancelled);
    EXPECT_FALSE(t.exists("new"));
    EXPECT_EQ(logged("Confirm Folder Create"), 1u);

    // No error box without ErrorGUI.
    answer("");
    EXPECT_FALSE(copyDirectory(t.win("missing"), t.win("dest"), true, false, false, false, false, cancelled));
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(logged("Error"), 0u);
}

}  // namespace
