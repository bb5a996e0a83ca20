// The registry store: names, order, roots and their overlays, deletes, seeds, and the
// database shared by two connections.
#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "base/CodePage.h"
#include "base/Error.h"
#include "platform/SystemInfo.h"

namespace fs = std::filesystem;
using platform::RegistryRoot;
using platform::RegistryStore;
using platform::RegistryValue;
using platform::RegType;

namespace {

using Names = std::vector<std::string>;

class RegistryStoreTest : public ::testing::Test {
protected:
    std::unique_ptr<RegistryStore> m_store = RegistryStore::openInMemory();
    RegistryStore& store() { return *m_store; }
    void set(RegistryRoot root, const char* key, const char* name, const char* text) {
        ASSERT_TRUE(store().setValue(root, key, name, RegistryValue::string(text)));
    }
    std::string get(RegistryRoot root, const char* key, const char* name) {
        return store().readString(root, key, name).value_or("<missing>");
    }
};

TEST_F(RegistryStoreTest, NamesMatchInAnyCaseAndKeepTheirFirstSpelling) {
    set(RegistryRoot::CurrentUser, "Apps\\MyApp\\Settings", "Colour", "red");
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "APPS\\myapp\\SETTINGS", "colour"), "red");
    set(RegistryRoot::CurrentUser, "apps\\MYAPP\\settings", "COLOUR", "blue");
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::CurrentUser, "Apps"), Names{"MyApp"});
    EXPECT_EQ(*store().valueNames(RegistryRoot::CurrentUser, "Apps\\MyApp\\Settings"), Names{"Colour"});
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "Apps\\MyApp\\Settings", "Colour"), "blue");

    // Non-ASCII names fold by the code page's letters.
    base::CodePage::setActive(1252);
    set(RegistryRoot::CurrentUser, "Software\\\xC4rger", "\xE9t\xE9", "x");
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "software\\\xE4RGER", "\xC9T\xC9"), "x");
}

TEST_F(RegistryStoreTest, SubKeysListSortedAndValuesInTheOrderFirstWritten) {
    for (const char* k : {"zeta", "Alpha", "beta", "_under", "Gamma"}) {
        ASSERT_TRUE(store().createKey(RegistryRoot::CurrentUser, std::string("Software\\T\\") + k));
    }
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::CurrentUser, "Software\\T"),
              (Names{"Alpha", "beta", "Gamma", "zeta", "_under"}));
    for (const char* v : {"b", "a", "c"}) set(RegistryRoot::CurrentUser, "Software\\T", v, v);
    set(RegistryRoot::CurrentUser, "Software\\T", "A", "again");  // rewriting keeps its place
    ASSERT_TRUE(store().deleteValue(RegistryRoot::CurrentUser, "Software\\T", "b"));
    set(RegistryRoot::CurrentUser, "Software\\T", "b", "new");
    EXPECT_EQ(*store().valueNames(RegistryRoot::CurrentUser, "Software\\T"), (Names{"a", "c", "b"}));
    EXPECT_FALSE(store().subKeyNames(RegistryRoot::CurrentUser, "Software\\Nope"));
}

TEST_F(RegistryStoreTest, TypedValuesKeepTheirBytes) {
    const std::string binary("\x00\x01\xff\x00", 4);
    ASSERT_TRUE(store().setValue(RegistryRoot::LocalMachine, "K", "bin", RegistryValue::binary(binary)));
    ASSERT_TRUE(store().setValue(RegistryRoot::LocalMachine, "K", "dw", RegistryValue::dword(0xDEADBEEF)));
    ASSERT_TRUE(store().setValue(RegistryRoot::LocalMachine, "K", "multi",
                                 RegistryValue::binary(std::string("a\0b\0\0", 5), RegType::MultiString)));
    ASSERT_TRUE(store().setValue(RegistryRoot::LocalMachine, "K", "",
                                 RegistryValue::string("%PATH%", RegType::ExpandString)));
    EXPECT_EQ(*store().value(RegistryRoot::LocalMachine, "K", "bin"), RegistryValue::binary(binary));
    EXPECT_EQ(store().value(RegistryRoot::LocalMachine, "K", "dw")->dwordValue(), 0xDEADBEEFu);
    EXPECT_EQ(store().value(RegistryRoot::LocalMachine, "K", "multi")->data, std::string("a\0b\0\0", 5));
    // The default value is the one without a name; expandable strings read as strings.
    EXPECT_EQ(get(RegistryRoot::LocalMachine, "K", ""), "%PATH%");
    EXPECT_FALSE(store().readString(RegistryRoot::LocalMachine, "K", "dw"));
    auto lookup = store().lookup(RegistryRoot::LocalMachine, "K", "none");
    EXPECT_TRUE(lookup.keyFound);
    EXPECT_FALSE(lookup.value);
    EXPECT_FALSE(store().lookup(RegistryRoot::LocalMachine, "K2", "none").keyFound);
}

