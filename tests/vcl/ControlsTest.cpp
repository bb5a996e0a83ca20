// Controls: layout, inheritance, mouse routing and event order, keys, painting.
#include <gtest/gtest.h>

#include <memory>

#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

using namespace vcl;
using vcltest::colorAt;
using vcltest::handler;

namespace {

std::unique_ptr<TForm> makeForm(int cw = 200, int ch = 150) {
    auto f = std::make_unique<TForm>(nullptr);
    f->setBorderStyle(bsNone);
    f->setBounds(0, 0, cw, ch);
    return f;
}

}  // namespace

TEST(Controls, AlignLaysOutInTheSystemsOrder) {
    auto form = makeForm(200, 100);
    auto* top = new TPanel(form.get());
    top->setParent(form.get());
    top->setHeight(20);
    top->setAlign(alTop);
    auto* left = new TPanel(form.get());
    left->setParent(form.get());
    left->setWidth(30);
    left->setAlign(alLeft);
    auto* client = new TPanel(form.get());
    client->setParent(form.get());
    client->setAlign(alClient);
    auto* bottom = new TPanel(form.get());
    bottom->setParent(form.get());
    bottom->setHeight(10);
    bottom->setAlign(alBottom);
    EXPECT_EQ(top->boundsRect(), (TRect{0, 0, 200, 20}));
    EXPECT_EQ(bottom->boundsRect(), (TRect{0, 90, 200, 100}));
    EXPECT_EQ(left->boundsRect(), (TRect{0, 20, 30, 90}));
    EXPECT_EQ(client->boundsRect(), (TRect{30, 20, 200, 90}));
    form->setClientWidth(300);
    EXPECT_EQ(client->boundsRect(), (TRect{30, 20, 300, 90}));
    bottom->hide();
    EXPECT_EQ(client->boundsRect(), (TRect{30, 20, 300, 100}));
}

TEST(Controls, AnchorsKeepDistancesWhenTheParentResizes) {
    auto form = makeForm(200, 100);
    auto* right = new TShape(form.get());
    right->setParent(form.get());
    right->setBounds(150, 10, 40, 20);
    right->setAnchors((1u << akRight) | (1u << akTop));
    auto* both = new TShape(form.get());
    both->setParent(form.get());
    both->setBounds(10, 10, 100, 20);
    both->setAnchors((1u << akLeft) | (1u << akRight) | (1u << akTop) | (1u << akBottom));
    auto* plain = new TShape(form.get());
    plain->setParent(form.get());
    plain->setBounds(5, 5, 10, 10);
    form->setBounds(0, 0, 250, 120);
    EXPECT_EQ(right->boundsRect(), (TRect{200, 10, 240, 30}));
    EXPECT_EQ(both->boundsRect(), (TRect{10, 10, 160, 50}));
    EXPECT_EQ(plain->boundsRect(), (TRect{5, 5, 15, 15}));
}

TEST(Controls, FontAndColourFollowTheParentUntilSetOwnValues) {
    auto form = makeForm();
    form->font()->setName("Arial");
    auto* label = new TLabel(form.get());
    label->setParent(form.get());
    EXPECT_EQ(label->font()->name(), "Arial");
    EXPECT_TRUE(label->parentFont());
    form->font()->setHeight(-20);
    EXPECT_EQ(label->font()->height(), -20);
    label->font()->setHeight(-9);
    EXPECT_FALSE(label->parentFont());
    form->font()->setHeight(-30);
    EXPECT_EQ(label->font()->height(), -9);
    label->setParentFont(true);
    EXPECT_EQ(label->font()->height(), -30);

    EXPECT_TRUE(label->parentColor());
    EXPECT_EQ(label->color(), clBtnFace);
    form->setColor(clRed);
    EXPECT_EQ(label->color(), clRed);
    label->setColor(clBlue);
    EXPECT_FALSE(label->parentColor());
    form->setColor(clGreen);
    EXPECT_EQ(label->color(), clBlue);
}

