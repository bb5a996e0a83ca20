procedure P(var X: Integer);
begin
end;
begin
  P(5);
end.
// expect error: [Error] (5:5): Variable Expected
