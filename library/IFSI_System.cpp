#include "library/IFSI_System.h"

#include <exception>
#include <type_traits>
#include <utility>

#include "classes/NativeType.h"
#include "classes/TStrings.h"
#include "components/TrayIcon.h"
#include "library/Desktop.h"
#include "library/Guarded.h"
#include "library/Pictures.h"
#include "library/Splash.h"
#include "library/System.h"
#include "script/Api.h"
#include "script/Imports.h"
#include "vcl/ExtCtrls.h"
#include "vcl/Forms.h"
#include "vcl/Menus.h"
#include "vcl/PicShow.h"
#include "vcl/Picture.h"

template <>
struct classes::RecordFields<library::TOSVersionInfoEx>
    : classes::Fields<&library::TOSVersionInfoEx::dwOSVersionInfoSize,
                      &library::TOSVersionInfoEx::dwMajorVersion, &library::TOSVersionInfoEx::dwMinorVersion,
                      &library::TOSVersionInfoEx::dwBuildNumber, &library::TOSVersionInfoEx::dwPlatformId,
                      &library::TOSVersionInfoEx::szCSDVersion, &library::TOSVersionInfoEx::wServicePackMajor,
                      &library::TOSVersionInfoEx::wServicePackMinor, &library::TOSVersionInfoEx::wSuiteMask,
                      &library::TOSVersionInfoEx::wProductType, &library::TOSVersionInfoEx::wReserved> {};

template <>
struct classes::RecordFields<library::TDWDimension>
    : classes::Fields<&library::TDWDimension::Height, &library::TDWDimension::Width> {};

namespace library {
namespace {

void showTrayIcon(bool show) { components::globalTrayIcon().setActive(show); }
void setTrayIconHint(std::string_view hint) { components::globalTrayIcon().setHint(std::string(hint)); }
std::string getTrayIconHint() { return components::globalTrayIcon().hint(); }
void getSetTrayIconPopupMenu(bool set, vcl::TPopupMenu*& pop) {
    components::TELTrayIcon& icon = components::globalTrayIcon();
    if (set)
        icon.setPopupMenu(pop);
    else
        pop = icon.popupMenu();
}
// The task bar lists the windows that do not ask to be skipped: hiding the button is the
// skip-taskbar state of the player's windows.
void hideTaskBarButton(bool hide) { components::setSkipTaskBar(hide); }

// Not guarded: a nil control is the script's error, as is a file that does not load.
vcl::TImage& imageControl(vcl::TImage* control) {
    if (!control) throw script::ScriptException(script::TIFException::erNullPointerException, "");
    return *control;
}
void loadImageRoutine(vcl::TImage*& control, std::string_view fileName) {
    loadImage(imageControl(control), fileName);
}
void saveImageRoutine(vcl::TImage*& control, std::string_view fileName) {
    saveImage(imageControl(control), fileName);
}
bool clearImageRoutine(vcl::TImage*& control) { return clearImage(control); }

// Unguarded: a picture that does not load is the calling script's run-time error.
void loadPicShowPicsAnimRoutine(vcl::TPicShow*& show, const std::string& bg, const std::string& picture,
                                int style) {
    if (!show) throw script::ScriptException(script::TIFException::erNullPointerException, "");
    loadPicShowPicsAnim(*show, bg, picture, style);
}

}  // namespace

const script::Imports& systemImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.type("THandle", "Cardinal");

