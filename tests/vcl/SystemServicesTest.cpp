// The component model's system services on the headless toolkit: the keyboard state fed by
// key events, cursor shapes over the application, window ids, display devices, the
// clipboard, fonts, standard icons and screen grabs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <memory>

#include "CursorBuilder.h"
#include "vcl/Cursors.h"
#include "vcl/Desktop.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/KeyState.h"
#include "vcl/WindowIds.h"

using namespace vcl;

namespace {

QWindow* windowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title) return w->windowHandle();
    return nullptr;
}

void key(QObject* target, QEvent::Type type, int qtKey, bool autoRepeat = false) {
    QKeyEvent e(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(target, &e);
}

std::shared_ptr<const CursorData> shapeOf(const std::vector<std::string>& curFiles, uint32_t jiffies = 6) {
    return std::make_shared<const CursorData>(
        curFiles.size() == 1 ? readCursorFile(curFiles[0])
                             : readCursorFile(cursorfiles::animatedCursor(curFiles, jiffies)));
}

TEST(KeyState, LockKeysToggleOnPressAndHoldWhileDown) {
    setKeyState(kVkCapital, 0);
    keyPressed(kVkCapital);
    EXPECT_EQ(keyState(kVkCapital), 0x81);
    keyPressed(kVkCapital);  // auto-repeat: still down, no second toggle
    EXPECT_EQ(keyState(kVkCapital), 0x81);
    keyReleased(kVkCapital);
    EXPECT_EQ(keyState(kVkCapital), 0x01);
    keyPressed(kVkCapital);
    keyReleased(kVkCapital);
    EXPECT_EQ(keyState(kVkCapital), 0x00);

    setKeyState(kVkShift, 0);
    keyPressed(kVkShift);
    EXPECT_EQ(keyState(kVkShift), 0x80) << "a key that does not toggle only shows it is down";
    keyReleased(kVkShift);
    EXPECT_EQ(keyState(kVkShift), 0);
    EXPECT_EQ(keyState(-1), 0);
    EXPECT_EQ(keyState(256), 0);
    setKeyState(300, 1);  // ignored, not a crash
}

TEST(KeyState, KeyEventsOfAWindowFeedTheStateOnce) {
    TForm form(nullptr);
    form.setCaption("keystate-test");
    form.setBounds(0, 0, 100, 60);
    form.show();
    QWindow* w = windowTitled("keystate-test");
    ASSERT_NE(w, nullptr);
    setKeyState(kVkNumLock, 0);
    key(w, QEvent::KeyPress, Qt::Key_NumLock);
    EXPECT_EQ(keyState(kVkNumLock), 0x81) << "seen once although the window passes it on to its widget";
    key(w, QEvent::KeyRelease, Qt::Key_NumLock, true);
    EXPECT_EQ(keyState(kVkNumLock), 0x81) << "an auto-repeat release keeps the key down";
    key(w, QEvent::KeyRelease, Qt::Key_NumLock);
    EXPECT_EQ(keyState(kVkNumLock), 0x01);
    key(w, QEvent::KeyPress, Qt::Key_ScrollLock);
    key(w, QEvent::KeyRelease, Qt::Key_ScrollLock);
    EXPECT_EQ(keyState(kVkScroll) & 1, 1);
    form.hide();
}

TEST(Cursors, RegisteredShapesShowOverTheApplicationAndAnimate) {
    using namespace cursorfiles;
    const std::string red = iconDirectory({solidEntry(32, 32, 0xFF0000, 4, 5)});
    const std::string green = iconDirectory({solidEntry(32, 32, 0x00FF00, 6, 7)});
    setCursorShape(41, shapeOf({red}));
    setApplicationCursor(41);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(4, 5));
    EXPECT_EQ(screen().cursor(), 41);

    // Animated: the cursor moves to the next frame after its rate (1 jiffy = 16 ms).
    setCursorShape(42, shapeOf({red, green}, 1));
    setApplicationCursor(42);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(4, 5));
    QElapsedTimer t;
    t.start();
    while (QGuiApplication::overrideCursor()->hotSpot() != QPoint(6, 7) && t.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_EQ(QGuiApplication::overrideCursor()->hotSpot(), QPoint(6, 7));

    // A standard cursor replaces it; an unregistered number shows the arrow.
    setApplicationCursor(crHourGlass);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    setApplicationCursor(43);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor);
    setApplicationCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    setCursorShape(41, nullptr);
    EXPECT_EQ(cursorShape(41), nullptr);
    setCursorShape(0, shapeOf({red}));  // the standard numbers are not the table's
    EXPECT_EQ(cursorShape(0), nullptr);
}

TEST(WindowIds, IdsNameLiveWindowsOnlyAndAreNotReused) {
    auto* a = new TForm(nullptr);
    auto* b = new TPanel(a);
    const int32_t ia = windowId(a), ib = windowId(b);
    EXPECT_NE(ia, 0);
    EXPECT_NE(ia, ib);
    EXPECT_EQ(windowId(a), ia) << "the same window keeps its id";
    EXPECT_EQ(windowById(ia), a);
    EXPECT_EQ(windowById(ib), b);
    EXPECT_EQ(windowById(0), nullptr);
    EXPECT_EQ(windowById(1), nullptr);
    EXPECT_EQ(windowById(ia + 1), nullptr) << "a made-up id finds nothing";
    EXPECT_EQ(windowId(nullptr), 0);
    delete a;  // frees the panel too
    EXPECT_EQ(windowById(ia), nullptr);
    EXPECT_EQ(windowById(ib), nullptr);
    TForm c(nullptr);
    const int32_t ic = windowId(&c);
    EXPECT_NE(ic, ia);
    EXPECT_NE(ic, ib);
}

