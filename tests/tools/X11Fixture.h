// One Xvfb per test program and a connection of the test's own; every test leaves the
// server's lock state, indicators, keymap and pointer mapping as it found them.
#pragma once

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include "tests/tools/XServer.h"

#include <memory>

namespace tools::testing {

class X11Test : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    static const std::string& displayName() { return s_server->display(); }
    Display* display() const { return s_display; }

private:
    static inline std::unique_ptr<XvfbServer> s_server;
    static inline Display* s_display = nullptr;

    unsigned int m_lockedMods = 0;
    int m_scrollIndicator = 0;
    std::vector<unsigned char> m_pointerMap;
};

}  // namespace tools::testing
