#include "runtime/Archive.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <fstream>
#include <sstream>

#include "base/LittleEndian.h"
#include "runtime/ArchiveInput.h"
#include "runtime/EmbeddedLoad.h"
#include "tests/support/TestData.h"

namespace fs = std::filesystem;
using runtime::ArchiveWriter;
using runtime::MemoryArchiveInput;
using runtime::TBackupFile;
using runtime::TRestoreMode;

namespace {

// 2006-10-07 02:20:16
constexpr uint32_t kDate = (((2006u - 1980u) << 9 | 10u << 5 | 7u) << 16) | (2u << 11 | 20u << 5 | 8u);

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Events {
    std::vector<std::pair<std::string, int>> progress;
    std::vector<std::pair<int, std::string>> errors;
    std::vector<std::string> crcErrors;
    std::vector<std::string> restoreAsked;
};

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-archive-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "out");
        m_backup.OnProgress = [this](TBackupFile&, const std::string& f, int p, bool&) {
            m_events.progress.emplace_back(f, p);
        };
        m_backup.OnError = [this](TBackupFile&, int e, const std::string& t) {
            m_events.errors.emplace_back(e, t);
        };
        m_backup.OnCRCError = [this](TBackupFile&, int32_t stored, int32_t current, const std::string& f) {
            m_events.crcErrors.push_back(f + " " + std::to_string(stored) + " " + std::to_string(current));
        };
        m_backup.OnRestoreFile = [this](TBackupFile&, std::string& f, int, bool&) {
            m_events.restoreAsked.push_back(f);
        };
    }
    void TearDown() override { fs::remove_all(m_dir); }

    bool restore(const std::string& bytes, const fs::path& target) {
        MemoryArchiveInput in(bytes);
        return m_backup.RestoreFromStream(in, target.string());
    }

    fs::path m_dir;
    TBackupFile m_backup;
    Events m_events;
};

TEST_F(ArchiveTest, EmptyArchiveIsThirtyBytesAndRestoresNothing) {
    std::string empty = ArchiveWriter().bytes();
    EXPECT_EQ(empty.size(), 30u);
    EXPECT_EQ(empty.substr(4, 14), "Embedded Files");
    EXPECT_TRUE(restore(empty, m_dir / "out"));
    EXPECT_TRUE(fs::is_empty(m_dir / "out"));
    ASSERT_EQ(m_events.progress.size(), 1u);
    EXPECT_EQ(m_events.progress[0], std::make_pair(std::string(), 100));
}

TEST_F(ArchiveTest, TwoArchivesBackToBackRestoreFromOneInput) {
    ArchiveWriter first, second;
    first.addFile("C:\\proj\\a.txt", "alpha", kDate);
    second.addFile("script.txt", "begin end.", kDate);
    std::string both = first.bytes() + second.bytes() + "tail";
    MemoryArchiveInput in(both);
    EXPECT_TRUE(m_backup.RestoreFromStream(in, (m_dir / "one").string()));
    EXPECT_EQ(in.position(), first.bytes().size());
    EXPECT_TRUE(m_backup.RestoreFromStream(in, (m_dir / "two").string()));
    EXPECT_EQ(in.remaining(), 4u);
    EXPECT_EQ(readFile(m_dir / "one" / "a.txt"), "alpha");
    EXPECT_EQ(readFile(m_dir / "two" / "script.txt"), "begin end.");
}

TEST_F(ArchiveTest, LargeFilesSpanChunksWithTheChunkByChunkCheckValue) {
    // One compressible chunk, one incompressible (stored) chunk, one short tail.
    std::string contents = std::string(16384, 'a') + testdata::noise(16384, 7) + "tail";
    ArchiveWriter w;
    w.addFile("big.bin", contents, kDate);
    std::string bytes = w.bytes();
    EXPECT_TRUE(restore(bytes, m_dir / "out"));
    EXPECT_EQ(readFile(m_dir / "out" / "big.bin"), contents);
    EXPECT_TRUE(m_events.crcErrors.empty());

    // The rule: standard CRC of the first chunk, then raw table updates.
    uint32_t expected =
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(contents.data()), 16384));
    for (size_t pos : {size_t(16384), size_t(32768)}) {
        size_t n = std::min<size_t>(16384, contents.size() - pos);
        expected = ~static_cast<uint32_t>(
            crc32(~expected, reinterpret_cast<const Bytef*>(contents.data() + pos), static_cast<uInt>(n)));
    }
    uint32_t whole = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(contents.data()), static_cast<uInt>(contents.size())));
    EXPECT_NE(expected, whole);
    uint32_t stored = base::readLE32(reinterpret_cast<const unsigned char*>(bytes.data() + bytes.size() - 8));
    EXPECT_EQ(stored, expected);
    // A stored chunk has a negative length and holds the bytes as they are.
    EXPECT_NE(bytes.find(testdata::noise(16384, 7)), std::string::npos);
}

