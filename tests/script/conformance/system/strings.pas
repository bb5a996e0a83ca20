// String routines of the system unit, with Delphi's edge cases.
var
  s: string;
begin
  Writeln(Copy('hello', 2, 3));                 // expect: ell
  Writeln(Copy('hello', 0, 2));                 // expect: he
  Writeln(Copy('hello', 4, 100));               // expect: lo
  Writeln('[' + Copy('hello', 6, 1) + ']');     // expect: []
  Writeln('[' + Copy('hello', 2, -1) + ']');    // expect: []
  Writeln(IntToStr(Pos('lo', 'hello')));        // expect: 4
  Writeln(IntToStr(Pos('', 'hello')));          // expect: 0
  Writeln(IntToStr(Pos('x', 'hello')));         // expect: 0
  s := 'hello';
  Delete(s, 2, 2);
  Writeln(s);                                   // expect: hlo
  s := 'hello';
  Delete(s, 0, 2);
  Delete(s, 9, 1);
  Delete(s, 4, 100);
  Writeln(s);                                   // expect: hel
  s := 'world';
  Insert('hello ', s, 1);
  Writeln(s);                                   // expect: hello world
  s := 'ab';
  Insert('X', s, 0);
  Insert('Y', s, 10);
  Writeln(s);                                   // expect: XabY
  Writeln(UpperCase('abc-ä') + LowerCase('ABC'));  // expect: ABC-äabc
  if (AnsiUpperCase(#228) = #196) and (AnsiLowerCase(#196) = #228) then Writeln('ansi case'); // expect: ansi case
  if UpperCase(#228) = #228 then Writeln('ascii only');  // expect: ascii only
  Writeln('[' + Trim('  a b  ') + ']');         // expect: [a b]
  Writeln('[' + PadL('ab', 4) + '][' + PadR('ab', 4) + '][' + PadZ('42', 5) + ']'); // expect: [  ab][ab  ][00042]
  Writeln('[' + PadL('abcdef', 3) + ']');       // expect: [abcdef]
  Writeln(Replicate('=', 5) + StringOfChar('*', 3)); // expect: =====***
  s := 'abc';
  Writeln(StrGet(s, 2));                        // expect: b
  StrSet('Z', 3, s);
  Writeln(s);                                   // expect: abZ
  Writeln(IntToStr(Length('')) + IntToStr(Length('four')));  // expect: 04
  StrSet('Q', 4, s);                            // expect runtime error: Out of string range (40:3)
end.
