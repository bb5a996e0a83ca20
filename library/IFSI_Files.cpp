#include "library/IFSI_Files.h"

#include <exception>
#include <type_traits>
#include <utility>

#include "base/Error.h"
#include "classes/NativeType.h"
#include "classes/Streams.h"
#include "classes/TStrings.h"
#include "library/Drives.h"
#include "library/Expansion.h"
#include "library/FileOperations.h"
#include "library/Files.h"
#include "library/Guarded.h"
#include "platform/RegionalSettings.h"
#include "script/Handles.h"
#include "script/Imports.h"

template <>
struct classes::RecordFields<library::TFileDateTimeStamp>
    : classes::Fields<&library::TFileDateTimeStamp::Creation, &library::TFileDateTimeStamp::LastAccess,
                      &library::TFileDateTimeStamp::LastWrite> {};

template <>
struct classes::RecordFields<library::TDWDriveShellInfo>
    : classes::Fields<&library::TDWDriveShellInfo::Icon, &library::TDWDriveShellInfo::Image,
                      &library::TDWDriveShellInfo::DisplayName, &library::TDWDriveShellInfo::TypeName> {};

namespace library {
namespace {

// Existing name first: the name as written when it names what the routine looks for.
bool fileExistsExpanded(std::string_view name) {
    return fileExists(existingOrExpanded(name, ExistingName::File));
}
bool newFileExistsExpanded(std::string_view name) {
    return newFileExists(existingOrExpanded(name, ExistingName::File));
}
bool dirExistsExpanded(std::string_view name) {
    return dirExists(existingOrExpanded(name, ExistingName::Folder));
}
bool fileOrDirExistsExpanded(std::string_view name) {
    return fileOrDirExists(existingOrExpanded(name, ExistingName::Any));
}

// Always expanded: sources and targets (the progress title is shown as given).
int32_t copyExpanded(std::string_view from, std::string_view to, std::string_view title, int32_t handle,
                     bool yesToAll) {
    return copyFilesAndOrDirs(expanded(from), expanded(to), title, handle, yesToAll);
}
int32_t deleteExpanded(std::string_view from, std::string_view to, std::string_view title, int32_t handle,
                       bool yesToAll) {
    return deleteFilesAndOrDirs(expanded(from), expanded(to), title, handle, yesToAll);
}

// Not guarded: a full folder is a script error, its message expanded.
std::string uniqueName(std::string_view path, std::string_view extension) {
    try {
        return generateUniqueName(path, extension);
    } catch (const base::ScriptError& e) {
        throw base::ScriptError(expanded(e.what()));
    }
}

// A list the routine creates because the script passed nil is the script's to free.
void listFilesInto(std::string_view path, std::string_view mask, classes::TStringList*& list, bool showPath) {
    const bool created = list == nullptr;
    listFiles(path, mask, list, showPath);
    if (created && list) script::Handles::ref(list, true);
}

bool setStamp(std::string_view fileName, TFileDateTimeStamp& stamp) {
    return setFileDateTimeStamp(fileName, stamp);
}

// The separators are the user's, as "%n" formats numbers.
std::string kbText(int64_t bytes) {
    return intToKBStr(bytes, platform::regionalSettings().thousandSeparator);
}
std::string mbText(int64_t bytes) {
    const platform::RegionalSettings& s = platform::regionalSettings();
    return intToMBStr(bytes, s.thousandSeparator, s.decimalSeparator);
}

}  // namespace

const script::Imports& fileImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("TFileDateTimeStamp",
               "record Creation : TDATETIME; LastAccess : TDATETIME; LastWrite : TDateTime; end")
            .type("TDWDriveShellInfo",
                  "record Icon : integer; Image : integer; DisplayName : string; TypeName : string; end")
            // The stream classes here have no separate custom memory stream; every memory
            // stream (string streams too) is one.
            .type("TCustomMemoryStream", "TMemoryStream");

        // Existence and path strings.
        m.routine("function FileExists(const FileName: string): Boolean;", guarded<&fileExistsExpanded>)
            .routine("Function NewFileExists( const Name : String) : Boolean",
                     guarded<&newFileExistsExpanded>)
            .routine("Function DirExists( const Name : String) : Boolean", guarded<&dirExistsExpanded>)
            .routine("Function FileOrDirExists( const Name : String) : Boolean",
                     guarded<&fileOrDirExistsExpanded>)
            .routine("function ExtractFileDir(const FileName: string): string;", guarded<&extractFileDir>)
            .routine("function ExtractFileDrive(const FileName: string): string;", guarded<&extractFileDrive>)
            .routine("function ExtractFileExt(const FileName: string): string;", guarded<&extractFileExt>)
            .routine("function ExtractFileName(const FileName: string): string;", guarded<&extractFileName>)
            .routine("function ChangeFileExt(const FileName, Extension: string): string;",
                     guarded<&changeFileExt>)
            .routine("Function AddBackslash( const S : String) : String", guarded<&addBackslash>)
            .routine("Function RemoveBackslash( const S : String) : String", guarded<&removeBackslash>)
            .routine("Function RemoveBackslashUnlessRoot( const S : String) : String",
                     guarded<&removeBackslashUnlessRoot>)
            .routine("Function ExtractDriveFromPath( Path : String) : String", guarded<&extractDriveFromPath>)
            .routine("Function ExtractDriveLetter( const Dir : String) : Char", guarded<&extractDriveLetter>)
            .routine("Function ExtractPureFilename( Name : String) : String", guarded<&extractPureFilename>)
            .routine("Function ExtractFileExtension( Name : String) : String", guarded<&extractFileExtension>)
            .routine("Function GetShortName( const LongName : String) : String", guarded<&getShortName>)
            .routine("Function GetWinDir : String", guarded<&getWinDir>)
            .routine("Function GetSystemDir : String", guarded<&getSystemDir>)
            .routine("Function GetTempDir : String", guarded<&getTempDir>)
            .routine("Function HasAttr( const FileName : string; Attr : Word) : Boolean", guarded<&hasAttr>)
            .routine("Function FileAttrib( Filename : String; A, H, R, S : Boolean) : Boolean",
                     guarded<&fileAttrib>);

