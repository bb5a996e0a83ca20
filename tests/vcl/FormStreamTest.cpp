// A form written as text, turned into a binary stream by zeptool at build time, read into
// live controls and grabbed headless: pixels at known points show each control.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "classes/ClassInfo.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Registration.h"
#include "vcl/StdCtrls.h"

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
