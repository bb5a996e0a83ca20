#include "components/qt/RtfReader.h"

#include <QColor>
#include <QFont>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cctype>
#include <climits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/CodePage.h"

namespace components::qt {
namespace {

// Deeper nesting than any real document uses; it only guards the state stack.
constexpr size_t kMaxDepth = 1000;
// One twip is 1/1440 inch; the document works in pixels at 96 per inch.
constexpr double kTwipsPerPixel = 15.0;

enum class Destination {
    Text,        // shown
    Skip,        // read past
    FontTable,   // font numbers, character sets and names
    ColorTable,  // colour entries separated by ';'
    FieldInst,   // the field's instruction (HYPERLINK "...")
    FieldResult  // the field's shown text
};

struct CharState {
    bool bold = false, italic = false, underline = false, strike = false;
    bool superscript = false, subscript = false;
    int halfPoints = 24;
    int font = -1;
    int color = 0;      // 0: automatic
    int highlight = 0;  // 0: none
};

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int leftTwips = 0, rightTwips = 0, firstTwips = 0, beforeTwips = 0, afterTwips = 0, lineTwips = 0;
};

struct Field {
    std::string inst;
    QString href;
};

struct GroupState {
    Destination dest = Destination::Text;
    CharState chr;
    ParaState para;
    int unicodeSkip = 1;
    int field = -1;  // index into the open fields, -1 outside any
};

struct FontEntry {
    QString name;
    int codePage = 0;  // 0: the document's
};

// Windows character-set numbers and the code pages their bytes are in.
int codePageOfCharset(int charset) {
    switch (charset) {
    case 0: return 1252;
    case 2: return 0;  // symbol fonts: the bytes stand for themselves
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return -1;  // the document's
    }
}

// Multi-byte code pages the single-byte tables do not cover.
const char* multiByteName(int codePage) {
    switch (codePage) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "EUC-KR";
    case 950: return "Big5";
    default: return nullptr;
    }
}

class Reader {
public:
    explicit Reader(QTextDocument& document) : m_doc(document), m_cursor(&document) {}

    bool read(std::string_view rtf);

private:
    void controlWord(std::string_view word, bool hasParam, int param);
    void controlSymbol(char c);
    void openGroup();
    void closeGroup();
    void byte(unsigned char b);
    void unicodeChar(char32_t cp);
    void text(const QString& s);
    void flushBytes();
    void flush();
    void paragraph();
    QTextCharFormat charFormat() const;
    QTextBlockFormat blockFormat() const;
    int codePage() const;
    GroupState& st() { return m_stack.back(); }

    QTextDocument& m_doc;
    QTextCursor m_cursor;
    std::vector<GroupState> m_stack{GroupState{}};
    std::vector<Field> m_fields;
    std::map<int, FontEntry> m_fonts;
    std::vector<QColor> m_colors;
    QColor m_pendingColor;
    int m_currentFont = -1;  // while in the font table
    std::string m_fontName;
    int m_defaultFont = -1;
    int m_docCodePage = 1252;
    bool m_ignorableStart = false;  // right after \*: a known destination may follow
    int m_skipChars = 0;            // fallback characters still to drop after \u
    std::string m_bytes;            // undecoded bytes in m_bytesPage
    int m_bytesPage = 1252;
    QString m_pending;  // decoded text in the current format
    char16_t m_highSurrogate = 0;
    std::map<int, std::unique_ptr<base::CodePage>> m_pages;
};

