#include <gtest/gtest.h>
#include <signal.h>

#include "PlayerProcess.h"
#include "runtime/AppendedProject.h"

namespace fs = std::filesystem;
using e2e::PlayerProcess;
using e2e::Sandbox;

namespace {

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

std::string loadLine(const fs::path& file, uint64_t offset) {
    return "{\"kind\":\"load\",\"path\":\"" + file.string() + "\",\"offset\":" + std::to_string(offset) + ",";
}

TEST(PlayerSwitches, InformationMessageNamesTheExecutableAndEndsWith124) {
    Sandbox box;
    fs::path exe = box.copyPlayer("autoplay");
    PlayerProcess p(box, exe, {{"/?"}});
    EXPECT_EQ(p.wait(), 124);
    auto log = p.logLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(contains(log[0],
                         "{\"kind\":\"message\",\"caption\":\"Information\",\"text\":\"Vantrel\\r\\n"
                         "Version 2.0.0.38\\r\\n"));
    EXPECT_TRUE(contains(log[0],
                         "Run \\\"autoplay /ABOUT\\\" to display the about box.\\r\\n"
                         "Run \\\"autoplay filename.zep\\\" to open a file.\\r\\n"
                         "Run \\\"autoplay /?\\\" to display this message.\\r\\n\\r\\n"
                         "Run \\\"autoplay /DFP\\\" to try download"));
    EXPECT_TRUE(contains(log[0], "\"icon\":\"information\",\"buttons\":[\"OK\"]"));
    EXPECT_FALSE(contains(log[0], "embedded project"));
    EXPECT_EQ(log[1], "{\"kind\":\"exit\",\"code\":124}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(PlayerSwitches, InformationWinsOverAboutAndMentionsAnAppendedProject) {
    Sandbox box;
    box.write("p.zep", "TPF0");
    fs::path plain = box.copyPlayer("plain");
    runtime::appendProject(plain, box.dir() / "p.zep", box.dir() / "cd");
    PlayerProcess p(box, box.dir() / "cd", {{"/ABOUT", "/?"}});
    EXPECT_EQ(p.wait(), 124);
    auto log = p.logLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(
        contains(log[0], "\\r\\n\\r\\nNOTE : This is an embedded project.\\r\\nRun \\\"cd\\\" to play.\""));
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(PlayerSwitches, AboutIsCaseInsensitiveButNeedsTheSlash) {
    Sandbox box;
    fs::path exe = box.copyPlayer("player");
    PlayerProcess about(box, exe, {{"/about"}});
    EXPECT_EQ(about.wait(), 123);
    auto log = about.logLines();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_TRUE(contains(log[0], "{\"kind\":\"about\",\"caption\":\"About ...\""));

    PlayerProcess dash(box, exe, {{"-about"}});
    EXPECT_EQ(dash.wait(), 102);
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(PlayerStart, NoProjectAndACancelledDialogEndWith102) {
    Sandbox box;
    fs::path exe = box.copyPlayer("player");
    PlayerProcess p(box, exe, {{"/SILENT"}, true, "cancel\n"});
    EXPECT_EQ(p.wait(), 102);
    auto log = p.logLines();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_TRUE(contains(log[0], "{\"kind\":\"open\",\"caption\":\"Open project to play...\""));
    EXPECT_TRUE(contains(log[0], "\"filter\":\"Ossimar (*.zep)|*.zep|*.*|*.*\",\"accepted\":false"));
    EXPECT_EQ(
        log[1],
        "{\"kind\":\"message\",\"caption\":\"Error\",\"text\":\"Internal error: \\r\\n102 : No file to load "
        "!\",\"icon\":\"warning\",\"buttons\":[\"OK\"],\"answer\":\"OK\"}");
    EXPECT_EQ(log[2], "{\"kind\":\"exit\",\"code\":102}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(PlayerStart, ProjectsAreResolvedInOrderWithRealFiles) {
    Sandbox box;
    box.write("arg.zep", "TPF0 arg");
    box.write("chosen.zep", "TPF0 chosen");
    fs::path plain = box.copyPlayer("plain");
    fs::path exe = box.dir() / "show";
    runtime::appendProject(plain, box.dir() / "arg.zep", exe);
    const uint64_t appendedAt = fs::file_size(plain);

    // These files are no real projects: the loader says so, and the player ends normally.
    {  // Only the appended project.
        PlayerProcess p(box, exe, {{"DEBUGER:12"}});
        EXPECT_EQ(p.wait(), 0);
        auto log = p.logLines();
        ASSERT_EQ(log.size(), 3u);
        EXPECT_TRUE(contains(log[0], loadLine(exe, appendedAt)));
        EXPECT_TRUE(contains(log[1], "is not an Ossimar file"));
        EXPECT_EQ(log[2], "{\"kind\":\"exit\",\"code\":0}");
    }
    box.write("show.zep", "TPF0 beside");
    {  // The ".zep" beside the player wins; a first argument that is no file falls through.
        PlayerProcess p(box, exe, {{"/SILENT"}});
        EXPECT_EQ(p.wait(), 0);
        ASSERT_FALSE(p.logLines().empty());
        EXPECT_TRUE(contains(p.logLines()[0], loadLine(box.dir() / "show.zep", 0)));
    }
    {  // An existing first argument wins over everything.
        PlayerProcess p(box, exe, {{(box.dir() / "arg.zep").string()}});
        EXPECT_EQ(p.wait(), 0);
        ASSERT_FALSE(p.logLines().empty());
        EXPECT_TRUE(contains(p.logLines()[0], loadLine(box.dir() / "arg.zep", 0)));
    }
    {  // With nothing else, the file chosen in the open dialog.
        PlayerProcess p(box, plain, {{}, true, "answer " + (box.dir() / "chosen.zep").string() + "\n"});
        EXPECT_EQ(p.wait(), 0);
        auto log = p.logLines();
        ASSERT_EQ(log.size(), 4u);
        EXPECT_TRUE(contains(log[1], loadLine(box.dir() / "chosen.zep", 0)));
    }
    EXPECT_TRUE(box.appFolders().empty());
}

// Without automation the player waits in its open dialog: a run that lasts until killed.
PlayerProcess::Options waitingInDialog() { return {{}, false, ""}; }

TEST(PlayerTemporaryFolders, TwoPlayersKeepTheirOwnFoldersAndSigtermRemovesThem) {
    Sandbox box;
    fs::path exe = box.copyPlayer("player");
    PlayerProcess first(box, exe, waitingInDialog());
    PlayerProcess second(box, exe, waitingInDialog());
    // Both folders made and locked: a folder still being made has no owner to tell apart.
    ASSERT_TRUE(e2e::waitFor([&] {
        auto folders = box.appFolders();
        return folders.size() == 2 && fs::exists(folders[0] / ".vantrel.lock") &&
               fs::exists(folders[1] / ".vantrel.lock");
    }));
    // Each start sweeps stale folders; neither may take the other's.
    PlayerProcess third(box, exe, {{"/?"}});
    EXPECT_EQ(third.wait(), 124);
    EXPECT_EQ(box.appFolders().size(), 2u);

    first.signal(SIGTERM);
    EXPECT_EQ(first.wait(), 128 + SIGTERM);
    EXPECT_EQ(first.logLines().back(), "{\"kind\":\"exit\",\"code\":143}");
    EXPECT_EQ(box.appFolders().size(), 1u);
    second.signal(SIGINT);
    EXPECT_EQ(second.wait(), 128 + SIGINT);
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(PlayerTemporaryFolders, AKilledPlayersFolderIsRemovedAtTheNextStart) {
    Sandbox box;
    fs::path exe = box.copyPlayer("player");
    PlayerProcess killed(box, exe, waitingInDialog());
    // Killed before it holds its lock, a folder is indistinguishable from one being made.
    ASSERT_TRUE(e2e::waitFor([&] {
        auto folders = box.appFolders();
        return folders.size() == 1 && fs::exists(folders[0] / ".vantrel.lock");
    }));
    fs::path left = box.appFolders()[0];
    fs::create_directories(left / "zep-EMBED");
    killed.signal(SIGKILL);
    EXPECT_EQ(killed.wait(), 128 + SIGKILL);
    EXPECT_TRUE(fs::exists(left));

    PlayerProcess next(box, exe, {{"/?"}});
    EXPECT_EQ(next.wait(), 124);
    EXPECT_FALSE(fs::exists(left));
}

}  // namespace
