// Scripts driving the image button, the interactive label and the shaped form through
// their registered declarations: picture copies, the label's own properties, mask files
// and the region holders.
#include <gtest/gtest.h>

#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "components/CoolForm.h"
#include "components/ImgBtn.h"
#include "components/InteractiveLabel.h"
#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "script/Api.h"
#include "tests/host/HostTestSupport.h"
#include "vcl/Forms.h"
#include "vcl/Picture.h"
#include "vcl/StdCtrls.h"

namespace {

using host_test::compileError;
using host_test::importer;

TEST(ComponentScripts, DriveButtonLabelAndShapedForm) {
    const auto dir = std::filesystem::temp_directory_path() / "vantrel-component-script";
    std::filesystem::create_directories(dir);
    const std::string good = (dir / "square.msk").string(), bad = (dir / "bad.msk").string();
    {
        const std::string data = components::regiondata::build({{0, 0, 30, 30}});
        const auto n = static_cast<char>(data.size());
        std::ofstream(good, std::ios::binary) << std::string{n, 0, 0, 0} << data;
        std::ofstream(bad, std::ios::binary) << std::string("\x20\0\0\0short", 9);
    }
    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    form->setName("Form1");
    auto add = [&](vcl::TControl* c, const char* name) {
        c->setName(name);
        c->setParent(form.get());
        return c;
    };
    auto* result = static_cast<vcl::TLabel*>(add(new vcl::TLabel(form.get()), "Result"));
    auto* btn = static_cast<components::TImgBtn*>(add(new components::TImgBtn(form.get()), "ImgBtn1"));
    auto* link = static_cast<components::TInteractiveLabel*>(
        add(new components::TInteractiveLabel(form.get()), "Link1"));
    auto* cool = static_cast<components::TCoolForm*>(add(new components::TCoolForm(form.get()), "CoolForm1"));

    const std::string source =
        "var B: TBitmap; P: TPicture; R: TRegionType; Ok, Bad: Boolean;\n"
        "begin\n"
        "  B := TBitmap.Create; B.SetSize(3, 2);\n"
        "  P := TPicture.Create; P.Assign(B);\n"
        "  ImgBtn1.PicDown := P;\n"
        "  ImgBtn1.Pic := P;\n"
        "  P.Free; B.Free;\n"
        "  ImgBtn1.Supported := False;\n"
        "  Link1.ColorNormal := clRed;\n"
        "  Link1.ColorOnMouseOver := clBlue;\n"
        "  Link1.RunFileOnClick := '%Embedded%\\readme.txt';\n"
        "  Link1.PlayMusicOnClick := 'click.wav';\n"
        "  Ok := CoolForm1.LoadMaskFromFile('" +
        good +
        "');\n"
        "  Bad := CoolForm1.LoadMaskFromFile('" +
        bad +
        "');\n"
        "  R := CoolForm1.Mask;\n"
        "  CoolForm1.Mask2 := R;\n"
        "  CoolForm1.Draggable := False;\n"
        "  CoolForm1.RefreshRegion;\n"
        "  Result.Caption := IntToStr(ImgBtn1.Picture.Width) + '|' + IntToStr(ImgBtn1.PicDown.Height) + '|' "
        "+\n"
        "    IntToStr(Ord(Ok)) + IntToStr(Ord(Bad)) + '|' + IntToStr(Ord(R.owner = CoolForm1)) + '|' +\n"
        "    IntToStr(Ord(CoolForm1.Mask2.owner = nil));\n"
        "end.";
    host::ScriptHost scriptHost(form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(form.get(), source);
    EXPECT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    EXPECT_EQ(result->caption(), "3|2|10|1|1");
    EXPECT_FALSE(btn->supported());
    EXPECT_EQ(btn->pic()->width(), 3) << "the script's picture was copied before it was freed";
    EXPECT_EQ(link->colorNormal(), vcl::clRed);
    EXPECT_EQ(link->font()->color(), vcl::clRed);
    EXPECT_EQ(link->runFileOnClick(), "%Embedded%\\readme.txt");
    EXPECT_EQ(form->windowRegion(), (std::vector<vcl::TRect>{{0, 0, 30, 30}}));
    EXPECT_TRUE(cool->mask2()->region()) << "Mask2 holds a copy of the region";
    EXPECT_FALSE(cool->draggable());
    std::filesystem::remove_all(dir);
}

TEST(ComponentScripts, ImageButtonHandlersReadTheMouseRecord) {
    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    form->setName("Form1");
    form->setBorderStyle(vcl::bsNone);
    form->setBounds(0, 0, 200, 100);
    auto* result = new vcl::TLabel(form.get());
    result->setName("Result");
    result->setParent(form.get());
    result->setBounds(0, 80, 100, 15);
    auto* btn = new components::TImgBtn(form.get());
    btn->setName("ImgBtn1");
    btn->setParent(form.get());
    btn->setBounds(40, 30, 20, 10);
    const std::string source =
        "procedure Show(Name: string; Msg: TWMMouse);\n"
        "begin\n"
        "  Result.Caption := Result.Caption + Name + ':' + IntToStr(Msg.Msg) + ',' + IntToStr(Msg.Keys) + "
        "',' +\n"
        "    IntToStr(Msg.XPos) + ',' + IntToStr(Msg.YPos) + ' ';\n"
        "end;\n"
        "procedure BtnEnter(Msg: TWMMouse); begin Show('enter', Msg); end;\n"
        "procedure BtnLeave(Msg: TWMMouse); begin Show('leave', Msg); end;\n"
        "procedure BtnDown(Msg: TWMMouse); begin Show('down', Msg); Msg.XPos := 99; end;\n"
        "procedure BtnUp(Msg: TWMMouse); begin Show('up', Msg); end;\n"
        "begin\n"
        "  ImgBtn1.OnMouseEnter := @BtnEnter;\n"
        "  ImgBtn1.OnMouseLeave := @BtnLeave;\n"
        "  ImgBtn1.OnMouseDown := @BtnDown;\n"
        "  ImgBtn1.OnMouseUp := @BtnUp;\n"
        "  Form1.ShowModal;\n"
        "end.";
    host::ScriptHost scriptHost(form.get(), importer());
    host::Compiled compiled = scriptHost.compile(source);
    ASSERT_TRUE(compiled.ok) << compileError(form.get(), source);
    // The mouse moves while the form is modal, so the script's handlers are still there.
    QTimer::singleShot(0, [&form] {
        form->handleMouseMove(0, 45, 35);
        form->handleMouseDown(vcl::mbLeft, 1u << vcl::ssLeft | 1u << vcl::ssShift, 46, 36, false);
        form->handleMouseMove(1u << vcl::ssLeft, 150, 60);
        form->handleMouseUp(vcl::mbLeft, 0, 150, 60);
        form->close();
    });
    ASSERT_EQ(scriptHost.run(compiled), host::RunOutcome::Finished);
    // Enter and leave carry their notification numbers only; the press and the release
    // their key flags and client position (a release outside: beyond the button).
    EXPECT_EQ(result->caption(), "enter:45075,0,0,0 down:513,5,6,6 leave:45076,0,0,0 up:514,0,110,30 ");
}

// A stand-in opener first on PATH: it writes its arguments to `log`, one per line.
class OpenerStandIn {
public:
    OpenerStandIn() : m_dir(std::filesystem::temp_directory_path() / "vantrel-opener-stand-in") {
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir / "bin");
        const auto opener = m_dir / "bin" / "xdg-open";
        std::ofstream(opener) << "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" << log().string()
                              << ".part\"\nmv \"" << log().string() << ".part\" \"" << log().string()
                              << "\"\n";
        std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
        const char* path = std::getenv("PATH");
        m_oldPath = path ? path : "";
        setenv("PATH", ((m_dir / "bin").string() + ":" + m_oldPath).c_str(), 1);
    }
    ~OpenerStandIn() {
        setenv("PATH", m_oldPath.c_str(), 1);
        std::filesystem::remove_all(m_dir);
    }
    std::filesystem::path dir() const { return m_dir; }
    std::filesystem::path log() const { return m_dir / "opened.txt"; }
    // The arguments of the last start, waiting up to five seconds for it; "" when none came.
    std::string arguments() const {
        for (int i = 0; i < 500 && !std::filesystem::exists(log()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::ifstream in(log());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    std::filesystem::path m_dir;
    std::string m_oldPath;
};

TEST(ComponentScripts, TheLabelOpensItsTargetWithTheDesktopsOpener) {
    importer();  // installs the label's services
    OpenerStandIn opener;
    const auto target = opener.dir() / "read me.txt";
    std::ofstream(target) << "text";

    auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
    form->setBorderStyle(vcl::bsNone);
    form->setBounds(0, 0, 200, 100);
    auto* link = new components::TInteractiveLabel(form.get());
    link->setParent(form.get());
    link->setAutoSize(false);
    link->setBounds(10, 10, 60, 20);
    link->setRunFileOnClick(target.string());
    // Pressed on the label and released outside it: the target opens all the same.
    form->handleMouseMove(0, 20, 15);
    form->handleMouseDown(vcl::mbLeft, 1u << vcl::ssLeft, 20, 15, false);
    form->handleMouseMove(1u << vcl::ssLeft, 150, 80);
    form->handleMouseUp(vcl::mbLeft, 0, 150, 80);
    EXPECT_EQ(opener.arguments(), target.string() + "\n") << "one argument, the file itself";

    std::filesystem::remove(opener.log());
    ASSERT_TRUE(components::labelServices().open);
    components::labelServices().open(opener.dir().string() + "\\READ ME.TXT");
    EXPECT_EQ(opener.arguments(), target.string() + "\n") << "a script path resolves before it is handed on";
}

}  // namespace
