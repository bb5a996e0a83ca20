// String building, Copy and Pos.
var
  s, part: string;
  i, found, total: Integer;
begin
  total := 0;
  for i := 1 to 4000 do
  begin
    s := '';
    while Length(s) < 2000 do
      s := s + IntToStr(Length(s)) + ',';
    part := Copy(s, 100 + i, 50);
    found := Pos('999', s);
    total := total + Length(part) + found + Pos(Copy(part, 5, 3), s);
  end;
  Writeln(IntToStr(total));
end.
