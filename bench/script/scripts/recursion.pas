// Recursive calls and var parameters.
var
  calls: Integer;

function Fib(N: Integer): Integer;
begin
  if N < 2 then
    Result := N
  else
    Result := Fib(N - 1) + Fib(N - 2);
end;

procedure Count(N: Integer; var Total: Integer);
begin
  Total := Total + 1;
  if N > 0 then
  begin
    Count(N - 1, Total);
    Count(N - 2, Total);
  end;
end;

begin
  calls := 0;
  Count(30, calls);
  Writeln(IntToStr(Fib(32)) + ' ' + IntToStr(calls));
end.
