type TPoint = record X, Y: Integer; end;
var p: TPoint;
begin
  p.Zed := 1;
end.
// expect error: [Error] (4:5): Unknown identifier 'Zed'
