// The script host in the real player: projects packed from tests/e2e/projects, played
// headless and driven by automation files.
#include <gtest/gtest.h>

#include <filesystem>

#include "PlayerProcess.h"

namespace fs = std::filesystem;
using e2e::PlayerProcess;
using e2e::Sandbox;

namespace {

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

struct Played {
    int code = -1;
    std::vector<std::string> log;

    // The log lines of one kind ("message", "step", ...), in order.
    std::vector<std::string> of(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& line : log)
            if (contains(line, "{\"kind\":\"" + kind + "\"")) out.push_back(line);
        return out;
    }
    // The texts of the message boxes, in order.
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const auto& line : of("message")) {
            size_t start = line.find("\"text\":\"") + 8;
            out.push_back(line.substr(start, line.find("\",\"icon\"") - start));
        }
        return out;
    }
    std::string all() const {
        std::string s;
        for (const auto& l : log) s += l + "\n";
        return s;
    }
};

Played play(const Sandbox& box, const std::string& project, const std::string& automation,
            std::vector<std::string> extraArgs = {}) {
    std::vector<std::string> args = {(fs::path(E2E_PROJECTS) / (project + ".zep")).string()};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    PlayerProcess p(box, e2e::builtPlayer(), {args, true, automation});
    Played r;
    r.code = p.wait();
    r.log = p.logLines();
    return r;
}

