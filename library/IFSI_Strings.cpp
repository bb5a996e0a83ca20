#include "library/IFSI_Strings.h"

#include <exception>
#include <type_traits>
#include <utility>

#include "classes/TComponent.h"
#include "library/ComponentText.h"
#include "library/Dates.h"
#include "library/Desktop.h"
#include "library/Guarded.h"
#include "library/Numbers.h"
#include "library/Strings.h"
#include "library/SystemMessages.h"
#include "library/TextCoders.h"
#include "script/Imports.h"

namespace library {
namespace {

std::string format(std::string_view s, const std::vector<classes::Variant>& args) { return Format(s, args); }

// Takes the value as Int64: the engine's own unit declares an Int64 IntToHex that this one
// shadows, and a binding by name must fit both declarations. The value is an Integer here.
std::string intToHex(int64_t value, int32_t digits) { return IntToHex(static_cast<int32_t>(value), digits); }

}  // namespace

const script::Imports& stringImports() {
    static const script::Imports table = [] {
        script::Imports m;
        m.constant("ctDefault", int32_t(ctDefault))
            .constant("ctHex", int32_t(ctHex))
            .constant("ctPrintable", int32_t(ctPrintable))
            .constant("ctLatin", int32_t(ctLatin))
            .constant("ctBase64", int32_t(ctBase64))
            .constant("ctUUE", int32_t(ctUUE))
            .constant("ctXX", int32_t(ctXX));

        // Strings and text helpers.
        m.routine("function Format(const S: string; const Args: array of Variant): string;", guarded<&format>)
            .routine("function IntToHex(Value: Integer; Digits: Integer): string;", guarded<&intToHex>)
            .routine("function StrToBool(const S: string): Boolean;", guarded<&StrToBool>)
            .routine("function BoolToStr(B: Boolean): string;", guarded<&BoolToStr>)
            .routine("function SameText(A,B : string) : boolean;", guarded<&SameText>)
            .routine("Procedure StringChange( var S : String; const FromStr, ToStr : String)",
                     guarded<&StringChange>)
            .routine("Function AdjustLength( var S : String; const Res : Cardinal) : Boolean",
                     guarded<&AdjustLength>)
            .routine("Function AddQuotes( const S : String) : String", guarded<&AddQuotes>)
            .routine("Function RemoveQuotes( const S : String) : String", guarded<&RemoveQuotes>)
            .routine("Function ConvertPercentStr( var S : String) : Boolean", guarded<&ConvertPercentStr>)
            .routine("Function ConvertConstPercentStr( var S : String) : Boolean",
                     guarded<&ConvertConstPercentStr>)
            .routine("Function ConstPos( const Ch : Char; const S : String) : Integer", guarded<&ConstPos>)
            .routine("Function SkipPastConst( const S : String; const Start : Integer) : Integer",
                     guarded<&SkipPastConst>)
            .routine("Function IsMultiByteString( S : String) : Boolean", guarded<&IsMultiByteString>)
            .routine("Function RemoveAccelChar( const S : String) : String", guarded<&RemoveAccelChar>)
            .routine("Function AddPeriod( const S : String) : String", guarded<&AddPeriod>)
            .routine("Function IsWildcard( const Pattern : String) : Boolean", guarded<&IsWildcard>)
            .routine("Function WildcardMatch( const Text, Pattern : PChar) : Boolean",
                     guarded<&WildcardMatch>)
            .routine("Function IntMax( const A, B : Integer) : Integer", guarded<&IntMax>)
            .routine(
                "Function GetTextWidth( const DC : Integer; S : String; const Prefix : Boolean) : Integer",
                guarded<&getTextWidth>)
            .routine("Function Win32ErrorString( ErrorCode : Integer) : String", guarded<&Win32ErrorString>)
            .routine("function StringToHTML(Str: String): String;", guarded<&StringToHTML>)
            .routine("Function EncodeStr( AType : integer; astr : string) : string", guarded<&EncodeStr>)
            .routine("Function DecodeStr( AType : integer; astr : string) : string", guarded<&DecodeStr>)
            // Placeholder expansion belongs to the run-time layer above this one, which binds
            // these two by name (Imports::bind).
            .unbound("Function RepConst( AString : string) : string")
            .unbound("Function DERepConst( AString : string) : string")
            // Not guarded: a stream or class error becomes a script error.
            .routine("Function ComponentToString( Component : TComponent) : string", &ComponentToString)
            .routine("Function StringToComponent( Value : string) : TComponent", &StringToComponent);

        // Numbers and bits.
        m.routine("function Odd(X: Longint): Boolean;", guarded<&Odd>)
            .routine("function Random( Range: Integer):integer;", guarded<&Random>)
            .routine("Function DecToRoman( iDecimal : LongInt) : String", guarded<&DecToRoman>)
            .routine("Function Expon( const Value, Exponent : Integer) : Integer", guarded<&Expon>)
            .routine("Function SimpleChecksum( const Str : String) : Integer", guarded<&SimpleChecksum>)
            .routine("Function Diff( const Value1, Value2 : Integer) : Integer", guarded<&Diff>)
            .routine("Function HexToInt( HexStr : String) : Integer", &HexToInt)  // not guarded
            .routine("Function ExtractBits( const Value, Start, Count : Integer) : Integer",
                     guarded<&ExtractBits>)
            .routine("Function CountBits( const Value : Integer) : Integer", guarded<&CountBits>)
            .routine("Function BitIsSet( w : DWord; Bitnr : integer) : Boolean", guarded<&BitIsSet>)
            .routine("Procedure SetBit( var w : DWord; Bitnr : integer)", guarded<&SetBit>)
            .routine("Procedure ResetBit( var w : DWord; Bitnr : integer)", guarded<&ResetBit>);

        // Time and versions.
        m.routine("function SecondsToString(sec : integer) : string;", guarded<&SecondsToString>)
            .routine("Function DayOfYear( ADate : TDateTime) : Integer", guarded<&DayOfYear>)
            .routine("function TimeToStr(D:TdateTime):string;", guarded<&TimeToStr>)
            .routine("function StrToTime(const S: string): TDateTime;", &StrToTime)  // not guarded
            .routine("function ISVersionOlder(OldVersion ,NewVersion : string) : boolean;",
                     guarded<&ISVersionOlder>);
        return m;
    }();
    return table;
}

}  // namespace library
