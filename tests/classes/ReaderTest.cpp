// Reading component streams from hand-made bytes: values, records, properties, errors,
// references, end-of-loading order and the logical position.
#include "SampleClasses.h"
#include "StreamBytes.h"

#include "base/CodePage.h"
#include "classes/Extended.h"
#include "classes/Streams.h"
#include "classes/TReader.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace classes;
using namespace sample;
using VT = ValueTag;

namespace {

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override { registerSampleClasses(); }

    // Reads `bytes` into a new form; errors offered to the handler are collected and
    // accepted when `accept` is set.
    std::unique_ptr<TSampleForm> read(const std::string& bytes, bool accept = true) {
        TMemoryStream stream;
        stream.setBytes(bytes);
        TReader reader(stream);
        reader.onError = [this, accept](const std::string& m) {
            errors.push_back(m);
            return accept;
        };
        auto form = std::make_unique<TSampleForm>(nullptr);
        reader.readRootComponent(form.get());
        return form;
    }

    std::string readError(const std::string& bytes, bool accept = false) {
        try {
            read(bytes, accept);
        } catch (const base::Error& e) {
            return e.what();
        }
        return "no error";
    }

    static Bytes form(std::string_view name = "Form1") { return Bytes().sig().record("TSampleForm", name); }

    std::vector<std::string> errors;
};

TReader* valueReader(TMemoryStream& stream, const std::string& bytes) {
    stream.setBytes(bytes);
    return new TReader(stream);
}

}  // namespace

TEST(ReaderValueTest, IntegersAreSignExtendedAndOtherTagsRejected) {
    TMemoryStream s;
    std::unique_ptr<TReader> r(
        valueReader(s, Bytes().i8(-11).i16(-300).i32(-70000).i64(int64_t{1} << 40).i8(5).s));
    EXPECT_EQ(r->readInteger(), -11);
    EXPECT_EQ(r->readInteger(), -300);
    EXPECT_EQ(r->readInteger(), -70000);
    EXPECT_EQ(r->readInt64(), int64_t{1} << 40);
    EXPECT_EQ(r->readInt64(), 5);  // an integer read as 64-bit
    std::unique_ptr<TReader> r2(valueReader(s, Bytes().string("x").s));
    try {
        r2->readInteger();
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Invalid property value");
    }
    EXPECT_EQ(r2->position(), 1);  // only the tag was consumed
}

TEST(ReaderValueTest, ReadAsTableForFloatsStringsBooleansAndIdents) {
    base::CodePage::setActive(1252);
    TMemoryStream s;
    Bytes b;
    b.i16(1000);              // float from an integer
    b.i8(3);                  // currency from an integer
    b.utf8("caf\xc3\xa9");    // string from UTF-8
    b.wstring(u"\u00e9x");    // string from WString
    b.string("\xe9");         // wide string from ANSI
    b.tag(VT::Int8).byte(1);  // boolean: not True -> false, only the tag consumed
    b.tag(VT::True);
    b.tag(VT::False).tag(VT::True).tag(VT::Nil).tag(VT::Null).ident("clRed");
    b.string("");    // empty char
    b.string("ab");  // too long for a char
    std::unique_ptr<TReader> r(valueReader(s, b.s));
    EXPECT_EQ(r->readFloat(), 1000.0L);
    EXPECT_EQ(r->readCurrency(), 30000);
    EXPECT_EQ(r->readString(), "caf\xe9");
    EXPECT_EQ(r->readString(), "\xe9x");
    EXPECT_EQ(r->readWideString(), u"\u00e9");
    EXPECT_FALSE(r->readBoolean());
    EXPECT_EQ(r->readByte(), 1);  // the Int8 payload is still there
    EXPECT_TRUE(r->readBoolean());
    EXPECT_EQ(r->readIdent(), "False");
    EXPECT_EQ(r->readIdent(), "True");
    EXPECT_EQ(r->readIdent(), "nil");
    EXPECT_EQ(r->readIdent(), "Null");
    EXPECT_EQ(r->readIdent(), "clRed");
    EXPECT_EQ(r->readChar(), '\0');
    EXPECT_THROW(r->readChar(), EReadError);
}

