procedure P;
const C = 1;
begin
end;
begin
end.
// expect error: [Error] (2:1): 'BEGIN' expected
