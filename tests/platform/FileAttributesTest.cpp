#include "platform/FileAttributes.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "base/Error.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace platform;

namespace {

class FileAttributesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_tree.write("plain.txt", "x");
        if (!supportsUserAttributes(m_tree.root()))
            m_noXattr = "the file system of " + m_tree.root().string() + " keeps no user extended attributes";
    }
    TempTree m_tree{"attrs"};
    fs::path m_file;
    std::string m_noXattr;
};

TEST_F(FileAttributesTest, ModeTypeAndDotNames) {
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrNormal));
    EXPECT_EQ(fileAttributes(m_tree.root()), uint32_t(kAttrDirectory));
    EXPECT_EQ(fileAttributes(m_tree.write(".hidden", "")), uint32_t(kAttrHidden));
    fs::create_directories(m_tree.native(".config"));
    EXPECT_EQ(fileAttributes(m_tree.native(".config/")), uint32_t(kAttrHidden | kAttrDirectory));
    ::chmod(m_file.c_str(), 0444);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrReadOnly));
    // Any write bit makes a file writable for somebody.
    ::chmod(m_file.c_str(), 0464);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrNormal));
    EXPECT_FALSE(fileAttributes(m_tree.native("missing")));
}

TEST_F(FileAttributesTest, SetsExactlyTheChosenCombination) {
    if (!m_noXattr.empty()) GTEST_SKIP() << m_noXattr;
    setFileAttributes(m_file, kAttrHidden | kAttrSystem | kAttrArchive | kAttrReadOnly);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrHidden | kAttrSystem | kAttrArchive | kAttrReadOnly));
    EXPECT_EQ(fs::status(m_file).permissions() & fs::perms::owner_write, fs::perms::none);
    // Clearing read-only first lets the extended attribute be rewritten.
    setFileAttributes(m_file, kAttrArchive);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrArchive));
    setFileAttributes(m_file, 0);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrNormal));
    // The directory bit is the file type's, not something to set.
    setFileAttributes(m_tree.root(), kAttrSystem);
    EXPECT_EQ(fileAttributes(m_tree.root()), uint32_t(kAttrSystem | kAttrDirectory));
}

TEST_F(FileAttributesTest, ADotNameCannotLoseHidden) {
    fs::path dot = m_tree.write(".rc", "");
    EXPECT_THROW(setFileAttributes(dot, 0), base::PlatformError);
    EXPECT_TRUE(*fileAttributes(dot) & kAttrHidden);
    EXPECT_THROW(setFileAttributes(m_tree.native("missing"), 0), base::PlatformError);
}

TEST_F(FileAttributesTest, WithoutExtendedAttributesSettingThemFailsAndSaysSo) {
    // procfs keeps no user extended attributes.
    const fs::path procFile = "/proc/self/comm";
    ASSERT_FALSE(supportsUserAttributes(procFile));
    try {
        setFileAttributes(procFile, kAttrHidden);
        FAIL() << "hidden was set on procfs";
    } catch (const base::PlatformError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot keep the hidden, system and archive attributes"),
                  std::string::npos)
            << e.what();
    }
    // Plain mode changes need no extended attributes.
    setFileAttributes(m_file, kAttrReadOnly);
    EXPECT_EQ(fileAttributes(m_file), uint32_t(kAttrReadOnly));
}

TEST_F(FileAttributesTest, TimesReadWithoutOpeningAndWriteBack) {
    ::chmod(m_file.c_str(), 0);  // not even readable
    auto times = fileTimes(m_file);
    ASSERT_TRUE(times);
    if (!times->hasBirthTime) {
        EXPECT_EQ(times->creation.tv_sec, times->lastWrite.tv_sec);
    }
    timespec access{1000000000, 250000000}, write{1200000000, 0};
    ASSERT_TRUE(setFileTimes(m_file, access, write));
    times = fileTimes(m_file);
    EXPECT_EQ(times->lastAccess.tv_sec, 1000000000);
    EXPECT_EQ(times->lastAccess.tv_nsec, 250000000);
    EXPECT_EQ(times->lastWrite.tv_sec, 1200000000);
    EXPECT_TRUE(fileTimes(m_tree.root()));
    EXPECT_FALSE(fileTimes(m_tree.native("missing")));
    EXPECT_FALSE(setFileTimes(m_tree.native("missing"), access, write));
}

