#include "components/qt/RtfReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "base/CodePage.h"
#include "player/Startup.h"

namespace {

using components::qt::readRtf;

// Whitespace runs as one space, ends trimmed: unrtf turns tabs into line ends and keeps
// different line widths, which say nothing about the text itself.
std::string squeezed(const std::string& s) {
    std::string out;
    bool space = false;
    for (unsigned char c : s) {
        if (c <= ' ' || c == 0xA0) {
            space = true;
            continue;
        }
        if (space && !out.empty()) out += ' ';
        space = false;
        out += static_cast<char>(c);
    }
    return out;
}

// unrtf's text rendering of `rtf`, without its banner, decoded from the document's code page.
std::string unrtfText(const std::string& rtf) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("vantrel-rtf-" + std::to_string(::getpid()) + ".rtf");
    std::ofstream(file, std::ios::binary) << rtf;
    // unrtf writes the pictures it finds into its working folder.
    const std::string command = "cd '" + file.parent_path().string() + "' && " + UNRTF + " --text '" +
                                file.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    std::string out;
    std::array<char, 4096> buf{};
    size_t n = 0;
    while (pipe && (n = std::fread(buf.data(), 1, buf.size(), pipe.get())) > 0) out.append(buf.data(), n);
    pipe.reset();
    std::filesystem::remove(file);
    const size_t rule = out.find("-----------------\n");
    if (rule != std::string::npos) out.erase(0, rule + 18);
    return base::CodePage(1252).toUtf8(out);
}

std::string plainOf(const std::string& rtf) {
    QTextDocument doc;
    EXPECT_TRUE(readRtf(rtf, doc));
    return doc.toPlainText().toStdString();
}

// The format of the first character of `needle` in the document.
QTextCharFormat formatAt(QTextDocument& doc, const QString& needle) {
    const QTextCursor found = doc.find(needle);
    EXPECT_FALSE(found.isNull()) << needle.toStdString();
    QTextCursor c(&doc);
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QTextBlockFormat blockWith(QTextDocument& doc, const QString& needle) {
    return doc.find(needle).block().blockFormat();
}

TEST(RtfReader, DocumentsReadAsUnrtfReadsThem) {
    if (std::string(UNRTF).empty() || ::access(UNRTF, X_OK) != 0) GTEST_SKIP() << "unrtf is not installed";
    const std::string documents[] = {
        // Groups, font and colour tables, formatting that must not leak text.
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset0 Times New Roman;}}"
        "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
        "\\pard\\plain\\f0\\fs24 Hello {\\b bold} and {\\i italic} {\\ul under}{\\strike gone}.\\par\n"
        "\\pard\\qc {\\cf1 red} {\\f1\\fs36 big} text\\par\n}",
        // Code-page bytes, escaped specials and a stylesheet that shows nothing.
        "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Arial;}}{\\stylesheet{\\s0 Normal;}}"
        "caf\\'e9 cr\\'e8me br\\'fbl\\'e9e \\{braces\\} back\\\\slash\\par}",
        // Ignorable destinations, the information group and line breaks.
        "{\\rtf1\\ansi{\\info{\\title Secret}{\\author Nobody}}{\\*\\generator Writer;}"
        "First line\\line second line\\par after\\par"
        "{\\*\\unknowndest hidden text}visible\\par}",
        // Paragraph formatting across several paragraphs.
        "{\\rtf1\\ansi\\pard\\li720\\ri360\\fi-360\\sb120\\sa240 Indented paragraph one.\\par"
        "\\pard\\qr Right aligned.\\par\\pard\\qj Justified text that goes on.\\par}",
    };
    for (const std::string& rtf : documents) {
        SCOPED_TRACE(rtf);
        EXPECT_EQ(squeezed(plainOf(rtf)), squeezed(unrtfText(rtf)));
    }
}

