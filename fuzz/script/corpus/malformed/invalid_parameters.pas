procedure P(A: Integer);
begin
end;
begin
  P(1, 2);
end.
// expect error: [Error] (5:3): Invalid number of parameters
