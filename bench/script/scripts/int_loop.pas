// Integer loop arithmetic.
var
  i, j, acc: Integer;
  total: Int64;
begin
  total := 0;
  for i := 1 to 3000 do
  begin
    acc := 0;
    for j := 1 to 10000 do
      acc := acc + (j xor i) mod 7 + j * 3 - (acc div 5);
    total := total + acc;
  end;
  Writeln(IntToStr(total));
end.
