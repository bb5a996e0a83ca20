type
  TIntFunc = function(X: Integer): Integer;
  TNotify = procedure(Msg: string);
var
  f: TIntFunc;
  n: TNotify;

function Double(X: Integer): Integer;
begin
  Result := X * 2;
end;

function Square(X: Integer): Integer;
begin
  Result := X * X;
end;

procedure Say(Msg: string);
begin
  Writeln('say ' + Msg);
end;

function Apply(F: TIntFunc; V: Integer): Integer;
begin
  Result := F(V);
end;

begin
  if f = nil then Writeln('nil');            // expect: nil
  f := @Double;
  Writeln(IntToStr(f(21)));                  // expect: 42
  f := @Square;
  Writeln(IntToStr(Apply(f, 7)));            // expect: 49
  Writeln(IntToStr(Apply(@Double, 5)));      // expect: 10
  if Assigned(f) then Writeln('assigned');   // expect: assigned
  n := @Say;
  n('hi');                                   // expect: say hi
  n := nil;
  n('boom');                                 // expect runtime error: Null Pointer Exception (39:3)
end.