TEST(ScriptHost, AClickRunsTheHandlerTheScriptAttachedWhileTheFormIsModal) {
    Sandbox box;
    Played r = play(box, "click", "click Button1\nanswer OK\n");
    EXPECT_EQ(r.code, 0) << r.all();
    ASSERT_EQ(r.of("step").size(), 1u) << r.all();
    EXPECT_EQ(r.of("step")[0], "{\"kind\":\"step\",\"line\":1,\"step\":\"click Button1\"}");
    // The main block went on after ShowModal, with the label the handler changed.
    EXPECT_EQ(r.messages(), std::vector<std::string>{"Label1: clicked"});
    EXPECT_TRUE(contains(r.of("message")[0], "\"caption\":\"Click test\""));
    EXPECT_EQ(r.log.back(), "{\"kind\":\"exit\",\"code\":0}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(ScriptHost, TheMainFormsEntriesAreReachableByAutomation) {
    Sandbox box;
    Played r = play(box, "windowmenu",
                    "click Form1.AboutItem\nanswer OK\nclick Form1.SoundSettingsItem\nclose BassOpt\n"
                    "close Form1\nanswer OK\n");
    EXPECT_EQ(r.code, 0) << r.all();
    ASSERT_EQ(r.of("about").size(), 1u) << r.all();
    EXPECT_TRUE(contains(r.of("about")[0], "Vantrel")) << r.of("about")[0];
    // Closing the settings dialog waits for it to show: the entry opened it.
    ASSERT_EQ(r.of("step").size(), 4u) << r.all();
    EXPECT_TRUE(contains(r.of("step")[2], "close BassOpt")) << r.all();
    EXPECT_EQ(r.messages(), std::vector<std::string>{"closed"});
}

TEST(ScriptHost, ExitProcessEndsWithItsCodeAndRemovesTheTemporaryFolder) {
    Sandbox box;
    Played r = play(box, "exitcode", "answer OK\n");
    EXPECT_EQ(r.code, 7) << r.all();
    ASSERT_EQ(r.messages().size(), 1u) << r.all();
    // The embedded folder existed while the script ran, with the project's file in it.
    EXPECT_TRUE(contains(r.messages()[0], "Embedded")) << r.messages()[0];
    EXPECT_EQ(r.log.back(), "{\"kind\":\"exit\",\"code\":7}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(ScriptHost, InternalErrorShowsItsBoxAndEndsWith30) {
    Sandbox box;
    Played r = play(box, "internal", "");
    EXPECT_EQ(r.code, 30) << r.all();
    ASSERT_EQ(r.of("message").size(), 1u) << r.all();
    EXPECT_EQ(r.of("message")[0],
              "{\"kind\":\"message\",\"caption\":\"Error\",\"text\":\"Internal error: X\",\"icon\":\"error\","
              "\"buttons\":[\"OK\"],\"answer\":\"OK\"}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(ScriptHost, AScriptWithAUsesClauseDoesNotCompileAndThePlayerEndsSilently) {
    Sandbox box;
    Played r = play(box, "uses", "");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.of("message").empty()) << r.all();
    ASSERT_EQ(r.of("compile").size(), 1u) << r.all();
    EXPECT_TRUE(contains(r.of("compile")[0], "\"ok\":false")) << r.of("compile")[0];
    EXPECT_TRUE(contains(r.of("compile")[0], "'Classes'")) << r.of("compile")[0];
}

TEST(ScriptHost, AnErrorInAnEventShowsTheErrorBoxAndTheProjectGoesOn) {
    Sandbox box;
    Played r = play(box, "eventerror",
                    "click Button1\nanswer OK\nclick Button2\nanswer OK\nclick Button3\nanswer OK\n");
    EXPECT_EQ(r.code, 0) << r.all();
    const auto boxes = r.of("message");
    ASSERT_EQ(boxes.size(), 3u) << r.all();
    // The message with a full stop added after its last letter, the application's title,
    // the error icon.
    EXPECT_EQ(
        boxes[0],
        "{\"kind\":\"message\",\"caption\":\"Errors\",\"text\":\"Something went wrong.\",\"icon\":\"error\","
        "\"buttons\":[\"OK\"],\"answer\":\"OK\"}");
    EXPECT_TRUE(contains(boxes[1], "\"text\":\"divide by Zero.\",\"icon\":\"error\"")) << boxes[1];
    EXPECT_TRUE(contains(boxes[2], "\"text\":\"still running\",\"icon\":\"none\"")) << boxes[2];
    // The error in the main block ended it silently: "not reached either" never shows.
}

TEST(ScriptHost, ATimersEventRunsWhileTheMainBlockWaitsInShowModal) {
    Sandbox box;
    Played r = play(box, "timer", "");
    EXPECT_EQ(r.code, 0) << r.all();
    EXPECT_EQ(r.messages(), std::vector<std::string>{"ticks 3"});
}

TEST(Automation, StepsTypeKeyClickMenusScreenshotAndClose) {
    Sandbox box;
    const fs::path shot = box.dir() / "form.png";
    Played r = play(box, "driver",
                    "type Edit1 hello\n"
                    "key Edit1 Enter\n"
                    "answer OK\n"
                    "key Form1 F5\n"
                    "click Panel1\n"
                    "answer OK\n"
                    "click About1\n"
                    "answer OK\n"
                    "screenshot Form1 " +
                        shot.string() +
                        "\n"
                        "close Form1\n"
                        "answer OK\n");
    EXPECT_EQ(r.code, 0) << r.all();
    EXPECT_EQ(r.messages(), (std::vector<std::string>{"typed hello", "panel F5 pressed", "about", "closed"}));
    EXPECT_EQ(r.of("step").size(), 7u);
    EXPECT_TRUE(fs::exists(shot));
    EXPECT_GT(fs::file_size(shot), 100u);
}

TEST(Automation, AStepNamingNoControlFailsTheRunWithAMessage) {
    Sandbox box;
    Played r = play(box, "click", "click Nothing\n");
    EXPECT_EQ(r.code, 1) << r.all();
    ASSERT_EQ(r.of("automation").size(), 1u) << r.all();
    EXPECT_EQ(r.of("automation")[0],
              "{\"kind\":\"automation\",\"line\":1,\"step\":\"click Nothing\",\"error\":\"no control named "
              "\\\"Nothing\\\"\"}");
    EXPECT_TRUE(box.appFolders().empty());
}

TEST(Automation, AnUnknownKeyFailsTheRun) {
    Sandbox box;
    Played r = play(box, "driver", "key Edit1 Hyper\n");
    EXPECT_EQ(r.code, 1) << r.all();
    ASSERT_EQ(r.of("automation").size(), 1u) << r.all();
    EXPECT_TRUE(contains(r.of("automation")[0], "unknown key")) << r.all();
}

// The bundled demo: the script builds its buttons when the form shows; each answers. The
// visitor's name is kept in the sandbox's registry, so the second show offers it.
TEST(ScriptHost, TheDemoProjectPlaysFromEndToEnd) {
    Sandbox box;
    const fs::path shot = box.dir() / "demo.png";
    const std::string demo = (fs::path(VANTREL_BINARY_DIR) / "demo" / "demo.zep").string();
    auto run = [&](const std::string& automation) {
        PlayerProcess p(box, e2e::builtPlayer(), {{demo}, true, automation});
        Played r;
        r.code = p.wait();
        r.log = p.logLines();
        return r;
    };
    Played r =
        run("click HelloButton\nanswer Ada\n"
            "click CountButton\nclick CountButton\nclick CountButton\nanswer OK\n"
            "screenshot DemoForm " +
            shot.string() + "\nclick CloseButton\nanswer No\nclick CloseButton\nanswer Yes\n");
    EXPECT_EQ(r.code, 0) << r.all();
    ASSERT_EQ(r.of("input").size(), 1u) << r.all();
    EXPECT_TRUE(contains(r.of("input")[0], "\"initial\":\"visitor\",\"accepted\":true,\"answer\":\"Ada\""))
        << r.all();
    EXPECT_EQ(r.messages(),
              (std::vector<std::string>{"Three clicks. The script keeps count;\\r\\nthe player runs it.",
                                        "Leave the demo?", "Leave the demo?"}));
    EXPECT_TRUE(fs::exists(shot));

    r = run("click HelloButton\ncancel\nclick CloseButton\nanswer Yes\n");
    EXPECT_EQ(r.code, 0) << r.all();
    ASSERT_EQ(r.of("input").size(), 1u) << r.all();
    EXPECT_TRUE(contains(r.of("input")[0], "\"initial\":\"Ada\",\"accepted\":false")) << r.all();
}

// Every routine of the user dialogs with its edge cases; the script reports each result
// in a message box of its own ("[...]"), so each dialog gets one line of the file below.
TEST(ScriptHost, MessageAndDialogRoutinesFollowTheirExpansionAndCancelRules) {
    Sandbox box;
    const std::string automation =
        "answer OK\nanswer OK\n"                                   // ShowMessage, Writeln
        "cancel\nanswer OK\n"                                      // Readln cancelled
        "answer typed\nanswer OK\n"                                // Readln
        "cancel\nanswer OK\n"                                      // InputBox cancelled
        "answer box\nanswer OK\n"                                  // InputBox
        "answer q\nanswer OK\n"                                    // InputQuery
        "cancel\nanswer OK\n"                                      // InputQuery cancelled
        "answer OK\nanswer OK\n"                                   // MsgBox
        "answer Yes\nanswer OK\n"                                  // MessageBox
        "cancel\nanswer OK\n"                                      // MsgBox Abort/Retry/Ignore escaped
        "cancel\nanswer OK\n"                                      // SelectDirectory
        "cancel\nanswer OK\n"                                      // SelectDirectoryEX, no such folder
        "answer /tmp\nanswer OK\n"                                 // SelectDirectoryEX
        "cancel\nanswer OK\n"                                      // SelectStringFromList, empty default
        "cancel\nanswer OK\n"                                      // SelectStringFromList, default not listed
        "answer OK\nanswer OK\n"                                   // SelectStringFromList, default selected
        "answer OK\nanswer OK\n"                                   // SelectStringFromList, no list
        "cancel\nanswer OK\n"                                      // SelectColor
        "answer 65280\nanswer OK\n"                                // SelectColorEX
        "answer Liberation Serif,12,bold italic,255\nanswer OK\n"  // SelectFont
        "cancel\nanswer OK\n"                                      // SelectFont cancelled
        "cancel\nanswer OK\n"                                      // PrinterSetupDialog
        "cancel\nanswer OK\n"                                      // GetOpenFileName
        "answer /tmp/out.txt\nanswer OK\n"                         // GetSaveFileName
        "answer /tmp/p.txt\nanswer OK\n"                           // PromptForFileName
        "answer OK\n"                                              // AboutMe
        "answer OK\nanswer OK\n";                                  // Win32ErrorMsg caught, ParamStr
    Played r = play(box, "messages", automation, {"second", "third"});
    EXPECT_EQ(r.code, 0) << r.all();
    // The script's own reports ("[...]") in order, the two plain messages before them.
    const std::vector<std::string> all = r.messages();
    ASSERT_GE(all.size(), 2u) << r.all();
    const std::string tmp = all[0];
    EXPECT_TRUE(tmp.rfind("Z:\\\\", 0) == 0 && contains(tmp, "zep-") && tmp.ends_with("_al")) << tmp;
    EXPECT_EQ(all[1], "writeln\\r\\nline");
    std::vector<std::string> m;
    for (const auto& text : all)
        if (text.rfind("[", 0) == 0) m.push_back(text);
    ASSERT_EQ(m.size(), 26u) << r.all();
    EXPECT_EQ(m[0], "[]");
    EXPECT_EQ(m[1], "[typed]");
    EXPECT_EQ(m[2], "[" + tmp + "]");  // the cancelled InputBox gives its default, expanded
    EXPECT_EQ(m[3], "[box]");
    EXPECT_EQ(m[4], "[query q]");
    EXPECT_EQ(m[5], "[no query kept]");
    EXPECT_EQ(m[6], "[1]");
    EXPECT_EQ(m[7], "[6]");
    EXPECT_EQ(m[8], "[3]");  // Escape on Abort/Retry/Ignore is Abort
    EXPECT_EQ(m[9], "[]");
    EXPECT_EQ(m[10], "[no dir ]");
    EXPECT_EQ(m[11], "[dir Z:\\\\tmp]");
    EXPECT_EQ(m[12], "[a]");
    EXPECT_EQ(m[13], "[zz]");
    EXPECT_EQ(m[14], "[b]");
    EXPECT_EQ(m[15], "[]");
    EXPECT_EQ(m[16], "[255]");
    EXPECT_EQ(m[17], "[65280]");
    EXPECT_EQ(m[18], "[Liberation Serif 12]");
    EXPECT_EQ(m[19], "[font cancelled]");
    EXPECT_EQ(m[20], "[printer]");
    EXPECT_EQ(m[21], "[no open none.txt]");
    EXPECT_EQ(m[22], "[save Z:\\\\tmp\\\\out.txt]");
    EXPECT_EQ(m[23], "[prompt Z:\\\\tmp\\\\p.txt]");
    EXPECT_TRUE(m[24].rfind("[\\r\\n failed; code ", 0) == 0) << m[24];
    EXPECT_EQ(m[25], "[3 second]");

    // What the dialogs showed: expansion in MsgBox, InputBox and the about box, never in
    // InputQuery; the choice dialog's pre-selection; the file dialog's expanded folder.
    const auto inputs = r.of("input");
    ASSERT_EQ(inputs.size(), 6u);
    EXPECT_TRUE(contains(inputs[2], "\"caption\":\"\\r\\n\",\"text\":\"InputBox cancelled\"")) << inputs[2];
    EXPECT_TRUE(contains(inputs[4], "\"caption\":\"%TMPAPPDIR%\",\"text\":\"InputQuery\"")) << inputs[4];
    EXPECT_TRUE(contains(inputs[4], "\"initial\":\"%TMPAPPDIR%\"")) << inputs[4];
    const std::string boxes = r.all();
    EXPECT_TRUE(contains(boxes, "\"caption\":\"x\",\"text\":\"" + tmp + "\""));
    EXPECT_TRUE(contains(boxes,
                         "\"caption\":\"\\r\\n\",\"text\":\"Yes or no?\",\"icon\":\"question\","
                         "\"buttons\":[\"Yes\",\"No\"],\"answer\":\"Yes\""));
    const auto choices = r.of("choice");
    ASSERT_EQ(choices.size(), 4u);
    EXPECT_TRUE(contains(choices[1], "\"initial\":\"a\",\"items\":[\"a\",\"b\"]")) << choices[1];
    EXPECT_TRUE(contains(choices[2], "\"initial\":\"b\"")) << choices[2];
    EXPECT_TRUE(contains(choices[3], "\"items\":[]")) << choices[3];
    const auto folders = r.of("folder");
    ASSERT_EQ(folders.size(), 3u);
    EXPECT_TRUE(contains(folders[0], "\"text\":\"Pick \\r\\n\"")) << folders[0];
    EXPECT_TRUE(contains(folders[1], "\"text\":\"%n\"")) << folders[1];  // SelectDirectoryEX: not expanded
    EXPECT_TRUE(contains(folders[2], "\"initial\":\"Z:\\\\tmp\"")) << folders[2];
    ASSERT_EQ(r.of("about").size(), 1u);
    EXPECT_TRUE(contains(r.of("about")[0], "\"caption\":\"About App\",\"text\":\"About text\""));
    ASSERT_EQ(r.of("font").size(), 2u);
    EXPECT_TRUE(contains(r.of("font")[0], "\"initial\":\"MS Sans Serif,8,,0\"")) << r.of("font")[0];
    ASSERT_EQ(r.of("printer").size(), 1u);
    EXPECT_EQ(r.of("beep").size(), 1u);
}

}  // namespace
