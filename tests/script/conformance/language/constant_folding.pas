// Constant expressions follow the run-time rule: 32-bit Integer arithmetic wraps by the
// left operand's type, shifts count modulo the width, and hexadecimal literals from
// $80000000 to $FFFFFFFF are the negative Integers with that bit pattern.
const
  ShrNeg = -16 shr 28;
  Wrapped = MaxInt + 1;
  Doubled = $7FFFFFFF * 2;
  AllOnes = $FFFFFFFF;
  TopBit = $80000000;
  Wide = $100000000;
  FarShift = 1 shl 33;
  SmallSum = Byte(200) + 100;
var
  i, j: Integer;
  b: Byte;
  big: Int64;
begin
  i := -16;
  j := 28;
  Writeln(IntToStr(ShrNeg) + ' ' + IntToStr(i shr j));          // expect: 15 15
  i := MaxInt;
  Writeln(IntToStr(Wrapped) + ' ' + IntToStr(i + 1));            // expect: -2147483648 -2147483648
  i := $7FFFFFFF;
  Writeln(IntToStr(Doubled) + ' ' + IntToStr(i * 2));            // expect: -2 -2
  Writeln(IntToStr(AllOnes) + ' ' + IntToStr(TopBit));           // expect: -1 -2147483648
  if AllOnes < 0 then Writeln('negative');                       // expect: negative
  Writeln(IntToStr(AllOnes + 1) + ' ' + IntToStr(Wide));         // expect: 0 4294967296
  i := 1;
  j := 33;
  Writeln(IntToStr(FarShift) + ' ' + IntToStr(i shl j));         // expect: 2 2
  b := 200;
  Writeln(IntToStr(SmallSum) + ' ' + IntToStr(b + 100));         // expect: 44 44
  big := $FFFFFFFF;
  Writeln(IntToStr(big));                                        // expect: -1
  Writeln(IntToStr(-2147483648 div -1) + ' ' + IntToStr(7 mod -2)); // expect: -2147483648 1
end.
