// Each case label is compared at run time, in order: strings, reals, ranges and
// duplicate labels are allowed and the first match wins.
var
  i: Integer;
  s: string;
  d: Double;
begin
  for i := 0 to 6 do
    case i of
      0: Writeln('zero');
      1, 2: Writeln('one or two');
      2: Writeln('duplicate');
      3..5: Writeln('three to five');
    else
      Writeln('other');
    end;
  // expect: zero
  // expect: one or two
  // expect: one or two
  // expect: three to five
  // expect: three to five
  // expect: three to five
  // expect: other
  s := 'beta';
  case s of
    'alpha': Writeln('a');
    'beta': Writeln('b');
  end;
  // expect: b
  d := 2.5;
  case d of
    1.0: Writeln('one');
    2.5: Writeln('two and a half');
  end;
  // expect: two and a half
  case 'x' of
    'a'..'m': Writeln('first half');
    'n'..'z': Writeln('second half');
  end;
  // expect: second half
end.
