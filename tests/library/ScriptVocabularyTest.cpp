// Each family of routines called from a script through the library's declarations: the
// scripts in tests/library/scripts/ log what they see, and their trailing "// expect: LINE"
// comments list the log, line by line.
#include "library/IFSI_Strings.h"

#include "classes/TComponent.h"
#include "tests/script/ExpectedLog.h"
#include "tests/script/ScriptSession.h"

#include "PinnedSettings.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

const fs::path kScripts = fs::path(VANTREL_SOURCE_DIR) / "tests/library/scripts";

class ScriptVocabulary : public PinnedSettings, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        PinnedSettings::SetUp();
        classes::ClassRegistry::registerClass(classes::TComponent::staticClass());
        session.tables.push_back(&library::stringImports());
    }
    ScriptSession session;
};

}  // namespace

TEST_P(ScriptVocabulary, FamilyScriptLogsWhatItExpects) {
    const std::string source = readTextFile(kScripts / GetParam());
    ASSERT_FALSE(source.empty()) << GetParam();
    ASSERT_TRUE(session.run(source)) << session.error;
    EXPECT_EQ(session.log, taggedLines(source));
    EXPECT_NE(session.log, "");
}

INSTANTIATE_TEST_SUITE_P(Families, ScriptVocabulary,
                         ::testing::Values("strings.pas", "coders.pas", "numbers.pas", "time.pas",
                                           "components.pas"),
                         [](const auto& test) { return test.param.substr(0, test.param.find('.')); });

TEST_F(PinnedSettings, RoutinesLeftToOtherLayersCompileButDoNotLoadUntilBound) {
    ScriptSession session;
    session.tables.push_back(&library::stringImports());
    ASSERT_TRUE(session.compile("begin Log(RepConst('%n')); end."));
    ASSERT_FALSE(session.load());
    EXPECT_EQ(session.exec->lastError().text, "Cannot Import REPCONST");

    // The run-time layer binds placeholder expansion by name.
    script::Imports host;
    host.bind("RepConst", [](std::string_view s) {
        std::string out(1, '<');
        out.append(s).push_back('>');
        return out;
    });
    session.tables.push_back(&host);
    ASSERT_TRUE(session.run("begin Log(RepConst('%n')); end.")) << session.error;
    EXPECT_EQ(session.log, "<%n>\n");

    EXPECT_TRUE(session.compile("begin Log(DERepConst('%n')); end."));
    EXPECT_FALSE(session.load());
}
