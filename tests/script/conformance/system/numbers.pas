// Number conversions of the system unit.
var
  i: Integer;
  big: Int64;
  d: Double;
begin
  Writeln(IntToStr(-42));                       // expect: -42
  Writeln(IntToStr(StrToInt('123')));           // expect: 123
  Writeln(IntToStr(StrToInt('12a')));           // expect: -1
  Writeln(IntToStr(StrToInt('')));              // expect: -1
  Writeln(IntToStr(StrToInt('3000000000')));    // expect: -1
  Writeln(IntToStr(StrToIntDef('x', 99)));      // expect: 99
  Writeln(IntToStr(StrToIntDef('-7', 99)));     // expect: -7
  big := StrToInt64('9000000000');
  Writeln(Int64ToStr(big + 1));                 // expect: 9000000001
  Writeln(IntToHex(255, 4));                    // expect: 00FF
  Writeln(FloatToStr(0.1 + 0.2));               // expect: 0.3
  Writeln(FloatToStr(1 / 3.0));                 // expect: 0.333333333333333
  Writeln(FloatToStr(1e20));                    // expect: 1E20
  Writeln(FloatToStr(1.5e-7));                  // expect: 1.5E-7
  Writeln(FloatToStr(0.00001));                 // expect: 0.00001
  Writeln(FloatToStr(1234567890123456.0));      // expect: 1.23456789012346E15
  Writeln(FloatToStr(-2.5));                    // expect: -2.5
  Writeln(FloatToStr(StrToFloat('3.25')));      // expect: 3.25
  Writeln(FloatToStr(Int(-3.7)) + ' ' + FloatToStr(Frac(2.5))); // expect: -3 0.5
  Writeln(IntToStr(Round(2.5)) + IntToStr(Round(3.5)) + IntToStr(Round(-2.5))); // expect: 24-2
  Writeln(IntToStr(Trunc(-2.7)) + ' ' + IntToStr(Trunc(2.7)));  // expect: -2 2
  Writeln(FloatToStr(Sqrt(16)) + ' ' + FloatToStr(Abs(-1.5)));  // expect: 4 1.5
  Writeln(FloatToStr(Round(Pi * 1000) / 1000.0));  // expect: 3.142
  Writeln(FloatToStr(Sin(0)) + ' ' + FloatToStr(Cos(0)));        // expect: 0 1
  d := Infinity;
  Writeln(FloatToStr(d) + ' ' + FloatToStr(NegInfinity));        // expect: INF -INF
  d := NaN;
  if d <> d then Writeln('nan');                                 // expect: nan
  i := 10;
  d := i;
  Writeln(FloatToStr(d / 4));                   // expect: 2.5
  Writeln(FloatToStr(StrToFloat('1,5')));       // expect runtime error: Exception: Invalid float (38:22)
end.
