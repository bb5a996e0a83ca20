// Scripts driving the standard and common controls through the members their metadata
// declares beyond the published properties: the model changes as the script says, the
// events it raises run script procedures, and bad indexes are script errors.
#include <gtest/gtest.h>

#include <memory>

#include "tests/script/ScriptSession.h"
#include "vcl/Animate.h"
#include "vcl/ButtonCtrls.h"
#include "vcl/Buttons.h"
#include "vcl/Edits.h"
#include "vcl/Forms.h"
#include "vcl/GroupCtrls.h"
#include "vcl/Header.h"
#include "vcl/HotKey.h"
#include "vcl/ListCtrls.h"
#include "vcl/Notebook.h"
#include "vcl/RangeCtrls.h"

using namespace vcl;

namespace {

const script::Imports& controlImports() {
    static const script::Imports table = [] {
        script::Imports m;
        for (const classes::ClassInfo* c :
             {&TEdit::staticClass(), &TMemo::staticClass(), &TListBox::staticClass(),
              &TComboBox::staticClass(), &TButton::staticClass(), &TScrollBar::staticClass(),
              &TProgressBar::staticClass(), &TTrackBar::staticClass(), &TAnimate::staticClass(),
              &THeader::staticClass(), &TSpeedButton::staticClass(), &THotKey::staticClass(),
              &TRadioGroup::staticClass(), &TNotebook::staticClass()})
            m.classType(*c);
        return m;
    }();
    return table;
}

class ScriptMembers : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        extra.constant("ClipPath", std::string(VANTREL_SOURCE_DIR) + "/tests/vcl/data/clip.avi");
        s.tables.push_back(&controlImports());
        s.tables.push_back(&extra);
    }
    template <class T>
    T* add(const char* name, const char* type) {
        auto* c = new T(form.get());
        c->setName(name);
        c->setParent(form.get());
        s.global(name, type, c);
        return c;
    }

    std::unique_ptr<TForm> form;
    script::Imports extra;
    ScriptSession s;
};

