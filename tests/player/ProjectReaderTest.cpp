// The classes the project reader puts in place of the ones a form stream names.
#include <gtest/gtest.h>

#include "classes/Streams.h"
#include "classes/TextForm.h"
#include "components/ActiveXPlaceholders.h"
#include "components/Registration.h"
#include "components/TimerEx.h"
#include "platform/Dialogs.h"
#include "player/FlashOffer.h"
#include "player/loader/ProjectReader.h"
#include "runtime/ProcessState.h"
#include "vcl/Forms.h"
#include "vcl/Registration.h"

namespace {

// Records the boxes shown and answers each with its first button.
class Recorder final : public platform::DialogBackend {
public:
    explicit Recorder(std::vector<std::string>* shown) : m_shown(shown) {}
    platform::DialogAnswer ask(const platform::DialogRequest& r) override {
        m_shown->push_back(r.caption + ": " + r.text);
        return {true, r.buttons.empty() ? platform::IDOK : r.buttons.front(), {}};
    }

private:
    std::vector<std::string>* m_shown;
};

class ProjectReader : public testing::Test {
protected:
    void SetUp() override {
        player::resetFlashOffer();
        platform::installDialogs(
            std::make_unique<platform::DialogService>(std::make_unique<Recorder>(&shown), nullptr));
    }
    void TearDown() override {
        platform::installDialogs(nullptr);
        runtime::state().setArguments({});
        player::resetFlashOffer();
    }
    std::vector<std::string> shown;

    static void SetUpTestSuite() {
        vcl::registerVclClasses();
        components::registerComponentClasses();
    }

    // Reads the text form `text` the way the loader reads a project's main form.
    static std::unique_ptr<vcl::TAutorunForm> read(const std::string& text) {
        classes::TMemoryStream stream;
        stream.setBytes(classes::textToBinary(text));
        auto form = std::make_unique<vcl::TAutorunForm>(nullptr);
        player::TZEPReader reader(stream);
        reader.readRootComponent(form.get());
        return form;
    }
};

TEST_F(ProjectReader, TimersBecomeTheExtendedTimerAndKeepTheirSize) {
    auto form = read(
        "object MainForm: TAutorunForm\n"
        "  object Timer1: TTimer\n"
        "    Interval = 250\n"
        "    Enabled = False\n"
        "    Width = 28\n"
        "    Height = 30\n"
        "  end\n"
        "  object Timer2: ttimer\n"
        "  end\n"
        "end\n");
    auto* first = dynamic_cast<components::TTimerEx*>(form->findComponent("Timer1"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->className(), "TTimerEx");
    EXPECT_EQ(first->interval(), 250);
    EXPECT_FALSE(first->enabled());
    EXPECT_EQ(first->width(), 28);
    EXPECT_EQ(first->height(), 30);

    auto* second = dynamic_cast<components::TTimerEx*>(form->findComponent("Timer2"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->interval(), 1000);
    EXPECT_TRUE(second->enabled());
}

TEST_F(ProjectReader, ActiveXControlsBecomePlaceholdersThatReadTheirState) {
    auto form = read(
        "object MainForm: TAutorunForm\n"
        "  object Browser: TWebBrowser\n"
        "    Left = 10\n"
        "    Top = 20\n"
        "    Width = 300\n"
        "    Height = 150\n"
        "    TabOrder = 0\n"
        "    ControlData = {4C0000000A1F0000}\n"
        "  end\n"
        "  object Movie: TShockwaveFlash\n"
        "    Left = 5\n"
        "    Top = 6\n"
        "    Width = 64\n"
        "    Height = 48\n"
        "    TabOrder = 1\n"
        "    ControlData = {6755665500}\n"
        "  end\n"
        "end\n");
    auto* browser = dynamic_cast<components::TWebBrowser*>(form->findComponent("Browser"));
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->boundsRect(), (vcl::TRect{10, 20, 310, 170}));
    EXPECT_EQ(browser->message(), components::TWebBrowser::kMessage);
    EXPECT_EQ(browser->parent(), form.get());

    auto* movie = dynamic_cast<components::TShockwaveFlash*>(form->findComponent("Movie"));
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(movie->boundsRect(), (vcl::TRect{5, 6, 69, 54}));
    EXPECT_EQ(movie->message(), components::TShockwaveFlash::kMessage);
}

constexpr const char* kTwoMovies =
    "object MainForm: TAutorunForm\n"
    "  object Movie1: TShockwaveFlash\n"
    "  end\n"
    "  object Movie2: TShockwaveFlash\n"
    "  end\n"
    "end\n";

TEST_F(ProjectReader, FlashControlsBringOneOfferThatExplainsFlashCannotBeInstalled) {
    read("object MainForm: TAutorunForm\n  object Timer1: TTimer\n  end\nend\n");
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(player::flashOfferMade());

    auto form = read(kTwoMovies);
    EXPECT_NE(form->findComponent("Movie2"), nullptr);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0],
              "Warning: Macromedia Flash Player is not installed on your computer.\r\n"
              "No Flash Player exists for this system, so it cannot be installed here.\r\n\r\n"
              "Flash Player is not installed.\r\nSome of the objects may not be functional.");
    read(kTwoMovies);
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(ProjectReader, SilentRunsMakeTheFlashOfferWithoutAWord) {
    runtime::state().setArguments({"project.zep", "/silent"});
    auto form = read(kTwoMovies);
    EXPECT_NE(form->findComponent("Movie1"), nullptr);
    EXPECT_TRUE(shown.empty());
    EXPECT_TRUE(player::flashOfferMade());
}

}  // namespace