        // Windows version and user.
        m.routine("Procedure GetWindowsVersionEx( var OSVIE : TOSVersionInfoEx)",
                  guarded<&getWindowsVersionEx>)
            .routine("Function IsNTWorkstation : Boolean", guarded<&isNTWorkstation>)
            .routine("Function IsNTServer : Boolean", guarded<&isNTServer>)
            .routine("Function IsDomainController : Boolean", guarded<&isDomainController>)
            .routine("Function IsNTMachine : Boolean", guarded<&isNTMachine>)
            .routine("Function IsWin95 : Boolean", guarded<&isWin95>)
            .routine("Function IsWin98 : Boolean", guarded<&isWin98>)
            .routine("Function IsWinME : Boolean", guarded<&isWinME>)
            .routine("Function IsNT351 : Boolean", guarded<&isNT351>)
            .routine("Function IsNT4 : Boolean", guarded<&isNT4>)
            .routine("Function IsWin2K : Boolean", guarded<&isWin2K>)
            .routine("Function IsWinXP : Boolean", guarded<&isWinXP>)
            .routine("function IsWin2003: Boolean;", guarded<&isWin2003>)
            .routine("Function WinMajorVersion : Integer", guarded<&winMajorVersion>)
            .routine("Function WinMinorVersion : Integer", guarded<&winMinorVersion>)
            .routine("Function WinBuildNumber : Integer", guarded<&winBuildNumber>)
            .routine("Function NTServicePackMajorVersion : Integer", guarded<&ntServicePackMajorVersion>)
            .routine("Function NTServicePackMinorVersion : Integer", guarded<&ntServicePackMinorVersion>)
            .routine("Function GetOS : TOSType", guarded<&getOS>)
            .routine("Function GetOSName : String", guarded<&getOSName>)
            .routine("Function GetSuiteType : TOSSuiteType", guarded<&getSuiteType>)
            .routine("Function GetProductType : TOSProductType", guarded<&getProductType>)
            .routine("Function GetNTServicePackName : String", guarded<&getNTServicePackName>)
            .routine("Function Wow64IsRunning( AppHandle : THandle) : Boolean", guarded<&wow64IsRunning>)
            .routine("Function UsingWinNT : Boolean", guarded<&usingWinNT>)
            .routine("Function IsAdminLoggedOn : Boolean", guarded<&isAdminLoggedOn>)
            .routine("Function IsPowerUserLoggedOn : Boolean", guarded<&isPowerUserLoggedOn>)
            .routine("Function GetUILanguage : Integer", guarded<&getUILanguage>)
            .routine("Function GetWindowsLanguageStr : String", guarded<&getWindowsLanguageStr>)
            .routine("Function GetComputerNameString : String", guarded<&getComputerNameString>)
            .routine("Function GetUserNameString : String", guarded<&getUserNameString>)
            .routine("Function ActiveDesktopEnabled : Boolean", guarded<&activeDesktopEnabled>);

        // Screen, mouse and keyboard.
        m.routine("function ScreenWidth : integer;", guarded<&screenWidth>)
            .routine("function ScreenHeight : integer;", guarded<&screenHeight>)
            .routine("function MouseX : integer;", guarded<&mouseX>)
            .routine("function MouseY : integer;", guarded<&mouseY>)
            .routine("Function ScreenDeviceName( const Index : Byte) : String", guarded<&screenDeviceName>)
            .routine("Function ScreenDeviceString( const Index : Byte) : String",
                     guarded<&screenDeviceString>)
            .routine("Function ScreenMonitorName( const Index : Byte) : String", guarded<&screenMonitorName>)
            .routine("Function ScreenMonitorString( const Index : Byte) : String",
                     guarded<&screenMonitorString>)
            .routine("Function ScreenColorDepth( const Index : Byte) : Byte", guarded<&screenColorDepth>)
            .routine("Function ScreenFrequency( const Index : Byte) : Integer", guarded<&screenFrequency>)
            .routine("Function ScreenResolution( const Index : Byte) : TDWDimension",
                     guarded<&screenResolution>)
            .routine("Function GetMouseButtons : Integer", guarded<&getMouseButtons>)
            .routine("Function MouseButtonsSwaped : Boolean", guarded<&mouseButtonsSwaped>)
            .routine("Function MouseIsPresent : Boolean", guarded<&mouseIsPresent>)
            .routine("Function MouseHasWheel : Boolean", guarded<&mouseHasWheel>)
            .routine("Function GetCapsLock : Boolean", guarded<&getCapsLock>)
            .routine("Function GetNumLock : Boolean", guarded<&getNumLock>)
            .routine("Function GetScrollLock : Boolean", guarded<&getScrollLock>)
            .routine("Procedure SetCapsLock( const CapsLockOn : Boolean)", guarded<&setCapsLock>)
            .routine("Procedure SetNumLock( const NumLockOn : Boolean)", guarded<&setNumLock>)
            .routine("Procedure SetScrollLock( const ScrollLockOn : Boolean)", guarded<&setScrollLock>);