TEST_F(RegistryStoreTest, PathsIgnoreOuterBackslashesAndRefuseEmptyOrLongComponents) {
    set(RegistryRoot::CurrentUser, "\\Software\\Outer\\", "v", "1");
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "Software\\Outer", "v"), "1");
    EXPECT_FALSE(
        store().setValue(RegistryRoot::CurrentUser, "Software\\\\Double", "v", RegistryValue::dword(1)));
    EXPECT_FALSE(store().createKey(RegistryRoot::CurrentUser, "Software\\" + std::string(256, 'k')));
    EXPECT_TRUE(store().createKey(RegistryRoot::CurrentUser, "Software\\" + std::string(255, 'k')));
    std::string deep;
    for (int i = 0; i < 600; ++i) deep += "d\\";
    EXPECT_FALSE(store().createKey(RegistryRoot::CurrentUser, deep));
    EXPECT_FALSE(store().keyExists(RegistryRoot::CurrentUser, "Software\\\\Double"));
}

TEST_F(RegistryStoreTest, ClassesRootLaysTheUsersClassesOverTheMachines) {
    set(RegistryRoot::LocalMachine, "Software\\Classes\\.txt", "", "txtfile");
    set(RegistryRoot::LocalMachine, "Software\\Classes\\.txt", "Content Type", "text/plain");
    set(RegistryRoot::CurrentUser, "Software\\Classes\\.txt", "", "mytxt");
    set(RegistryRoot::CurrentUser, "Software\\Classes\\.zep", "", "zepfile");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, ".txt", ""), "mytxt");
    EXPECT_EQ(get(RegistryRoot::ClassesRoot, ".TXT", "Content Type"), "text/plain");
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::ClassesRoot, ""), (Names{".txt", ".zep"}));
    EXPECT_EQ(*store().valueNames(RegistryRoot::ClassesRoot, ".txt"), (Names{"", "Content Type"}));
    // A value goes to the key that exists first; a new key is created on the machine side.
    set(RegistryRoot::ClassesRoot, ".txt", "Extra", "u");
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "Software\\Classes\\.txt", "Extra"), "u");
    set(RegistryRoot::ClassesRoot, "newtype\\shell", "", "open");
    EXPECT_EQ(get(RegistryRoot::LocalMachine, "Software\\Classes\\newtype\\shell", ""), "open");
    // Deleting removes the key from both sides, so it does not show through again.
    EXPECT_TRUE(store().deleteTree(RegistryRoot::ClassesRoot, ".txt"));
    EXPECT_FALSE(store().keyExists(RegistryRoot::ClassesRoot, ".txt"));
    EXPECT_FALSE(store().deleteTree(RegistryRoot::ClassesRoot, ""));
}

TEST_F(RegistryStoreTest, UsersHoldTheDefaultUserAndTheCurrentUserOtherRootsNothing) {
    const std::string user = platform::userName();
    ASSERT_FALSE(user.empty());
    Names expected{".DEFAULT", user};
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::Users, ""), expected);
    set(RegistryRoot::CurrentUser, "Software\\U", "v", "mine");
    EXPECT_EQ(store().readString(RegistryRoot::Users, user + "\\Software\\U", "v"), "mine");
    set(RegistryRoot::Users, ".default\\Control Panel", "x", "d");
    EXPECT_EQ(get(RegistryRoot::Users, ".DEFAULT\\Control Panel", "x"), "d");
    EXPECT_FALSE(store().setValue(RegistryRoot::Users, "", "v", RegistryValue::dword(1)));
    EXPECT_FALSE(store().createKey(RegistryRoot::Users, "someone-else\\Software"));
    EXPECT_FALSE(store().deleteTree(RegistryRoot::Users, ".DEFAULT"));
    EXPECT_FALSE(store().deleteTree(RegistryRoot::Users, user));

    set(RegistryRoot::CurrentConfig, "Display", "Res", "800x600");
    EXPECT_EQ(get(RegistryRoot::LocalMachine,
                  "System\\CurrentControlSet\\Hardware Profiles\\Current\\Display", "Res"),
              "800x600");
    for (RegistryRoot root :
         {RegistryRoot::PerformanceData, RegistryRoot::DynData, RegistryRoot(0x12345678)}) {
        EXPECT_FALSE(store().keyExists(root, ""));
        EXPECT_FALSE(store().setValue(root, "K", "v", RegistryValue::dword(1)));
        EXPECT_FALSE(store().subKeyNames(root, ""));
    }
}