TEST(ReaderValueTest, ExtendedConvertsExactlyBothWays) {
    const long double samples[] = {1.0L, -2.5L, 1.0L / 3.0L, 0.1L, 1e-4940L, 1.18973149535723176502e+4932L,
                                   0.0L, -0.0L};
    for (long double v : samples) {
        Extended80 e = longDoubleToExtended(v);
        long double back = extendedToLongDouble(e);
        EXPECT_EQ(std::memcmp(&back, &v, 10), 0) << static_cast<double>(v);
        EXPECT_EQ(extendedToLongDoubleArithmetic(e), v);
        EXPECT_EQ(longDoubleToExtendedArithmetic(v), e);
    }
    // 1.0 is 3FFF 8000000000000000.
    Extended80 one = longDoubleToExtended(1.0L);
    const Extended80 expected = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
    EXPECT_EQ(one, expected);
    EXPECT_TRUE(std::isinf(extendedToLongDoubleArithmetic({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F})));
    EXPECT_TRUE(std::isnan(extendedToLongDoubleArithmetic({0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F})));

    TMemoryStream s;
    Bytes b;
    b.tag(VT::Extended).raw(std::string(reinterpret_cast<const char*>(one.data()), 10));
    std::unique_ptr<TReader> r(valueReader(s, b.s));
    EXPECT_EQ(r->readFloat(), 1.0L);
}

TEST(ReaderValueTest, SkipValueConsumesExactlyOneValueOfEveryTag) {
    Bytes b;
    b.tag(VT::List).i8(1).tag(VT::List).string("x").end().end();
    b.tag(VT::Extended).raw(std::string(10, '\0'));
    b.tag(VT::Set).str("a").str("b").end();
    b.tag(VT::Collection).i8(0).tag(VT::List).prop("A").i8(1).end().tag(VT::List).end().end();
    b.wstring(u"ab").utf8("xyz").lstring("long").binary("bin").i64(1);
    b.tag(VT::Single).raw("abcd").tag(VT::Currency).raw("12345678").tag(VT::Date).raw("12345678");
    b.tag(VT::Nil).tag(VT::Null).tag(VT::False).tag(VT::True).ident("id");
    b.i8(42);
    TMemoryStream s;
    std::unique_ptr<TReader> r(valueReader(s, b.s));
    for (int i = 0; i < 17; ++i) r->skipValue();
    EXPECT_EQ(r->readInteger(), 42);
    EXPECT_EQ(r->position(), static_cast<int64_t>(b.s.size()));

    std::unique_ptr<TReader> bad(valueReader(s, Bytes().byte(99).s));
    try {
        bad->skipValue();
        FAIL();
    } catch (const EInvalidStream& e) {
        EXPECT_STREQ(e.what(), "Invalid stream format");
    }
}

