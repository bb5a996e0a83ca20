// Modal dialogs with OK and Cancel buttons, and the controls that keep their behaviour in
// the model: radio groups, notebooks, headers, bitmap and speed buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/Graphic.h"
#include "vcl/GroupCtrls.h"
#include "vcl/Header.h"
#include "vcl/Notebook.h"
#include "vcl/Registration.h"
#include "vcl/qt/QtHandle.h"

using namespace vcl;
using vcltest::colorAt;
using vcltest::handler;

namespace {

QWidget* widgetOf(TWinControl& c) { return static_cast<qt::QtHandle&>(c.handle()).widget(); }

// The widget with the focus once the window that was just shown has it.
QWidget* focusWidget() {
    for (int i = 0; i < 50 && !QApplication::focusWidget(); ++i) QApplication::processEvents();
    return QApplication::focusWidget();
}

// A dialog as projects build them: an edit, OK as the default button, Cancel as the cancel one.
struct Dialog {
    TForm form{nullptr};
    TEdit* edit;
    TButton* ok;
    TButton* cancel;
    Dialog() {
        form.setBorderStyle(bsDialog);
        form.setClientWidth(220);
        form.setClientHeight(80);
        edit = new TEdit(&form);
        edit->setParent(&form);
        edit->setBounds(10, 10, 200, 21);
        ok = new TButton(&form);
        ok->setParent(&form);
        ok->setBounds(10, 45, 75, 25);
        ok->setCaption("OK");
        ok->setDefault(true);
        ok->setModalResult(mrOk);
        cancel = new TButton(&form);
        cancel->setParent(&form);
        cancel->setBounds(100, 45, 75, 25);
        cancel->setCaption("Cancel");
        cancel->setCancel(true);
        cancel->setModalResult(mrCancel);
        form.setActiveControl(edit);
    }
    // Runs `act` once the modal loop runs, then returns what ShowModal returned.
    TModalResult run(std::function<void()> act) {
        QTimer::singleShot(0, [act] { act(); });
        return form.showModal();
    }
};

void readText(classes::TComponent& root, const std::string& text) {
    classes::TMemoryStream in;
    in.setBytes(classes::textToBinary(text));
    classes::TReader reader(in);
    reader.readRootComponent(&root);
}

class ExtControls : public testing::Test {
protected:
    static void SetUpTestSuite() { registerVclClasses(); }
};

}  // namespace

TEST_F(ExtControls, ShowModalAnswersEnterEscapeAndClicks) {
    {
        Dialog d;
        EXPECT_EQ(d.run([&] {
            QWidget* focus = focusWidget();
            ASSERT_EQ(focus, widgetOf(*d.edit)) << "the focus went to ActiveControl";
            QTest::keyClicks(focus, "name");
            QTest::keyClick(focus, Qt::Key_Return);
        }),
                  mrOk);
        EXPECT_EQ(d.edit->text(), "name");
        EXPECT_FALSE(d.form.visible());
    }
    {
        Dialog d;
        EXPECT_EQ(d.run([&] { QTest::keyClick(focusWidget(), Qt::Key_Escape); }), mrCancel);
    }
    {
        Dialog d;
        EXPECT_EQ(d.run([&] { QTest::mouseClick(widgetOf(*d.ok), Qt::LeftButton); }), mrOk);
    }
    {
        Dialog d;
        EXPECT_EQ(d.run([&] { QTest::mouseClick(widgetOf(*d.cancel), Qt::LeftButton); }), mrCancel);
    }
    {
        // A button without a result does not end the loop; Space on the focused OK does.
        Dialog d;
        int other = 0;
        auto* more = new TButton(&d.form);
        more->setParent(&d.form);
        more->setBounds(190, 45, 25, 25);
        more->onClick = handler([&] { ++other; });
        EXPECT_EQ(d.run([&] {
            QTest::mouseClick(widgetOf(*more), Qt::LeftButton);
            d.ok->setFocus();
            QTest::keyClick(widgetOf(*d.ok), Qt::Key_Space);
        }),
                  mrOk);
        EXPECT_EQ(other, 1);
    }
}

