// Integer loops mixing mod, div, xor, shifts and branches (a hash-like mixer).
var
  i, j, h, x, acc: Integer;
  total: Int64;
begin
  total := 0;
  h := 12345;
  for i := 1 to 2000 do
  begin
    acc := 0;
    for j := 1 to 5000 do
    begin
      x := (h xor j) and $FFFF;
      h := ((h shl 5) xor (h shr 3) xor j) and $FFFFFF;
      if x mod 3 = 0 then
        acc := acc + x div 7
      else if x and 1 = 1 then
        acc := acc - (x shr 2)
      else
        acc := acc xor (x shl 1);
      if acc > 1000000 then
        acc := acc mod 1000;
    end;
    total := total + acc;
  end;
  Writeln(IntToStr(total));
end.