TEST(ReaderValueTest, LyingLengthsEndInReadErrorWithoutHugeAllocations) {
    Bytes b;
    b.tag(VT::Binary).raw("\xff\xff\xff\x7f").raw("abc");
    TMemoryStream s;
    std::unique_ptr<TReader> r(valueReader(s, b.s));
    try {
        r->readBinary();
        FAIL();
    } catch (const EStreamTruncated& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    Bytes w;
    w.tag(VT::WString).raw("\xff\xff\xff\xff");
    std::unique_ptr<TReader> r2(valueReader(s, w.s));
    EXPECT_THROW(r2->skipValue(), EStreamTruncated);
}

TEST_F(ReaderTest, SampleLikeFormWithEveryPropertyKind) {
    base::CodePage::setActive(1252);
    Bytes b = form();
    b.prop("Left").i8(102).prop("Top").i8(51);
    b.prop("Caption").utf8(
        "Gr\xc3\xbc\xc3\x9f"
        "e");
    b.prop("Color").ident("clBtnFace");
    b.prop("Font.Charset").ident("DEFAULT_CHARSET");
    b.prop("Font.Color").ident("clWindowText");
    b.prop("Font.Height").i8(-11);
    b.prop("Font.Name").string("Arial");
    b.prop("Font.Style").tag(VT::Set).end();
    b.prop("Visible").tag(VT::False);
    b.prop("Align").ident("alClient");
    b.prop("Cursor").ident("crHandPoint");
    b.prop("Ratio").i16(300);
    b.prop("Scale").tag(VT::Single).raw(std::string("\x00\x00\xc0\x3f", 4));                    // 1.5f
    b.prop("Price").tag(VT::Currency).raw(std::string("\x50\xc3\x00\x00\x00\x00\x00\x00", 8));  // 5.0
    b.prop("Hint").wstring(u"\u20ac");
    b.prop("Data").tag(VT::List).i8(1).string("two").end();
    b.prop("Big").i64(int64_t{1} << 40);
    b.prop("Accel").string("A");
    b.prop("OnClick").tag(VT::Nil);
    b.prop("Lines.Strings").tag(VT::List).string("a").lstring("b").end();
    b.prop("PictureData").binary(std::string("\x05TIcon\x00\x00\x01\x00", 10));
    b.end();
    b.end();
    auto f = read(b.s);
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_EQ(f->name(), "Form1");
    EXPECT_EQ(f->left(), 102);
    EXPECT_EQ(f->caption(),
              "Gr\xfc\xdf"
              "e");
    EXPECT_EQ(static_cast<uint32_t>(f->color()), 0x8000000Fu);
    EXPECT_EQ(f->font()->charset(), 1);
    EXPECT_EQ(f->font()->height(), -11);
    EXPECT_EQ(f->font()->name(), "Arial");
    EXPECT_EQ(f->font()->style(), 0u);
    EXPECT_FALSE(f->visible());
    EXPECT_EQ(f->align(), TAlign::alClient);
    EXPECT_EQ(f->cursor(), -21);
    EXPECT_EQ(f->ratio(), 300.0L);
    EXPECT_EQ(f->scale(), 1.5f);
    EXPECT_EQ(f->price(), 5.0L);
    EXPECT_EQ(f->hint(), u"\u20ac");
    ASSERT_EQ(f->data().type(), Variant::Type::Array);
    EXPECT_EQ(f->data().items()[1].asString(), "two");
    EXPECT_EQ(f->big(), int64_t{1} << 40);
    EXPECT_EQ(f->accel(), 'A');
    EXPECT_FALSE(f->onClick());
    EXPECT_EQ(f->lines()->text(), "a\r\nb\r\n");
    EXPECT_EQ(f->picture, std::string("\x05TIcon\x00\x00\x01\x00", 10));
    EXPECT_EQ(f->loadedCalls, 1);
}

TEST_F(ReaderTest, EmptyListsEmptyNamesChildrenAndParents) {
    Bytes b = form();
    b.end();                              // no properties
    b.record("TWidget", "").end().end();  // empty name, two 0 bytes right after the name
    b.record("TWidget", "Panel1").prop("Width").i8(10);
    b.end();
    b.record("TWidget", "Button1").end().end();
    b.end();
    b.end();
    auto f = read(b.s);
    ASSERT_EQ(f->componentCount(), 3);
    EXPECT_EQ(f->component(0)->name(), "");
    auto* panel = dynamic_cast<TWidget*>(f->findComponent("Panel1"));
    auto* button = dynamic_cast<TWidget*>(f->findComponent("button1"));
    ASSERT_TRUE(panel && button);
    EXPECT_EQ(button->owner(), f.get());       // owned by the root ...
    EXPECT_EQ(button->parentWidget(), panel);  // ... parented by the record around it
    EXPECT_EQ(panel->width(), 10);
}

TEST_F(ReaderTest, CollectionsWithAndWithoutIndex) {
    Bytes b = form();
    b.prop("Items").tag(VT::Collection);
    b.i8(0).tag(VT::List).prop("Caption").string("first").end();
    b.tag(VT::List).prop("Caption").string("second").prop("Width").i16(300).end();
    b.i32(7).tag(VT::List).end();
    b.end();
    b.end().end();
    auto f = read(b.s);
    ASSERT_EQ(f->items()->count(), 3);
    auto* second = dynamic_cast<TItem*>(f->items()->item(1));
    EXPECT_EQ(dynamic_cast<TItem*>(f->items()->item(0))->caption(), "first");
    EXPECT_EQ(second->caption(), "second");
    EXPECT_EQ(second->width(), 300);
    EXPECT_EQ(dynamic_cast<TItem*>(f->items()->item(2))->width(), 50);
}

TEST_F(ReaderTest, UnknownPropertyWithNestedValuesIsSkippedExactly) {
    Bytes b = form();
    b.prop("Mystery")
        .tag(VT::List)
        .tag(VT::Collection)
        .tag(VT::List)
        .prop("X")
        .tag(VT::List)
        .i8(1)
        .end()
        .end()
        .end()
        .binary("zz")
        .end();
    b.prop("Caption").string("after");
    b.end().end();
    auto f = read(b.s);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Error reading Form1.Mystery: Property Mystery does not exist");
    EXPECT_EQ(f->caption(), "after");
}

TEST_F(ReaderTest, ErrorTextsAndWrapping) {
    auto one = [&](Bytes props) {
        errors.clear();
        Bytes b = form();
        b.raw(props.s).prop("Caption").string("ok").end().end();
        auto f = read(b.s);
        EXPECT_EQ(f->caption(), "ok");  // reading went on after the skipped value
        return errors.empty() ? std::string("no error") : errors[0];
    };
    EXPECT_EQ(one(Bytes().prop("Color").ident("clNoSuch")),
              "Error reading Form1.Color: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Left").string("12")), "Error reading Form1.Left: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Fixed").i8(1)), "Error reading Form1.Fixed: Property is read-only");
    EXPECT_EQ(one(Bytes().prop("Caption.Length").i8(1)),
              "Error reading Form1.Caption.Length: Invalid property path");
    EXPECT_EQ(one(Bytes().prop("Nope.Name").string("x")),
              "Error reading Form1.Nope.Name: Property Nope does not exist");
    EXPECT_EQ(
        one(Bytes().prop("Font.Style").tag(VT::Set).str("fsBold").str("fsWobbly").str("fsItalic").end()),
        "Error reading Form1.Font.Style: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("OnClick").ident("NoSuchMethod")),
              "Error reading Form1.OnClick: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Align").ident("alMiddle")),
              "Error reading Form1.Align: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Accel").string("AB")), "Error reading Form1.Accel: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Font").tag(VT::Nil)),
              "Error reading Form1.Font: Cannot assign a nil to a TFont");
    // A reference is checked when it is resolved, after the whole stream: the handler hears then.
    EXPECT_EQ(one(Bytes().prop("Font").ident("Form1")), "Error reading Form1.Font: Invalid property value");
    EXPECT_EQ(one(Bytes().prop("Items").i8(1)), "Error reading Form1.Items: Property is read-only");

    // A component without a name is named by its class.
    errors.clear();
    Bytes b = form();
    b.end().record("TWidget", "").prop("Bogus").i8(1).end().end().end();
    read(b.s);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Error reading TWidget.Bogus: Property Bogus does not exist");
}

