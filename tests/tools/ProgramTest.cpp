// The three programs run as their own processes on a private Xvfb; the test clicks their
// buttons with XTest and reads each effect back from the server.
#include "tests/tools/X11Fixture.h"
#include "tools/FormSpec.h"

#include <X11/XKBlib.h>
#include <X11/keysym.h>

namespace tools::testing {
namespace {

class ProgramTest : public X11Test {
protected:
    // Starts the program and waits for its window.
    void start(const char* executable) {
        m_program = std::make_unique<ProgramProcess>(std::string(VANTREL_BINARY_DIR) + "/tools/" + executable,
                                                     displayName());
        ASSERT_GT(m_program->pid(), 0);
        m_window = m_program->waitForWindow(display());
        ASSERT_NE(m_window, None) << executable << " showed no window";
        m_program->origin(display(), m_window, m_x, m_y);
    }

    // Moves the pointer onto the named button of the program's table.
    void pointAt(Program program, std::string_view name) {
        for (const ButtonSpec& button : formSpec(program).buttons) {
            if (button.name == name) {
                movePointer(display(), m_x + pixelsFromTwips(button.left + button.width / 2),
                            m_y + pixelsFromTwips(button.top + button.height / 2));
                return;
            }
        }
        FAIL() << "no button " << name;
    }

    void clickButton(Program program, std::string_view name, int times = 1, unsigned int physical = 1) {
        pointAt(program, name);
        for (int i = 0; i < times; ++i) {
            click(display(), physical);
        }
    }

    bool settled() { return m_program->barrier(display(), m_window); }

    void closeProgram() {
        EXPECT_EQ(m_program->closeAndWait(display(), m_window), 0);
        m_program.reset();
    }

    std::unique_ptr<ProgramProcess> m_program;
    Window m_window = None;
    int m_x = 0;
    int m_y = 0;
};

TEST_F(ProgramTest, KeyboardTogglesEachLockOncePerClick) {
    start("keyboard");
    EXPECT_EQ(utf8Property(display(), m_window, "_NET_WM_NAME"), "Клавиатура");

    const unsigned int numMask = modifierOfKeysym(display(), XK_Num_Lock);
    ASSERT_NE(numMask, 0u);
    const bool numFirst = (lockedModifiers(display()) & numMask) != 0;
    auto numIs = [&](bool on) {
        return ((lockedModifiers(display()) & numMask) != 0) == on &&
               indicatorState(display(), "Num Lock") == (on ? 1 : 0);
    };
    clickButton(Program::Keyboard, "Command3");
    EXPECT_TRUE(pollUntil([&] { return numIs(!numFirst); }));
    clickButton(Program::Keyboard, "Command3");
    EXPECT_TRUE(pollUntil([&] { return numIs(numFirst); })) << "two clicks give back the first state";

    const bool capsFirst = (lockedModifiers(display()) & LockMask) != 0;
    clickButton(Program::Keyboard, "Command4");
    EXPECT_TRUE(pollUntil([&] {
        return ((lockedModifiers(display()) & LockMask) != 0) != capsFirst &&
               indicatorState(display(), "Caps Lock") == (capsFirst ? 0 : 1);
    }));

    const int scrollFirst = indicatorState(display(), "Scroll Lock");
    clickButton(Program::Keyboard, "Command5");
    EXPECT_TRUE(pollUntil([&] { return indicatorState(display(), "Scroll Lock") == 1 - scrollFirst; }));
    closeProgram();
}

TEST_F(ProgramTest, DesktopHidesIconsAndPanelAndThePanelStaysHiddenAfterQuitting) {
    const Window icons = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_DESKTOP", 0, 0, 200, 150);
    const Window panel = createTypedWindow(display(), "_NET_WM_WINDOW_TYPE_DOCK", 0, 740, 1024, 28);
    start("desktop");
    EXPECT_EQ(utf8Property(display(), m_window, "_NET_WM_NAME"), "Работен Плот");

    clickButton(Program::Desktop, "Command12");
    EXPECT_TRUE(pollUntil([&] { return mapState(display(), icons) == IsUnmapped; }));
    clickButton(Program::Desktop, "Command11");
    EXPECT_TRUE(pollUntil([&] { return mapState(display(), icons) == IsViewable; }));
    ASSERT_TRUE(settled());
    EXPECT_EQ(mapState(display(), panel), IsViewable) << "the icon buttons leave the panel alone";

    clickButton(Program::Desktop, "Command14");
    EXPECT_TRUE(pollUntil([&] { return mapState(display(), panel) == IsUnmapped; }));
    closeProgram();
    EXPECT_EQ(mapState(display(), panel), IsUnmapped);
    EXPECT_EQ(mapState(display(), icons), IsViewable);

    // Shown again by a second run of the program.
    start("desktop");
    clickButton(Program::Desktop, "Command15");
    EXPECT_TRUE(pollUntil([&] { return mapState(display(), panel) == IsViewable; }));
    closeProgram();
    XDestroyWindow(display(), icons);
    XDestroyWindow(display(), panel);
    XSync(display(), False);
}

TEST_F(ProgramTest, MouseHidesThePointerOverItsWindowOnlyAndCountsHides) {
    start("mouse");
    EXPECT_EQ(utf8Property(display(), m_window, "_NET_WM_NAME"), "Мишка");
    pointAt(Program::Mouse, "Command8");
    ASSERT_TRUE(settled());
    ASSERT_FALSE(cursorIsBlank(display()));

    clickButton(Program::Mouse, "Command8", 3);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(cursorIsBlank(display()));

    // Outside the program's window the pointer stays visible.
    movePointer(display(), m_x - 20 > 0 ? m_x - 20 : 1, 1);
    EXPECT_FALSE(cursorIsBlank(display()));

    clickButton(Program::Mouse, "Command9", 2);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(cursorIsBlank(display())) << "three hides need three shows";
    clickButton(Program::Mouse, "Command9");
    ASSERT_TRUE(settled());
    EXPECT_FALSE(cursorIsBlank(display()));
    closeProgram();
}

TEST_F(ProgramTest, MouseSwapsTheButtonsServerWideAndForGood) {
    start("mouse");
    const std::vector<unsigned char> first = pointerMapping(display());
    ASSERT_GE(first.size(), 3u);
    auto swappedIs = [&](bool swapped) {
        const std::vector<unsigned char> map = pointerMapping(display());
        return map[0] == (swapped ? 3 : 1) && map[2] == (swapped ? 1 : 3);
    };
    clickButton(Program::Mouse, "Command6", 2);
    EXPECT_TRUE(pollUntil([&] { return swappedIs(true); }));
    ASSERT_TRUE(settled());
    EXPECT_TRUE(swappedIs(true)) << "a second click does not swap back";

    // With the buttons exchanged, the physical right button is the one that clicks.
    clickButton(Program::Mouse, "Command7", 1, 1);
    ASSERT_TRUE(settled());
    EXPECT_TRUE(swappedIs(true));
    clickButton(Program::Mouse, "Command7", 1, 3);
    EXPECT_TRUE(pollUntil([&] { return swappedIs(false); }));

    clickButton(Program::Mouse, "Command6");
    EXPECT_TRUE(pollUntil([&] { return swappedIs(true); }));
    closeProgram();
    EXPECT_TRUE(swappedIs(true)) << "the swap outlives the program";
}

}  // namespace
}  // namespace tools::testing
