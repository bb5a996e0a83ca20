// REGEDIT4 text: export of every value type, import of what an author writes by hand, and
// refusal of what is not REGEDIT4.
#include "platform/RegistryText.h"

#include <gtest/gtest.h>

#include "base/Error.h"

using platform::RegistryRoot;
using platform::RegistryStore;
using platform::RegistryValue;
using platform::RegType;

namespace {

TEST(RegistryText, ExportWritesEveryTypeAndWalksTheTreeInOrder) {
    auto store = RegistryStore::openInMemory();
    const char* key = "Software\\Exp";
    store->setValue(RegistryRoot::CurrentUser, key, "Text", RegistryValue::string("C:\\a \"b\""));
    store->setValue(RegistryRoot::CurrentUser, key, "", RegistryValue::string("default"));
    store->setValue(RegistryRoot::CurrentUser, key, "Count", RegistryValue::dword(42));
    store->setValue(RegistryRoot::CurrentUser, key, "Bin", RegistryValue::binary(std::string("\x01\xff", 2)));
    store->setValue(RegistryRoot::CurrentUser, key, "Exp",
                    RegistryValue::string("%a%", RegType::ExpandString));
    store->setValue(RegistryRoot::CurrentUser, key, "Multi",
                    RegistryValue::binary(std::string("a\0b\0\0", 5), RegType::MultiString));
    store->setValue(RegistryRoot::CurrentUser, key, "Lines", RegistryValue::string("x\r\ny"));
    store->setValue(RegistryRoot::CurrentUser, key, "Empty", RegistryValue::binary(""));
    store->createKey(RegistryRoot::CurrentUser, "Software\\Exp\\b");
    store->setValue(RegistryRoot::CurrentUser, "Software\\Exp\\A", "Long",
                    RegistryValue::binary(std::string(30, 'Z')));

    const std::string expected =
        "REGEDIT4\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp]\r\n"
        "\"Text\"=\"C:\\\\a \\\"b\\\"\"\r\n"
        "@=\"default\"\r\n"
        "\"Count\"=dword:0000002a\r\n"
        "\"Bin\"=hex:01,ff\r\n"
        "\"Exp\"=hex(2):25,61,25,00\r\n"
        "\"Multi\"=hex(7):61,00,62,00,00\r\n"
        "\"Lines\"=hex(1):78,0d,0a,79,00\r\n"
        "\"Empty\"=hex:\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\A]\r\n"
        "\"Long\"=hex:5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,5a,\\\r\n"
        "  5a,5a,5a,5a,5a,5a,5a,5a\r\n"
        "\r\n"
        "[HKEY_CURRENT_USER\\Software\\Exp\\b]\r\n"
        "\r\n";
    EXPECT_EQ(platform::exportRegistryText(*store, RegistryRoot::CurrentUser, "Software\\Exp\\"), expected);

    // The text reads back into the same values.
    auto copy = RegistryStore::openInMemory();
    copy->apply(platform::parseRegistryText(expected));
    EXPECT_EQ(platform::exportRegistryText(*copy, RegistryRoot::CurrentUser, "Software\\Exp"), expected);
    EXPECT_EQ(*copy->value(RegistryRoot::CurrentUser, key, "Lines"), RegistryValue::string("x\r\ny"));

    EXPECT_THROW(platform::exportRegistryText(*store, RegistryRoot::CurrentUser, "Software\\None"),
                 base::Error);
    std::string all = platform::exportRegistryText(*store);
    EXPECT_NE(all.find("[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion]\r\n"
                       "\"ProgramFilesDir\"=\"C:\\\\Program Files\"\r\n"),
              std::string::npos);
    EXPECT_NE(all.find("[HKEY_USERS\\.DEFAULT]\r\n"), std::string::npos);
}

TEST(RegistryText, ImportTakesHandWrittenTextWithShortRootsCommentsAndDeletes) {
    auto store = RegistryStore::openInMemory();
    store->setValue(RegistryRoot::CurrentUser, "Software\\Old\\Deep", "v", RegistryValue::dword(1));
    store->setValue(RegistryRoot::LocalMachine, "Software\\Keep", "gone", RegistryValue::dword(1));
    const char* text =
        "\xEF\xBB\xBFREGEDIT4\n"
        "; seeds for the demo\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\n"
        "[HKCU\\Software\\Tamberlo\\Vantrel\\Variables]\n"
        "  \"Greeting\" = \"Hello, \\\"world\\\"\"  \n"
        "\"Count\"=dword:7\n"
        "\"Blob\"=hex:de,ad,\\\n"
        "   be,ef\n"
        "@=\"def\"\n"
        "\n"
        "[HKLM\\Software\\Keep]\n"
        "\"gone\"=-\n"
        "\"q\"=hex(b):01,00,00,00,00,00,00,00\n";
    auto edits = platform::parseRegistryText(text);
    EXPECT_EQ(store->apply(edits), 0u);
    EXPECT_FALSE(store->keyExists(RegistryRoot::CurrentUser, "Software\\Old"));
    const char* vars = "Software\\Tamberlo\\Vantrel\\Variables";
    EXPECT_EQ(store->readString(RegistryRoot::CurrentUser, vars, "greeting"), "Hello, \"world\"");
    EXPECT_EQ(store->value(RegistryRoot::CurrentUser, vars, "Count")->dwordValue(), 7u);
    EXPECT_EQ(store->value(RegistryRoot::CurrentUser, vars, "Blob")->data, "\xde\xad\xbe\xef");
    EXPECT_EQ(store->readString(RegistryRoot::CurrentUser, vars, ""), "def");
    EXPECT_FALSE(store->value(RegistryRoot::LocalMachine, "Software\\Keep", "gone"));
    EXPECT_EQ(store->value(RegistryRoot::LocalMachine, "Software\\Keep", "q")->type, 11u);
}

TEST(RegistryText, MistakesNameTheirLineAndImportNothing) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"Windows Registry Editor Version 5.00\r\n", "line 1: not a REGEDIT4 file"},
        {"", "line 1: not a REGEDIT4 file"},
        {"REGEDIT4\n\"v\"=\"x\"\n", "line 2: value outside a key"},
        {"REGEDIT4\n[HKEY_NOWHERE\\x]\n", "line 2: unknown root key"},
        {"REGEDIT4\n[HKCU\\x\n", "line 2: missing ']'"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=\"open\n", "line 3: missing closing quote"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=dword:123456789\n", "line 3: bad dword"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=hex:0g\n", "line 3: bad hex byte"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=hex(zz):00\n", "line 3: bad hex type"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\" \"x\"\n", "line 3: missing '='"},
        {"REGEDIT4\n[HKCU\\x]\nv=1\n", "line 3: expected a key or a value"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=\"a\" b\n", "line 3: text after the closing quote"},
        {"REGEDIT4\n[HKCU\\x]\n\"v\"=qword:1\n", "line 3: unknown value data"},
    };
    for (const Case& c : cases) {
        try {
            platform::parseRegistryText(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const base::Error& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
}

}  // namespace
