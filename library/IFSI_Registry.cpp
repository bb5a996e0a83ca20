#include "library/IFSI_Registry.h"

#include "classes/PropValue.h"
#include "classes/TStrings.h"
#include "library/IniFiles.h"
#include "library/Registry.h"
#include "library/Variables.h"
#include "script/Handles.h"
#include "script/Imports.h"

namespace library {
namespace {

using NamesFn = bool (*)(int32_t, const std::string&, classes::TStrings*&);

// A list the routine creates because the script passed nil is the script's to free.
template <NamesFn fill>
bool namesInto(int32_t rootKey, const std::string& subKeyName, classes::TStrings*& names) {
    const bool created = names == nullptr;
    const bool ok = fill(rootKey, subKeyName, names);
    if (created && names) script::Handles::ref(names, true);
    return ok;
}

constexpr int32_t root(uint32_t handle) { return static_cast<int32_t>(handle); }

}  // namespace

const script::Imports& registryImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.constant("HKEY_CLASSES_ROOT", root(0x80000000u))
            .constant("HKEY_CURRENT_USER", root(0x80000001u))
            .constant("HKEY_LOCAL_MACHINE", root(0x80000002u))
            .constant("HKEY_USERS", root(0x80000003u))
            .constant("HKEY_PERFORMANCE_DATA", root(0x80000004u))
            .constant("HKEY_CURRENT_CONFIG", root(0x80000005u))
            .constant("HKEY_DYN_DATA", root(0x80000006u))
            .constant("HKCR", root(0x80000000u))
            .constant("HKCU", root(0x80000001u))
            .constant("HKLM", root(0x80000002u))
            .constant("HKU", root(0x80000003u))
            .constant("HKCC", root(0x80000005u))
            .constant("REGSTR_PATH_SETUP", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
            .constant("UNINSTALLER_DISPLAYNAME", "DisplayName")
            .constant("UNINSTALLER_COMMANDLINE", "UninstallString");

        // Registry, string-based.
        m.routine(
             "function RegQueryStringValue(const RootKey: Integer; const SubKeyName, ValueName: String; var "
             "ResultStr: String): Boolean;",
             &regQueryStringValue)
            .routine(
                "function RegQueryMultiStringValue(const RootKey: Integer; const SubKeyName, ValueName: "
                "String; var ResultStr: String): Boolean;",
                &regQueryMultiStringValue)
            .routine(
                "Function RegValueExists(const RootKey: Integer; const SubKeyName, ValueName: String): "
                "Boolean;",
                &regValueExists)
            .routine(
                "Function RegDeleteKeyIncludingSubkeys( const Key : Integer; const Name : string) : boolean",
                &regDeleteKeyIncludingSubkeys)
            .routine(
                "Function RegDeleteKeyIfEmpty( const RootKey : Integer; const SubkeyName : string) : boolean",
                &regDeleteKeyIfEmpty)
            .routine(
                "function RegGetSubkeyNames(const RootKey: Integer; const SubKeyName: String; var Names: "
                "TStrings): Boolean;",
                &namesInto<&regGetSubkeyNames>)
            .routine(
                "function RegGetValueNames(const RootKey: Integer; const SubKeyName: String; var Names: "
                "TStrings): Boolean;",
                &namesInto<&regGetValueNames>)
            .routine(
                "function RegWriteStringValue(const RootKey: Integer; const SubKeyName, ValueName, Value: "
                "String): Boolean;",
                &regWriteStringValue)
            .routine(
                "function RegWriteMultiStringValue(const RootKey: Integer; const SubKeyName, ValueName, "
                "Value: String): Boolean;",
                &regWriteMultiStringValue)
            .routine(
                "function RegWriteDWordValue(const RootKey: Integer; const SubKeyName, ValueName: String; "
                "const Value: Cardinal): Boolean;",
                &regWriteDWordValue)
            .routine(
                "function RegWriteBinaryValue(const RootKey: Integer; const SubKeyName, ValueName, Value: "
                "String): Boolean;",
                &regWriteBinaryValue)
            .routine(
                "function RegDeleteValue(const RootKey: Integer; const SubKeyName, ValueName: String): "
                "Boolean;",
                &regDeleteValue);

        // Registry and INI, typed.
        m.routine("function ReadFromRegistry(Key:HKEY;Subkey,Name:string;Value:Variant) : Variant;",
                  &readFromRegistry)
            .routine("Procedure WriteToRegistry( Key : HKEY; Subkey, Name : string; Value : Variant)",
                     &writeToRegistry)
            .routine("Procedure WriteToIni( FileName, Section, Key : string; Value : Variant)", &writeToIni);

        // INI files.
        m.routine("Function GetIniString( const Section, Key, Default, Filename : String) : String",
                  &getIniString)
            .routine(
                "Function GetIniInt( const Section, Key : String; const Default, Min, Max : Longint; const "
                "Filename : String) : Longint",
                &getIniInt)
            .routine(
                "Function GetIniBool( const Section, Key : String; const Default : Boolean; const Filename "
                ": String) : Boolean",
                &getIniBool)
            .routine("Function IniKeyExists( const Section, Key, Filename : String) : Boolean", &iniKeyExists)
            .routine("Function IsIniSectionEmpty( const Section, Filename : String) : Boolean",
                     &isIniSectionEmpty)
            .routine("Function SetIniString( const Section, Key, Value, Filename : String) : Boolean",
                     &setIniString)
            .routine(
                "Function SetIniInt( const Section, Key : String; const Value : Longint; const Filename : "
                "String) : Boolean",
                &setIniInt)
            .routine(
                "Function SetIniBool( const Section, Key : String; const Value : Boolean; const Filename : "
                "String) : Boolean",
                &setIniBool)
            .routine("Procedure DeleteIniEntry( const Section, Key, Filename : String)", &deleteIniEntry)
            .routine("Procedure DeleteIniSection( const Section, Filename : String)", &deleteIniSection);

        // Variables store.
        m.routine("function GetVariable(Global : boolean; Name : string; Default : Variant) : Variant;",
                  &getVariable)
            .routine("procedure SetVariable(Global : boolean; Name : string; Value : Variant);",
                     &setVariable);
        return m;
    }();
    return table;
}

}  // namespace library