TEST(Controls, GraphicControlEventsComeInTheSystemsOrder) {
    auto form = makeForm();
    auto* shape = new TShape(form.get());
    shape->setParent(form.get());
    shape->setBounds(20, 20, 40, 40);
    std::string log;
    shape->onMouseEnter = handler([&] { log += "enter "; });
    shape->onMouseDown = handler([&](std::span<const classes::EventArg> a) {
        log += "down(" + std::to_string(std::get<int64_t>(a[3])) + "," +
               std::to_string(std::get<int64_t>(a[4])) + ") ";
    });
    shape->onMouseUp = handler([&] { log += "up "; });
    shape->onClick = handler([&] { log += "click "; });
    shape->onMouseLeave = handler([&] { log += "leave "; });
    shape->onMouseMove = handler([&] { log += "move "; });
    form->handleMouseMove(0, 5, 5);
    form->handleMouseMove(0, 30, 30);
    form->handleMouseDown(mbLeft, 0, 31, 32, false);
    form->handleMouseUp(mbLeft, 0, 31, 32);
    form->handleMouseMove(0, 100, 100);
    // The click comes between the press and the release, as the system sends it.
    EXPECT_EQ(log, "enter move move down(11,12) click up move leave ");

    log.clear();
    form->handleMouseMove(0, 30, 30);
    form->handleMouseDown(mbLeft, 0, 30, 30, false);
    form->handleMouseMove(0, 150, 100);
    form->handleMouseUp(mbLeft, 0, 150, 100);
    EXPECT_EQ(log, "enter move move down(10,10) leave move up ")
        << "release outside: no click, capture keeps the events, leaving is told at once";

    // Coming back while still held is told too; the release inside then clicks.
    log.clear();
    form->handleMouseMove(0, 30, 30);
    form->handleMouseDown(mbLeft, 0, 30, 30, false);
    form->handleMouseMove(0, 150, 100);
    form->handleMouseMove(0, 35, 35);
    form->handleMouseUp(mbLeft, 0, 35, 35);
    EXPECT_EQ(log, "enter move move down(10,10) leave move enter move click up move ");
}

TEST(Controls, TopmostVisibleGraphicControlGetsTheMouse) {
    auto form = makeForm();
    auto* below = new TShape(form.get());
    below->setParent(form.get());
    below->setBounds(0, 0, 50, 50);
    auto* above = new TShape(form.get());
    above->setParent(form.get());
    above->setBounds(25, 25, 50, 50);
    EXPECT_EQ(form->controlAtPos({30, 30}), above);
    below->bringToFront();
    EXPECT_EQ(form->controlAtPos({30, 30}), below);
    below->hide();
    EXPECT_EQ(form->controlAtPos({30, 30}), above);
    above->setEnabled(false);
    EXPECT_EQ(form->controlAtPos({30, 30}), nullptr);
}

TEST(Controls, KeyPreviewLetsTheFormSeeAndEatKeysFirst) {
    auto form = makeForm();
    auto* panel = new TPanel(form.get());
    panel->setParent(form.get());
    std::string log;
    form->onKeyDown = handler([&](std::span<const classes::EventArg> a) {
        log += "form ";
        if (*std::get<int64_t*>(a[1]) == 'X') *std::get<int64_t*>(a[1]) = 0;
    });
    panel->onKeyDown = handler([&] { log += "panel "; });
    panel->onKeyPress =
        handler([&](std::span<const classes::EventArg> a) { log += *std::get<std::string*>(a[1]); });
    panel->handleKeyDown('A', 0);
    EXPECT_EQ(log, "panel ");
    form->setKeyPreview(true);
    log.clear();
    panel->handleKeyDown('A', 0);
    panel->handleKeyDown('X', 0);
    panel->handleKeyPress('q');
    EXPECT_EQ(log, "form panel form q");
}

