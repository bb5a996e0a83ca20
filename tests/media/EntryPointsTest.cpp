// The entry-point tables are complete, so the all-or-nothing binding holds.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "media/Bass.h"
#include "media/CdAudio.h"
#include "media/EntryPoints.h"
#include "media/ErrorCode.h"
#include "media/Tags.h"
#include "media/cd/CdDrive.h"

using namespace media;

namespace {

TEST(EntryPoints, EveryFamilyIsCompleteAndUnique) {
    const struct {
        std::span<const EntryPoint> table;
        size_t count;
    } families[] = {{bassEntryPoints(), 100}, {cdEntryPoints(), 19}, {tagsEntryPoints(), 3}};
    for (const auto& family : families) {
        EXPECT_EQ(family.table.size(), family.count);
        std::set<std::string> names;
        for (const EntryPoint& entry : family.table) {
            EXPECT_NE(entry.address, nullptr) << entry.name;
            EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
        }
    }
    EXPECT_EQ(std::string(bassEntryPoints().front().name), "BASS_SetConfig");
    EXPECT_EQ(std::string(bassEntryPoints().back().name), "BASS_FXGetParameters");
    EXPECT_EQ(findEntryPoint(bassEntryPoints(), "BASS_NoSuchCall"), nullptr);
}

TEST(EntryPoints, BoundCallsReachTheEngine) {
    auto getVersion = bindEntryPoint<decltype(BASS_GetVersion)>(bassEntryPoints(), "BASS_GetVersion");
    ASSERT_NE(getVersion, nullptr);
    EXPECT_EQ(getVersion(), 2u);
    auto tagsVersion = bindEntryPoint<decltype(TAGS_GetVersion)>(tagsEntryPoints(), "TAGS_GetVersion");
    ASSERT_NE(tagsVersion, nullptr);
    EXPECT_EQ(tagsVersion(), 1u);
}

TEST(EntryPoints, CdCallsRefuseADriveThatIsNotThere) {
    const auto unknown = static_cast<uint32_t>(cdDrives().size());
    EXPECT_EQ(BASS_CD_GetDriveDescription(unknown), nullptr);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    EXPECT_EQ(BASS_CD_GetDriveLetter(unknown), -1);
    EXPECT_EQ(BASS_CD_GetTracks(unknown), 0xFFFFFFFFu);
    EXPECT_FALSE(BASS_CD_Door(unknown, 1));
    EXPECT_EQ(BASS_CD_StreamCreate(unknown, 0, 0x50000), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), kErrorDevice);
    EXPECT_EQ(BASS_CD_StreamGetTrack(1), 0xFFFFFFFFu);
}

}  // namespace
