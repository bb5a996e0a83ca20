// The player loading real project files, headless, under automation.
#include <gtest/gtest.h>

#include <fstream>

#include "PlayerProcess.h"
#include "classes/TextForm.h"
#include "player/ProjectFile.h"

namespace fs = std::filesystem;
using e2e::PlayerProcess;
using e2e::Sandbox;

namespace {

constexpr const char* kForm =
    "object MainForm: TAutorunForm\n"
    "  Caption = 'Loader test'\n"
    "  object Label1: TLabel\n"
    "    Left = 8\n"
    "    Caption = 'hello'\n"
    "  end\n"
    "end\n";

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

player::ProjectContents sampleProject(const std::string& form = kForm) {
    player::ProjectContents p;
    p.form = classes::textToBinary(form);
    p.files = {{"C:\\pics\\a.txt", "alpha", 0x35472548}, {"C:\\b.txt", "beta", 0x35472548}};
    p.script = "begin\r\nend.\r\n";
    return p;
}

struct Outcome {
    int code;
    std::vector<std::string> log;
    std::string all() const {
        std::string s;
        for (const auto& l : log) s += l + "\n";
        return s;
    }
};

Outcome play(const Sandbox& box, const std::string& bytes, const std::string& automation = "") {
    box.write("p.zep", bytes);
    fs::path exe = box.dir() / "player";
    if (!fs::exists(exe)) box.copyPlayer("player");
    PlayerProcess p(box, exe, {{(box.dir() / "p.zep").string()}, true, automation});
    int code = p.wait();
    return {code, p.logLines()};
}

TEST(Loader, APackedProjectLoadsExtractsAndHandsItsScriptOver) {
    Sandbox box;
    Outcome r = play(box, player::writeProject(sampleProject()));
    EXPECT_EQ(r.code, 0);
    ASSERT_EQ(r.log.size(), 4u) << r.all();
    EXPECT_TRUE(contains(r.log[1], "{\"kind\":\"embedded\",\"folder\":\"Z:")) << r.log[1];
    EXPECT_TRUE(contains(r.log[1], "\"files\":2,\"ok\":true"));
    EXPECT_TRUE(contains(r.log[2],
                         "{\"kind\":\"script\",\"version\":20,\"has_source\":true,"
                         "\"source\":\"begin\\r\\nend.\\r\\n\""));
    EXPECT_EQ(r.log[3], "{\"kind\":\"exit\",\"code\":0}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(Loader, KindsAndVersionsFollowTheRules) {
    Sandbox box;
    auto p = sampleProject();
    p.kind = "zepscriptextended";  // lower case, with the six extra values
    Outcome lower = play(box, player::writeProject(p));
    EXPECT_EQ(lower.code, 0);
    EXPECT_TRUE(contains(lower.all(), "\"kind\":\"script\"")) << lower.all();

    p = sampleProject();
    p.version = -3;  // negative: accepted, and as version 7 or less it carries bytecode only
    p.bytecode = "BYTES";
    Outcome negative = play(box, player::writeProject(p));
    EXPECT_TRUE(contains(negative.all(), "\"has_source\":false,\"source\":\"\",\"bytecode_bytes\":5"))
        << negative.all();

    p = sampleProject();
    p.version = 21;
    Outcome newer = play(box, player::writeProject(p));
    EXPECT_EQ(newer.code, 0);
    ASSERT_EQ(newer.log.size(), 3u) << newer.all();
    EXPECT_TRUE(contains(newer.log[1],
                         "{\"kind\":\"message\",\"caption\":\"Newer version detected !\","
                         "\"text\":\"The file \\\"Z:"));
    EXPECT_TRUE(
        contains(newer.log[1], "p.zep\\\"\\r\\nis designed to be played by a newer version of Vantrel."));
    EXPECT_TRUE(contains(newer.log[1], "\"icon\":\"warning\""));
}

TEST(Loader, AnOrdinaryFormStreamIsNoProject) {
    Sandbox box;
    Outcome r = play(box, classes::textToBinary(kForm));
    EXPECT_EQ(r.code, 0);
    ASSERT_EQ(r.log.size(), 3u) << r.all();
    EXPECT_TRUE(contains(r.log[1],
                         "p.zep\\\"\\r\\nis not an Ossimar file or the file is corrupted.\","
                         "\"icon\":\"error\""));
    Outcome garbage = play(box, "TPF");
    EXPECT_TRUE(contains(garbage.all(), "is not an Ossimar file")) << garbage.all();
}

TEST(Loader, AMissingHasFilesFlagMeansNoFiles) {
    Sandbox box;
    auto p = sampleProject();
    std::string bytes = player::writeProject(p);
    p.hasFiles = false;
    std::string withoutArchives = player::writeProject(p);
    withoutArchives.pop_back();  // the flag's one byte ("False" tag)
    Outcome r = play(box, withoutArchives);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.all(), "{\"kind\":\"script\",\"version\":20,\"has_source\":false")) << r.all();
    EXPECT_FALSE(contains(r.all(), "embedded"));
}

