// The web browser with the engine (a local page loaded headless) and without it (the
// placeholder's message, members doing nothing); the Flash stand-in's members.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "components/ActiveXPlaceholders.h"
#include "vcl/Forms.h"
#include "vcl/StdCtrls.h"

// The web engine's own library frees some of its objects through a base of another size,
// which the address sanitizer reports as a mismatch inside that library. Only that check is
// off, and only in this test program.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

namespace {

namespace fs = std::filesystem;
using components::TWebBrowser;

class WebBrowserTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<vcl::TForm>(nullptr);
        form->setBounds(0, 0, 400, 300);
        dir = fs::temp_directory_path() / ("vantrel-web-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override {
        form.reset();
        TWebBrowser::setEngineEnabled(true);
        fs::remove_all(dir);
    }
    TWebBrowser* add() {
        auto* b = new TWebBrowser(form.get());
        b->setParent(form.get());
        b->setBounds(8, 8, 300, 233);
        return b;
    }
    // A handler that records its calls as "event:text".
    classes::TMethod recorder(const std::string& name, size_t textArg) {
        return classes::TMethod(this, nullptr,
                                [this, name, textArg](std::span<const classes::EventArg> args) {
                                    std::string text;
                                    if (textArg < args.size()) {
                                        if (auto* s = std::get_if<std::string*>(&args[textArg])) text = **s;
                                        if (auto* s = std::get_if<std::string>(&args[textArg])) text = *s;
                                    }
                                    events.push_back(name + ":" + text);
                                });
    }
    bool saw(const std::string& prefix) const {
        for (const std::string& e : events)
            if (e.rfind(prefix, 0) == 0) return true;
        return false;
    }

    std::unique_ptr<vcl::TForm> form;
    fs::path dir;
    std::vector<std::string> events;
};

TEST_F(WebBrowserTest, ALocalPageLoadsWithItsTitleAndNavigationEvents) {
    if (!TWebBrowser::engineEnabled()) GTEST_SKIP() << "built without the web engine";
    const fs::path page = dir / "page.html";
    std::ofstream(page) << "<html><head><title>Welcome page</title></head><body><p>Hello</p></body></html>";
    TWebBrowser* browser = add();
    browser->setEvent("OnBeforeNavigate2", recorder("before", 2));
    browser->setEvent("OnNavigateComplete2", recorder("navigated", 2));
    browser->setEvent("OnDocumentComplete", recorder("complete", 2));
    browser->setEvent("OnTitleChange", recorder("title", 1));
    // Navigating before the window exists loads the page once it does.
    browser->navigate(page.string());
    form->show();
    ASSERT_TRUE(browser->engineActive());
    const bool done = QTest::qWaitFor([&] { return saw("complete:") || browser->engineFailed(); }, 60000);
    if (browser->engineFailed()) {
        // Only an engine that cannot run here (its render process ends) skips the test.
        EXPECT_TRUE(browser->label()->visible());
        GTEST_SKIP() << "the web engine's render process does not run in this environment";
    }
    ASSERT_TRUE(done) << "no document-complete event within a minute";
    EXPECT_EQ(browser->locationName(), "Welcome page");
    const std::string url = "file://" + page.string();
    EXPECT_EQ(browser->locationURL(), url);
    EXPECT_TRUE(saw("before:" + url));
    EXPECT_TRUE(saw("navigated:" + url));
    EXPECT_TRUE(saw("title:Welcome page"));
    EXPECT_FALSE(browser->busy());
    EXPECT_FALSE(browser->label()->visible());

    // A handler that cancels keeps the page where it is.
    browser->setEvent("OnBeforeNavigate2",
                      classes::TMethod(this, nullptr, [](std::span<const classes::EventArg> args) {
                          *std::get<bool*>(args[7]) = true;
                      }));
    const fs::path other = dir / "other.html";
    std::ofstream(other) << "<html><head><title>Other</title></head></html>";
    browser->navigate(other.string());
    QTest::qWait(500);
    EXPECT_EQ(browser->locationName(), "Welcome page");
}

TEST_F(WebBrowserTest, WithoutTheEngineThePlaceholderShowsAndMembersDoNothing) {
    TWebBrowser::setEngineEnabled(false);
    TWebBrowser* browser = add();
    browser->setEvent("OnBeforeNavigate2", recorder("before", 2));
    form->show();
    EXPECT_FALSE(browser->engineActive());
    EXPECT_TRUE(browser->label()->visible());
    EXPECT_EQ(browser->message(), TWebBrowser::kMessage);
    browser->navigate("http://example.org/");
    browser->goBack();
    browser->refresh();
    browser->putProperty("Key", classes::Variant::string("Value"));
    EXPECT_EQ(browser->getProperty("Key").asString(), "");
    EXPECT_EQ(browser->locationURL(), "");
    EXPECT_EQ(browser->locationName(), "");
    EXPECT_FALSE(browser->busy());
    EXPECT_TRUE(events.empty());
    // The message is drawn: the middle of the white control has dark text pixels.
    const pictures::Image shot = form->handle().grab();
    int dark = 0;
    for (int y = 8; y < 8 + 233; ++y)
        for (int x = 8; x < 308; ++x)
            if ((shot.pixels[static_cast<size_t>(y * shot.width + x)] & 0xFF) < 0x60) ++dark;
    EXPECT_GT(dark, 50);
}

}  // namespace
