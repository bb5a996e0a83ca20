// A form written as text, turned into a binary stream by zeptool at build time, read into
// live controls and grabbed headless: pixels at known points show each control.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "classes/ClassInfo.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Animate.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/GroupCtrls.h"
#include "vcl/Header.h"
#include "vcl/HotKey.h"
#include "vcl/ListCtrls.h"
#include "vcl/Menus.h"
#include "vcl/Notebook.h"
#include "vcl/RangeCtrls.h"
#include "vcl/Registration.h"
#include "vcl/StdCtrls.h"
#include "vcl/qt/QtHandle.h"

using namespace vcl;
using vcltest::colorAt;
using vcltest::handler;

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void readForm(TCustomForm& form, const std::string& bytes) {
    classes::TMemoryStream stream;
    stream.setBytes(bytes);
    classes::TReader reader(stream);
    reader.readRootComponent(&form);
}

// Pixels of text in `r`: dark ones on a light ground.
int ink(const pictures::Image& img, const TRect& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const TColor c = colorAt(img, x, y);
            n += c >= 0 && getRValue(c) + getGValue(c) + getBValue(c) < 300;
        }
    return n;
}

template <class W>
W* widgetOf(classes::TComponent* c) {
    auto* control = dynamic_cast<TWinControl*>(c);
    return control ? dynamic_cast<W*>(static_cast<qt::QtHandle&>(control->handle()).widget()) : nullptr;
}

bool near(TColor a, TColor b, int tolerance) {
    return std::abs(getRValue(a) - getRValue(b)) <= tolerance &&
           std::abs(getGValue(a) - getGValue(b)) <= tolerance &&
           std::abs(getBValue(a) - getBValue(b)) <= tolerance;
}

class FormStream : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
};

}  // namespace

