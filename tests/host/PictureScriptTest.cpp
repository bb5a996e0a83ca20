// Scripts driving the gradient and the picture show through their registered declarations:
// the style enumeration, the gradient's update lock, the show's effect by name, a manual
// transition with its events, and the two library routines.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "HostTestSupport.h"
#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "library/Splash.h"
#include "script/Api.h"
#include "vcl/Forms.h"
#include "vcl/Gradient.h"
#include "vcl/Graphic.h"
#include "vcl/PicShow.h"
#include "vcl/Picture.h"
#include "vcl/StdCtrls.h"

namespace {

using host_test::compileError;
using host_test::importer;

struct Stage {
    std::unique_ptr<vcl::TAutorunForm> form = std::make_unique<vcl::TAutorunForm>(nullptr);
    vcl::TLabel* label;
    vcl::TGradient* gradient;
    vcl::TPicShow* show;
    Stage() {
        form->setName("Form1");
        form->setBounds(0, 0, 300, 200);
        label = add(new vcl::TLabel(form.get()), "Label1");
        gradient = add(new vcl::TGradient(form.get()), "Gradient1");
        show = add(new vcl::TPicShow(form.get()), "PicShow1");
    }
    template <class T>
    T* add(T* c, const char* name) {
        c->setName(name);
        c->setParent(form.get());
        return c;
    }
};

TEST(PictureScripts, DriveTheGradientAndAManualShow) {
    Stage s;
    const std::string source =
        "var Log: string; B: TBitmap;\n"
        "procedure Progressed(Sender: TObject);\n"
        "begin Log := Log + IntToStr(PicShow1.Progress) + ';'; end;\n"
        "procedure Stopped(Sender: TObject);\n"
        "begin Log := Log + 'stop'; end;\n"
        "procedure Completed(Sender: TObject);\n"
        "begin Log := Log + 'complete'; end;\n"
        "begin\n"
        "  Gradient1.BeginUpdate;\n"
        "  Gradient1.Style := gsDiamond;\n"
        "  Gradient1.ColorBegin := clBlack;\n"
        "  Gradient1.ColorEnd := clWhite;\n"
        "  Gradient1.EndUpdate;\n"
        "  B := TBitmap.Create; B.SetSize(8, 6);\n"
        "  B.Canvas.Brush.Color := clRed; B.Canvas.FillRect(Rect(0, 0, 8, 6));\n"
        "  PicShow1.Picture.Assign(B);\n"
        "  B.Free;\n"
        "  PicShow1.StyleName := 'push RIGHT';\n"
        "  PicShow1.Step := 0;\n"
        "  PicShow1.OnProgress := @Progressed;\n"
        "  PicShow1.OnStop := @Stopped;\n"
        "  PicShow1.OnComplete := @Completed;\n"
        "  PicShow1.Manual := True;\n"
        "  PicShow1.Execute;\n"
        "  PicShow1.Progress := 50;\n"
        "  PicShow1.Progress := 500;\n"
        "  PicShow1.Stop;\n"
        "  Label1.Caption := Log + '|' + IntToStr(PicShow1.Style) + '|' + IntToStr(PicShow1.Step) + '|' +\n"
        "    IntToStr(PS_THREADTERMINATED) + '|' + IntToStr(Ord(PicShow1.Busy)) + '|' +\n"
        "    IntToStr(Ord(Gradient1.Style));\n"
        "end.";
    host::ScriptHost scriptHost(s.form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(s.form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(s.label->caption(), "50;100;stop|128|1|1025|0|22");
    EXPECT_EQ(s.gradient->pattern().width(), 256) << "built once the lock was released";
    EXPECT_EQ(s.show->screenImage().pixel(7, 5), vcl::colorToArgb(vcl::clRed));
}

// Writes from a script go through the same clamping as any other.
TEST(PictureScripts, GradientWritesFromAScriptAreClamped) {
    Stage s;
    const std::string source =
        "begin Gradient1.Shift := 120; Gradient1.Rotation := 150; Gradient1.Style := gsArrowU; end.";
    host::ScriptHost scriptHost(s.form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(s.form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(s.gradient->shift(), 100);
    EXPECT_EQ(s.gradient->rotation(), -100);
    EXPECT_EQ(s.gradient->pattern().height(), 129);
}

// A script's OnCustom draws the pattern from the table it is given; the table is a copy,
// so what the handler writes into it stays there.
TEST(PictureScripts, AScriptDrawsTheCustomGradient) {
    Stage s;
    const std::string source =
        "var Calls: Integer;\n"
        "procedure Draw(Sender: TObject; const Colors: TGradientColors; Pattern: TBitmap);\n"
        "var T: TGradientColors;\n"
        "begin\n"
        "  Calls := Calls + 1;\n"
        "  T := Colors; T[0].rgbtRed := 7;\n"
        "  Pattern.SetSize(2, 1);\n"
        "  Pattern.Canvas.Pixels[0, 0] := RGB(Colors[0].rgbtRed, Colors[0].rgbtGreen, Colors[0].rgbtBlue);\n"
        "  Pattern.Canvas.Pixels[1, 0] := RGB(Colors[255].rgbtRed, Colors[255].rgbtGreen, T[0].rgbtRed);\n"
        "  Label1.Caption := TGradient(Sender).Name;\n"
        "end;\n"
        "begin\n"
        "  Gradient1.ColorBegin := $332211;\n"
        "  Gradient1.ColorEnd := $665544;\n"
        "  Gradient1.OnCustom := @Draw;\n"
        "  Gradient1.Style := gsCustom;\n"
        "  Gradient1.InvalidatePattern;\n"
        "  Label1.Caption := Label1.Caption + IntToStr(Calls);\n"
        "end.";
    host::ScriptHost scriptHost(s.form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(s.form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(s.label->caption(), "Gradient12") << "called for the style and for InvalidatePattern";
    const pictures::Image& p = const_cast<vcl::TBitmap&>(s.gradient->pattern()).pixels();
    ASSERT_EQ(p.width, 2);
    EXPECT_EQ(p.pixel(0, 0), vcl::colorToArgb(0x332211)) << "entry 0 is the begin colour";
    EXPECT_EQ(p.pixel(1, 0), vcl::colorToArgb(0x075544)) << "entry 255 the end colour; the copy took 7";
    EXPECT_EQ(s.gradient->colors()[0].r, 0x11) << "the gradient's own table is untouched";
}

TEST(PictureScripts, LoadPicShowPicsAnimLoadsBothPicturesOrFails) {
    Stage s;
    const auto dir = std::filesystem::temp_directory_path() / "vantrel_picshow_script";
    std::filesystem::create_directories(dir);
    vcl::TBitmap b;
    b.pixels() = pictures::Image(5, 4, 0xFF00FF00u);
    b.saveToFile((dir / "fg.bmp").string());
    b.pixels() = pictures::Image(3, 3, 0xFF0000FFu);
    b.saveToFile((dir / "bg.bmp").string());
    library::loadPicShowPicsAnim(*s.show, (dir / "bg.bmp").string(), (dir / "fg.bmp").string(), 84);
    EXPECT_EQ(s.show->picture()->width(), 5);
    EXPECT_EQ(s.show->bgPicture()->width(), 3);
    EXPECT_EQ(s.show->style(), 84);
    EXPECT_FALSE(s.show->busy()) << "loading does not start the show";
    EXPECT_ANY_THROW(
        library::loadPicShowPicsAnim(*s.show, (dir / "bg.bmp").string(), (dir / "none.bmp").string(), 3));
    std::filesystem::remove_all(dir);
}

TEST(PictureScripts, SplashStylesFallBackOutsideTheirRange) {
    EXPECT_EQ(library::splashStyles(150, 7), (std::pair{61, 7}));
    EXPECT_EQ(library::splashStyles(-1, 149), (std::pair{61, 149}));
    EXPECT_EQ(library::splashStyles(0, 150), (std::pair{0, 62}));
}

TEST(PictureScripts, SplashWithoutAPictureDoesNothingAndWithOneComesAndGoes) {
    library::splashScreen("/no/such/splash.bmp", nullptr, true, 1, 2, 0);
    vcl::TPicture picture;
    vcl::TBitmap b;
    b.pixels() = pictures::Image(30, 20, 0xFF336699u);
    picture.setGraphic(&b);
    // Runs both transitions on the event loop and frees its form; nothing to observe but
    // that it returns and leaves no window behind.
    library::splashScreen("", &picture, true, 5, 150, 0);
    EXPECT_EQ(picture.width(), 30) << "the caller's picture is copied, not taken";
}

}  // namespace
