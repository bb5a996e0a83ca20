// The registry, INI and variables routines as a script calls them: every declaration
// binds to its native function, and values cross the binder with their types.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "library/IFSI_Registry.h"
#include "platform/Registry.h"
#include "tests/script/ScriptSession.h"

namespace fs = std::filesystem;

namespace {

const script::Imports& aliases() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("HKEY", "Integer");
        return m;
    }();
    return table;
}

class RegistryScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setRegistry(platform::RegistryStore::openInMemory());
        platform::setCurrentPlayerPath("Z:\\opt\\show\\vantrel");
        m_dir = fs::temp_directory_path() / ("vantrel-registry-script-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        m_session.tables.push_back(&aliases());
        m_session.tables.push_back(&library::registryImports());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string run(const std::string& body) {
        const std::string source = body;
        EXPECT_TRUE(m_session.run(source)) << m_session.error;
        return m_session.log;
    }
    fs::path m_dir;
    ScriptSession m_session;
};

TEST_F(RegistryScriptTest, RegistryRoutinesReadWriteListAndDelete) {
    const std::string log = run(R"(
var L: TStrings; S: string; V: Variant;
begin
  if RegWriteStringValue(HKEY_CURRENT_USER, 'Software\T', 'Name', 'Ann') then Log('written');
  S := 'unchanged';
  if RegQueryStringValue(HKCU, 'software\t', 'NAME', S) then Log('read ' + S);
  if not RegQueryStringValue(HKCU, 'Software\None', 'Name', S) then Log('no key, ' + S);
  RegWriteDWordValue(HKCU, 'Software\T', 'Count', 4000000000);
  if not RegQueryStringValue(HKCU, 'Software\T', 'Count', S) then Log('not a string');
  V := ReadFromRegistry(HKCU, 'Software\T', 'Count', 0);
  Log('count ' + IntToStr(V));
  RegWriteMultiStringValue(HKCU, 'Software\T', 'Multi', 'ab' + #0 + 'c' + #0);
  RegQueryMultiStringValue(HKCU, 'Software\T', 'Multi', S);
  Log('multi ' + IntToStr(Length(S)) + ' ' + IntToStr(Ord(S[3])));
  RegWriteBinaryValue(HKCU, 'Software\T\Sub', 'Bin', #1#0#2);
  L := TStringList.Create;
  RegGetValueNames(HKCU, 'Software\T', L);
  Log('values ' + L.CommaText);
  L.Free;
  L := nil;
  RegGetSubkeyNames(HKCU, 'Software\T', L);
  Log('keys ' + L.CommaText);
  L.Free;
  if RegValueExists(HKCU, 'Software\T\Sub', '') and not RegValueExists(HKCU, 'Software\T', 'Gone') then
    Log('exists');
  if RegDeleteValue(HKCU, 'Software\T', 'Name') then Log('value deleted');
  if not RegDeleteKeyIfEmpty(HKCU, 'Software\T\Sub') then Log('sub not empty');
  if not RegDeleteKeyIncludingSubkeys(HKCU, '') then Log('root refused');
  if RegDeleteKeyIncludingSubkeys(HKCU, 'Software\T') then Log('tree deleted');
  if not RegValueExists(HKCU, 'Software\T', '') then Log('gone');
  Log(REGSTR_PATH_SETUP + ' ' + UNINSTALLER_DISPLAYNAME + ' ' + UNINSTALLER_COMMANDLINE);
end.
)");
    EXPECT_EQ(log,
              "written\nread Ann\nno key, Ann\nnot a string\ncount -294967296\nmulti 5 0\nvalues "
              "Name,Count,Multi\nkeys Sub\n"
              "exists\nvalue deleted\nsub not empty\nroot refused\ntree deleted\ngone\n"
              "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall DisplayName UninstallString\n");
}

TEST_F(RegistryScriptTest, TypedRoutinesAndVariablesKeepTheirTypes) {
    const std::string ini = (m_dir / "show.ini").string();
    const std::string log = run(R"(
var V: Variant;
begin
  SetVariable(True, 'X', 5);
  V := GetVariable(True, 'X', 0);
  Log('x ' + IntToStr(V));
  V := GetVariable(True, 'X', '');
  if V = '' then Log('string default');
  SetVariable(False, 'Level', 'high');
  V := GetVariable(False, 'Level', 'none');
  Log('level ' + V);
  SetVariable(True, 'Ratio', 2.5);
  V := GetVariable(True, 'Ratio', 0.0);
  Log('ratio ' + FloatToStr(V));
  WriteToRegistry(HKLM, 'Software\Typed', 'Flag', True);
  V := ReadFromRegistry(HKLM, 'Software\Typed', 'Flag', False);
  if V then Log('flag');
  WriteToIni(')" + ini + R"(', 'S', 'B', True);
  WriteToIni(')" + ini + R"(', 'S', 'N', 12);
  Log('ini ' + GetIniString('s', 'b', '', ')" +
                                ini + R"('));
  Log('int ' + IntToStr(GetIniInt('S', 'N', 7, 1, 10, ')" +
                                ini + R"(')));
  SetIniInt('S', 'N', 5, ')" + ini +
                                R"(');
  Log('int ' + IntToStr(GetIniInt('S', 'N', 7, 1, 10, ')" +
                                ini + R"(')));
  if GetIniBool('S', 'B', False, ')" +
                                ini + R"(') then Log('bool');
  SetIniString('S', 'E', '', ')" +
                                ini + R"(');
  if IniKeyExists('S', 'E', ')" +
                                ini + R"(') then Log('empty key exists');
  SetIniBool('T', 'K', False, ')" +
                                ini + R"(');
  DeleteIniEntry('T', 'K', ')" + ini +
                                R"(');
  if IsIniSectionEmpty('T', ')" +
                                ini + R"(') then Log('T empty');
  DeleteIniSection('S', ')" + ini +
                                R"(');
  Log('after ' + GetIniString('S', 'N', 'gone', ')" +
                                ini + R"('));
end.
)");
    EXPECT_EQ(
        log,
        "x 5\nstring default\nlevel high\nratio 2.5\nflag\nini 1\nint 7\nint 5\nbool\nempty key exists\n"
        "T empty\nafter gone\n");
    EXPECT_TRUE(
        platform::registry().keyExists(platform::RegistryRoot::CurrentUser,
                                       "Software\\Tamberlo\\Vantrel\\Z:\\opt\\show\\vantrel\\Variables"));
    std::ifstream in(m_dir / "show.ini", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    EXPECT_EQ(bytes.str(), "[T]\r\n");
}

}  // namespace
