// fpc-compatible: tests/script/fpc_check.py checks this output against Free Pascal.
// var, const and out parameters; value parameters are copies.
type
  TArr = array of Integer;
var
  a, b: Integer;
  s: string;
  arr: TArr;

procedure SetOut(out X: Integer; var S: string);
begin
  X := 7;
  S := S + '!';
end;

procedure ByValue(X: Integer; S: string; A: TArr);
begin
  X := 100;
  S := 'changed';
  A[0] := 55;   // dynamic arrays are references even when passed by value
end;

function Sum(const A, B: Integer): Integer;
begin
  Result := A + B;
end;

procedure Grow(var A: TArr);
begin
  SetLength(A, Length(A) + 1);
  A[High(A)] := Length(A);
end;

begin
  s := 'x';
  SetOut(a, s);
  Writeln(IntToStr(a) + s);     // expect: 7x!
  b := 1;
  SetLength(arr, 1);
  ByValue(b, s, arr);
  Writeln(IntToStr(b) + s + IntToStr(arr[0])); // expect: 1x!55
  Writeln(IntToStr(Sum(2, 3))); // expect: 5
  Grow(arr);
  Grow(arr);
  Writeln(IntToStr(Length(arr)) + IntToStr(arr[2])); // expect: 33
end.
