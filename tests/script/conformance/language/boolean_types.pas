// LongBool, WordBool and ByteBool are Booleans of other sizes: they mix freely with Boolean.
// fpc-compatible
var
  b: Boolean;
  lb: LongBool;
  wb: WordBool;
  bb: ByteBool;

procedure Flip(var V: Boolean);
begin
  V := not V;
end;

begin
  lb := True;
  wb := lb;
  bb := not wb;
  b := lb and wb;
  if b and not bb then Writeln('mixed');          // expect: mixed
  if lb = wb then Writeln('equal');               // expect: equal
  Flip(b);
  if not b then Writeln('flipped');               // expect: flipped
  Writeln(IntToStr(SizeOf(LongBool)) + IntToStr(SizeOf(WordBool)) + IntToStr(SizeOf(ByteBool))); // expect: 421
end.
