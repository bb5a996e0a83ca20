#include "platform/Drives.h"

#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "tests/support/FakeMountTable.h"
#include "tests/support/TempTree.h"

namespace fs = std::filesystem;
using platform::DriveType;

namespace {

TEST(MountInfoTest, ParsesFieldsEscapesAndOptionalTags) {
    const char* text =
        "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
        "40 26 8:17 / /media/My\\040Stick rw,nosuid master:3 propagation_from:2 - vfat /dev/sdb1 rw\n"
        "41 26 0:50 /sub /srv/nfs rw - nfs4 server:/export rw\n"
        "broken line without the separator\n"
        "42 26 x:y / /bad rw - ext4 /dev/x rw\n"
        "43 26 0:51 / relative rw - ext4 /dev/y rw\n"
        "44 26 0:52 / /short rw -\n";
    auto mounts = platform::parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].mountPoint, fs::path("/"));
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[0].major, 254u);
    EXPECT_EQ(mounts[1].mountPoint, fs::path("/media/My Stick"));
    EXPECT_EQ(mounts[1].source, "/dev/sdb1");
    EXPECT_EQ(mounts[1].minor, 17u);
    EXPECT_EQ(mounts[2].fsType, "nfs4");
    EXPECT_EQ(mounts[2].source, "server:/export");
}

TEST(MountInfoTest, PseudoAndSystemMountsGetNoLetter) {
    auto m = [](const char* point, const char* type) { return platform::MountEntry{point, type, "x", 0, 0}; };
    EXPECT_TRUE(platform::isSystemMount(m("/proc", "proc")));
    EXPECT_TRUE(platform::isSystemMount(m("/sys/fs/cgroup", "tmpfs")));
    EXPECT_TRUE(platform::isSystemMount(m("/mnt/x", "cgroup2")));
    EXPECT_TRUE(platform::isSystemMount(m("/boot/efi", "vfat")));
    EXPECT_TRUE(platform::isSystemMount(m("/run/user/1000", "tmpfs")));
    EXPECT_TRUE(platform::isSystemMount(m("/dev/shm", "tmpfs")));
    EXPECT_FALSE(platform::isSystemMount(m("/run/media/me/STICK", "vfat")));
    EXPECT_FALSE(platform::isSystemMount(m("/", "overlay")));
    EXPECT_FALSE(platform::isSystemMount(m("/mnt/ram", "tmpfs")));
    EXPECT_FALSE(platform::isSystemMount(m("/bootstrap", "ext4")));
}

TEST(MountInfoTest, ClassifiesByTypeDeviceAndSysfs) {
    FakeMountTable t;
    t.add("/media/usb", "vfat", "/dev/sdb1", 8, 17).last().removable = true;
    auto type = [&](const char* fsType, const char* source, unsigned major = 0, unsigned minor = 0) {
        return platform::classifyMount({"/x", fsType, source, major, minor}, t);
    };
    EXPECT_EQ(type("iso9660", "/dev/sr0"), DriveType::CdRom);
    EXPECT_EQ(type("udf", "/dev/loop0"), DriveType::CdRom);
    EXPECT_EQ(type("auto", "/dev/sr1", 11, 1), DriveType::CdRom);
    EXPECT_EQ(type("nfs4", "server:/x"), DriveType::Remote);
    EXPECT_EQ(type("cifs", "//server/share"), DriveType::Remote);
    EXPECT_EQ(type("fuse.sshfs", "me@host:"), DriveType::Remote);
    EXPECT_EQ(type("tmpfs", "tmpfs"), DriveType::RamDisk);
    EXPECT_EQ(type("vfat", "/dev/sdb1", 8, 17), DriveType::Removable);
    EXPECT_EQ(type("ext4", "/dev/sda1", 8, 1), DriveType::Fixed);
}

class DriveListTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* f : {"c", "cdrom", "usb", "net", "ram", "twice", "data"})
            fs::create_directories(m_tree.native(f));
        m_table.map('C', m_tree.native("c"));
        m_table.map('Z', "/");
        m_mounts.add("/", "ext4", "/dev/vda", 254, 0);
        m_mounts.add("/proc", "proc", "proc");
        m_mounts.add(m_tree.native("cdrom"), "iso9660", "/dev/sr0", 11, 0);
        m_mounts.add(m_tree.native("usb"), "vfat", "/dev/sdb1", 8, 17).last().removable = true;
        m_mounts.add(m_tree.native("net"), "nfs4", "server:/export");
        m_mounts.add(m_tree.native("ram"), "tmpfs", "tmpfs");
        m_mounts.add(m_tree.native("gone"), "ext4", "/dev/sdc1", 8, 33);  // no such folder
        m_mounts.add(m_tree.native("twice"), "ext4", "/dev/sdd1", 8, 49);
        m_mounts.add(m_tree.native("twice"), "iso9660", "/dev/sr1", 11, 1);  // hides the first
    }
    TempTree m_tree{"drives"};
    platform::DriveTable m_table;
    FakeMountTable m_mounts;
};

TEST_F(DriveListTest, EveryRealMountGetsALetterAndAType) {
    auto drives = platform::listDrives(m_table, m_mounts);
    std::string letters;
    std::vector<DriveType> types;
    for (const auto& d : drives) {
        letters += d.letter;
        types.push_back(d.type);
    }
    EXPECT_EQ(letters, "CDEFGHZ");
    EXPECT_EQ(types, (std::vector<DriveType>{DriveType::Fixed, DriveType::CdRom, DriveType::Removable,
                                             DriveType::Remote, DriveType::RamDisk, DriveType::CdRom,
                                             DriveType::Fixed}));
    EXPECT_EQ(m_table.root('H'), m_tree.native("twice"));
    // Letters are kept for the run: a second listing gives the same ones.
    auto again = platform::listDrives(m_table, m_mounts);
    ASSERT_EQ(again.size(), drives.size());
    for (size_t i = 0; i < drives.size(); ++i) EXPECT_EQ(again[i].root, drives[i].root);
}

TEST_F(DriveListTest, ProjectDrivesKeepTheirLettersAndMissingRootsAreNoDrives) {
    m_table.map('D', m_tree.native("usb"));  // the project's drive, mapped by the loader
    m_mounts.add(m_tree.native("data"), "ext4", "/dev/sde1", 8, 65);
    auto drives = platform::listDrives(m_table, m_mounts);
    EXPECT_EQ(m_table.root('D'), m_tree.native("usb"));
    EXPECT_EQ(m_table.root('E'), m_tree.native("cdrom"));
    auto d = platform::findDrive('d', m_table, m_mounts);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->letter, 'D');
    EXPECT_EQ(d->type, DriveType::Removable);
    EXPECT_FALSE(platform::findDrive('Q', m_table, m_mounts));
    EXPECT_FALSE(platform::findDrive('?', m_table, m_mounts));
    m_table.map('Q', m_tree.native("gone"));
    EXPECT_FALSE(platform::findDrive('Q', m_table, m_mounts));
}

TEST(DrivesSmokeTest, TheRootFileSystemOfThisMachine) {
    auto system = platform::systemMountTable();
    auto mounts = system->mounts();
    ASSERT_FALSE(mounts.empty());
    EXPECT_TRUE(std::any_of(mounts.begin(), mounts.end(), [](const auto& m) { return m.mountPoint == "/"; }));
    auto space = system->space("/");
    ASSERT_TRUE(space);
    EXPECT_GT(space->total, 0u);
    EXPECT_LE(space->available, space->total);
    EXPECT_FALSE(system->space("/no/such/folder"));
    auto z = platform::findDrive('Z', platform::drives(), *system);
    ASSERT_TRUE(z);
    EXPECT_EQ(z->root, fs::path("/"));
    EXPECT_NE(z->type, DriveType::Unknown);
    EXPECT_EQ(z->mount.mountPoint, fs::path("/"));
    EXPECT_TRUE(platform::findDrive('C', platform::drives(), *system));
}

}  // namespace
