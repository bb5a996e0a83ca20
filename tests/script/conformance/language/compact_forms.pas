// Counting loops, compares, constant operands, field chains and var parameters inside
// routines: the forms the compiler turns into single instructions behave as written.
// fpc-compatible
type
  TVec = record
    X, Y: Integer;
  end;
  TBody = record
    Pos, Vel: TVec;
    Name: string;
  end;
var
  bodies: array[0..2] of TBody;
  flags: array of Integer;
  total: Integer;

function Steps(N: Integer): Integer;
var
  i, limit, count: Integer;
begin
  count := 0;
  limit := N;
  for i := 1 to limit do
    count := count + i mod 4;
  for i := N downto -2 do
  begin
    if i mod 3 = 0 then Continue;
    if i = -1 then Break;
    count := count * 3 - i div 2;
  end;
  Result := count;
end;

procedure Bump(var V: Integer; K: Integer);
begin
  V := V + K;
  V := V - (V shr 1) + (V shl 2) - V and 7;
end;

function Classify(N: Integer): string;
begin
  case N mod 7 of
    0: Result := 'zero';
    1, 2: Result := 'small';
    3..4, 6: Result := 'mid';
    -6..-1: Result := 'negative';
  else
    Result := 'five';
  end;
end;

function Mix(A: Integer): Integer;
var
  h: Integer;
begin
  h := A;
  h := (h shl 5) xor (h shr 3) xor (A - 1);
  Result := (h and $FFFF) + (A mod 3) * 7 - (A div -4) + (h mod -5);
end;

var
  i, v: Integer;
begin
  Writeln(IntToStr(Steps(5)) + ' ' + IntToStr(Steps(0)));  // expect: 492 0
  v := 10;
  Bump(v, 5);
  Writeln(IntToStr(v));                                      // expect: 61
  Writeln(Classify(0) + ' ' + Classify(2) + ' ' + Classify(6) + ' ' + Classify(-3) + ' ' + Classify(5)); // expect: zero small mid negative five
  Writeln(IntToStr(Mix(1000)) + ' ' + IntToStr(Mix(-77)));   // expect: 32667 62982
  for i := 0 to 2 do
  begin
    bodies[i].Vel.X := i * 2 - 1;
    bodies[i].Pos.X := bodies[i].Pos.X + bodies[i].Vel.X;
    bodies[i].Pos.Y := bodies[i].Vel.Y - 3;
  end;
  Writeln(IntToStr(bodies[0].Pos.X + bodies[1].Pos.X + bodies[2].Pos.X) + ' ' + IntToStr(bodies[1].Pos.Y)); // expect: 3 -3
  SetLength(flags, 10);
  for i := 0 to 9 do flags[i] := 1;
  i := 2;
  while i <= 9 do
  begin
    flags[i] := 0;
    i := i + 3;
  end;
  total := 0;
  for i := 9 downto 0 do total := total * 2 + flags[i];
  Writeln(IntToStr(total));                                  // expect: 731
end.
