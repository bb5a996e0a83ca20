// The file, folder and drive routines called from scripts through their declarations. Each
// script in tests/library/scripts/files_*.pas logs what it sees; its trailing "// expect: LINE"
// comments list the log line by line, and its "// answer: TEXT" comments are the automation
// answers its dialogs get, in order. TESTDIR is a fresh folder (Windows form) for the script's
// files, FIXTURES a folder with what scripts cannot make (an executable, mounted drives), and
// Rel() shows TESTDIR as <T>. Placeholders expand "%TMPAPPDIR%" to TESTDIR, "%Embedded%" to
// nothing (no project loaded) and "%n" to a line break.
#include <gtest/gtest.h>

#include "base/AnsiText.h"
#include "library/Expansion.h"
#include "library/IFSI_Files.h"
#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/RegionalSettings.h"
#include "script/std/StdImports.h"
#include "tests/script/ExpectedLog.h"
#include "tests/script/ScriptSession.h"
#include "tests/support/FakeMountTable.h"
#include "tests/support/PeImage.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;

namespace {

const fs::path kScripts = fs::path(VANTREL_SOURCE_DIR) / "tests/library/scripts";

std::string s_testDir;

std::string expandForTests(std::string_view text) {
    std::string out = base::replaceAllText(text, "%TMPAPPDIR%", s_testDir);
    out = base::replaceAllText(out, "%Embedded%", "");
    return base::replaceAllText(out, "%n", "\r\n");
}

class FilesScript : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        s_testDir = m_tree.win();
        library::setPlaceholderExpander(&expandForTests);
        for (char l = 'D'; l < 'Z'; ++l) platform::drives().unmap(l);
        m_fixtures.write("app.exe", testdata::peImage());
        fs::create_directories(m_fixtures.native("cd"));
        fs::create_directories(m_fixtures.native("usb"));
        auto mounts = std::make_unique<FakeMountTable>();
        mounts->add("/", "ext4", "/dev/vda", 254, 0);
        mounts->add(m_fixtures.native("cd"), "iso9660", "/dev/sr0", 11, 0).last().space->readOnly = true;
        mounts->add(m_fixtures.native("usb"), "vfat", "/dev/sdb1", 8, 17);
        mounts->last().removable = true;
        mounts->last().label = "STICK";
        mounts->last().space = platform::SpaceInfo{4000000, 1500000, false};
        platform::setMountTable(std::move(mounts));

        m_vocabulary.constant("TESTDIR", s_testDir)
            .constant("FIXTURES", m_fixtures.win())
            .routine("function Rel(const S: string): string;",
                     [](std::string_view s) { return base::replaceAllText(s, s_testDir, "<T>"); });
        m_session.tables.push_back(&script::dateUtilsImports());
        m_session.tables.push_back(&library::fileImports());
        m_session.tables.push_back(&m_vocabulary);
    }
    void TearDown() override {
        platform::installDialogs(nullptr);
        platform::setMountTable(nullptr);
        for (char l = 'D'; l < 'Z'; ++l) platform::drives().unmap(l);
        library::setPlaceholderExpander(nullptr);
    }
    TempTree m_tree{"files-script"};
    TempTree m_fixtures{"files-fixtures"};
    script::Imports m_vocabulary;
    ScriptSession m_session;
};

TEST_P(FilesScript, LogsWhatItExpects) {
    const std::string source = readTextFile(kScripts / GetParam());
    ASSERT_FALSE(source.empty()) << GetParam();
    std::string answers;
    std::istringstream lines(taggedLines(source, "// answer: "));
    for (std::string a; std::getline(lines, a);) answers += "answer " + a + "\n";
    platform::installDialogs(std::make_unique<platform::DialogService>(
        std::make_unique<platform::AutomationBackend>(platform::AutomationScript::parse(answers)), nullptr));
    ASSERT_TRUE(m_session.run(source)) << m_session.error;
    EXPECT_EQ(m_session.log, taggedLines(source));
    EXPECT_NE(m_session.log, "");
}

TEST_F(FilesScript, SizeTextsUseTheRegionalSeparators) {
    platform::RegionalSettings settings;
    settings.thousandSeparator = '.';
    settings.decimalSeparator = ',';
    platform::setRegionalSettings(settings);
    const bool ran = m_session.run("begin Log(IntToKBStr(5242881) + ' ' + IntToMBStr(1293942785)); end.");
    platform::resetRegionalSettings();
    ASSERT_TRUE(ran) << m_session.error;
    EXPECT_EQ(m_session.log, "5.121 1.234,1\n");
}

INSTANTIATE_TEST_SUITE_P(Families, FilesScript,
                         ::testing::Values("files_paths.pas", "files_listing.pas", "files_readwrite.pas",
                                           "files_copying.pas", "files_drives.pas"),
                         [](const auto& test) { return test.param.substr(6, test.param.find('.') - 6); });

}  // namespace
