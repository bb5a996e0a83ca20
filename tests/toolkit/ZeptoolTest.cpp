// zeptool's command table and the form commands, run through the same entry point as the
// program, on files in a scratch folder.
#include "toolkit/Zeptool.h"

#include "classes/TextForm.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using toolkit::runZeptool;

namespace {

class ZeptoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zeptool-test-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "zeptool");
        out.str("");
        err.str("");
        return runZeptool(args, out, err);
    }

    fs::path m_dir;
    std::ostringstream out, err;
};

const char* kForm =
    "object Form1: TUnregisteredForm\n"
    "  Caption = 'Hi'\n"
    "  Mystery.Deep = (\n"
    "    1\n"
    "    'x')\n"
    "  object Thing1: TNobodyKnows\n"
    "    Items = <\n"
    "      item\n"
    "        Name = 'a'\n"
    "      end>\n"
    "  end\n"
    "end\n";

}  // namespace

TEST_F(ZeptoolTest, TextToFormAndBackKeepsUnknownClassesAndProperties) {
    toolkit::writeWholeFile(path("in.txt"), kForm);
    ASSERT_EQ(run({"text2form", path("in.txt"), path("form.bin")}), 0) << err.str();
    std::string bytes = toolkit::readWholeFile(path("form.bin"));
    EXPECT_EQ(bytes.substr(0, 4), "TPF0");
    ASSERT_EQ(run({"form2text", path("form.bin")}), 0) << err.str();
    EXPECT_EQ(out.str(), kForm);
}

TEST_F(ZeptoolTest, Form2TextReadsTheStreamAtAnOffset) {
    std::string stream = classes::textToBinary(kForm);
    toolkit::writeWholeFile(path("project.zep"), "HEADER-BYTES" + stream + "trailing");
    ASSERT_EQ(run({"form2text", path("project.zep"), "--offset", "12"}), 0) << err.str();
    EXPECT_EQ(out.str(), kForm);
    ASSERT_EQ(run({"form2text", "--offset", "0xC", path("project.zep")}), 0) << err.str();
    EXPECT_EQ(out.str(), kForm);
}

TEST_F(ZeptoolTest, MalformedInputGivesOneLineAndExitCodeOne) {
    std::string stream = classes::textToBinary(kForm);
    toolkit::writeWholeFile(path("cut.bin"), stream.substr(0, 30));
    EXPECT_EQ(run({"form2text", path("cut.bin")}), 1);
    std::string message = err.str();
    EXPECT_EQ(message.rfind("zeptool: " + path("cut.bin") +
                                ": offset 28: expected a property name (an identifier), found 0x07",
                            0),
              0u)
        << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);

    toolkit::writeWholeFile(path("bad.txt"), "object A: T\n  X == 1\nend\n");
    EXPECT_EQ(run({"text2form", path("bad.txt"), path("o.bin")}), 1);
    EXPECT_EQ(err.str(), "zeptool: " + path("bad.txt") + ": line 2: expected a value, found \"=\"\n");
    EXPECT_FALSE(fs::exists(path("o.bin")));

    EXPECT_EQ(run({"form2text", path("missing.bin")}), 1);
    EXPECT_NE(err.str().find("missing.bin"), std::string::npos);
    toolkit::writeWholeFile(path("small.bin"), "TPF0");
    EXPECT_EQ(run({"form2text", path("small.bin"), "--offset", "99"}), 1);
    EXPECT_NE(err.str().find("past the end"), std::string::npos);
}

TEST_F(ZeptoolTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(run({}), 2);
    EXPECT_NE(err.str().find("form2text"), std::string::npos);
    EXPECT_EQ(run({"help"}), 0);
    EXPECT_NE(out.str().find("text2form IN.txt OUT"), std::string::npos);
    EXPECT_EQ(run({"frobnicate"}), 2);
    EXPECT_EQ(err.str(), "zeptool: unknown command \"frobnicate\" (try \"zeptool help\")\n");
    EXPECT_EQ(run({"form2text"}), 2);
    EXPECT_EQ(run({"form2text", "a", "--offset"}), 2);
    EXPECT_EQ(run({"form2text", "a", "--offset", "12x"}), 2);
    EXPECT_EQ(run({"text2form", "only-one"}), 2);
}
