// The main() of every unit-test program: headless Qt unless the caller chose otherwise,
// then GoogleTest. Audio tests choose their own device mode before the engine starts.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