TEST(RtfReader, CharacterFormattingLandsOnTheRightText) {
    QTextDocument doc;
    ASSERT_TRUE(
        readRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}"
                "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;}"
                "plain {\\b bold {\\i both}} after {\\ul under\\ulnone  off} {\\strike struck} "
                "{\\fs40 large} {\\f1 mono} {\\cf1 red} {\\highlight2 marked} {\\super up} \\b0 end}",
                doc));
    EXPECT_EQ(doc.toPlainText().toStdString(),
              "plain bold both after under off struck large mono red marked up end");
    EXPECT_EQ(formatAt(doc, "plain").fontWeight(), QFont::Normal);
    EXPECT_EQ(formatAt(doc, "bold").fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatAt(doc, "both").fontItalic());
    EXPECT_EQ(formatAt(doc, "both").fontWeight(), QFont::Bold);
    // The group's end restores what was before it.
    EXPECT_EQ(formatAt(doc, "after").fontWeight(), QFont::Normal);
    EXPECT_FALSE(formatAt(doc, "after").fontItalic());
    EXPECT_TRUE(formatAt(doc, "under").fontUnderline());
    EXPECT_FALSE(formatAt(doc, "off").fontUnderline());
    EXPECT_TRUE(formatAt(doc, "struck").fontStrikeOut());
    EXPECT_DOUBLE_EQ(formatAt(doc, "large").fontPointSize(), 20.0);
    EXPECT_DOUBLE_EQ(formatAt(doc, "plain").fontPointSize(), 12.0);
    EXPECT_EQ(formatAt(doc, "mono").fontFamilies().toStringList(), QStringList{"Courier New"});
    EXPECT_EQ(formatAt(doc, "plain").fontFamilies().toStringList(), QStringList{"Arial"});
    EXPECT_EQ(formatAt(doc, "red").foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatAt(doc, "marked").background().color(), QColor(255, 255, 0));
    EXPECT_EQ(formatAt(doc, "up").verticalAlignment(), QTextCharFormat::AlignSuperScript);
}