TEST_F(ArchiveTest, AWrongCheckValueIsReportedAndTheRestoreGoesOn) {
    ArchiveWriter w;
    w.addFile("a.txt", "hello", kDate);
    w.addFile("b.txt", "world", kDate);
    std::string bytes = w.bytes();
    // The first file's check value sits right after its end marker.
    size_t endMarker = bytes.find(std::string("\0\0\0\0", 4), bytes.find("a.txt") + 20);
    bytes[endMarker + 4] ^= 1;
    EXPECT_TRUE(restore(bytes, m_dir / "out"));
    ASSERT_EQ(m_events.crcErrors.size(), 1u);
    uint32_t good = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>("hello"), 5));
    EXPECT_EQ(m_events.crcErrors[0], (m_dir / "out").string() + "\\a.txt " +
                                         std::to_string(int32_t(good ^ 1)) + " " +
                                         std::to_string(int32_t(good)));
    EXPECT_EQ(readFile(m_dir / "out" / "b.txt"), "world");
}

TEST_F(ArchiveTest, IdentityFlagOneCarriesTwoNumbersOfAnySize) {
    std::string record;
    base::appendLE32(record, 5);
    record += "x.txt";
    record += std::string("\x02\x01", 2);                              // flag 1 (Int8)
    record += std::string("\x03\x34\x12", 3);                          // Int16
    record += std::string("\x13\x01\x02\x03\x04\x05\x06\x07\x08", 9);  // Int64
    base::appendLE32(record, kDate);
    record += ArchiveWriter::dataBlock("ident", 6);
    ArchiveWriter w;
    w.addRawRecord(record);
    w.addFile("y.txt", "after", kDate, 1);
    EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
    EXPECT_EQ(readFile(m_dir / "out" / "x.txt"), "ident");
    EXPECT_EQ(readFile(m_dir / "out" / "y.txt"), "after");
}

