// The X11 desktop operations against a private Xvfb, checked through the server itself.
#include "tests/tools/X11Fixture.h"
#include "tools/X11DesktopOps.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

#include <algorithm>
#include <numeric>

namespace tools::testing {
namespace {

class X11DesktopOpsTest : public X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        m_ops = X11DesktopOps::open(displayName());
        ASSERT_NE(m_ops, nullptr);
    }
    void TearDown() override {
        m_ops.reset();
        X11Test::TearDown();
    }

    std::unique_ptr<X11DesktopOps> m_ops;
};

TEST_F(X11DesktopOpsTest, EachToggleFlipsTheLockAndItsLightWhateverTheState) {
    struct Case {
        LockKey key;
        unsigned long keysym;
        const char* indicator;
    };
    for (const Case& c : {Case{LockKey::NumLock, XK_Num_Lock, "Num Lock"},
                          Case{LockKey::CapsLock, XK_Caps_Lock, "Caps Lock"}}) {
        SCOPED_TRACE(c.indicator);
        const unsigned int mask = modifierOfKeysym(display(), c.keysym);
        ASSERT_NE(mask, 0u);
        const bool first = (lockedModifiers(display()) & mask) != 0;
        m_ops->toggleLock(c.key);
        EXPECT_EQ((lockedModifiers(display()) & mask) != 0, !first);
        EXPECT_EQ(indicatorState(display(), c.indicator), first ? 0 : 1);
        m_ops->toggleLock(c.key);
        EXPECT_EQ((lockedModifiers(display()) & mask) != 0, first);
        EXPECT_EQ(indicatorState(display(), c.indicator), first ? 1 : 0);
    }
}

// The server's keymap binds Scroll Lock to no modifier, so the key alone lights nothing.
TEST_F(X11DesktopOpsTest, ScrollLockSwitchesItsLightWhenTheKeyDrivesNothing) {
    const int first = indicatorState(display(), "Scroll Lock");
    ASSERT_GE(first, 0);
    m_ops->toggleLock(LockKey::ScrollLock);
    EXPECT_EQ(indicatorState(display(), "Scroll Lock"), 1 - first);
    m_ops->toggleLock(LockKey::ScrollLock);
    EXPECT_EQ(indicatorState(display(), "Scroll Lock"), first);
}

TEST_F(X11DesktopOpsTest, LockWithoutAKeycodeIsToggledThroughItsModifier) {
    const KeyCode keycode = XKeysymToKeycode(display(), XK_Caps_Lock);
    ASSERT_NE(keycode, 0);
    int perKeycode = 0;
    KeySym* saved = XGetKeyboardMapping(display(), keycode, 1, &perKeycode);
    ASSERT_NE(saved, nullptr);
    std::vector<KeySym> none(static_cast<size_t>(perKeycode), NoSymbol);
    XChangeKeyboardMapping(display(), keycode, perKeycode, none.data(), 1);
    XSync(display(), False);

    const bool first = (lockedModifiers(display()) & LockMask) != 0;
    m_ops->toggleLock(LockKey::CapsLock);
    const bool after = (lockedModifiers(display()) & LockMask) != 0;
    const int light = indicatorState(display(), "Caps Lock");

    XChangeKeyboardMapping(display(), keycode, perKeycode, saved, 1);
    XFree(saved);
    XSync(display(), False);
    EXPECT_EQ(after, !first);
    EXPECT_EQ(light, first ? 0 : 1);
}

TEST_F(X11DesktopOpsTest, HidesAndShowsOnlyWindowsOfTheNamedType) {
    const Window desktop = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_DESKTOP", 0, 0, 100, 100);
    const Window dock = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_DOCK", 0, 740, 1024, 28);
    const Window normal = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_NORMAL", 300, 300, 50, 50);

    m_ops->setDesktopShown(false);
    EXPECT_EQ(mapState(display(), desktop), IsUnmapped);
    EXPECT_EQ(mapState(display(), dock), IsViewable);
    m_ops->setPanelShown(false);
    EXPECT_EQ(mapState(display(), dock), IsUnmapped);
    EXPECT_EQ(mapState(display(), normal), IsViewable);

    // Hidden windows must still be found, or they could never be shown again.
    m_ops->setDesktopShown(true);
    m_ops->setPanelShown(true);
    EXPECT_EQ(mapState(display(), desktop), IsViewable);
    EXPECT_EQ(mapState(display(), dock), IsViewable);
    XDestroyWindow(display(), desktop);
    XDestroyWindow(display(), dock);
    XDestroyWindow(display(), normal);
    XSync(display(), False);
}

TEST_F(X11DesktopOpsTest, FindsAPanelInsideAWindowManagerFrame) {
    const Window frame = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_NORMAL", 0, 700, 1024, 60);
    XDeleteProperty(display(), frame, XInternAtom(display(), "_NET_WM_WINDOW_TYPE", False));
    const Window panel =
        createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_DOCK", 0, 0, 1024, 60, true, frame);

    const std::vector<unsigned long> docks = m_ops->windowsOfType("_NET_WM_WINDOW_TYPE_DOCK");
    EXPECT_EQ(docks, std::vector<unsigned long>{panel});
    m_ops->setPanelShown(false);
    EXPECT_EQ(mapState(display(), panel), IsUnmapped);
    EXPECT_EQ(mapState(display(), frame), IsViewable);
    XDestroyWindow(display(), frame);
    XSync(display(), False);
}

TEST_F(X11DesktopOpsTest, MissingWindowsMakeTheCallsDoNothing) {
    ASSERT_TRUE(m_ops->windowsOfType("_NET_WM_WINDOW_TYPE_DESKTOP").empty());
    m_ops->setDesktopShown(false);
    m_ops->setPanelShown(true);
    EXPECT_TRUE(m_ops->windowsOfType("_NET_WM_WINDOW_TYPE_DOCK").empty());
}

TEST_F(X11DesktopOpsTest, ButtonSwapIsAbsoluteAndKeepsTheOtherButtons) {
    std::vector<unsigned char> map = pointerMapping(display());
    ASSERT_GE(map.size(), 5u);
    std::iota(map.begin(), map.end(), 1);
    std::swap(map[3], map[4]);  // a wheel the user reversed stays reversed
    setPointerMapping(display(), map);

    m_ops->setButtonsSwapped(true);
    m_ops->setButtonsSwapped(true);
    std::vector<unsigned char> swapped = map;
    swapped[0] = 3;
    swapped[2] = 1;
    EXPECT_EQ(pointerMapping(display()), swapped);

    m_ops->setButtonsSwapped(false);
    m_ops->setButtonsSwapped(false);
    EXPECT_EQ(pointerMapping(display()), map);
}

TEST(DesktopOpsFactory, WithoutADisplayTheCallsDoNothing) {
    std::unique_ptr<DesktopOps> ops = makeDesktopOps(":32767");
    ASSERT_NE(ops, nullptr);
    EXPECT_NE(dynamic_cast<NullDesktopOps*>(ops.get()), nullptr);
    ops->toggleLock(LockKey::NumLock);
    ops->setPanelShown(false);
}

}  // namespace
}  // namespace tools::testing