TEST(WindowIds, CanvasIdsNameLiveCanvasesAndNeverAWindow) {
    TForm form(nullptr);
    auto bitmap = std::make_unique<TBitmap>();
    TCanvas* formCanvas = &form.canvas();
    const int32_t window = windowId(&form);
    const int32_t dc = canvasId(formCanvas);
    const int32_t bitmapDc = canvasId(&bitmap->canvas());
    EXPECT_NE(dc, 0);
    EXPECT_NE(dc, bitmapDc);
    EXPECT_EQ(canvasId(formCanvas), dc) << "the same canvas keeps its id";
    EXPECT_EQ(canvasById(dc), formCanvas);
    EXPECT_EQ(canvasById(bitmapDc), &bitmap->canvas());
    EXPECT_EQ(canvasById(window), nullptr) << "a window id is no device context";
    EXPECT_EQ(windowById(dc), nullptr) << "nor a device context a window";
    EXPECT_EQ(canvasById(0), nullptr);
    EXPECT_EQ(canvasById(dc + 4 * 1000), nullptr);
    EXPECT_EQ(canvasId(nullptr), 0);
    bitmap.reset();
    EXPECT_EQ(canvasById(bitmapDc), nullptr) << "a freed canvas's id names nothing";
    TBitmap other;
    EXPECT_NE(canvasId(&other.canvas()), bitmapDc) << "ids are not reused";
}

TEST(Desktop, DisplaysMatchTheToolkitScreens) {
    const auto displays = desktop::displayDevices();
    ASSERT_EQ(displays.size(), static_cast<size_t>(QGuiApplication::screens().size()));
    ASSERT_FALSE(displays.empty());
    const QScreen* s = QGuiApplication::primaryScreen();
    EXPECT_EQ(displays[0].name, "\\\\.\\DISPLAY1");
    EXPECT_EQ(displays[0].monitorName, "\\\\.\\DISPLAY1\\Monitor0");
    EXPECT_FALSE(displays[0].description.empty());
    EXPECT_FALSE(displays[0].monitorDescription.empty());
    EXPECT_EQ(displays[0].width, qRound(s->geometry().width() * s->devicePixelRatio()));
    EXPECT_EQ(displays[0].height, qRound(s->geometry().height() * s->devicePixelRatio()));
    EXPECT_EQ(displays[0].depth, s->depth());
    EXPECT_GT(displays[0].depth, 0);
}

TEST(Desktop, ClipboardTextRoundTripsInTheAnsiCodePage) {
    desktop::setClipboardText(
        "Gr\xFC\xDF"
        "e\r\nzwei");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("Grüße\r\nzwei"));
    EXPECT_EQ(desktop::clipboardText(),
              "Gr\xFC\xDF"
              "e\r\nzwei");
    QGuiApplication::clipboard()->clear();
    EXPECT_EQ(desktop::clipboardText(), "");
}

TEST(Desktop, FontsAreExactFamiliesNotSubstitutes) {
    const auto families = desktop::fontFamilies();
    ASSERT_FALSE(families.empty());
    EXPECT_TRUE(
        std::is_sorted(families.begin(), families.end(), [](const std::string& a, const std::string& b) {
            return QString::fromLatin1(a).compare(QString::fromLatin1(b), Qt::CaseInsensitive) < 0;
        }));
    const std::string first = families.front();
    EXPECT_TRUE(desktop::fontFamilyExists(first));
    EXPECT_TRUE(desktop::fontFamilyExists(QString::fromLatin1(first).toUpper().toStdString()))
        << "letter case aside";
    // The desktop draws this name with some other font; it is not installed all the same.
    const char* missing = "Vantrel Nonexistent Sans";
    EXPECT_FALSE(QFontInfo(QFont(missing)).family().isEmpty());
    EXPECT_FALSE(desktop::fontFamilyExists(missing));
    EXPECT_FALSE(desktop::fontFamilyExists(""));
}

TEST(Desktop, StandardIconsAndScreenGrabs) {
    for (auto id : {desktop::StandardIcon::Application, desktop::StandardIcon::Information,
                    desktop::StandardIcon::Warning, desktop::StandardIcon::Error,
                    desktop::StandardIcon::Question, desktop::StandardIcon::WinLogo}) {
        const pictures::Image img = desktop::standardIcon(id);
        ASSERT_EQ(img.width, 32);
        EXPECT_TRUE(std::any_of(img.pixels.begin(), img.pixels.end(), [](uint32_t p) { return p >> 24; }))
            << "icon " << static_cast<int>(id) << " draws something";
    }
    EXPECT_NE(desktop::standardIcon(desktop::StandardIcon::Information).pixels,
              desktop::standardIcon(desktop::StandardIcon::Error).pixels);

    // A window of one colour shows in a grab of its place on the screen.
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setColor(0x0000FF);  // red
    form.setBounds(10, 20, 60, 40);
    form.setCaption("grab-test");
    form.show();
    QApplication::processEvents();
    const pictures::Image shot = desktop::grabScreen(bounds(20, 30, 10, 10));
    ASSERT_EQ(shot.width, 10);
    EXPECT_EQ(shot.pixel(5, 5), 0xFFFF0000u);
    const QRect screenRect = QGuiApplication::primaryScreen()->geometry();
    const pictures::Image off = desktop::grabScreen(bounds(screenRect.right() - 1, 0, 4, 1));
    EXPECT_EQ(off.pixel(3, 0), 0xFF000000u) << "off the screens is black";
    form.hide();
}

}  // namespace
