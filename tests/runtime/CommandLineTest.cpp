#include "runtime/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using runtime::CommandLine;

TEST(CommandLine, SwitchesAreWholeArgumentsInAnyCase) {
    CommandLine cl({"x.zep", "/about", "/Silent"});
    EXPECT_TRUE(cl.has("/ABOUT"));
    EXPECT_TRUE(cl.has("/SILENT"));
    EXPECT_FALSE(cl.has("/?"));
    EXPECT_FALSE(CommandLine({"-about"}).has("/ABOUT"));
    EXPECT_FALSE(CommandLine({"/ABOUTX"}).has("/ABOUT"));
    EXPECT_EQ(cl.argument(1), "x.zep");
    EXPECT_EQ(cl.argument(4), "");
    EXPECT_EQ(cl.argument(0), "");
}

TEST(CommandLine, DebuggerHandleComesFromTheSecondArgument) {
    EXPECT_EQ(CommandLine({"p.zep", "debuger:1234"}).debuggerHandle(), 1234u);
    EXPECT_EQ(CommandLine({"p.zep", "DEBUGER:$FF"}).debuggerHandle(), 255u);
    EXPECT_EQ(CommandLine({"p.zep", "DEBUGER:abc"}).debuggerHandle(), 0u);
    EXPECT_EQ(CommandLine({"p.zep", "DEBUGER:"}).debuggerHandle(), 0u);
    EXPECT_EQ(CommandLine({"p.zep", "DEBUGER:99999999999"}).debuggerHandle(), 0u);
    EXPECT_EQ(CommandLine({"DEBUGER:12"}).debuggerHandle(), 0u);  // first argument: not a handle
    EXPECT_EQ(CommandLine({"p.zep", "DEBUGGER:12"}).debuggerHandle(), 0u);
}

}  // namespace
