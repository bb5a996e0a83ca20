// with on a function's record result, and a field or element of a parameterless call's result.
// fpc-compatible
type
  TPoint = record
    X, Y: Integer;
    Name: string;
  end;
  TRow = array[0..2] of Integer;
var
  calls: Integer;

function Origin: TPoint;
begin
  Inc(calls);
  Result.X := 3;
  Result.Y := 4;
  Result.Name := 'origin';
end;

function Row: TRow;
begin
  Result[0] := 7;
  Result[1] := 8;
  Result[2] := 9;
end;

begin
  with Origin do
    Writeln(Name + ' ' + IntToStr(X + Y));       // expect: origin 7
  with Origin() do
    Writeln(IntToStr(X * Y));                    // expect: 12
  Writeln(Origin.Name + ' ' + IntToStr(Origin.Y)); // expect: origin 4
  Writeln(IntToStr(Row[1] + Row[2]));            // expect: 17
  Writeln(IntToStr(calls));                      // expect: 4
end.