TEST_F(ReaderTest, UnhandledErrorPropagatesOnce) {
    Bytes b = form();
    b.prop("Items").tag(VT::Collection).tag(VT::List).prop("Bogus").i8(1).end().end();
    b.end().end();
    EXPECT_EQ(readError(b.s, false), "Error reading Form1.Bogus: Property Bogus does not exist");
    EXPECT_EQ(errors.size(), 1u);  // asked once, not again by the enclosing property
}

TEST_F(ReaderTest, ErrorsInsideDefinedPropertiesAreNotRecoverable) {
    Bytes b = form();
    b.prop("Lines.Strings").tag(VT::List).string("a").i8(3).end();
    b.end().end();
    EXPECT_EQ(readError(b.s, true), "Error reading Form1.Lines.Strings: Invalid property value");
    EXPECT_TRUE(errors.empty());
}

TEST_F(ReaderTest, EventsBindToPublishedMethodsOfTheRoot) {
    Bytes b = form();
    b.prop("OnClick").ident("button1click").end().end();
    auto f = read(b.s);
    ASSERT_TRUE(f->onClick());
    f->onClick()({EventArg{static_cast<TObject*>(f.get())}});
    EXPECT_EQ(f->clicks, 1);
}

TEST_F(ReaderTest, MissingClassSkipsTheRecordWithItsChildren) {
    Bytes b = form();
    b.end();
    b.record("TUnknownThing", "X1").prop("Width").tag(VT::List).i8(1).end().end();
    b.record("TWidget", "Inner").prop("Left").i8(1).end().end();  // child of the missing one
    b.end();
    b.record("TBroken", "B1").end().end();
    b.record("TWidget", "After").end().end();
    b.end();
    auto f = read(b.s);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "Class TUnknownThing not found");
    EXPECT_EQ(errors[1], "constructor failed");
    ASSERT_EQ(f->componentCount(), 1);
    EXPECT_EQ(f->component(0)->name(), "After");

    EXPECT_EQ(readError(b.s, false), "Class TUnknownThing not found");
}