TEST(RtfReader, ParagraphsKeepAlignmentIndentsAndSpacing) {
    QTextDocument doc;
    ASSERT_TRUE(
        readRtf("{\\rtf1\\ansi\\pard\\qc centred\\par\\pard\\qr right\\par"
                "\\pard\\li1440\\ri720\\fi-360\\sb300\\sa150\\sl-480 indented\\par"
                "\\pard left\\tab tabbed\\line broken\\par}",
                doc));
    EXPECT_EQ(blockWith(doc, "centred").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(blockWith(doc, "right").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    const QTextBlockFormat indented = blockWith(doc, "indented");
    EXPECT_DOUBLE_EQ(indented.leftMargin(), 96.0);
    EXPECT_DOUBLE_EQ(indented.rightMargin(), 48.0);
    EXPECT_DOUBLE_EQ(indented.textIndent(), -24.0);
    EXPECT_DOUBLE_EQ(indented.topMargin(), 20.0);
    EXPECT_DOUBLE_EQ(indented.bottomMargin(), 10.0);
    EXPECT_EQ(indented.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_DOUBLE_EQ(indented.lineHeight(), 32.0);
    // \pard resets what the paragraph before set.
    EXPECT_DOUBLE_EQ(blockWith(doc, "left").leftMargin(), 0.0);
    EXPECT_EQ(blockWith(doc, "left").alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
    // A tab stays a tab; a line break stays in its paragraph.
    EXPECT_EQ(doc.find("tabbed").block().text(), QString("left\ttabbed\u2028broken"));
    EXPECT_EQ(doc.toPlainText(), "centred\nright\nindented\nleft\ttabbed\nbroken\n");
}

TEST(RtfReader, TextDecodesByTheFontsCharacterSetAndUnicodeEscapes) {
    QTextDocument doc;
    ASSERT_TRUE(
        readRtf("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset204 Arial Cyr;}"
                "{\\f2\\fcharset161 Arial Greek;}}"
                "\\'e9 {\\f1 \\'cf\\'f0\\'e8} {\\f2 \\'e2} "
                "\\u8364? {\\uc2\\u8364\\'80\\'80} {\\uc0\\u-3913} {\\u-10179?\\u-8704?} z}",
                doc));
    // é, Cyrillic "При", Greek beta, euro once per escape (the fallbacks dropped), U+F0B7, and
    // a surrogate pair put together.
    EXPECT_EQ(doc.toPlainText(), QString::fromUtf8("é При β € € \uF0B7 \U0001F600 z"));
}

TEST(RtfReader, HyperlinkFieldsBecomeLinksAndTheirInstructionsStayHidden) {
    QTextDocument doc;
    ASSERT_TRUE(
        readRtf("{\\rtf1\\ansi See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a?b=1\"}}"
                "{\\fldrslt{\\ul\\cf1 the site}}} and {\\field{\\*\\fldinst PAGE}{\\fldrslt 7}} more.}",
                doc));
    EXPECT_EQ(doc.toPlainText(), "See the site and 7 more.");
    const QTextCharFormat link = formatAt(doc, "the site");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), "https://example.org/a?b=1");
    EXPECT_FALSE(formatAt(doc, "7").isAnchor());
    EXPECT_FALSE(formatAt(doc, "more").isAnchor());
}

TEST(RtfReader, AddressesInTheTextBecomeLinks) {
    QTextDocument doc;
    doc.setPlainText("Visit www.example.com, mail mailto:a@b.c or http://x.y/z. Not javascript:alert(1)");
    components::qt::markAddresses(doc);
    EXPECT_EQ(formatAt(doc, "www.example.com").anchorHref(), "http://www.example.com");
    EXPECT_EQ(formatAt(doc, "mailto:a@b.c").anchorHref(), "mailto:a@b.c");
    EXPECT_EQ(formatAt(doc, "http://x.y/z").anchorHref(), "http://x.y/z");
    // Sentence punctuation is not part of an address.
    EXPECT_FALSE(formatAt(doc, ", mail").isAnchor());
    EXPECT_FALSE(formatAt(doc, "javascript").isAnchor());
}

TEST(RtfReader, PlainTextAndBrokenInputAreHandledSafely) {
    QTextDocument doc;
    EXPECT_FALSE(readRtf("Just a sentence.", doc));
    EXPECT_FALSE(components::qt::rtfPlainText("{\\rt no header").has_value());
    // Cut short: what was read stays; extra closing braces end it.
    EXPECT_EQ(components::qt::rtfPlainText("{\\rtf1 open {\\b group"), "open group");
    EXPECT_EQ(components::qt::rtfPlainText("{\\rtf1 done}} trailing"), "done");
    // Nesting deeper than any document is refused instead of exhausting memory.
    EXPECT_FALSE(components::qt::rtfPlainText("{\\rtf1 " + std::string(5000, '{')).has_value());
    // Binary data may hold braces.
    EXPECT_EQ(components::qt::rtfPlainText("{\\rtf1 a{\\pict\\bin2 }{}b}"), "ab");
    EXPECT_EQ(components::qt::rtfPlainText("{\\rtf1 a{\\pict\\wmetafile8 0102}{\\object{\\*\\objdata 01}}b}"),
              "ab");
    EXPECT_EQ(components::qt::rtfPlainText("{\\rtf1 \\'zz\\'4 x\\"), "zz4 x");
    EXPECT_TRUE(
        components::qt::rtfPlainText("{\\rtf1 \\u99999999999 \\fs-2147483648\\li99999999999 x}").has_value());
    // The most negative parameter is still one whose size can be taken (an exact line spacing).
    ASSERT_TRUE(readRtf("{\\rtf1 \\sl-99999999999 x\\par}", doc));
    EXPECT_EQ(blockWith(doc, "x").lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_GT(blockWith(doc, "x").lineHeight(), 0.0);
}

// The about box's credits are rich text of the player's own: they must read whole (groups
// balanced), with the bold and coloured runs where they were written.
TEST(RtfReader, ThePlayersCreditsReadWithTheirFormatting) {
    QTextDocument doc;
    ASSERT_TRUE(readRtf(player::creditsText(), doc));
    const std::string text = doc.toPlainText().toStdString();
    EXPECT_EQ(text.rfind("\nVantrel plays autorun presentation projects.\n\nBuilt on\nQt, zlib,", 0), 0u)
        << text;
    const QTextBlock title = doc.findBlockByNumber(1);
    EXPECT_TRUE(title.begin().fragment().charFormat().font().bold());
    const QTextBlock builtOn = doc.findBlockByNumber(3);
    EXPECT_EQ(builtOn.begin().fragment().charFormat().foreground().color(), QColor(0, 0, 128));
    const std::optional<std::string> html = components::qt::rtfToHtml(player::creditsText());
    ASSERT_TRUE(html);
    EXPECT_NE(html->find("FluidSynth"), std::string::npos);
}

}  // namespace
