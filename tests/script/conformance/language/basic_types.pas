// The basic types and their aliases.
var
  b: Byte;
  si: ShortInt;
  w: Word;
  sm: SmallInt;
  li: LongInt;
  c: Cardinal;
  lw: LongWord;
  i64: Int64;
  u64: UInt64;
  sg: Single;
  db: Double;
  ex: Extended;
  cu: Currency;
  wc: WideChar;
  ws: WideString;
  pc: PChar;
  bo: Boolean;
begin
  b := 255; si := -128; w := 65535; sm := -32768; li := -1; c := 4294967295; lw := 7;
  Writeln(IntToStr(b) + ' ' + IntToStr(si) + ' ' + IntToStr(w) + ' ' + IntToStr(sm));  // expect: 255 -128 65535 -32768
  Writeln(IntToStr(li) + ' ' + IntToStr(c) + ' ' + IntToStr(lw));  // expect: -1 4294967295 7
  c := c + 1;
  Writeln(IntToStr(c));                                   // expect: 0
  i64 := 9223372036854775807;
  Writeln(IntToStr(i64));                                 // expect: 9223372036854775807
  u64 := 18446744073709551615;
  if u64 > 1 then Writeln('unsigned compare');            // expect: unsigned compare
  sg := 0.1;
  db := 0.1;
  if sg <> db then Writeln('single is rounded');          // expect: single is rounded
  ex := 1 / 4.0;
  Writeln(FloatToStr(ex));                                // expect: 0.25
  cu := 1.23456;
  Writeln(FloatToStr(cu));                                // expect: 1.2346
  wc := 'W';
  ws := 'wide';
  pc := 'pchar';
  Writeln(wc + ws + pc);                                  // expect: Wwidepchar
  bo := not False;
  if bo then Writeln('boolean');                          // expect: boolean
  Writeln(IntToStr(SizeOf(b) + SizeOf(w) + SizeOf(li) + SizeOf(i64) + SizeOf(db))); // expect: 23
  b := 10;
  b := b - 11;
  Writeln(IntToStr(b));                                   // expect: 255
end.
