// The address of an element stays its variable's own across routines that copy or reassign
// the whole record, as in Delphi: reads see the new value and writes land in the variable.
// fpc-compatible
type
  TR = record
    A: array[0..3] of Integer;
    S: string;
  end;
var
  r, src, t: TR;
  k: Integer;

function ByValue(X: TR; I: Integer): Integer;
begin
  X.A[0] := 99;
  Result := I - 1;
end;

function Reassign: Integer;
begin
  r := src;
  Result := 1;
end;

procedure WriteAfterReassign(var X: Integer);
begin
  r := src;
  X := 42;
end;

procedure WriteAfterCopy(var X: Integer);
begin
  t := r;
  X := 43;
end;

procedure BothWays(var X: Integer; Y: TR);
begin
  X := 44;
  Writeln(IntToStr(Y.A[2]) + ' ' + IntToStr(r.A[2]));
end;


begin
  r.A[0] := 2;
  r.A[1] := 5;
  r.S := 'r';
  src.A[1] := 7;
  src.A[2] := 8;
  src.S := 'src';
  k := r.A[ByValue(r, r.A[0])];
  Writeln(IntToStr(k) + ' ' + IntToStr(r.A[0]));   // expect: 5 2
  k := r.A[Reassign];
  Writeln(IntToStr(k) + ' ' + r.S);                // expect: 7 src
  r.A[2] := 5;
  WriteAfterReassign(r.A[2]);
  Writeln(IntToStr(r.A[2]) + ' ' + IntToStr(src.A[2]));   // expect: 42 8
  WriteAfterCopy(r.A[2]);
  Writeln(IntToStr(r.A[2]) + ' ' + IntToStr(t.A[2]));   // expect: 43 42
  BothWays(r.A[2], r);                             // expect: 43 44
  with r do
  begin
    r := src;
    A[0] := 46;
    S := S + '!';
  end;
  Writeln(IntToStr(r.A[0]) + ' ' + r.S + ' ' + IntToStr(src.A[0]) + ' ' + src.S); // expect: 46 src! 0 src
end.
