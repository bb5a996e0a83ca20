// fpc-compatible: tests/script/fpc_check.py checks this output against Free Pascal.
// Names are case-insensitive everywhere: keywords, variables, routines, types, fields.
TYPE
  tRec = RECORD fIeLd: INTEGER; END;
VAR
  MyVar: tREC;
  Counter: integer;

PROCEDURE bump(VAR c: INTEGER);
BEGIN
  C := c + 1;
END;

Begin
  myvar.FIELD := 5;
  COUNTER := MYVAR.field;
  BUMP(counter);
  writeln(inttostr(Counter));   // expect: 6
  WriteLn(IntToStr(LENGTH('abc'))); // expect: 3
End.
