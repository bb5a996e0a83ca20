// Strings are byte strings with value semantics, 1-based and range-checked.
var
  a, b: string;
  c: Char;
begin
  a := 'hello';
  b := a;
  b[1] := 'J';
  Writeln(a + ' ' + b);                // expect: hello Jello
  Writeln(IntToStr(Length(a)));        // expect: 5
  c := a[5];
  Writeln(c);                          // expect: o
  a := a + c + #33;
  Writeln(a);                          // expect: helloo!
  Writeln('it''s');                    // expect: it's
  Writeln('A' + #66 + #$43);           // expect: ABC
  if 'abc' < 'abd' then Writeln('less'); // expect: less
  if 'B' > 'A' then Writeln('greater');  // expect: greater
  a := '';
  Writeln(IntToStr(Length(a)));        // expect: 0
  SetLength(a, 3);
  a[1] := 'x'; a[2] := 'y'; a[3] := 'z';
  Writeln(a);                          // expect: xyz
  Writeln(UpperCase('MiXeD') + LowerCase('MiXeD')); // expect: MIXEDmixed
  Writeln(a[4]);                       // expect runtime error: Out of string range (25:12)
end.
