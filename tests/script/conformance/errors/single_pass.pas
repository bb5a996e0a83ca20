procedure P;
begin
  G := 1;
end;
var G: Integer;
begin
end.
// expect error: [Error] (3:3): Unknown identifier 'G'
