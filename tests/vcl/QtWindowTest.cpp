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
#include "vcl/StdCtrls.h"

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
    form.onKeyPress =
        handler([&](std::span<const classes::EventArg> a) { log += *std::get<std::string*>(a[1]) + " "; });
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
    const int frameLeft = form.left(), frameTop = form.top();
    const QPoint clientAt = w->pos();
    w->move(clientAt + QPoint(30, 20));
    QApplication::processEvents();
    EXPECT_EQ(form.left(), frameLeft + 30);
    EXPECT_EQ(form.top(), frameTop + 20);
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

TEST(QtWindow, LabelAcceleratorFocusesItsControl) {
    TForm form(nullptr);
    form.setBounds(0, 0, 200, 100);
    form.setCaption("accel-test");
    auto* label = new TLabel(&form);
    label->setParent(&form);
    label->setCaption("&Name");
    auto* first = new TPanel(&form);
    first->setParent(&form);
    auto* target = new TPanel(&form);
    target->setParent(&form);
    label->setFocusControl(target);
    form.show();
    QApplication::setActiveWindow(windowTitled("accel-test"));
    first->setFocus();
    std::string log;
    target->onEnter = handler([&] { log += "enter "; });
    form.handleKeyDown('X', 1u << ssAlt);
    EXPECT_EQ(log, "");
    form.handleKeyDown('N', 1u << ssAlt);
    EXPECT_TRUE(target->focused());
    EXPECT_EQ(log, "enter ");
    delete target;
    EXPECT_EQ(label->focusControl(), nullptr) << "a freed focus control is forgotten";
    form.hide();
}

TEST(QtWindow, AWindowRegionShapesTheWindow) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 100, 100);
    form.setCaption("region-test");
    form.setWindowRegion({{0, 0, 50, 50}, {50, 50, 100, 100}});
    form.show();
    QWidget* w = windowTitled("region-test");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->mask().contains(QPoint(10, 10)));
    EXPECT_FALSE(w->mask().contains(QPoint(75, 25)));
    EXPECT_TRUE(w->mask().contains(QPoint(75, 75)));
    form.setWindowRegion({});
    EXPECT_TRUE(w->mask().isEmpty());
    form.beginWindowDrag();  // headless: nothing to drag, must not fail
    form.hide();
}

TEST(QtWindow, AControlMayFreeItsOwnFormInItsEvent) {
    auto* form = new TForm(nullptr);
    form->setBorderStyle(bsNone);
    form->setBounds(0, 0, 100, 100);
    form->setCaption("free-test");
    auto* panel = new TPanel(form);
    panel->setParent(form);
    panel->setBounds(0, 0, 50, 50);
    bool freed = false;
    panel->onClick = handler([&] {
        delete form;
        freed = true;
    });
    form->show();
    QWidget* w = windowTitled("free-test");
    ASSERT_NE(w, nullptr);
    QWidget* child = w->childAt(10, 10);
    ASSERT_NE(child, nullptr);
    sendMouse(child, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(child, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(freed);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(windowTitled("free-test"), nullptr);
}

TEST(QtWindow, AnExceptionInAnEventShowsTheErrorBoxAndEndsOnlyThatEvent) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 100, 100);
    form.setCaption("error-test");
    auto* shape = new TShape(&form);
    shape->setParent(&form);
    shape->setBounds(0, 0, 50, 50);
    shape->onClick = handler([] { throw base::ScriptError("Access violation"); });
    int ups = 0;
    shape->onMouseUp = handler([&] { ++ups; });
    std::vector<std::string> boxes;
    application().setTitle("Project");
    application().showErrorBox = [&](const std::string& caption, const std::string& text) {
        boxes.push_back(caption + ": " + text);
    };
    form.show();
    QWidget* w = windowTitled("error-test");
    ASSERT_NE(w, nullptr);
    for (int i = 0; i < 2; ++i) {
        sendMouse(w, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, Qt::LeftButton);
        sendMouse(w, QEvent::MouseButtonRelease, {10, 10}, Qt::LeftButton, Qt::NoButton);
    }
    EXPECT_EQ(boxes, (std::vector<std::string>{"Project: Access violation.", "Project: Access violation."}));
    EXPECT_EQ(ups, 0) << "the failing event ends there";
    EXPECT_TRUE(form.visible()) << "the program goes on";
    application().showErrorBox = nullptr;
    form.hide();
}