TEST_F(FileAttributesTest, CompressionFlagWhereTheFileSystemHasIt) {
    auto state = isCompressed(m_file);
    if (!state) GTEST_SKIP() << "the file system of " << m_file << " has no inode flags";
    EXPECT_FALSE(*state);
    if (!setCompressed(m_file, true))
        GTEST_SKIP() << "the file system of " << m_file << " refuses compression";
    EXPECT_EQ(isCompressed(m_file), true);
    EXPECT_TRUE(setCompressed(m_file, false));
    EXPECT_EQ(isCompressed(m_file), false);
}

TEST(FileAttributesTmpfs, CompressionIsRefusedWhereTheFlagDoesNotExist) {
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
    fs::path f = "/dev/shm/vantrel-compress-" + std::to_string(::getpid());
    std::ofstream(f) << "x";
    auto state = isCompressed(f);
    bool set = setCompressed(f, true);
    fs::remove(f);
    if (state.value_or(false)) GTEST_SKIP() << "tmpfs here keeps the compression flag";
    EXPECT_FALSE(set);
}

// A child process takes a lock of the given kind and holds it until told to stop.
class LockHolder {
public:
    enum Kind { Flock, Posix, Ofd };
    LockHolder(const fs::path& file, Kind kind) {
        int ready[2], stop[2];
        if (::pipe(ready) != 0 || ::pipe(stop) != 0) return;
        m_pid = ::fork();
        if (m_pid == 0) {
            // The write end stays open only in the parent, so closing it there is the signal.
            ::close(stop[1]);
            ::close(ready[0]);
            int fd = ::open(file.c_str(), O_RDWR);
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            bool ok = kind == Flock   ? ::flock(fd, LOCK_EX) == 0
                      : kind == Posix ? ::fcntl(fd, F_SETLK, &fl) == 0
                                      : ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
            char c = ok ? '1' : '0';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(stop[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        (void)!::read(ready[0], &c, 1);
        m_locked = c == '1';
        m_stop = stop[1];
        ::close(ready[0]);
        ::close(ready[1]);
        ::close(stop[0]);
    }
    ~LockHolder() {
        if (m_pid <= 0) return;
        ::close(m_stop);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    bool locked() const { return m_locked; }

private:
    pid_t m_pid = -1;
    int m_stop = -1;
    bool m_locked = false;
};

TEST_F(FileAttributesTest, InUseWhileAnotherProcessHoldsAnyKindOfLock) {
    EXPECT_FALSE(fileInUse(m_file));
    for (auto kind : {LockHolder::Flock, LockHolder::Posix, LockHolder::Ofd}) {
        {
            LockHolder holder(m_file, kind);
            ASSERT_TRUE(holder.locked());
            EXPECT_TRUE(fileInUse(m_file)) << "lock kind " << kind;
            EXPECT_FALSE(fileInUse(m_tree.write("other.txt", "y"))) << "lock kind " << kind;
        }
        EXPECT_FALSE(fileInUse(m_file)) << "after the holder ended, kind " << kind;
    }
    EXPECT_FALSE(fileInUse(m_tree.native("missing")));
}

TEST_F(FileAttributesTest, InUseWhileThisProcessWritesIt) {
    int fd = ::open(m_file.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    {
        WriterRegistration writing(fd);
        EXPECT_TRUE(fileInUse(m_file));
        { WriterRegistration again(fd); }
        EXPECT_TRUE(fileInUse(m_file));  // still one writer
    }
    EXPECT_FALSE(fileInUse(m_file));
    ::close(fd);
}

TEST_F(FileAttributesTest, UnreadableFilesCountAsInUse) {
    SKIP_IF_ROOT();
    ::chmod(m_file.c_str(), 0200);
    EXPECT_TRUE(fileInUse(m_file));
}

}  // namespace