bool Reader::read(std::string_view rtf) {
    m_doc.clear();
    m_cursor = QTextCursor(&m_doc);
    size_t i = 0;
    const size_t n = rtf.size();
    int groups = 0;
    while (i < n) {
        const char c = rtf[i];
        if (c == '{') {
            ++i;
            if (m_stack.size() >= kMaxDepth) return false;
            openGroup();
            ++groups;
        } else if (c == '}') {
            ++i;
            // One closing more than opened ends the document as well.
            if (m_stack.size() <= 1) break;
            closeGroup();
            // The outer group ends the document; what follows is not part of it.
            if (--groups == 0) break;
        } else if (c == '\\') {
            ++i;
            if (i >= n) break;
            if (std::isalpha(static_cast<unsigned char>(rtf[i]))) {
                const size_t start = i;
                while (i < n && i - start < 32 && std::isalpha(static_cast<unsigned char>(rtf[i]))) ++i;
                const std::string_view word = rtf.substr(start, i - start);
                bool hasParam = false, negative = false;
                long long value = 0;
                if (i < n && rtf[i] == '-' && i + 1 < n &&
                    std::isdigit(static_cast<unsigned char>(rtf[i + 1]))) {
                    negative = true;
                    ++i;
                }
                for (int digits = 0; i < n && std::isdigit(static_cast<unsigned char>(rtf[i]));
                     ++i, ++digits) {
                    hasParam = true;
                    if (digits < 10) value = value * 10 + (rtf[i] - '0');
                }
                if (i < n && rtf[i] == ' ') ++i;
                // Symmetric, so any parameter may be negated (a negative line spacing is).
                value = std::clamp<long long>(negative ? -value : value, -INT32_MAX, INT32_MAX);
                if (word == "bin" && value > 0) {
                    // Raw bytes that may hold anything, braces included.
                    i += std::min<size_t>(static_cast<size_t>(value), n - i);
                    continue;
                }
                controlWord(word, hasParam, static_cast<int>(value));
            } else if (rtf[i] == '\'') {
                auto hex = [&](size_t k) -> int {
                    if (k >= n) return -1;
                    const char h = rtf[k];
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                const int hi = hex(i + 1), lo = hex(i + 2);
                if (hi >= 0 && lo >= 0) {
                    i += 3;
                    byte(static_cast<unsigned char>(hi * 16 + lo));
                } else {
                    ++i;
                }
            } else {
                controlSymbol(rtf[i]);
                ++i;
            }
        } else {
            ++i;
            // Line ends in the source are formatting of the file, not of the text.
            if (c == '\r' || c == '\n') continue;
            byte(static_cast<unsigned char>(c));
        }
    }
    flush();
    m_cursor.setBlockFormat(blockFormat());
    // A document cut short still shows what it had.
    return true;
}

int Reader::codePage() const {
    const int font = m_stack.back().chr.font >= 0 ? m_stack.back().chr.font : m_defaultFont;
    auto it = m_fonts.find(font);
    if (it != m_fonts.end() && it->second.codePage >= 0) return it->second.codePage;
    return m_docCodePage;
}

void Reader::byte(unsigned char b) {
    const Destination d = m_stack.back().dest;
    if (d == Destination::Skip) return;
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    if (d == Destination::FontTable) {
        if (b == ';') {
            if (m_currentFont >= 0) m_fonts[m_currentFont].name = QString::fromLatin1(m_fontName).trimmed();
            m_fontName.clear();
        } else {
            m_fontName += static_cast<char>(b);
        }
        return;
    }
    if (d == Destination::ColorTable) {
        if (b == ';') {
            m_colors.push_back(m_pendingColor);
            m_pendingColor = QColor();
        }
        return;
    }
    if (d == Destination::FieldInst) {
        if (st().field >= 0) m_fields[st().field].inst += static_cast<char>(b);
        return;
    }
    if (b == '\t') {
        unicodeChar(U'\t');
        return;
    }
    if (b < 0x20) return;
    const int page = codePage();
    if (!m_bytes.empty() && page != m_bytesPage) flushBytes();
    m_bytesPage = page;
    m_bytes += static_cast<char>(b);
}

void Reader::flushBytes() {
    if (m_bytes.empty()) return;
    if (m_bytesPage == 0) {
        m_pending += QString::fromLatin1(m_bytes);
    } else if (const char* name = multiByteName(m_bytesPage)) {
        QStringDecoder decoder(name);
        m_pending +=
            decoder.isValid() ? decoder(QByteArray::fromStdString(m_bytes)) : QString::fromLatin1(m_bytes);
    } else {
        auto& page = m_pages[m_bytesPage];
        if (!page) page = std::make_unique<base::CodePage>(m_bytesPage);
        m_pending += QString::fromStdString(page->toUtf8(m_bytes));
    }
    m_bytes.clear();
}

void Reader::unicodeChar(char32_t cp) {
    if (st().dest != Destination::Text && st().dest != Destination::FieldResult) return;
    flushBytes();
    if (cp >= 0xD800 && cp <= 0xDBFF) {
        m_highSurrogate = static_cast<char16_t>(cp);
        return;
    }
    if (cp >= 0xDC00 && cp <= 0xDFFF) {
        if (m_highSurrogate) {
            m_pending += QChar(m_highSurrogate);
            m_pending += QChar(static_cast<char16_t>(cp));
        }
        m_highSurrogate = 0;
        return;
    }
    m_highSurrogate = 0;
    if (cp == 0) return;
    m_pending += QString::fromUcs4(&cp, 1);
}

void Reader::text(const QString& s) {
    if (st().dest != Destination::Text && st().dest != Destination::FieldResult) return;
    flushBytes();
    m_pending += s;
}

QTextCharFormat Reader::charFormat() const {
    const CharState& c = m_stack.back().chr;
    QTextCharFormat f;
    f.setFontWeight(c.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(c.italic);
    f.setFontUnderline(c.underline);
    f.setFontStrikeOut(c.strike);
    if (c.halfPoints > 0) f.setFontPointSize(c.halfPoints / 2.0);
    const int font = c.font >= 0 ? c.font : m_defaultFont;
    if (auto it = m_fonts.find(font); it != m_fonts.end() && !it->second.name.isEmpty())
        f.setFontFamilies({it->second.name});
    if (c.color > 0 && c.color < static_cast<int>(m_colors.size()) && m_colors[c.color].isValid())
        f.setForeground(m_colors[c.color]);
    if (c.highlight > 0 && c.highlight < static_cast<int>(m_colors.size()) && m_colors[c.highlight].isValid())
        f.setBackground(m_colors[c.highlight]);
    if (c.superscript) f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    if (c.subscript) f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (m_stack.back().dest == Destination::FieldResult && m_stack.back().field >= 0) {
        const QString& href = m_fields[m_stack.back().field].href;
        if (!href.isEmpty()) {
            f.setAnchor(true);
            f.setAnchorHref(href);
        }
    }
    return f;
}

QTextBlockFormat Reader::blockFormat() const {
    const ParaState& p = m_stack.back().para;
    QTextBlockFormat f;
    f.setAlignment(p.align);
    f.setLeftMargin(p.leftTwips / kTwipsPerPixel);
    f.setRightMargin(p.rightTwips / kTwipsPerPixel);
    f.setTextIndent(p.firstTwips / kTwipsPerPixel);
    f.setTopMargin(p.beforeTwips / kTwipsPerPixel);
    f.setBottomMargin(p.afterTwips / kTwipsPerPixel);
    // A positive line spacing is "at least", a negative one "exactly" that height.
    if (p.lineTwips > 0)
        f.setLineHeight(p.lineTwips / kTwipsPerPixel, QTextBlockFormat::MinimumHeight);
    else if (p.lineTwips < 0)
        f.setLineHeight(-p.lineTwips / kTwipsPerPixel, QTextBlockFormat::FixedHeight);
    return f;
}

void Reader::flush() {
    flushBytes();
    if (m_pending.isEmpty()) return;
    m_cursor.setBlockFormat(blockFormat());
    m_cursor.insertText(m_pending, charFormat());
    m_pending.clear();
}

void Reader::paragraph() {
    if (m_stack.back().dest != Destination::Text && m_stack.back().dest != Destination::FieldResult) return;
    flush();
    m_cursor.setBlockFormat(blockFormat());
    m_cursor.insertBlock(blockFormat(), charFormat());
}

void Reader::openGroup() {
    flush();
    m_stack.push_back(m_stack.back());
    m_skipChars = 0;
}

void Reader::closeGroup() {
    flush();
    const GroupState closed = m_stack.back();
    m_stack.pop_back();
    m_skipChars = 0;
    if (closed.dest == Destination::FontTable && !m_fontName.empty() && m_currentFont >= 0) {
        m_fonts[m_currentFont].name = QString::fromLatin1(m_fontName).trimmed();
        m_fontName.clear();
    }
    if (closed.dest == Destination::FieldInst && closed.field >= 0) {
        // HYPERLINK "address" (switches such as \l "anchor" are not addresses to open).
        std::string inst =
            closed.field < static_cast<int>(m_fields.size()) ? m_fields[closed.field].inst : "";
        const size_t at = inst.find("HYPERLINK");
        if (at != std::string::npos) {
            size_t p = at + 9;
            while (p < inst.size() && inst[p] == ' ') ++p;
            std::string target;
            if (p < inst.size() && inst[p] == '"') {
                const size_t end = inst.find('"', p + 1);
                target = inst.substr(p + 1, end == std::string::npos ? std::string::npos : end - p - 1);
            } else if (p < inst.size() && inst[p] != '\\') {
                target = inst.substr(p, inst.find(' ', p) - p);
            }
            m_fields[closed.field].href = QString::fromLatin1(target);
        }
    }
}

void Reader::controlSymbol(char c) {
    switch (c) {
    case '\\':
    case '{':
    case '}': byte(static_cast<unsigned char>(c)); break;
    case '~': text(QString(QChar(0x00A0))); break;
    case '_': text(QString(QChar(0x2011))); break;
    case '-': break;  // optional hyphen
    case '*':
        // Ignorable destination: unknown to us, so read past it. Known ones switch it back.
        if (st().dest != Destination::Skip) {
            st().dest = Destination::Skip;
            m_ignorableStart = true;
        }
        break;
    case '\n':
    case '\r': paragraph(); break;
    case '\t': unicodeChar(U'\t'); break;
    default: break;
    }
}

void Reader::controlWord(std::string_view w, bool hasParam, int param) {
    const bool ignorable = m_ignorableStart;
    m_ignorableStart = false;
    GroupState& s = st();
    if (ignorable) {
        if (w == "fldinst") {
            s.dest = Destination::FieldInst;
            s.field = m_fields.empty() ? -1 : static_cast<int>(m_fields.size()) - 1;
        }
        return;
    }
    if (s.dest == Destination::Skip) return;
    // A fallback character after \u counts as one, whatever word spells it.
    if (m_skipChars > 0) {
        --m_skipChars;
        return;
    }
    const int on = hasParam ? param : 1;
    if (s.dest == Destination::FontTable) {
        if (w == "f") {
            m_currentFont = param;
            m_fonts[param].codePage = -1;
        } else if (w == "fcharset" && m_currentFont >= 0) {
            m_fonts[m_currentFont].codePage = codePageOfCharset(param);
        } else if (w == "cpg" && m_currentFont >= 0) {
            m_fonts[m_currentFont].codePage = param;
        } else if (w == "panose" || w == "falt" || w == "fname") {
            s.dest = Destination::Skip;
        }
        return;
    }
    if (s.dest == Destination::ColorTable) {
        if (!m_pendingColor.isValid()) m_pendingColor = QColor(0, 0, 0);
        const int v = std::clamp(param, 0, 255);
        if (w == "red") m_pendingColor.setRed(v);
        if (w == "green") m_pendingColor.setGreen(v);
        if (w == "blue") m_pendingColor.setBlue(v);
        return;
    }
    if (s.dest == Destination::FieldInst) {
        // Words inside the instruction carry no text; \\ and quotes arrive as bytes.
        return;
    }
    static const std::map<std::string_view, char16_t> kSymbols = {
        {"tab", u'\t'},      {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},
        {"lquote", 0x2018},  {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D},
        {"emspace", 0x2003}, {"enspace", 0x2002}, {"qmspace", 0x2005},   {"line", 0x2028},
        {"cell", u'\t'},     {"zwj", 0x200D},     {"zwnj", 0x200C},      {"ltrmark", 0x200E},
        {"rtlmark", 0x200F}};
    if (auto it = kSymbols.find(w); it != kSymbols.end()) {
        text(QString(QChar(it->second)));
        return;
    }
    static const std::vector<std::string_view> kSkipped = {
        "pict",         "object",     "stylesheet", "info",
        "header",       "headerl",    "headerr",    "headerf",
        "footer",       "footerl",    "footerr",    "footerf",
        "footnote",     "annotation", "xe",         "tc",
        "txe",          "rxe",        "themedata",  "colorschememapping",
        "latentstyles", "datastore",  "listtable",  "listoverridetable",
        "rsidtbl",      "generator",  "xmlnstbl",   "mmathPr",
        "revtbl",       "filetbl",    "bkmkstart",  "bkmkend",
        "nonshppict",   "pn",         "atnid",      "atnauthor",
        "userprops",    "docvar",     "template",   "wgrffmtfilter",
        "fchars",       "lchars",     "pgdsctbl",   "ftnsep",
        "ftnsepc",      "aftnsep",    "aftnsepc",   "shppict",
        "do",           "protusertbl"};
    if (std::find(kSkipped.begin(), kSkipped.end(), w) != kSkipped.end()) {
        flush();
        s.dest = Destination::Skip;
        return;
    }
    CharState& c = s.chr;
    ParaState& p = s.para;
    if (w == "par" || w == "sect" || w == "page" || w == "row") {
        paragraph();
        return;
    }
    flush();
    if (w == "fonttbl") {
        s.dest = Destination::FontTable;
    } else if (w == "colortbl") {
        s.dest = Destination::ColorTable;
        m_colors.clear();
    } else if (w == "field") {
        m_fields.push_back({});
        s.field = static_cast<int>(m_fields.size()) - 1;
    } else if (w == "fldinst") {
        s.dest = Destination::FieldInst;
    } else if (w == "fldrslt") {
        s.dest = Destination::FieldResult;
    } else if (w == "ansicpg") {
        m_docCodePage = param;
    } else if (w == "mac") {
        m_docCodePage = 10000;
    } else if (w == "pc") {
        m_docCodePage = 437;
    } else if (w == "pca") {
        m_docCodePage = 850;
    } else if (w == "deff") {
        m_defaultFont = param;
    } else if (w == "uc") {
        s.unicodeSkip = std::clamp(param, 0, 16);
    } else if (w == "u") {
        unicodeChar(static_cast<char32_t>(static_cast<char16_t>(param)));
        m_skipChars = s.unicodeSkip;
    } else if (w == "plain") {
        c = CharState{};
    } else if (w == "pard") {
        p = ParaState{};
    } else if (w == "b") {
        c.bold = on != 0;
    } else if (w == "i") {
        c.italic = on != 0;
    } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "uldash" || w == "ulth" ||
               w == "ulwave") {
        c.underline = on != 0;
    } else if (w == "ulnone") {
        c.underline = false;
    } else if (w == "strike" || w == "striked") {
        c.strike = on != 0;
    } else if (w == "super") {
        c.superscript = on != 0;
        c.subscript = false;
    } else if (w == "sub") {
        c.subscript = on != 0;
        c.superscript = false;
    } else if (w == "nosupersub") {
        c.superscript = c.subscript = false;
    } else if (w == "fs") {
        c.halfPoints = hasParam ? std::clamp(param, 1, 3276) : 24;
    } else if (w == "f") {
        c.font = param;
    } else if (w == "cf") {
        c.color = param;
    } else if (w == "highlight" || w == "cb" || w == "chcbpat") {
        c.highlight = param;
    } else if (w == "ql") {
        p.align = Qt::AlignLeft;
    } else if (w == "qc") {
        p.align = Qt::AlignHCenter;
    } else if (w == "qr") {
        p.align = Qt::AlignRight;
    } else if (w == "qj") {
        p.align = Qt::AlignJustify;
    } else if (w == "li") {
        p.leftTwips = param;
    } else if (w == "ri") {
        p.rightTwips = param;
    } else if (w == "fi") {
        p.firstTwips = param;
    } else if (w == "sb") {
        p.beforeTwips = param;
    } else if (w == "sa") {
        p.afterTwips = param;
    } else if (w == "sl") {
        p.lineTwips = param;
    }
}

}  // namespace

