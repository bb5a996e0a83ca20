// The writer: smallest integer tags, defaults, and the round trips writer → reader →
// writer and binary → text → binary.
#include "SampleClasses.h"
#include "StreamBytes.h"

#include "base/CodePage.h"
#include "classes/Streams.h"
#include "classes/TReader.h"
#include "classes/TWriter.h"
#include "classes/TextForm.h"

#include <gtest/gtest.h>

using namespace classes;
using namespace sample;
using VT = ValueTag;

namespace {

std::string writeValues(const std::function<void(TWriter&)>& fn) {
    TMemoryStream s;
    {
        TWriter w(s);
        fn(w);
    }
    return s.bytes();
}

std::string writeForm(TComponent& root) {
    TMemoryStream s;
    TWriter w(s);
    w.writeRootComponent(root);
    return s.bytes();
}

std::unique_ptr<TSampleForm> readForm(const std::string& bytes) {
    registerSampleClasses();
    TMemoryStream s;
    s.setBytes(bytes);
    TReader r(s);
    r.onError = [](const std::string& m) -> bool { throw std::runtime_error("unexpected: " + m); };
    auto f = std::make_unique<TSampleForm>(nullptr);
    r.readRootComponent(f.get());
    return f;
}

// A form using every property kind, children, a collection and defined properties.
std::unique_ptr<TSampleForm> richForm() {
    auto f = std::make_unique<TSampleForm>(nullptr);
    f->setName("Form1");
    f->setLeft(102);
    f->setTop(-300);
    f->setWidth(70000);
    f->setCaption(std::string("Caf\xe9 'quoted'\r\nnext"));
    f->setColor(0x00C0DCC0);  // clMoneyGreen
    f->setCursor(-21);
    f->setVisible(false);
    f->setAlign(TAlign::alClient);
    f->font()->setStyle((1u << fsBold) | (1u << fsUnderline));
    f->font()->setName("Tahoma");
    f->setRatio(1.0L / 3.0L);
    f->setScale(0.1f);
    f->setPrice(12.3456L);
    f->setStamp(45000.75L);
    f->setHint(u"\u00e9t\u00e9 \u20ac \U0001F600");
    f->setData(Variant::array({Variant::integer(-5), Variant::string("s"), Variant::boolean(true),
                               Variant::floating(2.5L, Variant::Type::Extended), Variant()}));
    f->setBig(int64_t{-1} << 40);
    f->setAccel('Z');
    f->lines()->setText("one\r\ntwo\r\n" + std::string(300, 'x') + "\r\n");
    f->picture = std::string(
        "\x07TBitmap\x04\x00\x00\x00"
        "BM\x01\x02",
        16);
    auto* item = dynamic_cast<TItem*>(f->items()->add());
    item->setCaption("first");
    dynamic_cast<TItem*>(f->items()->add())->setWidth(7);
    f->setOnClick(TSampleForm::staticClass().findMethod("Button1Click")->bind(*f));

    auto* panel = new TWidget(f.get());
    panel->setName("Panel1");
    panel->setParentComponent(f.get());
    auto* button = new TWidget(f.get());
    button->setName("Button1");
    button->setParentComponent(panel);
    button->setBuddy(panel);
    auto* timer = new TComponent(f.get());
    timer->setName("Timer1");
    timer->setDesignPosition(16, 8);
    f->setBuddy(button);
    return f;
}

}  // namespace

TEST(WriterValueTest, IntegersUseTheSmallestTag) {
    std::string b = writeValues([](TWriter& w) {
        for (int64_t v : {int64_t{0}, int64_t{-128}, int64_t{127}, int64_t{128}, int64_t{-32768},
                          int64_t{32768}, int64_t{INT32_MIN}, int64_t{INT32_MAX} + 1}) {
            w.writeInteger(v);
        }
    });
    Bytes e;
    e.i8(0).i8(-128).i8(127).i16(128).i16(-32768).i32(32768).i32(INT32_MIN).i64(int64_t{INT32_MAX} + 1);
    EXPECT_EQ(b, e.s);
}