TEST_F(RegistryStoreTest, DeletesRespectSubKeysValuesAndRoots) {
    set(RegistryRoot::CurrentUser, "Software\\D\\Key\\Sub", "v", "1");
    set(RegistryRoot::CurrentUser, "Software\\D\\Key2", "v", "2");
    set(RegistryRoot::CurrentUser, "Software\\D\\Key]", "v", "3");  // "]" sorts right after "\"
    set(RegistryRoot::CurrentUser, "Software\\D\\Key!", "v", "4");
    EXPECT_FALSE(store().deleteKey(RegistryRoot::CurrentUser, "Software\\D\\Key"));  // has a sub-key
    EXPECT_FALSE(store().deleteKey(RegistryRoot::CurrentUser, "Software\\D\\Key\\Sub", true));  // has a value
    EXPECT_TRUE(store().deleteKey(RegistryRoot::CurrentUser, "Software\\D\\Key\\Sub"));
    EXPECT_TRUE(store().deleteKey(RegistryRoot::CurrentUser, "Software\\D\\Key", true));
    EXPECT_FALSE(store().deleteKey(RegistryRoot::CurrentUser, "Software\\D\\Key"));

    set(RegistryRoot::CurrentUser, "Software\\D\\Key\\A\\B\\C", "v", "1");
    EXPECT_TRUE(store().deleteTree(RegistryRoot::CurrentUser, "software\\d\\key"));
    EXPECT_FALSE(store().keyExists(RegistryRoot::CurrentUser, "Software\\D\\Key\\A\\B\\C"));
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::CurrentUser, "Software\\D"),
              (Names{"Key!", "Key2", "Key]"}));
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "Software\\D\\Key]", "v"), "3");
    EXPECT_FALSE(store().deleteTree(RegistryRoot::CurrentUser, "Software\\D\\Key"));

    // Re-creating a deleted key starts empty.
    set(RegistryRoot::CurrentUser, "Software\\D\\Key\\A", "w", "x");
    EXPECT_EQ(*store().valueNames(RegistryRoot::CurrentUser, "Software\\D\\Key\\A"), Names{"w"});
    for (RegistryRoot root : {RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
        EXPECT_FALSE(store().deleteTree(root, ""));
        EXPECT_FALSE(store().deleteTree(root, "\\"));
        EXPECT_FALSE(store().deleteKey(root, ""));
    }
    EXPECT_TRUE(store().keyExists(RegistryRoot::CurrentUser, "Software"));
}

