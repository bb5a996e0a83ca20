// The interactive label driven through its form's mouse routing, with stand-ins for the
// music library and the desktop's opener that record what they were handed.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "components/InteractiveLabel.h"
#include "components/Registration.h"
#include "tests/vcl/MotionTestSupport.h"
#include "tests/vcl/VclTestSupport.h"
#include "vcl/Graphics.h"
#include "vcl/Registration.h"

using namespace vcl;
using components::TInteractiveLabel;
using vcltest::handler;

namespace {

class InteractiveLabelTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        registerVclClasses();
        components::registerComponentClasses();
    }
    void SetUp() override {
        saved = components::labelServices();
        components::LabelServices& s = components::labelServices();
        s.expand = [this](const std::string& t) {
            std::string r = t;
            const std::string key = "%Embedded%";
            if (auto at = r.find(key); at != std::string::npos) r.replace(at, key.size(), embedded);
            return r;
        };
        s.fileExists = [this](const std::string& p) { return existing.count(p) > 0; };
        s.playMusic = [this](const std::string& p) { log.push_back("play " + p); };
        s.open = [this](const std::string& p) { log.push_back("open " + p); };

        form = motiontest::makeForm(200, 100);
        label = new TInteractiveLabel(form.get());
        label->setParent(form.get());
        label->setAutoSize(false);
        label->setBounds(20, 20, 60, 20);
        label->setCaption("Read me");
        label->setColorNormal(clNavy);
        label->setColorOnMouseOver(clRed);
        label->setColorOnMouseClick(clGreen);
        label->onClick = handler([this] { log.push_back("click"); });
        label->onMouseUp = handler([this] { log.push_back("mouseup"); });
    }
    void TearDown() override { components::labelServices() = saved; }
    std::string take() {
        std::string s;
        for (const std::string& e : log) s += (s.empty() ? "" : "|") + e;
        log.clear();
        return s;
    }
    TColor color() const { return label->font()->color(); }

    components::LabelServices saved;
    std::string embedded = "C:\\emb1";
    std::set<std::string> existing;
    std::vector<std::string> log;
    std::unique_ptr<TForm> form;
    TInteractiveLabel* label = nullptr;
};

TEST_F(InteractiveLabelTest, ColoursFollowEnterPressLeaveAndRelease) {
    EXPECT_EQ(color(), clNavy);
    form->handleMouseMove(0, 30, 25);
    EXPECT_EQ(color(), clRed);
    form->handleMouseDown(mbLeft, 0, 30, 25, false);
    EXPECT_EQ(color(), clGreen);
    form->handleMouseMove(0, 150, 80);
    EXPECT_EQ(color(), clNavy);
    form->handleMouseMove(0, 31, 26);
    EXPECT_EQ(color(), clGreen) << "back in while held";
    form->handleMouseUp(mbLeft, 0, 31, 26);
    EXPECT_EQ(color(), clRed);
    EXPECT_EQ(take(), "click|mouseup");

    label->setColorNormal(clMaroon);
    EXPECT_EQ(color(), clRed) << "a new normal colour waits while the mouse is over the label";
    form->handleMouseMove(0, 150, 80);
    EXPECT_EQ(color(), clMaroon);
}

TEST_F(InteractiveLabelTest, SoundsPlayOnEnterAndOnPressWhenTheFileExists) {
    label->setPlayMusicOnMouseEnter("%Embedded%\\hover.wav");
    label->setPlayMusicOnClick("%Embedded%\\press.wav");
    existing = {"C:\\emb1\\hover.wav", "C:\\emb1\\press.wav", "C:\\emb2\\hover.wav"};
    form->handleMouseMove(0, 30, 25);
    EXPECT_EQ(take(), "play C:\\emb1\\hover.wav");
    form->handleMouseDown(mbLeft, 0, 30, 25, false);
    EXPECT_EQ(take(), "play C:\\emb1\\press.wav") << "the press sound starts on the press";
    form->handleMouseUp(mbLeft, 0, 30, 25);
    EXPECT_EQ(take(), "click|mouseup");
    form->handleMouseMove(0, 150, 80);

    embedded = "C:\\emb2";  // expanded again at every use
    form->handleMouseMove(0, 30, 25);
    EXPECT_EQ(take(), "play C:\\emb2\\hover.wav");
    form->handleMouseDown(mbLeft, 0, 30, 25, false);
    EXPECT_EQ(take(), "") << "a missing sound file is skipped";
}

TEST_F(InteractiveLabelTest, ReleaseOpensTheFileAlsoOutsideTheLabel) {
    label->setRunFileOnClick("%Embedded%\\readme.txt");
    form->handleMouseMove(0, 30, 25);
    form->handleMouseDown(mbLeft, 0, 30, 25, false);
    form->handleMouseMove(0, 150, 80);
    form->handleMouseUp(mbLeft, 0, 150, 80);
    EXPECT_EQ(take(), "mouseup|open C:\\emb1\\readme.txt") << "no click outside, the file still opens";
    EXPECT_EQ(color(), clNavy);
    EXPECT_FALSE(label->pressed());

    form->handleMouseMove(0, 30, 25);
    form->handleMouseDown(mbRight, 0, 30, 25, false);
    form->handleMouseUp(mbRight, 0, 30, 25);
    EXPECT_EQ(take(), "mouseup") << "only the left button opens";
}

TEST_F(InteractiveLabelTest, ConstructionAndStream) {
    EXPECT_EQ(label->cursor(), crHandPoint);
    EXPECT_EQ(label->font()->size(), 10);
    label->setName("Link");
    auto* black = new TInteractiveLabel(form.get());
    black->setName("Black");
    black->setParent(form.get());
    const std::string text = motiontest::writeText(*form);
    for (const char* p : {"ColorNormal = clNavy", "ColorOnMouseOver = clRed", "ColorOnMouseClick = clGreen"})
        EXPECT_NE(text.find(p), std::string::npos) << p << "\n" << text;
    const std::string blackPart = text.substr(text.find("object Black"));
    EXPECT_NE(blackPart.find("ColorOnMouseClick = clBlack"), std::string::npos)
        << "the colours have no stored default\n"
        << blackPart;

    TForm plain(nullptr);
    motiontest::readText(plain,
                         "object F: TForm\n  object A: TInteractiveLabel\n    Caption = 'x'\n"
                         "    ColorNormal = clBlack\n    RunFileOnClick = 'a.txt'\n  end\n"
                         "  object B: TInteractiveLabel\n    Transparent = True\n  end\nend\n");
    auto* a = dynamic_cast<TInteractiveLabel*>(plain.findComponent("A"));
    auto* b = dynamic_cast<TInteractiveLabel*>(plain.findComponent("B"));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(a->transparent()) << "a stream that never names Transparent leaves the label transparent";
    EXPECT_TRUE(b->transparent());
    EXPECT_EQ(a->runFileOnClick(), "a.txt");
}

}  // namespace
