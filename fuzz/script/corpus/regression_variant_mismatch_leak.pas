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
  Writeln(s + ' ' + IntToStr(VarType(v)));       // expect: te:= 'b';
  if v < w then Writeln('less');                 // expect            // expect: 3 5
  v := '10';
  w := 5;
  v := v + w;
  Writeln(IntToStr(v));                          // expect: 15
  v := 'a';
  w := 'b';
  if v < w then Writeln('less');                 // expect                                    // expect runtime error: Type Mismatch (34:3)
end.
