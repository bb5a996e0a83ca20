// The registry routines of the script library over a private store: string routines,
// typed reads and writes by variant type, key deletes and their refusals.
#include "library/Registry.h"

#include <gtest/gtest.h>

#include <memory>

#include "classes/PropValue.h"
#include "classes/TStrings.h"
#include "platform/Registry.h"

using classes::Variant;
using VarType = classes::Variant::Type;
using platform::RegistryRoot;
using platform::RegistryValue;
using platform::RegType;

namespace {

constexpr int32_t HKCR = static_cast<int32_t>(0x80000000u);
constexpr int32_t HKCU = static_cast<int32_t>(0x80000001u);
constexpr int32_t HKLM = static_cast<int32_t>(0x80000002u);
constexpr int32_t HKEY_PERFORMANCE_DATA = static_cast<int32_t>(0x80000004u);
constexpr const char* kKey = "Software\\LibTest";

class LibraryRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { platform::setRegistry(platform::RegistryStore::openInMemory()); }
    platform::RegistryStore& store() { return platform::registry(); }
    std::string names(classes::TStrings* list) {
        std::string out;
        for (int i = 0; i < list->count(); ++i) out += list->get(i) + ";";
        return out;
    }
};

TEST_F(LibraryRegistryTest, StringQueriesReadStringTypesAndLeaveTheResultAloneWhenMissing) {
    ASSERT_TRUE(library::regWriteStringValue(HKCU, kKey, "Name", "Vantrel"));
    store().setValue(RegistryRoot::CurrentUser, kKey, "Path",
                     RegistryValue::string("%SRC%", RegType::ExpandString));
    ASSERT_TRUE(library::regWriteDWordValue(HKCU, kKey, "Count", 3));
    std::string result = "untouched";
    EXPECT_TRUE(library::regQueryStringValue(HKCU, "software\\libtest", "NAME", result));
    EXPECT_EQ(result, "Vantrel");
    EXPECT_TRUE(library::regQueryStringValue(HKCU, kKey, "Path", result));
    EXPECT_EQ(result, "%SRC%");  // taken as stored, not expanded
    result = "untouched";
    EXPECT_TRUE(library::regQueryStringValue(HKCU, kKey, "Missing", result));
    EXPECT_FALSE(library::regQueryStringValue(HKCU, "Software\\NoSuchKey", "Name", result));
    EXPECT_FALSE(library::regQueryStringValue(HKCU, kKey, "Count", result));
    EXPECT_EQ(result, "untouched");
}

TEST_F(LibraryRegistryTest, MultiStringsKeepTheirZeroSeparatorsAndEmptyDataReadsAsEmptyText) {
    const std::string list("one\0two\0", 8);
    ASSERT_TRUE(library::regWriteMultiStringValue(HKCU, kKey, "List", list));
    EXPECT_EQ(store().value(RegistryRoot::CurrentUser, kKey, "List")->data, list + '\0');
    std::string result;
    EXPECT_TRUE(library::regQueryMultiStringValue(HKCU, kKey, "List", result));
    EXPECT_EQ(result, list);
    // A multi-string value with no data at all (as an import can write it) gives empty
    // text instead of running off the start of the data.
    store().setValue(RegistryRoot::CurrentUser, kKey, "Empty",
                     RegistryValue::binary("", RegType::MultiString));
    result = "x";
    EXPECT_TRUE(library::regQueryMultiStringValue(HKCU, kKey, "Empty", result));
    EXPECT_EQ(result, "");
    library::regWriteStringValue(HKCU, kKey, "Plain", "abc");
    EXPECT_TRUE(library::regQueryMultiStringValue(HKCU, kKey, "Plain", result));
    EXPECT_EQ(result, "abc");
    library::regWriteBinaryValue(HKCU, kKey, "Bin", std::string("\0\x01", 2));
    EXPECT_FALSE(library::regQueryMultiStringValue(HKCU, kKey, "Bin", result));
    EXPECT_EQ(store().value(RegistryRoot::CurrentUser, kKey, "Bin")->data, std::string("\0\x01", 2));
}

