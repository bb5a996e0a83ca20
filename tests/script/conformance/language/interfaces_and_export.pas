// Interface declarations and the export directive are accepted and change nothing.
type
  IBase = interface
    ['{00000000-0000-0000-C000-000000000046}']
    function QueryInterface(const IID: string; out Obj): Integer; stdcall;
    function GetCount: Integer;
    property Count: Integer read GetCount;
  end;
  ILater = interface;
  IChild = interface(IBase)
    procedure Run(var Steps: Integer);
  end;
var
  a, b: IChild;

function Twice(N: Integer): Integer; export;
begin
  Result := N * 2;
end;

procedure Later; forward;

procedure Later; export;
begin
  Writeln('later');
end;

begin
  a := nil;
  b := a;
  if b = nil then Writeln('nil');                 // expect: nil
  Writeln(IntToStr(Twice(21)));                   // expect: 42
  Later;                                          // expect: later
end.
