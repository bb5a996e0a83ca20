// Variants with Delphi's rules.
var
  v, w: Variant;
  i: Integer;
  s: string;
begin
  if VarIsEmpty(v) then Writeln('empty');        // expect: empty
  Writeln(IntToStr(VarType(v)));                 // expect: 0
  v := 42;
  Writeln(IntToStr(VarType(v)) + ' ' + IntToStr(varInteger)); // expect: 3 3
  i := v;
  Writeln(IntToStr(i + 1));                      // expect: 43
  v := 'text';
  s := v;
  Writeln(s + ' ' + IntToStr(VarType(v)));       // expect: text 256
  v := 1.5;
  Writeln(FloatToStr(v * 2) + ' ' + IntToStr(VarType(v))); // expect: 3 5
  v := '10';
  w := 5;
  v := v + w;
  Writeln(IntToStr(v));                          // expect: 15
  v := 'a';
  w := 'b';
  if v < w then Writeln('less');                 // expect: less
  v := True;
  if v then Writeln('true ' + IntToStr(VarType(v))); // expect: true 11
  v := Null;
  if VarIsNull(v) then Writeln('null');          // expect: null
  w := v + 1;
  if VarIsNull(w) then Writeln('null propagates'); // expect: null propagates
  v := Unassigned;
  if VarIsEmpty(v) then Writeln('unassigned');   // expect: unassigned
  v := Null;
  i := v;                                        // expect runtime error: Exception: Invalid variant type cast (34:3)
end.
