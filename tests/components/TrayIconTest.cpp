// The tray icon against a fake notification area: what the entry shows, and what the
// desktop's clicks make it do.
#include "components/TrayIcon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <memory>
#include <optional>
#include <vector>

#include "pictures/Image.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/Menus.h"

namespace {

using components::TELTrayIcon;
using components::TrayMouse;

struct FakeEntry {
    bool shown = false;
    int shows = 0, removes = 0;
    std::string tip;
    std::optional<pictures::Image> image;
    components::TrayService* service = nullptr;
};

class FakeTray final : public components::TrayService {
public:
    explicit FakeTray(FakeEntry& entry) : m_entry(entry) { entry.service = this; }
    ~FakeTray() override { m_entry.service = nullptr; }
    void show(const pictures::Image* icon, const std::string& tip) override {
        m_entry.shown = true;
        ++m_entry.shows;
        m_entry.tip = tip;
        m_entry.image = icon ? std::optional<pictures::Image>(*icon) : std::nullopt;
    }
    void remove() override {
        m_entry.shown = false;
        ++m_entry.removes;
    }

private:
    FakeEntry& m_entry;
};

class TrayIconTest : public testing::Test {
protected:
    void SetUp() override {
        components::setTrayServiceFactory([this] { return std::make_unique<FakeTray>(entry); });
        savedTitle = vcl::application().title();
        vcl::application().setTitle("Autorun title");
    }
    void TearDown() override {
        components::freeGlobalTrayIcon();
        components::setTrayServiceFactory(nullptr);
        vcl::application().setTitle(savedTitle);
        components::setSkipTaskBar(false);
    }
    void click(TrayMouse what) { entry.service->onMouse(what); }

    FakeEntry entry;
    std::string savedTitle;
};

vcl::TIcon iconOf(int width) {
    // A one-colour icon file: header, one directory entry, a 32-bit DIB with its mask.
    const int h = width;
    std::string dib;
    auto le = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) dib += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    le(40, 4), le(width, 4), le(h * 2, 4), le(1, 2), le(32, 2), le(0, 4), le(0, 4), le(0, 4), le(0, 4),
        le(0, 4), le(0, 4);
    for (int i = 0; i < width * h; ++i) le(0xFF3366CCu, 4);
    const int maskRow = ((width + 31) / 32) * 4;
    dib.append(static_cast<size_t>(maskRow * h), '\0');
    std::string file;
    auto put = [&](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    put(0, 2), put(1, 2), put(1, 2);
    put(static_cast<uint32_t>(width), 1), put(static_cast<uint32_t>(h), 1), put(0, 1), put(0, 1), put(1, 2),
        put(32, 2), put(static_cast<uint32_t>(dib.size()), 4), put(22, 4);
    file += dib;
    vcl::TIcon icon;
    icon.loadFromBytes(file);
    return icon;
}

TEST_F(TrayIconTest, ShowsTheApplicationsTitleUntilAHintIsSetAndCutsLongTips) {
    TELTrayIcon& tray = components::globalTrayIcon();
    EXPECT_FALSE(entry.shown);
    tray.setActive(true);
    EXPECT_TRUE(entry.shown);
    EXPECT_EQ(entry.tip, "Autorun title");
    tray.setHint(std::string(70, 'x') + "TAIL");
    EXPECT_EQ(entry.tip, std::string(63, 'x'));
    // The cut counts the script's characters, so an accented text is cut as the script sees it.
    tray.setHint(std::string(62, 'a') + "\xE9\xE9");
    EXPECT_EQ(entry.tip, std::string(62, 'a') + "\xC3\xA9");
    tray.setActive(false);
    EXPECT_FALSE(entry.shown);
    EXPECT_EQ(entry.removes, 1);
    // Changes while hidden wait for the next show.
    const int shows = entry.shows;
    tray.setHint("later");
    EXPECT_EQ(entry.shows, shows);
    tray.setActive(true);
    EXPECT_EQ(entry.tip, "later");
}

TEST_F(TrayIconTest, AnIconOfItsOwnReplacesTheApplicationsIcon) {
    TELTrayIcon tray(nullptr);
    tray.setActive(true);
    const vcl::TIcon* appIcon = vcl::application().icon();
    EXPECT_EQ(entry.image.has_value(), appIcon && appIcon->image());
    const vcl::TIcon own = iconOf(16);
    ASSERT_NE(own.image(), nullptr);
    tray.setIcon(&own);
    ASSERT_TRUE(entry.image.has_value());
    EXPECT_EQ(entry.image->width, 16);
    tray.setIcon(nullptr);
    EXPECT_EQ(entry.image.has_value(), appIcon && appIcon->image());
}

TEST_F(TrayIconTest, ClicksRaiseTheEventsAndARightClickShowsTheMenuUnlessHandled) {
    TELTrayIcon tray(nullptr);
    tray.setActive(true);
    std::vector<std::string> events;
    tray.onClick = classes::TMethod(&events, nullptr, [&](auto) { events.push_back("click"); });
    tray.onDblClick = classes::TMethod(&events, nullptr, [&](auto) { events.push_back("double"); });
    bool handle = true;
    tray.onContextPopup = [&](TELTrayIcon& sender, vcl::TPoint, bool& handled) {
        EXPECT_EQ(&sender, &tray);
        events.push_back("context");
        handled = handle;
    };
    auto menu = std::make_unique<vcl::TPopupMenu>(nullptr);
    auto* item = new vcl::TMenuItem(menu.get());
    item->setCaption("Quit");
    menu->items()->add(item);
    bool popped = false;
    menu->onPopup = classes::TMethod(&popped, nullptr, [&](auto) { popped = true; });
    tray.setPopupMenu(menu.get());

    click(TrayMouse::LeftDown);
    click(TrayMouse::LeftDoubleClick);
    click(TrayMouse::RightDown);
    click(TrayMouse::RightUp);
    EXPECT_EQ(events, (std::vector<std::string>{"click", "double", "context"}));
    EXPECT_FALSE(popped);

    handle = false;
    click(TrayMouse::RightUp);
    EXPECT_TRUE(popped);
    EXPECT_EQ(menu->popupComponent(), &tray);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = qobject_cast<QMenu*>(w)) m->close();