TEST_F(LibraryRegistryTest, ExistenceNamesAndValueDeletes) {
    EXPECT_TRUE(library::regValueExists(HKCU, "Software", ""));
    EXPECT_FALSE(library::regValueExists(HKCU, kKey, ""));
    library::regWriteDWordValue(HKCU, kKey, "b", 1);
    library::regWriteDWordValue(HKCU, kKey, "a", 2);
    library::regWriteDWordValue(HKCU, std::string(kKey) + "\\Zed", "x", 1);
    library::regWriteDWordValue(HKCU, std::string(kKey) + "\\alpha", "x", 1);
    EXPECT_TRUE(library::regValueExists(HKCU, kKey, "A"));
    EXPECT_FALSE(library::regValueExists(HKCU, kKey, "c"));

    classes::TStrings* list = nullptr;
    ASSERT_TRUE(library::regGetSubkeyNames(HKCU, kKey, list));
    std::unique_ptr<classes::TStrings> owned(list);
    EXPECT_EQ(names(list), "alpha;Zed;");
    ASSERT_TRUE(library::regGetValueNames(HKCU, kKey, list));
    EXPECT_EQ(list, owned.get());  // the script's list is filled, not replaced
    EXPECT_EQ(names(list), "b;a;");
    EXPECT_TRUE(library::regGetValueNames(HKCU, "Software\\Nowhere", list));
    EXPECT_EQ(list->count(), 0);

    EXPECT_TRUE(library::regDeleteValue(HKCU, kKey, "B"));
    EXPECT_FALSE(library::regDeleteValue(HKCU, kKey, "b"));
    EXPECT_FALSE(library::regDeleteValue(HKCU, "Software\\Nowhere", "b"));
}

TEST_F(LibraryRegistryTest, KeyDeletesRefuseTheRootAndNonEmptyKeys) {
    library::regWriteStringValue(HKCU, "Software\\Tree\\A\\B", "v", "1");
    library::regWriteStringValue(HKCU, "Software\\Tree\\C", "v", "1");
    library::regWriteStringValue(HKCU, "Software\\TreeSibling", "v", "1");
    // A key with one value stays.
    EXPECT_FALSE(library::regDeleteKeyIfEmpty(HKCU, "Software\\Tree\\C"));
    EXPECT_TRUE(library::regValueExists(HKCU, "Software\\Tree\\C", ""));
    library::regDeleteValue(HKCU, "Software\\Tree\\C", "v");
    EXPECT_TRUE(library::regDeleteKeyIfEmpty(HKCU, "Software\\Tree\\C"));
    EXPECT_FALSE(library::regDeleteKeyIfEmpty(HKCU, "Software\\Tree"));  // has a sub-key
    EXPECT_FALSE(library::regDeleteKeyIfEmpty(HKCU, ""));

    // An empty name or a lone backslash would name the hive itself: refused.
    EXPECT_FALSE(library::regDeleteKeyIncludingSubkeys(HKCU, ""));
    EXPECT_FALSE(library::regDeleteKeyIncludingSubkeys(HKCU, "\\"));
    EXPECT_TRUE(library::regValueExists(HKCU, "Software\\Tree\\A\\B", "v"));
    EXPECT_TRUE(library::regDeleteKeyIncludingSubkeys(HKCU, "Software\\Tree"));
    EXPECT_FALSE(library::regValueExists(HKCU, "Software\\Tree", ""));
    EXPECT_TRUE(library::regValueExists(HKCU, "Software\\TreeSibling", "v"));
    EXPECT_FALSE(library::regDeleteKeyIncludingSubkeys(HKCU, "Software\\Tree"));
}

TEST_F(LibraryRegistryTest, RootsThatHoldNothingFailEveryRoutine) {
    std::string result = "same";
    classes::TStrings* list = nullptr;
    EXPECT_FALSE(library::regWriteStringValue(HKEY_PERFORMANCE_DATA, kKey, "v", "x"));
    EXPECT_FALSE(library::regWriteDWordValue(12345, kKey, "v", 1));
    EXPECT_FALSE(library::regQueryStringValue(HKEY_PERFORMANCE_DATA, kKey, "v", result));
    EXPECT_FALSE(library::regValueExists(HKEY_PERFORMANCE_DATA, "", ""));
    EXPECT_TRUE(library::regGetSubkeyNames(HKEY_PERFORMANCE_DATA, "", list));
    std::unique_ptr<classes::TStrings> owned(list);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(library::readFromRegistry(HKEY_PERFORMANCE_DATA, kKey, "v", Variant::integer(9)),
              Variant::integer(9));
    EXPECT_EQ(result, "same");
    // HKCR writes land in the machine's classes.
    EXPECT_TRUE(library::regWriteStringValue(HKCR, ".zep", "", "VantrelProject"));
    EXPECT_TRUE(library::regQueryStringValue(HKLM, "Software\\Classes\\.zep", "", result));
    EXPECT_EQ(result, "VantrelProject");
}

