type
  TColor = (clRed, clGreen, clBlue);
var
  c: TColor;
  ch: Char;
  b: Boolean;
begin
  c := clGreen;
  Writeln(IntToStr(Ord(c)));                       // expect: 1
  c := Succ(c);
  if c = clBlue then Writeln('blue');              // expect: blue
  c := Pred(c);
  Writeln(IntToStr(Ord(c)));                       // expect: 1
  Writeln(IntToStr(Ord(High(TColor))) + IntToStr(Ord(Low(TColor)))); // expect: 20
  c := TColor(2);
  if c > clRed then Writeln('greater');            // expect: greater
  ch := Chr(65);
  Writeln(ch + IntToStr(Ord('a')));                // expect: A97
  Inc(ch);
  Writeln(ch);                                     // expect: B
  ch := Succ(ch);
  Writeln(ch);                                     // expect: C
  b := True;
  Writeln(IntToStr(Ord(b)));                       // expect: 1
  b := not b;
  if b = False then Writeln('false');              // expect: false
  Writeln(IntToStr(Integer(clBlue)));              // expect: 2
end.
