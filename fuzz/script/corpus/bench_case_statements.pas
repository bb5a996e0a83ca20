// case statements over integers and chars.
var
  i, a, b, c: Integer;
  ch: Char;
begin
  a := 0;
  b := 0;
  c := 0;
  for i := 1 to 3000000 do
  begin
    case i mod 10 of
      0: a := a + 1;
      1, 2: b := b + 2;
      3..5: c := c + 3;
      6: a := a - 1;
    else
      b := b - 1;
    end;
    ch := Chr(65 + i mod 26);
    case ch of
      'A'..'M': c := c + 1;
      'N', 'O': a := a + 2;
    else
      c := c - 1;
    end;
  end;
  Writeln(IntToStr(a) + ' ' + IntToStr(b) + ' ' + IntToStr(c));
end.
