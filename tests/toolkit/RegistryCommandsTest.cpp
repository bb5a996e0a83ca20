// zeptool reg-import and reg-export on a user store in a scratch data folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/Registry.h"
#include "toolkit/Zeptool.h"

namespace fs = std::filesystem;

namespace {

class RegistryCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("zeptool-registry-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        const char* old = std::getenv("XDG_DATA_HOME");
        m_oldData = old ? std::optional<std::string>(old) : std::nullopt;
        setenv("XDG_DATA_HOME", (m_dir / "data").c_str(), 1);
    }
    void TearDown() override {
        if (m_oldData) {
            setenv("XDG_DATA_HOME", m_oldData->c_str(), 1);
        } else {
            unsetenv("XDG_DATA_HOME");
        }
        fs::remove_all(m_dir);
    }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    int run(std::vector<std::string> args) {
        args.insert(args.begin(), "zeptool");
        out.str("");
        err.str("");
        return toolkit::runZeptool(args, out, err);
    }

    fs::path m_dir;
    std::optional<std::string> m_oldData;
    std::ostringstream out, err;
};

TEST_F(RegistryCommandsTest, ImportSeedsTheUsersStoreAndExportWritesItBack) {
    const std::string seed =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Tamberlo\\Vantrel\\Variables]\r\n"
        "\"Level\"=dword:00000003\r\n"
        "\"Name\"=\"Ann\"\r\n"
        "\r\n";
    toolkit::writeWholeFile(path("seed.reg"), seed);
    ASSERT_EQ(run({"reg-import", path("seed.reg")}), 0) << err.str();
    EXPECT_EQ(out.str(), "imported 3 entries from " + path("seed.reg") + "\n");
    auto store = platform::RegistryStore::open(m_dir / "data" / "vantrel" / "registry.db");
    EXPECT_EQ(store->readString(platform::RegistryRoot::CurrentUser, "Software\\Tamberlo\\Vantrel\\Variables",
                                "name"),
              "Ann");

    ASSERT_EQ(run({"reg-export", path("out.reg"), "HKCU\\Software\\Tamberlo\\Vantrel\\Variables"}), 0)
        << err.str();
    EXPECT_EQ(toolkit::readWholeFile(path("out.reg")), seed);
    ASSERT_EQ(run({"reg-export", path("all.reg")}), 0) << err.str();
    EXPECT_NE(toolkit::readWholeFile(path("all.reg")).find("\"ProgramFilesDir\""), std::string::npos);
}

TEST_F(RegistryCommandsTest, BadInputIsOneClearLineWithItsExitCode) {
    toolkit::writeWholeFile(path("bad.reg"), "REGEDIT4\r\n[HKCU\\Software\\X]\r\n\"v\"=dword:xyz\r\n");
    EXPECT_EQ(run({"reg-import", path("bad.reg")}), 1);
    EXPECT_EQ(err.str(), "zeptool: " + path("bad.reg") + ": line 3: bad dword\n");
    EXPECT_EQ(run({"reg-import", path("missing.reg")}), 1);
    EXPECT_EQ(run({"reg-export", path("x.reg"), "HKCU\\Software\\Nothing"}), 1);
    EXPECT_EQ(err.str(), "zeptool: no such key: HKEY_CURRENT_USER\\Software\\Nothing\n");
    EXPECT_FALSE(fs::exists(path("x.reg")));
    EXPECT_EQ(run({"reg-export", path("x.reg"), "HKEY_NOWHERE\\Software"}), 2);
    EXPECT_EQ(run({"reg-import"}), 2);
    EXPECT_EQ(run({"reg-export"}), 2);
}

}  // namespace
