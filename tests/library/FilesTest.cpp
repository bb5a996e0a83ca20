// The file routines as plain C++: path strings, existence, listings, reading and writing,
// attributes, time stamps, compression, unique names and versions, on temporary folders.
#include "library/Files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <regex>

#include "PinnedSettings.h"
#include "base/Error.h"
#include "classes/Streams.h"
#include "classes/TStrings.h"
#include "platform/FileAttributes.h"
#include "platform/SystemInfo.h"
#include "tests/support/PeImage.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace library;

namespace {

std::vector<std::string> items(const classes::TStrings& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.get(i));
    return out;
}

// Runs a test body in a chosen time zone.
class TimeZone {
public:
    explicit TimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZone() {
        if (m_old.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", m_old.c_str(), 1);
        }
        ::tzset();
    }

private:
    std::string m_old;
};

TEST(FilePathStrings, FolderDriveNameAndExtension) {
    EXPECT_EQ(extractFileDir("C:\\a\\b.txt"), "C:\\a");
    EXPECT_EQ(extractFileDir("C:\\b.txt"), "C:\\");
    EXPECT_EQ(extractFileDir("C:\\"), "C:\\");
    EXPECT_EQ(extractFileDir("C:b.txt"), "C:");
    EXPECT_EQ(extractFileDir("b.txt"), "");
    EXPECT_EQ(extractFileDir("a/b/c.txt"), "a/b");
    EXPECT_EQ(extractFileDir("\\\\srv\\share\\x"), "\\\\srv\\share");

    EXPECT_EQ(extractFileDrive("C:\\x"), "C:");
    EXPECT_EQ(extractFileDrive("\\\\server\\share\\x\\y"), "\\\\server\\share");
    EXPECT_EQ(extractFileDrive("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(extractFileDrive("\\\\server"), "\\\\server");
    EXPECT_EQ(extractFileDrive("\\\\"), "\\\\");
    EXPECT_EQ(extractFileDrive("x\\y"), "");

    EXPECT_EQ(extractFileExt("c.tar.gz"), ".gz");
    EXPECT_EQ(extractFileExt("C:\\x.y\\z"), "");
    EXPECT_EQ(extractFileExt("noext"), "");
    EXPECT_EQ(extractFileName("C:\\a\\b.txt"), "b.txt");
    EXPECT_EQ(extractFileName("C:b.txt"), "b.txt");
    EXPECT_EQ(extractFileName("C:\\a\\"), "");
    EXPECT_EQ(changeFileExt("a.txt", ".bak"), "a.bak");
    EXPECT_EQ(changeFileExt("a", ".bak"), "a.bak");
    EXPECT_EQ(changeFileExt("d.x\\a", ".y"), "d.x\\a.y");
    EXPECT_EQ(changeFileExt("a.txt", ""), "a");
}

TEST(FilePathStrings, BackslashesAndDriveLetters) {
    EXPECT_EQ(addBackslash(""), "");
    EXPECT_EQ(addBackslash("C:"), "C:\\");
    EXPECT_EQ(addBackslash("C:\\"), "C:\\");
    EXPECT_EQ(addBackslash("x/"), "x/");
    EXPECT_EQ(removeBackslash("C:\\"), "C:");
    EXPECT_EQ(removeBackslash("C:\\x\\\\"), "C:\\x\\");
    EXPECT_EQ(removeBackslashUnlessRoot("C:\\"), "C:\\");
    EXPECT_EQ(removeBackslashUnlessRoot("C:\\x\\"), "C:\\x");
    EXPECT_EQ(removeBackslashUnlessRoot("\\"), "\\");
    EXPECT_EQ(extractDriveFromPath("C:\\x"), "C");
    EXPECT_EQ(extractDriveFromPath(""), "");
    EXPECT_EQ(extractDriveLetter("D:\\x"), 'D');
    EXPECT_EQ(extractDriveLetter("x"), '\0');
    EXPECT_EQ(extractDriveLetter(""), '\0');
}

TEST(FilePathStrings, PureNameAndExtensionOfNamesWithAndWithoutDots) {
    EXPECT_EQ(extractPureFilename("C:\\a.b\\file.txt"), "C:\\a.b\\file");
    EXPECT_EQ(extractPureFilename("C:\\a.b\\file"), "C:\\a");  // the whole path string counts
    EXPECT_EQ(extractFileExtension("x.tar.gz"), "gz");
    // A name without a dot is all name and no extension.
    EXPECT_EQ(extractPureFilename("README"), "README");
    EXPECT_EQ(extractFileExtension("README"), "");
    EXPECT_EQ(extractFileExtension(""), "");
}

// In Shift-JIS the second byte of "\x95\x5C" is 0x5C, the byte of a backslash.
class DoubleBytePaths : public PinnedSettings {
protected:
    void SetUp() override {
        PinnedSettings::SetUp();
        pin([](platform::RegionalSettings& s) { s.codePage = 932; });
    }
};

TEST_F(DoubleBytePaths, TrailBytesAreNoBackslashes) {
    const std::string hyo = "\x95\x5C";
    EXPECT_EQ(addBackslash("C:\\" + hyo), "C:\\" + hyo + "\\");
    EXPECT_EQ(addBackslash("C:\\" + hyo + "\\"), "C:\\" + hyo + "\\");
    EXPECT_EQ(removeBackslash("C:\\" + hyo), "C:\\" + hyo);
    EXPECT_EQ(removeBackslashUnlessRoot("C:\\" + hyo), "C:\\" + hyo);
    EXPECT_EQ(removeBackslashUnlessRoot("C:\\" + hyo + "\\"), "C:\\" + hyo);
    EXPECT_EQ(extractFileName("C:\\d\\" + hyo + "x.txt"), hyo + "x.txt");
    EXPECT_EQ(extractFileDir("C:\\d\\" + hyo + "x.txt"), "C:\\d");
    EXPECT_EQ(extractFileDir("C:\\" + hyo + "\\x.txt"), "C:\\" + hyo);
    EXPECT_EQ(extractFileExt("C:\\a.b\\" + hyo), "");
    EXPECT_EQ(changeFileExt("C:\\a.b\\" + hyo, ".txt"), "C:\\a.b\\" + hyo + ".txt");
    // A lead byte at the very end has no trail byte to take.
    EXPECT_EQ(addBackslash("C:\\x\x95"), "C:\\x\x95\\");
}

TEST_F(PinnedSettings, SingleByteCodePagesKeepEveryBackslash) {
    EXPECT_EQ(removeBackslash("C:\\\x95\\"), "C:\\\x95");
    EXPECT_EQ(extractFileName("C:\\\x95\\x"), "x");
}

TEST(FilePathStrings, SystemFolders) {
    EXPECT_EQ(getShortName("C:\\Program Files\\x.txt"), "C:\\Program Files\\x.txt");
    EXPECT_EQ(getWinDir(), "C:\\WINDOWS");
    EXPECT_EQ(getSystemDir(), "C:\\WINDOWS\\system32");
    TempTree t("tempdir");
    const char* old = std::getenv("TMP");
    std::string saved = old ? old : "";
    ::setenv("TMP", t.root().c_str(), 1);
    EXPECT_EQ(getTempDir(), t.win() + "\\");
    if (old) {
        ::setenv("TMP", saved.c_str(), 1);
    } else {
        ::unsetenv("TMP");
    }
}

class FilesTest : public ::testing::Test {
protected:
    TempTree t{"files"};
};

TEST_F(FilesTest, ExistenceOfFilesAndFolders) {
    t.write("Dir/File.txt", "x");
    EXPECT_TRUE(fileExists(t.win("dir\\FILE.TXT")));
    EXPECT_FALSE(fileExists(t.win("Dir")));
    EXPECT_TRUE(dirExists(t.win("DIR")));
    EXPECT_TRUE(dirExists(t.win("Dir\\")));
    EXPECT_FALSE(dirExists(t.win("Dir\\File.txt")));
    EXPECT_TRUE(newFileExists(t.win("Dir\\File.txt")));
    EXPECT_FALSE(newFileExists(t.win("Dir")));
    EXPECT_TRUE(fileOrDirExists(t.win("Dir")));
    EXPECT_TRUE(fileOrDirExists(t.win("Dir\\File.txt")));
    EXPECT_FALSE(fileOrDirExists(t.win("nothing")));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists("Q:\\unmapped.txt"));
    EXPECT_TRUE(dirExists("Z:\\"));
}

TEST_F(FilesTest, AttributesReadAndSet) {
    fs::path f = t.write("a.txt", "a");
    EXPECT_TRUE(hasAttr(t.win("missing"), 0));
    EXPECT_FALSE(hasAttr(t.win("missing"), platform::kAttrReadOnly));
    EXPECT_TRUE(hasAttr(t.win(), platform::kAttrDirectory));
    EXPECT_TRUE(fileAttrib(t.win("a.txt"), false, false, true, false));
    EXPECT_TRUE(hasAttr(t.win("a.txt"), platform::kAttrReadOnly));
    EXPECT_TRUE(fileAttrib(t.win("a.txt"), false, false, false, false));
    EXPECT_FALSE(hasAttr(t.win("a.txt"), platform::kAttrReadOnly));
    EXPECT_FALSE(fileAttrib(t.win("missing"), false, false, false, false));
    // No extended attributes on procfs: hidden cannot be kept there.
    EXPECT_FALSE(fileAttrib("Z:\\proc\\self\\comm", false, true, false, false));
    if (!platform::supportsUserAttributes(f)) GTEST_SKIP() << "no user extended attributes under " << f;
    EXPECT_TRUE(fileAttrib(t.win("a.txt"), true, true, false, true));
    EXPECT_TRUE(
        hasAttr(t.win("a.txt"), platform::kAttrArchive | platform::kAttrHidden | platform::kAttrSystem));
    EXPECT_FALSE(hasAttr(t.win("a.txt"), platform::kAttrReadOnly | platform::kAttrHidden));
}

class ListingTest : public FilesTest {
protected:
    void SetUp() override {
        t.write("a.txt", "12");
        t.write("B.TXT", "1");
        t.write(".hidden", "");
        t.write("noext", "");
        t.write("sub/c.txt", "");
        t.write("sub/deep/d.txt", "");
        t.write("sub/deep/e.doc", "");
        t.write(".dotdir/f.txt", "");
        fs::create_directories(t.native("emptydir"));
        fs::create_directory_symlink(t.native("sub"), t.native("link"));
    }
};

TEST_F(ListingTest, ListFilesCreatesOrAppendsAndSkipsFolders) {
    classes::TStringList* list = nullptr;
    listFiles(t.win(), "*.*", list, false);
    std::unique_ptr<classes::TStringList> owned(list);
    ASSERT_TRUE(list);
    EXPECT_EQ(items(*list), (std::vector<std::string>{".hidden", "a.txt", "B.TXT", "noext"}));
    listFiles(t.win() + "\\", "*.txt", list, true);
    ASSERT_EQ(list->count(), 6);
    EXPECT_EQ(list->get(4), t.win("a.txt"));
    EXPECT_EQ(list->get(5), t.win("B.TXT"));
}

TEST_F(ListingTest, ListFoldersGivesEveryEntryAndNothingForNothing) {
    auto all = listFolders(t.win() + "\\", false);
    EXPECT_EQ(items(*all), (std::vector<std::string>{".", "..", ".dotdir", ".hidden", "a.txt", "B.TXT",
                                                     "emptydir", "link", "noext", "sub"}));
    auto shown = listFolders(t.win("sub\\"), true);
    EXPECT_EQ(items(*shown), (std::vector<std::string>{t.win("sub\\."), t.win("sub\\.."), t.win("sub\\c.txt"),
                                                       t.win("sub\\deep")}));
    EXPECT_EQ(listFolders(t.win("missing\\"), true)->count(), 0);
    EXPECT_EQ(listFolders(t.win("emptydir\\nothing*"), true)->count(), 0);
    // The path is used as given: without its backslash it is a pattern in the parent folder.
    auto sibling = listFolders(t.win("su"), false);
    EXPECT_EQ(items(*sibling), (std::vector<std::string>{"sub"}));
}

TEST_F(ListingTest, RecursiveListingPutsTheDeepestFilesFirst) {
    EXPECT_EQ(
        filesRecursive(t.win(), "*.txt", false),
        (std::vector<std::string>{".dotdir\\f.txt", "sub\\deep\\d.txt", "sub\\c.txt", "a.txt", "B.TXT"}));
    EXPECT_EQ(filesRecursive(t.win() + "\\", "sub\\*.TXT", true),
              (std::vector<std::string>{t.win("sub\\deep\\d.txt"), t.win("sub\\c.txt")}));
    auto list = listFilesRecursive(t.win("sub"), "*.doc", true);
    EXPECT_EQ(items(*list), (std::vector<std::string>{t.win("sub\\deep\\e.doc")}));
    EXPECT_TRUE(filesRecursive(t.win("missing"), "*.*", true).empty());
}

TEST_F(ListingTest, RelativePathsArePrefixedOnce) {
    fs::path old = fs::current_path();
    fs::current_path(t.root());
    auto found = filesRecursive("sub", "*.txt", true);
    fs::current_path(old);
    EXPECT_EQ(found, (std::vector<std::string>{"sub\\deep\\d.txt", "sub\\c.txt"}));
}

TEST_F(ListingTest, EmptyFoldersAndSizes) {
    fs::create_directories(t.native("hollow/a/b"));
    fs::create_directories(t.native("hollow/c"));
    EXPECT_TRUE(dirIsEmpty(t.win("hollow")));
    t.write("hollow/a/b/.keep", "");
    EXPECT_FALSE(dirIsEmpty(t.win("hollow")));
    EXPECT_FALSE(dirIsEmpty(t.win()));
    EXPECT_TRUE(dirIsEmpty(t.win("missing")));

    EXPECT_EQ(getFileSize(t.win("A.TXT")), 2);
    EXPECT_EQ(getFileSize(t.win("*.txt")), 2);  // the first match
    EXPECT_EQ(getFileSize(t.win("sub")), 0);
    EXPECT_EQ(getFileSize(t.win("missing")), 0);
    fs::path big = t.write("big.bin", "");
    fs::resize_file(big, 3ull << 30);  // sparse: 3 GB without the disk space
    EXPECT_EQ(getFileSize(t.win("big.bin")), 2147483647);
}

TEST_F(FilesTest, ReadStringFromFileEndsEveryLineInCrLf) {
    t.write("mixed.txt", "a\r\nb\nc\rd");
    EXPECT_EQ(readStringFromFile(t.win("mixed.txt")), "a\r\nb\r\nc\r\nd\r\n");
    t.write("one.txt", "x");
    EXPECT_EQ(readStringFromFile(t.win("one.txt")), "x\r\n");
    t.write("blank.txt", "\n\n");
    EXPECT_EQ(readStringFromFile(t.win("blank.txt")), "\r\n\r\n");
    t.write("empty.txt", "");
    EXPECT_EQ(readStringFromFile(t.win("empty.txt")), "");
    EXPECT_EQ(readStringFromFile(t.win("missing.txt")), "");
    EXPECT_EQ(readStringFromFile(t.win()), "");
}

TEST_F(FilesTest, SaveStringToFileCreatesAppendsAndThrowsOnFailure) {
    EXPECT_TRUE(saveStringToFile(t.win("s.txt"), "one", true));  // appending to nothing creates
    EXPECT_TRUE(saveStringToFile(t.win("S.TXT"), "two", true));
    EXPECT_EQ(t.read("s.txt"), "one\r\ntwo\r\n");
    EXPECT_TRUE(saveStringToFile(t.win("s.txt"), "three", false));
    EXPECT_EQ(t.read("s.txt"), "three\r\n");
    try {
        saveStringToFile(t.win("no\\such\\folder.txt"), "x", false);
        FAIL() << "no error";
    } catch (const base::ScriptError& e) {
        EXPECT_EQ(
            std::string(e.what()).rfind("Cannot create file \"" + t.win("no\\such\\folder.txt") + "\".", 0),
            0u)
            << e.what();
    }
}

TEST_F(FilesTest, PatchFileWritesOnlyTheBytesItHas) {
    t.write("p.bin", "abcdef");
    patchFile(t.win("p.bin"), {'X', 'Y', 'Z'}, 2, 2);
    EXPECT_EQ(t.read("p.bin"), "abXYef");
    patchFile(t.win("p.bin"), {'1', '2'}, 4, 100);  // count beyond the data: its two bytes
    EXPECT_EQ(t.read("p.bin"), "abXY12");
    patchFile(t.win("p.bin"), {'!'}, 8, 1);  // past the end: the gap reads as zeros
    EXPECT_EQ(t.read("p.bin"), std::string("abXY12\0\0!", 9));
    patchFile(t.win("p.bin"), {}, 0, 0);
    EXPECT_THROW(patchFile(t.win("p.bin"), {'x'}, -1, 1), base::ScriptError);
    EXPECT_THROW(patchFile(t.win("p.bin"), {'x'}, 0, -1), base::ScriptError);
    EXPECT_EQ(t.read("p.bin"), std::string("abXY12\0\0!", 9));
    patchFile(t.win("missing.bin"), {'x'}, 0, 1);  // left alone silently
    EXPECT_FALSE(t.exists("missing.bin"));
}

TEST_F(FilesTest, Crc32OfFiles) {
    t.write("empty", "");
    t.write("check", "123456789");
    t.write("small", "ob");
    EXPECT_EQ(getFileCRC32Int(t.win("empty")), 0u);
    EXPECT_EQ(getFileCRC32Hex(t.win("empty")), "000000");
    EXPECT_EQ(getFileCRC32Int(t.win("check")), 0xCBF43926u);
    EXPECT_EQ(getFileCRC32Hex(t.win("check")), "CBF43926");
    EXPECT_EQ(getFileCRC32Hex(t.win("small")), "0065E3");
    EXPECT_EQ(getFileCRC32Int(t.win("missing")), 0u);
}

TEST_F(FilesTest, FileIsOpenWhileAChildProcessHoldsALock) {
    fs::path f = t.write("locked.dat", "x");
    EXPECT_FALSE(fileIsOpen(t.win("locked.dat")));
    int ready[2], stop[2];
    ASSERT_EQ(::pipe(ready), 0);
    ASSERT_EQ(::pipe(stop), 0);
    pid_t child = ::fork();
    if (child == 0) {
        ::close(ready[0]);
        ::close(stop[1]);
        int fd = ::open(f.c_str(), O_RDONLY);
        char c = ::flock(fd, LOCK_SH) == 0 ? '1' : '0';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(stop[0], &c, 1);
        ::_exit(0);
    }
    ::close(ready[1]);
    ::close(stop[0]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ASSERT_EQ(c, '1');
    EXPECT_TRUE(fileIsOpen(t.win("LOCKED.DAT")));
    ::close(stop[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(ready[0]);
    EXPECT_FALSE(fileIsOpen(t.win("locked.dat")));
    EXPECT_FALSE(fileIsOpen(t.win("missing")));
    EXPECT_FALSE(fileIsOpen(t.win()));
}

TEST_F(FilesTest, FileIsOpenWhileThePlayerWritesIt) {
    fs::path f = t.write("stream.dat", "x");
    {
        classes::TFileStream reading(f.string(), classes::FileMode::OpenRead);
        EXPECT_FALSE(fileIsOpen(t.win("stream.dat")));
        classes::TFileStream writing(f.string(), classes::FileMode::OpenReadWrite);
        EXPECT_TRUE(fileIsOpen(t.win("stream.dat")));
    }
    EXPECT_FALSE(fileIsOpen(t.win("stream.dat")));
}

TEST_F(FilesTest, TimeStampsInLocalTime) {
    TimeZone zone("EST5");  // five hours behind UTC, no summer time
    fs::path f = t.write("t.txt", "x");
    timespec times[2] = {{1000000000, 0}, {1234567890, 500000000}};
    ASSERT_EQ(::utimensat(AT_FDCWD, f.c_str(), times, 0), 0);
    ::chmod(f.c_str(), 0444);  // read-only files are read as well
    TFileDateTimeStamp s{1, 2, 3};
    ASSERT_TRUE(getFileDateTimeStamp(t.win("t.txt"), s));
    EXPECT_DOUBLE_EQ(s.LastWrite, 25569.0 + (1234567890.5 - 5 * 3600) / 86400.0);
    EXPECT_DOUBLE_EQ(s.LastAccess, 25569.0 + (1000000000.0 - 5 * 3600) / 86400.0);
    auto native = platform::fileTimes(f);
    if (native->hasBirthTime) {
        EXPECT_GT(s.Creation, s.LastWrite);  // made just now, its times set back afterwards
    } else {
        EXPECT_EQ(s.Creation, s.LastWrite);
    }
    EXPECT_TRUE(getFileDateTimeStamp(t.win(), s));
    EXPECT_FALSE(getFileDateTimeStamp(t.win("missing"), s));
    EXPECT_EQ(s.Creation, 0);
    EXPECT_EQ(s.LastWrite, 0);

    TFileDateTimeStamp set{0, 40000.5, 40001.25};
    ASSERT_TRUE(setFileDateTimeStamp(t.win("t.txt"), set));
    struct stat st;
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_atim.tv_sec, static_cast<time_t>((40000.5 - 25569) * 86400) + 5 * 3600);
    EXPECT_EQ(st.st_mtim.tv_sec, static_cast<time_t>((40001.25 - 25569) * 86400) + 5 * 3600);
    ASSERT_TRUE(getFileDateTimeStamp(t.win("t.txt"), s));
    EXPECT_DOUBLE_EQ(s.LastWrite, 40001.25);
    EXPECT_FALSE(setFileDateTimeStamp(t.win("missing"), set));
    EXPECT_FALSE(setFileDateTimeStamp(t.win("t.txt"), {0, std::nan(""), 1}));
}

TEST_F(FilesTest, CompressionWhereTheFileSystemHasTheFlag) {
    fs::path f = t.write("c.dat", "data");
    EXPECT_FALSE(ntfsCompressFile(t.win("missing"), true));
    EXPECT_FALSE(ntfsUncompressFile(t.win("missing")));
    if (!platform::isCompressed(f)) GTEST_SKIP() << "no inode flags under " << f;
    // The folder is not compressed, so nothing is done unless forced.
    EXPECT_TRUE(ntfsCompressFile(t.win("c.dat"), false));
    EXPECT_EQ(platform::isCompressed(f), false);
    if (!platform::setCompressed(f, false)) GTEST_SKIP() << "the file system refuses the flag";
    const bool takes = ntfsCompressFile(t.win("c.dat"), true);
    EXPECT_EQ(platform::isCompressed(f), takes);
    EXPECT_TRUE(ntfsUncompressFile(t.win("c.dat")));
    EXPECT_EQ(platform::isCompressed(f), false);
}

TEST(FilesOnTmpfs, CompressAnswersFalseAndUncompressTrue) {
    fs::path f = "/dev/shm/vantrel-files-" + std::to_string(::getpid());
    {
        std::ofstream out(f);
        if (!out) GTEST_SKIP() << "no /dev/shm";
        out << "x";
    }
    const std::string w = platform::windowsPath(f);
    const bool flag = platform::setCompressed(f, true);
    const bool compressed = ntfsCompressFile(w, true);
    const bool uncompressed = ntfsUncompressFile(w);
    fs::remove(f);
    if (flag) GTEST_SKIP() << "tmpfs keeps the compression flag here";
    EXPECT_FALSE(compressed);
    EXPECT_TRUE(uncompressed);
}

TEST(UniqueNames, FormCollisionsWrapAndAFullFolder) {
    std::string name = generateUniqueName("C:\\T", ".tmp");
    EXPECT_TRUE(std::regex_match(name, std::regex(R"(C:\\T\\zep-[0-9A-V]{5}\.tmp)"))) << name;

    static int calls;
    calls = 0;
    auto firstThreeTaken = [](std::string_view) { return ++calls <= 3; };
    EXPECT_EQ(generateUniqueName("C:\\T\\", "", 0x1FFFFFE, firstThreeTaken), "C:\\T\\zep-00002");
    EXPECT_EQ(generateUniqueName("D:", "_al", 31, [](std::string_view) { return false; }),
              "D:\\zep-00010_al");
    try {
        generateUniqueName("C:\\", ".x", 5, [](std::string_view) { return true; });
        FAIL() << "a full folder gave a name";
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(e.what(),
                     "Unable to create a file in the directory \"C:\\\" because it contains too many files");
    }
}

TEST_F(FilesTest, UniqueNamesSkipWhatExistsOnDisk) {
    std::string name = generateUniqueName(t.win(), ".dat");
    EXPECT_FALSE(t.exists(extractFileName(name)));
    EXPECT_EQ(extractFileDir(name), t.win());
}

TEST_F(FilesTest, SaveStreamToTempFile) {
    classes::TMemoryStream stream;
    stream.setBytes(std::string("bytes\0here", 10));
    saveStreamToTempFile(&stream, t.win("s.bin"));
    EXPECT_EQ(t.read("s.bin"), std::string("bytes\0here", 10));
    try {
        saveStreamToTempFile(&stream, t.win("none\\s.bin"));
        FAIL() << "no error";
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(
            e.what(),
            "Unable to create a temporary file. Running aborted.\r\n\r\nError 3: The system cannot find the "
            "path specified");
    }
    EXPECT_THROW(saveStreamToTempFile(nullptr, t.win("n.bin")), base::ScriptError);
}

TEST_F(FilesTest, VersionsOfExecutablesAndOfThePlayer) {
    testdata::PeVersionFields fields;
    fields.major = 5;
    fields.minor = 1;
    fields.release = 2600;
    fields.build = 5512;
    t.write("app.exe", testdata::peImage(fields));
    EXPECT_EQ(readFileVersion(t.win("APP.EXE")), "5.1.2600.5512");
    t.write("text.exe", "MZ but nothing more");
    EXPECT_EQ(readFileVersion(t.win("text.exe")), "0.0.0.0");
    EXPECT_EQ(readFileVersion(t.win("missing.exe")), "0.0.0.0");
    EXPECT_EQ(readFileVersion(t.win()), "0.0.0.0");
    std::string own = getExeVersionString();
    EXPECT_TRUE(std::regex_match(own, std::regex(R"(\d+\.\d+(\.\d+\.\d+)?)"))) << own;
    EXPECT_NE(own, "0.0");
}

TEST_F(FilesTest, ForceAndRemoveFolders) {
    EXPECT_TRUE(forceDirectories(t.win("a\\b\\c")));
    EXPECT_TRUE(fs::is_directory(t.native("a/b/c")));
    EXPECT_TRUE(forceDirectories(t.win("A\\B")));  // exists, whatever the case
    EXPECT_FALSE(forceDirectories(""));
    t.write("file", "");
    EXPECT_FALSE(forceDirectories(t.win("file\\sub")));
    EXPECT_FALSE(removeDir(t.win("a\\b")));  // not empty
    EXPECT_TRUE(removeDir(t.win("a\\b\\c")));
    EXPECT_FALSE(removeDir(t.win("a\\b\\c")));
}

}  // namespace
