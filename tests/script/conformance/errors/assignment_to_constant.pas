const C = 1;
begin
  C := 2;
end.
// expect error: [Error] (3:3): Variable Expected