bool isRichText(std::string_view text) { return text.substr(0, 5) == "{\\rtf"; }

bool readRtf(std::string_view rtf, QTextDocument& document) {
    if (!isRichText(rtf)) {
        document.clear();
        return false;
    }
    return Reader(document).read(rtf);
}

std::optional<std::string> rtfPlainText(std::string_view rtf) {
    QTextDocument document;
    if (!readRtf(rtf, document)) return std::nullopt;
    return document.toPlainText().toStdString();
}

std::optional<std::string> rtfToHtml(std::string_view rtf) {
    QTextDocument document;
    if (!readRtf(rtf, document)) return std::nullopt;
    return document.toHtml().toStdString();
}

void markAddresses(QTextDocument& document) {
    static const QRegularExpression kAddress(QStringLiteral(R"((?:https?://|ftp://|mailto:|www\.)[^\s<>"]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        auto matches = kAddress.globalMatch(text);
        while (matches.hasNext()) {
            const QRegularExpressionMatch m = matches.next();
            QString address = m.captured();
            // Closing punctuation ends the sentence, not the address.
            while (!address.isEmpty() && QStringLiteral(".,;:!?)]'").contains(address.back()))
                address.chop(1);
            if (address.isEmpty()) continue;
            QTextCursor cursor(&document);
            cursor.setPosition(block.position() + static_cast<int>(m.capturedStart()));
            cursor.setPosition(block.position() + static_cast<int>(m.capturedStart() + address.size()),
                               QTextCursor::KeepAnchor);
            if (cursor.charFormat().isAnchor()) continue;
            QTextCharFormat link;
            link.setAnchor(true);
            link.setAnchorHref(address.startsWith(QStringLiteral("www."), Qt::CaseInsensitive)
                                   ? QStringLiteral("http://") + address
                                   : address);
            link.setFontUnderline(true);
            link.setForeground(QColor(0, 0, 255));
            cursor.mergeCharFormat(link);
        }
    }
}

}  // namespace components::qt