    // A freed menu is forgotten.
    menu.reset();
    EXPECT_EQ(tray.popupMenu(), nullptr);
    click(TrayMouse::RightUp);
}

TEST_F(TrayIconTest, HidingTheTaskBarButtonFollowsTheActiveIcon) {
    TELTrayIcon tray(nullptr);
    tray.setHideTaskBarButton(true);
    EXPECT_FALSE(components::skipTaskBar());
    tray.setActive(true);
    EXPECT_TRUE(components::skipTaskBar());
    tray.setActive(false);
    EXPECT_FALSE(components::skipTaskBar());
    // The script's own setting is not the icon's to undo.
    components::setSkipTaskBar(true);
    tray.setHideTaskBarButton(false);
    EXPECT_TRUE(components::skipTaskBar());
}

TEST_F(TrayIconTest, TheGlobalIconIsMadeOnceAndLeavesTheAreaWhenFreed) {
    EXPECT_FALSE(components::globalTrayIconExists());
    components::globalTrayIcon().setActive(true);
    EXPECT_EQ(&components::globalTrayIcon(), &components::globalTrayIcon());
    components::freeGlobalTrayIcon();
    EXPECT_FALSE(entry.shown);
    EXPECT_FALSE(components::globalTrayIconExists());
}

// ---- animations, on a hand-driven clock; each picture is told apart by its width ----

class TrayAnimationTest : public TrayIconTest {
protected:
    // The icon is made once the fake notification area is in place.
    void SetUp() override {
        TrayIconTest::SetUp();
        for (int width : {17, 18, 19}) frames.addIcon(iconOf(width));
        trayIcon = std::make_unique<TELTrayIcon>(nullptr);
        tray().setIcon(&own);
        item = tray().animations().add();
        item->setImageList(&frames);
        item->setInterval(100);
    }
    void TearDown() override {
        trayIcon.reset();
        TrayIconTest::TearDown();
    }
    TELTrayIcon& tray() { return *trayIcon; }
    int shownWidth() const { return entry.image ? entry.image->width : -1; }