TEST_F(ExtControls, BitBtnKindsBringTheirCaptionsAndResults) {
    TForm form(nullptr);
    auto* b = new TBitBtn(&form);
    b->setParent(&form);
    b->setKind(bkCancel);
    EXPECT_EQ(b->caption(), "Cancel");
    EXPECT_TRUE(b->cancel());
    EXPECT_EQ(b->modalResult(), mrCancel);
    EXPECT_EQ(b->kind(), bkCancel);
    EXPECT_FALSE(b->glyphFor(GlyphState::Up).empty()) << "a kind has a glyph of its own";
    b->setModalResult(mrOk);
    EXPECT_EQ(b->kind(), bkCustom) << "a result of another kind makes it a custom button";

    // A two-image glyph: the bottom-left colour is transparent; the second image is the
    // disabled one.
    TBitmap glyph;
    glyph.setSize(8, 4);
    glyph.canvas().brush().setColor(clFuchsia);
    glyph.canvas().fillRect({0, 0, 8, 4});
    glyph.canvas().setPixel(1, 1, clRed);
    glyph.canvas().setPixel(5, 1, clGray);
    b->setGlyph(&glyph);
    EXPECT_EQ(b->numGlyphs(), 2);
    const pictures::Image up = b->glyphFor(GlyphState::Up);
    ASSERT_EQ(up.width, 4);
    EXPECT_EQ(up.pixel(0, 0) >> 24, 0u);
    EXPECT_EQ(argbToColor(up.pixel(1, 1)), clRed);
    EXPECT_EQ(argbToColor(b->glyphFor(GlyphState::Disabled).pixel(1, 1)), clGray);

    const ButtonLayout left = layoutButton(blGlyphLeft, -1, 4, {0, 0, 100, 30}, {16, 16}, {40, 13});
    EXPECT_EQ(left.glyph.x, (100 - 16 - 4 - 40) / 2);
    EXPECT_EQ(left.text.x, left.glyph.x + 16 + 4);
    EXPECT_EQ(left.glyph.y, 7);
    const ButtonLayout top = layoutButton(blGlyphTop, 2, -1, {0, 0, 60, 60}, {16, 16}, {30, 10});
    EXPECT_EQ(top.glyph.y, 2);
    EXPECT_EQ(top.text.y, 2 + 16 + (60 - 2 - 16 - 10) / 2);
    EXPECT_EQ(top.text.x, 15);

    // A Close button closes its form.
    form.show();
    auto* close = new TBitBtn(&form);
    close->setParent(&form);
    close->setKind(bkClose);
    EXPECT_EQ(close->caption(), "&Close");
    close->click();
    EXPECT_FALSE(form.visible());
}

TEST_F(ExtControls, SpeedButtonsOfAGroupStayDownOneAtATime) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 200, 60);
    TSpeedButton* buttons[3];
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new TSpeedButton(&form);
        buttons[i]->setParent(&form);
        buttons[i]->setBounds(10 + 30 * i, 10, 25, 25);
        buttons[i]->setGroupIndex(1);
    }
    int clicks = 0;
    buttons[1]->onClick = handler([&] { ++clicks; });
    form.show();
    form.handleMouseDown(mbLeft, 0, 45, 20, false);
    form.handleMouseUp(mbLeft, 0, 45, 20);
    EXPECT_TRUE(buttons[1]->down());
    EXPECT_EQ(clicks, 1);
    buttons[0]->setDown(true);
    EXPECT_FALSE(buttons[1]->down());
    buttons[0]->setDown(false);
    EXPECT_TRUE(buttons[0]->down()) << "without AllowAllUp one stays down";
    buttons[0]->setAllowAllUp(true);
    buttons[0]->setDown(false);
    EXPECT_FALSE(buttons[0]->down());
    // A held-down button shows sunken: its top-left edge is the shadow colour.
    buttons[2]->setDown(true);
    const pictures::Image img = form.grab();
    EXPECT_EQ(colorAt(img, 70, 10), colorToRGB(clBtnShadow));
    EXPECT_EQ(colorAt(img, 40, 10), colorToRGB(clBtnHighlight));
    TSpeedButton lone(nullptr);
    lone.setDown(true);
    EXPECT_FALSE(lone.down()) << "only a grouped button stays down";
    form.hide();
}

TEST_F(ExtControls, RadioGroupsMakeTheirButtonsFromItems) {
    TForm form(nullptr);
    form.setBorderStyle(bsNone);
    form.setBounds(0, 0, 300, 200);
    auto* group = new TRadioGroup(&form);
    group->setParent(&form);
    group->setBounds(10, 10, 200, 100);
    int clicks = 0;
    group->onClick = handler([&] { ++clicks; });
    for (const char* s : {"Small", "Medium", "Large", "Huge"}) group->items()->add(s);
    ASSERT_EQ(group->buttonCount(), 4);
    group->setColumns(2);
    EXPECT_EQ(group->button(2)->left(), group->button(0)->left() + (200 - 10) / 2);
    EXPECT_EQ(group->button(1)->top(), group->button(3)->top());
    group->setItemIndex(1);
    EXPECT_TRUE(group->button(1)->checked());
    EXPECT_EQ(clicks, 1) << "choosing a button in code clicks the group, as the system's does";
    form.show();
    QTest::mouseClick(static_cast<QRadioButton*>(widgetOf(*group->button(3))), Qt::LeftButton);
    EXPECT_EQ(group->itemIndex(), 3);
    EXPECT_FALSE(group->button(1)->checked());
    EXPECT_EQ(clicks, 2);
    group->items()->remove(3);
    EXPECT_EQ(group->buttonCount(), 3);
    EXPECT_EQ(group->itemIndex(), 2) << "the last item is chosen when the chosen one goes";
    EXPECT_TRUE(group->button(2)->checked());
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(form.componentCount(), 1) << "the buttons belong to the group, not to the form";

    // A stream gives ItemIndex before the items.
    TForm read(nullptr);
    readText(read, R"(object F: TForm
  object RadioGroup1: TRadioGroup
    Left = 5
    Top = 5
    Width = 150
    Height = 90
    Caption = 'Size'
    ItemIndex = 2
    Items.Strings = (
      'S'
      'M'
      'L')
    TabOrder = 0
  end
end
)");
    auto* rg = dynamic_cast<TRadioGroup*>(read.findComponent("RadioGroup1"));
    ASSERT_NE(rg, nullptr);
    EXPECT_EQ(rg->itemIndex(), 2);
    EXPECT_TRUE(rg->button(2)->checked());
}

