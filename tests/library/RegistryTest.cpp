// The registry routines of the script library over a private store: string routines,
// typed reads and writes by variant type, key deletes and their refusals.
#include "library/Registry.h"

#include <gtest/gtest.h>

#include <memory>

#include "base/Variant.h"
#include "classes/TStrings.h"
#include "platform/Registry.h"

using base::Variant;
using base::VarType;
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
    EXPECT_EQ(library::readFromRegistry(HKEY_PERFORMANCE_DATA, kKey, "v", Variant::ofInteger(9)),
              Variant::ofInteger(9));
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
    } cases[] = {
        {Variant::ofInteger(-2), RegistryValue::dword(0xFFFFFFFEu)},
        {Variant::ofInteger(200, VarType::Byte), RegistryValue::dword(200)},
        {Variant::ofInteger(0xFFFFFFFF, VarType::LongWord), RegistryValue::dword(0xFFFFFFFFu)},
        // 64-bit integers keep only their low 32 bits, as the 32-bit original stored them.
        {Variant::ofInteger(0x100000005, VarType::Int64), RegistryValue::dword(5)},
        {Variant::ofBoolean(true), RegistryValue::dword(1)},
        {Variant::ofReal(1.5), RegistryValue::binary(std::string("\0\0\0\0\0\0\xf8\x3f", 8))},
        {Variant::ofReal(0.5, VarType::Single),
         RegistryValue::binary(std::string("\0\0\0\0\0\0\xe0\x3f", 8))},
        {Variant::ofReal(2.0, VarType::Date), RegistryValue::binary(std::string("\0\0\0\0\0\0\0\x40", 8))},
        {Variant::ofCurrency(12345), RegistryValue::binary(std::string("\x39\x30\0\0\0\0\0\0", 8))},
        {Variant::ofString("text"), RegistryValue::string("text")},
    };
    int i = 0;
    for (const Case& c : cases) {
        std::string name = std::string("v").append(std::to_string(i++));
        library::writeToRegistry(HKCU, kKey, name, c.value);
        auto stored = store().value(RegistryRoot::CurrentUser, kKey, name);
        ASSERT_TRUE(stored) << name;
        EXPECT_EQ(*stored, c.stored) << name;
        Variant like =
            c.value.isInteger() ? Variant::ofInteger(0, c.value.type()) : Variant::ofType(c.value.type());
        Variant back = library::readFromRegistry(HKCU, kKey, name, like);
        // The 64-bit value comes back as what was stored: its low 32 bits.
        Variant expected = c.value.type() == VarType::Int64 ? Variant::ofInteger(5, VarType::Int64) : c.value;
        EXPECT_EQ(back, expected) << name;
    }
    for (VarType t : {VarType::Empty, VarType::Null, VarType::Dispatch, VarType::OleStr}) {
        library::writeToRegistry(HKCU, kKey, "other", Variant::ofType(t));
        EXPECT_FALSE(library::regValueExists(HKCU, kKey, "other"));
    }
}

TEST_F(LibraryRegistryTest, TypedReadsGiveTheDefaultUnlessTheStoredTypeMatches) {
    library::regWriteDWordValue(HKCU, kKey, "Dw", 300);
    library::regWriteStringValue(HKCU, kKey, "Str", "12");
    library::regWriteBinaryValue(HKCU, kKey, "Short", "1234567");  // not 8 bytes
    library::regWriteDWordValue(HKCU, kKey, "Flag", 7);
    library::regWriteDWordValue(HKCU, kKey, "Neg", 0xFFFFFFFFu);
    auto read = [&](const char* name, const Variant& def) {
        return library::readFromRegistry(HKCU, kKey, name, def);
    };
    EXPECT_EQ(read("Dw", Variant::ofInteger(1)), Variant::ofInteger(300));
    EXPECT_EQ(read("Dw", Variant::ofInteger(1, VarType::Byte)),
              Variant::ofInteger(1, VarType::Byte));  // 300 > 255
    EXPECT_EQ(read("Dw", Variant::ofString("d")), Variant::ofString("d"));
    EXPECT_EQ(read("Dw", Variant::ofReal(0.5)), Variant::ofReal(0.5));
    EXPECT_EQ(read("Str", Variant::ofInteger(0)), Variant::ofInteger(0));
    EXPECT_EQ(read("Str", Variant::ofString("")), Variant::ofString("12"));
    EXPECT_EQ(read("Short", Variant::ofReal(0.25)), Variant::ofReal(0.25));
    EXPECT_EQ(read("Flag", Variant::ofBoolean(false)), Variant::ofBoolean(true));
    EXPECT_EQ(read("Neg", Variant::ofInteger(0)), Variant::ofInteger(-1));
    EXPECT_EQ(read("Neg", Variant::ofInteger(0, VarType::LongWord)),
              Variant::ofInteger(0xFFFFFFFF, VarType::LongWord));
    EXPECT_EQ(read("Neg", Variant::ofInteger(0, VarType::Int64)), Variant::ofInteger(-1, VarType::Int64));
    EXPECT_EQ(read("Missing", Variant::ofString("d")), Variant::ofString("d"));
    EXPECT_EQ(read("Dw", Variant::ofType(VarType::Null)), Variant::ofType(VarType::Null));

    // Reading creates the key it looks in, as the original's read did.
    EXPECT_EQ(library::readFromRegistry(HKCU, "Software\\Created\\ByRead", "x", Variant::ofInteger(4)),
              Variant::ofInteger(4));
    EXPECT_TRUE(library::regValueExists(HKCU, "Software\\Created\\ByRead", ""));
}

}  // namespace
