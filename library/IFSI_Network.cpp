#include "library/IFSI_Network.h"

#include "classes/NativeType.h"
#include "classes/TStrings.h"
#include "library/Download.h"
#include "library/Guarded.h"
#include "library/Network.h"
#include "library/Printers.h"
#include "script/Imports.h"

template <>
struct classes::RecordFields<library::TDWHostConnectInfo>
    : classes::Fields<&library::TDWHostConnectInfo::Host, &library::TDWHostConnectInfo::Port> {};

template <>
struct classes::RecordFields<library::TDWInternetProxySetting>
    : classes::Fields<&library::TDWInternetProxySetting::HTTP, &library::TDWInternetProxySetting::HTTPS,
                      &library::TDWInternetProxySetting::FTP, &library::TDWInternetProxySetting::Gopher,
                      &library::TDWInternetProxySetting::Socks> {};

namespace library {
namespace {

bool proxyIgnored(classes::TStringList*& addresses) { return GetProxyIgnoredAdresses(addresses); }

}  // namespace

// The records and the set type are registered with the library's conventions; the
// printing routines that need a printer are not guarded, so a missing one is a script error.
const script::Imports& networkImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.routine("function DownloadFile(URL,LocalFile : string):boolean;", &DownloadFile)
            .routine("function DownloadFileEx(URL,LocalFile,Message : string):boolean;", &DownloadFileEx);

        m.routine("Function GetIPAdress : String", guarded<&GetIPAdress>)
            .routine("Function GetIPByHostName( const HostName : String) : String", guarded<&GetIPByHostName>)
            .routine("Function GetHostNameByIP( const IPAdress : String) : String", guarded<&GetHostNameByIP>)
            .routine("Function GetInetSideIP : String", guarded<&GetInetSideIP>)
            .routine("Function GetMACAdress : String", guarded<&GetMACAdress>)
            .routine(
                "Function GetInternetConnectionState( var InternetConnectedStates : "
                "TDWInternetConnectedStates) : Boolean",
                guarded<&GetInternetConnectionState>)
            .routine(
                "Function GetInternetProxySetting( var InternetProxySetting : TDWInternetProxySetting) : "
                "Boolean",
                guarded<&GetInternetProxySetting>)
            .routine("Function GetProxyIgnoredAdresses( var Adresses : TStringList) : Boolean",
                     guarded<&proxyIgnored>);

        m.routine("Function GetDefaultPaperBin : Integer", &GetDefaultPaperBin)
            .routine("Function GetPrinterStrFromIndex( index : integer) : string", &GetPrinterStrFromIndex)
            .routine("Procedure SetDefaultPrinter( NewDefPrinter : string)", &SetDefaultPrinter)
            .routine("Function PRN_PXLPERMM_X( MM : Integer) : Integer", &PRN_MMToPixelX)
            .routine("Function PRN_MMToPixelX( Millimeters : Integer) : Integer", &PRN_MMToPixelX)
            .routine("Function PRN_PXLPERMM_Y( MM : Integer) : Integer", &PRN_MMToPixelY)
            .routine("Function PRN_MMToPixelY( Millimeters : Integer) : Integer", &PRN_MMToPixelY)
            .routine("Procedure SendASCII( Str, JobName : string)", &SendASCII);
        return m;
    }();
    return table;
}

}  // namespace library