TEST_F(ExtControls, NotebooksShowOnePageAndReadTheirPagesFromStreams) {
    TForm form(nullptr);
    readText(form, R"(object F: TForm
  object Notebook1: TNotebook
    Left = 0
    Top = 0
    Width = 200
    Height = 100
    PageIndex = 1
    object TPage
      Left = 0
      Top = 0
      Caption = 'First'
      object Edit1: TEdit
        Left = 4
        Top = 4
        Width = 80
        Height = 21
        TabOrder = 0
        Text = 'one'
      end
    end
    object TPage
      Left = 0
      Top = 0
      Caption = 'Second'
    end
  end
end
)");
    auto* book = dynamic_cast<TNotebook*>(form.findComponent("Notebook1"));
    ASSERT_NE(book, nullptr);
    ASSERT_EQ(book->pageCount(), 2) << "the stream's pages replace the default one";
    EXPECT_EQ(book->pages()->get(0), "First");
    EXPECT_EQ(book->pageIndex(), 1);
    EXPECT_EQ(book->activePage(), "Second");
    EXPECT_FALSE(book->page(0)->visible());
    auto* edit = dynamic_cast<TEdit*>(form.findComponent("Edit1"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->parent(), book->page(0));
    int changes = 0;
    book->onPageChanged = handler([&] { ++changes; });
    book->setActivePage("first");
    EXPECT_EQ(book->pageIndex(), 0);
    EXPECT_TRUE(book->page(0)->visible());
    EXPECT_EQ(changes, 1);
    book->pages()->add("Third");
    EXPECT_EQ(book->pageCount(), 3);
    book->pages()->remove(0);
    EXPECT_EQ(form.findComponent("Edit1"), nullptr) << "a page's controls go with it";
    EXPECT_EQ(book->pageIndex(), 0);

    // Written and read back, the pages and their order stay.
    TForm source(nullptr);
    source.setName("Src");
    auto* nb = new TNotebook(&source);
    nb->setName("Book");
    nb->setParent(&source);
    nb->pages()->put(0, "A");
    nb->pages()->add("B");
    auto* e = new TEdit(&source);
    e->setName("OnB");
    e->setParent(nb->page(1));
    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(source);
    }
    TForm copy(nullptr);
    classes::TMemoryStream in;
    in.setBytes(out.bytes());
    classes::TReader reader(in);
    reader.readRootComponent(&copy);
    auto* nb2 = dynamic_cast<TNotebook*>(copy.findComponent("Book"));
    ASSERT_NE(nb2, nullptr);
    ASSERT_EQ(nb2->pageCount(), 2);
    EXPECT_EQ(nb2->pages()->get(1), "B");
    EXPECT_EQ(dynamic_cast<TControl*>(copy.findComponent("OnB"))->parent(), nb2->page(1));
}

TEST_F(ExtControls, HeaderSectionsReadTheirStreamedFormAndResizeByDragging) {
    TForm form(nullptr);
    readText(form, R"(object F: TForm
  object Header1: THeader
    Left = 0
    Top = 0
    Width = 300
    Height = 20
    Sections.Sections = (
      #0'80'#0'Name'
      #0'120'#0'Size'
      'Plain')
  end
end
)");
    auto* header = dynamic_cast<THeader*>(form.findComponent("Header1"));
    ASSERT_NE(header, nullptr);
    ASSERT_EQ(header->sections()->count(), 3);
    EXPECT_EQ(header->sections()->get(1), "Size");
    EXPECT_EQ(header->sectionWidth(1), 120);
    EXPECT_EQ(header->sectionWidth(2), THeaderSections::kDefaultWidth);
    EXPECT_EQ(header->dividerAt(81), 0);
    std::vector<int64_t> sized;
    header->onSized = handler([&](std::span<const classes::EventArg> a) {
        sized = {std::get<int64_t>(a[1]), std::get<int64_t>(a[2])};
    });
    header->mouseDown(mbLeft, 0, 81, 5);
    header->mouseMove(1u << ssLeft, 101, 5);
    header->mouseUp(mbLeft, 0, 101, 5);
    EXPECT_EQ(header->sectionWidth(0), 100);
    EXPECT_EQ(sized, (std::vector<int64_t>{0, 100}));

    classes::TMemoryStream out;
    {
        classes::TWriter writer(out);
        writer.writeRootComponent(form);
    }
    const std::string text = classes::binaryToText(out.bytes());
    EXPECT_NE(text.find("#0'100'#0'Name'"), std::string::npos) << text;
}