TEST_F(FormStream, ShowsEveryControlOfAStreamedFormInItsPlace) {
    const std::string bytes = readFile(VCL_SHOWCASE_FORM);
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");
    TAutorunForm form(nullptr);
    readForm(form, bytes);
    EXPECT_EQ(form.name(), "ShowForm");
    ASSERT_EQ(form.componentCount(), 10);
    EXPECT_EQ(form.clientWidth(), 320);
    EXPECT_EQ(form.borderStyle(), bsNone);
    auto* box = dynamic_cast<TPaintBox*>(form.findComponent("PaintBox1"));
    ASSERT_NE(box, nullptr);
    // Scripts bind events at run time, never the stream.
    box->onPaint = handler([box] {
        box->canvas().brush().setColor(clBlue);
        box->canvas().fillRect({0, 0, 40, 40});
    });
    auto* shape3 = dynamic_cast<TControl*>(form.findComponent("Shape3"));
    ASSERT_NE(shape3, nullptr);
    EXPECT_EQ(shape3->parent(), form.findComponent("Panel1")) << "children of a panel live on the panel";

    form.show();
    const pictures::Image img = form.grab();
    ASSERT_EQ(img.width, 320);
    ASSERT_EQ(img.height, 200);
    const TColor face = colorToRGB(clBtnFace);

    // JPEG: orange top half, blue bottom half (lossy: near).
    EXPECT_TRUE(near(colorAt(img, 15, 12), rgb(255, 128, 0), 12)) << std::hex << colorAt(img, 15, 12);
    EXPECT_TRUE(near(colorAt(img, 15, 22), rgb(0, 0, 255), 12)) << std::hex << colorAt(img, 15, 22);
    // PNG 4 x 3 at its size, its transparent pixel showing the form.
    EXPECT_EQ(colorAt(img, 40, 10), clRed);
    EXPECT_EQ(colorAt(img, 41, 10), clLime);
    EXPECT_EQ(colorAt(img, 43, 11), clFuchsia);
    EXPECT_EQ(colorAt(img, 43, 12), face);
    // BMP stretched to 8 x 6: each pixel doubled.
    EXPECT_EQ(colorAt(img, 60, 10), clRed);
    EXPECT_EQ(colorAt(img, 61, 11), clRed);
    EXPECT_EQ(colorAt(img, 62, 10), clLime);
    EXPECT_EQ(colorAt(img, 67, 15), rgb(200, 100, 50));
    EXPECT_EQ(colorAt(img, 68, 10), face);
    // Shapes: a framed red rectangle and a pen-less lime circle.
    EXPECT_EQ(colorAt(img, 100, 10), clBlack);
    EXPECT_EQ(colorAt(img, 130, 30), clRed);
    EXPECT_EQ(colorAt(img, 280, 30), clLime);
    EXPECT_EQ(colorAt(img, 261, 11), face) << "outside the circle";
    // Raised bevel: highlight top-left, shadow bottom-right.
    EXPECT_EQ(colorAt(img, 180, 10), colorToRGB(clBtnHighlight));
    EXPECT_EQ(colorAt(img, 229, 49), colorToRGB(clBtnShadow));
    // Lowered panel with its caption and a shape inside it.
    EXPECT_EQ(colorAt(img, 10, 80), colorToRGB(clBtnShadow));
    EXPECT_EQ(colorAt(img, 159, 129), colorToRGB(clBtnHighlight));
    EXPECT_EQ(colorAt(img, 15, 85), clAqua);
    EXPECT_EQ(colorAt(img, 140, 100), clNavy);
    int captionInk = 0;
    for (int y = 95; y < 115; ++y)
        for (int x = 60; x < 110; ++x) captionInk += colorAt(img, x, y) != clAqua;
    EXPECT_GT(captionInk, 20) << "the panel's caption is drawn in its middle";
    // The paint box's handler drew, clipped to the box.
    EXPECT_EQ(colorAt(img, 200, 100), clBlue);
    EXPECT_EQ(colorAt(img, 221, 100), face);
    // The auto-sized label shows dark text where its caption is.
    auto* label = dynamic_cast<TLabel*>(form.findComponent("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_GT(label->width(), 120);
    EXPECT_GE(label->height(), 17);
    int dark = 0;
    for (int y = label->top(); y < label->top() + label->height(); ++y)
        for (int x = label->left(); x < label->left() + label->width(); ++x)
            dark += getRValue(colorAt(img, x, y)) < 100 && getGValue(colorAt(img, x, y)) < 100;
    EXPECT_GT(dark, 80);
    form.hide();
}

TEST_F(FormStream, WrittenFormsReadBackTheSame) {
    const std::string bytes = readFile(VCL_SHOWCASE_FORM);
    TAutorunForm first(nullptr);
    readForm(first, bytes);
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(first);
    }
    TAutorunForm second(nullptr);
    readForm(second, out.bytes());
    ASSERT_EQ(second.componentCount(), first.componentCount());
    for (int i = 0; i < first.componentCount(); ++i) {
        auto* a = dynamic_cast<TControl*>(first.component(i));
        auto* b = dynamic_cast<TControl*>(second.component(i));
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->name(), b->name());
        EXPECT_EQ(a->boundsRect(), b->boundsRect()) << a->name();
        EXPECT_EQ(a->color(), b->color()) << a->name();
    }
    auto* png = dynamic_cast<TImage*>(second.findComponent("PngImage"));
    ASSERT_NE(png, nullptr);
    EXPECT_STREQ(png->picture()->graphic()->className(), "TPNGObject");
    EXPECT_EQ(dynamic_cast<TShape*>(second.findComponent("Shape2"))->shape(), stCircle);
}

TEST_F(FormStream, BadPictureDataIsAnErrorTheHandlerSees) {
    // A form whose image holds a JPEG blob of garbage.
    TAutorunForm source(nullptr);
    source.setName("BadForm");
    auto* image = new TImage(&source);
    image->setName("Image1");
    image->setParent(&source);
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(source);
    }
    std::string bytes = out.bytes();
    // Splice a Picture.Data property into Image1's property list.
    const std::string marker = std::string("\x06Image1", 7);
    const size_t at = bytes.find(marker);
    ASSERT_NE(at, std::string::npos);
    std::string payload = std::string("\x0ATJPEGImage", 11) + std::string("\x04\0\0\0junk", 8);
    std::string prop = std::string("\x0CPicture.Data", 13) + '\x0A';
    const uint32_t n = static_cast<uint32_t>(payload.size());
    prop += std::string(reinterpret_cast<const char*>(&n), 4) + payload;
    bytes.insert(at + marker.size(), prop);
    TAutorunForm target(nullptr);
    classes::TMemoryStream in;
    in.setBytes(bytes);
    classes::TReader reader(in);
    std::vector<std::string> errors;
    reader.onError = [&](const std::string& m) {
        errors.push_back(m);
        return true;
    };
    try {
        reader.readRootComponent(&target);
    } catch (const base::Error& e) {
        errors.push_back(e.what());
    }
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.front().find("Image1.Picture.Data"), std::string::npos) << errors.front();
}