TEST(Loader, UnknownClassesAskAbortOrIgnore) {
    Sandbox box;
    auto p = sampleProject(
        "object MainForm: TAutorunForm\n"
        "  object Strange: TNoSuchControl\n"
        "    object Inner: TLabel\n"
        "    end\n"
        "  end\n"
        "  object Label1: TLabel\n"
        "  end\n"
        "end\n");
    Outcome ignored = play(box, player::writeProject(p), "answer Ignore\n");
    EXPECT_EQ(ignored.code, 0);
    ASSERT_GE(ignored.log.size(), 2u);
    EXPECT_TRUE(contains(ignored.log[1],
                         "{\"kind\":\"message\",\"caption\":\"Error\",\"text\":\"An error "
                         "occurred:\\r\\n\\r\\n"));
    EXPECT_TRUE(contains(ignored.log[1], "TNoSuchControl"));
    EXPECT_TRUE(contains(ignored.log[1], "\"buttons\":[\"Abort\",\"Ignore\"],\"answer\":\"Ignore\""));
    EXPECT_TRUE(contains(ignored.all(), "\"kind\":\"script\""));

    Outcome aborted = play(box, player::writeProject(p), "answer Abort\n");
    EXPECT_EQ(aborted.code, 30);
    EXPECT_TRUE(contains(aborted.all(), "An error occured while loading \\\"Z:")) << aborted.all();
    EXPECT_FALSE(contains(aborted.all(), "\"kind\":\"script\""));
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(Loader, AMissingScriptFileIsALoadError) {
    Sandbox box;
    auto p = sampleProject();
    p.hasScript = false;
    std::string bytes =
        player::writeProject(p) + runtime::ArchiveWriter().bytes();  // an empty script archive
    Outcome r = play(box, bytes);
    EXPECT_EQ(r.code, 30);
    EXPECT_TRUE(contains(r.all(), "An error occured while loading")) << r.all();
    EXPECT_EQ(r.log.back(), "{\"kind\":\"exit\",\"code\":30}");
}

TEST(Loader, ADamagedArchiveIsReportedAndTheProjectStillRuns) {
    Sandbox box;
    auto p = sampleProject();
    std::string bytes = player::writeProject(p);
    size_t beta = bytes.find("beta");
    ASSERT_NE(beta, std::string::npos);  // too short to compress: stored
    bytes[beta] = 'B';
    Outcome r = play(box, bytes);
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(contains(r.all(), "CRC Failed in file Z:")) << r.all();
    EXPECT_TRUE(contains(r.all(), "\"kind\":\"script\""));
}

TEST(Loader, AnAppendedProjectPlaysFromItsOffset) {
    Sandbox box;
    box.write("p.zep", player::writeProject(sampleProject()));
    fs::path plain = box.copyPlayer("plain");
    fs::path cd = box.dir() / "cd";
    ASSERT_EQ(
        std::system(("'" + std::string(VANTREL_BINARY_DIR) + "/toolkit/zeptool' append '" + plain.string() +
                     "' '" + (box.dir() / "p.zep").string() + "' '" + cd.string() + "' >/dev/null")
                        .c_str()),
        0);
    PlayerProcess p(box, cd, {});
    EXPECT_EQ(p.wait(), 0);
    std::string all;
    for (const auto& l : p.logLines()) all += l + "\n";
    EXPECT_TRUE(contains(all, "\"offset\":" + std::to_string(fs::file_size(plain)))) << all;
    EXPECT_TRUE(contains(all, "\"kind\":\"script\""));
    // A wrong offset is no project.
    std::string bytes;
    {
        std::ifstream in(cd, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bytes[bytes.size() - 16] ^= 0x10;
    std::ofstream(cd, std::ios::binary | std::ios::trunc) << bytes;
    PlayerProcess wrong(box, cd, {});
    EXPECT_EQ(wrong.wait(), 0);
    std::string wrongLog;
    for (const auto& l : wrong.logLines()) wrongLog += l + "\n";
    EXPECT_TRUE(contains(wrongLog, "is not an Ossimar file")) << wrongLog;
}

}  // namespace
