#include "runtime/AppendedProject.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class AppendedProjectTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-append-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
        write("player", std::string(100, 'P'));
        write("a.zep", "TPF0 project A");
        write("b.zep", "TPF0 B");
    }
    void TearDown() override { fs::remove_all(m_dir); }
    void write(const char* name, const std::string& data) {
        std::ofstream(m_dir / name, std::ios::binary) << data;
    }
    std::string read(const char* name) {
        std::ifstream in(m_dir / name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path m_dir;
};

TEST_F(AppendedProjectTest, TrailerPointsAtTheProject) {
    runtime::appendProject(m_dir / "player", m_dir / "a.zep", m_dir / "out");
    auto offset = runtime::appendedProjectOffset(m_dir / "out");
    ASSERT_TRUE(offset);
    EXPECT_EQ(*offset, 100u);
    EXPECT_EQ(read("out").substr(100, 14), "TPF0 project A");
    EXPECT_FALSE(runtime::appendedProjectOffset(m_dir / "player"));
}

TEST_F(AppendedProjectTest, AppendingAgainReplacesTheEarlierProject) {
    runtime::appendProject(m_dir / "player", m_dir / "a.zep", m_dir / "one");
    runtime::appendProject(m_dir / "one", m_dir / "b.zep", m_dir / "two");
    EXPECT_EQ(read("two").size(), 100u + 6u + runtime::kAppendTrailerSize);
    EXPECT_EQ(runtime::appendedProjectOffset(m_dir / "two"), std::optional<uint64_t>(100));
}

TEST_F(AppendedProjectTest, DamagedTrailersAreNotTrusted) {
    std::string trailer(16, '\0');
    trailer.replace(8, 8, "VNTRLZEP");
    write("zero", "abc" + trailer);  // offset 0
    EXPECT_FALSE(runtime::appendedProjectOffset(m_dir / "zero"));
    trailer[0] = '\x50';
    write("past", "abc" + trailer);  // offset 80 beyond the end
    EXPECT_FALSE(runtime::appendedProjectOffset(m_dir / "past"));
    write("short", "VNTRLZEP");
    EXPECT_FALSE(runtime::appendedProjectOffset(m_dir / "short"));
    EXPECT_FALSE(runtime::appendedProjectOffset(m_dir / "missing"));
    EXPECT_THROW(runtime::appendProject(m_dir / "missing", m_dir / "a.zep", m_dir / "o"), std::exception);
}

}  // namespace
