// Records and nested static arrays.
type
  TVec = record
    X, Y, Z: Integer;
  end;
  TMatrix = array[0..7] of array[0..7] of Integer;
  TBody = record
    Pos, Vel: TVec;
    Grid: TMatrix;
  end;
var
  bodies: array[0..15] of TBody;
  i, j, k, step: Integer;
  sum: Int64;
begin
  for step := 1 to 200000 do
    for i := 0 to 15 do
    begin
      bodies[i].Vel.X := bodies[i].Vel.X + i - 7;
      bodies[i].Vel.Y := bodies[i].Vel.Y + step mod 5 - 2;
      bodies[i].Pos.X := bodies[i].Pos.X + bodies[i].Vel.X;
      bodies[i].Pos.Y := bodies[i].Pos.Y + bodies[i].Vel.Y;
      j := step mod 8;
      k := i mod 8;
      bodies[i].Grid[j][k] := bodies[i].Grid[j][k] + bodies[i].Pos.X mod 13;
    end;
  sum := 0;
  for i := 0 to 15 do
  begin
    sum := sum + bodies[i].Pos.X + bodies[i].Pos.Y;
    for j := 0 to 7 do
      for k := 0 to 7 do
        sum := sum + bodies[i].Grid[j][k];
  end;
  Writeln(IntToStr(sum));
end.
