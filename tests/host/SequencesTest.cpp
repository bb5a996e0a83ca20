// The three registration sequences: their rows in their fixed order, and a vocabulary
// whose every declaration holds.
#include <gtest/gtest.h>

#include "classes/ClassInfo.h"
#include "host/ClassImporter.h"
#include "host/HostRoutines.h"
#include "host/ScriptHost.h"
#include "host/Sequences.h"
#include "script/Api.h"

namespace {

TEST(Sequences, EveryRowIsInItsPlace) {
    const auto compile = host::compileTimeRows();
    const std::vector<std::string> firstRows = {
        "dateutils set",        "std set",         "classes set",  "graphics set",
        "controls set",         "stdctrls set",    "forms set",    "menus set",
        "IFSI_Funcs: pictures", "extctrls set",    "buttons set",  "IFSI_CoolForm",
        "IFSI_Gradient",        "IFSI_myComCtrls", "IFSI_PicShow", "IFSI_RichEditViewer",
        "IFSI_TextAnim",        "IFSI_TextFade",   "IFSI_Marquee", "IFSI_WindowsMediaPlayer",
        "IFSI_InternalPlayList"};
    ASSERT_GT(compile.size(), firstRows.size());
    EXPECT_EQ(std::vector<std::string>(compile.begin(), compile.begin() + 21), firstRows);
    // The library part: its classes first, the host routines near the end, the form's class
    // and then the host variables last.
    EXPECT_EQ(compile[21], "IFSI_Funcs: classes and event types");
    EXPECT_EQ(compile[compile.size() - 2], "IFSI_AutorunForm");
    EXPECT_EQ(compile.back(), "host variables");
    auto at = [&](const std::string& row) {
        return std::find(compile.begin(), compile.end(), row) - compile.begin();
    };
    EXPECT_LT(at("IFSI_SHDocVw"), at("IFSI_ImgBtn"));
    EXPECT_LT(at("IFSI_ImgBtn"), at("IFSI_InteractiveLabel"));
    EXPECT_LT(at("IFSI_ShockwaveFlash"), at("IFSI_MCIObject"));
    EXPECT_LT(at("IFSI_Funcs: host routines"), at("IFSI_Agent"));
    EXPECT_LT(at("IFSI_Credits"), at("IFSI_Text2Speech"));

    const auto importer = host::classImporterRows();
    ASSERT_EQ(importer.size(), 27u);
    EXPECT_EQ(importer.front(), "std set");
    EXPECT_EQ(importer[7], "IFSI_Funcs");
    EXPECT_EQ(importer[20], "IFSI_ShockwaveFlash");
    EXPECT_EQ(importer[24], "IFSI_AutorunForm");
    EXPECT_EQ(importer.back(), "IFSI_InternalPlayList");

    EXPECT_EQ(host::executorRows(),
              (std::vector<std::string>{"dll set", "class importer", "dateutils set", "menus set",
                                        "IFSI_Funcs", "IFSI_SHDocVw", "IFSI_TextFade", "IFSI_Funcs (again)",
                                        "debugger routines"}));
}

TEST(Sequences, TheClassImporterHoldsTheClassesOnceInOrder) {
    host::ClassImporter importer;
    host::fillClassImporter(importer);
    host::fillClassImporter(importer);  // a second fill changes nothing
    const auto& list = importer.classes();
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.front()->name(), "TObject");
    EXPECT_EQ(list.back()->name(), "TInternalPlayList");
    for (const char* name : {"TStringList", "TCanvas", "TButton", "TForm", "TApplication", "TMenuItem",
                             "TPicture", "TTimer", "TBitBtn", "TTrackBar", "TAutorunForm"})
        EXPECT_TRUE(importer.contains(name)) << name;
    EXPECT_FALSE(importer.contains("TRichEdit"));
    std::set<const classes::ClassInfo*> unique(list.begin(), list.end());
    EXPECT_EQ(unique.size(), list.size());
}

// Every member and property type of every registered class is parsed at once: a declaration
// that names an unknown type or does not fit its binding fails here, not in a project.
TEST(Sequences, TheWholeVocabularyDeclaresCleanly) {
    host::ClassImporter importer;
    host::fillClassImporter(importer);
    host::ScriptHost scriptHost(nullptr, importer);
    script::Compiler compiler;
    compiler.setCheckDeclarations(true);
    compiler.setUnitHandler([&](script::Compiler& c, const std::string& unit) {
        if (unit != "SYSTEM") return false;
        scriptHost.declare(c);
        return true;
    });
    auto chunk = compiler.compile("begin end.");
    ASSERT_NE(chunk, nullptr) << compiler.messages().at(0).toString();
    script::Executor executor;
    host::bindRunTime(executor, importer);
    EXPECT_TRUE(executor.load(chunk));
}

// The string family declares RepConst and DERepConst without code; the host binds them.
TEST(HostRoutines, BindThePlaceholderRoutinesTheStringFamilyDeclares) {
    script::Imports declared;
    declared.unbound("Function RepConst( AString : string) : string")
        .unbound("Function DERepConst( AString : string) : string")
        .routine("procedure Check(const S: string);",
                 [](const std::string& s) { EXPECT_EQ(s, "a\r\nb|%n"); });
    script::Compiler compiler;
    compiler.setUnitHandler([&](script::Compiler& c, const std::string&) {
        c.addImports(declared);
        c.addImports(host::hostRoutineImports());
        return true;
    });
    auto chunk = compiler.compile("begin Check(RepConst('a%nb') + '|' + DERepConst(#13#10)); end.");
    ASSERT_NE(chunk, nullptr) << compiler.messages().at(0).toString();
    script::Executor executor;
    executor.addImports(declared);
    executor.addImports(host::hostRoutineImports());
    ASSERT_TRUE(executor.load(chunk)) << executor.lastError().text;
    EXPECT_TRUE(executor.run()) << executor.lastError().text;
}

}  // namespace