        // Listing.
        m.routine(
             "Procedure ListFiles( const Path, Mask : string; var List : TStringList; const ShowPath : "
             "Boolean)",
             guarded<&listFilesInto>)
            .routine("Function ListFolders( Path : string; ShowPath : boolean) : TStringlist",
                     guarded<&listFolders>)
            .routine("Function ListFilesRecursive( Path, Mask : string; ShowPath : Boolean) : TStringList",
                     guarded<&listFilesRecursive>)
            .routine("Function DirIsEmpty( Path : String) : Boolean", guarded<&dirIsEmpty>)
            .routine("Function GetFileSize( Datei : String) : Integer", guarded<&getFileSize>);

        // Reading and writing.
        m.routine("Function ReadStringFromFile( const Filename : String) : String",
                  guarded<&readStringFromFile>)
            .routine("function SaveStringToFile(const FileName, S: String; const Append: Boolean): Boolean;",
                     &saveStringToFile)  // not guarded
            .routine("Procedure PatchFile( filename : string; data : array of byte; offset, count : longint)",
                     &patchFile)  // not guarded
            .routine("Function GetFileCRC32Int( const Filename : String) : DWord", guarded<&getFileCRC32Int>)
            .routine("Function GetFileCRC32Hex( const Filename : String) : String", guarded<&getFileCRC32Hex>)
            .routine("Function FileIsOpen( const Filename : String) : Boolean", guarded<&fileIsOpen>)
            .routine(
                "Function GetFileDateTimeStamp( const Filename : String; var FileDateTimeStamp : "
                "TFileDateTimeStamp) : Boolean",
                guarded<&getFileDateTimeStamp>)
            .routine(
                "Function SetFileDateTimeStamp( const Filename : String; var FileDateTimeStamp : "
                "TFileDateTimeStamp) : Boolean",
                guarded<&setStamp>)
            .routine(
                "Function NTFSCompressFile( const FileName : String; const ForceCompress : Boolean) : "
                "Boolean",
                guarded<&ntfsCompressFile>)
            .routine("Function NTFSUncompressFile( const FileName : String) : Boolean",
                     guarded<&ntfsUncompressFile>)
            .routine("Function GenerateUniqueName( Path : String; const Extension : String) : String",
                     &uniqueName)  // not guarded
            .routine(
                "Procedure SaveStreamToTempFile( const Strm : TCustomMemoryStream; const Filename : String)",
                &saveStreamToTempFile)  // not guarded
            .routine("function ReadFileVersion(FileName : string) : string;", guarded<&readFileVersion>)
            .routine("Function GetExeVersionString : string", guarded<&getExeVersionString>);

        // Folders and copying.
        m.routine("function ForceDirectories(const Dir: string): Boolean;", guarded<&forceDirectories>)
            .routine("function RemoveDir(const Dir: string): Boolean;", guarded<&removeDir>)
            .routine(
                "Function CopyFilesAndOrDirs( FFrom, FTo, Mesaj : string;AHandle:Integer;YesToAll:boolean) : "
                "integer",
                guarded<&copyExpanded>)
            .routine(
                "Function DeleteFilesAndOrDirs( FFrom, Fto, Mesaj : string;AHandle:Integer;YesToAll:boolean) "
                ": "
                "integer",
                guarded<&deleteExpanded>)
            .routine(
                "function CopyDirectory(Directory, DestinationFolder: String; const GUI, SimpleGUI, "
                "CopyConfirmation, MkDirConfirmation, ErrorGUI: Boolean; var UserHasCancelled: Boolean): "
                "Boolean;",
                guarded<&copyDirectory>);

        // Drives and space.
        m.routine("Function AvailableDrives : TStringList", guarded<&availableDrives>)
            .routine("Function DrivesCount : Integer", guarded<&drivesCount>)
            .routine("Function HardDrives : TStringList", guarded<&hardDrives>)
            .routine("Function DiskInDrive( Drive : Char) : Boolean", guarded<&diskInDrive>)
            .routine("Function DiskWriteProtected( Drive : Char) : Boolean",
                     &diskWriteProtected)  // not guarded
            .routine("Function ValidDriveLetter( Drive : Char) : Boolean", guarded<&validDriveLetter>)
            .routine("Function DriveLetterToIndex( Drive : Char) : Byte", guarded<&driveLetterToIndex>)
            .routine("Function DriveIndexToLetter( Drive : Byte) : Char", guarded<&driveIndexToLetter>)
            .routine("Function GetDriveShellInfo( const Drive : Char) : TDWDriveShellInfo",
                     guarded<&getDriveShellInfo>)
            .routine("Function GetTotalFreeSpace( DriveRoot : String; var FreeSpace : Int64) : Boolean",
                     guarded<&getTotalFreeSpace>)
            .routine("Function GetTotalSpace( DriveRoot : String; var TotalSpace : Int64) : Boolean",
                     guarded<&getTotalSpace>)
            .routine("Function IntToKBStr( const I : Int64) : String", guarded<&kbText>)
            .routine("Function IntToMBStr( const I : Int64) : String", guarded<&mbText>);
        return m;
    }();
    return table;
}

}  // namespace library
