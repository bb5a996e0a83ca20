// fpc-compatible: tests/script/fpc_check.py checks this output against Free Pascal.
// goto with identifier labels; with over records.
type
  TInner = record
    A, B: Integer;
  end;
  TOuter = record
    Inner: TInner;
    C: Integer;
  end;
label
  Loop, Done;
var
  i: Integer;
  o: TOuter;

procedure Local;
label
  Skip;
begin
  goto Skip;
  Writeln('skipped');
Skip:
  Writeln('after skip');
end;

begin
  i := 0;
Loop:
  i := i + 1;
  if i < 5 then goto Loop;
  goto Done;
  Writeln('never');
Done:
  Writeln(IntToStr(i));          // expect: 5
  Local;                         // expect: after skip
  with o, Inner do
  begin
    A := 1;
    B := 2;
    C := 3;
  end;
  Writeln(IntToStr(o.Inner.A + o.Inner.B + o.C)); // expect: 6
end.
