// The variables store: typed round trips, the two scopes, and values that outlive the
// process, checked with separate processes of a small program sharing one user store.
#include "library/Variables.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "classes/PropValue.h"
#include "platform/Registry.h"

namespace fs = std::filesystem;
using classes::Variant;
using VarType = classes::Variant::Type;

namespace {

class VariablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setRegistry(platform::RegistryStore::openInMemory());
        platform::setCurrentPlayerPath("Z:\\opt\\show\\vantrel");
    }
};

TEST_F(VariablesTest, ValuesComeBackInTheirTypeAndAMismatchGivesTheDefault) {
    library::setVariable(true, "X", Variant::integer(5));
    EXPECT_EQ(library::getVariable(true, "X", Variant::integer(0)), Variant::integer(5));
    EXPECT_EQ(library::getVariable(true, "x", Variant::string("")), Variant::string(""));
    library::setVariable(true, "Count", Variant::string("12"));
    EXPECT_EQ(library::getVariable(true, "Count", Variant::integer(0)), Variant::integer(0));

    const double now = 46000.75;  // a date and time
    library::setVariable(true, "D", Variant::floating(now, VarType::Date));
    auto stored = platform::registry().value(platform::RegistryRoot::CurrentUser,
                                             "Software\\Tamberlo\\Vantrel\\Variables", "D");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, uint32_t(platform::RegType::Binary));
    EXPECT_EQ(stored->data.size(), 8u);
    EXPECT_EQ(library::getVariable(true, "D", Variant::floating(0.0, VarType::Double)),
              Variant::floating(now, VarType::Double));
    EXPECT_EQ(library::getVariable(true, "Never", Variant::boolean(true)), Variant::boolean(true));
}

TEST_F(VariablesTest, EachPlayerPathKeepsItsOwnVariablesApartFromTheGlobalOnes) {
    EXPECT_EQ(library::variablesKey(true), "Software\\Tamberlo\\Vantrel\\Variables");
    EXPECT_EQ(library::variablesKey(false), "Software\\Tamberlo\\Vantrel\\Z:\\opt\\show\\vantrel\\Variables");
    library::setVariable(false, "Level", Variant::integer(1));
    platform::setCurrentPlayerPath("D:\\autorun\\vantrel.exe");
    library::setVariable(false, "Level", Variant::integer(2));
    EXPECT_EQ(library::getVariable(false, "Level", Variant::integer(0)), Variant::integer(2));
    EXPECT_EQ(library::getVariable(true, "Level", Variant::integer(0)), Variant::integer(0));
    platform::setCurrentPlayerPath("Z:\\opt\\show\\vantrel");
    EXPECT_EQ(library::getVariable(false, "Level", Variant::integer(0)), Variant::integer(1));
    // The path's folders are nested keys below the product key.
    EXPECT_TRUE(
        platform::registry().keyExists(platform::RegistryRoot::CurrentUser,
                                       "Software\\Tamberlo\\Vantrel\\D:\\autorun\\vantrel.exe\\Variables"));
}

// Separate processes of the probe program, each opening the user's store from
// $XDG_DATA_HOME as the player does.
class StoreProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("vantrel-variables-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir / "data");
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Runs the shell command with XDG_DATA_HOME set; returns its output.
    std::string run(const std::string& command, int* status = nullptr) {
        std::string full = "XDG_DATA_HOME='" + (m_dir / "data").string() + "' " + command;
        FILE* pipe = ::popen(full.c_str(), "r");
        std::string out;
        char buf[256];
        while (pipe && std::fgets(buf, sizeof buf, pipe)) out += buf;
        int rc = pipe ? ::pclose(pipe) : -1;
        if (status) *status = rc;
        return out;
    }
    // A copy of the probe in its own folder, as a second copy of the player would be.
    std::string copyProbe(const std::string& folder) {
        fs::create_directories(m_dir / folder);
        fs::path to = m_dir / folder / "probe";
        fs::copy_file(VANTREL_REGISTRY_PROBE, to);
        return to.string();
    }
    fs::path m_dir;
};

TEST_F(StoreProcessesTest, AVariableSetInOneRunIsThereInTheNextAndEachCopyHasItsOwn) {
    std::string a = copyProbe("a"), b = copyProbe("b");
    run(a + " set 1 Shared 41");
    run(a + " set 0 Mine 1");
    run(b + " set 0 Mine 2");
    EXPECT_EQ(run(b + " get 1 Shared"), "41\n");
    EXPECT_EQ(run(a + " get 0 Mine"), "1\n");
    EXPECT_EQ(run(b + " get 0 Mine"), "2\n");
    EXPECT_EQ(run(b + " get 0 Shared"), "-1\n");
    EXPECT_TRUE(fs::exists(m_dir / "data" / "vantrel" / "registry.db"));
}

TEST_F(StoreProcessesTest, TwoProcessesWritingAThousandValuesEachAtOnceLoseNothing) {
    const std::string probe = VANTREL_REGISTRY_PROBE;
    run(probe + " get 1 Warm");  // the store exists before both start
    int status = -1;
    run("sh -c '" + probe + " write a 1000 & p=$!; " + probe + " write b 1000 || exit 1; wait $p'", &status);
    EXPECT_EQ(status, 0);
    platform::setRegistry(platform::RegistryStore::open(m_dir / "data" / "vantrel" / "registry.db"));
    auto names =
        platform::registry().valueNames(platform::RegistryRoot::CurrentUser, "Software\\Tamberlo\\Probe");
    ASSERT_TRUE(names);
    EXPECT_EQ(names->size(), 2000u);
    platform::setRegistry(platform::RegistryStore::openInMemory());
}

}  // namespace
