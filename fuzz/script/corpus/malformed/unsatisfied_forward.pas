procedure P; forward;
begin
end.
// expect error: [Error] (2:1): Unsatisfied Forward P
