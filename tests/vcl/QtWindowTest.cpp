// The toolkit side: real toolkit events sent to a form's window reach the model.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QWidget>

#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"

using namespace vcl;
using vcltest::handler;

namespace {

QWidget* windowTitled(const QString& title) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title) return w;
    return nullptr;
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

TEST(QtWindow, MouseEventsReachGraphicControlsThroughTheWindow) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 200, 100);
    form.setCaption("mouse-test");
    auto* shape = new TShape(&form);
    shape->setParent(&form);
    shape->setBounds(10, 10, 50, 50);
    std::string log;
    shape->onMouseEnter = handler([&] { log += "enter "; });
    shape->onMouseDown = handler([&] { log += "down "; });
    shape->onClick = handler([&] { log += "click "; });
    shape->onMouseUp = handler([&] { log += "up "; });
    shape->onMouseLeave = handler([&] { log += "leave "; });
    shape->setCursor(crHandPoint);
    shape->setHint("A shape");
    form.setShowHint(true);
    form.show();
    QWidget* w = windowTitled("mouse-test");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    sendMouse(w, QEvent::MouseMove, {20, 20}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor) << "the pointer follows the control under it";
    EXPECT_EQ(w->toolTip(), QStringLiteral("A shape")) << "the hint shows because the form shows hints";
    sendMouse(w, QEvent::MouseButtonPress, {20, 20}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, {20, 20}, Qt::LeftButton, Qt::NoButton);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(w, &leave);
    EXPECT_EQ(log, "enter down click up leave ");
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(w->toolTip().isEmpty());
    form.hide();
}

TEST(QtWindow, KeysCloseRequestsAndResizesGoThroughTheModel) {
    TForm form(nullptr);
    form.setBounds(0, 0, 200, 100);
    form.setCaption("keys-test");
    form.setKeyPreview(true);
    std::string log;
    form.onKeyDown = handler([&](std::span<const classes::EventArg> a) {
        log += "key" + std::to_string(*std::get<int64_t*>(a[1])) + " ";
    });
    form.onKeyPress = handler([&](std::span<const classes::EventArg> a) { log += *std::get<std::string*>(a[1]) + " "; });
    bool allowClose = false;
    form.onCloseQuery = handler([&](std::span<const classes::EventArg> a) {
        log += "query ";
        *std::get<bool*>(a[1]) = allowClose;
    });
    int resizes = 0;
    form.onResize = handler([&] { ++resizes; });
    form.show();
    QWidget* w = windowTitled("keys-test");
    ASSERT_NE(w, nullptr);
    QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
    QApplication::sendEvent(w, &left);
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QApplication::sendEvent(w, &a);
    QCloseEvent close1;
    QApplication::sendEvent(w, &close1);
    EXPECT_TRUE(form.visible()) << "the close request was refused";
    allowClose = true;
    QCloseEvent close2;
    QApplication::sendEvent(w, &close2);
    EXPECT_FALSE(form.visible());
    EXPECT_EQ(log, "key37 key65 a query query ");

    form.show();
    const int frameW = form.width() - form.clientWidth();
    w->resize(300, 150);
    QApplication::processEvents();
    EXPECT_EQ(form.clientWidth(), 300);
    EXPECT_EQ(form.width(), 300 + frameW);
    EXPECT_GE(resizes, 1);
    form.hide();
}

TEST(QtWindow, AnimatedGifInAnImageRepaintsEachFrame) {
    ManualClock clock;
    ScopedTimerService use(clock);
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 50, 50);
    auto* image = new TImage(&form);
    image->setParent(&form);
    image->setBounds(0, 0, 4, 3);
    image->picture()->readData(std::string("\x09TGIFImage", 10) + vcltest::readFixture("anim.gif"));
    form.show();
    EXPECT_EQ(vcltest::colorAt(form.grab(), 0, 0), clRed);
    clock.advance(100);
    EXPECT_EQ(vcltest::colorAt(form.grab(), 0, 0), clBlue);
    EXPECT_EQ(vcltest::colorAt(form.grab(), 0, 2), clLime);
    form.hide();
}