TEST_F(ReaderTest, ClassResolverAndCreationHook) {
    Bytes b = form();
    b.end().record("TOldWidget", "W").end().end().end();
    TMemoryStream s;
    s.setBytes(b.s);
    TReader reader(s);
    std::vector<std::string> asked;
    reader.onFindComponentClass = [&](std::string_view name, const ClassInfo* found) {
        asked.emplace_back(name);
        EXPECT_EQ(found, nullptr);
        return &TWidget::staticClass();
    };
    int hooked = 0;
    reader.onCreateComponent = [&](const ClassInfo&, TComponent*) -> TComponent* {
        ++hooked;
        return nullptr;
    };
    TSampleForm f(nullptr);
    reader.readRootComponent(&f);
    EXPECT_EQ(asked, std::vector<std::string>{"TOldWidget"});
    EXPECT_EQ(hooked, 1);
    ASSERT_NE(dynamic_cast<TWidget*>(f.findComponent("W")), nullptr);
}

TEST_F(ReaderTest, ReferencesAreResolvedAfterReading) {
    Bytes b = form();
    b.prop("Buddy").ident("Later");
    b.end();
    b.record("TWidget", "Early").prop("Buddy").ident("Missing").end().end();
    b.record("TWidget", "Later").prop("Buddy").ident("Form1").end().end();
    b.end();
    auto f = read(b.s);
    EXPECT_TRUE(errors.empty());
    auto* later = dynamic_cast<TWidget*>(f->findComponent("Later"));
    EXPECT_EQ(f->buddy(), later);
    EXPECT_EQ(dynamic_cast<TWidget*>(f->findComponent("Early"))->buddy(), nullptr);  // no dot: nil, no error
    EXPECT_EQ(later->buddy(), f.get());
}

TEST_F(ReaderTest, DottedReferencesWaitForTheirRoot) {
    int before = pendingFixupCount();
    Bytes b = form("Main");
    b.prop("Buddy").ident("Other.Thing").end().end();
    auto f = read(b.s);
    EXPECT_EQ(f->buddy(), nullptr);
    EXPECT_EQ(pendingFixupCount(), before + 1);

    TSampleForm other(nullptr);
    other.setName("Other");
    addGlobalComponent(&other);
    auto* thing = new TWidget(&other);
    thing->setName("Thing");
    resolvePendingFixups();
    EXPECT_EQ(f->buddy(), thing);
    EXPECT_EQ(pendingFixupCount(), before);

    // A parked reference whose holder is destroyed is dropped, not resolved into freed memory.
    Bytes b2 = form("Main2");
    b2.prop("Buddy").ident("Nowhere.Thing");
    b2.prop("Items").tag(VT::Collection).tag(VT::List).prop("Link").ident("Other2.Thing").end().end();
    b2.end().end();
    auto f2 = read(b2.s);
    EXPECT_EQ(pendingFixupCount(), before + 2);
    f2->items()->clear();
    EXPECT_EQ(pendingFixupCount(), before + 1);
    f2.reset();
    EXPECT_EQ(pendingFixupCount(), before);
}

TEST_F(ReaderTest, LoadedRunsOnceInCreationOrderWithTheRootFirst) {
    std::vector<std::string> log;
    TWidget::loadedLog = &log;
    Bytes b = form();
    b.end();
    b.record("TWidget", "A").end().record("TWidget", "A1").end().end().end();
    b.record("TWidget", "B").end().end();
    b.end();
    auto f = read(b.s);
    TWidget::loadedLog = nullptr;
    EXPECT_EQ(log, (std::vector<std::string>{"Form1", "A", "A1", "B"}));
    EXPECT_FALSE(f->hasState(ComponentState::Loading));
}

TEST_F(ReaderTest, RootNameIsMadeUniqueAmongRoots) {
    TSampleForm existing(nullptr);
    existing.setName("Dialog");
    addGlobalComponent(&existing);
    TSampleForm existing1(nullptr);
    existing1.setName("Dialog_1");
    addGlobalComponent(&existing1);
    auto f = read(form("Dialog").end().end().s);
    EXPECT_EQ(f->name(), "Dialog_2");
}

