// Where the real player extracts a project's files, and what it leaves behind: nothing
// beside the project when no temporary folder can be made, nothing at all after it was
// terminated in the middle of an extraction.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <map>
#include <random>

#include "PlayerProcess.h"
#include "classes/TextForm.h"
#include "player/ProjectFile.h"

namespace fs = std::filesystem;
using e2e::PlayerProcess;
using e2e::Sandbox;

namespace {

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

std::string joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\n";
    return s;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every entry below `dir` with its bytes (folders as "<dir>").
std::map<std::string, std::string> snapshot(const fs::path& dir) {
    std::map<std::string, std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        const std::string name = fs::relative(e.path(), dir).string();
        out[name] = e.is_directory() ? std::string("<dir>") : readFile(e.path());
    }
    return out;
}

player::ProjectContents project(std::vector<player::EmbeddedFile> files) {
    player::ProjectContents p;
    p.form = classes::textToBinary("object MainForm: TAutorunForm\n  Caption = 'Files'\nend\n");
    p.files = std::move(files);
    p.script = "begin\r\nend.\r\n";
    return p;
}

// A project whose files share their names with the user's files beside it.
class NoTemporaryFolder : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir);
        std::ofstream(m_dir / "p.zep", std::ios::binary) << player::writeProject(project({
            {"C:\\notes.txt", "the project's notes", 0x35472548},
            {"C:\\docs\\readme.txt", "the project's readme", 0x35472548},
        }));
        std::ofstream(m_dir / "notes.txt", std::ios::binary) << "my own notes\r\n";
        std::ofstream(m_dir / "script.txt", std::ios::binary) << "my own script";
        fs::create_directories(m_dir / "docs");
        std::ofstream(m_dir / "docs" / "readme.txt", std::ios::binary) << "my readme";
    }
    PlayerProcess play(std::vector<std::string> environment) {
        fs::path exe = m_box.dir() / "player";
        if (!fs::exists(exe)) m_box.copyPlayer("player");
        return PlayerProcess(m_box, exe, {{(m_dir / "p.zep").string()}, true, "", std::move(environment)});
    }

    Sandbox m_box;
    fs::path m_dir = m_box.dir() / "project";
};

TEST_F(NoTemporaryFolder, TheProjectIsRefusedAndTheFilesBesideItAreUntouched) {
    const auto before = snapshot(m_dir);
    // /proc is a folder nobody may create anything in.
    PlayerProcess p = play({"TMP=/proc", "TEMP=/proc", "TMPDIR=/proc"});
    EXPECT_EQ(p.wait(), 30);
    const std::string log = joined(p.logLines());
    EXPECT_TRUE(
        contains(log,
                 "{\"kind\":\"message\",\"caption\":\"Error\",\"text\":\"Unable to create a temporary "
                 "folder in \\\"Z:\\\\proc\\\".\\r\\n\\r\\nThe file \\\"Z:"))
        << log;
    EXPECT_TRUE(contains(log, "p.zep\\\"\\r\\ncannot be played without one.\",\"icon\":\"error\""));
    EXPECT_FALSE(contains(log, "\"kind\":\"embedded\""));
    EXPECT_FALSE(contains(log, "\"kind\":\"script\""));
    EXPECT_EQ(p.logLines().back(), "{\"kind\":\"exit\",\"code\":30}");
    EXPECT_EQ(snapshot(m_dir), before);
}

TEST_F(NoTemporaryFolder, TheNextCandidateFolderIsUsedWhenTheFirstRefuses) {
    const auto before = snapshot(m_dir);
    PlayerProcess p = play({"TMP=/proc", "TEMP=" + m_box.tmp().string()});
    EXPECT_EQ(p.wait(), 0);
    const std::string log = joined(p.logLines());
    EXPECT_TRUE(contains(log, "\"files\":2,\"ok\":true")) << log;
    EXPECT_TRUE(contains(log, "\"kind\":\"script\""));
    EXPECT_EQ(snapshot(m_dir), before);
    EXPECT_TRUE(m_box.appFolders().empty());
}

// SIGTERM while the files are being written: the exit path removes the folder while the
// restore runs on, so the restore must not create anything once the removal has begun.
TEST(Termination, MidExtractionLeavesNothingBehind) {
    Sandbox box;
    std::vector<player::EmbeddedFile> files;
    std::mt19937 rng(12);
    for (int i = 0; i < 4000; ++i) {
        std::string text(200 + rng() % 200, ' ');
        for (char& c : text) c = static_cast<char>('a' + rng() % 26);
        files.push_back({"C:\\f\\file" + std::to_string(i) + ".txt", text, 0x35472548});
    }
    box.write("big.zep", player::writeProject(project(std::move(files))));
    const fs::path exe = box.copyPlayer("player");

    int midway = 0;
    for (int run = 0; run < 40; ++run) {
        PlayerProcess p(box, exe, {{(box.dir() / "big.zep").string()}, true, ""});
        // Wait until files are being written, then let the restore go on for a moment.
        auto extracting = [&] {
            for (const fs::path& app : box.appFolders()) {
                std::error_code ec;
                for (fs::directory_iterator it(app, ec), end; !ec && it != end; it.increment(ec)) {
                    if (it->path().filename().string().find("Embedded") == std::string::npos) continue;
                    fs::directory_iterator inside(it->path(), ec);
                    if (!ec && inside != fs::directory_iterator()) return true;
                }
            }
            return false;
        };
        const bool started = e2e::waitFor(extracting, std::chrono::seconds(30));
        ASSERT_TRUE(started) << "run " << run << ": no extraction seen";
        struct timespec pause = {0, static_cast<long>(rng() % 20) * 1000 * 1000};
        nanosleep(&pause, nullptr);
        const bool stillExtracting = joined(p.logLines()).find("\"kind\":\"embedded\"") == std::string::npos;
        p.signal(SIGTERM);
        EXPECT_EQ(p.wait(), 128 + SIGTERM) << "run " << run;
        if (stillExtracting) ++midway;
        std::vector<std::string> left;
        for (const auto& e : fs::recursive_directory_iterator(box.tmp()))
            left.push_back(fs::relative(e.path(), box.tmp()).string());
        std::string shown;
        for (size_t i = 0; i < left.size() && i < 5; ++i) shown += " " + left[i];
        ASSERT_TRUE(left.empty()) << "run " << run << " left" << shown << " (" << left.size() << " entries)";
    }
    // The test means something only when most signals land during the restore.
    EXPECT_GE(midway, 20);
}

}  // namespace