TEST(WriterValueTest, StringsIdentsAndSets) {
    std::string b = writeValues([](TWriter& w) {
        w.writeString(std::string(255, 'a'));
        w.writeString(std::string(256, 'b'));
        w.writeWideString(u"plain");
        w.writeWideString(u"\u00e9");
        w.writeIdent("TRUE");
        w.writeIdent("nil");
        w.writeIdent("alClient");
        w.writeSet({});
        w.writeSet({"fsBold"});
    });
    Bytes e;
    e.string(std::string(255, 'a')).lstring(std::string(256, 'b')).string("plain").utf8("\xc3\xa9");
    e.tag(VT::True).tag(VT::Nil).ident("alClient").tag(VT::Set).end().tag(VT::Set).str("fsBold").end();
    EXPECT_EQ(b, e.s);
}

TEST(WriterValueTest, NullArrayElementsCannotEndTheList) {
    std::string b = writeValues([](TWriter& w) {
        w.writeVariant(Variant::array({Variant::null(), Variant::integer(1)}));
        w.writeVariant(Variant::null());
    });
    EXPECT_EQ(b, Bytes().tag(VT::List).tag(VT::Nil).i8(1).end().tag(VT::Null).s);
}

TEST(WriterTest, WritesOnlyWhatDiffersFromDefaults) {
    TSampleForm f(nullptr);
    f.setName("F");
    Bytes e;
    // Left and Top have no default and are always written; Font has no default values either.
    e.sig().record("TSampleForm", "F").prop("Left").i8(0).prop("Top").i8(0);
    e.prop("Font.Charset").ident("DEFAULT_CHARSET").prop("Font.Color").ident("clWindowText");
    e.prop("Font.Height")
        .i8(-11)
        .prop("Font.Name")
        .string("MS Sans Serif")
        .prop("Font.Style")
        .tag(VT::Set)
        .end();
    e.end().end();
    EXPECT_EQ(writeForm(f), e.s);
}

TEST(WriterTest, ReaderReadsTheWriterOutputBackToTheSameTree) {
    base::CodePage::setActive(1252);
    auto f = richForm();
    std::string bytes = writeForm(*f);
    auto g = readForm(bytes);
    EXPECT_EQ(writeForm(*g), bytes);

    EXPECT_EQ(g->caption(), f->caption());
    EXPECT_EQ(g->ratio(), f->ratio());
    EXPECT_EQ(g->scale(), f->scale());
    EXPECT_EQ(g->price(), f->price());
    EXPECT_EQ(g->hint(), f->hint());
    EXPECT_EQ(g->data(), f->data());
    EXPECT_EQ(g->lines()->text(), f->lines()->text());
    EXPECT_EQ(g->picture, f->picture);
    EXPECT_EQ(g->items()->count(), 2);
    ASSERT_TRUE(g->onClick());
    auto* panel = dynamic_cast<TWidget*>(g->findComponent("Panel1"));
    auto* button = dynamic_cast<TWidget*>(g->findComponent("Button1"));
    ASSERT_TRUE(panel && button);
    EXPECT_EQ(button->parentWidget(), panel);
    EXPECT_EQ(button->buddy(), panel);
    EXPECT_EQ(g->buddy(), button);
    EXPECT_EQ(g->findComponent("Timer1")->designLeft(), 16);
}

// Hands out at most three bytes per read, as pipes and slow devices may.
class TrickleStream : public TMemoryStream {
public:
    int64_t read(void* buffer, int64_t count) override {
        return TMemoryStream::read(buffer, std::min<int64_t>(count, 3));
    }
};

TEST(WriterTest, ShortReadsAndTinyBuffersReadTheSameTree) {
    registerSampleClasses();
    auto f = richForm();
    std::string bytes = writeForm(*f);
    for (int bufferSize : {16, 17, 4096}) {
        TrickleStream s;
        s.setBytes(bytes + "\x02\x07");
        TSampleForm g(nullptr);
        {
            TReader r(s, bufferSize);
            r.readRootComponent(&g);
            EXPECT_EQ(r.position(), static_cast<int64_t>(bytes.size()));
        }
        EXPECT_EQ(writeForm(g), bytes) << bufferSize;
        TReader after(s);
        EXPECT_EQ(after.readInteger(), 7);
    }
}

TEST(WriterTest, BinaryToTextToBinaryIsExact) {
    base::CodePage::setActive(1252);
    auto f = richForm();
    std::string bytes = writeForm(*f);
    std::string text = binaryToText(bytes);
    EXPECT_EQ(textToBinary(text), bytes) << text;
    // Bytes after the stream are not part of it.
    size_t consumed = 0;
    binaryToText(bytes + "tail", 0, &consumed);
    EXPECT_EQ(consumed, bytes.size());
}
