// The drive routines over a mount table the test writes, and the size texts.
#include "library/Drives.h"

#include <gtest/gtest.h>

#include "base/Error.h"
#include "classes/TStrings.h"
#include "platform/Paths.h"
#include "tests/support/FakeMountTable.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using namespace library;

namespace {

std::vector<std::string> items(const classes::TStrings& list) {
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.get(i));
    return out;
}

// Drives D: to G: come from the mounts below, in mount order; C: and Z: are always there.
class LibraryDrivesTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (char l = 'D'; l < 'Z'; ++l) platform::drives().unmap(l);
        for (const char* f : {"cd", "usb", "ro", "net", "usb/sub"}) fs::create_directories(t.native(f));
        auto mounts = std::make_unique<FakeMountTable>();
        mounts->add("/", "ext4", "/dev/vda", 254, 0);
        mounts->add(t.native("cd"), "iso9660", "/dev/sr0", 11, 0);
        mounts->add(t.native("usb"), "vfat", "/dev/sdb1", 8, 17);
        mounts->last().removable = true;
        mounts->last().label = "STICK";
        mounts->last().space = platform::SpaceInfo{4000000, 1500000, false};
        mounts->add(t.native("ro"), "ext4", "/dev/sdc1", 8, 33);
        mounts->last().space->readOnly = true;
        mounts->add(t.native("net"), "nfs4", "server:/export");
        mounts->last().writable = false;
        m_mounts = mounts.get();
        platform::setMountTable(std::move(mounts));
        m_list = availableDrives();  // gives the letters
    }
    void TearDown() override {
        for (char l = 'D'; l < 'Z'; ++l) platform::drives().unmap(l);
        platform::setMountTable(nullptr);
    }
    TempTree t{"libdrives"};
    FakeMountTable* m_mounts = nullptr;
    std::unique_ptr<classes::TStringList> m_list;
};

TEST_F(LibraryDrivesTest, ListsDrivesWithTheirTypes) {
    EXPECT_EQ(items(*m_list),
              (std::vector<std::string>{"C:\\ Local Disk", "D:\\ CD-ROM", "E:\\ Removable", "F:\\ Local Disk",
                                        "G:\\ Network", "Z:\\ Local Disk"}));
    EXPECT_EQ(drivesCount(), 6);
    EXPECT_EQ(items(*hardDrives()), (std::vector<std::string>{"C:\\", "F:\\", "Z:\\"}));
    EXPECT_EQ(platform::drives().root('E'), t.native("usb"));
}

TEST_F(LibraryDrivesTest, MediaAndWriteProtection) {
    EXPECT_TRUE(diskInDrive('d'));
    m_mounts->list[1].space.reset();  // the CD drive without a disc
    EXPECT_FALSE(diskInDrive('D'));
    EXPECT_FALSE(diskInDrive('Q'));
    EXPECT_FALSE(diskWriteProtected('e'));
    EXPECT_TRUE(diskWriteProtected('F'));  // mounted read-only
    EXPECT_TRUE(diskWriteProtected('G'));  // no permission to create files
    EXPECT_TRUE(diskWriteProtected('D'));  // no disc
    EXPECT_TRUE(diskWriteProtected('Q'));  // no such drive
    try {
        diskWriteProtected('1');
        FAIL() << "no error for '1'";
    } catch (const base::ScriptError& e) {
        EXPECT_STREQ(e.what(), "Invalid drive specification");
    }
}

TEST_F(LibraryDrivesTest, LettersAndIndexes) {
    EXPECT_TRUE(validDriveLetter('a'));
    EXPECT_TRUE(validDriveLetter('Z'));
    EXPECT_FALSE(validDriveLetter('['));
    EXPECT_FALSE(validDriveLetter('@'));
    EXPECT_EQ(driveLetterToIndex('a'), 1);
    EXPECT_EQ(driveLetterToIndex('Z'), 26);
    EXPECT_EQ(driveLetterToIndex('?'), 3);
    EXPECT_EQ(driveIndexToLetter(1), 'A');
    EXPECT_EQ(driveIndexToLetter(26), 'Z');
    EXPECT_EQ(driveIndexToLetter(0), 'C');
    EXPECT_EQ(driveIndexToLetter(27), 'C');
}

TEST_F(LibraryDrivesTest, ShellInfoNamesTheLabelAndLetter) {
    TDWDriveShellInfo usb = getDriveShellInfo('e');
    EXPECT_EQ(usb.DisplayName, "STICK (E:)");
    EXPECT_EQ(usb.TypeName, "Removable Disk");
    EXPECT_EQ(usb.Image, 7);
    EXPECT_EQ(usb.Icon, 0);
    EXPECT_EQ(getDriveShellInfo('C').DisplayName, "Local Disk (C:)");
    EXPECT_EQ(getDriveShellInfo('D').TypeName, "CD Drive");
    TDWDriveShellInfo none = getDriveShellInfo('Q');
    EXPECT_EQ(none.DisplayName, "");
    EXPECT_EQ(none.Image, 0);
}

TEST_F(LibraryDrivesTest, SpaceOfRootsInEitherCaseAndOfPaths) {
    int64_t free = 0, total = 0;
    EXPECT_TRUE(getTotalFreeSpace("e:\\", free));
    EXPECT_EQ(free, 1500000);
    EXPECT_TRUE(getTotalSpace("E:\\", total));
    EXPECT_EQ(total, 4000000);
    free = 0;
    EXPECT_TRUE(getTotalFreeSpace("E:\\sub", free));
    EXPECT_EQ(free, 1500000);
    EXPECT_FALSE(getTotalFreeSpace("Q:\\", free));
    EXPECT_EQ(free, -1);  // "not ready"
    total = 7;
    EXPECT_FALSE(getTotalSpace("Q:\\x", total));
    EXPECT_EQ(total, 7);
}

TEST(SizeTexts, KilobytesAndMegabytesRoundUp) {
    EXPECT_EQ(intToKBStr(0), "0");
    EXPECT_EQ(intToKBStr(1), "1");
    EXPECT_EQ(intToKBStr(1024), "1");
    EXPECT_EQ(intToKBStr(1025), "2");
    EXPECT_EQ(intToKBStr(5 * 1048576 + 1), "5,121");
    EXPECT_EQ(intToKBStr(5 * 1048576 + 1, '.'), "5.121");
    EXPECT_EQ(intToKBStr(-2048), "-2");
    EXPECT_EQ(intToKBStr(INT64_MAX), "9,007,199,254,740,992");
    EXPECT_EQ(intToMBStr(0), "0.0");
    EXPECT_EQ(intToMBStr(1), "0.1");
    EXPECT_EQ(intToMBStr(1048576), "1.0");
    EXPECT_EQ(intToMBStr(1048577), "1.1");
    EXPECT_EQ(intToMBStr(1234LL * 1048576 + 1), "1,234.1");
    EXPECT_EQ(intToMBStr(1234LL * 1048576 + 1, ' ', ','), "1 234,1");
    EXPECT_EQ(intToMBStr(-1048576 / 2), "-0.5");
}

}  // namespace
