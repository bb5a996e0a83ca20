// zeptool's archive and append commands on real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/AppendedProject.h"
#include "runtime/Archive.h"
#include "toolkit/Zeptool.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kDate = (((2006u - 1980u) << 9 | 10u << 5 | 7u) << 16) | (2u << 11 | 20u << 5 | 8u);

class ArchiveCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zeptool-archive-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        runtime::ArchiveWriter first, second;
        first.addFile("C:\\pics\\a.txt", "alpha", kDate);
        second.addFile("script.txt", std::string(20000, 's'), kDate);
        m_first = first.bytes();
        std::ofstream(path("p.bin"), std::ios::binary) << "HEAD" << m_first << second.bytes();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "zeptool");
        out.str("");
        err.str("");
        return toolkit::runZeptool(args, out, err);
    }

    fs::path m_dir;
    std::string m_first;
    std::ostringstream out, err;
};

TEST_F(ArchiveCommandsTest, ListShowsFilesAndWhereTheArchiveEnds) {
    EXPECT_EQ(run({"archive-list", path("p.bin"), "--offset", "4"}), 0) << err.str();
    EXPECT_EQ(out.str(),
              "title \"Embedded Files\", 1 files, 5 bytes\n"
              "2006-10-07 02:20:16  5  C:\\pics\\a.txt\n"
              "end at offset " +
                  std::to_string(4 + m_first.size()) + "\n");
    EXPECT_EQ(run({"archive-list", path("p.bin"), "--offset",
                   "0x" +
                       [&] {
                           std::ostringstream h;
                           h << std::hex << 4 + m_first.size();
                           return h.str();
                       }()}),
              0);
    EXPECT_NE(out.str().find("20000  script.txt"), std::string::npos);
}

TEST_F(ArchiveCommandsTest, ExtractRestoresAsThePlayerDoes) {
    EXPECT_EQ(run({"archive-extract", path("p.bin"), path("out"), "--offset", "4", "--full-path"}), 0)
        << err.str();
    std::ifstream in(m_dir / "out" / "pics" / "a.txt");
    std::string text;
    std::getline(in, text);
    EXPECT_EQ(text, "alpha");
    // nooverwrite leaves the file alone and still succeeds.
    std::ofstream(m_dir / "out" / "pics" / "a.txt") << "mine";
    EXPECT_EQ(run({"archive-extract", path("p.bin"), path("out"), "--offset", "4", "--full-path", "--mode",
                   "nooverwrite"}),
              0);
    std::ifstream again(m_dir / "out" / "pics" / "a.txt");
    std::getline(again, text);
    EXPECT_EQ(text, "mine");
}

TEST_F(ArchiveCommandsTest, BadInputGivesOneLineAndAnExitCode) {
    EXPECT_EQ(run({"archive-list", path("p.bin")}), 1);  // "HEAD" is no archive
    const std::string message = err.str();
    EXPECT_EQ(message.rfind("zeptool: ", 0), 0u);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(run({"archive-list", path("missing")}), 1);
    EXPECT_EQ(run({"archive-list", path("p.bin"), "--offset", "99999"}), 1);
    EXPECT_EQ(run({"archive-extract", path("p.bin"), path("out"), "--mode", "sometimes"}), 2);
    EXPECT_EQ(run({"archive-extract", path("p.bin"), path("out")}), 1);

    std::string damaged = "HEAD" + m_first;
    damaged[damaged.size() - 8] ^= 1;  // the check value of a.txt
    std::ofstream(path("d.bin"), std::ios::binary) << damaged;
    EXPECT_EQ(run({"archive-extract", path("d.bin"), path("out2"), "--offset", "4"}), 0);
    EXPECT_NE(err.str().find("CRC Failed in file"), std::string::npos);
    EXPECT_EQ(run({"archive-list", path("d.bin"), "--offset", "4"}), 1);
    EXPECT_NE(out.str().find("CRC FAILED"), std::string::npos);
}

TEST_F(ArchiveCommandsTest, AppendWritesTheTrailer) {
    std::ofstream(path("player"), std::ios::binary) << std::string(64, 'P');
    std::ofstream(path("p.zep"), std::ios::binary) << "TPF0";
    EXPECT_EQ(run({"append", path("player"), path("p.zep"), path("cd")}), 0);
    EXPECT_EQ(runtime::appendedProjectOffset(path("cd")), std::optional<uint64_t>(64));
    EXPECT_EQ(run({"append", path("missing"), path("p.zep"), path("cd2")}), 1);
    EXPECT_EQ(run({"append", path("player")}), 2);
}

}  // namespace
