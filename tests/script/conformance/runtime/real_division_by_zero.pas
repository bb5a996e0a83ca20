// Dividing a real by zero is the script error "divide by Zero", not an infinity.
var
  x, zero: Double;
  v: Variant;
begin
  zero := 0;
  x := 3;
  try
    x := x / zero;
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam));   // expect: divide by Zero
  end;
  Writeln(FloatToStr(x));                                         // expect: 3
  v := 2.5;
  try
    v := v / 0;
  except
    Writeln(ExceptionToString(ExceptionType, ExceptionParam));   // expect: divide by Zero
  end;
  x := 1.0 / 0;
end.
// expect runtime error: divide by Zero (20:12)
