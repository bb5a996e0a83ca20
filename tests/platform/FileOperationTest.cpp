// The shell's copy and delete: questions answered by the automation file, progress windows
// and error boxes seen in the dialog log, and what is on disk afterwards.
#include "platform/FileOperation.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileAttributes.h"
#include "tests/support/FakeMountTable.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class FileOperationTest : public ::testing::Test {
protected:
    void SetUp() override { answer(""); }
    void TearDown() override { installDialogs(nullptr); }

    // Dialogs take their answers from `script` (automation steps) and are logged.
    void answer(const std::string& script) {
        fs::remove(m_log);
        installDialogs(std::make_unique<DialogService>(
            std::make_unique<AutomationBackend>(AutomationScript::parse(script)),
            std::make_unique<DialogLog>(m_log.string())));
    }
    std::vector<std::string> log() const {
        std::vector<std::string> lines;
        std::ifstream in(m_log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // Lines holding `piece` (backslashes as the JSON log writes them).
    size_t logged(const std::string& piece) const {
        std::string json;
        for (char c : piece) json += c == '\\' ? std::string("\\\\") : std::string(1, c);
        size_t n = 0;
        for (const auto& line : log()) n += line.find(json) != std::string::npos;
        return n;
    }
    FileOperationResult copy(std::vector<std::string> sources, const std::string& target,
                             uint32_t flags = kFofSilent | kFofNoConfirmMkDir) {
        FileOperation op;
        op.sources = std::move(sources);
        op.target = target;
        op.flags = flags;
        return runFileOperation(op);
    }
    FileOperationResult remove(std::vector<std::string> sources, uint32_t flags = kFofSilent) {
        FileOperation op;
        op.kind = FileOperationKind::Delete;
        op.sources = std::move(sources);
        op.flags = flags;
        return runFileOperation(op);
    }
    // Temporary copies left behind in a folder.
    size_t partFiles(const fs::path& folder) const {
        size_t n = 0;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            n += e.path().filename().string().find(".part") != std::string::npos;
        return n;
    }

    TempTree t{"fileop"};
    fs::path m_log = t.native("dialogs.log");
};

TEST_F(FileOperationTest, OneFileIsCopiedAsTheTargetWithItsModeAndWriteTime) {
    fs::path src = t.write("a.txt", "alpha");
    ::chmod(src.c_str(), 0640);
    timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 0}};
    ::utimensat(AT_FDCWD, src.c_str(), times, 0);

    auto r = copy({t.win("a.txt")}, t.win("new\\deep\\b.txt"));
    ASSERT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_FALSE(r.anyAborted);
    EXPECT_EQ(t.read("new/deep/b.txt"), "alpha");
    struct stat st;
    ASSERT_EQ(::stat(t.native("new/deep/b.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
    EXPECT_EQ(partFiles(t.root()), 0u);
    EXPECT_TRUE(log().empty());  // silent, nothing asked
}

TEST_F(FileOperationTest, SeveralSourcesOrWildcardsGoIntoTheTargetFolder) {
    t.write("a.txt", "a");
    t.write("b.TXT", "b");
    t.write("c.doc", "c");
    auto r = copy({t.win("a.txt"), t.win("c.doc")}, t.win("out"));
    ASSERT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_EQ(t.read("out/a.txt"), "a");
    EXPECT_EQ(t.read("out/c.doc"), "c");

    r = copy({t.win("*.txt")}, t.win("one"));  // one match, still "into"
    ASSERT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_EQ(t.read("one/a.txt"), "a");
    EXPECT_EQ(t.read("one/b.TXT"), "b");
    EXPECT_FALSE(t.exists("one/c.doc"));

    r = copy({t.win("*.none")}, t.win("empty"));
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_FALSE(t.exists("empty"));
}

TEST_F(FileOperationTest, AFolderIsCopiedAsTheTargetThenIntoItOnceItExists) {
    t.write("src/1.txt", "one");
    t.write("src/sub/2.txt", "two");
    fs::create_directories(t.native("src/empty"));
    fs::create_symlink("1.txt", t.native("src/link"));
    ASSERT_EQ(::mkfifo(t.native("src/pipe").c_str(), 0600), 0);

    auto r = copy({t.win("src")}, t.win("copy"));
    ASSERT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_EQ(t.read("copy/1.txt"), "one");
    EXPECT_EQ(t.read("copy/sub/2.txt"), "two");
    EXPECT_TRUE(fs::is_directory(t.native("copy/empty")));
    ASSERT_TRUE(fs::is_symlink(t.native("copy/link")));
    EXPECT_EQ(fs::read_symlink(t.native("copy/link")), fs::path("1.txt"));
    EXPECT_FALSE(t.exists("copy/pipe"));  // reading a pipe would wait for ever

    r = copy({t.win("src")}, t.win("copy"));
    ASSERT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_EQ(t.read("copy/src/sub/2.txt"), "two");
}

TEST_F(FileOperationTest, AsksBeforeReplacingAndNoKeepsTheFile) {
    t.write("src/a.txt", "new a");
    t.write("src/b.txt", "new b");
    t.write("dst/a.txt", "old a");
    t.write("dst/b.txt", "old b");
    answer("answer Yes\nanswer No\n");
    auto r = copy({t.win("src\\*.*")}, t.win("dst"), kFofSilent | kFofNoConfirmMkDir);
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_TRUE(r.anyAborted);
    EXPECT_EQ(t.read("dst/a.txt"), "new a");
    EXPECT_EQ(t.read("dst/b.txt"), "old b");
    auto lines = log();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("\"caption\":\"Confirm File Replace\""), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("already contains a file named 'a.txt'"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("\"buttons\":[\"Yes\",\"Yes to All\",\"No\",\"Cancel\"]"), std::string::npos);
    EXPECT_NE(lines[1].find("\"answer\":\"No\""), std::string::npos);
}

TEST_F(FileOperationTest, AFolderMergingIntoOneOfItsNameIsAskedAboutFirst) {
    t.write("src/pics/a.txt", "new a");
    t.write("src/pics/b.txt", "new b");
    t.write("dst/pics/a.txt", "old a");
    answer("answer No\n");
    auto r = copy({t.win("src\\pics")}, t.win("dst"));
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_TRUE(r.anyAborted);
    EXPECT_FALSE(t.exists("dst/pics/b.txt"));
    EXPECT_EQ(logged("\"caption\":\"Confirm Folder Replace\""), 1u);
    EXPECT_EQ(logged("already contains a folder named 'pics'"), 1u);

    // Yes to the folder, then the file it would replace is asked about on its own.
    answer("answer Yes\nanswer No\n");
    r = copy({t.win("src\\pics")}, t.win("dst"));
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_EQ(t.read("dst/pics/a.txt"), "old a");
    EXPECT_EQ(t.read("dst/pics/b.txt"), "new b");
    EXPECT_EQ(logged("Confirm File Replace"), 1u);

    // Yes to All answers the files as well; Cancel stops everything.
    answer("answer Yes to All\n");
    EXPECT_EQ(copy({t.win("src\\pics")}, t.win("dst")).status, FileOperationStatus::Done);
    EXPECT_EQ(t.read("dst/pics/a.txt"), "new a");
    EXPECT_EQ(logged("Confirm File Replace"), 0u);
    answer("answer Cancel\n");
    EXPECT_EQ(copy({t.win("src\\pics")}, t.win("dst")).status, FileOperationStatus::Aborted);
}

TEST_F(FileOperationTest, YesToAllOrTheFlagStopsTheQuestions) {
    for (const char* n : {"a", "b", "c"}) {
        t.write(std::string("src/") + n, std::string("new ") + n);
        t.write(std::string("dst/") + n, "old");
    }
    answer("answer Yes to All\n");
    auto r = copy({t.win("src\\*")}, t.win("dst"));
    ASSERT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_FALSE(r.anyAborted);
    EXPECT_EQ(t.read("dst/c"), "new c");
    EXPECT_EQ(logged("Confirm File Replace"), 1u);

    t.write("src/a", "newer a");
    answer("");
    r = copy({t.win("src\\a")}, t.win("dst"), kFofSilent | kFofNoConfirmation);
    ASSERT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_EQ(t.read("dst/a"), "newer a");
    EXPECT_TRUE(log().empty());
}

TEST_F(FileOperationTest, CancelStopsTheCopyWhereItIs) {
    t.write("src/a", "new a");
    t.write("src/b", "new b");
    t.write("src/c", "new c");
    t.write("dst/b", "old b");
    answer("answer Cancel\n");
    auto r = copy({t.win("src\\*")}, t.win("dst"));
    EXPECT_EQ(r.status, FileOperationStatus::Aborted);
    EXPECT_TRUE(r.anyAborted);
    EXPECT_EQ(t.read("dst/a"), "new a");  // done before the question
    EXPECT_EQ(t.read("dst/b"), "old b");
    EXPECT_FALSE(t.exists("dst/c"));
    EXPECT_EQ(partFiles(t.root()), 0u);

    // A question nobody answers is cancelled too.
    answer("");
    EXPECT_EQ(copy({t.win("src\\*")}, t.win("dst")).status, FileOperationStatus::Aborted);
}

// A progress window whose person presses Cancel at once.
class CancellingBackend final : public DialogBackend {
public:
    DialogAnswer ask(const DialogRequest& r) override { return escapeAnswer(r); }
    std::unique_ptr<ProgressWindow> progress(const DialogRequest&) override {
        struct Window final : ProgressWindow {
            bool step(std::string_view, double) override { return false; }
        };
        return std::make_unique<Window>();
    }
};

TEST_F(FileOperationTest, AStoppedCopyLeavesNoHalfFileUnderTheTargetName) {
    fs::path big = t.native("big.bin");
    { std::ofstream(big) << "start"; }
    fs::resize_file(big, 130 << 20);  // sparse, so the test stays quick; more than one copy call
    t.write("dst/big.bin", "the old one");
    installDialogs(std::make_unique<DialogService>(std::make_unique<CancellingBackend>(), nullptr));
    auto r = copy({t.win("big.bin")}, t.win("dst"), kFofNoConfirmation);
    EXPECT_EQ(r.status, FileOperationStatus::Aborted);
    EXPECT_EQ(t.read("dst/big.bin"), "the old one");
    EXPECT_EQ(partFiles(t.root()), 0u);
}

TEST_F(FileOperationTest, AsksBeforeCreatingAFolderUnlessTold) {
    t.write("a.txt", "a");
    answer("answer No\n");
    auto r = copy({t.win("a.txt")}, t.win("made\\a.txt"), kFofSilent);
    EXPECT_EQ(r.status, FileOperationStatus::Aborted);
    EXPECT_FALSE(t.exists("made"));
    EXPECT_EQ(logged("The folder '" + t.win("made") + "' does not exist."), 1u);

    answer("answer Yes\n");
    r = copy({t.win("a.txt")}, t.win("made\\a.txt"), kFofSilent);
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_EQ(t.read("made/a.txt"), "a");
}

TEST_F(FileOperationTest, RefusesToCopyOntoItselfOrIntoItsOwnSubfolder) {
    t.write("a.txt", "keep me");
    auto r = copy({t.win("a.txt")}, t.win("A.TXT"), kFofSilent | kFofNoConfirmation);
    EXPECT_EQ(r.status, FileOperationStatus::Failed);
    EXPECT_NE(r.error.find("The source and destination file names are the same."), std::string::npos);
    EXPECT_EQ(t.read("a.txt"), "keep me");
    EXPECT_EQ(logged("\"caption\":\"Error Copying File or Folder\""), 1u);

    t.write("tree/x", "x");
    r = copy({t.win("tree")}, t.win("tree\\inner"), kFofSilent | kFofNoConfirmMkDir | kFofNoErrorUi);
    EXPECT_EQ(r.status, FileOperationStatus::Failed);
    EXPECT_NE(r.error.find("subfolder of the source folder"), std::string::npos) << r.error;
    EXPECT_FALSE(t.exists("tree/inner"));
    EXPECT_EQ(logged("Error Copying"), 1u);  // no second box: no error UI asked

    r = copy({t.win("missing.txt")}, t.win("out"), kFofSilent | kFofNoErrorUi);
    EXPECT_EQ(r.status, FileOperationStatus::Failed);
    EXPECT_EQ(r.error,
              "Cannot copy " + t.win("missing.txt") + ": The system cannot find the file specified.");
}

TEST_F(FileOperationTest, UnreadableSourcesFailWithoutLeavingAnything) {
    SKIP_IF_ROOT();
    fs::path src = t.write("secret", "s");
    ::chmod(src.c_str(), 0);
    auto r = copy({t.win("secret")}, t.win("out\\secret"), kFofSilent | kFofNoConfirmMkDir | kFofNoErrorUi);
    EXPECT_EQ(r.status, FileOperationStatus::Failed);
    EXPECT_NE(r.error.find("Access is denied."), std::string::npos) << r.error;
    EXPECT_FALSE(t.exists("out/secret"));
}

// A progress window that notes every fraction; each step outlasts the window's update interval,
// so every piece of work reaches it.
class RecordingBackend final : public DialogBackend {
public:
    explicit RecordingBackend(std::vector<double>& fractions) : m_fractions(fractions) {}
    DialogAnswer ask(const DialogRequest& r) override { return escapeAnswer(r); }
    std::unique_ptr<ProgressWindow> progress(const DialogRequest&) override {
        struct Window final : ProgressWindow {
            explicit Window(std::vector<double>& f) : fractions(f) {}
            bool step(std::string_view, double fraction) override {
                fractions.push_back(fraction);
                std::this_thread::sleep_for(std::chrono::milliseconds(105));
                return true;
            }
            std::vector<double>& fractions;
        };
        return std::make_unique<Window>(m_fractions);
    }

private:
    std::vector<double>& m_fractions;
};

TEST_F(FileOperationTest, ProgressMovesThroughASingleFolderToTheEnd) {
    for (int i = 0; i < 6; ++i) t.write("src/f" + std::to_string(i), std::string(1000 * (i + 1), 'x'));
    std::vector<double> fractions;
    installDialogs(std::make_unique<DialogService>(std::make_unique<RecordingBackend>(fractions), nullptr));
    ASSERT_EQ(copy({t.win("src")}, t.win("dst"), kFofNoConfirmMkDir).status, FileOperationStatus::Done);
    ASSERT_GE(fractions.size(), 6u);
    EXPECT_GT(fractions.front(), 0.0);
    EXPECT_LT(fractions.front(), 0.5);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_DOUBLE_EQ(fractions.back(), 1.0);

    fractions.clear();
    ASSERT_EQ(remove({t.win("dst")}, kFofNoConfirmation).status, FileOperationStatus::Done);
    ASSERT_GE(fractions.size(), 6u);
    EXPECT_LT(fractions.front(), 0.5);
    EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
    EXPECT_DOUBLE_EQ(fractions.back(), 1.0);
}

TEST_F(FileOperationTest, ProgressWindowsAreLoggedUnlessSilent) {
    t.write("a.txt", "a");
    copy({t.win("a.txt")}, t.win("b.txt"), kFofNoConfirmMkDir);
    EXPECT_EQ(logged("{\"kind\":\"progress\",\"caption\":\"Copying...\""), 1u);
    answer("");
    copy({t.win("a.txt")}, t.win("c.txt"), kFofNoConfirmMkDir | kFofSimpleProgress);
    EXPECT_EQ(logged("Copying..."), 1u);
    answer("");
    FileOperation op;
    op.sources = {t.win("a.txt")};
    op.target = t.win("d.txt");
    op.flags = kFofSimpleProgress;
    op.progressTitle = "Installing the show";
    runFileOperation(op);
    EXPECT_EQ(logged("{\"kind\":\"progress\",\"caption\":\"Installing the show\""), 1u);
    answer("");
    copy({t.win("a.txt")}, t.win("e.txt"), kFofSilent);
    EXPECT_TRUE(log().empty());
}

TEST_F(FileOperationTest, AttributesTravelWithTheFile) {
    fs::path src = t.write("a.txt", "a");
    try {
        setFileAttributes(src, kAttrHidden | kAttrArchive);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no extended attributes here: " << e.what();
    }
    ASSERT_EQ(copy({t.win("a.txt")}, t.win("b.txt")).status, FileOperationStatus::Done);
    EXPECT_EQ(fileAttributes(t.native("b.txt")), uint32_t(kAttrHidden | kAttrArchive));
}

TEST_F(FileOperationTest, DeletesAfterTheQuestionAndNoKeepsEverything) {
    t.write("tree/a", "a");
    t.write("tree/sub/b", "b");
    t.write("one.txt", "1");
    answer("answer No\n");
    auto r = remove({t.win("tree")}, 0);
    EXPECT_EQ(r.status, FileOperationStatus::Aborted);
    EXPECT_TRUE(t.exists("tree/sub/b"));
    EXPECT_EQ(logged("Are you sure you want to remove the folder 'tree' and all its contents?"), 1u);

    answer("answer Yes\n");
    r = remove({t.win("tree"), t.win("one.txt")}, kFofSilent);
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_FALSE(t.exists("tree"));
    EXPECT_FALSE(t.exists("one.txt"));
    EXPECT_EQ(logged("Are you sure you want to delete these 2 items?"), 1u);

    t.write("x.tmp", "");
    t.write("y.tmp", "");
    t.write("z.txt", "");
    r = remove({t.win("*.TMP")}, kFofSilent | kFofNoConfirmation);
    EXPECT_EQ(r.status, FileOperationStatus::Done);
    EXPECT_FALSE(t.exists("x.tmp"));
    EXPECT_TRUE(t.exists("z.txt"));
}

TEST_F(FileOperationTest, DeleteNeverFollowsALink) {
    t.write("outside/precious", "p");
    t.write("tree/file", "f");
    fs::create_directory_symlink(t.native("outside"), t.native("tree/link"));
    fs::create_directory_symlink(t.native("outside"), t.native("toplink"));
    ASSERT_EQ(remove({t.win("tree"), t.win("toplink")}, kFofSilent | kFofNoConfirmation).status,
              FileOperationStatus::Done);
    EXPECT_FALSE(t.exists("tree"));
    EXPECT_FALSE(t.exists("toplink"));
    EXPECT_EQ(t.read("outside/precious"), "p");
}

TEST_F(FileOperationTest, ReadOnlyFoldersAreEmptiedAsOnWindows) {
    SKIP_IF_ROOT();
    t.write("tree/locked/a", "a");
    ::chmod(t.native("tree/locked").c_str(), 0555);
    ::chmod(t.native("tree").c_str(), 0555);
    auto r = remove({t.win("tree")}, kFofSilent | kFofNoConfirmation | kFofNoErrorUi);
    EXPECT_EQ(r.status, FileOperationStatus::Done) << r.error;
    EXPECT_FALSE(t.exists("tree"));
}

TEST_F(FileOperationTest, MissingSourcesAreErrors) {
    auto r = remove({t.win("nothing")}, kFofSilent | kFofNoConfirmation);
    EXPECT_EQ(r.status, FileOperationStatus::Failed);
    EXPECT_EQ(logged("\"caption\":\"Error Deleting File or Folder\""), 1u);
}

// Roots, mount points and the home folder, all staged inside the test's folder: HOME points
// into it, a fake mount table mounts one of its folders and a drive letter maps another, so a
// fault here can only ever delete the test's own files.
class DeleteGuardTest : public FileOperationTest {
protected:
    void SetUp() override {
        FileOperationTest::SetUp();
        const char* home = std::getenv("HOME");
        if (home) m_oldHome = home;
        t.write("users/me/notes.txt", "n");
        t.write("users/me/old.tmp", "o");
        t.write("mnt/disk/file", "d");
        t.write("drive/file", "d");
        ::setenv("HOME", t.native("users/me").c_str(), 1);
        auto mounts = std::make_unique<FakeMountTable>();
        mounts->add("/", "ext4", "/dev/vda").add(t.native("mnt/disk"), "ext4", "/dev/sdb1");
        setMountTable(std::move(mounts));
        drives().map('Y', t.native("drive"));
    }
    void TearDown() override {
        drives().unmap('Y');
        setMountTable(nullptr);
        if (m_oldHome.empty()) {
            ::unsetenv("HOME");
        } else {
            ::setenv("HOME", m_oldHome.c_str(), 1);
        }
        FileOperationTest::TearDown();
    }
    std::string m_oldHome;
};

TEST_F(DeleteGuardTest, RefusesRootsMountsAndHomeAndDeletesNothing) {
    for (const std::string& source :
         {t.win("users\\me"), t.win("users"), t.win("mnt\\disk"), std::string("Y:\\"), std::string("y:"),
          t.win("users\\me\\*.*"), t.win("mnt\\disk\\*"), std::string("Y:\\*.*"), t.win("users\\ME\\.")}) {
        answer("");
        auto r = remove({t.win("drive\\file"), source}, kFofSilent | kFofNoConfirmation);
        EXPECT_EQ(r.status, FileOperationStatus::Failed) << source;
        EXPECT_NE(r.error.find("it is the root of a drive, a mount point or the home folder"),
                  std::string::npos)
            << r.error;
        EXPECT_EQ(logged("\"caption\":\"Error Deleting File or Folder\""), 1u) << source;
    }
    EXPECT_TRUE(t.exists("users/me/notes.txt"));
    EXPECT_TRUE(t.exists("mnt/disk/file"));
    EXPECT_TRUE(t.exists("drive/file"));

    // A narrower pattern in the home folder is an ordinary delete.
    EXPECT_EQ(remove({t.win("users\\me\\*.tmp")}, kFofSilent | kFofNoConfirmation).status,
              FileOperationStatus::Done);
    EXPECT_FALSE(t.exists("users/me/old.tmp"));
    EXPECT_TRUE(t.exists("users/me/notes.txt"));
}

TEST_F(DeleteGuardTest, TheRootAndTheRealMountsAreProtected) {
    EXPECT_TRUE(deletionRefused("/"));
    EXPECT_TRUE(deletionRefused(t.native("mnt/disk")));
    EXPECT_TRUE(deletionRefused(t.native("users/me/")));
    EXPECT_TRUE(deletionRefused(t.native("users/me/..")));
    EXPECT_TRUE(deletionRefused(t.native("drive")));
    EXPECT_FALSE(deletionRefused(t.native("users/me/notes.txt")));
    EXPECT_FALSE(deletionRefused(t.native("mnt")));
    setMountTable(nullptr);
    EXPECT_TRUE(deletionRefused("/proc"));
    EXPECT_TRUE(deletionRefused(systemDriveRoot()));
}

}  // namespace