TEST_F(ScriptMembers, EditsAndListsAnswerTheirMethods) {
    auto* edit = add<TEdit>("Edit", "TEdit");
    auto* list = add<TListBox>("List", "TListBox");
    auto* combo = add<TComboBox>("Combo", "TComboBox");
    ASSERT_TRUE(s.run(R"(
procedure Changed(Sender: TObject);
begin
  Log('change ' + TEdit(Sender).Text);
end;

begin
  Edit.OnChange := @Changed;
  Edit.Text := 'hello world';
  Edit.SelectAll;
  Log(IntToStr(Edit.SelLength));
  Edit.SelStart := 5; Edit.SelLength := 6;
  Edit.ClearSelection;
  Edit.Clear;

  List.Items.Add('a'); List.Items.Add('b'); List.Items.Add('c'); List.Items.Add('d');
  List.Selected[2] := True;
  Log(IntToStr(List.ItemIndex));
  List.MultiSelect := True;
  List.Selected[0] := True; List.Selected[3] := True;
  if List.Selected[3] and not List.Selected[1] then Log(IntToStr(List.SelCount) + ' selected');
  List.DeleteSelected;
  Log(List.Items[0] + ' ' + IntToStr(List.Items.Count));
  List.SelectAll; Log(IntToStr(List.SelCount));
  List.ClearSelection; Log(IntToStr(List.SelCount));
  try List.Selected[7] := True; except Log(ExceptionParam); end;
  List.Clear; Log(IntToStr(List.Items.Count));

  Combo.Items.Add('one'); Combo.Items.Add('two');
  Combo.ItemIndex := 1; Log(Combo.Text);
  Combo.Clear; Log(IntToStr(Combo.Items.Count) + ' [' + Combo.Text + ']');
  Combo.Text := 'hello world';
  Combo.SelStart := 6; Combo.SelLength := 99;
  Log(Combo.SelText + ' ' + IntToStr(Combo.SelLength));
  Combo.SelText := 'there';
  Combo.SelectAll;
  Log(Combo.SelText);
end.)")) << s.error;
    EXPECT_EQ(s.log,
              "change hello world\n11\nchange hello\nchange \n2\n3 selected\nb 1\n1\n0\n"
              "List index out of bounds (7)\n0\ntwo\n0 []\nworld 5\nhello there\n");
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(list->items()->count(), 0);
    EXPECT_EQ(combo->itemIndex(), -1);
}

TEST_F(ScriptMembers, RangesStepWrapAndTickAsTheNativeControlsDo) {
    auto* scroll = add<TScrollBar>("Scroll", "TScrollBar");
    auto* progress = add<TProgressBar>("Progress", "TProgressBar");
    auto* track = add<TTrackBar>("Track", "TTrackBar");
    ASSERT_TRUE(s.run(R"(
begin
  Scroll.SetParams(80, 10, 50);
  Log(IntToStr(Scroll.Min) + '..' + IntToStr(Scroll.Max) + ' at ' + IntToStr(Scroll.Position));
  try Scroll.SetParams(0, 9, 3); except Log(ExceptionParam); end;

  Progress.Step := 30; Progress.Position := 80;
  Progress.StepIt; Log(IntToStr(Progress.Position));
  Progress.StepBy(-25); Log(IntToStr(Progress.Position));
  Progress.StepBy(45); Log(IntToStr(Progress.Position));

  Track.Max := 20;
  Track.SetTick(5); Track.SetTick(5); Track.SetTick(15); Track.SetTick(20);
end.)")) << s.error;
    EXPECT_EQ(s.log, "10..50 at 50\nScrollbar property out of range\n10\n85\n30\n");
    EXPECT_EQ(scroll->position(), 50);
    EXPECT_EQ(progress->position(), 30);
    EXPECT_EQ(track->ticks(), (std::vector<int>{5, 15}));
}

TEST_F(ScriptMembers, ButtonsClickThroughTheirScriptHandlers) {
    auto* button = add<TButton>("Button", "TButton");
    auto* speed = add<TSpeedButton>("Speed", "TSpeedButton");
    button->setModalResult(mrOk);
    ASSERT_TRUE(s.run(R"(
procedure Clicked(Sender: TObject);
begin
  Log('clicked ' + TComponent(Sender).Name);
end;

begin
  Button.OnClick := @Clicked;
  Speed.OnClick := @Clicked;
  Speed.GroupIndex := 1; Speed.AllowAllUp := True;
  Button.Click;
  Speed.Click;
  if Speed.Down then Log('down');
end.)")) << s.error;
    EXPECT_EQ(s.log, "clicked Button\nclicked Speed\ndown\n");
    EXPECT_EQ(form->modalResult(), mrOk);
    EXPECT_TRUE(speed->down());
    EXPECT_EQ(button->name(), "Button");
}

TEST_F(ScriptMembers, AnimationAndHeaderMembers) {
    auto* anim = add<TAnimate>("Anim", "TAnimate");
    auto* header = add<THeader>("Header", "THeader");
    header->sections()->add("Name");
    header->sections()->add("Size");
    ASSERT_TRUE(s.run(R"(
begin
  try Anim.Play(1, 2, 1); except Log(ExceptionParam); end;
  Anim.FileName := ClipPath;
  Log(IntToStr(Anim.FrameCount) + ' frames of ' + IntToStr(Anim.FrameWidth) + 'x' + IntToStr(Anim.FrameHeight));
  Anim.Seek(2);
  Anim.Play(1, 2, 0);
  if Anim.Active then Log('playing');
  Anim.Stop;
  if not Anim.Active then Log('stopped');
  Anim.Reset;
  try Anim.Seek(99); except Log(ExceptionParam); end;
  Anim.ResName := 'SEARCH';
  if not Anim.Open then Log('closed by ' + Anim.ResName);
  Anim.ResId := 7; Anim.ResHandle := 3;
  Log(IntToStr(Anim.ResId) + ' ' + IntToStr(Anim.ResHandle));

  Header.SectionWidth[1] := 120;
  Log(IntToStr(Header.SectionWidth[1]));
  try Log(IntToStr(Header.SectionWidth[5])); except Log(ExceptionParam); end;
end.)")) << s.error;
    EXPECT_EQ(
        s.log,
        "Cannot open AVI\n3 frames of 5x3\nplaying\nstopped\nFrame index out of range\nclosed by SEARCH\n"
        "7 3\n120\nList index out of bounds (5)\n");
    EXPECT_FALSE(anim->open());
    EXPECT_EQ(header->sectionWidth(1), 120);
}

TEST_F(ScriptMembers, CommonControlTypesComeWithTheirClasses) {
    auto* hot = add<THotKey>("Hot", "THotKey");
    auto* track = add<TTrackBar>("Track", "TTrackBar");
    auto* progress = add<TProgressBar>("Progress", "TProgressBar");
    ASSERT_TRUE(s.run(R"(
var o: TTrackBarOrientation; r: TProgressRange;

procedure Changed(Sender: TObject);
begin
  Log('hot key ' + IntToStr(THotKey(Sender).HotKey));
end;

begin
  Hot.OnChange := @Changed;
  Hot.Modifiers := [hkCtrl, hkAlt];
  Hot.InvalidKeys := [hcNone, hcShift, hcCtrl];
  Hot.HotKey := $4041; { set by the program: no OnChange }
  if hkAlt in Hot.Modifiers then Log('alt');
  o := trVertical;
  Track.Orientation := o;
  Track.TickMarks := tmBoth;
  Track.TickStyle := tsManual;
  if Track.TickStyle = tsManual then Log('manual');
  r := 250;
  Progress.Max := r;
  Progress.Orientation := pbVertical;
end.)")) << s.error;
    EXPECT_EQ(s.log, "alt\nmanual\n");
    EXPECT_EQ(hot->hotKeyText(), "Ctrl + A");
    EXPECT_EQ(hot->invalidKeys(), (1u << hcNone) | (1u << hcShift) | (1u << hcCtrl));
    EXPECT_EQ(track->orientation(), trVertical);
    EXPECT_EQ(track->tickMarks(), tmBoth);
    EXPECT_EQ(progress->max(), 250);
    EXPECT_EQ(progress->orientation(), pbVertical);
}

TEST_F(ScriptMembers, StringsOfControlsChangeWhatTheControlsShow) {
    auto* memo = add<TMemo>("Memo", "TMemo");
    auto* group = add<TRadioGroup>("Group", "TRadioGroup");
    auto* book = add<TNotebook>("Book", "TNotebook");
    const std::string file = testing::TempDir() + "vcl_script_lines.txt";
    extra.constant("LinesFile", file);
    ASSERT_TRUE(s.run(R"(
var i: Integer;
begin
  Memo.Lines.Add('first');
  Memo.Lines.Add('second');
  Memo.Lines[0] := 'FIRST';
  Memo.Lines.SaveToFile(LinesFile);
  Memo.Lines.Clear;
  Memo.Lines.LoadFromFile(LinesFile);
  Memo.Lines.Insert(1, 'middle');
  Log(IntToStr(Memo.Lines.Count) + ': ' + Memo.Lines.CommaText);

  Group.Items.Add('Red'); Group.Items.Add('Green'); Group.Items.Add('Blue');
  Group.ItemIndex := 2;
  Group.Items.Delete(0);
  Log(Group.Items[Group.ItemIndex] + ' ' + IntToStr(Group.ItemIndex));

  Book.Pages.Add('Two');
  Book.Pages[0] := 'One';
  Book.ActivePage := 'Two';
  Log(IntToStr(Book.PageIndex) + ' of ' + IntToStr(Book.Pages.Count) + ' ' + Book.Pages.Text);
  Book.ActivePage := 'Three';
  Log('still ' + Book.ActivePage);
end.)")) << s.error;
    std::remove(file.c_str());
    EXPECT_EQ(memo->lines()->count(), 3);
    EXPECT_EQ(memo->text(), "FIRST\r\nmiddle\r\nsecond");
    EXPECT_EQ(group->buttonCount(), 2);
    EXPECT_EQ(book->pageCount(), 2);
    EXPECT_EQ(book->pageIndex(), 1);
    EXPECT_EQ(s.log, "3: FIRST,middle,second\nBlue 1\n1 of 2 One\r\nTwo\r\n\nstill Two\n");
}

TEST_F(ScriptMembers, EditsShareTheClipboardAndUndoOnScreen) {
    auto* edit = add<TEdit>("Edit", "TEdit");
    auto* other = add<TEdit>("Other", "TEdit");
    edit->setBounds(0, 0, 100, 21);
    other->setBounds(0, 30, 100, 21);
    form->show();
    ASSERT_TRUE(s.run(R"(
begin
  Edit.Text := 'copy me';
  Edit.SelectAll; Edit.CopyToClipboard;
  Other.PasteFromClipboard;
  Log(Other.Text);
  Edit.SelStart := 0; Edit.SelLength := 5;
  Edit.CutToClipboard;
  Log(Edit.Text);
  Other.SelectAll; Other.PasteFromClipboard;
  Log(Other.Text);
  Edit.Undo;
  Log(Edit.Text);
end.)")) << s.error;
    form->hide();
    EXPECT_EQ(s.log, "copy me\nme\ncopy \ncopy me\n");
    EXPECT_EQ(other->text(), "copy ");
}

}  // namespace
