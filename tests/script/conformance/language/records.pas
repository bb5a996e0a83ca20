// Records are copied by value and comparable with '='; static arrays nest.
type
  TPoint = record
    X, Y: Integer;
    Name: string;
  end;
  TGrid = array[0..2] of array[0..2] of Integer;
  TBox = record
    Corners: array[1..2] of TPoint;
    Cells: TGrid;
  end;
var
  p, q: TPoint;
  g, h: TGrid;
  box, box2: TBox;

function MakePoint(X, Y: Integer): TPoint;
begin
  Result.X := X;
  Result.Y := Y;
  Result.Name := 'p';
end;

procedure Move(var P: TPoint);
begin
  P.X := P.X + 10;
end;

procedure Show(P: TPoint);
begin
  P.X := 999;
end;

begin
  p := MakePoint(1, 2);
  q := p;
  q.X := 5;
  Writeln(IntToStr(p.X) + ',' + IntToStr(q.X));   // expect: 1,5
  if p = q then Writeln('equal') else Writeln('different'); // expect: different
  q.X := 1;
  if p = q then Writeln('equal') else Writeln('different'); // expect: equal
  Move(p);
  Show(p);
  Writeln(IntToStr(p.X));                         // expect: 11
  Writeln(IntToStr(MakePoint(7, 8).Y));           // expect: 8
  g[1][2] := 12;
  g[2, 1] := 21;
  h := g;
  h[1][2] := 0;
  Writeln(IntToStr(g[1][2]) + ' ' + IntToStr(h[1, 2]) + ' ' + IntToStr(g[2][1])); // expect: 12 0 21
  box.Corners[2].X := 42;
  box.Cells[0][0] := 3;
  box2 := box;
  box2.Corners[2].Name := 'c';
  Writeln(IntToStr(box2.Corners[2].X) + box.Corners[2].Name + '|' + box2.Corners[2].Name); // expect: 42|c
  with box.Corners[1] do
  begin
    X := 4;
    Y := 5;
  end;
  Writeln(IntToStr(box.Corners[1].X + box.Corners[1].Y)); // expect: 9
  Writeln(IntToStr(SizeOf(TPoint)));             // expect: 12
end.
