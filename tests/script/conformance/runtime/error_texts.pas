// The texts of the common run-time errors.
type
  TRow = array[1..3] of Integer;
var
  row: TRow;
  s: string;
  v: Variant;
  i: Integer;
  c: Char;
  d: Double;
begin
  i := 5;
  try
    row[i] := 1;
  except
    Writeln(ExceptionParam);            // expect: Static array index out of bounds (5). Length is 3.
  end;
  try
    i := row[0];
  except
    Writeln(ExceptionParam);            // expect: Static array index out of bounds (0). Length is 3.
  end;
  s := 'abc';
  try
    c := s[4];
  except
    Writeln(ExceptionParam);            // expect: Out of string range
  end;
  try
    d := StrToFloat('1,5');
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam)); // expect: Exception: Invalid float
  end;
  v := 'abc';
  try
    i := v;
  except
    if ExceptionType = erException then Writeln(ExceptionParam); // expect: Invalid variant type cast
  end;
  s[0] := 'x';
end.
// expect runtime error: Out of string range (40:4)
