// The text form: its exact notation, the parser's acceptance and both converters' errors.
#include "StreamBytes.h"

#include "base/CodePage.h"
#include "classes/Extended.h"
#include "classes/TextForm.h"

#include <gtest/gtest.h>

using namespace classes;
using namespace sample;
using VT = ValueTag;

namespace {
std::string extendedBytes(long double v) {
    Extended80 e = longDoubleToExtended(v);
    return std::string(reinterpret_cast<const char*>(e.data()), 10);
}
}  // namespace

TEST(TextFormTest, NotationOfEveryValue) {
    base::CodePage::setActive(1252);
    Bytes b;
    b.sig().record("TForm", "Form1");
    b.prop("Caption").string("Hello\r\nx").prop("Quote").string("it's \xe9");
    b.prop("Wide").utf8("\xe2\x82\xac!").prop("Font.Style").tag(VT::Set).str("fsBold").str("fsItalic").end();
    b.prop("Empty").tag(VT::Set).end().prop("Color").ident("clBtnFace").prop("Neg").i8(-11);
    b.prop("Flags").tag(VT::False).prop("On").tag(VT::True).prop("Ref").tag(VT::Nil);
    b.prop("Ratio").tag(VT::Extended).raw(extendedBytes(1.5L));
    b.prop("Whole").tag(VT::Extended).raw(extendedBytes(2.0L));
    b.prop("Sng").tag(VT::Single).raw(std::string("\x00\x00\xc0\x3f", 4));
    b.prop("Cur").tag(VT::Currency).raw(std::string("\xf0\xd8\xff\xff\xff\xff\xff\xff", 8));  // -1.0000
    b.prop("Items.Strings").tag(VT::List).string("a").string("b").end();
    b.prop("Data").binary("\x01\xab");
    b.prop("Cols")
        .tag(VT::Collection)
        .i8(3)
        .tag(VT::List)
        .prop("Width")
        .i8(1)
        .end()
        .tag(VT::List)
        .end()
        .end();
    b.end();
    b.byte(0xF2).i8(1).record("TButton", "Button1").end().end();
    b.byte(0xF1).record("TPanel", "").end().end();
    b.end();
    const char* expected =
        "object Form1: TForm\n"
        "  Caption = 'Hello'#13#10'x'\n"
        "  Quote = 'it''s \xc3\xa9'\n"
        "  Wide = #8364'!'\n"
        "  Font.Style = [fsBold, fsItalic]\n"
        "  Empty = []\n"
        "  Color = clBtnFace\n"
        "  Neg = -11\n"
        "  Flags = False\n"
        "  On = True\n"
        "  Ref = nil\n"
        "  Ratio = 1.5\n"
        "  Whole = 2.0\n"
        "  Sng = 1.5s\n"
        "  Cur = -1.0000c\n"
        "  Items.Strings = (\n"
        "    'a'\n"
        "    'b')\n"
        "  Data = {\n"
        "    01AB}\n"
        "  Cols = <\n"
        "    item [3]\n"
        "      Width = 1\n"
        "    end\n"
        "    item\n"
        "    end>\n"
        "  object Button1: TButton [1]\n"
        "  end\n"
        "  inherited TPanel\n"
        "  end\n"
        "end\n";
    EXPECT_EQ(binaryToText(b.s), expected);
    EXPECT_EQ(textToBinary(expected), b.s);
}

