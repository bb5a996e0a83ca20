#include "library/IFSI_Conventions.h"

#include "classes/TypeInfo.h"
#include "script/Imports.h"

namespace library {
namespace {

struct IntConst {
    const char* name;
    int64_t value;
};

// Type aliases for the Windows names declarations use. Byte, Word and DWord are the
// engine's own sized integers already; declaring them as Integer would widen every
// routine already bound to them, so they keep their built-in meaning. The engine has no
// LongBool: BOOL is its Boolean.
void aliases(script::Imports& m) {
    m.type("HWND", "Integer")
        .type("HIcon", "Integer")
        .type("HDC", "Integer")
        .type("HKEY", "Integer")
        .type("BOOL", "Boolean")
        .type("FLOAT", "Single")
        .type("REAL", "Single")
        .type("QWORD", "Int64")
        .type("PGUID", "string")
        .type("OLEVARIANT", "Variant")
        .type("WordBool", "Word");
}

const classes::TypeInfo& msgBoxType() {
    static const classes::TypeInfo info = classes::TypeInfo::enumeration(
        "TMsgBoxType", {"mbInformation", "mbConfirmation", "mbError", "mbCriticalError"});
    return info;
}

const classes::TypeInfo& shellFolderType() {
    static const classes::TypeInfo info = classes::TypeInfo::enumeration(
        "TShellFolderID", {"sfDesktop", "sfStartMenu", "sfPrograms", "sfStartup", "sfSendTo", "sfFonts",
                           "sfAppData", "sfDocs", "sfTemplates", "sfFavorites", "sfLocalAppData"});
    return info;
}

void enumerations(script::Imports& m) {
    m.enumeration(msgBoxType()).enumeration(shellFolderType());
    m.type("TDWSpecialFolder",
           "(dwspfAdminTools, dwspfAppData, dwspfRecycleBin, dwspfCommonAdminTools, dwspfCommonAppData, "
           "dwspfCommonDesktop, dwspfCommonDocuments, dwspfCommonFavorites, dwspfCommonMusic, "
           "dwspfCommonPictures, dwspfCommonProgramFiles, dwspfCommonPrograms, dwspfCommonStartmenu, "
           "dwspfCommonStartup, dwspfCommonTemplates, dwspfCommonVideo, dwspfControls, dwspfCookies, "
           "dwspfDesktop, dwspfDrives, dwspfFavorites, dwspfFonts, dwspfHistory, dwspfInternetCache, "
           "dwspfLocalAppData, dwspfMyMusic, dwspfMyPictures, dwspfMyVideo, dwspfNetHood, dwspfNetwork, "
           "dwspfPersonal, dwspfPrinters, dwspfPrintHood, dwspfProfile, dwspfProgramFiles, "
           "dwspfProgramFilesX86, dwspfPrograms, dwspfRecent, dwspfSendTo, dwspfStartMenu, dwspfStartUp, "
           "dwspfSystem, dwspfSystemX86, dwspfTemplates, dwspfWindows)")
        .type("TDWWindowsDialog",
              "(dwwdAccessibilityProperties, dwwdBDEProperties, dwwdControlPanel, dwwdCopyFloppy, "
              "dwwdDialProperties, dwwdDisplayProperties, dwwdExecute, dwwdFindFiles, dwwdFontsProperties, "
              "dwwdGamecontrollerProperties, dwwdHardwareDetect, dwwdInternetProperties, "
              "dwwdKeyboardProperties, dwwdLocaleProperties, dwwdMailProperties, dwwdModemProperties, "
              "dwwdMouseProperties, dwwdMultimediaProperties, dwwdNetworkProperties, dwwdODBCProperties, "
              "dwwdPasswordsProperties, dwwdPowerManagementProperties, dwwdPrinterProperties, dwwdRASWizard, "
              "dwwdScanCamProperties, dwwdSoftwareProperties, dwwdSystemProperties, dwwdThemesProperties, "
              "dwwdTime, dwwdTweakUIProperties, dwwdWindowsShutdownDialog)")
        .type("TOSType",
              "(OS_WIN95, OS_WIN98, OS_WINME, OS_NT351, OS_NT4_DOMAINCONTROLLER, OS_NT4_SERVER, "
              "OS_NT4_WORKSTATION, OS_WIN2000, OS_WIN2000_ADVSERVER, OS_WIN2000_DATACENTER, OS_WINXP_HOME, "
              "OS_WINXP_PROFESSIONAL, OS_WINXP_NETSERVER, OS_WIN2003, OS_UNKNOWN)")
        .type("TOSSuiteType",
              "(OSST_BACKOFFICE, OSST_DATACENTER, OSST_ENTERPRISE, OSST_PERSONAL, OSST_SMALLBUSINESS, "
              "OSST_SMALLBUSINESS_RESTRICTED, OSST_TERMINAL, OSST_UNKNOWN)")
        .type("TOSProductType", "(OSPT_WORKSTATION, OSPT_DOMAIN_CONTROLLER, OSPT_SERVER, OSPT_UNKNOWN)")
        .type("TDWInternetConnectedState",
              "(dwicsConfigured, dwicsLAN, dwicsModem, dwicsOffline, dwicsProxy, dwicsRASInstalled)")
        .type("TDWInternetConnectedStates", "set of TDWInternetConnectedState");
}

void records(script::Imports& m) {
    m.type("TOSVersionInfoEx",
           "record dwOSVersionInfoSize:DWORD;dwMajorVersion:DWORD; dwMinorVersion:DWORD;dwBuildNumber:DWORD; "
           "dwPlatformId: DWord;szCSDVersion: array[0..127] of Char;wServicePackMajor: Word; "
           "wServicePackMinor: "
           "Word;wSuiteMask: Word; wProductType: Byte; wReserved: Byte; end;")
        .type("TDWDriveShellInfo",
              "record Icon : integer; Image : integer; DisplayName : string; TypeName : string; end")
        .type("TFileDateTimeStamp",
              "record Creation : TDATETIME; LastAccess : TDATETIME; LastWrite : TDateTime; end")
        .type("TDWDimension", "record Height : Integer; Width : Integer; end")
        .type("TDWHostConnectInfo", "record Host : String; Port : Word; end")
        .type("TDWInternetProxySetting",
              "record HTTP : TDWHostConnectInfo; HTTPS : TDWHostConnectInfo; FTP : TDWHostConnectInfo; "
              "Gopher : "
              "TDWHostConnectInfo; Socks : TDWHostConnectInfo; end")
        .type("TID3V1Tag",
              "record ID : string; Titel : string; Artist : string; Album : string; Year : string; Comment : "
              "string; Genre : Byte; end")
        .type("TMUSICTag",
              "record Title: string;Artist: string;Album: string;Year: string;Comment: string;Genre: "
              "string;ExtraInfo : array [0..20] of string; end;");
}

constexpr IntConst kColors[] = {
    {"clMoneyGreen", 12639424}, {"clSkyBlue", 15780518}, {"clCream", 15793151}, {"clMedGray", 10789024}};

constexpr IntConst kTextCoders[] = {{"ctDefault", 0}, {"ctHex", 1}, {"ctPrintable", 2}, {"ctLatin", 3},
                                    {"ctBase64", 4},  {"ctUUE", 5}, {"ctXX", 6}};

constexpr IntConst kVirtualKeys[] = {
    {"VK_LBUTTON", 1},     {"VK_RBUTTON", 2},    {"VK_CANCEL", 3},      {"VK_MBUTTON", 4},
    {"VK_BACK", 8},        {"VK_TAB", 9},        {"VK_CLEAR", 12},      {"VK_RETURN", 13},
    {"VK_SHIFT", 16},      {"VK_CONTROL", 17},   {"VK_MENU", 18},       {"VK_PAUSE", 19},
    {"VK_CAPITAL", 20},    {"VK_KANA", 21},      {"VK_HANGUL", 21},     {"VK_JUNJA", 23},
    {"VK_FINAL", 24},      {"VK_HANJA", 25},     {"VK_KANJI", 25},      {"VK_CONVERT", 28},
    {"VK_NONCONVERT", 29}, {"VK_ACCEPT", 30},    {"VK_MODECHANGE", 31}, {"VK_ESCAPE", 27},
    {"VK_SPACE", 32},      {"VK_PRIOR", 33},     {"VK_NEXT", 34},       {"VK_END", 35},
    {"VK_HOME", 36},       {"VK_LEFT", 37},      {"VK_UP", 38},         {"VK_RIGHT", 39},
    {"VK_DOWN", 40},       {"VK_SELECT", 41},    {"VK_PRINT", 42},      {"VK_EXECUTE", 43},
    {"VK_SNAPSHOT", 44},   {"VK_INSERT", 45},    {"VK_DELETE", 46},     {"VK_HELP", 47},
    {"VK_LWIN", 91},       {"VK_RWIN", 92},      {"VK_APPS", 93},       {"VK_NUMPAD0", 96},
    {"VK_NUMPAD1", 97},    {"VK_NUMPAD2", 98},   {"VK_NUMPAD3", 99},    {"VK_NUMPAD4", 100},
    {"VK_NUMPAD5", 101},   {"VK_NUMPAD6", 102},  {"VK_NUMPAD7", 103},   {"VK_NUMPAD8", 104},
    {"VK_NUMPAD9", 105},   {"VK_MULTIPLY", 106}, {"VK_ADD", 107},       {"VK_SEPARATOR", 108},
    {"VK_SUBTRACT", 109},  {"VK_DECIMAL", 110},  {"VK_DIVIDE", 111},    {"VK_F1", 112},
    {"VK_F2", 113},        {"VK_F3", 114},       {"VK_F4", 115},        {"VK_F5", 116},
    {"VK_F6", 117},        {"VK_F7", 118},       {"VK_F8", 119},        {"VK_F9", 120},
    {"VK_F10", 121},       {"VK_F11", 122},      {"VK_F12", 123},       {"VK_F13", 124},
    {"VK_F14", 125},       {"VK_F15", 126},      {"VK_F16", 127},       {"VK_F17", 128},
    {"VK_F18", 129},       {"VK_F19", 130},      {"VK_F20", 131},       {"VK_F21", 132},
    {"VK_F22", 133},       {"VK_F23", 134},      {"VK_F24", 135},       {"VK_NUMLOCK", 144},
    {"VK_SCROLL", 145},    {"VK_LSHIFT", 160},   {"VK_RSHIFT", 161},    {"VK_LCONTROL", 162},
    {"VK_RCONTROL", 163},  {"VK_LMENU", 164},    {"VK_RMENU", 165},     {"VK_PROCESSKEY", 229},
    {"VK_ATTN", 246},      {"VK_CRSEL", 247},    {"VK_EXSEL", 248},     {"VK_EREOF", 249},
    {"VK_PLAY", 250},      {"VK_ZOOM", 251},     {"VK_NONAME", 252},    {"VK_PA1", 253},
    {"VK_OEM_CLEAR", 254},
};

constexpr IntConst kMessageBoxes[] = {
    {"MB_OK", 0},
    {"MB_OKCANCEL", 1},
    {"MB_ABORTRETRYIGNORE", 2},
    {"MB_YESNOCANCEL", 3},
    {"MB_YESNO", 4},
    {"MB_RETRYCANCEL", 5},
    {"MB_SETFOREGROUND", 65536},
    {"MB_ICONWARNING", 48},
    {"MB_ICONEXCLAMATION", 48},
    {"MB_ICONINFORMATION", 64},
    {"MB_ICONASTERISK", 64},
    {"MB_ICONQUESTION", 32},
    {"MB_ICONSTOP", 16},
    {"MB_ICONERROR", 16},
    {"MB_ICONHAND", 16},
    {"MB_DEFBUTTON1", 0},
    {"MB_DEFBUTTON2", 256},
    {"MB_DEFBUTTON3", 512},
    {"MB_DEFBUTTON4", 768},
    {"MB_APPLMODAL", 0},
    {"MB_SYSTEMMODAL", 4096},
    {"MB_TASKMODAL", 8192},
    {"MB_TOPMOST", 262144},
    {"IDOK", 1},
    {"IDCANCEL", 2},
    {"IDABORT", 3},
    {"IDRETRY", 4},
    {"IDIGNORE", 5},
    {"IDYES", 6},
    {"IDNO", 7},
};

constexpr IntConst kShowCommands[] = {
    {"SW_SHOWNORMAL", 1}, {"SW_SHOWMAXIMIZED", 3}, {"SW_SHOWMINNOACTIVE", 7}, {"SW_HIDE", 0}};

constexpr IntConst kVersionMasks[] = {
    {"VER_SUITE_BACKOFFICE", 4}, {"VER_SUITE_DATACENTER", 128},  {"VER_SUITE_ENTERPRISE", 2},
    {"VER_SUITE_PERSONAL", 512}, {"VER_SUITE_SMALLBUSINESS", 1}, {"VER_SUITE_SMALLBUSINESS_RESTRICTED", 32},
    {"VER_SUITE_TERMINAL", 16},  {"VER_NT_WORKSTATION", 1},      {"VER_NT_DOMAIN_CONTROLLER", 2},
    {"VER_NT_SERVER", 3},
};

constexpr IntConst kCdDoor[] = {
    {"CD_DOOR_CLOSE", 0}, {"CD_DOOR_OPEN", 1}, {"CD_DOOR_LOCK", 2}, {"CD_DOOR_UNLOCK", 3}};

struct StrConst {
    const char* name;
    const char* value;
};

constexpr StrConst kStrings[] = {
    {"AUDIOFILTER",
     "All Supported Formats|*.wav;*.mp3;*.mp2;*.mp1;*.ogg;*.xm;*.mod;*.s3m;*.it;*.mtm;*.mo3;*.cda|Streamable "
     "files "
     "(wav/ogg/mp1/mp2/mp3)|*.wav;*.mp3;*.mp2;*.mp1;*.ogg|Music modules "
     "(xm/mod/s3m/it/mtm/mo3)|*.xm;*.mod;*.s3m;*.it;*.mtm;*.mo3|CD Audio Tracks(*.cda)|*.cda|All files|*.*"},
    {"AUDIOWAV", "WAV Files (*.wav)|*.wav"},
    {"AUDIOSTREAM", "Streamable files (wav/ogg/mp1/mp2/mp3)|*.wav;*.mp3;*.mp2;*.mp1;*.ogg"},
    {"AUDIOMOD", "Music modules (xm/mod/s3m/it/mtm/mo3)|*.xm;*.mod;*.s3m;*.it;*.mtm;*.mo3"},
    {"AUDIOCD", "CD Audio Tracks(*.cda)|*.cda"},
    {"IMAGEFILTER",
     "All "
     "(*.png;*.tga;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.gif)|*.png;*.tga;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*."
     "wmf;"
     "*.gif|Portable Network Graphics (*.png)|*.png|Targa Image (*.tga)|*.tga|JPEG Image File "
     "(*.jpg)|*.jpg|JPEG "
     "Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles "
     "(*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|Gif Image File (*.gif)|*.gif"},
    {"IMAGEICO", "Icons (*.ico)|*.ico"},
    {"IMAGEBITMAP", "Bitmaps (*.bmp)|*.bmp"},
    {"IMAGEMETA", "Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf"},
    {"IMAGEGIF", "Gif Image File (*.gif)|*.gif"},
    {"IMAGEJPG", "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg"},
    {"IMAGETGA", "Targa Image (*.tga)|*.tga"},
    {"IMAGEPNG", "Portable Network Graphics (*.png)|*.png"},
};

template <size_t N>
void ints(script::Imports& m, const IntConst (&group)[N]) {
    for (const IntConst& c : group) m.constant(c.name, int32_t(uint32_t(c.value)));
}

}  // namespace

const script::Imports& conventionImports() {
    static const script::Imports table = [] {
        script::Imports m;
        aliases(m);
        enumerations(m);
        records(m);
        ints(m, kColors);
        ints(m, kTextCoders);
        ints(m, kVirtualKeys);
        ints(m, kMessageBoxes);
        ints(m, kShowCommands);
        // The shell folders also as plain numbers, in the enumeration's order.
        for (size_t i = 0; i < shellFolderType().elements().size(); ++i)
            m.constant(shellFolderType().elements()[i], int32_t(i));
        for (const IntConst& c : kVersionMasks) m.constant(c.name, uint32_t(c.value));
        ints(m, kCdDoor);
        for (const StrConst& c : kStrings) m.constant(c.name, c.value);
        return m;
    }();
    return table;
}

}  // namespace library
