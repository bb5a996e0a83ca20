// Number and bit helpers; HexToInt raises a script error.
var w: DWord; i: Integer; inRange: Boolean;
begin
  if Odd(3) and not Odd(4) then Log('odd');            // expect: odd
  inRange := True;
  for i := 1 to 200 do
    if (Random(10) < 0) or (Random(10) >= 10) then inRange := False;
  if inRange and (Random(0) = 0) and (Random(-5) = 0) then Log('random');  // expect: random
  Log(DecToRoman(1994));                               // expect: MCMXCIV
  Log(IntToStr(Expon(2, 10)));                         // expect: 1024
  Log(IntToStr(Expon(2, 32)));                         // expect: 0
  Log(IntToStr(SimpleChecksum('abc')));                // expect: 1274
  Log(IntToStr(Diff(3, 10)));                          // expect: 7
  Log(IntToStr(HexToInt('ff')));                       // expect: 255
  Log(IntToStr(ExtractBits($F0, 4, 4)));               // expect: 15
  Log(IntToStr(CountBits(-1)));                        // expect: 32
  w := 0;
  SetBit(w, 33);
  if BitIsSet(w, 1) then Log(IntToStr(w));             // expect: 2
  ResetBit(w, 1);
  Log(IntToStr(w));                                    // expect: 0
  try
    HexToInt('zz');
  except
    Log(ExceptionToString(ExceptionType, ExceptionParam));  // expect: Exception: '$zz' is not a valid integer value
  end;
end.
