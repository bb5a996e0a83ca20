// A Boolean sieve of Eratosthenes.
var
  flags: array of Boolean;
  i, j, count, round: Integer;
begin
  SetLength(flags, 2000001);
  for round := 1 to 5 do
  begin
    for i := 2 to 2000000 do flags[i] := True;
    count := 0;
    for i := 2 to 2000000 do
      if flags[i] then
      begin
        count := count + 1;
        j := i + i;
        while j <= 2000000 do
        begin
          flags[j] := False;
          j := j + i;
        end;
      end;
  end;
  Writeln(IntToStr(count));
end.
