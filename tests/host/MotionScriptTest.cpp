// Scripts driving the animated components through their registered declarations: the
// enumerations, the members beyond the published properties, an event handler and the
// fader's two picture routines.
#include <gtest/gtest.h>

#include <memory>

#include "HostTestSupport.h"
#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "script/Api.h"
#include "vcl/Clock.h"
#include "vcl/Forms.h"
#include "vcl/Marquee.h"
#include "vcl/ScrollingCredits.h"
#include "vcl/StdCtrls.h"
#include "vcl/TextAnimator.h"
#include "vcl/TextFader.h"

namespace {

using host_test::compileError;
using host_test::importer;

TEST(MotionScripts, DriveEveryAnimatedComponent) {
    vcl::ManualClock clock;
    vcl::ScopedTimerService use(clock);
    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    form->setName("Form1");
    form->setBounds(0, 0, 400, 300);
    auto add = [&](vcl::TControl* c, const char* name) {
        c->setName(name);
        c->setParent(form.get());
        return c;
    };
    auto* label = static_cast<vcl::TLabel*>(add(new vcl::TLabel(form.get()), "Label1"));
    auto* marquee = static_cast<vcl::TMarquee*>(add(new vcl::TMarquee(form.get()), "Marquee1"));
    auto* fader = static_cast<vcl::TTextFader*>(add(new vcl::TTextFader(form.get()), "TextFader1"));
    auto* anim = static_cast<vcl::TTextAnimator*>(add(new vcl::TTextAnimator(form.get()), "TextAnimator1"));
    auto* credits =
        static_cast<vcl::TScrollingCredits*>(add(new vcl::TScrollingCredits(form.get()), "Credits1"));
    credits->setTop(100);

    const std::string source =
        "var Log: string; B1, B2: TBitmap;\n"
        "procedure Shown(Sender: TObject; CreditText: String);\n"
        "begin Log := Log + CreditText + ';'; end;\n"
        "begin\n"
        "  Marquee1.ScrollStyle := ssBounce;\n"
        "  Marquee1.ScrollAmount := 5;\n"
        "  Marquee1.ScrollText := 'News';\n"
        "  Marquee1.Active := True;\n"
        "  TextFader1.FadeStep := 0;\n"
        "  TextFader1.BackgroundMode := bmStretched;\n"
        "  TextFader1.Lines.Text := 'one';\n"
        "  TextFader1.LineIndex := 7;\n"
        "  TextFader1.Reset;\n"
        "  TextAnimator1.Caption := 'abc';\n"
        "  TextAnimator1.Style := taAll;\n"
        "  TextAnimator1.Step := 50;\n"
        "  TextAnimator1.NextFrame;\n"
        "  Credits1.Credits.Clear;\n"
        "  Credits1.Credits.Add('&bHello &&');\n"
        "  Credits1.OnShowCredit := @Shown;\n"
        "  Form1.Show;\n"
        "  Credits1.Animate := True;\n"
        "  Credits1.TimerFired(nil);\n"
        "  B1 := TBitmap.Create; B1.SetSize(2, 2);\n"
        "  B1.Canvas.Brush.Color := clWhite; B1.Canvas.FillRect(Rect(0, 0, 2, 2));\n"
        "  B2 := TBitmap.Create; B2.SetSize(2, 2);\n"
        "  B2.Canvas.Brush.Color := clBlack; B2.Canvas.FillRect(Rect(0, 0, 2, 2));\n"
        "  DrawTransparent(B1, B2, 50);\n"
        "  DrawTiled(B2.Canvas, Rect(0, 0, 2, 2), nil);\n"
        "  Label1.Caption := Log + '|' + IntToStr(B1.Canvas.Pixels[1, 1]) + '|' +\n"
        "    IntToStr(TextFader1.FadeStep) + '|' + IntToStr(TextFader1.LineIndex) + '|' +\n"
        "    IntToStr(TextFader1.ReapeatedCount) + '|' + IntToStr(TextAnimator1.Step) + '|' +\n"
        "    Marquee1.CurrentOutput;\n"
        "  B1.Free; B2.Free;\n"
        "end.";
    host::ScriptHost scriptHost(form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    // 127 = (255 * 50 + 0 * 50) div 100 in each channel.
    EXPECT_EQ(label->caption(), "Hello &;|" + std::to_string(vcl::rgb(127, 127, 127)) + "|1|-1|0|20|");
    EXPECT_EQ(marquee->scrollStyle(), vcl::ssBounce);
    EXPECT_TRUE(marquee->running());
    EXPECT_EQ(fader->backgroundMode(), vcl::bmStretched);
    EXPECT_EQ(anim->offsets(), (std::vector<int32_t>{20, 20, 20}));
    EXPECT_EQ(credits->lastShown(), 0);
    form->hide();
}

// The marquee's scroll styles share their type's name with the memo's scroll bars; the
// memo keeps its own members.
TEST(MotionScripts, TheMemoKeepsItsScrollBars) {
    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    form->setName("Form1");
    const std::string source =
        "var M: TMemo; begin M := TMemo.Create(nil); M.ScrollBars := ssBoth; M.Free; end.";
    EXPECT_EQ(compileError(form.get(), source), "");
}

}  // namespace
