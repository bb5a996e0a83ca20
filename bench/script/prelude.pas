{ What a compiled-natively benchmark needs from the script engine's system unit. }
unit prelude;
{$mode delphi}
interface
uses SysUtils;

type
  TIFException = (erNoError, erCannotImport, erInvalidType, ErInternalError, erInvalidHeader,
    erInvalidOpcode, erInvalidOpcodeParameter, erNoMainProc, erOutOfGlobalVarsRange,
    erOutOfProcRange, ErOutOfRange, erOutOfStackRange, ErTypeMismatch, erUnexpectedEof,
    erVersionError, ErDivideByZero, ErMathError, erCouldNotCallProc, erOutofRecordRange,
    erOutOfMemory, erException, erNullPointerException, erNullVariantError,
    erInterfaceNotSupported, erCustomError);

procedure RaiseException(Ex: TIFException; Param: string);
function ExceptionParam: string;
function GetTickCount: Int64;

implementation

var
  LastParam: string;

procedure RaiseException(Ex: TIFException; Param: string);
begin
  LastParam := Param;
  raise Exception.Create(Param);
end;

function ExceptionParam: string;
begin
  Result := LastParam;
end;

function GetTickCount: Int64;
begin
  Result := GetTickCount64;
end;

end.
