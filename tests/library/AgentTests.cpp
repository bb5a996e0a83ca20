// The agent control without an agent service: inert members, and the character files of
// the virtual Windows folder. A program of its own, so the virtual C: drive can live in a
// scratch folder before anything else looks for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "components/MSAgent.h"
#include "platform/Paths.h"
#include "platform/SystemInfo.h"

namespace fs = std::filesystem;

namespace {

const fs::path s_data = [] {
    const fs::path dir = fs::temp_directory_path() / ("vantrel-agent-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    setenv("XDG_DATA_HOME", dir.c_str(), 1);
    return dir;
}();

TEST(Agent, MembersAreInertWithoutTheService) {
    components::TMSAgent agent(nullptr);
    EXPECT_EQ(agent.width(), 32);
    EXPECT_EQ(agent.height(), 32);
    EXPECT_EQ(agent.borderWidth(), 3);
    EXPECT_FALSE(agent.loadAgent("C:\\WINDOWS\\msagent\\chars\\merlin.acs"));
    EXPECT_FALSE(agent.isLoaded());
    EXPECT_EQ(agent.currentAgentName(), "");
    // Every script member the control declares is there for a script to call.
    const auto& members = components::TMSAgent::staticClass().scriptMembers();
    EXPECT_EQ(members.size(), 12u);
}

TEST(Agent, AvailableAgentsListsCharacterFilesOfTheWindowsFolder) {
    ASSERT_TRUE(fs::exists(s_data));
    fs::remove_all(platform::windowsFolder() / "msagent");
    EXPECT_EQ(components::TMSAgent::availableAgents(), "");  // no characters folder
    const fs::path chars = platform::windowsFolder() / "msagent" / "chars";
    fs::create_directories(chars);
    for (const char* name : {"Merlin.acs", "genie.ACS", "readme.txt"}) std::ofstream(chars / name) << "x";
    fs::create_directories(chars / "folder.acs");
    EXPECT_EQ(components::TMSAgent::availableAgents(), platform::windowsPath(chars / "Merlin.acs") + "\r\n" +
                                                           platform::windowsPath(chars / "genie.ACS"));
    fs::remove_all(s_data);
}

}  // namespace