TEST(Controls, LabelAutoSizesToItsText) {
    auto form = makeForm();
    auto* label = new TLabel(form.get());
    label->setParent(form.get());
    label->setBounds(100, 10, 50, 50);
    label->setCaption("Hello world");
    TCanvas measure;
    measure.setFont(*label->font());
    EXPECT_EQ(label->width(), measure.textWidth("Hello world"));
    EXPECT_EQ(label->height(), measure.textHeight("H"));
    const int right = label->left() + label->width();
    label->setAutoSize(false);
    label->setAlignment(taRightJustify);
    label->setAutoSize(true);
    label->setCaption("Hi");
    EXPECT_EQ(label->left() + label->width(), right) << "a right-justified label keeps its right edge";
    label->setCaption("&File");
    EXPECT_EQ(label->width(), measure.textWidth("File"));
    label->setShowAccelChar(false);
    EXPECT_EQ(label->width(), measure.textWidth("&File"));
}

TEST(Controls, ImagePlacesItsPictureAsAsked) {
    auto form = makeForm();
    auto* image = new TImage(form.get());
    image->setParent(form.get());
    image->setBounds(0, 0, 100, 50);
    TBitmap bmp;
    bmp.setSize(40, 20);
    image->picture()->setGraphic(&bmp);
    EXPECT_EQ(image->destRect(), (TRect{0, 0, 40, 20}));
    image->setCenter(true);
    EXPECT_EQ(image->destRect(), (TRect{30, 15, 70, 35}));
    image->setStretch(true);
    EXPECT_EQ(image->destRect(), (TRect{0, 0, 100, 50}));
    image->setProportional(true);
    EXPECT_EQ(image->destRect(), (TRect{0, 0, 100, 50}));
    image->setBounds(0, 0, 100, 100);
    EXPECT_EQ(image->destRect(), (TRect{0, 25, 100, 75}));
    image->setAutoSize(true);
    EXPECT_EQ(image->width(), 40);
    EXPECT_EQ(image->height(), 20);
}

TEST(Controls, PaintingShowsShapesBevelsPanelsAndCustomDrawing) {
    auto form = makeForm(200, 120);
    form->setColor(clWhite);
    auto* shape = new TShape(form.get());
    shape->setParent(form.get());
    shape->setBounds(10, 10, 30, 20);
    shape->brush()->setColor(clRed);
    auto* bevel = new TBevel(form.get());
    bevel->setParent(form.get());
    bevel->setBounds(50, 10, 20, 20);
    auto* panel = new TPanel(form.get());
    panel->setParent(form.get());
    panel->setBounds(100, 10, 60, 40);
    panel->setColor(clYellow);
    panel->setCaption("");
    auto* box = new TPaintBox(form.get());
    box->setParent(form.get());
    box->setBounds(10, 60, 20, 20);
    box->onPaint = handler([box] {
        box->canvas().brush().setColor(clBlue);
        box->canvas().fillRect({0, 0, 40, 40});  // clipped to the box
    });
    form->show();
    const pictures::Image img = form->grab();
    ASSERT_EQ(img.width, 200);
    EXPECT_EQ(colorAt(img, 10, 10), clBlack) << "shape pen";
    EXPECT_EQ(colorAt(img, 39, 29), clBlack);
    EXPECT_EQ(colorAt(img, 25, 20), clRed) << "shape brush";
    EXPECT_EQ(colorAt(img, 40, 30), clWhite);
    EXPECT_EQ(colorAt(img, 50, 10), colorToRGB(clBtnShadow)) << "lowered bevel";
    EXPECT_EQ(colorAt(img, 69, 29), colorToRGB(clBtnHighlight));
    EXPECT_EQ(colorAt(img, 100, 10), colorToRGB(clBtnHighlight)) << "raised panel";
    EXPECT_EQ(colorAt(img, 159, 49), colorToRGB(clBtnShadow));
    EXPECT_EQ(colorAt(img, 130, 30), clYellow);
    EXPECT_EQ(colorAt(img, 15, 65), clBlue);
    EXPECT_EQ(colorAt(img, 30, 80), clWhite) << "paint box drawing is clipped";

    // Drawing on a custom control outside a paint event stays on its surface.
    panel->canvas().brush().setColor(clLime);
    panel->canvas().fillRect({5, 5, 10, 10});
    const pictures::Image after = form->grab();
    EXPECT_EQ(colorAt(after, 107, 17), clLime);
    form->hide();
}