TEST_F(ReaderTest, ChildPositionFlagAndDesignPosition) {
    Bytes b = form();
    b.end();
    b.record("TWidget", "A").end().end();
    b.byte(0xF2).i8(0).record("TWidget", "B").end().end();
    b.record("TComponent", "NonVisual").prop("Left").i16(200).prop("Top").i8(8).end().end();
    b.end();
    auto f = read(b.s);
    ASSERT_EQ(f->children().size(), 2u);
    EXPECT_EQ(f->children()[0]->name(), "B");
    TComponent* nv = f->findComponent("NonVisual");
    ASSERT_NE(nv, nullptr);
    EXPECT_EQ(nv->designLeft(), 200);
    EXPECT_EQ(nv->designTop(), 8);
}

TEST_F(ReaderTest, InheritedRecordFillsTheExistingComponent) {
    Bytes b = form();
    b.end();
    b.byte(0xF1).record("TWidget", "Existing").prop("Caption").string("filled").end().end();
    b.byte(0xF1).record("TWidget", "Absent").end().end();
    b.end();
    TMemoryStream s;
    s.setBytes(b.s);
    TReader reader(s);
    reader.onError = [&](const std::string& m) {
        errors.push_back(m);
        return true;
    };
    TSampleForm f(nullptr);
    auto* existing = new TWidget(&f);
    existing->setName("Existing");
    reader.readRootComponent(&f);
    EXPECT_EQ(existing->caption(), "filled");
    EXPECT_EQ(f.componentCount(), 1);
    EXPECT_EQ(errors, std::vector<std::string>{"Ancestor for 'Absent' not found"});
}

TEST_F(ReaderTest, TwoStreamsBackToBackFollowTheLogicalPosition) {
    Bytes b = form("First");
    b.prop("Caption").string("one").end().end();
    const size_t firstLength = b.s.size();
    b.i8(99);  // a value between the two streams, as project files have
    b.raw(form("Second").prop("Caption").string("two").end().end().s);
    TMemoryStream s;
    s.setBytes(b.s);
    TSampleForm first(nullptr), second(nullptr);
    {
        TReader r(s);
        r.readRootComponent(&first);
        EXPECT_EQ(r.position(), static_cast<int64_t>(firstLength));
        EXPECT_EQ(r.readInteger(), 99);
    }  // the destructor seeks the stream back to the logical position
    EXPECT_EQ(s.position(), static_cast<int64_t>(firstLength + 2));
    TReader r2(s);
    r2.readRootComponent(&second);
    EXPECT_EQ(first.caption(), "one");
    EXPECT_EQ(second.caption(), "two");
}

TEST_F(ReaderTest, MalformedStreamsFailCleanly) {
    EXPECT_EQ(readError("TPF1"), "Invalid stream format");
    EXPECT_EQ(readError("TP"), "Stream read error");
    Bytes good = form();
    good.prop("Caption").string("x").prop("Items").tag(VT::Collection).tag(VT::List).end().end();
    good.end().record("TWidget", "W").prop("Left").i32(5).end().end().end();
    for (size_t n = 4; n < good.s.size(); ++n) {
        EXPECT_EQ(readError(good.s.substr(0, n), true), "Stream read error") << n;
    }
    // Nesting thousands deep is refused instead of exhausting the stack.
    Bytes deep = form().end();
    for (int i = 0; i < 5000; ++i) deep.record("TWidget", "").end();
    EXPECT_EQ(readError(deep.s, true), "Invalid stream format");
    Bytes deepList = form().prop("Mystery");
    for (int i = 0; i < 5000; ++i) deepList.tag(VT::List);
    EXPECT_EQ(readError(deepList.s, true), "Invalid stream format");
}

TEST_F(ReaderTest, ReadsANewRootOfTheStreamsClass) {
    TMemoryStream s;
    s.setBytes(form("Fresh").prop("Caption").string("new").end().end().s);
    TReader r(s);
    std::unique_ptr<TComponent> root(r.readRootComponent(nullptr));
    auto* f = dynamic_cast<TSampleForm*>(root.get());
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->caption(), "new");
}
