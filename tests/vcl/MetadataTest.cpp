// The metadata of this layer as scripts and tools use it: generic property access by
// path, streams naming these classes, and the rules of properties with side effects.
#include <gtest/gtest.h>

#include "classes/ClassInfo.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Animate.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/ListCtrls.h"
#include "vcl/Menus.h"
#include "vcl/RangeCtrls.h"
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
    for (const char* name : {"TForm", "TAutorunForm", "TLabel", "TImage", "TShape", "TBevel", "TPaintBox",
                             "TPanel", "TTimer", "tlabel"}) {
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

TEST_F(Metadata, AFormIconReadsFromItsDataProperty) {
    const std::string ico = vcltest::readFixture("two-sizes.ico");
    std::string hex;
    for (unsigned char ch : ico) {
        static const char* digits = "0123456789ABCDEF";
        hex += digits[ch >> 4];
        hex += digits[ch & 15];
    }
    const std::string text = "object IconForm: TForm\n  Icon.Data = {" + hex + "}\nend\n";
    TForm form(nullptr);
    classes::TMemoryStream in;
    in.setBytes(classes::textToBinary(text));
    classes::TReader(in).readRootComponent(&form);
    ASSERT_FALSE(form.icon()->empty());
    EXPECT_EQ(form.icon()->width(), 32);
    const std::string again = classes::binaryToText(writeForm(form));
    EXPECT_NE(again.find("Icon.Data = {"), std::string::npos);
    EXPECT_EQ(again.find("Icon.Transparent"), std::string::npos) << again;
}

TEST_F(Metadata, EveryPublishedPropertyOfTheStandardClassesReads) {
    // What the designers of those years write for forms and standard controls, later
    // designers' Explicit bounds included: nothing may stop the read.
    const std::string text = R"(object FullForm: TForm
  Left = 192
  Top = 114
  Width = 500
  Height = 400
  HorzScrollBar.Range = 600
  HorzScrollBar.Increment = 16
  HorzScrollBar.Tracking = True
  VertScrollBar.Visible = False
  VertScrollBar.Margin = 4
  ActiveControl = Edit1
  AutoScroll = False
  AutoSize = False
  BorderWidth = 0
  Caption = 'Full'
  Color = clBtnFace
  DockSite = False
  DoubleBuffered = True
  DragKind = dkDock
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  FormStyle = fsNormal
  HelpContext = 3
  Hint = 'a form'
  KeyPreview = True
  OldCreateOrder = True
  ParentBiDiMode = True
  Position = poScreenCenter
  ScreenSnap = True
  SnapBuffer = 8
  ShowHint = True
  UseDockManager = False
  Visible = False
  WindowState = wsNormal
  PixelsPerInch = 96
  TextHeight = 13
  object Edit1: TEdit
    Left = 8
    Top = 8
    Width = 121
    Height = 21
    Anchors = [akLeft, akTop, akRight]
    AutoSelect = False
    AutoSize = False
    BevelEdges = [beLeft, beTop]
    BevelInner = bvNone
    BevelKind = bkFlat
    BevelOuter = bvRaised
    BiDiMode = bdLeftToRight
    BorderStyle = bsNone
    CharCase = ecLowerCase
    Ctl3D = False
    DragCursor = crDrag
    HideSelection = False
    ImeMode = imDisable
    ImeName = 'none'
    MaxLength = 20
    OEMConvert = True
    ParentCtl3D = False
    ParentShowHint = False
    PasswordChar = '*'
    ReadOnly = True
    ShowHint = True
    TabOrder = 0
    TabStop = True
    Text = 'abc'
    ExplicitLeft = 8
    ExplicitTop = 8
    ExplicitWidth = 121
    ExplicitHeight = 21
  end
  object Memo1: TMemo
    Left = 8
    Top = 40
    Width = 185
    Height = 89
    Align = alNone
    Alignment = taCenter
    ScrollBars = ssBoth
    WantReturns = False
    WantTabs = True
    WordWrap = False
    TabOrder = 1
  end
  object Button1: TButton
    Left = 8
    Top = 140
    Width = 75
    Height = 25
    Cancel = True
    Caption = 'Go'
    ModalResult = 1
    WordWrap = True
    TabOrder = 2
  end
  object CheckBox1: TCheckBox
    Left = 100
    Top = 140
    Width = 97
    Height = 17
    Alignment = taLeftJustify
    AllowGrayed = True
    State = cbGrayed
    TabOrder = 3
  end
  object ListBox1: TListBox
    Left = 200
    Top = 8
    Width = 121
    Height = 97
    AutoComplete = False
    Columns = 2
    ExtendedSelect = False
    IntegralHeight = True
    ItemHeight = 16
    MultiSelect = True
    ScrollWidth = 200
    Sorted = True
    Style = lbOwnerDrawFixed
    TabWidth = 8
    TabOrder = 4
  end
  object ComboBox1: TComboBox
    Left = 200
    Top = 120
    Width = 145
    Height = 21
    AutoDropDown = True
    AutoCloseUp = True
    CharCase = ecUpperCase
    DropDownCount = 12
    MaxLength = 10
    Sorted = True
    TabOrder = 5
  end
  object ScrollingPanel: TPanel
    Left = 340
    Top = 8
    Width = 100
    Height = 60
    AutoSize = False
    BorderStyle = bsSingle
    Locked = False
    TabOrder = 6
  end
  object ProgressBar1: TProgressBar
    Left = 8
    Top = 180
    Width = 150
    Height = 16
    BorderWidth = 1
    Min = 10
    Max = 20
    Orientation = pbHorizontal
    Smooth = True
    Step = 2
    TabOrder = 7
  end
  object TrackBar1: TTrackBar
    Left = 170
    Top = 180
    Width = 150
    Height = 45
    Frequency = 2
    LineSize = 2
    Max = 20
    Orientation = trHorizontal
    PageSize = 5
    SelEnd = 8
    SelStart = 3
    SliderVisible = True
    ThumbLength = 18
    TickMarks = tmBoth
    TickStyle = tsManual
    TabOrder = 8
  end
  object Animate1: TAnimate
    Left = 330
    Top = 180
    Width = 80
    Height = 50
    CommonAVI = aviCopyFiles
    StopFrame = 0
    Timers = True
  end
  object BitBtn1: TBitBtn
    Left = 8
    Top = 240
    Width = 75
    Height = 25
    TabOrder = 9
    Kind = bkAll
    Layout = blGlyphRight
    Margin = 2
    NumGlyphs = 2
    Spacing = 6
    Style = bsNew
  end
  object SpeedButton1: TSpeedButton
    Left = 100
    Top = 240
    Width = 23
    Height = 22
    AllowAllUp = True
    GroupIndex = 3
    Flat = True
    Transparent = False
    Layout = blGlyphTop
  end
  object GroupBox1: TGroupBox
    Left = 140
    Top = 240
    Width = 100
    Height = 50
    Caption = 'G'
    ParentBackground = False
    TabOrder = 10
  end
  object RadioGroup1: TRadioGroup
    Left = 250
    Top = 240
    Width = 100
    Height = 60
    Columns = 2
    Items.Strings = (
      'a'
      'b')
    TabOrder = 11
  end
  object HotKey1: THotKey
    Left = 360
    Top = 240
    Width = 100
    Height = 19
    AutoSize = False
    BevelKind = bkSoft
    HotKey = 0
    InvalidKeys = [hcNone]
    Modifiers = [hkCtrl, hkShift]
    TabOrder = 12
  end
  object MainMenu1: TMainMenu
    AutoHotkeys = maManual
    AutoLineReduction = maManual
    AutoMerge = True
    OwnerDraw = True
    object Item1: TMenuItem
      AutoCheck = True
      AutoHotkeys = maParent
      Break = mbBarBreak
      Caption = 'Item'
      Default = True
      GroupIndex = 1
      HelpContext = 4
      Hint = 'an item'
      ImageIndex = 2
      RadioItem = True
    end
  end
  object PopupMenu1: TPopupMenu
    Alignment = paRight
    AutoPopup = False
    HelpContext = 5
    MenuAnimation = [maTopToBottom]
    TrackButton = tbLeftButton
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
    for (const std::string& e : errors) ADD_FAILURE() << e;
    // What has a meaning here is applied.
    EXPECT_EQ(form.activeControl(), form.findComponent("Edit1"));
    EXPECT_EQ(form.horzScrollBar()->value("Range", 0), 600);
    auto* edit = dynamic_cast<TEdit*>(form.findComponent("Edit1"));
    EXPECT_EQ(edit->passwordChar(), '*');
    EXPECT_EQ(edit->maxLength(), 20);
    EXPECT_TRUE(edit->readOnly());
    EXPECT_EQ(edit->charCase(), ecLowerCase);
    EXPECT_EQ(edit->boundsRect(), (TRect{8, 8, 129, 29})) << "Explicit bounds change nothing";
    EXPECT_EQ(edit->keptValue("BevelKind", 0), 3);
    EXPECT_EQ(dynamic_cast<TCheckBox*>(form.findComponent("CheckBox1"))->state(), cbGrayed);
    EXPECT_EQ(dynamic_cast<TListBox*>(form.findComponent("ListBox1"))->columns(), 2);
    EXPECT_EQ(dynamic_cast<TTrackBar*>(form.findComponent("TrackBar1"))->tickStyle(), tsManual);
    EXPECT_EQ(dynamic_cast<TBitBtn*>(form.findComponent("BitBtn1"))->caption(), "&All");
    EXPECT_EQ(dynamic_cast<TMenuItem*>(form.findComponent("Item1"))->keptValues()["ImageIndex"], 2);
    EXPECT_FALSE(dynamic_cast<TAnimate*>(form.findComponent("Animate1"))->open());
}
