// The rich-text viewer as a form holds it: what it shows, what its Lines answer, and which
// clicked links reach the opener.
#include "components/RichEditViewer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QTextCursor>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "classes/TStrings.h"
#include "vcl/Forms.h"
#include "vcl/qt/QtHandle.h"

namespace {

namespace fs = std::filesystem;
using components::richTextLinkTarget;
using components::TRichEditViewer;

class RichEditViewerTest : public testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<vcl::TForm>(nullptr);
        form->setBounds(0, 0, 300, 200);
        viewer = new TRichEditViewer(form.get());
        viewer->setParent(form.get());
        viewer->setBounds(0, 0, 300, 200);
        TRichEditViewer::setLinkOpener([this](const std::string& target) { opened.push_back(target); });
    }
    void TearDown() override { TRichEditViewer::setLinkOpener({}); }

    QWidget* widget() { return static_cast<vcl::qt::QtHandle&>(viewer->handle()).widget(); }

    std::unique_ptr<vcl::TForm> form;
    TRichEditViewer* viewer = nullptr;
    std::vector<std::string> opened;
};

TEST_F(RichEditViewerTest, RichTextShowsFormattedWithItsPlainTextInLines) {
    viewer->setRichText(
        "{\\rtf1\\ansi {\\b Title}\\par See {\\field{\\*\\fldinst HYPERLINK \"http://a.example/\"}"
        "{\\fldrslt here}}.\\par}");
    EXPECT_TRUE(viewer->readOnly());
    auto* browser = dynamic_cast<QTextBrowser*>(widget());
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->toPlainText(), "Title\nSee here.\n");
    QTextCursor c = browser->document()->find("Title");
    EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(viewer->lines()->count(), 2);
    EXPECT_EQ(viewer->lines()->get(1), "See here.");
    // A later load replaces what the window shows.
    EXPECT_EQ(viewer->setRTFText("{\\rtf1 other}"), 0);
    EXPECT_EQ(browser->toPlainText(), "other");
    EXPECT_EQ(viewer->richText().substr(0, 6), "{\\rtf1");
}

TEST_F(RichEditViewerTest, TextWithoutTheHeaderIsShownAsItIs) {
    EXPECT_EQ(viewer->setRTFText("A plain {\\b sentence}."), 0);
    EXPECT_EQ(viewer->text(), "A plain {\\b sentence}.");
    auto* browser = dynamic_cast<QTextBrowser*>(widget());
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->toPlainText(), "A plain {\\b sentence}.");
    EXPECT_TRUE(viewer->richText().empty());
}

TEST_F(RichEditViewerTest, WithoutRichEditTheViewerIsAPlainMemo) {
    widget();
    viewer->setUseRichEdit(false);
    viewer->setRichText("{\\rtf1 {\\b raw}}");
    auto* memo = dynamic_cast<QPlainTextEdit*>(widget());
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(memo->toPlainText(), "{\\rtf1 {\\b raw}}");
    viewer->setUseRichEdit(true);
    auto* browser = dynamic_cast<QTextBrowser*>(widget());
    ASSERT_NE(browser, nullptr);
    // The new window reads RichText again, as rich text now.
    EXPECT_EQ(browser->toPlainText(), "raw");
    EXPECT_EQ(viewer->text(), "raw");
}

TEST_F(RichEditViewerTest, ClickedLinksReachTheOpenerOnlyWhenAllowed) {
    viewer->setRichText(
        "{\\rtf1 web http://a.example/x and {\\field{\\*\\fldinst HYPERLINK \"javascript:x()\"}"
        "{\\fldrslt bad}}}");
    auto* browser = dynamic_cast<QTextBrowser*>(widget());
    ASSERT_NE(browser, nullptr);
    // The automatic link on the address, and the field's link.
    QTextCursor web = browser->document()->find("a.example");
    ASSERT_TRUE(web.charFormat().isAnchor());
    emit browser->anchorClicked(QUrl(web.charFormat().anchorHref()));
    emit browser->anchorClicked(QUrl(browser->document()->find("bad").charFormat().anchorHref()));
    EXPECT_EQ(opened, (std::vector<std::string>{"http://a.example/x"}));
}

TEST(RichTextLinks, OnlyWebMailFtpAndExistingDocumentsPass) {
    for (const char* url :
         {"http://example.org/", "HTTPS://example.org/a b", "ftp://host/file", "mailto:a@b.c"})
        EXPECT_EQ(richTextLinkTarget(url), std::string(url)) << url;
    EXPECT_EQ(richTextLinkTarget("  http://trimmed/\r\n"), "http://trimmed/");
    for (const char* url : {"javascript:alert(1)", "file:", "data:text/html,x", "vbscript:x", "/bin/sh",
                            "C:\\Windows\\notepad.exe", "calc.exe", "sh -c reboot", "ms-settings:", "http://",
                            "mailto:", "smb://host/share", "news:x", "http://a\nb", "", "www.example.com"})
        EXPECT_FALSE(richTextLinkTarget(url).has_value()) << url;

    const fs::path dir = fs::temp_directory_path() / ("vantrel-links-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path doc = dir / "read me.txt";
    const fs::path program = dir / "run.sh";
    std::ofstream(doc) << "text";
    std::ofstream(program) << "#!/bin/sh\n";
    ::chmod(program.c_str(), 0755);
    EXPECT_EQ(richTextLinkTarget("file://" + dir.string() + "/read%20me.txt"), doc.string());
    EXPECT_EQ(richTextLinkTarget("file://localhost" + dir.string() + "/read%20me.txt"), doc.string());
    EXPECT_EQ(richTextLinkTarget("file:" + doc.string()), doc.string());
    // Missing files, folders, programs and other hosts are not opened.
    EXPECT_FALSE(richTextLinkTarget("file://" + dir.string() + "/missing.txt").has_value());
    EXPECT_FALSE(richTextLinkTarget("file://" + dir.string()).has_value());
    EXPECT_FALSE(richTextLinkTarget("file://" + program.string()).has_value());
    EXPECT_FALSE(richTextLinkTarget("file://server" + doc.string()).has_value());
    EXPECT_FALSE(richTextLinkTarget("file://" + dir.string() + "/read%00me.txt").has_value());
    fs::remove_all(dir);
}

}  // namespace