TEST_F(LibraryRegistryTest, TypedWritesStoreEachVariantTypeAsTheTableSays) {
    struct Case {
        Variant value;
        RegistryValue stored;
        Variant readBack;
    } cases[] = {
        {Variant::integer(-2), RegistryValue::dword(0xFFFFFFFEu), Variant::integer(-2)},
        // 64-bit integers keep only their low 32 bits: a DWORD is all the value holds.
        {Variant::int64(0x100000005), RegistryValue::dword(5), Variant::int64(5)},
        {Variant::int64(-7), RegistryValue::dword(0xFFFFFFF9u), Variant::int64(-7)},
        {Variant::boolean(true), RegistryValue::dword(1), Variant::boolean(true)},
        {Variant::floating(1.5, VarType::Double),
         RegistryValue::binary(std::string("\0\0\0\0\0\0\xf8\x3f", 8)),
         Variant::floating(1.5, VarType::Double)},
        {Variant::floating(0.5, VarType::Single),
         RegistryValue::binary(std::string("\0\0\0\0\0\0\xe0\x3f", 8)),
         Variant::floating(0.5, VarType::Single)},
        {Variant::floating(0.25, VarType::Extended),
         RegistryValue::binary(std::string("\0\0\0\0\0\0\xd0\x3f", 8)),
         Variant::floating(0.25, VarType::Extended)},
        {Variant::floating(2.0, VarType::Date), RegistryValue::binary(std::string("\0\0\0\0\0\0\0\x40", 8)),
         Variant::floating(2.0, VarType::Date)},
        {Variant::currency(12345), RegistryValue::binary(std::string("\x39\x30\0\0\0\0\0\0", 8)),
         Variant::currency(12345)},
        {Variant::string("text"), RegistryValue::string("text"), Variant::string("text")},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string name = std::string("v").append(std::to_string(i++));
        library::writeToRegistry(HKCU, kKey, name, c.value);
        auto stored = store().value(RegistryRoot::CurrentUser, kKey, name);
        ASSERT_TRUE(stored) << name;
        EXPECT_EQ(*stored, c.stored) << name;
        // Read back with a default of the same type, which the stored type matches.
        Variant like = c.value.type() == VarType::String ? Variant::string("") : c.value;
        EXPECT_EQ(library::readFromRegistry(HKCU, kKey, name, like), c.readBack) << name;
    }
    for (const Variant& other : {Variant(), Variant::null(), Variant::wideString(u"w"), Variant::array({})}) {
        library::writeToRegistry(HKCU, kKey, "other", other);
        EXPECT_FALSE(library::regValueExists(HKCU, kKey, "other"));
    }
}

TEST_F(LibraryRegistryTest, TypedReadsGiveTheDefaultUnlessTheStoredTypeMatches) {
    library::regWriteDWordValue(HKCU, kKey, "Dw", 300);
    library::regWriteStringValue(HKCU, kKey, "Str", "12");
    library::regWriteBinaryValue(HKCU, kKey, "Short", "1234567");  // not 8 bytes
    library::regWriteBinaryValue(HKCU, kKey, "Eight", std::string("\0\0\0\0\0\0\xf0\x3f", 8));
    library::regWriteDWordValue(HKCU, kKey, "Flag", 7);
    library::regWriteDWordValue(HKCU, kKey, "Neg", 0xFFFFFFFFu);
    auto read = [&](const char* name, const Variant& def) {
        return library::readFromRegistry(HKCU, kKey, name, def);
    };
    const Variant half = Variant::floating(0.5, VarType::Double);
    EXPECT_EQ(read("Dw", Variant::integer(1)), Variant::integer(300));
    EXPECT_EQ(read("Dw", Variant::string("d")), Variant::string("d"));
    EXPECT_EQ(read("Dw", half), half);
    EXPECT_EQ(read("Str", Variant::integer(0)), Variant::integer(0));
    EXPECT_EQ(read("Str", Variant::string("")), Variant::string("12"));
    EXPECT_EQ(read("Short", half), half);
    EXPECT_EQ(read("Eight", half), Variant::floating(1.0, VarType::Double));
    EXPECT_EQ(read("Eight", Variant::currency(1)), Variant::currency(int64_t(0x3ff0000000000000)));
    EXPECT_EQ(read("Eight", Variant::boolean(false)), Variant::boolean(false));
    EXPECT_EQ(read("Flag", Variant::boolean(false)), Variant::boolean(true));
    EXPECT_EQ(read("Neg", Variant::integer(0)), Variant::integer(-1));
    EXPECT_EQ(read("Neg", Variant::int64(0)), Variant::int64(-1));
    EXPECT_EQ(read("Missing", Variant::string("d")), Variant::string("d"));
    EXPECT_EQ(read("Dw", Variant::null()), Variant::null());
    EXPECT_EQ(read("Dw", Variant()), Variant());

    // Reading creates the key it looks in.
    EXPECT_EQ(library::readFromRegistry(HKCU, "Software\\Created\\ByRead", "x", Variant::integer(4)),
              Variant::integer(4));
    EXPECT_TRUE(library::regValueExists(HKCU, "Software\\Created\\ByRead", ""));
}

}  // namespace
