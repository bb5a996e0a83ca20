#include "player/ProjectFile.h"

#include <gtest/gtest.h>

#include "classes/TextForm.h"

namespace {

constexpr const char* kForm = "object Main: TAutorunForm\n  Caption = 'T'\nend\n";

player::ProjectContents sample() {
    player::ProjectContents p;
    p.form = classes::textToBinary(kForm);
    p.files = {{"C:\\a.txt", "alpha", 0x35472548}};
    p.script = "begin end.";
    p.storedList = {"one", "two"};
    return p;
}

TEST(ProjectFile, InspectingReadsBackWhatWasWritten) {
    for (const char* kind : {"ZEPScript", "ZEPScriptExtended"}) {
        auto p = sample();
        p.kind = kind;
        std::string bytes = "PLAYER" + player::writeProject(p);
        player::ProjectInfo info = player::inspectProject(bytes, 6);
        EXPECT_EQ(info.kind, kind);
        EXPECT_EQ(info.version, 20);
        EXPECT_EQ(info.formName, "Main");
        EXPECT_EQ(info.formClass, "TAutorunForm");
        EXPECT_EQ(classes::textToBinary(info.formText), p.form);
        EXPECT_TRUE(info.hasFiles);
        ASSERT_EQ(info.embedded.entries.size(), 1u);
        EXPECT_EQ(info.embedded.entries[0].size, 5u);
        ASSERT_TRUE(info.hasScriptArchive);
        EXPECT_EQ(info.scriptArchive.entries[0].name, "script.txt");
        // The archives follow each other without a gap, and the second ends the file.
        EXPECT_GT(info.scriptArchiveOffset, info.embeddedArchiveOffset);
        EXPECT_EQ(bytes.substr(info.scriptArchiveOffset + 4, 14), "Embedded Files");
    }
}

TEST(ProjectFile, OldFormatsAndMissingFlagsCarryNoScriptArchive) {
    auto p = sample();
    p.version = 7;
    player::ProjectInfo old = player::inspectProject(player::writeProject(p));
    EXPECT_TRUE(old.hasFiles);
    EXPECT_FALSE(old.hasScriptArchive);

    p = sample();
    p.hasFiles = false;
    std::string bytes = player::writeProject(p);
    bytes.pop_back();  // no flag at all
    EXPECT_FALSE(player::inspectProject(bytes).hasFiles);
}

TEST(ProjectFile, DamagedStreamsNameTheirOffset) {
    auto expectError = [](const std::string& bytes, const std::string& part) {
        try {
            player::inspectProject(bytes);
            ADD_FAILURE() << "no error for " << part;
        } catch (const std::exception& e) {
            EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
        }
    };
    expectError("XXXX", "offset 0: expected the signature");
    expectError(classes::textToBinary(kForm), "offset 4: expected the");
    std::string bytes = player::writeProject(sample());
    expectError(bytes.substr(0, 40), "offset");
    std::string damaged = bytes;
    damaged[damaged.size() - 60] ^= 0x7f;
    EXPECT_THROW(player::inspectProject(damaged.substr(0, damaged.size() - 100)), std::exception);
}

}  // namespace
