// The metadata of this layer as scripts and tools use it: generic property access by
// path, streams naming these classes, and the rules of properties with side effects.
#include <gtest/gtest.h>

#include "classes/ClassInfo.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Registration.h"
#include "vcl/StdCtrls.h"

using namespace vcl;

namespace {

class Metadata : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
};

std::string writeForm(TCustomForm& form) {
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(form);
    }
    return out.bytes();
}

}  // namespace

TEST_F(Metadata, PropertiesAreReachableByPath) {
    TForm form(nullptr);
    auto* box = new TPaintBox(&form);
    box->setParent(&form);
    classes::setPropertyValue(form, "Font.Name", std::string("Tahoma"));
    EXPECT_EQ(form.font()->name(), "Tahoma");
    classes::setPropertyValue(*box, "Canvas.Brush.Color", int64_t{clRed});
    EXPECT_EQ(box->canvas().brush().color(), clRed);
    classes::setPropertyValue(form, "ClientWidth", int64_t{300});
    EXPECT_EQ(std::get<int64_t>(classes::getPropertyValue(form, "ClientWidth")), 300);
    EXPECT_EQ(std::get<int64_t>(classes::getPropertyValue(form, "Color")), clBtnFace);
    EXPECT_EQ(std::get<int64_t>(classes::getPropertyValue(form, "BorderStyle")), bsSizeable);
    EXPECT_THROW(classes::setPropertyValue(form, "NoSuchThing", int64_t{1}), base::Error);
}

TEST_F(Metadata, RegisteredClassesAreFoundByName) {
    for (const char* name : {"TForm", "TAutorunForm", "TLabel", "TImage", "TShape", "TBevel", "TPaintBox", "TPanel",
                             "TTimer", "tlabel"}) {
        const classes::ClassInfo* info = classes::ClassRegistry::find(name);
        ASSERT_NE(info, nullptr) << name;
        EXPECT_TRUE(info->canCreate()) << name;
    }
    EXPECT_NE(classes::ClassRegistry::find("TControl"), nullptr) << "ancestors come with their classes";
    EXPECT_FALSE(classes::ClassRegistry::find("TControl")->canCreate());
}

TEST_F(Metadata, AVisibleFormInAStreamShowsOnceLoaded) {
    TForm source(nullptr);
    source.setName("VisibleForm");
    auto* label = new TLabel(&source);
    label->setName("Label1");
    label->setParent(&source);
    label->setCaption("x");
    std::string bytes = writeForm(source);
    // Flip the form's stored Visible = False into True.
    const std::string from = std::string("\x07Visible\x08", 9), to = std::string("\x07Visible\x09", 9);
    const size_t at = bytes.find(from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, from.size(), to);
    TForm target(nullptr);
    int shows = 0, labelsAtShow = -1;
    target.onShow = vcltest::handler([&] {
        ++shows;
        labelsAtShow = target.controlCount();
    });
    classes::TMemoryStream in;
    in.setBytes(bytes);
    classes::TReader(in).readRootComponent(&target);
    EXPECT_TRUE(target.visible());
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(labelsAtShow, 1) << "shown after its controls were read";
    target.hide();
}

TEST_F(Metadata, ImageCanvasNeedsABitmap) {
    TForm form(nullptr);
    auto* image = new TImage(&form);
    image->setParent(&form);
    image->setBounds(0, 0, 10, 8);
    TCanvas& c = image->imageCanvas();
    EXPECT_EQ(image->picture()->width(), 10) << "an empty picture becomes a bitmap of the image's size";
    c.setPixel(1, 1, clRed);
    EXPECT_EQ(image->picture()->bitmap().canvas().pixel(1, 1), clRed);
    image->picture()->readData(std::string("\x0ATPNGObject", 11) + vcltest::readFixture("pattern.png"));
    try {
        image->imageCanvas();
        FAIL();
    } catch (const base::Error& e) {
        EXPECT_STREQ(e.what(), "Can only modify an image if it contains a bitmap");
    }
    EXPECT_STREQ(image->picture()->graphic()->className(), "TPNGObject") << "the picture is left alone";
}

TEST_F(Metadata, PropertiesOfTheAuthoringToolReadWithoutErrors) {
    const std::string text = R"(object KeptForm: TForm
  AutoScroll = False
  AlphaBlend = True
  AlphaBlendValue = 128
  Ctl3D = False
  HelpFile = 'x.hlp'
  DefaultMonitor = dmMainForm
  PrintScale = poNone
  object Label1: TLabel
    BiDiMode = bdRightToLeft
    ParentBiDiMode = False
    DragCursor = crHandPoint
    DragMode = dmAutomatic
    HelpContext = 12
    HelpKeyword = 'intro'
    Constraints.MinWidth = 80
    Caption = 'x'
  end
  object Panel1: TPanel
    FullRepaint = False
    ParentBackground = False
    UseDockManager = True
  end
  object Image1: TImage
    IncrementalDisplay = True
  end
end
)";
    TForm form(nullptr);
    classes::TMemoryStream in;
    in.setBytes(classes::textToBinary(text));
    classes::TReader reader(in);
    std::vector<std::string> errors;
    reader.onError = [&](const std::string& m) {
        errors.push_back(m);
        return true;
    };
    reader.readRootComponent(&form);
    EXPECT_TRUE(errors.empty()) << errors.front();
    auto* label = dynamic_cast<TLabel*>(form.findComponent("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->width(), 80) << "the minimum width holds against auto-size";
    EXPECT_EQ(std::get<int64_t>(classes::getPropertyValue(*label, "BiDiMode")), 1);
    EXPECT_EQ(std::get<int64_t>(classes::getPropertyValue(*label, "HelpContext")), 12);
    EXPECT_EQ(std::get<std::string>(classes::getPropertyValue(*label, "HelpKeyword")), "intro");
    EXPECT_EQ(form.alphaBlendValue(), 128);

    // Written back, the kept values come out again.
    const std::string again = classes::binaryToText(writeForm(form));
    EXPECT_NE(again.find("DragMode = dmAutomatic"), std::string::npos) << again;
    EXPECT_NE(again.find("FullRepaint = False"), std::string::npos);
    EXPECT_NE(again.find("Constraints.MinWidth = 80"), std::string::npos);
}