TEST_F(FormStream, AFormWithEveryStandardControlReadsAndShowsThem) {
    const std::string bytes = readFile(VCL_CONTROLS_FORM);
    ASSERT_EQ(bytes.substr(0, 4), "TPF0");
    TAutorunForm form(nullptr);
    std::vector<std::string> errors;
    classes::TMemoryStream stream;
    stream.setBytes(bytes);
    classes::TReader reader(stream);
    reader.onError = [&](const std::string& m) {
        errors.push_back(m);
        return true;
    };
    reader.readRootComponent(&form);
    EXPECT_TRUE(errors.empty()) << errors.front();
    // Every class of the stream, under its name, in its place.
    const std::pair<const char*, const char*> expected[] = {
        {"Label1", "TLabel"},
        {"SpeedButton1", "TSpeedButton"},
        {"Edit1", "TEdit"},
        {"Button1", "TButton"},
        {"BitBtn1", "TBitBtn"},
        {"CheckBox1", "TCheckBox"},
        {"RadioButton1", "TRadioButton"},
        {"Memo1", "TMemo"},
        {"ListBox1", "TListBox"},
        {"ComboBox1", "TComboBox"},
        {"HotKey1", "THotKey"},
        {"GroupBox1", "TGroupBox"},
        {"Shape1", "TShape"},
        {"RadioGroup1", "TRadioGroup"},
        {"ProgressBar1", "TProgressBar"},
        {"TrackBar1", "TTrackBar"},
        {"Header1", "THeader"},
        {"Animate1", "TAnimate"},
        {"Notebook1", "TNotebook"},
        {"Edit2", "TEdit"},
        {"Button2", "TButton"},
        {"RichEdit1", "TRichEdit"},
        {"Panel1", "TPanel"},
        {"MainMenu1", "TMainMenu"},
        {"Open1", "TMenuItem"},
        {"PopupMenu1", "TPopupMenu"},
        {"Timer1", "TTimer"},
    };
    for (auto [name, cls] : expected) {
        classes::TComponent* c = form.findComponent(name);
        ASSERT_NE(c, nullptr) << name;
        EXPECT_STREQ(c->className().c_str(), cls) << name;
    }
    EXPECT_EQ(dynamic_cast<TControl*>(form.findComponent("Memo1"))->boundsRect(), (TRect{10, 40, 160, 100}));
    auto* edit = dynamic_cast<TEdit*>(form.findComponent("Edit1"));
    EXPECT_EQ(edit->popupMenu(), form.findComponent("PopupMenu1"));
    EXPECT_EQ(form.menu(), form.findComponent("MainMenu1"));
    EXPECT_EQ(form.clientHeight(), 260);

    form.show();
    QApplication::processEvents();
    // Captions and items as the widgets show them.
    EXPECT_EQ(widgetOf<QLineEdit>(edit)->text(), QStringLiteral("Edit text"));
    EXPECT_EQ(widgetOf<QPushButton>(form.findComponent("Button1"))->text(), QStringLiteral("&Push"));
    EXPECT_EQ(widgetOf<QPushButton>(form.findComponent("BitBtn1"))->text(), QStringLiteral("OK"));
    auto* list = widgetOf<QListWidget>(form.findComponent("ListBox1"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Gamma"));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(widgetOf<QComboBox>(form.findComponent("ComboBox1"))->currentText(), QStringLiteral("Green"));
    EXPECT_EQ(widgetOf<QLineEdit>(form.findComponent("HotKey1"))->text(), QStringLiteral("Ctrl + A"));
    EXPECT_EQ(widgetOf<QGroupBox>(form.findComponent("GroupBox1"))->title(), QStringLiteral("Group"));
    auto* group = dynamic_cast<TRadioGroup*>(form.findComponent("RadioGroup1"));
    EXPECT_EQ(group->button(1)->caption(), "Two");
    EXPECT_TRUE(group->button(1)->checked());
    auto* book = dynamic_cast<TNotebook*>(form.findComponent("Notebook1"));
    EXPECT_EQ(book->activePage(), "Second");
    EXPECT_EQ(dynamic_cast<TAnimate*>(form.findComponent("Animate1"))->frameCount(), 3);
    auto* bar = static_cast<qt::QtHandle&>(form.handle()).widget()->findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 2);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("&File"));
    ASSERT_NE(bar->actions()[0]->menu(), nullptr);
    EXPECT_EQ(bar->actions()[0]->menu()->actions()[0]->text(), QStringLiteral("&Open\tCtrl+O"));
    EXPECT_TRUE(bar->actions()[0]->menu()->actions()[1]->isSeparator());

    const pictures::Image img = form.grab();
    ASSERT_EQ(img.width, 640);
    ASSERT_EQ(img.height, 260);
    const TColor face = colorToRGB(clBtnFace), white = colorToRGB(clWindow);
    EXPECT_EQ(colorAt(img, 630, 250), face);
    EXPECT_GT(ink(img, {10, 10, 45, 26}), 20) << "the label's caption";
    EXPECT_EQ(colorAt(img, 165, 18), clYellow) << "the edit's colour";
    EXPECT_GT(ink(img, {52, 10, 110, 28}), 40) << "the edit's text";
    EXPECT_GT(ink(img, {195, 8, 245, 30}), 15) << "the button's caption";
    int green = 0;
    for (int y = 8; y < 30; ++y)
        for (int x = 264; x < 300; ++x)
            green += getGValue(colorAt(img, x, y)) > 100 && getRValue(colorAt(img, x, y)) < 60;
    EXPECT_GT(green, 8) << "the OK kind's glyph";
    EXPECT_EQ(colorAt(img, 350, 6), colorToRGB(clBtnShadow)) << "the speed button is down";
    EXPECT_EQ(colorAt(img, 475, 18), face);
    EXPECT_GT(ink(img, {410, 10, 450, 27}), 15) << "the check box's caption";
    EXPECT_EQ(colorAt(img, 150, 90), white);
    EXPECT_GT(ink(img, {12, 42, 80, 72}), 40) << "the memo's lines";
    EXPECT_EQ(colorAt(img, 260, 62), colorToRGB(clHighlight)) << "the list's selected item";
    EXPECT_GT(ink(img, {172, 42, 220, 56}), 15) << "the list's first item";
    EXPECT_GT(ink(img, {284, 42, 340, 60}), 15) << "the combo box's text";
    EXPECT_GT(ink(img, {284, 72, 340, 88}), 15) << "the hot key's text";
    EXPECT_EQ(colorAt(img, 415, 75), clRed) << "a shape on the group box";
    EXPECT_GT(ink(img, {390, 40, 430, 55}), 15) << "the group box's caption";
    EXPECT_GT(ink(img, {545, 80, 580, 100}), 15) << "the radio group's second item";
    EXPECT_TRUE(near(colorAt(img, 20, 128), colorToRGB(clHighlight), 24)) << "half the progress bar is done";
    EXPECT_EQ(colorAt(img, 150, 128), white);
    EXPECT_EQ(colorAt(img, 340, 130), face);
    EXPECT_GT(ink(img, {333, 122, 370, 138}), 15) << "the header's first section";
    EXPECT_EQ(colorAt(img, 580, 135), clRed) << "the clip's first frame, centred";
    EXPECT_GT(ink(img, {30, 175, 110, 190}), 15) << "the second page's button shows";
    EXPECT_EQ(ink(img, {20, 170, 120, 191}) < 400, true) << "the first page's edit does not";
    EXPECT_EQ(colorAt(img, 190, 230), face);
    EXPECT_GT(ink(img, {222, 162, 280, 180}), 15) << "the rich edit's line";
    EXPECT_EQ(colorAt(img, 390, 170), clAqua);
    EXPECT_GT(ink(img, {410, 175, 450, 195}), 15) << "the panel's caption";
    form.hide();
}
