// Deep but legitimate recursion works; runaway recursion is a script error.
function Depth(N: Integer): Integer;
begin
  if N = 0 then
    Result := 0
  else
    Result := Depth(N - 1) + 1;
end;

procedure Forever(N: Integer);
begin
  Forever(N + 1);
end;

begin
  Writeln(IntToStr(Depth(100000)));   // expect: 100000
  try
    Forever(0);
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam)); // expect: Out Of Stack Range
  end;
  Writeln(IntToStr(Depth(1000)));     // expect: 1000
  Forever(0);                         // expect runtime error: Out Of Stack Range (12:3)
end.