    vcl::ManualClock clock;
    vcl::ScopedTimerService scope{clock};
    components::TImageList frames{nullptr};
    vcl::TIcon own = iconOf(16);
    std::unique_ptr<TELTrayIcon> trayIcon;
    components::TELTrayIconAnimationsItem* item = nullptr;
};

TEST_F(TrayAnimationTest, ThreePicturesAtIntervalStepsThenTheOldIconComesBack) {
    EXPECT_EQ(item->displayName(), "Animation0");
    tray().setActive(true);
    EXPECT_EQ(shownWidth(), 16);
    item->setActive(true);
    EXPECT_EQ(shownWidth(), 17);  // the first picture at once
    clock.advance(99);
    EXPECT_EQ(shownWidth(), 17);
    clock.advance(1);
    EXPECT_EQ(shownWidth(), 18);
    clock.advance(100);
    EXPECT_EQ(shownWidth(), 19);
    clock.advance(100);
    EXPECT_EQ(shownWidth(), 16);
    EXPECT_FALSE(item->active());
    EXPECT_EQ(clock.activeTimers(), 0);

    // Without RestoreOldIcon the last picture stays; a circular one starts over.
    item->setRestoreOldIcon(false);
    item->setActive(true);
    clock.advance(300);
    EXPECT_EQ(shownWidth(), 19);
    item->setCircular(true);
    item->setActive(true);
    clock.advance(300);
    EXPECT_EQ(shownWidth(), 17);
    EXPECT_TRUE(item->active());
}

TEST_F(TrayAnimationTest, AnIconFromElsewhereEndsTheAnimationAndStays) {
    tray().setActive(true);
    item->setCircular(true);
    item->setActive(true);
    clock.advance(100);
    const vcl::TIcon other = iconOf(24);
    tray().setIcon(&other);
    clock.advance(1000);
    EXPECT_EQ(shownWidth(), 24);
    EXPECT_EQ(clock.activeTimers(), 0);
}

TEST_F(TrayAnimationTest, NoPicturesNoStartAndTheRunningOneGoesOn) {
    tray().setActive(true);
    item->setCircular(true);
    item->setActive(true);
    components::TImageList empty(nullptr);
    components::TELTrayIconAnimationsItem* bare = tray().animations().add();
    try {
        bare->setActive(true);
        ADD_FAILURE() << "started without pictures";
    } catch (const components::EELTrayIcon& e) {
        EXPECT_STREQ(e.what(), "Can not start animation without images");
    }
    bare->setImageList(&empty);
    EXPECT_THROW(bare->setActive(true), components::EELTrayIcon);
    EXPECT_TRUE(item->active());
    clock.advance(100);
    EXPECT_EQ(shownWidth(), 18);
}

TEST_F(TrayAnimationTest, WaitsForTheActiveIconAndLetsGoOfAFreedList) {
    item->setActive(true);
    EXPECT_FALSE(entry.shown);
    EXPECT_EQ(clock.activeTimers(), 0);
    tray().setActive(true);
    EXPECT_EQ(shownWidth(), 17);
    tray().setActive(false);
    EXPECT_EQ(clock.activeTimers(), 0);
    tray().setActive(true);
    EXPECT_EQ(shownWidth(), 17);  // started again from the first picture
    {
        components::TImageList shortLived(nullptr);
        shortLived.addIcon(iconOf(30));
        item->setImageList(&shortLived);
        item->setActive(false);
        item->setActive(true);
        EXPECT_EQ(shownWidth(), 30);
    }
    EXPECT_EQ(item->imageList(), nullptr);
    EXPECT_FALSE(item->active());
    clock.advance(1000);  // nothing left to step through a freed list
    EXPECT_EQ(clock.activeTimers(), 0);
}

}  // namespace