TEST_F(RegistryStoreTest, SeedsAreThereAndABatchAppliesInOrder) {
    EXPECT_EQ(
        get(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir"),
        "C:\\Program Files");
    EXPECT_EQ(
        get(RegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "CommonFilesDir"),
        "C:\\Program Files\\Common Files");
    EXPECT_EQ(store()
                  .value(RegistryRoot::CurrentUser,
                         "\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\", "ProxyEnable")
                  ->dwordValue(),
              0u);

    using Kind = platform::RegistryEdit::Kind;
    std::vector<platform::RegistryEdit> edits = {
        {Kind::SetValue, RegistryRoot::CurrentUser, "Software\\B\\Old", "v", RegistryValue::dword(1)},
        {Kind::DeleteTree, RegistryRoot::CurrentUser, "Software\\B\\Old", {}, {}},
        {Kind::CreateKey, RegistryRoot::CurrentUser, "Software\\B\\New", {}, {}},
        {Kind::SetValue, RegistryRoot::CurrentUser, "Software\\B\\New", "s", RegistryValue::string("t")},
        {Kind::DeleteValue, RegistryRoot::CurrentUser, "Software\\B\\New", "missing", {}},
        {Kind::SetValue, RegistryRoot::DynData, "X", "s", RegistryValue::string("t")},
    };
    EXPECT_EQ(store().apply(edits), 1u);  // only the write to a root that holds nothing fails
    EXPECT_EQ(*store().subKeyNames(RegistryRoot::CurrentUser, "Software\\B"), Names{"New"});
    EXPECT_EQ(get(RegistryRoot::CurrentUser, "Software\\B\\New", "s"), "t");
}

class RegistryFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-registry-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    fs::path m_dir;
};

TEST_F(RegistryFileTest, TheDatabaseKeepsValuesForTheNextOpenAndOnlyItsOwnerReadsIt) {
    fs::path file = m_dir / "sub" / "registry.db";
    {
        auto store = RegistryStore::open(file);
        ASSERT_TRUE(store->setValue(RegistryRoot::CurrentUser, "Software\\P", "n", RegistryValue::dword(7)));
    }
    auto again = RegistryStore::open(file);
    EXPECT_EQ(again->value(RegistryRoot::CurrentUser, "Software\\P", "n")->dwordValue(), 7u);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THROW(RegistryStore::open("/proc/no/such/registry.db"), base::PlatformError);
}

TEST_F(RegistryFileTest, TwoConnectionsWritingAtOnceLoseNothing) {
    fs::path file = m_dir / "registry.db";
    RegistryStore::open(file);  // created before both start, as by an earlier run
    auto writer = [&](const std::string& prefix) {
        auto store = RegistryStore::open(file);
        for (int i = 0; i < 500; ++i) {
            // Alternate between a shared key and a private one, so the writers contend.
            std::string key = i % 2 ? "Software\\Shared" : "Software\\" + prefix;
            store->setValue(RegistryRoot::CurrentUser, key, prefix + std::to_string(i),
                            RegistryValue::dword(i));
        }
    };
    std::thread a(writer, "a"), b(writer, "b");
    a.join();
    b.join();
    auto store = RegistryStore::open(file);
    size_t total = 0;
    for (const char* key : {"Software\\Shared", "Software\\a", "Software\\b"}) {
        total += store->valueNames(RegistryRoot::CurrentUser, key)->size();
    }
    EXPECT_EQ(total, 1000u);
    EXPECT_EQ(store->value(RegistryRoot::CurrentUser, "Software\\Shared", "b499")->dwordValue(), 499u);
}

TEST_F(RegistryFileTest, AReaderSeesEveryCommitOfAnotherConnectionAtOnce) {
    fs::path file = m_dir / "registry.db";
    auto reader = RegistryStore::open(file);
    auto writer = RegistryStore::open(file);
    const char* key = "Software\\Seen";
    EXPECT_FALSE(reader->lookup(RegistryRoot::CurrentUser, key, "n").keyFound);
    // Enough commits that the log is checkpointed and restarted on the way; each one must
    // reach the reader, which answers repeated reads without asking the database.
    for (uint32_t i = 0; i < 3000; ++i) {
        ASSERT_TRUE(writer->setValue(RegistryRoot::CurrentUser, key, "n", RegistryValue::dword(i)));
        if (i % 97 == 0 || i > 2990) {
            ASSERT_EQ(reader->value(RegistryRoot::CurrentUser, key, "n")->dwordValue(), i);
            ASSERT_EQ(reader->value(RegistryRoot::CurrentUser, key, "n")->dwordValue(), i);
        }
    }
    ASSERT_TRUE(writer->deleteTree(RegistryRoot::CurrentUser, key));
    EXPECT_FALSE(reader->lookup(RegistryRoot::CurrentUser, key, "n").keyFound);
    // The reader's own writes are seen by its own reads too.
    ASSERT_TRUE(reader->setValue(RegistryRoot::CurrentUser, key, "n", RegistryValue::dword(7)));
    EXPECT_EQ(reader->value(RegistryRoot::CurrentUser, key, "n")->dwordValue(), 7u);
}

TEST(PlayerKeys, EachPlayerPathIsItsOwnKeyAndTheCurrentOneIsFixed) {
    EXPECT_EQ(platform::playerKey("Z:\\home\\me\\vantrel"),
              "Software\\Tamberlo\\Vantrel\\Z:\\home\\me\\vantrel");
    EXPECT_NE(platform::playerKey("Z:\\a\\vantrel"), platform::playerKey("Z:\\b\\vantrel"));
    std::string first = platform::currentPlayerKey();
    EXPECT_EQ(first.rfind("Software\\Tamberlo\\Vantrel\\Z:\\", 0), 0u) << first;
    EXPECT_EQ(platform::currentPlayerKey(), first);
    platform::setCurrentPlayerPath("D:\\show\\player.exe");
    EXPECT_EQ(platform::currentPlayerKey(), "Software\\Tamberlo\\Vantrel\\D:\\show\\player.exe");
}

TEST(RegistryRoots, NamesAndShortFormsMapBothWays) {
    EXPECT_EQ(platform::registryRootByName("hkcu"), RegistryRoot::CurrentUser);
    EXPECT_EQ(platform::registryRootByName("HKEY_LOCAL_MACHINE"), RegistryRoot::LocalMachine);
    EXPECT_EQ(platform::registryRootByName("HKCC"), RegistryRoot::CurrentConfig);
    EXPECT_FALSE(platform::registryRootByName("HKEY_NOPE"));
    EXPECT_EQ(platform::registryRootName(RegistryRoot::ClassesRoot), "HKEY_CLASSES_ROOT");
}

}  // namespace
