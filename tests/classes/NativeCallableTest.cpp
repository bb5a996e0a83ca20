// Native types and callables: what a C++ signature looks like to a binder, calls through
// the uniform entry point, TBits, and the death notices TObject gives a handle table.
#include "SampleClasses.h"

#include "classes/Errors.h"
#include "classes/NativeCallable.h"
#include "classes/TBits.h"

#include <gtest/gtest.h>

using namespace classes;

namespace {

struct Pair {
    int16_t A = 0;
    std::string B;
};

}  // namespace

template <>
struct classes::RecordFields<Pair> : classes::Fields<&Pair::A, &Pair::B> {};

namespace {

enum class Mode : uint8_t { Off, On };

TEST(NativeCallableTest, SignaturesDescribeEveryParameterKind) {
    auto f = NativeCallable::function(
        [](int8_t, uint32_t, bool, char, float, long double, std::string_view, const std::string&,
           std::string&, Mode, Set<Mode>, Pair, std::array<int, 4>, std::vector<std::string>, Variant,
           TStrings*, const TStringList&, TMethod) { return std::make_unique<TStringList>(); });
    const NativeSignature& s = f.signature();
    ASSERT_EQ(s.count, 18u);
    EXPECT_EQ(s.selfClass, nullptr);
    auto kind = [&](size_t i) { return s.params[i].type->kind; };
    EXPECT_EQ(kind(0), NativeKind::Int);
    EXPECT_EQ(s.params[0].type->size, 1);
    EXPECT_TRUE(s.params[0].type->isSigned);
    EXPECT_FALSE(s.params[1].type->isSigned);
    EXPECT_EQ(kind(2), NativeKind::Bool);
    EXPECT_EQ(kind(3), NativeKind::Char);
    EXPECT_EQ(s.params[5].type->size, sizeof(long double));
    EXPECT_EQ(kind(6), NativeKind::StringView);
    EXPECT_FALSE(s.params[7].byRef);  // const& is a value
    EXPECT_TRUE(s.params[8].byRef);   // & is a var parameter
    EXPECT_EQ(kind(9), NativeKind::Enum);
    EXPECT_EQ(kind(10), NativeKind::Set);
    EXPECT_EQ(s.params[10].type->elem->kind, NativeKind::Enum);
    EXPECT_EQ(kind(11), NativeKind::Record);
    ASSERT_EQ(s.params[11].type->fieldCount, 2u);
    EXPECT_EQ(s.params[11].type->fields[0].type->size, 2);
    EXPECT_EQ(kind(12), NativeKind::Array);
    EXPECT_EQ(s.params[12].type->length, 4u);
    EXPECT_EQ(kind(13), NativeKind::Vector);
    EXPECT_EQ(s.params[13].type->elem->kind, NativeKind::String);
    EXPECT_EQ(kind(14), NativeKind::Variant);
    EXPECT_EQ(&s.params[15].type->classInfo(), &TStrings::staticClass());
    EXPECT_FALSE(s.params[15].type->reference);
    EXPECT_TRUE(s.params[16].type->reference);  // the object itself, never nil
    EXPECT_FALSE(s.params[16].byRef);
    EXPECT_EQ(kind(17), NativeKind::Method);
    EXPECT_TRUE(s.result->owning);
    EXPECT_EQ(&s.result->classInfo(), &TStringList::staticClass());
}

TEST(NativeCallableTest, CallsPassObjectsByPointerAndWriteReferences) {
    auto f = NativeCallable::function([](int a, const std::string& s, int& out, Pair p) {
        out = a * 2;
        return p.B + s + std::to_string(p.A);
    });
    int a = 21, out = 0;
    std::string s = "x";
    Pair p{7, "p"};
    std::string result;
    void* args[] = {&a, &s, &out, &p};
    f.call(nullptr, args, &result);
    EXPECT_EQ(result, "px7");
    EXPECT_EQ(out, 42);

    // Methods: member function pointers (virtual ones dispatch), and callables taking the object.
    TStringList list;
    auto add = NativeCallable::method<TStringList>(&TStrings::add);
    EXPECT_EQ(&add.signature().selfClass(), &TStringList::staticClass());
    std::string_view item = "b";
    void* addArgs[] = {&item};
    int index = -1;
    add.call(&list, addArgs, &index);
    item = "a";
    list.setSorted(true);
    add.call(&list, addArgs, &index);
    EXPECT_EQ(index, 0);
    auto count = NativeCallable::method<TStrings>([](const TStrings& l) { return l.count(); });
    count.call(&list, nullptr, &index);
    EXPECT_EQ(index, 2);
    auto nilSafe = NativeCallable::method<TStrings>([](TStrings* l) { return l ? l->count() : -1; });
    EXPECT_TRUE(nilSafe.signature().selfNullable);
    nilSafe.call(nullptr, nullptr, &index);
    EXPECT_EQ(index, -1);

    auto make = NativeCallable::function([] { return std::make_unique<TStringList>(); });
    std::unique_ptr<TStringList> made;
    make.call(nullptr, nullptr, &made);
    EXPECT_NE(made, nullptr);
    auto throws = NativeCallable::function([] { throw EListError("boom"); });
    EXPECT_THROW(throws.call(nullptr, nullptr, nullptr), EListError);
}

TEST(TBitsTest, GrowsOnWriteAndChecksReads) {
    TBits b;
    EXPECT_EQ(b.openBit(), 0);
    b.setBit(130, true);
    EXPECT_EQ(b.size(), 131);
    EXPECT_TRUE(b.bit(130));
    EXPECT_FALSE(b.bit(129));
    for (int i = 0; i < 64; ++i) b.setBit(i, true);
    EXPECT_EQ(b.openBit(), 64);
    EXPECT_THROW(b.bit(131), EBitsError);
    EXPECT_THROW(b.setBit(-1, true), EBitsError);
    b.setSize(10);
    EXPECT_EQ(b.openBit(), 10);  // all ten set
    b.setSize(200);
    EXPECT_FALSE(b.bit(130));  // shrinking dropped it
}

// Records which objects die, as the script engine's handle table does.
std::vector<const TObject*> g_died;
void noteDeath(const TObject& o) {
    g_died.push_back(&o);
    o.setHandleSlot(0);
}

TEST(HandleHookTest, ObjectsWithAHandleReportTheirDeathOnceOwnersFirst) {
    TObject::setHandleHook(&noteDeath);
    g_died.clear();
    {
        auto* owner = new sample::TWidget(nullptr);
        auto* child = new sample::TWidget(owner);
        auto* quiet = new sample::TWidget(owner);  // no handle: never reported
        (void)quiet;
        owner->setHandleSlot(1);
        child->setHandleSlot(2);
        TStringList sub;
        sub.setHandleSlot(3);
        delete owner;  // deletes the child, which is released before its destructors run
        EXPECT_EQ(g_died, (std::vector<const TObject*>{child, owner}));
    }
    EXPECT_EQ(g_died.size(), 3u);  // and the list at the end of its scope
    TObject::setHandleHook(nullptr);
}

}  // namespace