        // Memory, sound, processors, network presence.
        m.routine("Function TotalPhysicalMemory : Integer", guarded<&totalPhysicalMemory>)
            .routine("Function AvailablePhysicalMemory : Integer", guarded<&availablePhysicalMemory>)
            .routine("Function TotalPageMemory : Integer", guarded<&totalPageMemory>)
            .routine("Function AvailablePageMemory : Integer", guarded<&availablePageMemory>)
            .routine("Function TotalVirtualMemory : Integer", guarded<&totalVirtualMemory>)
            .routine("Function AvailableVirtualMemory : Integer", guarded<&availableVirtualMemory>)
            .routine("Function MemoryUsedPercentage : Integer", guarded<&memoryUsedPercentage>)
            .routine("Function SoundCardInstalled : Boolean", guarded<&soundCardInstalled>)
            .routine("Procedure BuzzerSound( const Frequency : Word; const Delay : Cardinal)",
                     guarded<&buzzerSound>)
            .routine("Function NetworkIsPresent : Boolean", guarded<&networkIsPresent>)
            .routine("function ProcessorCount : integer;", guarded<&processorCount>)
            .routine("function ProcessorName(index : integer) : string;", guarded<&processorName>)
            .routine("function ProcessorSpeedMHZ(index : integer) : string;", guarded<&processorSpeedMHZ>)
            .routine("function ProcessorSpeed(index : integer) : string;", guarded<&processorSpeed>)
            .routine("procedure ProcessorVendor(index : integer; var Name,Signature : string);",
                     guarded<&processorVendor>)
            .routine("function ProcessorSignature(index : integer) : string;", guarded<&processorSignature>)
            .routine("function ProcessorUsage(index : integer) : string;", guarded<&processorUsage>);

        // Fonts, clipboard, cursors, synchronisation.
        m.routine("function Fonts : TStrings;", guarded<&fonts>)
            .routine("Function FontExists( const FaceName : String) : Boolean", guarded<&fontExists>)
            .routine("Function GetPreferredUIFont : String", guarded<&getPreferredUIFont>)
            .routine("procedure CopyTextToClipboard(Text : string);", guarded<&copyTextToClipboard>)
            .routine("function GetTextFromClipboard : string;", guarded<&getTextFromClipboard>)
            .routine("function AddCursor(Filename : string) : integer;", guarded<&addCursor>)
            .routine("procedure SetDefaultCursor(NewCursor : integer);", guarded<&setDefaultCursor>)
            .routine("procedure CreateMutex(Name : string);", guarded<&createNamedMutex>)
            .routine("Function CheckForMutexes( Mutexes : String) : Boolean", guarded<&checkForMutexes>)
            .routine("procedure Sleep(Milisecs : cardinal);", guarded<&sleepMs>);

        // Pictures.
        m.routine("procedure LoadImage(var control:Timage; filename:string);", &loadImageRoutine)
            .routine("procedure SaveImage(var control:Timage; filename:string);", &saveImageRoutine)
            .routine("function ClearImage(var Control : TImage) : boolean;", guarded<&clearImageRoutine>)
            .routine("procedure FreeGraphic(G : TPicture);", guarded<&freeGraphic>)
            .routine("procedure CopyWindowTo(Dest : TPicture; WinHandle,Left,Top,Width,Height : integer);",
                     guarded<&copyWindowTo>)
            .routine("procedure GetFormImage(AForm : TForm; DestPicture : TPicture);", guarded<&getFormImage>)
            .routine("procedure LoadWinIco(ID : integer; Picture : TPicture);", guarded<&loadWinIco>)
            // The show's class is declared by its own module first; declaring it here again
            // changes nothing there and lets this family stand alone.
            .classType(vcl::TPicShow::staticClass())
            .routine(
                "procedure SplashScreen(FileName : string; Picture : TPicture; Reverse : boolean; "
                "Style1,Style2,Time : integer);",
                &splashScreen)
            .routine(
                "procedure LoadPicShowPicsAnim(var PicShow:TPicShow;BgPicture,Picture:string;Style:integer);",
                &loadPicShowPicsAnimRoutine);

        // The tray icon (its menu class declared here as well, as above).
        m.classType(vcl::TPopupMenu::staticClass())
            .routine("procedure ShowTrayIcon(Show  : boolean);", &showTrayIcon)
            .routine("procedure SetTrayIconHint(Hint : string);", &setTrayIconHint)
            .routine("function GetTrayIconHint : string;", &getTrayIconHint)
            .routine("procedure GetSetTrayIconPopupMenu(_Set : boolean; var Pop : TPopupMenu);",
                     &getSetTrayIconPopupMenu)
            .routine("procedure HideTaskBarButton(Hide : boolean);", &hideTaskBarButton);
        return m;
    }();
    return table;
}

}  // namespace library
