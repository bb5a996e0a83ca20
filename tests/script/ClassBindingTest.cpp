// Classes bound through their metadata: properties of every kind, script members, object
// lifetime through the handle table, and events raised by native code.
#include <gtest/gtest.h>

#include "BindingClasses.h"
#include "ScriptSession.h"
#include "classes/TStrings.h"

using bindtest::TTestAlign;
using bindtest::TTestWidget;

namespace {

const script::Imports& widgetImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.classType(TTestWidget::staticClass());
        return m;
    }();
    return table;
}

struct Widgets {
    TTestWidget w{nullptr};
    TTestWidget w2{nullptr};
    ScriptSession s;
    Widgets() {
        w2.setName("Second");
        s.tables.push_back(&widgetImports());
        s.global("W", "TTestWidget", &w).global("W2", "TTestWidget", &w2);
    }
};

TEST(ClassBinding, PublishedPropertiesOfEveryKindReadAndWriteTheObject) {
    Widgets t;
    ASSERT_TRUE(t.s.run(R"(
begin
  W.Count := W.Count + 41;
  W.Align := taRight;
  W.Style := [tsBold, tsUnderline];
  W.Caption := 'Hello';
  W.Ratio := W.Ratio * 2.5;
  W.Buddy := W2;
  W.Font.Name := 'Serif';
  W.Font.Size := W.Font.Size + 2;
  if (tsUnderline in W.Style) and not (tsItalic in W.Style) then Log('underline');
  if W.Align = taRight then Log('right');
  Log(W.Caption + ' ' + IntToStr(W.Width) + ' ' + FloatToStr(W.Ratio));
  Log(TTestWidget(W.Buddy).Name + ' ' + W.ClassName);
  if W.Buddy = W2 then Log('same object');
  with W do Caption := Caption + '!';
end.)")) << t.s.error;
    EXPECT_EQ(t.s.log, "underline\nright\nHello 75 2.5\nSecond TTestWidget\nsame object\n");
    EXPECT_EQ(t.w.count(), 41);
    EXPECT_EQ(t.w.align(), TTestAlign::taRight);
    EXPECT_EQ(t.w.style(), 0b101u);
    EXPECT_EQ(t.w.caption(), "Hello!");
    EXPECT_DOUBLE_EQ(t.w.ratio(), 2.5);
    EXPECT_EQ(t.w.buddy(), &t.w2);
    EXPECT_EQ(t.w.font()->name(), "Serif");
    EXPECT_EQ(t.w.font()->size(), 12);

    EXPECT_FALSE(t.s.compile("begin W.Width := 3; end."));
    EXPECT_EQ(t.s.compileError, "[Error] (1:7): Read-only property");
    EXPECT_FALSE(t.s.compile("begin W.Font := nil; end."));
    EXPECT_EQ(t.s.compileError, "[Error] (1:7): Read-only property");
    EXPECT_FALSE(t.s.compile("begin W.Colour := 3; end."));
    EXPECT_EQ(t.s.compileError, "[Error] (1:9): Unknown identifier 'Colour'");
}

TEST(ClassBinding, ScriptMembersTakeIndexesVarParametersRecordsAndArraysOfConst) {
    Widgets t;
    ASSERT_TRUE(t.s.run(R"(
var a, b, i: Integer; r: TTestRect;
begin
  W.AddItem('zero'); W.AddItem('one');
  W[2] := 'two';
  W.Items[0] := 'ZERO';
  Log(W[0] + ',' + W.Items[1] + ',' + W[2] + ' ' + IntToStr(W.ItemCount));
  a := 1; b := 2; W.Swap(a, b); Log(IntToStr(a) + IntToStr(b));
  if W.Find('two', i) then Log('two at ' + IntToStr(i));
  if not W.Find('none', i) then Log('none ' + IntToStr(i));
  r.Left := 1; r.Top := 2; r.Right := 30; r.Bottom := 40;
  W.SetBounds(r);
  Log(IntToStr(W.Bounds.Right - W.Bounds.Left));
  r := W.Bounds; Log(IntToStr(r.Bottom));
  Log(W.Describe([tsBold, tsUnderline], [7, 'x', 2.5, True]));
  try Log(W[9]); except Log(ExceptionParam); end;
  try W.Fail('no way'); except Log(ExceptionToString(ExceptionType, ExceptionParam)); end;
end.)")) << t.s.error;
    EXPECT_EQ(
        t.s.log,
        "ZERO,one,two 3\n21\ntwo at 2\nnone -1\n29\n40\n101 i7 sx d25 true\nList index out of bounds (9)\n"
        "Exception: no way\n");
    EXPECT_EQ(t.w.bounds().Bottom, 40);
}

TEST(ClassBinding, ConstructorsClassReferencesAndTypeTests) {
    Widgets t;
    ASSERT_TRUE(t.s.run(R"(
var c: TTestWidget; o: TComponent; l: TStringList;
begin
  c := TTestWidget.Create(W);
  c.Name := 'Child';
  Log(IntToStr(W.ComponentCount) + ' ' + W.Components[0].Name + ' ' + c.Owner.Name);
  o := W.FindComponent('child');
  if o is TTestWidget then Log('is widget');
  if not (o is TStringList) then Log('not a list');
  (o as TTestWidget).Caption := 'via as';
  Log(c.Caption);
  try l := o as TStringList; except Log('as: ' + ExceptionToString(ExceptionType, '')); end;
  l := TStringList.Create;
  l.Add('x');
  Log(l.ClassName + ' ' + IntToStr(l.Count));
  l.Free;
  c.Free;
  Log(IntToStr(W.ComponentCount));
  W.Tag := 4;
  o := TComponent.Create(nil);
  o.Tag := W.Tag + 1;
  Log(IntToStr(o.Tag));
  o.Free;
end.)")) << t.s.error;
    EXPECT_EQ(t.s.log, "1 Child \nis widget\nnot a list\nvia as\nas: Type Mismatch\nTStringList 1\n0\n5\n");
    EXPECT_EQ(t.w.componentCount(), 0);
}

TEST(ClassBinding, UseAfterFreeIsACatchableScriptErrorNeverACrash) {
    Widgets t;
    ASSERT_TRUE(t.s.run(R"(
var c, d: TTestWidget; l: TStringList;
procedure FreeMe(Sender: TObject);
begin
  Sender.Free;
  try Log(TTestWidget(Sender).Caption); except Log('own event: ' + ExceptionToString(ExceptionType, '')); end;
end;
begin
  l := TStringList.Create;
  l.Free;
  try l.Add('x'); except Log('script: ' + ExceptionToString(ExceptionType, '')); end;
  try l.Free; except Log('twice: ' + ExceptionToString(ExceptionType, '')); end;
  l := nil;
  l.Free;
  c := TTestWidget.Create(W);
  d := TTestWidget.Create(c);
  W.DestroyComponents;
  try c.Caption := 'x'; except Log('owner: ' + ExceptionToString(ExceptionType, '')); end;
  try Log(d.Name); except Log('grandchild: ' + ExceptionToString(ExceptionType, '')); end;
  try W.Font.Free; except Log('sub-object: ' + ExceptionParam); end;
  c := TTestWidget.Create(nil);
  c.OnClick := @FreeMe;
  c.Click;
  try c.Click; except Log('after: ' + ExceptionToString(ExceptionType, '')); end;
  // Native code that goes on using the object after the event: the object outlives it.
  c := TTestWidget.Create(W);
  c.OnClick := @FreeMe;
  c.ClickAndCount;
  c := TTestWidget.Create(W);
  c.OnClick := @FreeMe;
  c.Poke := 2;
  Log(IntToStr(W.ComponentCount));
end.)")) << t.s.error;
    EXPECT_EQ(t.s.log,
              "script: Null Pointer Exception\ntwice: Null Pointer Exception\nowner: Null Pointer Exception\n"
              "grandchild: Null Pointer Exception\nsub-object: Invalid pointer operation\n"
              "own event: Null Pointer Exception\nafter: Null Pointer Exception\nown event: Null Pointer "
              "Exception\nown event: Null Pointer Exception\n0\n");
    EXPECT_EQ(t.w.font()->name(), "Sans");  // still there

    // The host's own objects are not the script's to free.
    script::markHostOwned(&t.w2);
    t.s.log.clear();
    ASSERT_TRUE(t.s.run("begin try W2.Free; except Log(ExceptionParam); end; Log(W2.Name); end."))
        << t.s.error;
    EXPECT_EQ(t.s.log, "Invalid pointer operation\nSecond\n");

    // An object the host deletes under a script's variable.
    auto* gone = new TTestWidget(nullptr);
    ScriptSession s;
    s.tables.push_back(&widgetImports());
    s.global("Gone", "TTestWidget", gone);
    ASSERT_TRUE(s.compile("procedure Touch; begin Log(Gone.Caption); end; begin Touch; end."));
    ASSERT_TRUE(s.load());
    ASSERT_TRUE(s.exec->run());
    delete gone;
    EXPECT_THROW(s.exec->call("Touch"), script::ScriptException);
    EXPECT_EQ(s.exec->lastError().kind, script::TIFException::erNullPointerException);
}

TEST(ClassBinding, EventsRaisedByNativeCodeRunScriptProceduresWithTheirArguments) {
    Widgets t;
    ASSERT_TRUE(t.s.run(R"(
var clicks: Integer;
procedure Clicked(Sender: TObject);
begin
  clicks := clicks + 1;
  Log('click ' + TTestWidget(Sender).Name + ' ' + IntToStr(clicks));
end;
procedure KeyDown(Sender: TObject; var Key: Word; Shift: TTestStyles);
begin
  if tsBold in Shift then Key := 0 else Key := Key + 1;
end;
procedure TextChanged(Sender: TObject; var Text: string; Scale: Double; var Accept: Boolean);
begin
  Text := Text + '!' + FloatToStr(Scale);
  Accept := Scale > 2;
end;
begin
  W.Name := 'First';
  W.OnClick := @Clicked;
  W.OnKey := @KeyDown;
  W.OnText := @TextChanged;
  W2.OnClick := W.OnClick;
  if W.OnClick = @Clicked then Log('reads back');
  if W2.OnKey = nil then Log('unassigned');
end.)")) << t.s.error;
    EXPECT_EQ(t.s.log, "reads back\nunassigned\n");
    t.s.log.clear();
    t.w.click();
    t.w2.click();
    EXPECT_EQ(t.s.log, "click First 1\nclick Second 2\n");
    EXPECT_EQ(t.w.key(13, 0b001), 0);
    EXPECT_EQ(t.w.key(13, 0b010), 14);
    bool accept = false;
    EXPECT_EQ(t.w.text("abc", 2.5, accept), "abc!2.5");
    EXPECT_TRUE(accept);
    EXPECT_EQ(t.w.text("", 1, accept), "!1");
    EXPECT_FALSE(accept);
    EXPECT_EQ(t.w.onClick, t.s.exec->method("clicked"));
    EXPECT_FALSE(t.s.exec->method("NoSuchProc"));

    // A nil event does nothing; a handler outliving its executor is never called.
    t.w.onKey = {};
    EXPECT_EQ(t.w.key(5, 0), 5);
    t.s.exec.reset();
    t.s.log.clear();
    t.w.click();
    EXPECT_EQ(t.s.log, "");
}

TEST(ClassBinding, EventsNestAndEachCallKeepsItsOwnErrorState) {
    Widgets t;
    script::Imports loop;
    // A native routine that raises another event while a script event runs (a modal loop).
    loop.routine("procedure PumpMessages;", [&t] { t.w2.click(); });
    t.s.tables.push_back(&loop);
    ASSERT_TRUE(t.s.run(R"(
var depth: Integer;
procedure Inner(Sender: TObject);
begin
  try RaiseException(erCustomError, 'inner'); except Log('inner caught ' + ExceptionParam); end;
end;
procedure Outer(Sender: TObject);
begin
  depth := depth + 1;
  try
    RaiseException(erCustomError, 'outer' + IntToStr(depth));
  except
    W2.Click;
    PumpMessages;
    Log('outer still ' + ExceptionParam);
  end;
  if depth < 2 then W.Click;
end;
procedure Failing(Sender: TObject);
begin
  RaiseException(erCustomError, 'unhandled in event');
end;
begin
  W.OnClick := @Outer;
  W2.OnClick := @Inner;
  W.Click;
  W2.OnClick := @Failing;
  try W2.Click; except Log('main caught ' + ExceptionParam); end;
  W2.OnClick := @Inner;
end.)")) << t.s.error;
    EXPECT_EQ(
        t.s.log,
        "inner caught inner\ninner caught inner\nouter still outer1\ninner caught inner\ninner caught inner\n"
        "outer still outer2\nmain caught unhandled in event\n");
    EXPECT_EQ(t.s.exec->lastError().kind, script::TIFException::erNoError);

    // An uncaught error reaches the native side as an exception; the next event still runs.
    t.w2.onClick = t.s.exec->method("Failing");
    try {
        t.w2.click();
        FAIL() << "no exception";
    } catch (const script::ScriptException& e) {
        EXPECT_STREQ(e.what(), "unhandled in event");
    }
    EXPECT_EQ(t.s.exec->lastError().text, "unhandled in event");
    t.s.log.clear();
    t.w2.onClick = t.s.exec->method("Inner");
    t.w2.click();
    EXPECT_EQ(t.s.log, "inner caught inner\n");
    EXPECT_EQ(t.s.exec->lastError().kind, script::TIFException::erNoError);
}

TEST(ClassBinding, HostAddedMembersAndGlobalsOfTheWrongClass) {
    Widgets t;
    script::Imports extra;
    extra.method("TTestWidget", "function Twice(N: Integer): Integer;",
                 [](TTestWidget& w, int n) { return n * 2 + w.count(); });
    extra.property(
        "TTestWidget", "property Tagged[Index: Integer]: Boolean;",
        [](const TTestWidget& w, int i) { return w.tag() == i; },
        [](TTestWidget& w, int i, bool on) { w.setTag(on ? i : 0); });
    t.s.tables.push_back(&extra);
    t.w.setCount(1);
    ASSERT_TRUE(t.s.run("begin W.Tagged[7] := True; if W.Tagged[7] then Log(IntToStr(W.Twice(20))); end."))
        << t.s.error;
    EXPECT_EQ(t.s.log, "41\n");
    EXPECT_EQ(t.w.tag(), 7);
    classes::TStringList list;
    EXPECT_FALSE(t.s.exec->setGlobalObject("W", &list));  // not a TTestWidget
    EXPECT_FALSE(t.s.exec->setGlobalObject("Nothing", &t.w));
}

}  // namespace