TEST(Controls, TimerRunsOnTheClockOnlyWhenFullyEnabled) {
    ManualClock clock;
    ScopedTimerService use(clock);
    TTimer timer(nullptr);
    int ticks = 0;
    timer.setInterval(100);
    clock.advance(500);
    EXPECT_EQ(clock.activeTimers(), 0) << "no handler, no timer";
    timer.setOnTimer(handler([&] { ++ticks; }));
    clock.advance(250);
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(false);
    clock.advance(500);
    EXPECT_EQ(ticks, 2);
    timer.setEnabled(true);
    timer.setInterval(0);
    clock.advance(500);
    EXPECT_EQ(ticks, 2);
    timer.setInterval(50);
    clock.advance(100);
    EXPECT_EQ(ticks, 4);
}

TEST(Controls, TransparentImageLetsItsKeyColourThrough) {
    auto form = makeForm(40, 20);
    form->setColor(clYellow);
    auto* image = new TImage(form.get());
    image->setParent(form.get());
    image->setBounds(0, 0, 10, 10);
    TBitmap bmp;
    bmp.setSize(10, 10);
    bmp.canvas().brush().setColor(clFuchsia);
    bmp.canvas().fillRect({0, 0, 10, 10});
    bmp.canvas().brush().setColor(clNavy);
    bmp.canvas().fillRect({2, 2, 5, 5});
    image->picture()->setGraphic(&bmp);
    form->show();
    EXPECT_EQ(colorAt(form->grab(), 0, 0), clFuchsia);
    image->setTransparent(true);
    const pictures::Image img = form->grab();
    EXPECT_EQ(colorAt(img, 0, 0), clYellow) << "the bottom-left colour is the key";
    EXPECT_EQ(colorAt(img, 3, 3), clNavy);
    form->hide();
}

TEST(Controls, PaintBelowShowsWhatATransparentControlCovers) {
    auto form = makeForm(60, 40);
    form->setColor(clYellow);
    form->onPaint = handler([&] {
        form->canvas().brush().setColor(clGreen);
        form->canvas().fillRect({0, 30, 60, 40});
    });
    auto* under = new TShape(form.get());
    under->setParent(form.get());
    under->setBounds(0, 0, 20, 20);
    under->brush()->setColor(clRed);
    under->pen()->setStyle(psClear);
    auto* self = new TLabel(form.get());
    self->setParent(form.get());
    self->setAutoSize(false);
    self->setBounds(10, 10, 20, 25);
    auto* over = new TShape(form.get());
    over->setParent(form.get());
    over->setBounds(10, 10, 20, 25);
    over->brush()->setColor(clBlue);
    pictures::Image below(20, 25, 0);
    form->paintBelow(*self, below);
    EXPECT_EQ(vcltest::colorAt(below, 0, 0), clRed) << "the shape below, in the label's coordinates";
    EXPECT_EQ(vcltest::colorAt(below, 8, 8), clRed);
    EXPECT_EQ(vcltest::colorAt(below, 10, 10), clYellow) << "the form's colour";
    EXPECT_EQ(vcltest::colorAt(below, 5, 22), clGreen) << "the form's own painting";
    int blue = 0;
    for (uint32_t p : below.pixels) blue += p == 0xFF0000FFu;
    EXPECT_EQ(blue, 0) << "controls above are left out";
}
