// Scripts driving the image button, the interactive label and the shaped form through
// their registered declarations: picture copies, the label's own properties, mask files
// and the region holders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "components/CoolForm.h"
#include "components/ImgBtn.h"
#include "components/InteractiveLabel.h"
#include "host/ClassImporter.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "script/Api.h"
#include "vcl/Forms.h"
#include "vcl/Picture.h"
#include "vcl/StdCtrls.h"

namespace {

const host::ClassImporter& importer() {
    static const host::ClassImporter filled = [] {
        host::ClassImporter i;
        host::fillClassImporter(i);
        return i;
    }();
    return filled;
}

std::string compileError(vcl::TAutorunForm* form, const std::string& source) {
    host::ScriptHost scriptHost(form, importer());
    script::Compiler compiler;
    compiler.setUnitHandler([&](script::Compiler& c, const std::string& unit) {
        if (unit != "SYSTEM") return false;
        scriptHost.declare(c);
        return true;
    });
    if (compiler.compile(source)) return {};
    return compiler.messages().empty() ? "?" : compiler.messages().front().toString();
}

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

}  // namespace