TEST_F(ArchiveTest, ReplacesExistingFilesAndStampsTheStoredDate) {
    std::ofstream(m_dir / "out" / "a.txt") << "old contents that are longer";
    ArchiveWriter w;
    w.addFile("D:\\a.txt", "new", kDate);
    EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
    EXPECT_EQ(readFile(m_dir / "out" / "a.txt"), "new");
    struct stat st;
    ASSERT_EQ(::stat((m_dir / "out" / "a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, runtime::timeFromDosDateTime(kDate));
    EXPECT_EQ(runtime::dosDateTime(st.st_mtime), kDate);
    EXPECT_EQ(m_backup.filesRestored(), 1);
}

TEST_F(ArchiveTest, RestoreModesDecideFromExistenceAndAge) {
    const uint32_t older = kDate - (1u << 16);  // a day earlier
    struct Case {
        TRestoreMode mode;
        bool existingWritten, newWritten;
    };
    for (auto [mode, existingWritten, newWritten] :
         {Case{TRestoreMode::rmNoOverwrite, false, true}, Case{TRestoreMode::rmNewer, true, true},
          Case{TRestoreMode::rmExisting, true, false}, Case{TRestoreMode::rmExistingNewer, true, false}}) {
        fs::remove_all(m_dir / "out");
        fs::create_directories(m_dir / "out");
        std::ofstream(m_dir / "out" / "old.txt") << "disk";
        timespec times[2] = {{0, UTIME_OMIT}, {runtime::timeFromDosDateTime(older), 0}};
        ::utimensat(AT_FDCWD, (m_dir / "out" / "old.txt").c_str(), times, 0);
        m_backup.setRestoreMode(mode);
        ArchiveWriter w;
        w.addFile("old.txt", "archive", kDate);
        w.addFile("new.txt", "archive", kDate);
        EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
        EXPECT_EQ(readFile(m_dir / "out" / "old.txt"), existingWritten ? "archive" : "disk") << int(mode);
        EXPECT_EQ(fs::exists(m_dir / "out" / "new.txt"), newWritten) << int(mode);
    }
    // The stored file is not newer than the one on disk: rmNewer leaves it.
    m_backup.setRestoreMode(TRestoreMode::rmNewer);
    ArchiveWriter w;
    w.addFile("old.txt", "stale", older);
    EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
    EXPECT_EQ(readFile(m_dir / "out" / "old.txt"), "archive");
}

TEST_F(ArchiveTest, FullPathsStayInsideTheTargetFolder) {
    fs::create_directories(m_dir / "out" / "pics");
    m_backup.setRestoreFullPath(true);
    ArchiveWriter w;
    w.addFile("C:\\Pics\\Holiday\\a.jpg", "A", kDate);
    w.addFile("C:\\..\\..\\evil.txt", "E", kDate);
    w.addFile("C:\\x\\..\\..\\evil2.txt", "E", kDate);
    w.addFile("C:\\\\abs.txt", "E", kDate);
    w.addFile("C:\\D:\\drive.txt", "E", kDate);
    w.addFile("C:\\b.txt", "B", kDate);
    EXPECT_FALSE(restore(w.bytes(), m_dir / "out"));
    // Existing folders are matched whatever their case.
    EXPECT_EQ(readFile(m_dir / "out" / "pics" / "Holiday" / "a.jpg"), "A");
    EXPECT_EQ(readFile(m_dir / "out" / "b.txt"), "B");
    EXPECT_FALSE(fs::exists(m_dir / "evil.txt"));
    EXPECT_FALSE(fs::exists(m_dir.parent_path() / "evil.txt"));
    EXPECT_FALSE(fs::exists(m_dir / "evil2.txt"));
    ASSERT_EQ(m_events.errors.size(), 1u);
    EXPECT_EQ(m_events.errors[0], std::make_pair(1, std::string("Cannot read file")));
}

TEST_F(ArchiveTest, FileNamesAloneNeverCarryFolders) {
    ArchiveWriter w;
    w.addFile("C:\\a\\..\\one.txt", "1", kDate);
    w.addFile("..", "2", kDate);
    w.addFile("x/../../two.txt", "3", kDate);
    EXPECT_FALSE(restore(w.bytes(), m_dir / "out"));
    EXPECT_EQ(readFile(m_dir / "out" / "one.txt"), "1");
    EXPECT_EQ(readFile(m_dir / "out" / "two.txt"), "3");
}

TEST_F(ArchiveTest, PlantedSymbolicLinksAreNeverFollowed) {
    fs::create_directories(m_dir / "outside");
    std::ofstream(m_dir / "outside" / "victim.txt") << "safe";
    fs::create_symlink(m_dir / "outside" / "victim.txt", m_dir / "out" / "a.txt");
    fs::create_directory_symlink(m_dir / "outside", m_dir / "out" / "sub");
    m_backup.setRestoreFullPath(true);
    ArchiveWriter w;
    w.addFile("C:\\a.txt", "archive", kDate);
    w.addFile("C:\\sub\\victim.txt", "archive", kDate);
    restore(w.bytes(), m_dir / "out");
    EXPECT_EQ(readFile(m_dir / "outside" / "victim.txt"), "safe");
    EXPECT_FALSE(fs::is_symlink(m_dir / "out" / "a.txt"));
    EXPECT_EQ(readFile(m_dir / "out" / "a.txt"), "archive");
}

TEST_F(ArchiveTest, AnEmptyTargetFolderWritesTheStoredNameBelowTheCurrentFolder) {
    fs::path cwd = fs::current_path();
    fs::current_path(m_dir / "out");
    ArchiveWriter w;
    w.addFile("C:\\docs\\readme.txt", "R", kDate);
    w.addFile("plain.txt", "P", kDate);
    EXPECT_TRUE(restore(w.bytes(), ""));
    fs::current_path(cwd);
    EXPECT_EQ(readFile(m_dir / "out" / "docs" / "readme.txt"), "R");
    EXPECT_EQ(readFile(m_dir / "out" / "plain.txt"), "P");
}

TEST_F(ArchiveTest, FileListRecordsAreSkippedWithoutEvents) {
    ArchiveWriter w;
    w.addFileList("a.txt\r\nb.txt", kDate);
    w.addFile("a.txt", "A", kDate);
    EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
    EXPECT_FALSE(fs::exists(m_dir / "out" / "FILE:LIST"));
    ASSERT_EQ(m_events.restoreAsked.size(), 1u);
    EXPECT_EQ(m_events.restoreAsked[0], (m_dir / "out").string() + "\\a.txt");
}

TEST_F(ArchiveTest, ProgressGrowsPerChunkAndCanStopTheRestore) {
    ArchiveWriter w;
    w.addFile("a.bin", std::string(3 * 16384, 'x'), kDate);
    w.addFile("b.bin", std::string(16384, 'y'), kDate);
    EXPECT_TRUE(restore(w.bytes(), m_dir / "out"));
    std::vector<int> percents;
    for (auto& [f, p] : m_events.progress) percents.push_back(p);
    EXPECT_EQ(percents, (std::vector<int>{25, 50, 75, 100, 100}));
    EXPECT_EQ(m_events.progress.back().first, "");

    m_backup.OnProgress = [](TBackupFile&, const std::string&, int p, bool& cont) { cont = p < 50; };
    fs::remove_all(m_dir / "out");
    EXPECT_FALSE(restore(w.bytes(), m_dir / "out"));
    EXPECT_FALSE(fs::exists(m_dir / "out" / "b.bin"));
}

TEST_F(ArchiveTest, DamagedArchivesFailWithTheirCodes) {
    {  // A chunk that does not inflate.
        std::string bytes = ArchiveWriter::dataBlock(std::string(1000, 'z'), 9);
        bytes[12] ^= 0x55;
        std::string record;
        base::appendLE32(record, 5);
        record += "z.txt";
        record += std::string("\x02\x02", 2);
        base::appendLE32(record, kDate);
        ArchiveWriter w;
        w.addRawRecord(record + bytes);
        EXPECT_FALSE(restore(w.bytes(), m_dir / "out"));
        ASSERT_EQ(m_events.errors.size(), 1u);
        EXPECT_EQ(m_events.errors[0], std::make_pair(6, std::string("Compression error")));
    }
    m_events.errors.clear();
    {  // A written block without the magic.
        ArchiveWriter w;
        w.addFile("m.txt", "magic", kDate);
        std::string bytes = w.bytes();
        bytes[bytes.find("ADV")] = 'X';
        EXPECT_FALSE(restore(bytes, m_dir / "out"));
        ASSERT_EQ(m_events.errors.size(), 1u);
        EXPECT_EQ(m_events.errors[0].first, 1);
    }
    m_events.errors.clear();
    {  // Truncations and lengths past the end fail quietly, wherever they cut.
        ArchiveWriter w;
        w.addFile("t.txt", std::string(40000, 't'), kDate);
        std::string bytes = w.bytes();
        for (size_t cut = 0; cut < bytes.size(); cut += 7) {
            EXPECT_FALSE(restore(bytes.substr(0, cut), m_dir / "cut")) << cut;
        }
        std::string huge = bytes;
        huge[0] = '\x7f';  // title length far past the end
        EXPECT_FALSE(restore(huge, m_dir / "cut"));
        EXPECT_TRUE(m_events.errors.empty() || m_events.errors[0].first == 1);
    }
    {  // An identity flag with a tag that is no integer.
        std::string record;
        base::appendLE32(record, 1);
        record += "q";
        record.push_back('\x06');
        ArchiveWriter w;
        w.addRawRecord(record);
        EXPECT_FALSE(restore(w.bytes(), m_dir / "out"));
    }
}

TEST_F(ArchiveTest, VolumesContinueTheInterruptedFile) {
    std::string firstPart = std::string(16384, 'p');
    std::string secondPart = "second part";
    std::string record;
    base::appendLE32(record, 9);
    record += "split.txt";
    record += std::string("\x02\x02", 2);
    base::appendLE32(record, kDate);
    ArchiveWriter volume1;
    volume1.addRawRecord(record + ArchiveWriter::dataBlock(firstPart, 6));
    volume1.addNextDisk(2);
    std::string v1 = volume1.bytes();
    v1.resize(v1.size() - 4);  // the archive goes on in the next volume
    ArchiveWriter rest;
    rest.addFile("after.txt", "after", kDate);
    std::string restBytes = rest.bytes();
    // The next volume: the rest of the file, then the other archive's records and end mark.
    std::string v2 = ArchiveWriter::dataBlock(secondPart, 6) + restBytes.substr(26);
    std::ofstream(m_dir / "set.arc", std::ios::binary) << v1;
    std::ofstream(m_dir / "set.002", std::ios::binary) << v2;
    int asked = 0;
    m_backup.OnNeedDisk = [&](TBackupFile&, uint16_t disk, bool&) { asked = disk; };
    EXPECT_TRUE(m_backup.Restore((m_dir / "set.arc").string(), (m_dir / "out").string()));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(readFile(m_dir / "out" / "split.txt"), firstPart + secondPart);
    EXPECT_EQ(readFile(m_dir / "out" / "after.txt"), "after");
    // Restoring from a stream cannot change volumes.
    EXPECT_FALSE(restore(v1, m_dir / "stream"));
    EXPECT_FALSE(m_backup.Restore((m_dir / "missing.arc").string(), (m_dir / "out").string()));
}

}  // namespace

namespace {

TEST(ArchiveListing, MeasuresAndChecksEveryRecordWithoutWriting) {
    ArchiveWriter w;
    w.addFileList("list", kDate);
    w.addFile("C:\\a.bin", std::string(40000, 'a'), kDate, 1);
    w.addFile("b.txt", testdata::noise(100, 1), kDate - 1);
    std::string bytes = w.bytes();
    MemoryArchiveInput in(bytes);
    runtime::ArchiveListing listing = runtime::listArchive(in);
    EXPECT_EQ(in.remaining(), 0u);
    EXPECT_EQ(listing.title, "Embedded Files");
    EXPECT_EQ(listing.totalSize, 40100);
    EXPECT_EQ(listing.fileCount, 2);
    ASSERT_EQ(listing.entries.size(), 3u);
    EXPECT_TRUE(listing.entries[0].fileList);
    EXPECT_EQ(listing.entries[1].name, "C:\\a.bin");
    EXPECT_EQ(listing.entries[1].size, 40000u);
    EXPECT_EQ(listing.entries[2].size, 100u);
    EXPECT_EQ(listing.entries[2].dosDate, kDate - 1);
    for (const auto& e : listing.entries) EXPECT_TRUE(e.checkValueOk) << e.name;

    bytes[bytes.size() - 5] ^= 1;  // the last file's check value
    MemoryArchiveInput damaged(bytes);
    EXPECT_FALSE(runtime::listArchive(damaged).entries[2].checkValueOk);
    MemoryArchiveInput cut(std::string_view(bytes).substr(0, bytes.size() - 30));
    EXPECT_THROW(runtime::listArchive(cut), std::exception);
}

}  // namespace

namespace {

class CountingLoad final : public runtime::EmbeddedLoad {
public:
    void startTimer() override {}
    void stopTimer() override {}
    void hide() override {}
    int stepped = 0;

protected:
    void stepIt() override { ++stepped; }
};

TEST(EmbeddedLoad, StepsOnlyWhenThePercentageModulo128Changes) {
    CountingLoad load;
    for (int percent : {0, 5, 5, 10, 10, 100, 100}) load.progress("C:\\x.jpg", percent);
    EXPECT_EQ(load.stepped, 3);  // 0 is where it starts; 5, 10 and 100 move it
    load.progress("file:list", 50);
    EXPECT_EQ(load.stepped, 3);
    load.progress("a", 228);  // 228 mod 128 = 100, as before
    EXPECT_EQ(load.stepped, 3);
    load.progress("", 0);
    EXPECT_EQ(load.stepped, 4);
}

TEST(EmbeddedLoad, ItsArchiveReportsReachTheBarUntilDetached) {
    CountingLoad load;
    ArchiveWriter w;
    w.addFile("a.bin", std::string(2 * 16384, 'a'), kDate);
    std::string bytes = w.bytes();
    fs::path target = fs::temp_directory_path() / ("vantrel-embedded-" + std::to_string(::getpid()));
    MemoryArchiveInput in(bytes);
    EXPECT_TRUE(load.embeddedFiles().RestoreFromStream(in, target.string()));
    EXPECT_EQ(load.stepped, 2);  // 50, 100; the final 100 repeats
    load.detachProgress();
    MemoryArchiveInput again(bytes);
    EXPECT_TRUE(load.embeddedFiles().RestoreFromStream(again, target.string()));
    EXPECT_EQ(load.stepped, 2);
    fs::remove_all(target);
}

}  // namespace
