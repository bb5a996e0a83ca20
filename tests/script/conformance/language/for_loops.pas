// A for loop re-reads its final bound every iteration and leaves the variable at
// final+1 (final-1 for downto) after a normal end.
var
  i, n, count: Integer;
  ch: Char;
  b: Byte;

// the same with the counter and the bound local to a routine
function Grown(N: Integer): Integer;
var
  k, count: Integer;
begin
  count := 0;
  for k := 1 to N do
  begin
    count := count + 1;
    if k = 2 then N := 5;
  end;
  Result := count * 100 + k;
end;

begin
  Writeln(IntToStr(Grown(3)));         // expect: 506
  for i := 1 to 5 do ;
  Writeln(IntToStr(i));                // expect: 6
  for i := 5 downto 1 do ;
  Writeln(IntToStr(i));                // expect: 0
  n := 3;
  count := 0;
  for i := 1 to n do
  begin
    count := count + 1;
    if i = 2 then n := 5;
  end;
  Writeln(IntToStr(count));            // expect: 5
  for i := 10 to 1 do Writeln('never');
  Writeln(IntToStr(i));                // expect: 10
  for i := 1 to 10 do
    if i = 4 then Break;
  Writeln(IntToStr(i));                // expect: 4
  count := 0;
  for i := 1 to 10 do
  begin
    if i mod 2 = 0 then Continue;
    count := count + i;
  end;
  Writeln(IntToStr(count));            // expect: 25
  for ch := 'a' to 'e' do Write(ch);
  Writeln('');                         // expect: abcde
  i := 0;
  while i < 3 do i := i + 1;
  Writeln(IntToStr(i));                // expect: 3
  repeat
    i := i - 1;
  until i = 0;
  Writeln(IntToStr(i));                // expect: 0
  // A loop up to the last value of its variable's type ends (the original wrapped
  // around forever, a plain bug; this engine behaves as Delphi does).
  count := 0;
  for b := 0 to 255 do count := count + 1;
  Writeln(IntToStr(count));            // expect: 256
  count := 0;
  for i := 2147483646 to 2147483647 do count := count + 1;
  Writeln(IntToStr(count));            // expect: 2
  for b := 3 downto 0 do count := count + 1;
  Writeln(IntToStr(count));            // expect: 6
end.
