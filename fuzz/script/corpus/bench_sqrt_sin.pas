// Floating point through the system unit: Sqrt and Sin.
var
  i: Integer;
  sum: Double;
begin
  sum := 0;
  for i := 1 to 2000000 do
    sum := sum + Sqrt(i) * Sin(i);
  Writeln(IntToStr(Round(sum)));
end.
