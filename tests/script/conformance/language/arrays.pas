// Dynamic arrays are shared by reference; static arrays are values; open array parameters.
type
  TInts = array of Integer;
var
  a, b: TInts;
  s: array[1..3] of Integer;
  t: array[1..3] of Integer;
  i: Integer;
  names: array of string;

function Sum(const Values: array of Integer): Integer;
var
  k: Integer;
begin
  Result := 0;
  for k := 0 to High(Values) do
    Result := Result + Values[k];
end;

procedure Fill(var Arr: TInts; N: Integer);
var
  k: Integer;
begin
  SetLength(Arr, N);
  for k := 0 to N - 1 do Arr[k] := k * 10;
end;

begin
  SetLength(a, 3);
  a[0] := 1;
  b := a;
  b[0] := 99;
  Writeln(IntToStr(a[0]));                  // expect: 99
  Writeln(IntToStr(Length(a)) + IntToStr(High(a)) + IntToStr(Low(a))); // expect: 320
  s[1] := 1; s[2] := 2; s[3] := 3;
  t := s;
  t[1] := 100;
  Writeln(IntToStr(s[1]) + ' ' + IntToStr(t[1]));   // expect: 1 100
  Writeln(IntToStr(Sum([1, 2, 3, 4])));     // expect: 10
  Writeln(IntToStr(Sum(s)));                // expect: 6
  Fill(a, 4);
  Writeln(IntToStr(a[3]) + ' ' + IntToStr(GetArrayLength(a)));   // expect: 30 4
  SetArrayLength(names, 2);
  names[1] := 'two';
  Writeln(names[0] + '|' + names[1]);       // expect: |two
  SetLength(names, 1);
  Writeln(IntToStr(Length(names)));         // expect: 1
  Writeln(IntToStr(Low(s)) + IntToStr(High(s))); // expect: 13
  i := 5;
  Writeln(IntToStr(a[i]));                  // expect runtime error: Array index out of bounds (5). Length is 4. (50:21)
end.
