var
  a, b: Integer;
  d: Double;
begin
  a := 1;
  b := 0;
  d := a / 2.0;
  Writeln(FloatToStr(d));   // expect: 0.5
  a := a mod b;             // expect runtime error: divide by Zero (9:10)
end.