TEST(TextFormTest, LiteralHashAndQuoteStayInsideTheQuotes) {
    Bytes b;
    b.sig().record("T", "").prop("S").string("#1'#").prop("W").utf8("#\xc3\xa9'").end().end();
    std::string text = binaryToText(b.s);
    EXPECT_NE(text.find("S = '#1''#'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("W = '#'#233''''\n"), std::string::npos) << text;
    EXPECT_EQ(textToBinary(text), b.s);
}

TEST(TextFormTest, LongStringsWrapAndJoin) {
    Bytes b;
    b.sig().record("T", "").prop("S").lstring(std::string(300, 'q')).end().end();
    std::string text = binaryToText(b.s);
    EXPECT_NE(text.find("' +\n"), std::string::npos);
    EXPECT_EQ(textToBinary(text), b.s);
}

TEST(TextFormTest, ParserAcceptsHandWrittenForms) {
    const char* text =
        "OBJECT Form1 : TForm\r\n"
        "  Left = 1000\r\n"
        "  Big = 5000000000\r\n"
        "  Caption = 'a' +\r\n"
        "    'b'#65\r\n"
        "  Flag = true\r\n"
        "  Items = <>\r\n"
        "  List = ()\r\n"
        "  Bin = {}\r\n"
        "  Date = 1.5d\r\n"
        "  Money = 3.25c\r\n"
        "  inline Frame1: TFrame1\r\n"
        "  end\r\n"
        "END\r\n";
    Bytes e;
    e.sig().record("TForm", "Form1").prop("Left").i16(1000).prop("Big").i64(5000000000);
    e.prop("Caption").string("abA").prop("Flag").tag(VT::True).prop("Items").tag(VT::Collection).end();
    e.prop("List").tag(VT::List).end().prop("Bin").binary("");
    e.prop("Date").tag(VT::Date).raw(std::string("\x00\x00\x00\x00\x00\x00\xf8\x3f", 8));
    e.prop("Money").tag(VT::Currency).raw(std::string("\xf4\x7e\x00\x00\x00\x00\x00\x00", 8));
    e.end().byte(0xF4).record("TFrame1", "Frame1").end().end().end();
    EXPECT_EQ(textToBinary(text), e.s);
}

TEST(TextFormTest, CurrencyExtremesRoundTrip) {
    for (uint64_t bits : {0x8000000000000000ull, 0x7FFFFFFFFFFFFFFFull, 0x0000000000000001ull}) {
        Bytes b;
        b.sig().record("T", "").prop("C").tag(VT::Currency);
        base::appendLE64(b.s, bits);
        b.end().end();
        EXPECT_EQ(textToBinary(binaryToText(b.s)), b.s) << binaryToText(b.s);
    }
    EXPECT_NE(binaryToText(Bytes()
                               .sig()
                               .record("T", "")
                               .prop("C")
                               .tag(VT::Currency)
                               .raw(std::string("\0\0\0\0\0\0\0\x80", 8))
                               .end()
                               .end()
                               .s)
                  .find("C = -922337203685477.5808c"),
              std::string::npos);
}

TEST(TextFormTest, NonFiniteFloatsKeepTheirBits) {
    Bytes b;
    b.sig()
        .record("T", "")
        .prop("X")
        .tag(VT::Extended)
        .raw(std::string("\x00\x00\x00\x00\x00\x00\x00\x80\xff\x7f", 10));
    b.prop("Y").tag(VT::Single).raw(std::string("\x00\x00\xc0\x7f", 4));
    b.end().end();
    std::string text = binaryToText(b.s);
    EXPECT_NE(text.find("X = $7FFF8000000000000000"), std::string::npos) << text;
    EXPECT_EQ(textToBinary(text), b.s);
}

TEST(TextFormTest, MalformedBinaryNamesTheOffset) {
    auto error = [](const std::string& bytes) {
        try {
            binaryToText(bytes);
        } catch (const TextFormError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("XPF0"), "offset 0: expected the signature \"TPF0\", found 0x58");
    Bytes b;
    b.sig().record("TForm", "F").prop("X").byte(99);
    EXPECT_EQ(error(b.s), "offset 14: expected a value tag (0 to 20), found 0x63");
    Bytes t;
    t.sig()
        .record("TForm", "F")
        .prop("X")
        .tag(VT::LString)
        .raw(std::string("\x10\x00\x00\x00"
                         "abc",
                         7));
    EXPECT_EQ(error(t.s), "offset 19: expected the string's bytes, found 0x61");
    EXPECT_EQ(error(Bytes().sig().record("TForm", "F").s),
              "offset 12: expected a property name or the end of the "
              "properties, found the end of the data");
    Bytes deep;
    deep.sig().record("T", "").prop("X");
    for (int i = 0; i < 10000; ++i) deep.tag(VT::List);
    EXPECT_NE(error(deep.s).find("expected less deeply nested data"), std::string::npos);
}

TEST(TextFormTest, MalformedTextNamesTheLine) {
    auto error = [](const std::string& text) {
        try {
            textToBinary(text);
        } catch (const TextFormError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("thing X: T\nend\n"),
              "line 1: expected \"object\", \"inherited\" or \"inline\", found \"thing\"");
    EXPECT_EQ(error("object X: T\n  Left 5\nend\n"), "line 2: expected '=', found \"5\"");
    EXPECT_EQ(error("object X: T\n  S = 'open\nend\n"),
              "line 2: expected a closing quote, found an unterminated string");
    EXPECT_EQ(error("object X: T\n  B = {0G}\nend\n"), "line 2: expected hexadecimal digits, found \"G\"");
    EXPECT_EQ(error("object X: T\n  B = {ABC}\nend\n"),
              "line 2: expected an even number of hexadecimal digits, found '}'");
    EXPECT_EQ(error("object X: T\n  N = 99999999999999999999\nend\n"),
              "line 2: expected an integer in the 64-bit range, found \"99999999999999999999\"");
    EXPECT_EQ(error("object X: T\n"),
              "line 2: expected a property name, an object or \"end\", found the end of the text");
    EXPECT_EQ(error("object X: T\nend\nextra"),
              "line 3: expected the end of the text after the root's \"end\", found \"extra\"");
    EXPECT_EQ(error("object X: T\n  M = 1.23456c\nend\n"),
              "line 2: expected at most four decimals in a currency amount, found \"1.23456\"");
    // A first byte of F0..FF is a record prefix: a class name that long gets an empty one.
    // Whatever the text accepts converts back to the same bytes, negative child positions included.
    const std::string longClass(240, 'C');
    EXPECT_EQ(textToBinary("object X: " + longClass + "\nend\n").substr(4, 2), "\xF0\xF0");
    for (const std::string& fits :
         {"object X: " + longClass.substr(1) + "\nend\n", "inherited X: " + longClass + "\nend\n",
          "object X: " + longClass + "\nend\n",
          std::string("object X: T\n  object Y: U [-10]\n  end\nend\n")}) {
        const std::string bytes = textToBinary(fits);
        EXPECT_EQ(textToBinary(binaryToText(bytes)), bytes);
    }
    std::string deep = "object X: T\n  L = ";
    for (int i = 0; i < 10000; ++i) deep += "(";
    EXPECT_NE(error(deep).find("expected less deeply nested data"), std::string::npos);
}

namespace {
std::string textError(const std::string& text) {
    try {
        textToBinary(text);
    } catch (const TextFormError& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(TextFormTest, RawNonAsciiTextKeepsEveryCharacter) {
    base::CodePage::setActive(1252);
    // A UTF-8 form: what the code page holds becomes an ANSI string, anything else a wide
    // one; nothing turns into '?'.
    const std::string form =
        "object F: TForm\n"
        "  A = 'caf\xc3\xa9'\n"
        "  B = '\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82'\n"
        "  C = 'x'#13'\xc3\xa9\xe2\x82\xac'\n"
        "end\n";
    Bytes e;
    e.sig().record("TForm", "F").prop("A").string("caf\xe9");
    e.prop("B").utf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82");
    e.prop("C").string("x\r\xe9\x80").end().end();
    EXPECT_EQ(textToBinary(form), e.s);
    // A byte-order mark is accepted and changes nothing.
    EXPECT_EQ(textToBinary("\xef\xbb\xbf" + form), e.s);
    // In the Cyrillic code page the same caption fits an ANSI string.
    base::CodePage::setActive(1251);
    Bytes cyr;
    cyr.sig().record("TForm", "F").prop("B").string("\xcf\xf0\xe8\xe2\xe5\xf2").end().end();
    EXPECT_EQ(
        textToBinary("object F: TForm\n  B = '\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82'\nend\n"),
        cyr.s);
    base::CodePage::setActive(1252);
    // A text that is not UTF-8 was written in the code page by an older tool.
    EXPECT_EQ(textToBinary("object F: TForm\n  A = 'caf\xe9'\nend\n"),
              Bytes().sig().record("TForm", "F").prop("A").string("caf\xe9").end().end().s);
    // With the mark, bytes that are not UTF-8 are an error naming their line.
    EXPECT_EQ(textError("\xef\xbb\xbfobject F: TForm\n  A = 'caf\xe9'\nend\n"),
              "line 2: expected UTF-8 text after the byte-order mark, found the byte 0xE9");
    // Wide strings and the text stay byte for byte what they were.
    Bytes w;
    w.sig().record("TForm", "F").prop("B").utf8("\xd0\x9f!").prop("A").string("caf\xe9").end().end();
    EXPECT_EQ(textToBinary(binaryToText(w.s)), w.s);
}

TEST(TextFormTest, AnyIdentifierTheReaderTakesRoundTrips) {
    base::CodePage::setActive(1252);
    Bytes b;
    b.sig().record("TForm", "a-b c");
    b.prop("Odd name").ident("1st");
    b.prop("end").ident("True");  // a keyword as a property name, a literal's text as an identifier
    b.prop("Empty").ident("");
    b.prop("Bytes").ident(std::string("\x01q'\xe9", 4));
    b.prop("S").tag(VT::Set).str("x y").str("ok").end();
    b.prop("Plain.Dotted_1").ident("clRed").end();
    b.record("TMy-Class", "object").end().end();
    b.end();
    const std::string text = binaryToText(b.s);
    EXPECT_EQ(text,
              "object &'a-b c': TForm\n"
              "  &'Odd name' = &'1st'\n"
              "  &'end' = &'True'\n"
              "  Empty = &''\n"
              "  Bytes = &#1'q'''#233\n"
              "  S = [&'x y', ok]\n"
              "  Plain.Dotted_1 = clRed\n"
              "  object &'object': &'TMy-Class'\n"
              "  end\n"
              "end\n");
    EXPECT_EQ(textToBinary(text), b.s);
    // Quoted identifiers may be written by hand with code-page characters; they are bytes.
    EXPECT_EQ(textToBinary("object F: T\n  X = &'caf\xc3\xa9'\nend\n"),
              Bytes().sig().record("T", "F").prop("X").ident("caf\xe9").end().end().s);
    EXPECT_EQ(textError("object F: T\n  X = &'\xd0\x96'\nend\n"),
              "line 2: expected a character of code page 1252 in a quoted identifier, found '\xd0\x96'");
    EXPECT_EQ(textError("object F: T\n  X = &#256\nend\n"),
              "line 2: expected a byte code up to 255 in a quoted identifier, found \"\"");
    // Names that would end a list where they stand are refused rather than misread.
    EXPECT_NE(textError("object F: T\n  &'' = 1\nend\n").find("a property name that is not empty"),
              std::string::npos);
    EXPECT_NE(textError("object F: T\n  S = [&'']\nend\n").find("a set element name that is not empty"),
              std::string::npos);
}

TEST(TextFormTest, InheritedInlineRecordsKeepBothFlags) {
    Bytes b;
    b.sig().record("TForm", "F").end();
    b.byte(0xF5).record("TFrame1", "Frame1").end().end();
    b.byte(0xF7).i8(2).record("TFrame2", "").end().end();
    b.byte(0xF1).record("TFoo", "inline").end().end();
    b.end();
    const std::string text = binaryToText(b.s);
    EXPECT_EQ(text,
              "object F: TForm\n"
              "  inherited inline Frame1: TFrame1\n"
              "  end\n"
              "  inherited inline TFrame2 [2]\n"
              "  end\n"
              "  inherited &'inline': TFoo\n"
              "  end\n"
              "end\n");
    EXPECT_EQ(textToBinary(text), b.s);
    // A hand-written "inherited inline: T" is a component named "inline".
    Bytes named;
    named.sig().record("TForm", "F").end().byte(0xF1).record("TFoo", "inline").end().end().end();
    EXPECT_EQ(textToBinary("object F: TForm\n  inherited inline: TFoo\n  end\nend\n"), named.s);
    // A child with an empty class name exists only behind a prefix byte, and keeps it.
    Bytes emptyClass;
    emptyClass.sig().record("TForm", "F").end().byte(0xF0).record("", "").end().end().end();
    const std::string emptyText = binaryToText(emptyClass.s);
    EXPECT_EQ(emptyText, "object F: TForm\n  object &''\n  end\nend\n");
    EXPECT_EQ(textToBinary(emptyText), emptyClass.s);
}
