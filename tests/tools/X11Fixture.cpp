#include "tests/tools/X11Fixture.h"

#include <X11/XKBlib.h>

namespace tools::testing {

void X11Test::SetUpTestSuite() {
    s_server = std::make_unique<XvfbServer>();
    if (s_server->running()) {
        s_display = XOpenDisplay(s_server->display().c_str());
    }
}

void X11Test::TearDownTestSuite() {
    if (s_display != nullptr) {
        XCloseDisplay(s_display);
        s_display = nullptr;
    }
    s_server.reset();
}

void X11Test::SetUp() {
    ASSERT_TRUE(s_server->running()) << s_server->error();
    ASSERT_NE(s_display, nullptr) << "cannot connect to " << s_server->display();
    m_lockedMods = lockedModifiers(s_display);
    m_scrollIndicator = indicatorState(s_display, "Scroll Lock");
    m_pointerMap = pointerMapping(s_display);
}

void X11Test::TearDown() {
    if (s_display == nullptr) {
        return;
    }
    XkbLockModifiers(s_display, XkbUseCoreKbd, 0xFF, m_lockedMods);
    if (m_scrollIndicator >= 0) {
        XkbSetNamedIndicator(s_display, XInternAtom(s_display, "Scroll Lock", False), True,
                             m_scrollIndicator != 0, False, nullptr);
    }
    setPointerMapping(s_display, m_pointerMap);
    XSync(s_display, False);
    EXPECT_EQ(lockedModifiers(s_display), m_lockedMods);
    EXPECT_EQ(pointerMapping(s_display), m_pointerMap);
}

}  // namespace tools::testing
