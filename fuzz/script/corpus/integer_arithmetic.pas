// Integer operations take the type of their left operand and wrap silently;
// '/' between two integers is an integer division.
var
  b: Byte;
  w: Word;
  si: ShortInt;
  i: Integer;
  c: Cardinal;
  big: Int64;
begin
  b := 200;
  b := b + 100;
  Writeln(IntToStr(b));              // expect: 44
  si := 127;
  si := si + 1;
  Writeln(IntToStr(si));             // expect: -128
  w := 0;
  w := w - 1;
  Writeln(IntToStr(w));              // expect: 65535
  i := 2147483647;
  i := i + 1;
  Writeln(IntToStr(i));              // expect: -2147483648
  i := 7;
  Writeln(IntToStr(i / 2));          // expect: 3
  Writeln(IntToStr(-7 div 2));       // expect: -3
  Writeln(IntToStr(-7 mod 2));       // expect: -1
  Writeln(IntToStr(7 mod -2));       // expect: 1
  Writeln(IntToStr(1 shl 10));       // expect: 1024
  i := -16;
  Writeln(IntToStr(i shr 28));       // expect: 15
  Writeln(IntToStr(5 and 3));        // expect: 1
  Writeln(IntToStr(5 or 3));         // expect: 7
  Writeln(IntToStr(5 xor 3));        // expect: 6
  Writeln(IntToStr(not 0));          // expect: -1
  c := 4000000000;
  Writeln(IntToStr(c));              // expect: 4000000000
  big := 3000000000;
  big := big * 4;
  Writeln(IntToStr(big));            // expect: 12000000000
  i := 100000;
  big := i * i;
  Writeln(IntToStr(big));            // expect: 1410065408
  big := 100000;
  big := big * i;
  Writeln(IntToStr(big));            // expect: 10000000000
  b := 10;
  i := 3 - b;
  Writeln(IntToStr(i));              // expect: -7
  Writeln(IntToStr(Abs(-5)));        // expect: 5
  Writeln(IntToStr(MaxInt));         // expect: 2147483647
end.
